#include "MailCity.h"

#include "FemailMarkers.h"
#include "FemailParsing.h"
#include "HostsConfig.h"
#include "PageText.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::femail;
using korvalin::TextBetween;

namespace {

constexpr FemailDialect kMailCityPages{
    .FolderNameEndFrom = 3,
    .TrimFolderNames = true,
    .InboxName = "INBOX",
    .InboxIsFirstFolder = false,
    .FolderLinkEnd = "\"><img src",
    .RowStart = "<font face=\"\" SIZE=\"-1\"> ",
    .FromStart = "<font face=\"\" SIZE=\"-1\"> ",
    .FromEndFrom = 3,
    .NewSubjectEnd = "<",
    .ReadSubjectEnd = "<",
    .FromHeader = "From: ",
    .ValueStart = "; font-size: 10pt\">",
    .ToHeader = "To:",
    .CcHeader = "Cc:",
    .SubjectHeader = "Subject:",
    .HeaderLineLimit = kWideLineLimit,
    .AddressTrim = 0,
};

constexpr std::string_view kPartnerKey = "korvalin";
constexpr std::string_view kLoginForm = "name=\"login_form\" action=\"";
constexpr std::string_view kLoginFormEnd = "\" target=";
constexpr std::string_view kReadMail = ">Read Mail<";
constexpr std::string_view kReadMailEnd = "\"><font color=\"#ffffff";
constexpr std::string_view kAuthorizationFailed = "Authorization to use <b>MailCity</b> has failed";

// The login form's target, named on the home page.
std::string LoginFormAddress()
{
    CWebRequest request;
    std::string page;
    request.GetPage(korvalin::HttpBase(korvalin::HostSetting("mailcity.home")), page);
    request.AttachResponse(&page);
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (scanner.Find(line, kLoginForm) >= 0)
            return TextBetween(line, kLoginForm, kLoginFormEnd);
    }
    return {};
}

} // namespace

CMailCity::CMailCity() : CFemailProvider(kMailCityPages)
{
    Name = "MailCity";
    SignUpUrl = AddressWithPort80(korvalin::HostSetting("mailcity.terms")) + "/freemail/Agreement.html";
}

bool CMailCity::DoLogin()
{
    const std::string formAddress = LoginFormAddress();
    if (formAddress.empty())
        return false;
    CWebRequest request;
    std::string answer;
    if (!PostLoginForm(formAddress, kPartnerKey, request, answer))
        return false;

    CTextScanner scanner;
    std::string line;
    std::string readMail;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (scanner.Find(line, kReadMail) >= 0) {
            int link = scanner.Find(line, kLinkStart);
            int end = scanner.Find(line, kReadMailEnd);
            if (link >= 0)
                readMail = scanner.Extract(line, link + static_cast<int>(kLinkStart.size()), end);
            break;
        }
        if (scanner.Find(line, kAuthorizationFailed) >= 0)
            return false;
    }
    // Only an answer that hands out the Read Mail link is a usable session.
    if (readMail.empty())
        return false;
    LinkParts parts = SplitReadMailLink(readMail);
    StartSession({readMail, parts.HostPrefix, parts.MailboxPath});
    return true;
}
