// Hands a finished mail to the engine: online as a send request for the
// request worker, offline as a pending action carried out on going online.
#pragma once

#include "MailProvider.h"

#include <memory>
#include <string>

namespace korvalin {
class CAccount;
class Engine;
}  // namespace korvalin

namespace korvalin::ui {

enum class Submission {
    Queued,   // online: the request worker sends it
    Pending,  // offline: sent when the program goes online
    Failed,   // the queue took nothing (the person was told)
};

// typedText is the body as the person typed it, handed back should the
// service refuse the mail.
Submission SubmitMail(Engine& engine, const std::shared_ptr<CAccount>& sender, CMailMessage message,
                      std::string typedText);

}  // namespace korvalin::ui
