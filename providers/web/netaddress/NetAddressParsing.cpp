#include "NetAddressParsing.h"

#include "PageText.h"

namespace korvalin::netaddress {
namespace {

// Sets rest to the text after the line's first "\">"; false when the line
// has none.
bool TextAfterTagEnd(std::string_view line, std::string_view &rest)
{
    size_t tagEnd = line.find(kTagEnd);
    if (tagEnd == std::string_view::npos)
        return false;
    rest = line.substr(tagEnd + kTagEnd.size());
    return true;
}

} // namespace

std::string TextBefore(std::string_view line, std::string_view marker)
{
    size_t found = line.find(marker);
    return found == std::string_view::npos ? std::string() : std::string(line.substr(0, found));
}

std::string MailboxIdOf(std::string_view line)
{
    size_t door = line.find(kDoorPath);
    if (door == std::string_view::npos)
        return {};
    size_t start = door + kDoorPath.size();
    size_t welcome = line.find(kWelcome, start);
    return welcome == std::string_view::npos ? std::string() : std::string(line.substr(start, welcome - start));
}

std::string FolderLinkPath(std::string_view line)
{
    size_t marker = line.find(kFolderLink);
    if (marker == std::string_view::npos)
        return {};
    size_t open = line.find('"', marker);
    size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos)
        return {};
    return std::string(line.substr(open + 1, close - open - 1));
}

std::string ListSender(std::string_view line)
{
    return DecodeBrackets(Trim(ReplaceAll(TextBefore(line, kLinkEnd), "&#064;", "@")));
}

std::string ListDate(std::string_view line)
{
    std::string_view rest;
    if (!TextAfterTagEnd(line, rest))
        return {};
    std::string text = ReplaceAll(rest, kSpace, "");
    size_t blank = text.find(' ');
    return blank == std::string::npos ? std::string() : text.substr(0, blank);
}

std::string FontCell(std::string_view line)
{
    // The end is looked for from the value's first character on, so that a
    // one-letter value is cut like any other.
    std::string_view rest;
    if (!TextAfterTagEnd(line, rest))
        return {};
    size_t end = rest.find(kFontEnd);
    if (end == std::string_view::npos)
        return {};
    return ReplaceAll(rest.substr(0, end), kSpace, "");
}

QuotedIds FirstQuotedPair(std::string_view line)
{
    std::string values[2];
    size_t position = 0;
    for (std::string &value : values) {
        size_t open = line.find('\'', position);
        size_t close = open == std::string_view::npos ? open : line.find('\'', open + 1);
        if (close == std::string_view::npos)
            break;
        value = std::string(line.substr(open + 1, close - open - 1));
        position = close + 1;
    }
    return {values[0], values[1]};
}

std::string RewriteRelativeLink(std::string_view line, std::string_view base)
{
    size_t marker = line.find(kRelativeLink);
    if (marker == std::string_view::npos)
        return std::string(line);
    size_t pathStart = marker + kRelativeLink.size() - 1; // the leading "/"
    size_t quote = line.find('"', pathStart + 1);
    std::string_view path = line.substr(pathStart, quote == std::string_view::npos ? quote : quote - pathStart);
    std::string_view tail = quote == std::string_view::npos ? std::string_view() : line.substr(quote);
    return "<a href=\"" + std::string(base) + std::string(path) + std::string(tail);
}

std::string BookCell(std::string_view line)
{
    size_t cell = line.find(kBookCell);
    if (cell == std::string_view::npos)
        return {};
    size_t start = cell + kBookCell.size();
    size_t end = line.find(kFontEnd, start);
    if (end == std::string_view::npos)
        return {};
    return ReplaceAll(line.substr(start, end - start), kSpace, "");
}

std::string DeleteForm(std::string_view locator, uint32_t listedMails)
{
    size_t ampersand = locator.find('&');
    if (ampersand == std::string_view::npos)
        return {};
    std::string_view query = locator.substr(0, ampersand); // "Q=<message id>"
    size_t equals = locator.find('=', ampersand + 1);
    if (query.size() <= 2 || query.substr(0, 2) != "Q=" || equals == std::string_view::npos)
        return {};
    size_t folderEnd = locator.find('&', equals + 1);
    std::string_view folder =
        locator.substr(equals + 1, folderEnd == std::string_view::npos ? folderEnd : folderEnd - equals - 1);
    return "DestFolder=" + std::string(kDeletedFolder) + "&SrchMsgTotal=" + std::to_string(listedMails) +
           "&Sort=Date&" + std::string(query) + ":" + std::string(folder);
}

} // namespace korvalin::netaddress
