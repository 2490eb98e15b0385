// Exact tools for cutting values out of HTML lines between fixed markers.
// Offsets are byte offsets from the start of the searched text; -1 means
// "not found". One scanner lives on the stack of each provider operation.
#pragma once

#include <string>
#include <string_view>

class CTextScanner {
public:
    virtual ~CTextScanner() = default;

    // Offset of the first occurrence of marker in text, or -1.
    int Find(std::string_view text, std::string_view marker) const;

    // Offset of the first occurrence of marker that begins at position + 1 or
    // later; -1 when there is none or position is at or past the end of text.
    // A position of -1 searches the whole text.
    int FindAfter(std::string_view text, std::string_view marker, int position) const;

    // The bytes of text from start up to, not including, end, kept in Scratch
    // until the next Extract. Empty when end < start; offsets are clamped to
    // the text.
    const std::string& Extract(std::string_view text, int start, int end);

    // Turns one table row whose cells hold values wrapped in "&nbsp;" into the
    // values separated by ";" (tags dropped, then the text between "&nbsp"
    // occurrences kept, then single ";" dropped and ";;" made one).
    std::string StripTags(std::string_view text) const;

    std::string Scratch;
};
