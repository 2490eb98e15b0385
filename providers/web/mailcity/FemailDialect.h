// Where the services of the ".femail" page family differ once logged in:
// the markers of folder lines, listing rows and mail headers, and a few
// small rules around them. MailCity and AngelFire each hold one.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvalin::femail {

struct FemailDialect {
    // Folder lines: the name runs from the folder icon marker to the next
    // "<", looked for from this character after the marker (1 is the first).
    int FolderNameEndFrom;
    bool TrimFolderNames;
    // The inbox is left out by name, or as the first folder line.
    std::string_view InboxName;
    bool InboxIsFirstFolder;
    std::string_view FolderLinkEnd;

    // Listing rows: the line that starts a row, and the sender on it.
    std::string_view RowStart;
    std::string_view FromStart;
    // The sender's "</FONT>" is looked for from this character after its
    // start (1 is the first), or anywhere on the line when 0.
    int FromEndFrom;
    // The link line: where an unread (bold) and a read subject end.
    std::string_view NewSubjectEnd;
    std::string_view ReadSubjectEnd;

    // Mail page: the sender's line, the text before every header value, the
    // header names on the next line, and that line's buffer size.
    std::string_view FromHeader;
    std::string_view ValueStart;
    std::string_view ToHeader;
    std::string_view CcHeader;
    std::string_view SubjectHeader;
    size_t HeaderLineLimit;

    // Address book: bytes dropped before the address's "</a>" (or line end).
    int AddressTrim;
};

} // namespace korvalin::femail
