// GetMail: a mail page holds a header table (From, To, Cc, Subject) and
// then the body, which runs to the page's form. Body lines are written with
// a zero byte after them (the program makes each a line end) and with their
// relative links made absolute on the mail host.
#include "TextScanner.h"
#include "WebRequest.h"
#include "YahooMail.h"
#include "YahooMarkers.h"
#include "YahooParsing.h"

using namespace korvalin::yahoo;

namespace {

// Body lines are copied whole, so that no line end is added inside one.
constexpr size_t kWholeLine = 1 << 20;

class HeaderScan {
public:
    explicit HeaderScan(CMailMessage &message) : Message(message) {}

    // Takes the headers of one line; true when the body starts on the next.
    bool Feed(const std::string &line)
    {
        if (!FromKnown)
            TakeFrom(line);
        if (FromKnown) {
            SubjectKnown = TakeValue(line, kSubjectHeader, Message.Subject, false) || SubjectKnown;
            ToKnown = TakeValue(line, kToHeader, Message.To, true) || ToKnown;
            TakeValue(line, kCcHeader, Message.CC, true);
        }
        return (FromKnown && SubjectKnown && ToKnown) || Scanner.Find(line, kSevenBitBody) >= 0 ||
               Scanner.Find(line, kQuotedPrintableBody) >= 0;
    }

private:
    void TakeFrom(const std::string &line)
    {
        int marker = Scanner.Find(line, kFromHeader);
        if (marker < 0)
            return;
        int start = marker + static_cast<int>(kFromHeader.size());
        // The sender is followed by the add-to-address-book link; without
        // one the cell end closes it.
        int end = Scanner.FindAfter(line, kFromEnd, start - 1);
        if (end < 0)
            end = Scanner.FindAfter(line, kHeaderEnd, start - 1);
        Message.From = CleanAddressText(Scanner.Extract(line, start, end));
        FromKnown = true;
    }

    // The value after marker up to the cell end; false when the line has no
    // such header.
    bool TakeValue(const std::string &line, std::string_view marker, std::string &value, bool address)
    {
        int found = Scanner.Find(line, marker);
        if (found < 0)
            return false;
        int start = found + static_cast<int>(marker.size());
        std::string text = Scanner.Extract(line, start, Scanner.FindAfter(line, kHeaderEnd, start - 1));
        value = address ? CleanAddressText(text) : text;
        return true;
    }

    CMailMessage &Message;
    CTextScanner Scanner;
    bool FromKnown = false;
    bool SubjectKnown = false;
    bool ToKnown = false;
};

} // namespace

bool CYahooMail::GetMail(std::string locator, std::string &body, CMailMessage &msg)
{
    // An empty sender tells the caller that the fetch failed; a page that did
    // not arrive whole is not used, so no cut mail lands in the cache.
    msg.From.clear();
    msg.To.clear();
    msg.CC.clear();
    msg.Subject.clear();
    const std::string base = Session().BaseAddress;
    CWebRequest request;
    std::string page;
    if (!request.GetPage(locator, page))
        return false;
    request.AttachResponse(&page);

    HeaderScan headers(msg);
    std::string line;
    bool bodyStarts = false;
    while (!bodyStarts && request.ReadLine(line, false, kLineLimit) != 0)
        bodyStarts = headers.Feed(line);
    if (!bodyStarts) {
        msg.From.clear(); // headers without a body are no mail
        return false;
    }

    CTextScanner scanner;
    while (request.ReadLine(line, false, kWholeLine) != 0) {
        if (scanner.Find(line, kPlainForm) >= 0)
            break;
        body += AbsoluteLinks(line, base);
        body.push_back('\0');
    }
    return true;
}
