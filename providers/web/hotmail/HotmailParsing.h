// Pure helpers of the Hotmail provider: cutting values out of page lines,
// turning a listing row into a summary entry, and building the URLs that are
// derived from other URLs. No network here.
#pragma once

#include "MailProvider.h"

#include <string>
#include <string_view>

namespace korvalin::hotmail {

// The attribute value after the first `open` (which ends with a quote) up to
// the closing quote, looked for from the value's third character on; empty
// when either is missing.
std::string QuotedValueAfter(std::string_view line, std::string_view open);

// One listing row: message id, locator, new flag, and From, Date, Subject,
// Size from the row's cells.
SummaryEntry ParseMailRow(std::string_view row);

// "Mar 5" becomes "03/5"; a cell without a blank or with another word before
// the blank stays as it is.
std::string RewriteListDate(std::string_view cell);

// The session values "disk" and "f" carried by a mail locator
// ("...?disk=D&login=U&f=F&..."): the text after the first "=" up to the next
// "&", and the value of the parameter after that.
struct LocatorSession {
    std::string Disk, FormF;
};
LocatorSession SessionValuesOf(std::string_view locator);

// The listing URL of a folder: the inbox URL with "start" in its path made
// "HoTMaiL" and every parameter whose value is "ACTIVE" given the folder id.
std::string FolderListingUrl(std::string_view inboxUrl, std::string_view folderId);

// text with every `from` in the part before the first "?" replaced by `to`.
std::string ReplaceInPath(std::string_view text, std::string_view from, std::string_view to);

} // namespace korvalin::hotmail
