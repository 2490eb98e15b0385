// DoLogin: the password form, then the login post whose answer either
// refuses on its ninth line or carries the link to the inbox listing.
#include "FormEncoding.h"
#include "Hotmail.h"
#include "HotmailMarkers.h"
#include "PageRequests.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::hotmail;
using korvalin::EncodeFormValue;

bool CHotmail::DoLogin()
{
    const SessionValues session = Session();
    const HostAddresses hosts = Hosts();
    const std::string user = EncodeFormValue(session.User);
    const std::string loginUrl = hosts.Login + std::string(kStartPath);
    {
        std::lock_guard lock(SessionLock);
        LoginUrl = loginUrl;
    }

    // The service wants the password form asked for first; its answer
    // carries nothing the login needs.
    {
        CWebRequest request;
        std::string page;
        request.PostForm(hosts.Form + std::string(kPasswordFormPath),
                         "login=" + user + "&enter=" + EnterValue + "&curmbox=" + CurMbox + "&js=" + Js, page);
        request.AttachResponse(&page);
        std::string firstLine;
        request.ReadLine(firstLine, false);
    }

    CWebRequest request;
    std::string page;
    request.PostForm(loginUrl,
                     "passwd=" + EncodeFormValue(session.Password) + "&submit= Enter &frames=" + Frames +
                         "&curmbox=" + CurMbox + "&login=" + user + "&js=" + Js,
                     page);
    request.AttachResponse(&page);

    CTextScanner scanner;
    std::string line;
    if (!korvalin::SkipLines(request, line, kRefusalLine, CWebRequest::kLineSize) ||
        scanner.Find(line, kLoginRefused) >= 0)
        return false;

    // Only an answer that hands out the inbox link is a usable session.
    while (request.ReadLine(line, false) != 0) {
        int start = scanner.Find(line, kInboxLinkStart);
        if (start < 0)
            continue;
        int end = scanner.FindAfter(line, kInboxLinkEnd, start);
        if (end < 0)
            return false;
        std::string inboxUrl = hosts.Web + scanner.Extract(line, start, end);
        std::lock_guard lock(SessionLock);
        InboxUrl = inboxUrl;
        return true;
    }
    return false;
}
