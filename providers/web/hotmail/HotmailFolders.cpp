// GetFolders: the folder page lists one row per folder; the line after each
// row marker holds the folder's id and name. The inbox row is left out.
#include "Hotmail.h"
#include "HotmailMarkers.h"
#include "HotmailParsing.h"
#include "PageRequests.h"
#include "PageText.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::hotmail;
using korvalin::FetchPage;
using korvalin::TextBetween;

bool CHotmail::GetFolders(CStringArray& names)
{
    const SessionValues session = Session();
    if (session.InboxUrl.empty())
        return false;

    std::string query;
    size_t question = session.InboxUrl.find('?');
    if (question != std::string::npos)
        query = session.InboxUrl.substr(question + 1);
    query = query.substr(0, query.find(kFolderScript));
    const std::string foldersUrl = Hosts().Web + std::string(kFoldersPath) + query;
    {
        std::lock_guard lock(SessionLock);
        FoldersUrl = foldersUrl;
    }

    CWebRequest request;
    std::string page;
    bool fetched = FetchPage(request, foldersUrl + "folders", page);
    request.AttachResponse(&page);

    names.clear();
    CStringArray ids;
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false) != 0) {
        if (scanner.Find(line, kFolderRow) < 0) {
            if (scanner.Find(line, kFolderTotal) >= 0)
                break;
            continue;
        }
        if (request.ReadLine(line, false) == 0)
            break;
        std::string id = TextBetween(line, kFolderIdStart, kFolderIdEnd);
        std::string name = TextBetween(line, kFolderNameStart, kFolderNameEnd);
        // A row that cannot be addressed is of no use to the caller.
        if (id.empty() || name.empty() || name == kInboxName)
            continue;
        ids.push_back(std::move(id));
        names.push_back(std::move(name));
    }

    std::lock_guard lock(SessionLock);
    FolderIds = std::move(ids);
    return fetched;
}
