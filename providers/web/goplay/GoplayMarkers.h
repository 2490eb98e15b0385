// The strings the GoPlay pages are cut by. Every search is case-sensitive.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvalin::goplay {

inline constexpr size_t kLineLimit = 1024;
inline constexpr size_t kLongLineLimit = 2048;

// Login answer
inline constexpr std::string_view kSetCookie = "Set-cookie:";
inline constexpr std::string_view kMailboxArea = "coords=\"0,0 68,15";
inline constexpr int kMailboxLinkSkip = 2;
inline constexpr std::string_view kLinkStart = "HREF=\"";
inline constexpr std::string_view kLinkEnd = "\" TARGET";
inline constexpr std::string_view kLoginRefused = "You need to be a registered GoPlayer to";

// Mailbox page
inline constexpr std::string_view kFormAction = "<FORM ACTION=\"";
inline constexpr std::string_view kFormActionEnd = "\" METHOD=POST>";
inline constexpr std::string_view kStartOn = "NAME=START_ON VALUE=";
inline constexpr std::string_view kEndOn = "NAME=END_ON VALUE=";
inline constexpr std::string_view kSidParameter = "?sid=";

// Folder view
inline constexpr std::string_view kMailLine = "<TR><TD><font size=\"-1\" face=\"Arial,Helvetica\">";
inline constexpr std::string_view kUnreadIcon = "unread1.gif";
inline constexpr std::string_view kKeyStart = "NAME=\"";
inline constexpr std::string_view kKeyEnd = "\" BORDER";
inline constexpr std::string_view kMoveStart = "NAME=\"move";
inline constexpr std::string_view kMoveEnd = "\"></font>";
inline constexpr std::string_view kColoured = "<FONT COLOR=\"#000080\">";
inline constexpr std::string_view kDateEnd = "</font></FONT></TD><TD>";
inline constexpr std::string_view kFromEnd = "</FONT>";
inline constexpr std::string_view kCellFont = "face=\"Arial,Helvetica\"";
inline constexpr std::string_view kSubjectEnd = "</font>";
inline constexpr std::string_view kMoveSeparator = "###";

// Mail page and compose pages
inline constexpr std::string_view kMessageNumber = "NAME=\"MSG\" VALUE=\"";
inline constexpr std::string_view kFromMarker = "From:</I></TD><TD>";
inline constexpr std::string_view kToMarker = "To:</I></TD><TD>";
inline constexpr std::string_view kSubjectMarker = "Subject:</I></TD><TD><B>";
inline constexpr std::string_view kSubjectValueEnd = "</B></TD></TR>";
inline constexpr std::string_view kCcMarker = "Cc:</I></TD><TD>";
inline constexpr std::string_view kCellEnd = "</TD>";
inline constexpr std::string_view kRule = "<hr>";
inline constexpr std::string_view kBookEntry = "<INPUT TYPE=CHECKBOX NAME=\"";
inline constexpr std::string_view kBookEntryEnd = "\">&nbsp;";
inline constexpr std::string_view kToField = "NAME=to VALUE=\"";
inline constexpr std::string_view kToFieldEnd = "\" SIZE=60";
inline constexpr std::string_view kAttributeEnd = "\">";

// Paths and fixed form values
inline constexpr std::string_view kLoginPath = "/01/login/login.cgi?noses=1";
inline constexpr std::string_view kSignUpPath = "/01/regstep/regstep.cgi?noses=1&MODE=NEW";
inline constexpr std::string_view kSendPath = "/cgi-bin/send.mailmsg?sid=";
inline constexpr std::string_view kEditPath = "/cgi-bin/edit.mailmsg?sid=";
inline constexpr std::string_view kAddAddressPath = "//cgi-bin/edit.mailaddrbook?sid=";
inline constexpr int kInboxFolder = 1;
inline constexpr int kTrashFolder = 2;
inline constexpr int kSentFolder = 3;

} // namespace korvalin::goplay
