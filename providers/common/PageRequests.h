// The page exchanges every web provider makes: a GET or a form POST whose
// answer counts only when it arrived whole with a 2xx status, and stepping
// over the lines of an answer to the one that holds a value.
#pragma once

#include <cstddef>
#include <string>

class CWebRequest;

namespace korvalin {

// GETs url, appending the body to page (whatever arrives is kept); true when
// the page arrived whole with a 2xx answer.
bool FetchPage(CWebRequest &request, const std::string &url, std::string &page);

// POSTs the form body to url the same way, with the request's own headers
// and content-type setting.
bool PostPage(CWebRequest &request, const std::string &url, const std::string &form, std::string &page);

// Reads `count` further lines of the attached answer, each in pieces of at
// most limit - 1 bytes; line holds the last. False when the answer ended
// first.
bool SkipLines(CWebRequest &request, std::string &line, int count, size_t limit);

} // namespace korvalin
