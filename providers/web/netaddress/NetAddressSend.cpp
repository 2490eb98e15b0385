// SendMail posts the send form; DeleteMail moves a mail to the folder the
// service numbers -1 (its deleted mail) through the multi-mail form.
#include "FormEncoding.h"
#include "NetAddress.h"
#include "NetAddressParsing.h"
#include "PageRequests.h"
#include "WebRequest.h"

using namespace korvalin::netaddress;
using korvalin::EncodeFormValue;
using korvalin::PostPage;

bool CNetAddress::SendMail(CMailMessage msg)
{
    const SessionValues session = Session();
    if (session.MailboxId.empty())
        return false;
    const HostValues hosts = Hosts();
    const std::string user = EncodeFormValue(session.User);

    std::string form = "FileAttachment=&FileAttachment=&FileAttachment=&FileAttachment=&FileAttachment=&";
    form += "MFrom=" + user + "&MSID=" + session.MailboxId;
    form += "&SendAction=&stationeryfile=&ComposePopUp=&VacationParseString=&RedirectSuccess=&";
    form += "FLine=" + user + EncodeFormValue("@" + hosts.Domain) + "&MessageType=Draft&";
    form += "MTo=" + EncodeFormValue(msg.To) + "&MSubject=" + EncodeFormValue(msg.Subject) +
            "&MCC=" + EncodeFormValue(msg.CC) + "&MBCC=" + EncodeFormValue(msg.BCC);
    if (msg.SaveCopy)
        form += "&DoSaveSent=True";
    form += "&ContentType=text/html; charset=us-ascii&ReadReceipt=False&StationeryID=--- None ---&Priority=3&";
    form += "MText=<pre>" + msg.Body + "</pre>";
    form += "&SignatureID=";

    CWebRequest request;
    std::string answer;
    return PostPage(request, PageUrl(hosts, "Send", session.MailboxId, "Message"), form, answer);
}

bool CNetAddress::DeleteMail(std::string locator)
{
    const SessionValues session = Session();
    const std::string form = DeleteForm(locator, ListedMailCount());
    if (session.MailboxId.empty() || form.empty())
        return false;

    CWebRequest request;
    std::string answer;
    return PostPage(request, PageUrl(Hosts(), "Mail", session.MailboxId, "MultiOp"), form, answer);
}
