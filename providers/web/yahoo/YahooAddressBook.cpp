// GetAddressBook reads the address page's checkbox rows; AddAddress posts
// the quick-entry form, whose target carries the session key of the page's
// Check Mail link.
#include "FormEncoding.h"
#include "TextScanner.h"
#include "WebRequest.h"
#include "YahooMail.h"
#include "YahooMarkers.h"
#include "YahooParsing.h"

using namespace korvalin::yahoo;
using korvalin::EncodeFormValue;

void CYahooMail::GetAddressBook(CAddressArray &book)
{
    book.clear();
    const SessionValues session = Session();
    if (session.AddressesLink.empty())
        return;

    CWebRequest request;
    std::string page;
    request.GetPage(session.AddressesLink, page);
    request.AttachResponse(&page);
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        AddressEntry entry;
        if (ParseBookRow(line, entry))
            book.push_back(std::move(entry));
        else if (!book.empty())
            break; // the rows stand together; the first other line ends them
    }
}

void CYahooMail::AddAddress(std::string name, std::string address)
{
    const SessionValues session = Session();
    if (session.AddressesLink.empty())
        return;

    std::string target;
    {
        CWebRequest request;
        std::string page;
        request.GetPage(session.AddressesLink, page);
        request.AttachResponse(&page);
        CTextScanner scanner;
        std::string line;
        while (request.ReadLine(line, false, kLineLimit) != 0) {
            int link = scanner.Find(line, kCheckMailLink);
            if (link < 0)
                continue;
            int key = scanner.Find(line, kSessionKey);
            std::string value =
                key < 0 ? std::string() : scanner.Extract(line, key + static_cast<int>(kSessionKey.size()), link);
            if (!value.empty())
                target = session.BaseAddress + std::string(kAddressBookPath) + value;
            break;
        }
    }
    if (target.empty())
        return;

    CWebRequest request;
    std::string answer;
    request.PostForm(target,
                     "A=ma&v=YM&nf=1&fn= &ln= &e=" + EncodeFormValue(address) + "&" + "nn=" + EncodeFormValue(name) +
                         "&" + "wp=&hp=&AG=1&QE=Quick Entry",
                     answer);
}
