#include "SummaryFile.h"

#include <array>
#include <cctype>

namespace korvalin {
namespace {

constexpr std::array<const char*, 7> kKeys{"CACHE=", "NEW=", "MSGID=", "FROM=", "TO=", "CC=", "SUBJECT="};

std::string UpToLineFeed(const std::string& value)
{
    return value.substr(0, value.find('\n'));
}

bool IsYes(const std::string& value)
{
    return value.size() == 1 && std::tolower(static_cast<unsigned char>(value[0])) == 'y';
}

// Splits text into lines at line feeds, each without its CR LF or LF.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string FormatSummaryFile(const std::vector<SummaryEntry>& entries)
{
    std::string text;
    for (const SummaryEntry& entry : entries) {
        if (entry.Cache.empty())
            continue;
        const std::array<const std::string*, 7> values{
            &entry.Cache,        nullptr,           &entry.MessageId, &entry.Message.From,
            &entry.Message.To,   &entry.Message.CC, &entry.Message.Subject};
        for (size_t k = 0; k < kKeys.size(); ++k) {
            text += kKeys[k];
            text += values[k] != nullptr ? UpToLineFeed(*values[k]) : (entry.New ? "y" : "n");
            text += "\r\n";
        }
    }
    return text;
}

std::vector<SummaryEntry> ParseSummaryFile(const std::string& text)
{
    std::vector<SummaryEntry> entries;
    const std::vector<std::string> lines = Lines(text);
    for (size_t first = 0; first + kKeys.size() <= lines.size(); first += kKeys.size()) {
        std::array<std::string, 7> values;
        for (size_t k = 0; k < kKeys.size(); ++k) {
            const std::string& line = lines[first + k];
            size_t at = line.find(kKeys[k]);
            if (at == std::string::npos)
                return entries;
            values[k] = line.substr(at + std::string(kKeys[k]).size());
        }
        SummaryEntry entry;
        entry.Cache = values[0];
        entry.New = IsYes(values[1]);
        entry.MessageId = values[2];
        entry.From = entry.Message.From = values[3];
        entry.Message.To = values[4];
        entry.Message.CC = values[5];
        entry.Subject = entry.Message.Subject = values[6];
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::filesystem::path> SummaryFilePath(const std::filesystem::path& accountFolder,
                                                     const std::string& folderName)
{
    if (folderName.empty() || folderName.find('/') != std::string::npos ||
        folderName.find('\0') != std::string::npos)
        return std::nullopt;
    return accountFolder / (folderName + kSummaryFileExtension);
}

}  // namespace korvalin
