#include "ImapMessage.h"

#include "PopMessage.h"

namespace korvalin::imap {
namespace {

// The header block (without the empty line) and where the body starts.
std::string_view HeaderOf(std::string_view raw, std::string_view* body)
{
    size_t end = raw.find("\r\n\r\n");
    size_t skip = 4;
    size_t lf = raw.find("\n\n");
    if (lf != std::string_view::npos && (end == std::string_view::npos || lf < end)) {
        end = lf;
        skip = 2;
    }
    if (end == std::string_view::npos) {
        if (body != nullptr)
            *body = {};
        return raw;
    }
    if (body != nullptr)
        *body = raw.substr(end + skip);
    return raw.substr(0, end);
}

CPopMessage HeaderMessage(std::string_view header)
{
    CPopMessage message;
    message.Header = korvalin::pop::NormalizeLineEnds(header);
    while (message.Header.size() >= 2 && message.Header.compare(message.Header.size() - 2, 2, "\r\n") == 0)
        message.Header.resize(message.Header.size() - 2);
    return message;
}

}  // namespace

HeaderSummary SummarizeHeader(std::string_view header)
{
    CPopMessage message = HeaderMessage(HeaderOf(header, nullptr));
    HeaderSummary summary;
    std::string value;
    message.FindField("FROM: ", summary.From);
    message.FindField("SUBJECT: ", summary.Subject);
    if (message.FindField("DATE: ", value))
        summary.Date = korvalin::pop::SummaryDate(value);
    summary.MessageId = message.HeaderMessageId();
    return summary;
}

bool RenderMail(std::string_view raw, std::string& body, CMailMessage& msg)
{
    std::string_view text;
    std::string_view header = HeaderOf(raw, &text);
    if (header.empty())
        return false;
    CPopMessage message = HeaderMessage(header);
    message.FindField("FROM: ", msg.From);
    message.FindField("TO: ", msg.To);
    message.FindField("CC: ", msg.CC);
    message.FindField("SUBJECT: ", msg.Subject);
    body += "<pre>";
    body += korvalin::pop::EscapeHtml(text);
    body += "</pre>";
    return true;
}

}  // namespace korvalin::imap
