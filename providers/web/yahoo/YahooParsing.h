// Pure helpers of the Yahoo Mail provider: cutting values out of page
// lines, the navigation links of the login answer, listing rows, link
// rewriting in mail bodies and the address-book rows. No network here.
#pragma once

#include "MailProvider.h"

#include <string>
#include <string_view>

namespace korvalin::yahoo {

// The line without its last byte (its line end).
std::string WithoutLastByte(std::string_view line);

// "&lt" becomes "<", "&gt" becomes ">", and every ";" goes.
std::string CleanAddressText(std::string_view text);

// True for an address the transport can fetch ("http://..." or "https://...").
bool IsAbsoluteAddress(std::string_view address);

// The navigation links of a login answer, fed one line at a time. The four
// links are taken in order, each on a line where the ones before it are
// known; once the Addresses link is known the options line names the base
// address (the mail host).
class NavigationScan {
public:
    // Feeds one line; true when the base address has been found and the
    // scan is over.
    bool Feed(std::string_view line);

    bool BaseFound() const { return Done; }
    std::string CheckMail, Compose, Folders, Addresses, Base;

private:
    int Known = 0; // how many of the four links are known
    bool Done = false;
};

// The five lines of a listing row that carry values (the line after the row
// start and the lines 4, 8, 11 and 14 after it).
struct ListingRowLines {
    std::string IdLine, FromLine, DateLine, SizeLine, SubjectLine;
};
SummaryEntry ParseListingRow(const ListingRowLines &row, std::string_view base);

// The size cell: the line without its line end, up to "&nbsp" or "<img".
std::string SizeText(std::string_view line);

// The next-page link text of a line holding "\">Next</a>" after its start;
// false when the line has none.
bool NextPageLink(std::string_view line, std::string &link);

// The folder form address text of a line holding the listing form; false
// when the line has none.
bool ListingFormAction(std::string_view line, std::string &action);

// A mail body line with every relative link "<a href=\"/..." made absolute
// with base.
std::string AbsoluteLinks(std::string_view line, std::string_view base);

// The message id of a mail locator: between "message=" and "&sort".
std::string MessageIdOfLocator(std::string_view locator);

// One address-book row; false when the line is not an entry row.
bool ParseBookRow(std::string_view line, AddressEntry &entry);

} // namespace korvalin::yahoo
