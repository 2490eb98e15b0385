#include "PlatformPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace korvalin {
namespace {

// An XDG variable counts only when it holds an absolute path.
std::filesystem::path XdgDirectory(const EnvironmentLookup& lookup, const char* name, const std::filesystem::path& fallback)
{
    const char* value = lookup(name);
    if (value != nullptr && value[0] == '/')
        return value;
    return fallback;
}

std::filesystem::path HomeDirectory(const EnvironmentLookup& lookup)
{
    const char* home = lookup("HOME");
    if (home != nullptr && home[0] != '\0')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/tmp";
}

}  // namespace

PlatformPaths PlatformPaths::FromEnvironment(const EnvironmentLookup& lookup)
{
    const std::filesystem::path home = HomeDirectory(lookup);
    const std::filesystem::path dataHome = XdgDirectory(lookup, "XDG_DATA_HOME", home / ".local/share");
    const std::filesystem::path configHome = XdgDirectory(lookup, "XDG_CONFIG_HOME", home / ".config");

    PlatformPaths paths;
    const char* korvalinHome = lookup("KORVALIN_HOME");
    if (korvalinHome != nullptr && korvalinHome[0] != '\0') {
        paths.dataRoot = std::filesystem::absolute(korvalinHome);
        paths.storeFile = paths.dataRoot / "registry";
    } else {
        paths.dataRoot = dataHome / "korvalin";
        paths.storeFile = configHome / "korvalin" / "registry";
    }
    paths.autostartFile = configHome / "autostart" / "korvalin.desktop";
    paths.applicationsDir = dataHome / "applications";
    paths.mimeappsList = configHome / "mimeapps.list";
    paths.executableDir = ExecutableDirectory();
    paths.executable = paths.executableDir / "korvalin";
    return paths;
}

PlatformPaths PlatformPaths::FromEnvironment()
{
    return FromEnvironment([](const char* name) { return std::getenv(name); });
}

std::filesystem::path ExecutableDirectory()
{
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return exe.parent_path();
}

std::filesystem::path DefaultSoundPath(const PlatformPaths& paths)
{
    return paths.executableDir / "newmail.wav";
}

}  // namespace korvalin
