// GetMailSummary: one listing page per folder. A row starts at the uid
// checkbox; sender, link, date and size cells follow on one line each, in
// bold for unread mail.
#include "ExciteParsing.h"
#include "MailExcite.h"
#include "PageRequests.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::excite;
using korvalin::FetchPage;
using korvalin::SkipLines;
using korvalin::TextBetween;

namespace {

// Reads the cells after the row line; false when the page ends inside them.
bool ReadRow(CWebRequest &request, const std::string &rowLine, SummaryEntry &entry)
{
    entry.MessageId = TextBetween(rowLine, kMailRow, kRowIdEnd);
    std::string line;
    if (!SkipLines(request, line, 1, kLineLimit))
        return false;
    SenderCell sender = ParseSenderCell(line);
    entry.From = sender.From;
    entry.New = sender.New;
    if (!SkipLines(request, line, 1, kLongLineLimit))
        return false;
    LinkCell link = ParseLinkCell(line);
    entry.Locator = link.Locator;
    entry.Subject = link.Subject;
    if (!SkipLines(request, line, 1, kLineLimit))
        return false;
    entry.Date = YearFirstDate(ParseDateCell(line, entry.New));
    if (!SkipLines(request, line, 1, kLineLimit))
        return false;
    entry.Size = ParseSizeCell(line, entry.New);
    return true;
}

} // namespace

bool CMailExcite::GetMailSummary(CSummaryArray &list, int folder)
{
    const SessionValues session = Session();
    if (session.MailboxKey.empty())
        return false;
    std::string url;
    if (folder == -1)
        url = Hosts().Mail + std::string(kInboxPage) + session.MailboxKey;
    else if (folder >= 0 && static_cast<size_t>(folder) < session.FolderLinks.size())
        url = session.FolderLinks[static_cast<size_t>(folder)];
    else
        return false;

    CWebRequest request;
    std::string page;
    if (!FetchPage(request, url, page))
        return false;
    request.AttachResponse(&page);

    bool sawRow = false;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kMailRow) == std::string::npos) {
            if (sawRow && line.find(kListEnd) != std::string::npos)
                break;
            continue;
        }
        sawRow = true;
        SummaryEntry entry;
        if (!ReadRow(request, line, entry))
            break;
        // A row without a link cannot be opened or deleted.
        if (!entry.Locator.empty())
            list.push_back(std::move(entry));
    }
    return true;
}
