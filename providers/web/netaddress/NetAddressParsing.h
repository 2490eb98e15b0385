// Pure helpers of the NetAddress provider: cutting values out of page lines.
// No network here.
#pragma once

#include "NetAddressMarkers.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace korvalin::netaddress {

// The text of line before its first `marker`; empty when there is none.
std::string TextBefore(std::string_view line, std::string_view marker);

// The mailbox id of a login answer line: the text after "/Door/" up to the
// first "/Welcome" after it; empty when the line names none.
std::string MailboxIdOf(std::string_view line);

// The link of a folder line: from the first double quote at or after the
// folder marker up to the next double quote; empty when incomplete.
std::string FolderLinkPath(std::string_view line);

// Listing cells. The sender line is cut before its first "</a>"; the date is
// the first word of the text after the line's first "\">"; subject and size
// are the text after the first "\">" up to the next "</font>". "&nbsp;" is
// dropped from all but the sender.
std::string ListSender(std::string_view line);
std::string ListDate(std::string_view line);
std::string FontCell(std::string_view line);

// The first two values in single quotes: message id and folder id.
struct QuotedIds {
    std::string MessageId, FolderId;
};
QuotedIds FirstQuotedPair(std::string_view line);

// A body line holding a relative link "<A HREF=\"/path\"...": the link made
// absolute on base and written in lower case; text before the link is
// dropped. Other lines come back unchanged.
std::string RewriteRelativeLink(std::string_view line, std::string_view base);

// An address book cell: the text after the cell marker up to the next
// "</font>", without "&nbsp;".
std::string BookCell(std::string_view line);

// The body of the delete form for a locator "Q=<id>&FolderID=<folder>&...";
// empty when the locator names no message.
std::string DeleteForm(std::string_view locator, uint32_t listedMails);

} // namespace korvalin::netaddress
