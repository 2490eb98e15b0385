#include "HotmailParsing.h"

#include "HotmailMarkers.h"
#include "PageText.h"
#include "TextScanner.h"

#include <array>

namespace korvalin::hotmail {
namespace {

// The cells of a row after StripTags, read one after the other.
class CellReader {
public:
    explicit CellReader(std::string cells) : Cells(std::move(cells))
    {
        // A row that starts with an empty cell leaves a ";" in front.
        if (!Cells.empty() && Cells.front() == ';')
            Position = 1;
    }

    std::string Next()
    {
        if (Position == std::string::npos)
            return {};
        size_t separator = Cells.find(';', Position);
        std::string cell = Cells.substr(Position, separator == std::string::npos ? separator : separator - Position);
        Position = separator == std::string::npos ? separator : separator + 1;
        return cell;
    }

    std::string Rest() const { return Position == std::string::npos ? std::string() : Cells.substr(Position); }

private:
    std::string Cells;
    size_t Position = 0;
};

} // namespace

std::string QuotedValueAfter(std::string_view line, std::string_view open)
{
    CTextScanner scanner;
    int start = scanner.Find(line, open);
    if (start < 0)
        return {};
    int valueStart = start + static_cast<int>(open.size());
    int end = scanner.FindAfter(line, kQuote, valueStart + 1);
    if (end < 0)
        return {};
    return scanner.Extract(line, valueStart, end);
}

std::string RewriteListDate(std::string_view cell)
{
    static constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    size_t blank = cell.find(' ');
    if (blank == std::string_view::npos)
        return std::string(cell);
    std::string_view month = cell.substr(0, blank);
    for (size_t i = 0; i < kMonths.size(); ++i) {
        if (month == kMonths[i]) {
            std::string number = (i + 1 < 10 ? "0" : "") + std::to_string(i + 1);
            return number + "/" + std::string(cell.substr(blank + 1));
        }
    }
    return std::string(cell);
}

SummaryEntry ParseMailRow(std::string_view row)
{
    CTextScanner scanner;
    SummaryEntry entry;
    entry.New = scanner.Find(row, kNewMailIcon) >= 0;
    entry.MessageId = QuotedValueAfter(row, kRowIdStart);
    entry.Locator = QuotedValueAfter(row, kLinkStart);

    CellReader cells(scanner.StripTags(row));
    entry.From = cells.Next();
    entry.Date = RewriteListDate(cells.Next());
    entry.Subject = cells.Next();
    entry.Size = cells.Rest();
    return entry;
}

LocatorSession SessionValuesOf(std::string_view locator)
{
    LocatorSession values;
    size_t firstEquals = locator.find('=');
    if (firstEquals == std::string_view::npos)
        return values;
    size_t ampersand = locator.find('&', firstEquals + 1);
    if (ampersand == std::string_view::npos)
        return values;
    values.Disk = std::string(locator.substr(firstEquals + 1, ampersand - firstEquals - 1));

    size_t equals = locator.find('=', ampersand + 1);
    if (equals != std::string_view::npos)
        equals = locator.find('=', equals + 1);
    if (equals == std::string_view::npos)
        return values;
    size_t end = locator.find('&', equals + 1);
    values.FormF = std::string(locator.substr(equals + 1, end == std::string_view::npos ? end : end - equals - 1));
    return values;
}

std::string ReplaceInPath(std::string_view text, std::string_view from, std::string_view to)
{
    size_t question = text.find('?');
    std::string result = ReplaceAll(text.substr(0, question), from, to);
    if (question != std::string_view::npos)
        result.append(text.substr(question));
    return result;
}

std::string FolderListingUrl(std::string_view inboxUrl, std::string_view folderId)
{
    std::string url = ReplaceInPath(inboxUrl, "start", kFolderScript);
    size_t question = url.find('?');
    if (question == std::string::npos)
        return url;
    static constexpr std::string_view kActive = "=ACTIVE";
    std::string result = url.substr(0, question + 1);
    std::string_view query = std::string_view(url).substr(question + 1);
    while (true) {
        size_t ampersand = query.find('&');
        std::string_view parameter = query.substr(0, ampersand);
        if (parameter.size() >= kActive.size() && parameter.substr(parameter.size() - kActive.size()) == kActive) {
            result.append(parameter.substr(0, parameter.size() - kActive.size() + 1));
            result.append(folderId);
        } else {
            result.append(parameter);
        }
        if (ampersand == std::string_view::npos)
            break;
        result.push_back('&');
        query = query.substr(ampersand + 1);
    }
    return result;
}

} // namespace korvalin::hotmail
