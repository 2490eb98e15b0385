// GetMail: the mail page shows each header value two lines below its label;
// the body starts at the "<!-- header -->" or "<pre>" line after the sender
// and runs to the reply form.
#include "ExciteParsing.h"
#include "MailExcite.h"
#include "PageRequests.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::excite;
using korvalin::DecodeBrackets;
using korvalin::FetchPage;
using korvalin::ReplaceAll;
using korvalin::SkipLines;
using korvalin::Trim;
using korvalin::TrimLeft;

namespace {

std::string AddressValue(const std::string &value)
{
    return Trim(DecodeBrackets(value));
}

// Fills the header fields of msg; true when the body start was reached, with
// that line (the first of the body) in line.
bool ReadHeaders(CWebRequest &request, CMailMessage &msg, std::string &line)
{
    bool haveFrom = false;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kFromMarker) != std::string::npos) {
            if (!SkipLines(request, line, kHeaderValueSkip, kLineLimit))
                return false;
            msg.From = AddressValue(HeaderValue(line, kHeaderLink));
            haveFrom = true;
        }
        if (line.find(kSubjectMarker) != std::string::npos) {
            if (!SkipLines(request, line, kHeaderValueSkip, kLineLimit))
                return false;
            msg.Subject = TrimLeft(ReplaceAll(HeaderValue(line, kCellEnd), kCarriageReturnEntity, ""));
        }
        if (line.find(kToMarker) != std::string::npos) {
            if (!SkipLines(request, line, kHeaderValueSkip, kLineLimit))
                return false;
            msg.To = AddressValue(HeaderValue(line, kCellEnd));
        }
        if (line.find(kCcMarker) != std::string::npos) {
            if (!SkipLines(request, line, kHeaderValueSkip, kLineLimit))
                return false;
            msg.CC = AddressValue(HeaderValue(line, kHeaderLink));
        }
        if (haveFrom &&
            (line.find(kHeaderEndComment) != std::string::npos || line.find(kHeaderEndPre) != std::string::npos))
            return true;
    }
    return false;
}

} // namespace

bool CMailExcite::GetMail(std::string locator, std::string &body, CMailMessage &msg)
{
    // An empty sender tells the caller the fetch failed. A page that did not
    // arrive whole is not used at all, so that no cut mail lands in the cache.
    msg.From.clear();
    const SessionValues session = Session();
    if (session.MailboxKey.empty())
        return false;
    CWebRequest request;
    std::string page;
    if (!FetchPage(request, Hosts().Mail + std::string(kMailPage) + session.MailboxKey + "&fl=" + MailPart(locator),
                   page))
        return false;
    request.AttachResponse(&page);

    std::string line;
    if (!ReadHeaders(request, msg, line))
        return false;
    body += line;
    body.push_back('\0');
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kBodyEnd) != std::string::npos)
            break;
        body += line;
    }
    return true;
}
