// DeleteMail asks the mail's page for its document id and base address and
// then the delete command; SendMail learns the compose form's target and
// compose id and posts the mail to it.
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

namespace {

// The document id and base address of a mail page: the id between the
// first two double quotes after "docid", then the first "base href=" after
// that line, up to its ">".
struct MailPageIds {
    std::string DocumentId, Base;
};

MailPageIds ReadMailPageIds(CWebRequest &request)
{
    MailPageIds ids;
    CTextScanner scanner;
    std::string line;
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        int word = scanner.Find(line, kDocIdWord);
        if (word < 0)
            continue;
        int open = scanner.FindAfter(line, "\"", word);
        int close = open < 0 ? -1 : scanner.FindAfter(line, "\"", open);
        ids.DocumentId = close < 0 ? std::string() : scanner.Extract(line, open + 1, close);
        break;
    }
    while (request.ReadLine(line, false, kLineLimit) != 0) {
        int base = scanner.Find(line, kBaseHref);
        if (base < 0)
            continue;
        int start = base + static_cast<int>(kBaseHref.size());
        ids.Base = scanner.Extract(line, start, scanner.FindAfter(line, kTagClose, start - 1));
        break;
    }
    return ids;
}

} // namespace

bool CFemailProvider::DeleteMail(std::string locator)
{
    MailPageIds ids;
    {
        CWebRequest request;
        std::string page;
        if (!request.GetPage(locator, page))
            return false;
        request.AttachResponse(&page);
        ids = ReadMailPageIds(request);
    }
    if (ids.DocumentId.empty() || ids.Base.empty())
        return false;

    CWebRequest request;
    std::string answer;
    const bool fetched =
        request.GetPage(ids.Base + std::string(kDeletePage) + ids.DocumentId + std::string(kDeleteCommand), answer);
    return request.Accepted(fetched);
}

bool CFemailProvider::SendMail(CMailMessage msg)
{
    const std::string composePage = PageAddress(Session(), kComposePath);
    if (composePage.empty())
        return false;

    std::string target = composePage;
    std::string composeId;
    bool composeForm = false; // a page with neither line is no compose form
    {
        CWebRequest request;
        std::string page;
        if (!request.GetPage(composePage, page))
            return false;
        request.AttachResponse(&page);
        CTextScanner scanner;
        std::string line;
        while (request.ReadLine(line, false, kLineLimit) != 0) {
            if (scanner.Find(line, kComposeAction) >= 0) {
                target = TextBetween(line, kComposeAction, kAttributeEnd);
                composeForm = true;
            }
            if (scanner.Find(line, kComposeId) >= 0) {
                composeId = TextBetween(line, kComposeId, kAttributeEnd);
                composeForm = true;
                break;
            }
        }
    }
    if (!composeForm || target.empty())
        return false;

    std::string form = "actions=&" + std::string("compid=") + composeId + "&" + "%2Fcmdo.femail=send&";
    if (msg.SaveCopy)
        form += "copy=ON&";
    form += "to=" + EncodeFormValue(msg.To) + "&" + "subject=" + EncodeFormValue(msg.Subject) + "&" +
            "cc=" + EncodeFormValue(msg.CC) + "&" + "bcc=" + EncodeFormValue(msg.BCC) + "&" + "ORIG_DRAFT_DOCID=&" +
            "body=" + msg.Body;

    CWebRequest request;
    std::string answer;
    const bool fetched = request.PostForm(target, form, answer);
    return request.Accepted(fetched);
}
