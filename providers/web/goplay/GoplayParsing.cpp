#include "GoplayParsing.h"

#include "PageText.h"
#include "WebRequest.h"

namespace korvalin::goplay {

bool CookieGet(CWebRequest &request, const std::string &url, const std::string &cookieHeader, std::string &page)
{
    request.ExtraHeaders = {cookieHeader};
    bool fetched = request.GetPage(url, page);
    return request.Accepted(fetched);
}

bool CookiePost(CWebRequest &request, const std::string &url, const std::string &form, const std::string &cookieHeader,
                std::string &page)
{
    request.ExtraHeaders = {cookieHeader};
    request.SendFormContentType = false;
    bool fetched = request.PostForm(url, form, page);
    return request.Accepted(fetched);
}

std::string CookieHeaderOf(std::string_view responseHeaders)
{
    size_t found = responseHeaders.find(kSetCookie);
    if (found == std::string_view::npos)
        return {};
    size_t start = found + kSetCookie.size();
    // The value never runs past its own header line, so nothing of the
    // answer's other headers reaches the request.
    size_t end = responseHeaders.find_first_of(";\r\n", start);
    std::string_view value = responseHeaders.substr(start, end == std::string_view::npos ? end : end - start);
    if (value.find_first_not_of(" \t") == std::string_view::npos)
        return {};
    return "Cookie:" + std::string(value);
}

std::string TextUpToLast(std::string_view line, std::string_view open, std::string_view close)
{
    size_t start = line.find(open);
    if (start == std::string_view::npos)
        return {};
    start += open.size();
    size_t end = line.rfind(close);
    return end == std::string_view::npos || end < start ? std::string() : std::string(line.substr(start, end - start));
}

std::string FolderForm(int folder, const std::string &startOn, const std::string &endOn)
{
    const std::string number = std::to_string(folder);
    return "CHG_FOLDER=" + number + "&START_ON=" + startOn + "&END_ON=" + endOn + "&FOLDER=" + number +
           "&MOVE_TO=" + number + "&REF.x=36&REF.y=11";
}

SummaryEntry ParseMailLine(std::string_view line, int folder, const std::string &startOn, const std::string &endOn)
{
    SummaryEntry entry;
    entry.New = line.find(kUnreadIcon) != std::string_view::npos;
    const std::string key = TextBetween(line, kKeyStart, kKeyEnd);
    const std::string move = TextBetween(line, kMoveStart, kMoveEnd);

    // Date, sender and subject follow each other, each looked for after the
    // one before.
    size_t position = line.find(kColoured);
    if (position != std::string_view::npos) {
        size_t start = position + kColoured.size();
        size_t end = line.find(kDateEnd, start);
        if (end != std::string_view::npos) {
            entry.Date = std::string(line.substr(start, end - start));
            position = line.find(kColoured, end);
            start = position == std::string_view::npos ? position : position + kColoured.size();
            end = position == std::string_view::npos ? position : line.find(kFromEnd, start);
            if (end != std::string_view::npos) {
                entry.From = std::string(line.substr(start, end - start));
                position = line.find(kCellFont, end);
                start = position == std::string_view::npos ? position : position + kCellFont.size() + 1;
                end = position == std::string_view::npos ? position : line.find(kSubjectEnd, start);
                if (end != std::string_view::npos)
                    entry.Subject = std::string(line.substr(start, end - start));
            }
        }
    }

    if (!key.empty()) {
        const std::string number = std::to_string(folder);
        entry.Locator = "CHG_FOLDER=" + number + "&" + key + ".x=3&" + key + ".y=8&START_ON=" + startOn +
                        "&END_ON=" + endOn + "&FOLDER=" + number + "&MOVE_TO=" + number + std::string(kMoveSeparator) +
                        move + std::string(kMoveSeparator);
        entry.MessageId = entry.Locator;
    }
    return entry;
}

std::string OpenFormOf(std::string_view locator)
{
    return std::string(locator.substr(0, locator.find(kMoveSeparator)));
}

std::string MoveNameOf(std::string_view locator)
{
    return TextBetween(locator, kMoveSeparator, kMoveSeparator);
}

std::string DeleteForm(const std::string &moveName, const std::string &startOn, const std::string &endOn)
{
    const std::string trash = std::to_string(kTrashFolder);
    return "CHG_FOLDER=" + trash + "&move" + moveName + "=on&START_ON=" + startOn + "&END_ON=" + endOn +
           "&FOLDER=" + trash + "&MOVE_TO=" + trash + "&REF.x=33&REF.y=9";
}

std::string SidOf(std::string_view formAddress)
{
    size_t found = formAddress.find(kSidParameter);
    return found == std::string_view::npos ? std::string()
                                           : std::string(formAddress.substr(found + kSidParameter.size()));
}

std::string HeaderValue(std::string_view line, std::string_view marker, std::string_view end, std::string_view otherEnd)
{
    size_t found = line.find(marker);
    if (found == std::string_view::npos)
        return {};
    size_t start = found + marker.size();
    size_t stop = line.find(end, start);
    if (stop == std::string_view::npos)
        stop = line.find(otherEnd, start);
    return stop == std::string_view::npos ? std::string() : std::string(line.substr(start, stop - start));
}

CAddressArray SplitAddressList(std::string_view value)
{
    CAddressArray entries;
    size_t comma;
    while ((comma = value.find(',')) != std::string_view::npos) {
        std::string_view piece = value.substr(0, comma);
        value.remove_prefix(comma + 1);
        if (piece.find_first_not_of(" \t") == std::string_view::npos)
            continue; // nothing between two commas names nobody
        AddressEntry entry;
        entry.Name = entry.Address = std::string(piece);
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace korvalin::goplay
