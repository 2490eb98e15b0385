// GetAddressBook reads the address book page: an entry's name line, and its
// address eight lines on. AddAddress posts the new-address form.
#include "FemailMarkers.h"
#include "FemailParsing.h"
#include "FemailProvider.h"
#include "FormEncoding.h"
#include "PageText.h"
#include "TextScanner.h"
#include "WebRequest.h"

using namespace korvalin::femail;
using korvalin::EncodeFormValue;
using korvalin::TextBetween;

void CFemailProvider::GetAddressBook(CAddressArray &book)
{
    book.clear();
    const std::string address = PageAddress(Session(), kAddressBookPath);
    if (address.empty())
        return;

    CWebRequest request;
    std::string page;
    request.GetPage(address, page);
    request.AttachResponse(&page);
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, kWideLineLimit) != 0) {
        if (scanner.Find(line, kBookEntry) < 0)
            continue;
        AddressEntry entry;
        entry.Name = TextBetween(line, kBookEntry, kLinkEnd);
        bool complete = true;
        for (int i = 0; i < kBookAddressDistance && complete; ++i)
            complete = request.ReadLine(line, false, kWideLineLimit) != 0;
        if (!complete)
            break; // an entry cut off by the end of the page is no entry
        entry.Address = BookAddress(line, Dialect.AddressTrim);
        book.push_back(std::move(entry));
        if (scanner.Find(line, kBookEnd) > 0)
            break;
    }
}

void CFemailProvider::AddAddress(std::string name, std::string address)
{
    const SessionValues session = Session();
    const std::string target = PageAddress(session, kMultiplexPath);
    if (target.empty())
        return;
    CWebRequest request;
    std::string answer;
    request.PostForm(target,
                     "/ab_newadd.femail=save new address&" + std::string("name=") + EncodeFormValue(name) + "&" +
                         "nick=" + EncodeFormValue(name) + "&email=" + EncodeFormValue(address) +
                         "&abentry=" + EncodeFormValue(session.User) + ":zzz:/:L:5",
                     answer);
}
