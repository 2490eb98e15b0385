// The values of the Options sheet, read from the settings record and copied
// back into it, and what saving means for the check timer.
#pragma once

#include <string>

namespace korvalin {
class UserSettings;
}

namespace korvalin::ui {

inline constexpr int kPrefixBoxLength = 5;       // characters the prefix boxes take
inline constexpr int kSignatureBoxLength = 400;  // characters the signature box takes
inline constexpr size_t kStoredPrefixBytes = 6;
inline constexpr size_t kStoredSignatureBytes = 404;

struct OptionsValues {
    // General
    bool autoCheck = true;
    int checkInterval = 2;  // minutes, 1 to 60
    bool askBeforeDelete = true;
    bool hideOnStartup = false;
    bool startWithSession = false;
    bool playSound = true;
    bool checkInternet = true;
    bool clearSavedMails = false;
    int loginAbortMinutes = 3;  // 1 to 60
    bool startOnline = true;
    bool checkMailtoHandler = true;
    bool popupOnNewMail = false;
    bool desktopNotifications = true;
    // Sending
    bool prefixReply = true;
    std::string replyPrefix;
    bool prefixForward = false;
    std::string forwardPrefix;
    bool addSignature = true;
    std::string signature;  // as stored: lines end with CR LF
    bool saveCopy = true;

    static OptionsValues FromSettings(const UserSettings& settings);
};

// What timer 1 has to do after the sheet was saved.
enum class CheckTimerChange { None, Start, Stop, Restart };

// Copies after into settings (prefixes and signature cut to what the record
// holds, never inside a character) and says what the check timer must do.
CheckTimerChange SaveOptions(const OptionsValues& before, const OptionsValues& after, UserSettings& settings);

// text cut to at most bytes bytes, never inside a UTF-8 character.
std::string CutToBytes(const std::string& text, size_t bytes);

}  // namespace korvalin::ui
