#include "PageRequests.h"

#include "WebRequest.h"

namespace korvalin {

bool FetchPage(CWebRequest &request, const std::string &url, std::string &page)
{
    bool fetched = request.GetPage(url, page);
    return request.Accepted(fetched);
}

bool PostPage(CWebRequest &request, const std::string &url, const std::string &form, std::string &page)
{
    bool fetched = request.PostForm(url, form, page);
    return request.Accepted(fetched);
}

bool SkipLines(CWebRequest &request, std::string &line, int count, size_t limit)
{
    for (int i = 0; i < count; ++i) {
        if (request.ReadLine(line, false, limit) == 0)
            return false;
    }
    return true;
}

} // namespace korvalin
