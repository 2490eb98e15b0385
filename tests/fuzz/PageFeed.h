// The pages a web target feeds to a provider. The input is a run of pages
// separated by kPageSeparator; every fetch (GET or form POST) is answered by
// the next page with status 200, and once the pages are used up every fetch
// fails as a dead network would. A page that starts with "HTTP/" carries its
// own response header block up to its first empty line ("\r\n\r\n"), so that
// cookies and status lines are hostile input too.
#pragma once

#include "MailProvider.h"

#include <string>
#include <string_view>

namespace korvalin::fuzz {

inline constexpr std::string_view kPageSeparator = "\n<<page>>\n";

// Answers every later fetch from input (the fuzz targets run one input at a
// time on one thread).
void FeedPages(std::string_view input);

// A whole session against the fed pages: log in, list the folders, the
// inbox and the first folder, read and delete the first listed mail, send a
// mail, read the address book and add to it. Every result is thrown away;
// only crashes, hangs and sanitizer reports count.
void RunSession(CMailProvider& provider, const std::string& user = "demo",
                const std::string& password = "demo");

// FeedPages then RunSession on a fresh provider of type P.
template <class P>
void RunSessionOf(std::string_view input)
{
    FeedPages(input);
    P provider;
    RunSession(provider);
}

}  // namespace korvalin::fuzz
