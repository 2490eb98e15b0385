// SendMail asks the mailbox form for a new mail's compose form (which hands
// out a message number) and posts the mail to the send script; DeleteMail
// ticks the mail's move box and moves it to the Trash Can.
#include "FormEncoding.h"
#include "Goplay.h"
#include "GoplayParsing.h"
#include "PageRequests.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::goplay;
using korvalin::EncodeFormValue;
using korvalin::PostPage;
using korvalin::TextBetween;

std::string CGoplay::OpenComposeForm(const SessionValues &session)
{
    CWebRequest request;
    std::string page;
    if (!CookiePost(request, session.FormAddress,
                    "CHG_FOLDER=1&START_ON=" + session.StartOn + "&END_ON=" + session.EndOn +
                        "&FOLDER=1&MOVE_TO=2&BAR1.x=69&BAR1.y=67",
                    session.CookieHeader, page))
        return {};
    request.AttachResponse(&page);
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0)
        if (line.find(kMessageNumber) != std::string::npos)
            return TextBetween(line, kMessageNumber, kAttributeEnd);
    return {};
}

bool CGoplay::SendMail(CMailMessage msg)
{
    SessionValues session;
    if (!MailboxFormSession(session))
        return false;
    const std::string sid = SidOf(session.FormAddress);
    RememberSid(sid);
    const std::string number = OpenComposeForm(session);
    if (number.empty())
        return false;

    std::string form = msg.SaveCopy ? "COPYSENT=ON&" : "";
    form += "MSG=" + number + "&FOLDER=1&START_ON=" + session.StartOn + "&ORIG_MSG=0&" +
            "to=" + EncodeFormValue(msg.To) + "&cc=" + EncodeFormValue(msg.CC) + "&bcc=" + EncodeFormValue(msg.BCC) +
            "&subject=" + EncodeFormValue(msg.Subject) + "&TEXT_MESSAGE=" + msg.Body + "&SEND=SEND!";
    CWebRequest request;
    std::string answer;
    return PostPage(request, Base() + std::string(kSendPath) + sid, form, answer);
}

bool CGoplay::DeleteMail(std::string locator)
{
    const std::string move = MoveNameOf(locator);
    SessionValues session;
    if (move.empty() || !MailboxFormSession(session))
        return false;
    CWebRequest request;
    std::string answer;
    return CookiePost(request, session.FormAddress, DeleteForm(move, session.StartOn, session.EndOn),
                      session.CookieHeader, answer);
}
