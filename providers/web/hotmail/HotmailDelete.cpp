// DeleteMail: moves the mail to the service's trash through the folder
// script, with the message id taken from the mail's locator.
#include "Hotmail.h"
#include "HotmailMarkers.h"
#include "HotmailParsing.h"
#include "WebRequest.h"

using namespace korvalin::hotmail;

bool CHotmail::DeleteMail(std::string locator)
{
    static constexpr std::string_view kMessageParameter = "&msg=";
    size_t found = locator.find(kMessageParameter);
    if (found == std::string::npos)
        return false;
    std::string prefix = locator.substr(0, found + 1);
    size_t idStart = found + kMessageParameter.size();
    std::string messageId = locator.substr(idStart, locator.find('&', idStart) - idStart);
    if (messageId.empty())
        return false;
    prefix = ReplaceInPath(ReplaceInPath(prefix, "compose", kFolderScript), "getmsg", kFolderScript);

    CWebRequest request;
    std::string page;
    bool fetched = request.GetPage(Hosts().Web + prefix + "js=&foo=inbox&" + messageId +
                                       "=on&Move To.x=Move To&tobox=" + std::string(kTrashFolder),
                                   page);
    return request.Accepted(fetched);
}
