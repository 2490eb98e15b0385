// The filter file of an account: "Filters/<login>.<provider>" in the data
// root, records of nine "KEY=value" lines (NAME, NEW, FROMPRES, FROM,
// SUBJPRES, SUBJECT, FORWARD, REPLY, DELETE) with CR LF line ends, truth
// values "y" or "n". Reading stops at the first malformed record and keeps
// the complete records before it.
#pragma once

#include "Filter.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvalin {

// The file of login at provider, or nothing when the login could lead out
// of the "Filters" folder.
std::optional<std::filesystem::path> FilterFilePath(const std::filesystem::path& dataRoot, const std::string& login,
                                                    const std::string& providerName);

FilterList ParseFilterFile(std::string_view text);

// A value holding a line break would split its record: it is cut there.
std::string FilterFileText(const FilterList& filters);

}  // namespace korvalin
