// SendMail posts the compose form; DeleteMail posts the folder form of the
// listing that showed the mail.
#include "FormEncoding.h"
#include "TextScanner.h"
#include "WebRequest.h"
#include "YahooMail.h"
#include "YahooMarkers.h"
#include "YahooParsing.h"

using namespace korvalin::yahoo;
using korvalin::EncodeFormValue;

bool CYahooMail::SendMail(CMailMessage msg)
{
    const SessionValues session = Session();
    if (session.ComposeLink.empty())
        return false;

    std::string formAddress;
    {
        CWebRequest request;
        std::string page;
        request.GetPage(session.ComposeLink, page);
        request.AttachResponse(&page);
        CTextScanner scanner;
        std::string line;
        while (request.ReadLine(line, false, kLineLimit) != 0) {
            int form = scanner.Find(line, kListingForm);
            if (form < 0)
                continue;
            int start = form + static_cast<int>(kListingForm.size());
            std::string action = scanner.Extract(line, start, scanner.FindAfter(line, kAttributeEnd, start - 1));
            if (!action.empty())
                formAddress = session.BaseAddress + action;
            break;
        }
    }
    if (formAddress.empty())
        return false;

    std::string form = "file0=&file1=&file2=&SND=Send&";
    if (msg.SaveCopy)
        form += "saveCopy=ON&";
    form += "to=" + EncodeFormValue(msg.To) + "&" + "subject=" + EncodeFormValue(msg.Subject) + "&" +
            "cc=" + EncodeFormValue(msg.CC) + "&" + "bcc=" + EncodeFormValue(msg.BCC) + "&" + "body=" + msg.Body + "&" +
            "sig=1&" + "format=plain checked";

    CWebRequest request;
    std::string answer;
    const bool fetched = request.PostForm(formAddress, form, answer);
    return request.Accepted(fetched);
}

bool CYahooMail::DeleteMail(std::string locator)
{
    const std::string messageId = MessageIdOfLocator(locator);
    if (messageId.empty())
        return false;
    const std::string formAddress = FormAddressFor(messageId);
    if (formAddress.empty())
        return false;

    CWebRequest request;
    std::string answer;
    const bool fetched = request.PostForm(formAddress,
                                          "TRA=Delete&" + std::string("destBox1=- Choose Folder -&") +
                                              "message=" + messageId + "&" + "destBox2=- Choose Folder -",
                                          answer);
    return request.Accepted(fetched);
}
