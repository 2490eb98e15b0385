// Mailbox names on the wire are modified UTF-7: printable ASCII as itself,
// "&-" for "&", and other characters as "&" base64-of-UTF-16 "-" (with ","
// for "/"). The program shows them as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace korvalin::imap {

// The UTF-8 form of a wire name; a malformed run is kept as written.
std::string DecodeMailboxName(std::string_view wire);

// Base64 of data (the standard alphabet, padded), for AUTHENTICATE PLAIN.
std::string Base64(std::string_view data);

}  // namespace korvalin::imap
