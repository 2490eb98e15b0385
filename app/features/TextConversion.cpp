#include "TextConversion.h"

#include <array>
#include <utility>

namespace korvalin {
namespace {

constexpr std::string_view kAdMarker = "<!-- KORVALIN AD STARTS HERE -->";

// Removes every "<a " (or "<A ") together with the text up to and including
// the next ">". A removal can join the text around it into a new opening, so
// the search resumes just before the place of the removal.
void RemoveAnchors(std::string& text, std::string_view opening)
{
    size_t from = 0;
    for (;;) {
        size_t start = text.find(opening, from);
        if (start == std::string::npos)
            return;
        size_t end = text.find('>', start + opening.size());
        if (end == std::string::npos)
            return;
        text.erase(start, end - start + 1);
        from = start >= opening.size() ? start - (opening.size() - 1) : 0;
    }
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with)
{
    size_t found = text.find(what);
    if (found == std::string::npos)
        return;
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    while (found != std::string::npos) {
        result.append(text, from, found - from);
        result.append(with);
        from = found + what.size();
        found = text.find(what, from);
    }
    result.append(text, from, std::string::npos);
    text = std::move(result);
}

constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kReplacements{{
    {"&lt;", "<"},
    {"&gt;", ">"},
    {"&nbsp;", ""},
    {"&amp;", "&"},
    {"&quot;", "\""},
    {"<P>", "\n"},
    {"<p>", "\n"},
}};

constexpr std::array<std::string_view, 26> kRemovedTags{
    "</P>",  "</p>",  "<HR>",   "<hr>",   "<BR>",  "<br>",  "<DIV>",  "<div>",    "</DIV>",
    "</div>", "<PRE>", "<pre>", "</PRE>", "</pre>", "<TR>",  "<tr>",  "</TR>",   "</tr>",
    "<TD>",  "<td>",  "</TD>",  "</td>",  "</A>",   "</a>",  "</table>", "</TABLE>",
};

}  // namespace

void RemoveTags(std::string& text, DiagnosticLog* log)
{
    if (log != nullptr)
        log->Info(kCommon, "Eating all tags from the mail");
    if (size_t ad = text.find(kAdMarker); ad != std::string::npos)
        text.resize(ad);
    RemoveAnchors(text, "<a ");
    RemoveAnchors(text, "<A ");
    for (const auto& [what, with] : kReplacements)
        ReplaceAll(text, what, with);
    for (std::string_view tag : kRemovedTags)
        ReplaceAll(text, tag, "");
}

std::string FormEncode(std::string_view text, DiagnosticLog* log)
{
    if (log != nullptr)
        log->Info(kCommon, "Reformatting the mail.");
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9');
        if (plain) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

}  // namespace korvalin
