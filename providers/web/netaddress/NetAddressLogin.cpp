// DoLogin: posts the login form; the answer names the mailbox id in its
// "/Door/<id>/Welcome" links, and every later page is reached through it.
#include "FormEncoding.h"
#include "NetAddress.h"
#include "NetAddressParsing.h"
#include "PageRequests.h"
#include "WebRequest.h"

using namespace korvalin::netaddress;
using korvalin::EncodeFormValue;
using korvalin::PostPage;

bool CNetAddress::DoLogin()
{
    const SessionValues session = Session();
    const HostValues hosts = Hosts();
    const std::string form = "LoginState=2&SuccessfulLogin=/tpl&NewServerName=" + EncodeFormValue(hosts.Host) +
                             "&JavaScript=JavaScript1.0&DomainID=4&NA31site=" + EncodeFormValue(hosts.Classic) +
                             "&NA31port=80&" + "UserID=" + EncodeFormValue(session.User) +
                             "&passwd=" + EncodeFormValue(session.Password) + "&Expire_Cache=1&Use_Cookie=1";

    CWebRequest request;
    std::string page;
    if (!PostPage(request, hosts.Base + std::string(kLoginPath), form, page))
        return false;
    request.AttachResponse(&page);

    // The last line that names a mailbox wins. A refused password leaves the
    // answer without one, and then this login has not opened a mailbox.
    std::string mailboxId;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        std::string id = MailboxIdOf(line);
        if (!id.empty())
            mailboxId = std::move(id);
    }
    if (mailboxId.empty())
        return false;

    std::lock_guard lock(SessionLock);
    MailboxId = std::move(mailboxId);
    return true;
}
