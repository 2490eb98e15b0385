// The demo's mail: what korvalin-websim's demo accounts hold, and the mail
// that arrives for them every minute. Shared by every service model.
#pragma once

#include "Mailbox.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace korvalin::websim {

// Every service's demo account accepts this user name and password.
inline constexpr const char* kDemoUser = "demo";
inline constexpr const char* kDemoPassword = "demo";

// The demo folders besides the service's own inbox, sent, drafts and trash.
inline constexpr std::array<const char*, 2> kDemoFolders = {"Work", "Family"};

// Fills the inbox (a dozen mails), the sent folder and the folders named in
// kDemoFolders where the mailbox has them, and the address book.
void FillDemoMailbox(SimMailbox& mailbox, const std::string& ownAddress, std::time_t now);

// The mail that arrives as number `sequence` (0, 1, 2, ...) of the run.
SimMail DemoArrivingMail(uint64_t sequence, const std::string& ownAddress, std::time_t now);

} // namespace korvalin::websim
