#include "HostValue.h"

#include "AtomicFile.h"
#include "HostsConfig.h"

namespace korvalin {

std::string HostValue(const PlatformPaths& paths, const std::string& key)
{
    if (std::optional<std::string> text = ReadWholeFile(paths.dataRoot / kHostsFileName)) {
        auto values = ParseHostsText(*text);
        if (auto found = values.find(key); found != values.end() && !found->second.empty())
            return found->second;
    }
    return DefaultHost(key);
}

}  // namespace korvalin
