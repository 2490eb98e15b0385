#include "FemailProvider.h"

#include "FemailMarkers.h"
#include "FormEncoding.h"
#include "PageRequests.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::femail;

CFemailProvider::CFemailProvider(const FemailDialect &dialect) : Dialect(dialect) {}

void CFemailProvider::SetUserProfile(std::string user, std::string password)
{
    std::lock_guard lock(SessionLock);
    Values.User = std::move(user);
    Values.Password = std::move(password);
}

int CFemailProvider::GetVersion()
{
    return 5;
}

CFemailProvider::SessionValues CFemailProvider::Session() const
{
    std::lock_guard lock(SessionLock);
    return Values;
}

bool CFemailProvider::PostLoginForm(const std::string &formAddress, std::string_view partnerKey, CWebRequest &request,
                                    std::string &answer) const
{
    const SessionValues session = Session();
    request.PostForm(formAddress,
                     "user=" + korvalin::EncodeFormValue(session.User) + "&" +
                         "passwd=" + korvalin::EncodeFormValue(session.Password) + "&" + "version=2&" +
                         "partner_key=" + std::string(partnerKey),
                     answer);
    request.AttachResponse(&answer);
    CTextScanner scanner;
    std::string line;
    return korvalin::SkipLines(request, line, kRefusalLine, kLineLimit) && scanner.Find(line, kLoginRefused) <= 0;
}

void CFemailProvider::StartSession(const SessionLinks &links)
{
    std::lock_guard lock(SessionLock);
    Values.ReadMailLink = links.ReadMailLink;
    Values.PagePrefix = links.PagePrefix;
    Values.MailboxPath = links.MailboxPath;
}

std::string CFemailProvider::PageAddress(const SessionValues &session, std::string_view suffix)
{
    if (session.MailboxPath.empty())
        return {};
    return session.PagePrefix + session.MailboxPath + std::string(suffix);
}
