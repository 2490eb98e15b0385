#include "AngelFire.h"

#include "FemailMarkers.h"
#include "FemailParsing.h"
#include "HostsConfig.h"
#include "PageText.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::femail;
using korvalin::TextBetween;

namespace {

constexpr FemailDialect kAngelFirePages{
    .FolderNameEndFrom = 2,
    .TrimFolderNames = false,
    .InboxName = "",
    .InboxIsFirstFolder = true,
    .FolderLinkEnd = "\">",
    .RowStart = "<td bgcolor=\"cccccc\">",
    .FromStart = "<font  SIZE=\"-1\">",
    .FromEndFrom = 0,
    .NewSubjectEnd = "</b>",
    .ReadSubjectEnd = "</a>",
    .FromHeader = "<b >From: ",
    .ValueStart = "<td align=\"left\"><font >",
    .ToHeader = "<b >To:",
    .CcHeader = "<b>Cc:",
    .SubjectHeader = "<b>Subject:",
    .HeaderLineLimit = kLineLimit,
    .AddressTrim = 1,
};

constexpr std::string_view kPartnerKey = "korva";
constexpr std::string_view kLoginPath = "/login.notfemail";
constexpr std::string_view kReadMailEnd = "\" style=";

} // namespace

CAngelFire::CAngelFire() : CFemailProvider(kAngelFirePages)
{
    Name = "AngelFire";
    SignUpUrl = AddressWithPort80(korvalin::HostSetting("angelfire.terms")) + "/freemail/Agreement.html";
}

bool CAngelFire::DoLogin()
{
    const std::string mailHost = korvalin::HostSetting("angelfire.mail");
    const std::string mailRoot = AddressWithPort80(mailHost); // "http://host:80"
    CWebRequest request;
    std::string answer;
    if (!PostLoginForm(mailRoot + std::string(kLoginPath), kPartnerKey, request, answer))
        return false;

    // The Read Mail link is the one to the mail host that carries a style.
    const std::string linkMarker = std::string(kLinkStart) + mailRoot;
    CTextScanner scanner;
    std::string line;
    std::string readMail;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        int link = scanner.Find(line, linkMarker);
        int end = link < 0 ? -1 : scanner.FindAfter(line, kReadMailEnd, link);
        if (end < 0)
            continue;
        readMail = scanner.Extract(line, link + static_cast<int>(kLinkStart.size()), end);
        break;
    }
    // Only an answer that hands out the Read Mail link is a usable session;
    // its mailbox path follows the mail host.
    const std::string mailboxPath = TextBetween(readMail, mailRoot + "/", kInboxPage);
    if (readMail.empty() || mailboxPath.empty())
        return false;
    StartSession({readMail, korvalin::HttpBase(mailHost) + "/", mailboxPath});
    return true;
}
