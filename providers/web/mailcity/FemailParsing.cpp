#include "FemailParsing.h"

#include "FemailMarkers.h"
#include "PageText.h"
#include "TextScanner.h"

namespace korvalin::femail {
namespace {

constexpr int Length(std::string_view marker)
{
    return static_cast<int>(marker.size());
}

// text cut at its first CR or LF.
std::string FirstLineOf(std::string_view text)
{
    return std::string(text.substr(0, text.find_first_of("\r\n")));
}

} // namespace

LinkParts SplitReadMailLink(std::string_view link)
{
    size_t split = link.find(kPortMark);
    size_t pathStart = split == std::string_view::npos ? split : split + kPortMark.size();
    size_t end = link.find(kInboxPage, pathStart == std::string_view::npos ? 0 : pathStart);
    if (pathStart == std::string_view::npos || end == std::string_view::npos) {
        // No explicit port 80 before the inbox page: split after the host.
        size_t scheme = link.find("://");
        size_t slash = link.find('/', scheme == std::string_view::npos ? 0 : scheme + 3);
        pathStart = slash == std::string_view::npos ? link.size() : slash + 1;
        end = link.find(kInboxPage, pathStart);
    }
    LinkParts parts;
    parts.HostPrefix = std::string(link.substr(0, pathStart));
    if (end != std::string_view::npos)
        parts.MailboxPath = std::string(link.substr(pathStart, end - pathStart));
    return parts;
}

std::string AddressWithPort80(std::string_view host)
{
    if (host.find("://") != std::string_view::npos)
        return std::string(host);
    std::string address = "http://" + std::string(host);
    if (host.find_first_of(":/") == std::string_view::npos)
        address += ":80";
    return address;
}

std::optional<FolderLine> ParseFolderLine(std::string_view line, const FemailDialect &dialect)
{
    CTextScanner scanner;
    int icon = scanner.Find(line, kFolderIcon);
    if (icon < 0)
        return std::nullopt;
    int nameStart = icon + Length(kFolderIcon);
    FolderLine folder;
    folder.Name =
        scanner.Extract(line, nameStart, scanner.FindAfter(line, kTagOpen, nameStart + dialect.FolderNameEndFrom - 2));
    if (dialect.TrimFolderNames)
        folder.Name = Trim(folder.Name, kBlanksAndLineEnds);
    int link = scanner.Find(line, kLinkStart);
    if (link >= 0)
        folder.Link = scanner.Extract(line, link + Length(kLinkStart), scanner.Find(line, dialect.FolderLinkEnd));
    return folder;
}

std::string RowSender(std::string_view line, const FemailDialect &dialect)
{
    CTextScanner scanner;
    int marker = scanner.Find(line, dialect.FromStart);
    if (marker < 0)
        return {};
    int start = marker + Length(dialect.FromStart);
    int end = dialect.FromEndFrom == 0 ? scanner.Find(line, "</FONT>")
                                       : scanner.FindAfter(line, "</FONT>", start + dialect.FromEndFrom - 2);
    return scanner.Extract(line, start, end);
}

void ParseLinkLine(std::string_view line, const FemailDialect &dialect, SummaryEntry &entry)
{
    CTextScanner scanner;
    int mouseOver = scanner.Find(line, kMouseOver);
    entry.Locator = scanner.Extract(line, Length(kLinkStart), mouseOver);
    int tagEnd = scanner.FindAfter(line, kAttributeEnd, mouseOver);
    int bold = tagEnd < 0 ? -1 : scanner.FindAfter(line, kBold, tagEnd);
    entry.New = bold >= 0;
    if (tagEnd >= 0) {
        // A read subject starts after the tag end and the one byte after it.
        int start = entry.New ? bold + Length(kBold) : tagEnd + 3;
        std::string_view end = entry.New ? dialect.NewSubjectEnd : dialect.ReadSubjectEnd;
        entry.Subject = scanner.Extract(line, start, scanner.FindAfter(line, end, start - 1));
    }
    entry.MessageId = TextBetween(line, kDocId, kDocIdEnd);
}

std::string RearrangeDate(std::string_view date)
{
    size_t first = date.find('/');
    size_t second = first == std::string_view::npos ? first : date.find('/', first + 1);
    if (second == std::string_view::npos || date.find('/', second + 1) != std::string_view::npos)
        return std::string(date);
    return std::string(date.substr(second + 1)) + "/" + std::string(date.substr(0, first)) + "/" +
           std::string(date.substr(first + 1, second - first - 1));
}

std::string RowDate(std::string_view line)
{
    CTextScanner scanner;
    return RearrangeDate(scanner.Extract(line, 2, scanner.FindAfter(line, " ", 4)));
}

std::string RowSize(std::string_view line)
{
    CTextScanner scanner;
    return scanner.Extract(line, 0, scanner.Find(line, kSizeEnd));
}

std::optional<std::string> ListPageAddress(std::string_view current, int position)
{
    size_t cut = current.find(kListPagePrefix);
    if (cut == std::string_view::npos)
        return std::nullopt;
    return std::string(current.substr(0, cut)) + "gmm.femail?from=" + std::to_string(position);
}

std::string HeaderValue(std::string_view line, std::string_view header, std::string_view valueStart)
{
    CTextScanner scanner;
    int name = scanner.Find(line, header);
    int value = name < 0 ? -1 : scanner.FindAfter(line, valueStart, name);
    if (value < 0)
        return {};
    int start = value + Length(valueStart);
    int end = scanner.FindAfter(line, kTagOpen, start - 1);
    return end < 0 ? WithoutLineEnd(line.substr(static_cast<size_t>(start))) : scanner.Extract(line, start, end);
}

std::string BookAddress(std::string_view line, int trim)
{
    CTextScanner scanner;
    int marker = scanner.Find(line, kBookEntry);
    if (marker < 0)
        return {};
    int start = marker + Length(kBookEntry);
    int end = scanner.FindAfter(line, kLinkEnd, start - 1);
    if (end < 0)
        end = static_cast<int>(line.size());
    return FirstLineOf(scanner.Extract(line, start, end - trim));
}

} // namespace korvalin::femail
