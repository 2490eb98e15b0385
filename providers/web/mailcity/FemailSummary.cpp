// GetMailSummary: a folder's listing, twenty mails a page. A mail row is
// nine lines: the sender on the row's start line, the link line three lines
// on, the date three lines after that and the size two more on. A page that
// offers "next>>" is followed by the page twenty places further.
#include "FemailMarkers.h"
#include "FemailParsing.h"
#include "FemailProvider.h"
#include "PageRequests.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::femail;
using korvalin::SkipLines;

namespace {

// More pages than any mailbox has: a service that always offers another
// page is not followed for ever.
constexpr int kMaxPages = 5000;

struct PageResult {
    bool MorePages = false;
    size_t Rows = 0;
};

PageResult ScanPage(CWebRequest &request, const FemailDialect &dialect, CSummaryArray &list)
{
    PageResult result;
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (!result.MorePages && scanner.Find(line, kNextPage) >= 0)
            result.MorePages = true;
        if (scanner.Find(line, dialect.RowStart) >= 0) {
            SummaryEntry entry;
            entry.From = RowSender(line, dialect);
            if (!SkipLines(request, line, kLinkLineDistance, kLineLimit))
                break; // a row cut off by the end of the page is no mail
            ParseLinkLine(line, dialect, entry);
            if (!SkipLines(request, line, kDateLineDistance, kLineLimit))
                break;
            entry.Date = RowDate(line);
            if (!SkipLines(request, line, kSizeLineDistance, kLineLimit))
                break;
            entry.Size = RowSize(line);
            ++result.Rows;
            // A row without its link cannot be opened.
            if (!entry.Locator.empty())
                list.push_back(std::move(entry));
        }
        if (scanner.Find(line, kListingEnd) >= 0)
            break;
    }
    return result;
}

} // namespace

bool CFemailProvider::GetMailSummary(CSummaryArray &list, int folder)
{
    const SessionValues session = Session();
    std::string address = session.ReadMailLink;
    if (folder != -1) {
        if (folder < 0 || static_cast<size_t>(folder) >= session.FolderLinks.size())
            return false;
        address = session.FolderLinks[static_cast<size_t>(folder)];
    }
    if (address.empty())
        return false;

    bool fetched = true;
    int position = 0;
    for (int pages = 0; pages < kMaxPages; ++pages) {
        CWebRequest request;
        std::string text;
        fetched = request.GetPage(address, text) && fetched;
        request.AttachResponse(&text);
        PageResult page = ScanPage(request, Dialect, list);
        // A page without mail offers nothing further down either.
        if (!page.MorePages || page.Rows == 0)
            break;
        position += kListStep;
        std::optional<std::string> next = ListPageAddress(address, position);
        if (!next)
            break;
        address = *next;
    }
    return fetched;
}
