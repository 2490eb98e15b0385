// GetMail: the mail page holds a header block (From, To, CC, Subject), then
// the body in one of two layouts, then perhaps an attachment link.
//
// Table layout: the body sits between two "</td></tr><tr><td>" lines; the
// first line after the opening one is written from a fixed 10-byte window,
// the others each with a zero byte for its line end (hidden form inputs are
// left out), and "</table>" closes it. Plain layout: the body runs from the
// line after "</SCRIPT>" to the closing table line, each line written with
// its line end and a zero byte. Only the table layout counts as a fetched
// mail.
#include "Hotmail.h"
#include "HotmailMarkers.h"
#include "PageText.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::hotmail;
using korvalin::WithoutLineEnd;

namespace {

std::string CutAt(std::string text, char stop)
{
    size_t found = text.find(stop);
    return found == std::string::npos ? text : text.substr(0, found);
}

void AppendLine(std::string& body, const std::string& line)
{
    body += line;
    body.push_back('\0');
}

enum class BodyLayout { None, Table, Plain };

// Reads the header block into msg; false when the page has no sender line.
bool ReadHeaders(CWebRequest& request, CMailMessage& msg)
{
    CTextScanner scanner;
    std::string line;
    bool sawFrom = false;
    while (request.ReadLine(line, false) != 0) {
        int from = scanner.Find(line, kFromLine);
        if (from < 0)
            continue;
        std::string sender = CutAt(line.substr(std::min(line.size(), static_cast<size_t>(from) + 6)), '<');
        msg.From = WithoutLineEnd(request.TextAfterLt(sender));
        sawFrom = true;
        break;
    }
    while (request.ReadLine(line, true) != 0) {
        if (scanner.Find(line, kHeaderEnd) >= 0)
            break;
        int at;
        if ((at = scanner.Find(line, kToLine)) >= 0)
            msg.To = request.TextAfterLt(line.substr(static_cast<size_t>(at) + kToLine.size()));
        else if ((at = scanner.Find(line, kCcLine)) >= 0)
            msg.CC = request.TextAfterLt(line.substr(static_cast<size_t>(at) + kCcLine.size()));
        else if ((at = scanner.Find(line, kSubjectLine)) >= 0)
            msg.Subject = CutAt(line.substr(static_cast<size_t>(at) + kSubjectLine.size()), '<');
    }
    return sawFrom;
}

BodyLayout FindBodyStart(CWebRequest& request)
{
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false) != 0) {
        if (scanner.Find(line, kTableBodyMark) >= 0)
            return BodyLayout::Table;
        if (scanner.Find(line, kPlainBodyStart) >= 0)
            return BodyLayout::Plain;
    }
    return BodyLayout::None;
}

void CopyTableBody(CWebRequest& request, std::string& body)
{
    CTextScanner scanner;
    std::string line;
    if (request.ReadLine(line, true) != 0) {
        // The line as it lies in a 10-byte buffer: its terminator and zero
        // bytes after a short line, cut after ten bytes.
        std::string window(kFirstBodyLineWindow, '\0');
        window.replace(0, std::min(line.size(), window.size()), line, 0, std::min(line.size(), window.size()));
        body += window;
        while (request.ReadLine(line, true) != 0) {
            if (scanner.Find(line, kTableBodyMark) >= 0)
                break;
            if (scanner.Find(line, kHiddenInput) < 0)
                AppendLine(body, line);
        }
    }
    AppendLine(body, std::string(kTableClose));
}

void CopyPlainBody(CWebRequest& request, std::string& body)
{
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false) != 0) {
        if (scanner.Find(line, kPlainBodyEnd) >= 0)
            break;
        AppendLine(body, line);
    }
}

void CopyAttachmentLink(CWebRequest& request, std::string& body)
{
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false) != 0) {
        int start = scanner.Find(line, kAttachmentStart);
        if (start < 0)
            continue;
        int end = scanner.FindAfter(line, kAttachmentEnd, start);
        if (end >= 0)
            body += scanner.Extract(line, start, end + static_cast<int>(kLinkClose.size()));
        return;
    }
}

} // namespace

bool CHotmail::GetMail(std::string locator, std::string& body, CMailMessage& msg)
{
    // An empty sender tells the caller the fetch failed. A page that did not
    // arrive whole is not used at all, so no cut mail lands in the cache.
    msg.From.clear();
    CWebRequest request;
    std::string page;
    if (!request.GetPage(Hosts().Web + locator, page))
        return false;
    request.AttachResponse(&page);

    if (!ReadHeaders(request, msg))
        return false;
    BodyLayout layout = FindBodyStart(request);
    if (layout == BodyLayout::Table)
        CopyTableBody(request, body);
    else if (layout == BodyLayout::Plain)
        CopyPlainBody(request, body);
    CopyAttachmentLink(request, body);
    return layout == BodyLayout::Table;
}
