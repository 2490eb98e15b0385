#include "RequestServer.h"

#include "Account.h"
#include "FolderSummary.h"
#include "TextFormat.h"

#include <cstdlib>

namespace korvalin {
namespace {

void SendMail(const MailContext& context, MailRequest& request)
{
    CAccount& account = *request.account;
    context.core.log.Info(account, "Sending mail to %s", request.message.To.c_str());
    CMailMessage copy = request.message;
    if (account.ProviderObject().SendMail(copy))
        return;
    context.core.log.Error(account, "The mail to %s was not sent", request.message.To.c_str());
    UnsentMail unsent;
    unsent.text = Format("The mail to %s was not sent: %s did not accept it. It is shown again so that you can send "
                         "it later.",
                         request.message.To.c_str(), account.LogName().c_str());
    unsent.message = request.message;
    unsent.typedText = request.typedText;
    unsent.account = request.account;
    context.core.ui.ReturnUnsentMail(unsent);
}

}  // namespace

void ServeRequest(const MailContext& context, MailRequest& request)
{
    switch (request.kind) {
    case request::kDownload:
        if (request.summary)
            request.summary->DownloadQueuedMail(std::atoi(request.text.c_str()), request.secondText);
        break;
    case request::kSend:
        if (request.account)
            SendMail(context, request);
        break;
    case request::kDelete:
        if (request.text == kCachedLocator || !request.account)
            break;
        if (!request.account->ProviderObject().DeleteMail(request.text))
            context.core.log.Warning(*request.account, "The mail %s could not be deleted on the server",
                                     request.text.c_str());
        break;
    default:
        context.core.log.Error(kCommon, "A request of unknown kind %d was dropped", static_cast<int>(request.kind));
        break;
    }
}

}  // namespace korvalin
