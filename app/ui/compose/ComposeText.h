// The texts of a new mail, without widgets: the subjects of a reply and a
// forward, the body a compose window starts with (signature, quoted
// original), and the mail that leaves when the person presses Send.
#pragma once

#include "MailProvider.h"

#include <optional>
#include <string>

namespace korvalin {
class DiagnosticLog;
class UserSettings;
}  // namespace korvalin

namespace korvalin::ui {

inline constexpr const char* kOriginalMessageLine = "===========Original Message===========";

// "RE:" in front of the subject (its leading white space dropped) unless it
// already begins with "RE:" (upper case only).
std::string ReplySubject(const std::string& subject);
// "FW:" in front, whatever the subject begins with.
std::string ForwardSubject(const std::string& subject);

// The "Sending" options that shape a new mail.
struct ComposeOptions {
    bool addSignature = false;
    std::string signature;
    bool prefixReply = false;
    std::string replyPrefix;
    bool prefixForward = false;
    std::string forwardPrefix;
    bool saveCopy = false;

    static ComposeOptions FromSettings(const UserSettings& settings);
};

// The body a compose window starts with: two empty lines, then the
// signature when the option is on. Line ends are line feeds only.
std::string StartingBody(const ComposeOptions& options);

// The prefix that quotes the original: the forward prefix (if on) when the
// subject begins with "FW", else the reply prefix (if on).
std::string QuotePrefix(const ComposeOptions& options, const std::string& subject);

// The quoted original appended to the starting body: the "Original Message"
// line, then the mail's text without its tags, split into lines at every
// run of line feeds and carriage returns (empty lines vanish), each line
// after the prefix, and one prefix after the last line.
std::string QuotedOriginal(std::string mailText, const std::string& prefix, DiagnosticLog* log = nullptr);

// The lines every sent mail ends with.
std::string MailFooter(const std::string& vendorWeb);

// What the person typed into a compose window.
struct ComposedMail {
    std::string to, cc, bcc, subject;
    std::string body;  // the editor's text
    bool saveCopy = false;
    std::string repliedMessageId;  // the mail answered, when known
};

// The recipient of the To field: its first line, at most 255 characters.
std::string FirstRecipientLine(const std::string& to);

// The message handed to the sender account's provider: the body is "\n",
// the typed text and the footer; for an account that is not a POP account
// it is form-encoded for the service's compose form. A POP mail that
// answers another carries the answered mail's Message-ID in Extra.
CMailMessage BuildOutgoingMail(const ComposedMail& mail, const std::string& vendorWeb, bool popAccount,
                               DiagnosticLog* log = nullptr);

}  // namespace korvalin::ui
