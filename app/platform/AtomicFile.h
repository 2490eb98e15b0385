// Whole-file reading and writing. Writing replaces the file atomically
// (FileReplace.h): the bytes go to a temporary file beside it, which is
// flushed to disk and then renamed over the target, so a crash leaves either
// the old or the new file.
#pragma once

#include "Status.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

namespace korvalin {

// The bytes of a file, or nothing when it cannot be read (why in *error).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, std::string* error = nullptr);

// Replaces file with data; the new file gets the permission bits mode.
Status WriteFileAtomically(const std::filesystem::path& file, const std::string& data, mode_t mode = 0644);

// Replaces file with everything that can still be read from the open
// descriptor source, the same way.
Status CopyIntoFileAtomically(int source, const std::filesystem::path& file, mode_t mode = 0644);

}  // namespace korvalin
