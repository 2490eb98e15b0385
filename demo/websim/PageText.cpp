#include "PageText.h"

#include "FormEncoding.h"

#include <stdexcept>

namespace korvalin::websim {

PageWriter& PageWriter::Line(std::string_view text)
{
    if (text.find_first_of("\r\n") != std::string_view::npos)
        throw std::logic_error("PageWriter::Line: a line must not hold a line end");
    Page.append(text);
    Page.append(LineEnd);
    ++Count;
    return *this;
}

std::string HtmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped.push_back(c);
        }
    }
    return escaped;
}

std::string UrlEncode(std::string_view text)
{
    return korvalin::EncodeFormValue(text);
}

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string SizeInKilobytes(size_t bytes)
{
    return std::to_string((bytes + 1023) / 1024) + "k";
}

} // namespace korvalin::websim
