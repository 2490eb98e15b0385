// DoLogin: posts the login form. The answer's headers set the session
// cookie that every later request carries, and its image map links the
// mailbox page.
#include "FormEncoding.h"
#include "Goplay.h"
#include "GoplayParsing.h"
#include "PageRequests.h"
#include "WebRequest.h"

using namespace korvalin::goplay;
using korvalin::EncodeFormValue;
using korvalin::PostPage;
using korvalin::SkipLines;

bool CGoplay::DoLogin()
{
    const SessionValues session = Session();
    const std::string base = Base();
    CWebRequest request;
    std::string page;
    if (!PostPage(request, base + std::string(kLoginPath),
                  "login_name=" + EncodeFormValue(session.User) +
                      "&login_password=" + EncodeFormValue(session.Password),
                  page))
        return false;
    // Without its cookie the service knows no session: no login.
    const std::string cookieHeader = CookieHeaderOf(request.ResponseHeaders());
    if (cookieHeader.empty())
        return false;
    request.AttachResponse(&page);

    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kMailboxArea) != std::string::npos) {
            if (!SkipLines(request, line, kMailboxLinkSkip, kLineLimit))
                return false;
            const std::string link = TextUpToLast(line, kLinkStart, kLinkEnd);
            if (link.empty())
                return false;
            // A new session: the mailbox form of the old one is of no use.
            std::lock_guard lock(SessionLock);
            CookieHeader = cookieHeader;
            MailboxLink = base + link;
            FormAddress.clear();
            StartOn.clear();
            EndOn.clear();
            Sid.clear();
            FolderForms.clear();
            return true;
        }
        if (line.find(kLoginRefused) != std::string::npos)
            return false;
    }
    return false;
}
