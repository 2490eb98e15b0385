// The text the POP3/SMTP plug-in hands the SMTP dialogue for one mail: the
// composed header block, the program's X-Mailer line, an empty line and the
// body, and the envelope's addresses.
#pragma once

#include "PopMessage.h"

#include <string>
#include <vector>

namespace korvalin::pop {

struct OutgoingMail {
    std::string From;
    std::vector<std::string> Recipients;
    std::string Data;  // not dot-stuffed; the SMTP dialogue does that
};

// False when the header cannot be composed (no recipients).
bool ComposeOutgoing(CPopMessage& message, OutgoingMail& mail);

}  // namespace korvalin::pop
