// Percent-encoding of the person's values before they go into a form body or
// a query string, so that "&", "=" or "+" in a password or subject arrive as
// typed instead of splitting or adding form fields.
#pragma once

#include <string>
#include <string_view>

namespace korvalin {

// Letters, digits and "-._~" stay; every other byte becomes %XX (upper-case
// hex), a blank %20.
std::string EncodeFormValue(std::string_view value);

// The reverse, for the test peers and simulators: %XX becomes its byte and
// "+" a blank. Malformed escapes are kept as they stand.
std::string DecodeFormValue(std::string_view value);

}  // namespace korvalin
