// SendMail posts the compose form; DeleteMail moves a mail to the Trash
// folder through the folder-action host.
#include "ExciteParsing.h"
#include "FormEncoding.h"
#include "MailExcite.h"
#include "PageRequests.h"
#include "WebRequest.h"

using namespace korvalin::excite;
using korvalin::EncodeFormValue;
using korvalin::PostPage;

bool CMailExcite::SendMail(CMailMessage msg)
{
    if (Session().MailboxKey.empty())
        return false;
    std::string form = msg.SaveCopy ? "save_outgoing=ON&" : "";
    form += "action=Send&to=" + EncodeFormValue(msg.To) + "&cc=" + EncodeFormValue(msg.CC) +
            "&bcc=" + EncodeFormValue(msg.BCC) + "&subject=" + EncodeFormValue(msg.Subject) + "&text=" + msg.Body +
            "&files=";
    CWebRequest request;
    std::string answer;
    return PostPage(request, Hosts().Mail + std::string(kSendTarget), form, answer);
}

bool CMailExcite::DeleteMail(std::string locator)
{
    const std::string form = DeleteForm(locator);
    if (Session().MailboxKey.empty() || form.empty())
        return false;
    CWebRequest request;
    std::string answer;
    return PostPage(request, Hosts().FolderAction + std::string(kDeleteTarget), form, answer);
}
