// The strings the NetAddress pages are cut by. Every search is case-sensitive.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvalin::netaddress {

inline constexpr size_t kLineLimit = 1024;
inline constexpr size_t kAddressBookLineLimit = 2048;

// Login answer
inline constexpr std::string_view kDoorPath = "/Door/";
inline constexpr std::string_view kWelcome = "/Welcome";

// Folder page
inline constexpr std::string_view kFolderLink = "<a href=\"/tpl/Mail";
inline constexpr std::string_view kFolderListEnd = "<form name=\"Create\"";
inline constexpr int kFolderNameSkip = 3;

// Mail listing: the lines of one row, counted from the previous value line
inline constexpr std::string_view kMailRow = "<img alt=\"mail\"";
inline constexpr std::string_view kNewMailIcon = "mail_normal_new";
inline constexpr std::string_view kListEnd = "Select all displayed";
inline constexpr int kRowIdSkip = 9;
inline constexpr int kRowFromSkip = 3;
inline constexpr int kRowDateSkip = 5;
inline constexpr int kRowSubjectSkip = 5;
inline constexpr int kRowSizeSkip = 4;

// Mail page
inline constexpr std::string_view kFromAndTo = "<!-- from and to-->";
inline constexpr int kFromSkip = 10;
inline constexpr int kToSkip = 19;
inline constexpr std::string_view kCcMarker = "<b>Cc:</b>";
inline constexpr int kCcSkip = 5;
inline constexpr std::string_view kSubjectMarker = "<b>Subject:</b>";
inline constexpr int kSubjectSkip = 5;
inline constexpr std::string_view kBodyStart = "<!-- Data -->";
inline constexpr std::string_view kBodyEnd = "<form name=\"Transfer2";
inline constexpr std::string_view kRelativeLink = "<A HREF=\"/";

// Address book
inline constexpr std::string_view kBookCell = "<font face=\"Arial, Helvetica, Condensed\" size=\"-1\">";
inline constexpr std::string_view kBookEnd = "<input type=\"button\" value=\"New\"";
inline constexpr int kBookNameSkip = 8;

// Shared cuts
inline constexpr std::string_view kTagEnd = "\">";
inline constexpr std::string_view kFontEnd = "</font>";
inline constexpr std::string_view kLinkEnd = "</a>";
inline constexpr std::string_view kSpace = "&nbsp;";

// Paths and fixed form values
inline constexpr std::string_view kLoginPath = "/tpl/Door/LoginPost";
inline constexpr std::string_view kSignUpPath = "/tpl/Subscribe/Step1?AdInfo=&Referer=";
inline constexpr std::string_view kDeletedFolder = "MoveTo--1";

} // namespace korvalin::netaddress
