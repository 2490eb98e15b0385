// The summary file of one folder: "<folder name>.sum" in the account folder.
// A sequence of records of seven lines, each a key followed directly by its
// value and CR LF: "CACHE=", "NEW=" ("y"/"n"), "MSGID=", then "FROM=",
// "TO=", "CC=" and "SUBJECT=" of the entry's message. A value is written up
// to its first line feed. Reading is lenient: it stops at the first
// malformed line and keeps the complete records read before it.
#pragma once

#include "MailProvider.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvalin {

inline constexpr const char* kSummaryFileExtension = ".sum";

// The records of every entry whose Cache is not empty, in order.
std::string FormatSummaryFile(const std::vector<SummaryEntry>& entries);

// The entries of a summary file: From and Subject go into both the entry
// and its message; To and CC into the message; Cache, MessageId and New as
// stored. Everything else stays empty.
std::vector<SummaryEntry> ParseSummaryFile(const std::string& text);

// The summary file of folderName in accountFolder, or nothing when the name
// cannot name a file there (it holds a "/" or a NUL, or is empty).
std::optional<std::filesystem::path> SummaryFilePath(const std::filesystem::path& accountFolder,
                                                     const std::string& folderName);

}  // namespace korvalin
