// Replacing a file atomically, for the plug-ins and the program alike: the
// new bytes go to a temporary file beside it, which is renamed over the
// target, so a reader sees either the old or the new file, never a part of
// one. With flush the bytes (and the rename) reach the disk, so that a crash
// too leaves one or the other (a file that can be made again, such as a
// cache, may skip that cost).
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>

namespace korvalin {

// Why a replacement failed: the text ("cannot write <file>: <reason>") and
// the system's error number.
struct FileReplaceError {
    std::string Text;
    int Number = 0;
};

// Writes the new contents into fd: 0, or the error number with what naming
// the step that failed ("cannot write").
using FileFill = std::function<int(int fd, const char*& what)>;

// Replaces file with what fill writes; the new file gets the permission bits
// mode. False with the reason in error (the old file is then untouched).
bool ReplaceFileWith(const std::filesystem::path& file, mode_t mode, bool flush, const FileFill& fill,
                     FileReplaceError& error);

// Replaces file with data (permission bits 0600).
bool ReplaceFileAtomically(const std::filesystem::path& file, const std::string& data, std::string& error,
                           bool flush = true);

// Writes all of size bytes to fd: 0, or the error number of the failed write.
int WriteAll(int fd, const char* data, size_t size);

}  // namespace korvalin
