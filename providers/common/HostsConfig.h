// Service host names, read from "hosts.conf" in the data root (the current
// directory of the program). Lines are "key = value"; blank lines, lines
// starting with "#" and lines without "=" are ignored; unknown keys are kept
// but unused. A key that is missing or empty falls back to its built-in
// default.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace korvalin {

inline constexpr const char* kHostsFileName = "hosts.conf";

// Parses the text of a hosts file into key/value pairs (keys and values trimmed).
std::map<std::string, std::string> ParseHostsText(std::string_view text);

// The built-in default of a known key, or "" for an unknown one.
std::string DefaultHost(const std::string& key);

// The value in force for key: "./hosts.conf" (read on each call, so an edited
// file applies to the next operation) or the default.
std::string HostSetting(const std::string& key);

// "http://" + host, or host itself when it already names a scheme.
std::string HttpBase(const std::string& host);

}  // namespace korvalin
