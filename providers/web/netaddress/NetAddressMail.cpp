// GetMail: posts the mail's locator to the read page. The header values
// stand on fixed lines below their markers; the body runs from the line
// after "<!-- Data -->" to the transfer form, each line written with a zero
// byte after it, and relative links made absolute on the service host.
#include "NetAddress.h"
#include "NetAddressParsing.h"
#include "PageRequests.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::netaddress;
using korvalin::DecodeBrackets;
using korvalin::PostPage;
using korvalin::SkipLines;
using korvalin::Trim;
using korvalin::TrimLeft;

namespace {

std::string HeaderValue(const std::string &line)
{
    return Trim(DecodeBrackets(line));
}

// Fills the header fields of msg; true when the body start was reached.
bool ReadHeaders(CWebRequest &request, CMailMessage &msg)
{
    bool haveFromAndTo = false;
    bool haveCc = false;
    bool haveSubject = false;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (!haveFromAndTo && line.find(kFromAndTo) != std::string::npos) {
            if (!SkipLines(request, line, kFromSkip, kLineLimit))
                return false;
            msg.From = HeaderValue(line);
            if (!SkipLines(request, line, kToSkip, kLineLimit))
                return false;
            msg.To = HeaderValue(line);
            haveFromAndTo = true;
        }
        if (haveFromAndTo && !haveCc && line.find(kCcMarker) != std::string::npos) {
            if (!SkipLines(request, line, kCcSkip, kLineLimit))
                return false;
            msg.CC = HeaderValue(line);
            haveCc = true;
        }
        if (line.find(kSubjectMarker) != std::string::npos) {
            if (!SkipLines(request, line, kSubjectSkip, kLineLimit))
                return false;
            msg.Subject = TrimLeft(line); // keeps its line end
            haveSubject = true;
        }
        if (haveSubject && line.find(kBodyStart) != std::string::npos)
            return true;
    }
    return false;
}

void CopyBody(CWebRequest &request, const std::string &base, std::string &body)
{
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kBodyEnd) != std::string::npos)
            break;
        body += RewriteRelativeLink(line, base);
        body.push_back('\0');
    }
}

} // namespace

bool CNetAddress::GetMail(std::string locator, std::string &body, CMailMessage &msg)
{
    const SessionValues session = Session();
    if (session.MailboxId.empty())
        return false;
    const HostValues hosts = Hosts();

    // An empty sender tells the caller the fetch failed. A page that did not
    // arrive whole is not used at all, so that no cut mail lands in the cache.
    msg.From.clear();
    CWebRequest request;
    std::string page;
    if (!PostPage(request, PageUrl(hosts, "Message", session.MailboxId, "Read"), locator, page))
        return false;
    request.AttachResponse(&page);

    if (!ReadHeaders(request, msg))
        return false;
    CopyBody(request, hosts.Base, body);
    return true;
}
