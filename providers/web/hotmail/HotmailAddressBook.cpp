// GetAddressBook reads the recipient picker, one address per row;
// AddAddress posts the service's address form.
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

void CHotmail::GetAddressBook(CAddressArray& book)
{
    book.clear();
    const SessionValues session = Session();
    CWebRequest request;
    std::string page;
    request.GetPage(Hosts().Form + std::string(kAddressPickerPath) + "?disk=" + session.Disk +
                        "&login=" + EncodeFormValue(session.User) + "&f=" + session.FormF + "&curmbox=ACTIVE&where=to",
                    page);
    request.AttachResponse(&page);

    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, 2048) != 0) {
        if (scanner.Find(line, kBookAddress) < 0)
            continue;
        AddressEntry entry;
        entry.Address = TextBetween(line, kBookAddress, kQuote);
        entry.Name = TextBetween(line, kBookNickname, "<");
        book.push_back(std::move(entry));
    }
}

void CHotmail::AddAddress(std::string name, std::string address)
{
    const SessionValues session = Session();
    std::string form = "disk=" + session.Disk + "&login=" + EncodeFormValue(session.User) + "&f=" + session.FormF +
                       "&curmbox=" + CurMbox + "&" + "_lang=&" + "smsg=&m=0&g=0&i=&alias=" + EncodeFormValue(name) +
                       "&addrlist=" + EncodeFormValue(address) +
                       "&aliasfname=&aliaslname=&aliasstreet=&aliascity=&aliasstate=&aliaszip=&aliascountry=&" +
                       "aliascompany=&aliashphone=&aliaswphone=&aliaspphone=&aliascphone=&aliasfphone=&" +
                       "aliasophone=&aliasmonth=&aliasday=&aliasyear=&Submit.x= OK ";
    CWebRequest request;
    std::string answer;
    request.PostForm(Hosts().Form + std::string(kAddAddressPath), form, answer);
}
