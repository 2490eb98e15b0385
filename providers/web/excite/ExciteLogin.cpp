// DoLogin: posts the account name and password to the registration host.
// The answer either opens the mailbox in a frame whose address carries the
// mailbox key, or asks to try again.
#include "ExciteParsing.h"
#include "FormEncoding.h"
#include "MailExcite.h"
#include "PageRequests.h"
#include "WebRequest.h"

using namespace korvalin::excite;
using korvalin::EncodeFormValue;
using korvalin::PostPage;

bool CMailExcite::DoLogin()
{
    const SessionValues session = Session();
    const HostBases hosts = Hosts();
    CWebRequest request;
    std::string page;
    if (!PostPage(request,
                  hosts.Registration + "/mps/loginreq?pname=mail&targeturl=" + hosts.Mail + "/&brand=xcit&uid=",
                  "acctname=" + EncodeFormValue(session.User) + "&passwd=" + EncodeFormValue(session.Password), page))
        return false;
    request.AttachResponse(&page);

    // Only this answer's mailbox key makes a usable session; an answer
    // without one leaves the account logged out.
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kMailboxFrame) != std::string::npos) {
            std::string key = MailboxKeyOf(line);
            if (key.empty())
                return false;
            std::lock_guard lock(SessionLock);
            MailboxKey = std::move(key);
            return true;
        }
        if (line.find(kLoginRefused) != std::string::npos)
            return false;
    }
    return false;
}
