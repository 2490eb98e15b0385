// What korvalin-upgrader does: copies the downloaded plug-ins of the update
// folder over the plug-ins beside the program. Only plain plug-in file names
// are installed; anything else in the folder is left alone.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvalin {

struct InstallReport {
    std::vector<std::string> installed;
    std::vector<std::string> skipped;  // not a plug-in file name, or not a plain file
    std::vector<std::string> errors;   // "name: why"
};

// Each file is replaced whole (written beside its target, then renamed over
// it) and removed from updates once installed.
InstallReport InstallUpdates(const std::filesystem::path& updates, const std::filesystem::path& target);

}  // namespace korvalin
