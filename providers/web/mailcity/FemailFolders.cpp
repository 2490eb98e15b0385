// GetFolders: the Read Mail page lists the folders, one line with a folder
// icon each; the inbox is left out (it is always the Read Mail link).
#include "FemailMarkers.h"
#include "FemailParsing.h"
#include "FemailProvider.h"
#include "WebRequest.h"

using namespace korvalin::femail;

bool CFemailProvider::GetFolders(CStringArray &names)
{
    const SessionValues session = Session();
    if (session.ReadMailLink.empty())
        return false;

    CWebRequest request;
    std::string page;
    const bool fetched = request.GetPage(session.ReadMailLink, page);
    request.AttachResponse(&page);

    names.clear();
    CStringArray links;
    bool firstFolder = true;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        std::optional<FolderLine> folder = ParseFolderLine(line, Dialect);
        if (!folder)
            continue;
        const bool inbox = Dialect.InboxIsFirstFolder ? firstFolder : folder->Name == Dialect.InboxName;
        firstFolder = false;
        // A folder that cannot be addressed is of no use to the caller.
        if (inbox || folder->Link.empty() || folder->Name.empty())
            continue;
        names.push_back(std::move(folder->Name));
        links.push_back(std::move(folder->Link));
    }

    std::lock_guard lock(SessionLock);
    Values.FolderLinks = std::move(links);
    return fetched;
}
