// GetAddressBook: the service shows its address book only inside the
// compose form, so every entry is ticked, added to a new mail's To field,
// and that field is read back. AddAddress posts the address book form.
#include "FormEncoding.h"
#include "Goplay.h"
#include "GoplayParsing.h"
#include "PageText.h"
#include "WebRequest.h"

using namespace korvalin::goplay;
using korvalin::EncodeFormValue;
using korvalin::TextBetween;

void CGoplay::GetAddressBook(CAddressArray &book)
{
    book.clear();
    SessionValues session;
    if (!MailboxFormSession(session))
        return;
    const std::string sid = SidOf(session.FormAddress);
    RememberSid(sid);
    const std::string number = OpenComposeForm(session);
    if (number.empty())
        return;
    const std::string base = Base();

    // The address book button of the compose form lists every entry with a
    // checkbox.
    std::string form = "MSG=" + number + "&FOLDER=1&START_ON=" + session.StartOn + "&ORIG_MSG=0&";
    {
        CWebRequest request;
        std::string page;
        if (!CookiePost(request, base + std::string(kSendPath) + sid,
                        form + "&to=&cc=&bcc=&subject=&TEXT_MESSAGE=&ADDRBOOK.x=37&ADDRBOOK.y=12", session.CookieHeader,
                        page))
            return;
        request.AttachResponse(&page);
        bool sawEntry = false;
        std::string line;
        while (request.ReadLine(line, false, kLongLineLimit) != 0) {
            if (line.find(kBookEntry) == std::string::npos) {
                if (sawEntry)
                    break;
                continue;
            }
            sawEntry = true;
            form += EncodeFormValue(TextBetween(line, kBookEntry, kBookEntryEnd)) + "=on&";
        }
    }
    form += "TO_BOOK=Add+to+To";

    CWebRequest request;
    std::string page;
    if (!CookiePost(request, base + std::string(kEditPath) + sid, form, session.CookieHeader, page))
        return;
    request.AttachResponse(&page);
    std::string line;
    while (request.ReadLine(line, false, kLongLineLimit) != 0) {
        if (line.find(kToField) != std::string::npos) {
            book = SplitAddressList(TextBetween(line, kToField, kToFieldEnd));
            return;
        }
    }
}

void CGoplay::AddAddress(std::string name, std::string address)
{
    SessionValues session;
    if (!MailboxFormSession(session))
        return;
    // The session id of the last address book read, or else the mailbox form's.
    const std::string sid = session.Sid.empty() ? SidOf(session.FormAddress) : session.Sid;
    CWebRequest request;
    std::string answer;
    CookiePost(request, Base() + std::string(kAddAddressPath) + sid,
               "FOLDER=1&START_ON=" + session.StartOn + "&TEXT_DESCR=" + EncodeFormValue(name) +
                   "&EMAILS=" + EncodeFormValue(address) + "&ADD=SAVE",
               session.CookieHeader, answer);
}
