// The page a plug-in hands the host for a fetched Internet mail, and how the
// mail view reads its parts back.
//
// The page is UTF-8 HTML: a <meta charset="utf-8"> first, the mail's body,
// then the parts (attachments and the images its HTML names by "cid:") in
// HTML comments after a marker line, each with its name, type, Content-ID
// and base64 bytes. The page is cached as it is, so the parts stay readable
// offline, and the contract between host and plug-ins needs nothing new.
// Only the last marker counts: a mail that writes one of its own into its
// body cannot add or hide parts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvalin::mime {

struct PagePart {
    std::string FileName;     // as the plug-in sanitised it
    std::string ContentType;  // "type/subtype"
    std::string ContentId;    // without angle brackets
    std::string Data;         // decoded bytes
    bool Listed = true;       // shown in the attachment list
};

inline constexpr std::string_view kPartsMarker = "<!--korvalin-parts-->";

// <meta charset="utf-8">, body, marker, parts.
std::string WritePage(std::string_view body, const std::vector<PagePart>& parts);

// The body (everything before the last marker) and the parts after it; a
// page without a marker is all body. Malformed part comments are skipped.
struct ReadPageResult {
    std::string_view Body;
    std::vector<PagePart> Parts;
};
ReadPageResult ReadPage(std::string_view page);

std::string Base64Encode(std::string_view bytes);
// Skips characters outside the alphabet; stops at "=".
std::string Base64Decode(std::string_view text);

}  // namespace korvalin::mime
