#include "ExciteParsing.h"

#include "PageText.h"

namespace korvalin::excite {

std::string MailboxKeyOf(std::string_view line)
{
    size_t marker = line.find(kMailboxFrame);
    if (marker == std::string_view::npos)
        return {};
    size_t start = marker + kMailboxFrame.size();
    size_t quote = line.rfind('"');
    return quote == std::string_view::npos || quote < start ? std::string()
                                                            : std::string(line.substr(start, quote - start));
}

FolderLine ParseFolderLine(std::string_view line)
{
    size_t marker = line.find(kFolderLink);
    if (marker == std::string_view::npos)
        return {};
    size_t start = marker + kFolderLink.size();
    size_t tagEnd = line.find(kTagEnd, start);
    if (tagEnd == std::string_view::npos)
        return {};
    FolderLine folder;
    folder.Link = ReplaceAll(line.substr(start, tagEnd - start), "&amp;", "&");
    size_t nameStart = tagEnd + kTagEnd.size();
    size_t nameEnd = line.find(kLinkEnd, nameStart);
    if (nameEnd != std::string_view::npos)
        folder.Name = std::string(line.substr(nameStart, nameEnd - nameStart));
    return folder;
}

SenderCell ParseSenderCell(std::string_view line)
{
    SenderCell cell;
    cell.New = line.find(kBold) != std::string_view::npos;
    cell.From = cell.New ? TextBetween(line, kBold, kBoldEnd) : TextBetween(line, kPlainSender, kPlainSenderEnd);
    return cell;
}

LinkCell ParseLinkCell(std::string_view line)
{
    LinkCell cell;
    size_t link = line.find(kMailLink);
    if (link == std::string_view::npos)
        return cell;
    size_t parameter = line.find(kFolderParameter, link + kMailLink.size());
    if (parameter == std::string_view::npos)
        return cell;
    size_t start = parameter + kFolderParameter.size();
    size_t tagEnd = line.find(kTagEnd, start);
    if (tagEnd == std::string_view::npos)
        return cell;
    cell.Locator = ReplaceAll(line.substr(start, tagEnd - start), "&amp;", "&");
    size_t subjectStart = tagEnd + kTagEnd.size();
    size_t subjectEnd = line.find(kLinkEnd, subjectStart);
    if (subjectEnd != std::string_view::npos)
        cell.Subject = std::string(line.substr(subjectStart, subjectEnd - subjectStart));
    return cell;
}

std::string ParseDateCell(std::string_view line, bool isNew)
{
    return isNew ? TextBetween(line, kBold, kBoldEnd) : TextBetween(line, kPlainDate, kSpace);
}

std::string ParseSizeCell(std::string_view line, bool isNew)
{
    return isNew ? TextBetween(line, kBold, kBoldEnd) : TextBetween(line, kSpace, kSpace);
}

std::string YearFirstDate(std::string_view date)
{
    size_t first = date.find('/');
    size_t second = first == std::string_view::npos ? first : date.find('/', first + 1);
    if (second == std::string_view::npos)
        return std::string(date);
    return std::string(date.substr(second + 1)) + "/" + std::string(date.substr(0, first)) + "/" +
           std::string(date.substr(first + 1, second - first - 1));
}

std::string HeaderValue(std::string_view line, std::string_view end)
{
    size_t stop = line.find(end);
    if (stop == std::string_view::npos || stop < kHeaderValueStart)
        return {};
    return std::string(line.substr(kHeaderValueStart, stop - kHeaderValueStart));
}

std::string MailPart(std::string_view locator)
{
    return std::string(locator.substr(0, locator.find(kPreviousMail)));
}

std::string DeleteForm(std::string_view locator)
{
    static constexpr std::string_view kUid = "uid=";
    size_t ampersand = locator.find('&');
    if (ampersand == std::string_view::npos || ampersand == 0)
        return {};
    size_t uid = locator.find(kUid, ampersand);
    if (uid == std::string_view::npos)
        return {};
    size_t start = uid + kUid.size();
    size_t end = locator.find('&', start);
    // A uid at the very end of the locator runs to its end.
    std::string_view value = locator.substr(start, end == std::string_view::npos ? end : end - start);
    if (value.empty())
        return {};
    return "fl=" + std::string(locator.substr(0, ampersand)) + "&uid=" + std::string(value) +
           "&moveto=Trash&action=File";
}

std::string BookName(std::string_view line)
{
    return TextBetween(line, kBookName, kCellEnd);
}

std::string BookAddress(std::string_view line)
{
    return TextBetween(line, kTagEnd, kLinkEnd);
}

} // namespace korvalin::excite
