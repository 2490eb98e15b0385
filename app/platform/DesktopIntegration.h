// Desktop integration through freedesktop.org files: the autostart entry
// (start with the session) and the program as default handler of mail links.
#pragma once

#include "PlatformPaths.h"
#include "Status.h"

#include <string>

namespace korvalin {

inline constexpr const char* kDesktopFileName = "korvalin.desktop";
inline constexpr const char* kMailtoMimeType = "x-scheme-handler/mailto";

// One argument of a desktop entry's Exec key, quoted where it must be.
std::string DesktopExecArgument(const std::string& argument);

// Creates or removes the autostart entry so that it exists exactly when enabled.
Status SetAutostart(const PlatformPaths& paths, bool enabled);
bool AutostartPresent(const PlatformPaths& paths);

// The desktop file chosen as default for mail links in mimeapps.list, or "".
std::string DefaultMailtoHandler(const PlatformPaths& paths);

// Writes the program's desktop file (taking mail links) into the applications
// folder and makes it the default for mail links in mimeapps.list.
Status MakeDefaultMailtoHandler(const PlatformPaths& paths);

// The text of a mimeapps.list with key set to value in [Default Applications];
// every other line is kept.
std::string SetDefaultApplication(const std::string& mimeapps, const std::string& key, const std::string& value);
// The first desktop file named for key in [Default Applications], or "".
std::string FindDefaultApplication(const std::string& mimeapps, const std::string& key);

}  // namespace korvalin
