// Pure helpers of the MailExcite provider: cutting values out of page lines.
// No network here.
#pragma once

#include "ExciteMarkers.h"

#include <string>
#include <string_view>

namespace korvalin::excite {

// The mailbox key of the login answer's frame line: the text after the frame
// marker up to the line's last double quote.
std::string MailboxKeyOf(std::string_view line);

// A folder line: the link (after the folder marker up to "\">", "&amp;"
// made "&") and the name after it up to "</a>".
struct FolderLine {
    std::string Link, Name;
};
FolderLine ParseFolderLine(std::string_view line);

// The cells of one listing row, each on its own line.
struct SenderCell {
    std::string From;
    bool New = false; // the service writes unread mail in bold
};
SenderCell ParseSenderCell(std::string_view line);
struct LinkCell {
    std::string Locator, Subject;
};
LinkCell ParseLinkCell(std::string_view line);
std::string ParseDateCell(std::string_view line, bool isNew);
std::string ParseSizeCell(std::string_view line, bool isNew);
// "03/15/99" becomes "99/03/15"; a date of another form stays as it is.
std::string YearFirstDate(std::string_view date);

// A mail page header value: the line from its fifth character up to the
// first `end`.
std::string HeaderValue(std::string_view line, std::string_view end);

// The part of a locator that names the mail on the mail page: the text
// before "&prev_ua", or the whole locator without it.
std::string MailPart(std::string_view locator);
// The body of the move-to-Trash form for a locator "<folder>&uid=<uid>&...";
// empty when the locator names no folder or no uid.
std::string DeleteForm(std::string_view locator);

// Address book cells: the name after "<td>&nbsp;" up to "</td>", the
// address after the first "\">" up to "</a>".
std::string BookName(std::string_view line);
std::string BookAddress(std::string_view line);

} // namespace korvalin::excite
