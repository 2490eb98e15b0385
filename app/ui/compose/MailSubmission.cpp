#include "MailSubmission.h"

#include "Engine.h"

namespace korvalin::ui {

Submission SubmitMail(Engine& engine, const std::shared_ptr<CAccount>& sender, CMailMessage message,
                      std::string typedText)
{
    MailRequest request;
    request.kind = request::kSend;
    request.message = std::move(message);
    request.account = sender;
    request.typedText = std::move(typedText);
    if (!engine.Online().Online()) {
        engine.Pending().Append(std::move(request));
        return Submission::Pending;
    }
    return QueueRequest(engine.Requests(), engine.Ui(), std::move(request)) ? Submission::Queued : Submission::Failed;
}

}  // namespace korvalin::ui
