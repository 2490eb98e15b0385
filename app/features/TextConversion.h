// The two text conversions of outgoing mail: the tag remover turns a fetched
// HTML body into plain text (forwarded and quoted mail), the form encoder
// prepares a body for a web-mail service's compose form.
#pragma once

#include "DiagnosticLog.h"

#include <string>
#include <string_view>

namespace korvalin {

// Drops everything from the program's ad marker on, removes anchor tags
// ("<a " or "<A " up to the next ">"), replaces the common entities, turns
// "<P>"/"<p>" into a line feed and removes a fixed set of simple tags. No
// other markup is touched. The result is never longer than the input.
// An anchor without a closing ">" is left as it stands.
void RemoveTags(std::string& text, DiagnosticLog* log = nullptr);

// Letters and digits stay; every other byte becomes "%" and two upper-case
// hexadecimal digits.
std::string FormEncode(std::string_view text, DiagnosticLog* log = nullptr);

}  // namespace korvalin
