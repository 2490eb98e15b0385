// The start-up steps that are not windows: the data root as current
// directory, the clean-up of a fresh installation, and the recipient given
// on the command line.
#pragma once

#include "Status.h"

#include <filesystem>
#include <string>
#include <vector>

namespace korvalin {

struct DataRootResult {
    Status status;
    bool freshInstallation = false;  // "Accounts" did not exist before
};

// Creates the data root and makes it the current directory, then creates
// "Accounts" and "Filters" in it. On a fresh installation every stale
// "KVX*.htm" file of the data root is deleted.
DataRootResult PrepareDataRoot(const std::filesystem::path& dataRoot);

// The recipient of the command-line parameters: every parameter replaces it
// (the last one wins); a leading "-" is dropped, a "mailto:" link gives its
// address (query dropped, %XX escapes decoded).
std::string RecipientFromArguments(const std::vector<std::string>& arguments);

}  // namespace korvalin
