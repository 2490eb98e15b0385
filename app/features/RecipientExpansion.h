// Address-book names typed into a recipient field (To, Cc, BCc) become the
// addresses they stand for when the field loses the focus.
#pragma once

#include <string>

namespace korvalin {

class AddressBooks;
class CAccount;
class Engine;

// How many times a name may stand for further names; deeper (names that
// refer to each other in a cycle) the name stays as typed.
inline constexpr int kRecipientExpansionDepth = 8;

// Splits text at ",", ";" and blanks and joins the results with ",". A
// display name with its address in angle brackets ("Ann Lee <ann@x.org>")
// stays one token. A token holding "@" stays; any other is looked up as a name (ignoring case) in the
// sender's book, then in the other accounts' books in order, and becomes the
// first match's address, itself expanded when it holds no "@".
std::string ExpandRecipients(Engine& engine, AddressBooks& books, CAccount& sender, const std::string& text);

}  // namespace korvalin
