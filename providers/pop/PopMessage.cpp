#include "PopMessage.h"

#include "MimeMail.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>

namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// Header text made for searching: upper case, with CR LF before the first
// line and after the last, so that every field starts after a CR LF and
// every value ends before one. Offsets in it are the header's plus 2.
class HeaderSearch {
public:
    explicit HeaderSearch(const std::string& header) : Header(header)
    {
        Upper.reserve(header.size() + 4);
        Upper += "\r\n";
        for (char c : header)
            Upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        Upper += "\r\n";
    }

    // The value of the field whose marker starts a line (lineStart) or
    // stands anywhere, unfolded: a following line that begins with a blank
    // continues the value.
    bool Find(std::string_view marker, bool lineStart, std::string& value) const
    {
        size_t found;
        if (lineStart) {
            std::string withBreak = "\r\n";
            withBreak += marker;
            found = Upper.find(withBreak);
            if (found == std::string::npos)
                return false;
            found += 2;
        } else {
            found = Upper.find(marker);
            if (found == std::string::npos)
                return false;
        }
        size_t start = found + marker.size();
        size_t end = Upper.find("\r\n", start);
        while (end + 2 < Upper.size() && IsBlank(Upper[end + 2]))
            end = Upper.find("\r\n", end + 2);
        // start and end are offsets in Upper; the header's own text is 2 earlier.
        value.clear();
        std::string_view raw(Header);
        size_t from = start - 2;
        size_t to = std::min(end - 2, raw.size());
        if (from > to)
            return true;
        std::string_view text = raw.substr(from, to - from);
        size_t pos = 0;
        size_t fold;
        while ((fold = text.find("\r\n", pos)) != std::string_view::npos) {
            value.append(text.substr(pos, fold - pos));
            pos = fold + 2;
        }
        value.append(text.substr(pos));
        return true;
    }

private:
    const std::string& Header;
    std::string Upper;
};

bool FindMessageId(const HeaderSearch& search, std::string& value)
{
    return search.Find("MESSAGE-ID: ", true, value) || search.Find("MESSAGE-ID: ", false, value);
}

std::vector<std::string_view> SplitBlanks(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        size_t start = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

// "Mon", "monday", "TUE": a day name, abbreviated or not, in any case.
bool IsDayName(std::string_view word)
{
    if (word.size() < 3)
        return false;
    for (char c : word)
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return false;
    for (const char* day : kWeekdays) {
        bool same = true;
        for (size_t i = 0; i < 3; ++i)
            same = same && std::tolower(static_cast<unsigned char>(word[i])) ==
                               std::tolower(static_cast<unsigned char>(day[i]));
        if (same)
            return true;
    }
    return false;
}

// Splits a recipient list at "," and ";" outside quotes and angle brackets.
// An entry whose "<" is never closed takes the rest of the list.
std::vector<std::string_view> SplitAddressList(std::string_view list)
{
    std::vector<std::string_view> pieces;
    bool quoted = false;
    bool escaped = false;
    int angle = 0;
    size_t start = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        char c = list[i];
        if (escaped) {
            escaped = false;
        } else if (quoted) {
            if (c == '\\')
                escaped = true;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            ++angle;
        } else if (c == '>') {
            angle = angle > 0 ? angle - 1 : 0;
        } else if ((c == ',' || c == ';') && angle == 0) {
            pieces.push_back(list.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(list.substr(start));
    return pieces;
}

// Offset of the first "<" outside double quotes, or npos.
size_t FindOpeningAngle(std::string_view piece)
{
    bool quoted = false;
    bool escaped = false;
    for (size_t i = 0; i < piece.size(); ++i) {
        char c = piece[i];
        if (escaped)
            escaped = false;
        else if (quoted && c == '\\')
            escaped = true;
        else if (c == '"')
            quoted = !quoted;
        else if (c == '<' && !quoted)
            return i;
    }
    return std::string_view::npos;
}

// Header values must stay on their line.
std::string OneLine(std::string_view text)
{
    std::string line(text);
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    return line;
}

}  // namespace

bool CPopMessage::FindField(std::string_view marker, std::string& value) const
{
    return HeaderSearch(Header).Find(marker, true, value);
}

std::string CPopMessage::HeaderMessageId() const
{
    std::string value;
    FindMessageId(HeaderSearch(Header), value);
    return value;
}

// The raw value found, decoded: the MIME reading of the whole header block
// when it has the field, else the encoded words of the raw text.
static std::string Decoded(const std::string& raw, const std::string& decoded)
{
    return decoded.empty() ? korvalin::mime::DecodeHeaderText(raw) : decoded;
}

void CPopMessage::ParseSummaryHeader()
{
    HeaderSearch search(Header);
    std::string value;
    if (!search.Find("FROM: ", true, From))
        return;
    korvalin::mime::MailHeaders decoded = korvalin::mime::ParseHeaders(Header);
    From = Decoded(From, decoded.From);
    if (!search.Find("DATE: ", true, value))
        return;
    Date = korvalin::pop::SummaryDate(value);
    if (search.Find("SUBJECT: ", true, Subject))
        Subject = Decoded(Subject, decoded.Subject);
    else
        Subject.clear();
    FindMessageId(search, MessageId);
}

void CPopMessage::ParseMailHeader()
{
    HeaderSearch search(Header);
    std::string value;
    if (!search.Find("FROM: ", true, From))
        return;
    korvalin::mime::MailHeaders decoded = korvalin::mime::ParseHeaders(Header);
    From = Decoded(From, decoded.From);
    if (!search.Find("TO: ", true, value))
        return;
    AddRecipients(Decoded(value, decoded.To));
    if (search.Find("SUBJECT: ", true, Subject))
        Subject = Decoded(Subject, decoded.Subject);
    else
        Subject.clear();
    if (!FindMessageId(search, MessageId))
        return;
    if (search.Find("CC: ", true, value))
        AddRecipients(Decoded(value, decoded.Cc));
}

void CPopMessage::AddRecipients(std::string_view list, bool hidden)
{
    for (std::string_view piece : SplitAddressList(list)) {
        while (!piece.empty() && (IsBlank(piece.front()) || piece.front() == '\r' || piece.front() == '\n'))
            piece.remove_prefix(1);
        size_t open = FindOpeningAngle(piece);
        Recipient recipient;
        recipient.Hidden = hidden;
        if (open == std::string_view::npos) {
            recipient.Address = TrimBlanks(piece);
        } else {
            size_t close = piece.find('>', open + 1);
            if (close == std::string_view::npos)
                return;
            recipient.Name = piece.substr(0, open);
            recipient.Address = TrimBlanks(piece.substr(open + 1, close - open - 1));
        }
        if (!recipient.Address.empty())
            Recipients.push_back(std::move(recipient));
    }
}

bool CPopMessage::ComposeHeader(std::time_t now)
{
    if (Recipients.empty())
        return false;
    korvalin::mime::OutgoingMail mail;
    mail.From = {OneLine(FromName), OneLine(From)};
    for (const Recipient& recipient : Recipients) {
        if (recipient.Hidden)
            continue;
        korvalin::mime::MailAddress address{std::string(TrimBlanks(OneLine(recipient.Name))), OneLine(recipient.Address)};
        if (address.Name.size() >= 2 && address.Name.front() == '"' && address.Name.back() == '"')
            address.Name = address.Name.substr(1, address.Name.size() - 2);
        (recipient.Copy ? mail.Cc : mail.To).push_back(std::move(address));
    }
    mail.Subject = OneLine(Subject);
    mail.Text = Body;
    mail.Date = now;
    mail.InReplyTo = InReplyTo;
    mail.References = References;
    mail.EightBit = EightBit;
    korvalin::mime::ComposedMail composed = korvalin::mime::ComposeMail(mail);
    Header = std::move(composed.Header);
    Body = std::move(composed.Body);
    MessageId = std::move(composed.MessageId);
    return true;
}

void CPopMessage::StuffDots()
{
    std::string text = korvalin::pop::NormalizeLineEnds(Body);
    std::string stuffed;
    stuffed.reserve(text.size() + 16);
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c == '.')
            stuffed += '.';
        stuffed += c;
        lineStart = c == '\n';
    }
    Body = std::move(stuffed);
}

namespace korvalin::pop {

std::string SummaryDate(std::string_view dateValue)
{
    std::vector<std::string_view> words = SplitBlanks(dateValue);
    // A leading day name ("Mon," or "Mon") is not part of the date; "Mon,7"
    // keeps what follows the comma.
    if (!words.empty()) {
        std::string_view first = words.front();
        size_t comma = first.find(',');
        if (comma != std::string_view::npos) {
            if (comma + 1 < first.size())
                words.front() = first.substr(comma + 1);
            else
                words.erase(words.begin());
        } else if (IsDayName(first)) {
            words.erase(words.begin());
        }
    }
    std::string_view day = words.size() > 0 ? words[0] : std::string_view();
    std::string_view month = words.size() > 1 ? words[1] : std::string_view();
    std::string_view year = words.size() > 2 ? words[2] : std::string_view();
    static constexpr std::array<const char*, 12> kMonthForms = {"01/", "02/", "03/", "04/", "05/", "06/",
                                                                "07/", "08/", "09/", "10/", "11/", "12/"};
    std::string monthForm(month);
    for (size_t i = 0; i < kMonths.size(); ++i) {
        if (month == kMonths[i]) {
            monthForm = kMonthForms[i];
            break;
        }
    }
    std::string date(year);
    date += "/";
    date += monthForm;
    date += day;
    return date;
}

std::string FormatMailDate(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    long offset = local.tm_gmtoff / 60;
    char sign = offset < 0 ? '-' : '+';
    if (offset < 0)
        offset = -offset;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kWeekdays[local.tm_wday % 7],
                  local.tm_mday, kMonths[local.tm_mon % 12], local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec, sign, offset / 60, offset % 60);
    return text;
}

std::string HeaderDigestId(std::string_view header)
{
    // FNV-1a, 64 bits: stable across runs and builds.
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : header) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char text[40];
    std::snprintf(text, sizeof text, "<%016llx@digest.korvalin>", static_cast<unsigned long long>(hash));
    return text;
}

void TakeThread(std::string_view extra, CPopMessage& message)
{
    std::vector<std::string> ids;
    size_t pos = 0;
    while ((pos = extra.find('<', pos)) != std::string_view::npos) {
        size_t end = extra.find('>', pos);
        if (end == std::string_view::npos)
            break;
        std::string_view id = extra.substr(pos, end + 1 - pos);
        pos = end + 1;
        bool plain = id.find_first_of(" \t\r\n<", 1) == std::string_view::npos;
        bool madeUp = id.size() >= 17 && id.substr(id.size() - 17) == "@digest.korvalin>";
        if (plain && !madeUp && id.find('@') != std::string_view::npos)
            ids.emplace_back(id);
    }
    message.InReplyTo.clear();
    message.References.clear();
    if (ids.empty())
        return;
    message.InReplyTo = ids.back();
    for (const std::string& id : ids)
        message.References += (message.References.empty() ? "" : " ") + id;
}

std::string NormalizeLineEnds(std::string_view text)
{
    std::string normal;
    normal.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            normal += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            normal += "\r\n";
        } else {
            normal += c;
        }
    }
    return normal;
}

}  // namespace korvalin::pop
