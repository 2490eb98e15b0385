// Replacing a small file the plug-in keeps: the bytes go to a temporary file
// beside it, which is renamed over the target, so a reader sees either the
// old or the new file, never a part of one. With flush the bytes reach the
// disk before the rename, so that a crash too leaves one or the other (a
// file that can be made again, such as a cache, may skip that cost).
#pragma once

#include <filesystem>
#include <string>

namespace korvalin {

// False with the reason in error when the file could not be replaced (the
// old one is then untouched).
bool ReplaceFileAtomically(const std::filesystem::path& file, const std::string& data, std::string& error,
                           bool flush = true);

}  // namespace korvalin
