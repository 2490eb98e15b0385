// What the folder summaries, checks and offline mode share: the engine's
// services, the request queue, the new-mail list and the pending actions.
#pragma once

#include "CoreServices.h"

namespace korvalin {

class NewMailList;
class PendingActions;
class RequestQueue;

struct MailContext {
    CoreServices core;
    RequestQueue& requests;
    NewMailList& newMail;
    PendingActions& pending;
};

}  // namespace korvalin
