// DoLogin: the login page names the form; the answer to the form either
// refuses on its sixth line or carries the navigation links and, on the
// options line, the mail host they are relative to.
#include "FormEncoding.h"
#include "HostsConfig.h"
#include "PageRequests.h"
#include "TextScanner.h"
#include "WebRequest.h"
#include "YahooMail.h"
#include "YahooMarkers.h"
#include "YahooParsing.h"

using namespace korvalin::yahoo;
using korvalin::EncodeFormValue;

namespace {

// The target of the login form: the first line holding "action=\"" names
// it. A path is taken on the login host.
std::string LoginFormAddress(const std::string &loginHost, const std::string &accountHost)
{
    CWebRequest request;
    std::string page;
    request.GetPage(korvalin::HttpBase(loginHost) + "/config/login?.src=ym&.lg=us&.done=http%3a//" + accountHost +
                        "/config/mail%3f.intl=",
                    page);
    request.AttachResponse(&page);
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        int action = scanner.Find(line, kFormAction);
        if (action < 0)
            continue;
        int start = action + static_cast<int>(kFormAction.size());
        std::string address = scanner.Extract(line, start, scanner.FindAfter(line, kAttributeEnd, start - 1));
        if (!address.empty() && address.front() == '/')
            address = korvalin::HttpBase(loginHost) + address;
        return address;
    }
    return {};
}

} // namespace

bool CYahooMail::DoLogin()
{
    const SessionValues session = Session();
    const HostAddresses hosts = Hosts();
    const std::string formAddress = LoginFormAddress(hosts.Login, hosts.Account);
    if (formAddress.empty())
        return false;

    CWebRequest request;
    std::string answer;
    request.PostForm(formAddress,
                     ".tries=1&.src=ym&.last=&promo=&lg=us&.intl=&.done=http%3a//" + hosts.Account +
                         "/config/mail%3f.intl=&login=" + EncodeFormValue(session.User) +
                         "&passwd=" + EncodeFormValue(session.Password) + "&" + ".persistent=Y",
                     answer);
    request.AttachResponse(&answer);

    CTextScanner scanner;
    std::string line;
    if (!korvalin::SkipLines(request, line, kRefusalLine, kLineLimit) || scanner.Find(line, kLoginRefused) > 0)
        return false;

    NavigationScan links;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (links.Feed(line))
            break;
    }
    if (links.CheckMail.empty() || links.Folders.empty() || links.Compose.empty())
        return false;
    if (links.BaseFound()) {
        links.CheckMail = links.Base + links.CheckMail;
        links.Compose = links.Base + links.Compose;
        links.Folders = links.Base + links.Folders;
        links.Addresses = links.Base + links.Addresses;
    }
    // Links the transport cannot fetch are no session: every later page
    // would fail while the account looked logged in.
    if (!IsAbsoluteAddress(links.CheckMail))
        return false;

    std::lock_guard lock(SessionLock);
    Values.CheckMailLink = links.CheckMail;
    Values.ComposeLink = links.Compose;
    Values.FoldersLink = links.Folders;
    Values.AddressesLink = links.Addresses;
    Values.BaseAddress = links.Base;
    return true;
}
