#include "AccountSettingsFile.h"

#include "AtomicFile.h"

#include <vector>

namespace korvalin {
namespace {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

// A line is one line: a line break inside a value would shift every later line.
std::string OneLine(const std::string& value)
{
    return value.substr(0, value.find_first_of("\r\n"));
}

}  // namespace

std::string FormatAccountSettings(const std::string& soundPath, const PopSettings& pop, bool isPop)
{
    if (!isPop)
        return OneLine(soundPath);
    std::string text;
    for (const std::string* line : {&soundPath, &pop.emailAddress, &pop.displayName, &pop.smtpServer, &pop.pop3Server})
        text += OneLine(*line) + "\r\n";
    text += pop.deleteFromServer ? "y\r\n" : "n\r\n";
    return text;
}

AccountFileSettings ParseAccountSettings(const std::string& text)
{
    std::vector<std::string> lines = SplitLines(text);
    AccountFileSettings settings;
    if (!lines.empty())
        settings.soundPath = lines[0];
    std::optional<std::string>* fields[] = {&settings.emailAddress, &settings.displayName, &settings.smtpServer,
                                            &settings.pop3Server};
    for (size_t i = 0; i < 4 && i + 1 < lines.size(); ++i)
        *fields[i] = lines[i + 1];
    if (lines.size() > 5)
        settings.deleteFromServer = lines[5] == "y" || lines[5] == "Y";
    return settings;
}

std::optional<AccountFileSettings> ReadAccountSettingsFile(const std::filesystem::path& accountFolder)
{
    auto text = ReadWholeFile(accountFolder / kAccountSettingsFile);
    if (!text)
        return std::nullopt;
    return ParseAccountSettings(*text);
}

Status WriteAccountSettingsFile(const std::filesystem::path& accountFolder, const std::string& soundPath,
                                const PopSettings& pop, bool isPop)
{
    return WriteFileAtomically(accountFolder / kAccountSettingsFile, FormatAccountSettings(soundPath, pop, isPop), 0600);
}

std::string PopAccountLine(const std::string& login, const PopSettings& pop)
{
    return login + "=" + pop.displayName + "=" + pop.emailAddress + "=" + pop.pop3Server + "=" + pop.smtpServer;
}

}  // namespace korvalin
