// Replacing a small file the plug-in keeps: the bytes go to a temporary file
// beside it, which is flushed to disk and renamed over the target, so a
// crash leaves either the old or the new file, never a part of one.
#pragma once

#include <filesystem>
#include <string>

namespace korvalin {

// False with the reason in error when the file could not be replaced (the
// old one is then untouched).
bool ReplaceFileAtomically(const std::filesystem::path& file, const std::string& data, std::string& error);

}  // namespace korvalin
