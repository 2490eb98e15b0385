// Cached mail files: one file per locally kept mail body, named "KVX", a
// hexadecimal number of up to four digits and ".htm", in the account folder.
// A summary entry names its file in Cache as a reference relative to the
// data root: "./Accounts/<account folder>/KVX1A2B.htm".
#pragma once

#include "Status.h"

#include <filesystem>
#include <optional>
#include <string>

namespace korvalin {

// True for names of the form "KVX" + 1 to 4 hexadecimal digits + ".htm".
bool IsCachedMailFileName(const std::string& name);

std::string CacheReference(const std::filesystem::path& accountFolder, const std::string& fileName);

// The file a reference names, or nothing when it is not a cached mail file
// of accountFolder (references read from disk are never trusted further).
std::optional<std::filesystem::path> CachedMailFile(const std::filesystem::path& accountFolder,
                                                    const std::string& reference);

// Stores body, with every zero byte turned into a line feed, in a new cached
// mail file of accountFolder (readable by the owner only) and returns its
// reference; nothing (and why in *error) when it cannot.
std::optional<std::string> StoreCachedMail(const std::filesystem::path& accountFolder, const std::string& body,
                                           std::string* error);

// Deletes the file a reference names. A reference that names no cached mail
// file of the folder, or a file that is already gone, is left alone.
Status DeleteCachedMail(const std::filesystem::path& accountFolder, const std::string& reference);

}  // namespace korvalin
