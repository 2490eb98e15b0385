// SendMail: asks for the compose form to learn its target and header id,
// then posts the mail to it.
#include "FormEncoding.h"
#include "Hotmail.h"
#include "HotmailMarkers.h"
#include "HotmailParsing.h"
#include "PageText.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::hotmail;
using korvalin::EncodeFormValue;
using korvalin::TextBetween;

bool CHotmail::SendMail(CMailMessage msg)
{
    const SessionValues session = Session();
    const std::string web = Hosts().Web;

    std::string target;
    std::string headerId;
    {
        CWebRequest request;
        std::string page;
        request.GetPage(web + std::string(kComposePath) + "?" + SessionQuery(session), page);
        request.AttachResponse(&page);
        CTextScanner scanner;
        std::string line;
        while (request.ReadLine(line, false) != 0) {
            if (scanner.Find(line, kFormAction) >= 0)
                target = TextBetween(line, kFormAction, kAttributeEnd);
            if (scanner.Find(line, kHeaderId) >= 0) {
                headerId = TextBetween(line, kHeaderId, kAttributeEnd);
                break;
            }
        }
    }
    if (target.empty())
        return false;
    if (target.front() == '/')
        target = web + target;

    std::string form = "disk=" + session.Disk + "&login=" + EncodeFormValue(session.User) + "&f=" + session.FormF +
                       "&curmbox=" + CurMbox + "&" + "msg=&start=&len=&attfile=&type=&src=&sigflag=y&newmail=&" +
                       "msghdrid=" + headerId + "&Send.x=Send&" + "to=" + EncodeFormValue(msg.To) +
                       "&subject=" + EncodeFormValue(msg.Subject) + "&cc=" + EncodeFormValue(msg.CC) +
                       "&bcc=" + EncodeFormValue(msg.BCC) + "&";
    if (msg.SaveCopy)
        form += "outgoing=on&";
    form += "body=" + msg.Body;

    CWebRequest request;
    std::string answer;
    bool fetched = request.PostForm(target, form, answer);
    return request.Accepted(fetched);
}
