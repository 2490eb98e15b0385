// GetMail: posts the locator's form, which opens the mail. The page names
// the mail's message number, then its header rows, then the body between
// two "<hr>" lines.
#include "Goplay.h"
#include "GoplayParsing.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::goplay;
using korvalin::TextBetween;

namespace {

// Takes the header values a line holds; several may share one.
void ReadHeaderLine(CWebRequest &request, const std::string &line, CMailMessage &msg, bool &haveSubject)
{
    if (line.find(kFromMarker) != std::string::npos)
        msg.From = request.TextAfterLt(HeaderValue(line, kFromMarker, kCellEnd, "\""));
    if (line.find(kToMarker) != std::string::npos)
        msg.To = request.TextAfterLt(HeaderValue(line, kToMarker, "\"", kCellEnd));
    if (line.find(kSubjectMarker) != std::string::npos) {
        msg.Subject = HeaderValue(line, kSubjectMarker, kSubjectValueEnd, kSubjectValueEnd);
        haveSubject = true;
    }
    if (line.find(kCcMarker) != std::string::npos)
        msg.CC = HeaderValue(line, kCcMarker, kCellEnd, kCellEnd);
}

} // namespace

bool CGoplay::GetMail(std::string locator, std::string &body, CMailMessage &msg)
{
    // An empty sender tells the caller the fetch failed. A page that did not
    // arrive whole is not used at all, so that no cut mail lands in the cache.
    msg.From.clear();
    SessionValues session;
    const std::string form = OpenFormOf(locator);
    if (form.empty() || !MailboxFormSession(session))
        return false;
    CWebRequest request;
    std::string page;
    if (!CookiePost(request, session.FormAddress, form, session.CookieHeader, page))
        return false;
    request.AttachResponse(&page);

    bool haveNumber = false;
    bool haveSubject = false;
    bool inBody = false;
    std::string line;
    while (request.ReadLine(line, false, kLongLineLimit) != 0) {
        if (inBody) {
            if (line.find(kRule) != std::string::npos)
                break;
            body += line;
            body.push_back('\0');
        } else if (!haveNumber) {
            if (line.find(kMessageNumber) != std::string::npos) {
                msg.Extra = TextBetween(line, kMessageNumber, "\"");
                haveNumber = true;
            }
        } else {
            ReadHeaderLine(request, line, msg, haveSubject);
            inBody = haveSubject && line.find(kRule) != std::string::npos;
        }
    }
    return inBody;
}
