// GetMailSummary: posts the folder's view form to the mailbox form address;
// every mail is one line of the answer.
#include "Goplay.h"
#include "GoplayParsing.h"
#include "WebRequest.h"

using namespace korvalin::goplay;

bool CGoplay::GetMailSummary(CSummaryArray &list, int folder)
{
    SessionValues session;
    if (!MailboxFormSession(session))
        return false;
    std::string form;
    int number = kInboxFolder;
    if (folder == -1) {
        form = FolderForm(kInboxFolder, session.StartOn, session.EndOn);
    } else if (folder >= 0 && static_cast<size_t>(folder) < session.FolderForms.size()) {
        form = session.FolderForms[static_cast<size_t>(folder)];
        number = folder == 0 ? kTrashFolder : kSentFolder;
    } else {
        return false;
    }

    CWebRequest request;
    std::string page;
    if (!CookiePost(request, session.FormAddress, form, session.CookieHeader, page))
        return false;
    request.AttachResponse(&page);

    bool sawMail = false;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        if (line.find(kMailLine) == std::string::npos) {
            if (sawMail)
                break;
            continue;
        }
        sawMail = true;
        SummaryEntry entry = ParseMailLine(line, number, session.StartOn, session.EndOn);
        // A line without a mail key cannot be opened or deleted.
        if (!entry.Locator.empty())
            list.push_back(std::move(entry));
    }
    return true;
}
