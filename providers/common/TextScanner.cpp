#include "TextScanner.h"

#include <algorithm>

namespace {

int OffsetOrMissing(size_t offset)
{
    return offset == std::string_view::npos ? -1 : static_cast<int>(offset);
}

// Text outside tags; whatever follows the last tag is not kept (a row ends
// with a tag), and an unclosed tag ends the pass.
std::string KeepTextBetweenTags(std::string_view rest)
{
    std::string kept;
    size_t open;
    while ((open = rest.find('<')) != std::string_view::npos) {
        kept.append(rest.substr(0, open));
        size_t close = rest.find('>');
        if (close == std::string_view::npos)
            break;
        rest = rest.substr(close + 1);
    }
    return kept;
}

// Text before each "&nbsp"; the part after the last one is dropped, so text
// without any "&nbsp" gives nothing.
std::string KeepTextBeforeSpaces(std::string_view rest)
{
    static constexpr std::string_view kSpace = "&nbsp";
    std::string kept;
    size_t found;
    while ((found = rest.find(kSpace)) != std::string_view::npos) {
        kept.append(rest.substr(0, found));
        rest = rest.substr(found + kSpace.size());
    }
    return kept;
}

std::string CollapseSemicolons(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ';') {
            result.push_back(text[i]);
        } else if (i + 1 < text.size() && text[i + 1] == ';') {
            result.push_back(';');
            ++i;
        }
    }
    return result;
}

}  // namespace

int CTextScanner::Find(std::string_view text, std::string_view marker) const
{
    return OffsetOrMissing(text.find(marker));
}

int CTextScanner::FindAfter(std::string_view text, std::string_view marker, int position) const
{
    if (position < -1 || position >= static_cast<int>(text.size()))
        return -1;
    return OffsetOrMissing(text.find(marker, static_cast<size_t>(position + 1)));
}

const std::string& CTextScanner::Extract(std::string_view text, int start, int end)
{
    int size = static_cast<int>(text.size());
    start = std::clamp(start, 0, size);
    end = std::clamp(end, 0, size);
    if (end <= start)
        Scratch.clear();
    else
        Scratch.assign(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
    return Scratch;
}

std::string CTextScanner::StripTags(std::string_view text) const
{
    return CollapseSemicolons(KeepTextBeforeSpaces(KeepTextBetweenTags(text)));
}
