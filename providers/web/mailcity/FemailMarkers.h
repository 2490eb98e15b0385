// The strings the ".femail" pages are cut by, shared by MailCity and
// AngelFire, and the fixed pieces of their addresses and forms. Every
// search is case-sensitive.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvalin::femail {

// Pages are read through a line buffer of this size (line end kept) unless
// an operation says otherwise.
inline constexpr size_t kLineLimit = 1024;
inline constexpr size_t kWideLineLimit = 2048;

// Login
inline constexpr std::string_view kLoginRefused = "Forget your password?";
inline constexpr int kRefusalLine = 6;
inline constexpr std::string_view kLinkStart = "<a href=\"";
inline constexpr std::string_view kPortMark = "80/";
inline constexpr std::string_view kInboxPage = "/gmm.femail";

// Folder page
inline constexpr std::string_view kFolderIcon = "width=11 height=11 border=0> ";
inline constexpr std::string_view kTagOpen = "<";

// Listing pages
inline constexpr std::string_view kNextPage = "next&gt;&gt";
inline constexpr int kListStep = 20;
inline constexpr std::string_view kListPagePrefix = "gmm";
inline constexpr std::string_view kMouseOver = "\" onMouseOver";
inline constexpr std::string_view kAttributeEnd = "\">";
inline constexpr std::string_view kBold = "<b>";
inline constexpr std::string_view kDocId = "docid=";
inline constexpr std::string_view kDocIdEnd = ":M:";
inline constexpr std::string_view kSizeEnd = "</font>";
inline constexpr std::string_view kListingEnd = "</td></tr><tr></tr>";
inline constexpr int kLinkLineDistance = 3;
inline constexpr int kDateLineDistance = 3;
inline constexpr int kSizeLineDistance = 2;

// Mail page
inline constexpr std::string_view kPartStart = "<!-- Display of MIME component -->";
inline constexpr std::string_view kPartEnd = "<!-- END Display of MIME component(s) -->";
inline constexpr std::string_view kPartOpening = "<pre>";
inline constexpr std::string_view kPartClosing = "<hr>\n";
inline constexpr std::string_view kBodyClosing = "</pre>";

// Deleting
inline constexpr std::string_view kDocIdWord = "docid";
inline constexpr std::string_view kBaseHref = "base href=";
inline constexpr std::string_view kTagClose = ">";
inline constexpr std::string_view kDeletePage = "gmm_multiplex.femail?docid=";
inline constexpr std::string_view kDeleteCommand = "&%2Fgmm_delete.femail=delete";

// Sending
inline constexpr std::string_view kComposeAction = "action= \"";
inline constexpr std::string_view kComposeId = "compid value=\"";

// Address book
inline constexpr std::string_view kBookEntry = "onMouseOut=\"status=''\">";
inline constexpr std::string_view kLinkEnd = "</a>";
inline constexpr int kBookAddressDistance = 8;
inline constexpr std::string_view kBookEnd = "value=\"mail to\"></td>";

// Pages built from the host prefix and the mailbox path
inline constexpr std::string_view kComposePath = "/showcm.femail";
inline constexpr std::string_view kAddressBookPath = "/ab.femail";
inline constexpr std::string_view kMultiplexPath = "/gmm_multiplex.femail";

} // namespace korvalin::femail
