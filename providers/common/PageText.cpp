#include "PageText.h"

namespace korvalin {

std::string TextBetween(std::string_view line, std::string_view open, std::string_view close)
{
    size_t start = line.find(open);
    if (start == std::string_view::npos)
        return {};
    start += open.size();
    size_t end = line.find(close, start);
    return end == std::string_view::npos ? std::string() : std::string(line.substr(start, end - start));
}

std::string Trim(std::string_view text, std::string_view blanks)
{
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

std::string TrimLeft(std::string_view text)
{
    size_t first = text.find_first_not_of(kWhiteSpace);
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string result;
    size_t position = 0;
    size_t found;
    while ((found = text.find(from, position)) != std::string_view::npos) {
        result.append(text.substr(position, found - position));
        result.append(to);
        position = found + from.size();
    }
    result.append(text.substr(position));
    return result;
}

std::string DecodeBrackets(std::string_view text)
{
    return ReplaceAll(ReplaceAll(ReplaceAll(text, "&quot;", "\""), "&lt;", "<"), "&gt;", ">");
}

std::string WithoutLineEnd(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace korvalin
