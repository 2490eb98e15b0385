// GetFolders: the folders page links every folder's listing in a table
// cell; the first one (the inbox) is left out, since the program lists it on
// its own.
#include "ExciteParsing.h"
#include "MailExcite.h"
#include "PageRequests.h"
#include "WebRequest.h"

using namespace korvalin::excite;
using korvalin::FetchPage;

bool CMailExcite::GetFolders(CStringArray &names)
{
    const SessionValues session = Session();
    if (session.MailboxKey.empty())
        return false;
    const std::string mail = Hosts().Mail;

    CWebRequest request;
    std::string page;
    if (!FetchPage(request, mail + std::string(kFoldersPage) + session.MailboxKey, page))
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
        FolderLine folder = ParseFolderLine(line);
        // A folder that cannot be named or reached is of no use to the caller.
        if (folder.Link.empty() || folder.Name.empty())
            continue;
        links.push_back(mail + "/" + folder.Link);
        names.push_back(std::move(folder.Name));
    }

    std::lock_guard lock(SessionLock);
    FolderLinks = std::move(links);
    return true;
}
