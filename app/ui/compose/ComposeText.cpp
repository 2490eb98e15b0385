#include "ComposeText.h"

#include "MailPage.h"

#include "TextConversion.h"
#include "UserSettings.h"

namespace korvalin::ui {
namespace {

constexpr size_t kMaxRecipientLength = 255;

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::string WithoutCarriageReturns(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        result += text[i] == '\r' ? '\n' : text[i];
    }
    return result;
}

}  // namespace

std::string ReplySubject(const std::string& subject)
{
    const size_t start = subject.find_first_not_of(" \t\r\n");
    std::string trimmed = start == std::string::npos ? std::string() : subject.substr(start);
    return StartsWith(trimmed, "RE:") ? trimmed : "RE:" + trimmed;
}

std::string ForwardSubject(const std::string& subject)
{
    return "FW:" + subject;
}

ComposeOptions ComposeOptions::FromSettings(const UserSettings& settings)
{
    ComposeOptions options;
    options.addSignature = settings.Flag(setting::kAddSignature);
    options.signature = settings.Signature();
    options.prefixReply = settings.Flag(setting::kPrefixReply);
    options.replyPrefix = settings.ReplyPrefix();
    options.prefixForward = settings.Flag(setting::kPrefixForward);
    options.forwardPrefix = settings.ForwardPrefix();
    options.saveCopy = settings.Flag(setting::kSaveCopy);
    return options;
}

std::string StartingBody(const ComposeOptions& options)
{
    std::string body = "\n\n";
    if (options.addSignature)
        body += WithoutCarriageReturns(options.signature);
    return body;
}

std::string QuotePrefix(const ComposeOptions& options, const std::string& subject)
{
    if (StartsWith(subject, "FW"))
        return options.prefixForward ? options.forwardPrefix : std::string();
    return options.prefixReply ? options.replyPrefix : std::string();
}

std::string QuotedOriginal(std::string mailText, const std::string& prefix, DiagnosticLog* log)
{
    // The parts of a mail page (attachments) are not part of its text.
    mailText = std::string(mime::ReadPage(mailText).Body);
    RemoveTags(mailText, log);
    std::string quoted = std::string("\n\n") + kOriginalMessageLine + "\n" + prefix;
    size_t pos = 0;
    while (pos < mailText.size()) {
        const size_t start = mailText.find_first_not_of("\r\n", pos);
        if (start == std::string::npos)
            break;
        size_t end = mailText.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = mailText.size();
        quoted.append(mailText, start, end - start);
        quoted += "\n" + prefix;
        pos = end;
    }
    return quoted;
}

std::string MailFooter(const std::string& vendorWeb)
{
    return "\n----------------------------------------------------------\n"
           "Access ALL your POP3/web based email accounts from one place, your desktop.\n"
           "Use Korvalin Mail from " +
           vendorWeb + "\n----------------------------------------------------------\n";
}

std::string FirstRecipientLine(const std::string& to)
{
    std::string line = to.substr(0, to.find_first_of("\r\n"));
    if (line.size() > kMaxRecipientLength)
        line.resize(kMaxRecipientLength);
    return line;
}

CMailMessage BuildOutgoingMail(const ComposedMail& mail, const std::string& vendorWeb, bool popAccount,
                               DiagnosticLog* log)
{
    CMailMessage message;
    message.To = FirstRecipientLine(mail.to);
    message.CC = mail.cc;
    message.BCC = mail.bcc;
    message.Subject = mail.subject;
    message.SaveCopy = mail.saveCopy;
    message.Body = "\n" + mail.body + MailFooter(vendorWeb);
    if (!popAccount)
        message.Body = FormEncode(message.Body, log);
    else
        message.Extra = mail.repliedMessageId;
    return message;
}

}  // namespace korvalin::ui
