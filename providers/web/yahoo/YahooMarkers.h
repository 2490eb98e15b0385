// The strings the Yahoo Mail pages are cut by, and the fixed pieces of its
// addresses and forms. Every search is case-sensitive.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvalin::yahoo {

// Every page is read through a line buffer of this size (line end kept).
inline constexpr size_t kLineLimit = 1024;

// Login page and answer
inline constexpr std::string_view kFormAction = "action=\"";
inline constexpr std::string_view kAttributeEnd = "\">";
inline constexpr std::string_view kLoginRefused = "Forget your password?";
inline constexpr int kRefusalLine = 6;
inline constexpr std::string_view kLinkStart = "<a href=\"";
inline constexpr std::string_view kCheckMailLink = "\">Check Mail</a>";
inline constexpr std::string_view kComposeLink = "\">Compose</a>";
inline constexpr std::string_view kFoldersLink = "\">Folders</a>";
inline constexpr std::string_view kAddressesLink = "\">Addresses</a>";
inline constexpr std::string_view kOptionsLink = "under the Options menu. <a href=\"";
inline constexpr std::string_view kBaseEnd = "/py/";

// Folder page
inline constexpr std::string_view kFolderNameEnd = "</a></b>";
inline constexpr std::string_view kInboxName = "Inbox";
inline constexpr std::string_view kPlainForm = "<form method=post action=";

// Listing pages
inline constexpr std::string_view kNextLink = "\">Next</a>";
inline constexpr std::string_view kPreviousLink = "Previous";
inline constexpr std::string_view kListingForm = "<form method=post action=\"";
inline constexpr std::string_view kWhiteRow = "<tr valign=middle bgcolor=\"#ffffff\">";
inline constexpr std::string_view kGreyRow = "<tr valign=middle bgcolor=\"#eeeeee\">";
inline constexpr std::string_view kMessageValue = "message value=\"";
inline constexpr std::string_view kSizeSpace = "&nbsp";
inline constexpr std::string_view kSizeImage = "<img";
inline constexpr std::string_view kBold = "<b>";
inline constexpr std::string_view kBoldSubjectStart = "\"><b>";
inline constexpr std::string_view kSubjectEnd = "</b></a>";
inline constexpr std::string_view kListingEnd = "Check External Mail";

// Mail page
inline constexpr std::string_view kFromHeader = "<b>From:</b></td><td valign=top> ";
inline constexpr std::string_view kFromEnd = "<a href=";
inline constexpr std::string_view kSubjectHeader = "<b>Subject:</b></td><td valign=top> ";
inline constexpr std::string_view kToHeader = "<b>To:</b></td><td valign=top> ";
inline constexpr std::string_view kCcHeader = "<b>Cc:</b></td><td valign=top> ";
inline constexpr std::string_view kHeaderEnd = "</td></tr>";
inline constexpr std::string_view kSevenBitBody = "<!-- 7bit -->";
inline constexpr std::string_view kQuotedPrintableBody = "<!-- text quoted-printable -->";
inline constexpr std::string_view kRelativeLink = "<a href=\"/";

// Deleting, sending and the address book
inline constexpr std::string_view kLocatorMessage = "message=";
inline constexpr std::string_view kLocatorSort = "&sort";
inline constexpr std::string_view kBookEntry = "<input type=checkbox name=\"pto\"";
inline constexpr std::string_view kBookCell = "<td width=\"16%\"><font size=\"-1\">";
inline constexpr std::string_view kBookCellEnd = "</font></td><td";
inline constexpr std::string_view kBookLink = "<a href=";
inline constexpr std::string_view kTagEnd = ">";
inline constexpr std::string_view kBookAddressEnd = "</a></font></td>";
inline constexpr int kBookSearchGap = 31;
inline constexpr std::string_view kSessionKey = "YY=";
inline constexpr std::string_view kAddressBookPath = "/yab/";

} // namespace korvalin::yahoo
