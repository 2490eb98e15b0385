// GetMailSummary: a folder's listing, page after page through the "Next"
// links. Above the folder form a page names the next page and the form
// (the address DeleteMail posts to); below it every mail is a row of
// fifteen lines that starts with one of the two row colours.
#include "PageRequests.h"
#include "TextScanner.h"
#include "WebRequest.h"
#include "YahooMail.h"
#include "YahooMarkers.h"
#include "YahooParsing.h"

#include <map>
#include <set>

using namespace korvalin::yahoo;

namespace {

// What one page of a listing yields.
struct ListingPage {
    bool MorePages = false;
    std::string NextLink;
    bool FormSeen = false;
    std::string FormAction;
};

// Reads the value lines of a row whose start line was just read: the next
// line, then 3, 4, 3 and 3 lines on. False when the page ends first.
bool ReadRow(CWebRequest &request, ListingRowLines &row)
{
    struct Step {
        int Distance;
        std::string *Line;
    };
    const Step steps[] = {
        {1, &row.IdLine}, {3, &row.FromLine}, {4, &row.DateLine}, {3, &row.SizeLine}, {3, &row.SubjectLine}};
    for (const Step &step : steps) {
        if (!korvalin::SkipLines(request, *step.Line, step.Distance, kLineLimit))
            return false;
    }
    return true;
}

bool IsRowStart(const CTextScanner &scanner, const std::string &line)
{
    return scanner.Find(line, kWhiteRow) >= 0 || scanner.Find(line, kGreyRow) >= 0;
}

// Scans one fetched page, appending its rows to list and noting in
// formByMessage which form address deletes each of them.
ListingPage ScanPage(CWebRequest &request, const std::string &base, CSummaryArray &list,
                     std::map<std::string, std::string> &formByMessage)
{
    ListingPage page;
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (!page.FormSeen) {
            std::string text;
            if (NextPageLink(line, text)) {
                page.MorePages = true;
                page.NextLink = text;
            }
            if (ListingFormAction(line, text)) {
                page.FormSeen = true;
                page.FormAction = base + text;
            }
            continue;
        }
        if (IsRowStart(scanner, line)) {
            ListingRowLines row;
            if (!ReadRow(request, row))
                break; // a row cut off by the end of the page is no mail
            SummaryEntry entry = ParseListingRow(row, base);
            // A row without its link (a page cut inside it) cannot be opened.
            if (!entry.Locator.empty()) {
                formByMessage[entry.MessageId] = page.FormAction;
                list.push_back(std::move(entry));
            }
            line = row.SubjectLine;
        }
        if (scanner.Find(line, kListingEnd) >= 0)
            break;
    }
    return page;
}

} // namespace

bool CYahooMail::GetMailSummary(CSummaryArray &list, int folder)
{
    const SessionValues session = Session();
    std::string address = session.CheckMailLink;
    if (folder != -1) {
        if (folder < 0 || static_cast<size_t>(folder) >= session.FolderLinks.size())
            return false;
        address = session.FolderLinks[static_cast<size_t>(folder)];
    }
    if (address.empty())
        return false;

    bool fetched = true;
    std::string formAddress;
    std::map<std::string, std::string> formByMessage;
    // A service that keeps linking back to a page it has shown is not
    // followed round in circles.
    std::set<std::string> visited{address};
    while (true) {
        CWebRequest request;
        std::string text;
        fetched = request.GetPage(address, text) && fetched;
        request.AttachResponse(&text);
        ListingPage page = ScanPage(request, session.BaseAddress, list, formByMessage);
        if (page.FormSeen)
            formAddress = page.FormAction;
        const std::string next = session.BaseAddress + page.NextLink;
        if (!page.MorePages || next.empty() || next == session.BaseAddress || !visited.insert(next).second)
            break;
        address = next;
    }
    LearnListing(formAddress, formByMessage);
    return fetched;
}
