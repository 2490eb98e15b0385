// What the request worker does with one request of the UI update queue.
#pragma once

#include "MailContext.h"
#include "MailRequest.h"

namespace korvalin {

// Kind 0 downloads the mail into the cache, kind 1 sends the message (a mail
// the service refuses is handed back to the person), kind 2 deletes the mail
// on the server unless its locator is "(cached)".
void ServeRequest(const MailContext& context, MailRequest& request);

}  // namespace korvalin
