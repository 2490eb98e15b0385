// The strings the MailExcite pages are cut by. Every search is case-sensitive.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvalin::excite {

inline constexpr size_t kLineLimit = 1024;
inline constexpr size_t kLongLineLimit = 2048;

// Login answer
inline constexpr std::string_view kMailboxFrame = "<frame src=\"folder.dcg?x=";
inline constexpr std::string_view kLoginRefused = "<b>Try Again</b>";

// Folder page
inline constexpr std::string_view kFolderLink = "<td>&nbsp;<a href=\"";
inline constexpr std::string_view kFolderListEnd = "<input type=submit name=action value=\"Delete";

// Mail listing
inline constexpr std::string_view kMailRow = "<td align=center><input type=checkbox name=uid value=";
inline constexpr std::string_view kRowIdEnd = "><";
inline constexpr std::string_view kPlainSender = "<td valign=top>&nbsp;";
inline constexpr std::string_view kPlainSenderEnd = "&nbsp";
inline constexpr std::string_view kBold = "<b>";
inline constexpr std::string_view kBoldEnd = "</b>";
inline constexpr std::string_view kMailLink = "<a href=\"";
inline constexpr std::string_view kFolderParameter = "fl=";
inline constexpr std::string_view kPlainDate = "top>";
inline constexpr std::string_view kListEnd = "<a href=\"/folder.dcg?x=";

// Mail page
inline constexpr std::string_view kFromMarker = "<b>From:";
inline constexpr std::string_view kSubjectMarker = "<b>Subject:";
inline constexpr std::string_view kToMarker = "<b>To:";
inline constexpr std::string_view kCcMarker = "<b>Cc:";
inline constexpr int kHeaderValueSkip = 2;
inline constexpr size_t kHeaderValueStart = 4;
inline constexpr std::string_view kHeaderLink = "<a href=";
inline constexpr std::string_view kCellEnd = "</td>";
inline constexpr std::string_view kCarriageReturnEntity = "&#13;";
inline constexpr std::string_view kHeaderEndComment = "<!-- header -->";
inline constexpr std::string_view kHeaderEndPre = "<pre>";
inline constexpr std::string_view kBodyEnd = "<form action=\"http:";
inline constexpr std::string_view kPreviousMail = "&prev_ua";

// Address book
inline constexpr std::string_view kBookEntry = "<img src=\"/img/pencil.gif";
inline constexpr std::string_view kBookEnd = "<HR NOSHADE HEIGHT=3 WIDTH=600>";
inline constexpr std::string_view kBookName = "<td>&nbsp;";
inline constexpr int kBookNameSkip = 2;
inline constexpr int kBookAddressSkip = 3;

// Shared cuts
inline constexpr std::string_view kTagEnd = "\">";
inline constexpr std::string_view kLinkEnd = "</a>";
inline constexpr std::string_view kSpace = "&nbsp;";

// Paths
inline constexpr std::string_view kInboxPage = "/folder.dcg?x=";
inline constexpr std::string_view kFoldersPage = "/folders.dcg?x=";
inline constexpr std::string_view kMailPage = "/msg.dcg?x=";
inline constexpr std::string_view kAddressBookPage = "/address.dcg?x=";
inline constexpr std::string_view kSendTarget = "/compose.dcg/action";
inline constexpr std::string_view kAddAddressTarget = "/mod_address.dcg/action";
inline constexpr std::string_view kDeleteTarget = "/mail/dcg_folder.cgi/action";

} // namespace korvalin::excite
