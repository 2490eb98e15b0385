// GetMailSummary: one listing page per folder. Each row starts at the mail
// icon; its values stand on fixed lines below it (ids, sender, date,
// subject, size).
#include "NetAddress.h"
#include "NetAddressParsing.h"
#include "PageRequests.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::netaddress;
using korvalin::FetchPage;
using korvalin::SkipLines;
using korvalin::TrimLeft;

namespace {

// Reads the row whose icon line is `line`; false when the page ends inside it.
bool ReadRow(CWebRequest &request, std::string &line, SummaryEntry &entry)
{
    entry.New = line.find(kNewMailIcon) != std::string::npos;
    if (!SkipLines(request, line, kRowIdSkip, kLineLimit))
        return false;
    QuotedIds ids = FirstQuotedPair(line);
    entry.MessageId = ids.MessageId;
    entry.Locator = "Q=" + ids.MessageId + "&FolderID=" + ids.FolderId + "&Sort=Date";
    if (!SkipLines(request, line, kRowFromSkip, kLineLimit))
        return false;
    entry.From = ListSender(line);
    if (!SkipLines(request, line, kRowDateSkip, kLineLimit))
        return false;
    entry.Date = ListDate(line);
    if (!SkipLines(request, line, kRowSubjectSkip, kLineLimit))
        return false;
    entry.Subject = FontCell(line);
    if (!SkipLines(request, line, kRowSizeSkip, kLineLimit))
        return false;
    entry.Size = TrimLeft(FontCell(line));
    return true;
}

} // namespace

bool CNetAddress::GetMailSummary(CSummaryArray &list, int folder)
{
    const SessionValues session = Session();
    if (session.MailboxId.empty())
        return false;
    std::string url;
    if (folder == -1)
        url = PageUrl(Hosts(), "Mail", session.MailboxId, "List");
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
        // A row without a message id cannot be opened or deleted.
        if (entry.MessageId.empty())
            continue;
        list.push_back(std::move(entry));
        ++ListedMails;
    }
    return true;
}
