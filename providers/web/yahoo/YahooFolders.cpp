// GetFolders: the folder page holds one bold link per folder; the inbox is
// left out (it is always reached through the Check Mail link).
#include "TextScanner.h"
#include "WebRequest.h"
#include "YahooMail.h"
#include "YahooMarkers.h"

using namespace korvalin::yahoo;

bool CYahooMail::GetFolders(CStringArray &names)
{
    const SessionValues session = Session();
    if (session.FoldersLink.empty())
        return false;

    CWebRequest request;
    std::string page;
    const bool fetched = request.GetPage(session.FoldersLink, page);
    request.AttachResponse(&page);

    names.clear();
    CStringArray links;
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        int nameEnd = scanner.Find(line, kFolderNameEnd);
        int link = scanner.Find(line, kLinkStart);
        int linkEnd = link < 0 ? -1 : scanner.FindAfter(line, kAttributeEnd, link);
        // A folder that cannot be addressed is of no use to the caller.
        if (nameEnd >= 0 && linkEnd >= 0 && linkEnd < nameEnd) {
            std::string name = scanner.Extract(line, linkEnd + static_cast<int>(kAttributeEnd.size()), nameEnd);
            std::string address = scanner.Extract(line, link + static_cast<int>(kLinkStart.size()), linkEnd);
            if (name != kInboxName && !name.empty()) {
                names.push_back(std::move(name));
                links.push_back(session.BaseAddress + address);
            }
        }
        if (scanner.Find(line, kPlainForm) > 0)
            break;
    }

    std::lock_guard lock(SessionLock);
    Values.FolderLinks = std::move(links);
    return fetched;
}
