// GetFolders: the mailbox page holds the mailbox form (its address and the
// START_ON and END_ON values every later form repeats). Besides the inbox
// the service has two fixed folders, "Trash Can" and "Sent Messages".
#include "Goplay.h"
#include "GoplayParsing.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::goplay;
using korvalin::TextBetween;

bool CGoplay::ReadMailboxPage(SessionValues &session, CStringArray *names)
{
    if (session.MailboxLink.empty())
        return false;
    const std::string base = Base();
    CWebRequest request;
    std::string page;
    if (!CookieGet(request, session.MailboxLink, session.CookieHeader, page))
        return false;
    request.AttachResponse(&page);

    if (names != nullptr)
        names->clear();
    session.FolderForms.clear();
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kFormAction) != std::string::npos)
            session.FormAddress = base + TextBetween(line, kFormAction, kFormActionEnd);
        if (line.find(kStartOn) != std::string::npos)
            session.StartOn = TextBetween(line, kStartOn, ">");
        if (line.find(kEndOn) != std::string::npos) {
            session.EndOn = TextBetween(line, kEndOn, ">");
            session.FolderForms = {FolderForm(kTrashFolder, session.StartOn, session.EndOn),
                                   FolderForm(kSentFolder, session.StartOn, session.EndOn)};
            if (names != nullptr)
                *names = {"Trash Can", "Sent Messages"};
            break;
        }
    }

    std::lock_guard lock(SessionLock);
    // A login in between has started another session; its values stay.
    if (CookieHeader == session.CookieHeader) {
        FormAddress = session.FormAddress;
        StartOn = session.StartOn;
        EndOn = session.EndOn;
        FolderForms = session.FolderForms;
    }
    return true;
}

bool CGoplay::GetFolders(CStringArray &names)
{
    SessionValues session = Session();
    CStringArray found;
    if (!ReadMailboxPage(session, &found))
        return false;
    names = std::move(found);
    return true;
}

bool CGoplay::MailboxFormSession(SessionValues &session)
{
    session = Session();
    if (session.FormAddress.empty() && !ReadMailboxPage(session, nullptr))
        return false;
    return !session.FormAddress.empty();
}
