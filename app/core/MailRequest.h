// One request of the UI update queue, served by the request worker; pending
// actions taken offline use the same record.
#pragma once

#include "MailProvider.h"

#include <cstdint>
#include <memory>
#include <string>

namespace korvalin {

class CAccount;
class FolderSummary;

namespace request {
inline constexpr int32_t kDownload = 0;  // queue: row "%d" in text; pending: MessageId in text, folder name second
inline constexpr int32_t kSend = 1;      // the message, from the account
inline constexpr int32_t kDelete = 2;    // queue: the Locator in text; pending: as kDownload
}  // namespace request

// The locator of a mail known only locally: never sent to the service.
inline constexpr const char* kCachedLocator = "(cached)";

struct MailRequest {
    int32_t kind = request::kDownload;
    std::string text;
    // Queued downloads: the mail's MessageId, so that the worker still finds
    // the mail when rows moved since. Pending actions: the folder's name.
    std::string secondText;
    CMailMessage message;
    std::shared_ptr<CAccount> account;
    std::shared_ptr<FolderSummary> summary;
    std::string typedText;  // kSend: the body as typed, handed back when sending fails
};

}  // namespace korvalin
