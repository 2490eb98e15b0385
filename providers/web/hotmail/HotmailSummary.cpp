// GetMailSummary: the listing of a folder, page after page through the
// "Next Page" links, read through one request so that the pages follow each
// other in one buffer.
#include "Hotmail.h"
#include "HotmailMarkers.h"
#include "HotmailParsing.h"
#include "PageRequests.h"
#include "TextScanner.h"
#include "WebRequest.h"

#include <set>

using namespace korvalin::hotmail;
using korvalin::FetchPage;

namespace {

// A service that keeps handing out new page links is not followed forever.
constexpr size_t kMaxPages = 1000;

} // namespace

bool CHotmail::GetMailSummary(CSummaryArray& list, int folder)
{
    const SessionValues session = Session();
    if (session.InboxUrl.empty())
        return false;
    std::string url = session.InboxUrl;
    if (folder != -1) {
        if (folder < 0 || static_cast<size_t>(folder) >= session.FolderIds.size())
            return false;
        url = FolderListingUrl(url, session.FolderIds[static_cast<size_t>(folder)]);
    }
    const std::string web = Hosts().Web;

    CWebRequest request;
    std::string pages;
    bool fetched = FetchPage(request, url, pages);
    request.AttachResponse(&pages);

    CTextScanner scanner;
    const size_t firstNew = list.size();
    std::set<std::string> visited{url};
    bool sawRow = false;
    std::string line;
    while (true) {
        std::string nextPage;
        while (request.ReadLine(line, false) != 0) {
            if (scanner.Find(line, kMailRow) >= 0) {
                sawRow = true;
                list.push_back(ParseMailRow(line));
                continue;
            }
            if (!sawRow)
                continue;
            int marker = scanner.Find(line, kNextPage);
            if (marker < 0)
                continue;
            int link = scanner.Find(line, kLinkStart);
            nextPage =
                link < 0 ? std::string() : scanner.Extract(line, link + static_cast<int>(kLinkStart.size()), marker);
        }
        if (nextPage.empty())
            break;
        std::string nextUrl = web + nextPage;
        if (!visited.insert(nextUrl).second || visited.size() > kMaxPages)
            break;
        fetched = FetchPage(request, nextUrl, pages) && fetched;
    }

    if (list.size() > firstNew)
        LearnSessionValues(list.back().Locator);
    return fetched;
}
