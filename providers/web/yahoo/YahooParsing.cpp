#include "YahooParsing.h"

#include "PageText.h"
#include "TextScanner.h"
#include "YahooMarkers.h"

#include <array>

namespace korvalin::yahoo {
namespace {

constexpr int Length(std::string_view marker)
{
    return static_cast<int>(marker.size());
}

bool StartsWithLower(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

std::string WithoutLastByte(std::string_view line)
{
    return std::string(line.substr(0, line.empty() ? 0 : line.size() - 1));
}

std::string CleanAddressText(std::string_view text)
{
    std::string cleaned = ReplaceAll(ReplaceAll(text, "&lt", "<"), "&gt", ">");
    std::erase(cleaned, ';');
    return cleaned;
}

bool IsAbsoluteAddress(std::string_view address)
{
    return StartsWithLower(address, "http://") || StartsWithLower(address, "https://");
}

bool NavigationScan::Feed(std::string_view line)
{
    static constexpr std::array<std::string_view, 4> kMarkers = {kCheckMailLink, kComposeLink, kFoldersLink,
                                                                 kAddressesLink};
    std::array<std::string *, 4> targets = {&CheckMail, &Compose, &Folders, &Addresses};
    CTextScanner scanner;
    while (!Done && Known < 4) {
        int marker = scanner.Find(line, kMarkers[static_cast<size_t>(Known)]);
        if (marker < 0)
            break;
        int link = scanner.Find(line, kLinkStart);
        *targets[static_cast<size_t>(Known)] =
            link < 0 ? std::string() : scanner.Extract(line, link + Length(kLinkStart), marker);
        ++Known;
    }
    if (Done || Known < 4)
        return Done;
    int options = scanner.Find(line, kOptionsLink);
    if (options < 0)
        return false;
    int start = options + Length(kOptionsLink);
    Base = scanner.Extract(line, start, scanner.FindAfter(line, kBaseEnd, start - 1));
    Done = true;
    return true;
}

std::string SizeText(std::string_view line)
{
    std::string size = WithoutLastByte(line);
    size_t cut = size.find(kSizeSpace);
    if (cut == std::string::npos)
        cut = size.find(kSizeImage);
    return cut == std::string::npos ? size : size.substr(0, cut);
}

SummaryEntry ParseListingRow(const ListingRowLines &row, std::string_view base)
{
    CTextScanner scanner;
    SummaryEntry entry;
    entry.MessageId = TextBetween(row.IdLine, kMessageValue, kAttributeEnd);
    entry.From = WithoutLastByte(row.FromLine);
    entry.Date = WithoutLastByte(row.DateLine);
    entry.Size = SizeText(row.SizeLine);

    const std::string &line = row.SubjectLine;
    entry.New = scanner.Find(line, kBold) > 0;
    const std::string_view subjectMark = entry.New ? kBoldSubjectStart : kAttributeEnd;
    int mark = scanner.Find(line, subjectMark);
    if (mark < 0)
        return entry;
    int subjectStart = mark + Length(subjectMark);
    entry.Subject = scanner.Extract(line, subjectStart, scanner.Find(line, kSubjectEnd));
    int link = scanner.Find(line, kLinkStart);
    if (link >= 0 && link < mark)
        entry.Locator = std::string(base) + scanner.Extract(line, link + Length(kLinkStart), mark);
    return entry;
}

bool NextPageLink(std::string_view line, std::string &link)
{
    CTextScanner scanner;
    int next = scanner.Find(line, kNextLink);
    if (next <= 0)
        return false;
    int previous = scanner.Find(line, kPreviousLink);
    int start = previous > 0 ? scanner.FindAfter(line, kLinkStart, previous) : scanner.Find(line, kLinkStart);
    link = start < 0 ? std::string() : scanner.Extract(line, start + Length(kLinkStart), next);
    return true;
}

bool ListingFormAction(std::string_view line, std::string &action)
{
    CTextScanner scanner;
    int form = scanner.Find(line, kListingForm);
    if (form < 0)
        return false;
    int start = form + Length(kListingForm);
    action = scanner.Extract(line, start, scanner.FindAfter(line, kAttributeEnd, start + 1));
    return true;
}

std::string AbsoluteLinks(std::string_view line, std::string_view base)
{
    // The link path runs from its leading "/" to the next double quote; a
    // path is at least three characters long.
    CTextScanner scanner;
    std::string written;
    int copied = 0;
    int link;
    while ((link = scanner.FindAfter(line, kRelativeLink, copied - 1)) >= 0) {
        int markerEnd = link + Length(kRelativeLink);
        int quote = scanner.FindAfter(line, "\"", markerEnd + 1);
        if (quote < 0)
            break;
        written.append(line.substr(static_cast<size_t>(copied), static_cast<size_t>(link - copied)));
        written.append(kLinkStart);
        written.append(base);
        written.append(line.substr(static_cast<size_t>(markerEnd - 1), static_cast<size_t>(quote - markerEnd + 1)));
        copied = quote;
    }
    written.append(line.substr(static_cast<size_t>(copied)));
    return written;
}

std::string MessageIdOfLocator(std::string_view locator)
{
    return TextBetween(locator, kLocatorMessage, kLocatorSort);
}

bool ParseBookRow(std::string_view line, AddressEntry &entry)
{
    CTextScanner scanner;
    if (scanner.Find(line, kBookEntry) < 0)
        return false;
    entry = AddressEntry{};
    int firstCell = scanner.Find(line, kBookCell);
    int secondCell = firstCell < 0 ? -1 : scanner.FindAfter(line, kBookCell, firstCell);
    if (secondCell < 0)
        return true;
    int nameStart = secondCell + Length(kBookCell);
    int cellEnd = scanner.FindAfter(line, kBookCellEnd, nameStart - 1);
    if (cellEnd < 0)
        return true;
    entry.Name = scanner.Extract(line, nameStart, cellEnd);
    int link = scanner.FindAfter(line, kBookLink, cellEnd + kBookSearchGap - 1);
    int tagEnd = link < 0 ? -1 : scanner.FindAfter(line, kTagEnd, link + kBookSearchGap - 1);
    if (tagEnd < 0)
        return true;
    entry.Address = scanner.Extract(line, tagEnd + 1, scanner.FindAfter(line, kBookAddressEnd, tagEnd));
    return true;
}

} // namespace korvalin::yahoo
