// korvalin-upgrader: started by korvalin (no arguments, in its data root)
// after it downloaded an update into "./UpDir". Waits for korvalin to end,
// installs the downloaded plug-ins beside itself, and starts korvalin again.
//
//   korvalin-upgrader [--updates DIR] [--target DIR] [--no-restart]
#include "PlatformPaths.h"
#include "UpdateInstaller.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <signal.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// The parent is the korvalin that started us: wait (a while at most) until
// it has ended, so that the new plug-ins load into a new process.
void WaitForParentProgram()
{
    const pid_t parent = ::getppid();
    char link[4096] = {};
    const std::string exe = "/proc/" + std::to_string(parent) + "/exe";
    ssize_t length = ::readlink(exe.c_str(), link, sizeof link - 1);
    if (length <= 0 || std::strcmp(std::filesystem::path(link).filename().c_str(), "korvalin") != 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (::getppid() == parent && ::kill(parent, 0) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

}  // namespace

int main(int argc, char** argv)
{
    std::filesystem::path updates = "UpDir";
    std::filesystem::path target = korvalin::ExecutableDirectory();
    bool restart = true;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--updates" && i + 1 < argc) {
            updates = argv[++i];
        } else if (option == "--target" && i + 1 < argc) {
            target = argv[++i];
        } else if (option == "--no-restart") {
            restart = false;
        } else {
            std::fprintf(stderr, "usage: korvalin-upgrader [--updates DIR] [--target DIR] [--no-restart]\n");
            return 2;
        }
    }
    if (target.empty()) {
        std::fprintf(stderr, "korvalin-upgrader: cannot find the program's folder\n");
        return 1;
    }

    WaitForParentProgram();
    const korvalin::InstallReport report = korvalin::InstallUpdates(updates, target);
    for (const std::string& name : report.installed)
        std::fprintf(stderr, "korvalin-upgrader: installed %s\n", name.c_str());
    for (const std::string& name : report.skipped)
        std::fprintf(stderr, "korvalin-upgrader: skipped %s (not a plug-in file)\n", name.c_str());
    for (const std::string& error : report.errors)
        std::fprintf(stderr, "korvalin-upgrader: %s\n", error.c_str());

    if (restart) {
        const std::string program = (target / "korvalin").string();
        if (::access(program.c_str(), X_OK) == 0) {
            char* arguments[] = {const_cast<char*>(program.c_str()), nullptr};
            ::execv(program.c_str(), arguments);
            std::fprintf(stderr, "korvalin-upgrader: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
            return 1;
        }
    }
    return report.errors.empty() ? 0 : 1;
}
