// GetAddressBook reads the address book page, where an entry's address and
// name stand eight lines apart in the same kind of cell; AddAddress posts
// the form for one new entry.
#include "FormEncoding.h"
#include "NetAddress.h"
#include "NetAddressParsing.h"
#include "PageRequests.h"
#include "WebRequest.h"

using namespace korvalin::netaddress;
using korvalin::EncodeFormValue;
using korvalin::FetchPage;
using korvalin::SkipLines;

void CNetAddress::GetAddressBook(CAddressArray &book)
{
    book.clear();
    const SessionValues session = Session();
    if (session.MailboxId.empty())
        return;

    CWebRequest request;
    std::string page;
    if (!FetchPage(request, PageUrl(Hosts(), "AddrBook", session.MailboxId, "List?PopUp=No"), page))
        return;
    request.AttachResponse(&page);

    std::string line;
    while (request.ReadLine(line, false, kAddressBookLineLimit) != 0) {
        if (line.find(kBookCell) == std::string::npos) {
            if (line.find(kBookEnd) != std::string::npos)
                break;
            continue;
        }
        AddressEntry entry;
        entry.Address = BookCell(line);
        if (!SkipLines(request, line, kBookNameSkip, kAddressBookLineLimit))
            break;
        entry.Name = BookCell(line);
        book.push_back(std::move(entry));
    }
}

void CNetAddress::AddAddress(std::string name, std::string address)
{
    const SessionValues session = Session();
    if (session.MailboxId.empty())
        return;
    const std::string form = "Action=&submiting=YES&PopUp=&EmailAddress=" + EncodeFormValue(address) +
                             "&Nickname=" + EncodeFormValue(name) +
                             "&First= &Last= &Address1=&Address2=&City=&State=&ZIP=&Country=&" +
                             "Work=&Home=&CellPhone=&Pager=&Fax=&HomePage=&notes=";
    CWebRequest request;
    std::string answer;
    request.PostForm(PageUrl(Hosts(), "AddrBook", session.MailboxId, "Individual"), form, answer);
}
