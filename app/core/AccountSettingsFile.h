// The per-account settings file "Sound.kvx" in the account folder, and the
// account line a POP3/SMTP provider is given.
//
// Lines, CR LF between them: the sound path; then, for POP accounts only, the
// e-mail address, the display name, the SMTP server, the POP3 server and "y"
// or "n" for deleting mails from the server on downloading. A file of an
// account that is not a POP account holds line 1 alone, without a line end.
#pragma once

#include "Status.h"
#include "UiPort.h"

#include <filesystem>
#include <optional>
#include <string>

namespace korvalin {

inline constexpr const char* kAccountSettingsFile = "Sound.kvx";

struct AccountFileSettings {
    std::string soundPath;
    // Lines 2 to 6; each is present only when the file holds that line.
    std::optional<std::string> emailAddress, displayName, smtpServer, pop3Server;
    std::optional<bool> deleteFromServer;
};

std::string FormatAccountSettings(const std::string& soundPath, const PopSettings& pop, bool isPop);
AccountFileSettings ParseAccountSettings(const std::string& text);

// Nothing when the file cannot be read.
std::optional<AccountFileSettings> ReadAccountSettingsFile(const std::filesystem::path& accountFolder);
Status WriteAccountSettingsFile(const std::filesystem::path& accountFolder, const std::string& soundPath,
                                const PopSettings& pop, bool isPop);

// "login=display name=e-mail address=POP3 server=SMTP server".
std::string PopAccountLine(const std::string& login, const PopSettings& pop);

}  // namespace korvalin
