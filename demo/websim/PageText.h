// Building the simulated services' pages: a page written line by line with
// the service's own line end, and the escaping the pages need.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvalin::websim {

class PageWriter {
public:
    explicit PageWriter(std::string lineEnd = "\n") : LineEnd(std::move(lineEnd)) {}

    // Appends text and the line end. text must not hold a line end itself,
    // so that the page's line numbers stay what the caller counted.
    PageWriter& Line(std::string_view text);
    size_t LineCount() const { return Count; }
    const std::string& Text() const { return Page; }

private:
    std::string LineEnd;
    std::string Page;
    size_t Count = 0;
};

// "&", "<", ">" and '"' as entities.
std::string HtmlEscape(std::string_view text);
// A value for a link's query: percent-encoded.
std::string UrlEncode(std::string_view text);
std::string AsciiLower(std::string_view text);
// "3k": whole kilobytes, rounded up.
std::string SizeInKilobytes(size_t bytes);

} // namespace korvalin::websim
