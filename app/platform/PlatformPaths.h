// Where the program keeps its things on a Linux desktop.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace korvalin {

// Looks an environment variable up; returns null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

struct PlatformPaths {
    std::filesystem::path dataRoot;         // accounts, cached mail, filters, hosts.conf
    std::filesystem::path storeFile;        // the per-user key-value store (holds passwords)
    std::filesystem::path autostartFile;    // present exactly while "start with the session" is on
    std::filesystem::path applicationsDir;  // where the mail-link handler's desktop file goes
    std::filesystem::path mimeappsList;     // the default-application choices of the person
    std::filesystem::path executableDir;    // the program and its plug-ins
    std::filesystem::path executable;       // the korvalin program itself

    // dataRoot is $KORVALIN_HOME, else $XDG_DATA_HOME/korvalin, else
    // ~/.local/share/korvalin; storeFile is $KORVALIN_HOME/registry, else
    // $XDG_CONFIG_HOME/korvalin/registry (default ~/.config).
    static PlatformPaths FromEnvironment(const EnvironmentLookup& lookup);
    static PlatformPaths FromEnvironment();
};

// The folder of the running executable (from /proc/self/exe); empty when unknown.
std::filesystem::path ExecutableDirectory();

// The sound played for new mail when an account names none.
std::filesystem::path DefaultSoundPath(const PlatformPaths& paths);

}  // namespace korvalin
