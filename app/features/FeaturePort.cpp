#include "FeaturePort.h"

#include <cstdlib>
#include <spawn.h>
#include <string>

extern char** environ;

namespace korvalin {

bool FeaturePort::StartProgram(const std::filesystem::path& program)
{
    std::string path = program.string();
    char* arguments[] = {path.data(), nullptr};
    pid_t child = 0;
    return ::posix_spawn(&child, path.c_str(), nullptr, nullptr, arguments, environ) == 0;
}

void FeaturePort::ExitProcess(int code)
{
    std::_Exit(code);
}

}  // namespace korvalin
