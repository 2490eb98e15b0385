#include "OptionsValues.h"

#include "UserSettings.h"

#include <algorithm>

namespace korvalin::ui {

OptionsValues OptionsValues::FromSettings(const UserSettings& settings)
{
    OptionsValues values;
    values.autoCheck = settings.Flag(setting::kAutoCheck);
    values.checkInterval = settings.CheckIntervalMinutes();
    values.askBeforeDelete = settings.Flag(setting::kAskBeforeDelete);
    values.hideOnStartup = settings.Flag(setting::kHideOnStartup);
    values.startWithSession = settings.Flag(setting::kStartWithSession);
    values.playSound = settings.Flag(setting::kPlaySound);
    values.checkInternet = settings.Flag(setting::kCheckInternet);
    values.clearSavedMails = settings.Flag(setting::kClearSavedMails);
    values.loginAbortMinutes = settings.LoginAbortMinutes();
    values.startOnline = settings.Flag(setting::kStartOnline);
    values.checkMailtoHandler = settings.Flag(setting::kCheckMailtoHandler);
    values.popupOnNewMail = settings.Flag(setting::kPopupOnNewMail);
    values.desktopNotifications = !settings.Flag(setting::kNoDesktopNotifications);
    values.prefixReply = settings.Flag(setting::kPrefixReply);
    values.replyPrefix = settings.ReplyPrefix();
    values.prefixForward = settings.Flag(setting::kPrefixForward);
    values.forwardPrefix = settings.ForwardPrefix();
    values.addSignature = settings.Flag(setting::kAddSignature);
    values.signature = settings.Signature();
    values.saveCopy = settings.Flag(setting::kSaveCopy);
    return values;
}

std::string CutToBytes(const std::string& text, size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    size_t end = bytes;
    // Back up over continuation bytes to the start of the cut character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

CheckTimerChange SaveOptions(const OptionsValues& before, const OptionsValues& after, UserSettings& settings)
{
    const int interval = std::clamp(after.checkInterval, 1, 60);
    settings.SetFlag(setting::kAutoCheck, after.autoCheck);
    settings.SetInt(setting::kCheckInterval, interval);
    settings.SetFlag(setting::kAskBeforeDelete, after.askBeforeDelete);
    settings.SetFlag(setting::kHideOnStartup, after.hideOnStartup);
    settings.SetFlag(setting::kStartWithSession, after.startWithSession);
    settings.SetFlag(setting::kPlaySound, after.playSound);
    settings.SetFlag(setting::kCheckInternet, after.checkInternet);
    settings.SetFlag(setting::kClearSavedMails, after.clearSavedMails);
    settings.SetInt(setting::kLoginAbortMinutes, std::clamp(after.loginAbortMinutes, 1, 60));
    settings.SetFlag(setting::kStartOnline, after.startOnline);
    settings.SetFlag(setting::kCheckMailtoHandler, after.checkMailtoHandler);
    settings.SetFlag(setting::kPopupOnNewMail, after.popupOnNewMail);
    settings.SetFlag(setting::kNoDesktopNotifications, !after.desktopNotifications);
    settings.SetFlag(setting::kPrefixReply, after.prefixReply);
    settings.SetReplyPrefix(CutToBytes(after.replyPrefix, kStoredPrefixBytes));
    settings.SetFlag(setting::kPrefixForward, after.prefixForward);
    settings.SetForwardPrefix(CutToBytes(after.forwardPrefix, kStoredPrefixBytes));
    settings.SetFlag(setting::kAddSignature, after.addSignature);
    settings.SetSignature(CutToBytes(after.signature, kStoredSignatureBytes));
    settings.SetFlag(setting::kSaveCopy, after.saveCopy);

    if (after.autoCheck != before.autoCheck)
        return after.autoCheck ? CheckTimerChange::Start : CheckTimerChange::Stop;
    if (after.autoCheck && interval != before.checkInterval)
        return CheckTimerChange::Restart;
    return CheckTimerChange::None;
}

}  // namespace korvalin::ui
