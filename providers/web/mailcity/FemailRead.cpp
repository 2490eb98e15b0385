// GetMail: the mail page names the sender on one line and To, Cc and
// Subject on the next; the body is the page's MIME parts, each written as
// "<pre>" and the part marker, its lines with a zero byte after each (the
// program makes each a line end), and "<hr>\n"; "</pre>" closes the body.
#include "FemailMarkers.h"
#include "FemailParsing.h"
#include "FemailProvider.h"
#include "PageText.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::femail;
using korvalin::WithoutLineEnd;

namespace {

// Part lines are copied whole, so that no line end is added inside one.
constexpr size_t kWholeLine = 1 << 20;

// Reads the two header lines into msg; false when the page has no sender line.
bool ReadHeaders(CWebRequest &request, const FemailDialect &dialect, CMailMessage &msg)
{
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        int from = scanner.Find(line, dialect.FromHeader);
        if (from < 0)
            continue;
        int value = scanner.FindAfter(line, dialect.ValueStart, from);
        if (value >= 0) {
            std::string sender = WithoutLineEnd(line.substr(static_cast<size_t>(value) + dialect.ValueStart.size()));
            msg.From = request.TextAfterLt(sender);
        }
        if (request.ReadLine(line, false, dialect.HeaderLineLimit) != 0) {
            msg.To = request.TextAfterLt(HeaderValue(line, dialect.ToHeader, dialect.ValueStart));
            msg.CC = request.TextAfterLt(HeaderValue(line, dialect.CcHeader, dialect.ValueStart));
            msg.Subject = HeaderValue(line, dialect.SubjectHeader, dialect.ValueStart);
        }
        return true;
    }
    return false;
}

// Copies the MIME parts of the rest of the page; the number of parts.
int CopyParts(CWebRequest &request, std::string &body)
{
    CTextScanner scanner;
    std::string line;
    int parts = 0;
    bool inPart = false;
    while (request.ReadLine(line, inPart, inPart ? kWholeLine : kLineLimit) != 0) {
        if (!inPart) {
            if (scanner.Find(line, kPartStart) >= 0) {
                body += kPartOpening;
                body += kPartStart;
                inPart = true;
                ++parts;
            }
            continue;
        }
        if (scanner.Find(line, kPartEnd) >= 0) {
            body += kPartClosing;
            inPart = false;
            continue;
        }
        body += line;
        body.push_back('\0');
    }
    body += kBodyClosing;
    return parts;
}

} // namespace

bool CFemailProvider::GetMail(std::string locator, std::string &body, CMailMessage &msg)
{
    // An empty sender tells the caller that the fetch failed; a page that did
    // not arrive whole is not used, so no cut mail lands in the cache.
    msg.From.clear();
    msg.To.clear();
    msg.CC.clear();
    msg.Subject.clear();
    CWebRequest request;
    std::string page;
    if (!request.GetPage(locator, page))
        return false;
    request.AttachResponse(&page);
    if (!ReadHeaders(request, Dialect, msg))
        return false;
    return CopyParts(request, body) > 0;
}
