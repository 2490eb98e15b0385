// The strings the Hotmail pages are cut by. Every search is case-sensitive.
#pragma once

#include <string_view>

namespace korvalin::hotmail {

// Login answer
inline constexpr std::string_view kLoginRefused = "We're Sorry, We Cannot";
inline constexpr int kRefusalLine = 9;
inline constexpr std::string_view kInboxLinkStart = "/cgi-bin/start";
inline constexpr std::string_view kInboxLinkEnd = "\" onmouseover";

// Listing pages
inline constexpr std::string_view kMailRow = "<tr bgcolor=\"#eeeecc\"><td>";
inline constexpr std::string_view kNewMailIcon = "newmail.gif";
inline constexpr std::string_view kRowIdStart = "name=\"";
inline constexpr std::string_view kLinkStart = "<a href=\"";
inline constexpr std::string_view kQuote = "\"";
inline constexpr std::string_view kNextPage = "\">Next Page</a>";

// Folder page
inline constexpr std::string_view kFolderRow = "<tr bgcolor=\"#eeeecc\">";
inline constexpr std::string_view kFolderTotal = "<tr><td><b>Total</b></td>";
inline constexpr std::string_view kFolderIdStart = "curmbox=";
inline constexpr std::string_view kFolderIdEnd = "&_lang=\">";
inline constexpr std::string_view kFolderNameStart = "\">";
inline constexpr std::string_view kFolderNameEnd = "</a>";
inline constexpr std::string_view kInboxName = "In-Box";

// Mail page
inline constexpr std::string_view kFromLine = "From:";
inline constexpr std::string_view kToLine = "To: ";
inline constexpr std::string_view kCcLine = "CC: ";
inline constexpr std::string_view kSubjectLine = "<b>Subject:";
inline constexpr std::string_view kHeaderEnd = "</pre></td></tr>";
inline constexpr std::string_view kPlainBodyStart = "</SCRIPT>";
inline constexpr std::string_view kPlainBodyEnd = "<table border=0 cellpadding=0 cellspacing=1 width=508>";
inline constexpr std::string_view kTableBodyMark = "</td></tr><tr><td>";
inline constexpr std::string_view kHiddenInput = "<input type=\"hidden\" name=";
inline constexpr std::string_view kAttachmentStart = "<a name=\"attachment\">";
inline constexpr std::string_view kAttachmentEnd = "</a></td>";
inline constexpr std::string_view kLinkClose = "</a>";
inline constexpr std::string_view kTableClose = "</table>";
inline constexpr size_t kFirstBodyLineWindow = 10;

// Compose form and address book
inline constexpr std::string_view kFormAction = "action=\"";
inline constexpr std::string_view kHeaderId = "name=\"msghdrid\" value=\"";
inline constexpr std::string_view kAttributeEnd = "\">";
inline constexpr std::string_view kBookAddress = "name=\"to\" value=\"";
inline constexpr std::string_view kBookNickname = "</td><td><b>";

// Paths and fixed form values
inline constexpr std::string_view kPasswordFormPath = "/cgi-bin/passwordform";
inline constexpr std::string_view kStartPath = "/cgi-bin/start";
inline constexpr std::string_view kFoldersPath = "/cgi-bin/folders?";
inline constexpr std::string_view kComposePath = "/cgi-bin/compose";
inline constexpr std::string_view kAddressPickerPath = "/cgi-bin/toccbcc";
inline constexpr std::string_view kAddAddressPath = "/cgi-bin/doaddresses";
inline constexpr std::string_view kSignUpPath = "/cgi-bin/tos.cgi?us=hotmail";
inline constexpr std::string_view kFolderScript = "HoTMaiL";
inline constexpr std::string_view kTrashFolder = "trAsH";

} // namespace korvalin::hotmail
