// GetFolders: the folder page links every folder's listing; the folder's
// name stands three lines below its link. The first folder (the inbox) is
// left out, since the program lists it on its own.
#include "NetAddress.h"
#include "NetAddressParsing.h"
#include "PageRequests.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::netaddress;
using korvalin::FetchPage;
using korvalin::SkipLines;
using korvalin::Trim;

bool CNetAddress::GetFolders(CStringArray &names)
{
    const SessionValues session = Session();
    if (session.MailboxId.empty())
        return false;
    const HostValues hosts = Hosts();

    CWebRequest request;
    std::string page;
    if (!FetchPage(request, PageUrl(hosts, "Rules", session.MailboxId, "Folders"), page))
        return false;
    request.AttachResponse(&page);

    names.clear();
    CStringArray links;
    bool sawInbox = false;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kFolderLink) == std::string::npos) {
            if (line.find(kFolderListEnd) != std::string::npos)
                break;
            continue;
        }
        if (!sawInbox) {
            sawInbox = true;
            continue;
        }
        std::string path = FolderLinkPath(line);
        if (!SkipLines(request, line, kFolderNameSkip, kLineLimit))
            break;
        std::string name = Trim(TextBefore(line, kLinkEnd));
        // A folder that cannot be named or reached is of no use to the caller.
        if (path.empty() || name.empty())
            continue;
        links.push_back(hosts.Base + path);
        names.push_back(std::move(name));
    }

    std::lock_guard lock(SessionLock);
    FolderLinks = std::move(links);
    return true;
}
