// The account folder on disk: "<data root>/Accounts/<login>.<provider>".
#pragma once

#include "Status.h"

#include <filesystem>
#include <optional>
#include <string>

namespace korvalin {

inline constexpr const char* kAccountsFolder = "Accounts";
inline constexpr const char* kFiltersFolder = "Filters";

// Why login (with its provider) cannot name an account folder, or nothing
// when it can: a "/", a ".." or a NUL byte would lead out of "Accounts".
std::optional<std::string> UnsafeAccountName(const std::string& login, const std::string& provider);

std::filesystem::path AccountFolderPath(const std::filesystem::path& dataRoot, const std::string& login,
                                        const std::string& provider);

Status CreateFolder(const std::filesystem::path& folder);

// Deletes every file directly inside folder, then the folder itself.
// Succeeds when the folder does not exist.
Status DeleteFolderAndFiles(const std::filesystem::path& folder);

}  // namespace korvalin
