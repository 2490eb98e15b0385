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

bool IsAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool NameIs(std::string_view name, std::string_view lowerName)
{
    if (name.size() != lowerName.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerName[i])
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Words of letters and digits with single spaces between them.
bool PlainWords(std::string_view text)
{
    if (text.empty() || text.front() == ' ' || text.back() == ' ')
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ') {
            if (text[i + 1] == ' ')
                return false;
        } else if (!IsAlnum(text[i])) {
            return false;
        }
    }
    return true;
}

// An atom of an address or message id (dot-atom text without '=' and '?').
bool AtomText(std::string_view text)
{
    if (text.empty() || text.front() == '.' || text.back() == '.')
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            if (text[i + 1] == '.')
                return false;
        } else if (!IsAlnum(c) && c != '-' && c != '_' && c != '+' && c != '$' && c != '%' && c != '&' && c != '!' &&
                   c != '#' && c != '*') {
            return false;
        }
    }
    return true;
}

bool PlainAddress(std::string_view text)
{
    const size_t at = text.find('@');
    return at != std::string_view::npos && AtomText(text.substr(0, at)) && AtomText(text.substr(at + 1));
}

// "Name <a@b>", "\"Name\" <a@b>" or "a@b" with plain words and addresses,
// in the form the MIME unit gives it ("Name <a@b>", "a@b").
bool PlainFrom(std::string_view value, std::string& from)
{
    value = Trim(value);
    if (!value.empty() && value.back() == '>') {
        const size_t open = value.rfind('<');
        if (open == std::string_view::npos || open == 0)
            return false;
        std::string_view address = value.substr(open + 1, value.size() - open - 2);
        std::string_view name = value.substr(0, open);
        if (name.back() != ' ' || !PlainAddress(address))
            return false;
        name = Trim(name);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        if (!PlainWords(name))
            return false;
        from.assign(name);
        from += " <";
        from.append(address);
        from += '>';
        return true;
    }
    if (!PlainAddress(value))
        return false;
    from.assign(value);
    return true;
}

bool PlainMessageId(std::string_view value, std::string& id)
{
    value = Trim(value);
    if (value.size() < 2 || value.front() != '<' || value.back() != '>' ||
        !PlainAddress(value.substr(1, value.size() - 2)))
        return false;
    id.assign(value);
    return true;
}

}  // namespace

bool SummarizePlainHeader(std::string_view header, HeaderSummary& summary)
{
    summary = HeaderSummary{};
    bool seenFrom = false, seenSubject = false, seenDate = false, seenId = false;
    while (!header.empty()) {
        size_t end = header.find('\n');
        std::string_view line = header.substr(0, end);
        header.remove_prefix(end == std::string_view::npos ? header.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty()) {
            if (Trim(header).find_first_not_of("\r\n") != std::string_view::npos)
                return false;  // something after the blank line
            break;
        }
        // Folded lines, tabs, control and 8-bit characters and encoded
        // words are left to the MIME unit.
        if (line.front() == ' ' || line.front() == '\t')
            return false;
        for (char c : line)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
                return false;
        if (line.find("=?") != std::string_view::npos)
            return false;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return false;
        std::string_view name = line.substr(0, colon);
        std::string_view value = line.substr(colon + 1);
        bool* seen = nullptr;
        if (NameIs(name, "from")) {
            seen = &seenFrom;
            if (!*seen && !PlainFrom(value, summary.From))
                return false;
        } else if (NameIs(name, "subject")) {
            seen = &seenSubject;
            std::string_view subject = Trim(value);
            if (subject.find("  ") != std::string_view::npos)
                return false;
            summary.Subject.assign(subject);
        } else if (NameIs(name, "date")) {
            seen = &seenDate;
            if (!Trim(value).empty())
                summary.Date = korvalin::pop::SummaryDate(Trim(value));
        } else if (NameIs(name, "message-id")) {
            seen = &seenId;
            if (!PlainMessageId(value, summary.MessageId))
                return false;
        } else if (name.find(' ') != std::string_view::npos) {
            return false;
        }
        if (seen != nullptr) {
            if (*seen)
                return false;  // a field twice: which one counts is the MIME unit's matter
            *seen = true;
        }
    }
    return true;
}

HeaderSummary SummarizeHeaderWithMime(std::string_view header)
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

HeaderSummary SummarizeHeader(std::string_view header)
{
    HeaderSummary summary;
    if (SummarizePlainHeader(header, summary))
        return summary;
    return SummarizeHeaderWithMime(header);
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
