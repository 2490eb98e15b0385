// The address book file "AddrBook.kvx" of an account folder: one entry a
// line, "y" or "n" (Marked), the name and the address joined by "=", CR LF
// line ends. On reading a line splits at runs of "=", so an empty name or
// address, or one that holds "=", does not come back as it was written.
#pragma once

#include "MailProvider.h"

#include <string>
#include <string_view>

namespace korvalin {

inline constexpr const char* kAddressBookFileName = "AddrBook.kvx";

// Blank lines are skipped.
CAddressArray ParseAddressBook(std::string_view text);

// A line break inside a name or an address would split its entry: it
// becomes a blank.
std::string AddressBookText(const CAddressArray& book);

}  // namespace korvalin
