// Pure helpers of the ".femail" providers: cutting values out of page
// lines, the Read Mail link, folder lines, listing rows, mail headers and
// address-book lines. No network here.
#pragma once

#include "FemailDialect.h"
#include "MailProvider.h"

#include <optional>
#include <string>
#include <string_view>

namespace korvalin::femail {

// The Read Mail link split into the part before the mailbox path and the
// mailbox path itself (up to "/gmm.femail"). The split comes after the
// first "80/", or, for a link without the explicit port, after the host.
struct LinkParts {
    std::string HostPrefix;
    std::string MailboxPath;
};
LinkParts SplitReadMailLink(std::string_view link);

// "http://" + host, with ":80" when host names a bare host (no port, path
// or scheme), as the service writes its own addresses.
std::string AddressWithPort80(std::string_view host);

// One folder line: its name and link; nullopt when the line names none.
struct FolderLine {
    std::string Name, Link;
};
std::optional<FolderLine> ParseFolderLine(std::string_view line, const FemailDialect &dialect);

// The sender of a row's start line.
std::string RowSender(std::string_view line, const FemailDialect &dialect);
// The locator, subject, new flag and message id of a row's link line.
void ParseLinkLine(std::string_view line, const FemailDialect &dialect, SummaryEntry &entry);
// The date of a row's date line, month/day/year stored as year/month/day.
std::string RowDate(std::string_view line);
// "A/B/C" becomes "C/A/B"; text without exactly two slashes stays.
std::string RearrangeDate(std::string_view date);
// The size of a row's size line: up to its "</font>".
std::string RowSize(std::string_view line);

// The listing address of the page at list position `position`: the current
// address cut before its first "gmm"; nullopt when it has none.
std::optional<std::string> ListPageAddress(std::string_view current, int position);

// A header value on the mail page's second header line: after header, from
// the end of the next value marker up to the next "<" or the line end.
std::string HeaderValue(std::string_view line, std::string_view header, std::string_view valueStart);

// The address of an address-book line, `trim` bytes dropped before its end.
std::string BookAddress(std::string_view line, int trim);

} // namespace korvalin::femail
