#include "ImapMessage.h"

#include "MimeMail.h"
#include "PopMessage.h"

namespace korvalin::imap {
namespace {

// "a, b" (the MIME unit's joined form) as the host's ";"-separated list.
std::string HostList(const std::string& joined)
{
    CPopMessage addresses;
    addresses.AddRecipients(joined);
    std::string list;
    for (const CPopMessage::Recipient& recipient : addresses.Recipients) {
        if (!list.empty())
            list += ";";
        list += recipient.Name.empty() ? recipient.Address : recipient.Name + " <" + recipient.Address + ">";
    }
    return list;
}

}  // namespace

HeaderSummary SummarizeHeader(std::string_view header)
{
    korvalin::mime::MailHeaders headers = korvalin::mime::ParseHeaders(header);
    HeaderSummary summary;
    summary.From = headers.From;
    summary.Subject = headers.Subject;
    if (!headers.Date.empty())
        summary.Date = korvalin::pop::SummaryDate(headers.Date);
    summary.MessageId = headers.MessageId;
    return summary;
}

bool RenderMail(std::string_view raw, std::string& body, CMailMessage& msg)
{
    korvalin::mime::ParsedMail mail = korvalin::mime::ParseMail(raw);
    msg.From = mail.Headers.From;
    msg.To = HostList(mail.Headers.To);
    msg.CC = HostList(mail.Headers.Cc);
    msg.Subject = mail.Headers.Subject;
    body += korvalin::mime::PageOf(mail);
    return !msg.From.empty();
}

}  // namespace korvalin::imap
