// GetAddressBook reads the address book page, where each entry starts at
// its edit pencil with the name two lines and the address five lines below;
// AddAddress posts the form for one new entry.
#include "ExciteParsing.h"
#include "FormEncoding.h"
#include "MailExcite.h"
#include "PageRequests.h"
#include "WebRequest.h"

using namespace korvalin::excite;
using korvalin::EncodeFormValue;
using korvalin::FetchPage;
using korvalin::SkipLines;

void CMailExcite::GetAddressBook(CAddressArray &book)
{
    book.clear();
    const SessionValues session = Session();
    if (session.MailboxKey.empty())
        return;
    CWebRequest request;
    std::string page;
    if (!FetchPage(request, Hosts().Mail + std::string(kAddressBookPage) + session.MailboxKey, page))
        return;
    request.AttachResponse(&page);

    std::string line;
    while (request.ReadLine(line, false, kLongLineLimit) != 0) {
        if (line.find(kBookEntry) == std::string::npos) {
            if (line.find(kBookEnd) != std::string::npos)
                break;
            continue;
        }
        AddressEntry entry;
        if (!SkipLines(request, line, kBookNameSkip, kLongLineLimit))
            break;
        entry.Name = BookName(line);
        if (!SkipLines(request, line, kBookAddressSkip, kLongLineLimit))
            break;
        entry.Address = BookAddress(line);
        book.push_back(std::move(entry));
    }
}

void CMailExcite::AddAddress(std::string name, std::string address)
{
    if (Session().MailboxKey.empty())
        return;
    const std::string form = "action=Save&create=1&alias=" + EncodeFormValue(name) +
                             "&oldalias=&email=" + EncodeFormValue(address) +
                             "&fname= &lname= &website=&phone=&cellphone=&company=&cophone=&fax=&pager=&notes=";
    CWebRequest request;
    std::string answer;
    request.PostForm(Hosts().Mail + std::string(kAddAddressTarget), form, answer);
}
