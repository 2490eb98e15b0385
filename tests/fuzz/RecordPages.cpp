// Writes the seed corpus of a web target: runs the same session as the
// target against a live (simulated) service named by hosts.conf in the
// current directory and stores every answer as one page of a fuzz input.
//   record_pages PROVIDER USER PASSWORD FILE
// PROVIDER is the target name without "web_" (hotmail, yahoo, ...). The
// seeds in the tree came from korvalin-websim's demo accounts:
//   korvalin-websim --new-mail-every 0 --hosts-conf ./hosts.conf &
//   record_pages hotmail demo demo tests/fuzz/corpus/web_hotmail/session.txt
#include "AngelFire.h"
#include "Goplay.h"
#include "Hotmail.h"
#include "MailCity.h"
#include "MailExcite.h"
#include "NetAddress.h"
#include "PageFeed.h"
#include "WebRequest.h"
#include "YahooMail.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string Recorded;
size_t Pages = 0;

bool RecordFetch(const CWebRequest& asking, const std::string& url, const std::string* formBody, std::string& headers,
                 long& status, std::string& body)
{
    korvalin::SetWebStandIn(nullptr);
    CWebRequest real;
    real.ExtraHeaders = asking.ExtraHeaders;
    real.SendFormContentType = asking.SendFormContentType;
    std::string page;
    bool whole = formBody ? real.PostForm(url, *formBody, page) : real.GetPage(url, page);
    korvalin::SetWebStandIn(&RecordFetch);
    headers = real.ResponseHeaders();
    status = real.LastStatus();
    body += page;

    // Only the last header block counts (redirections come before it).
    std::string last = headers;
    size_t end = last.size() < 5 ? std::string::npos : last.rfind("\r\n\r\n", last.size() - 5);
    if (end != std::string::npos && end + 4 < last.size())
        last = last.substr(end + 4);
    if (Pages++ > 0)
        Recorded += korvalin::fuzz::kPageSeparator;
    Recorded += last + page;
    return whole;
}

std::unique_ptr<CMailProvider> Make(const std::string& name)
{
    if (name == "hotmail")
        return std::make_unique<CHotmail>();
    if (name == "yahoo")
        return std::make_unique<CYahooMail>();
    if (name == "mailcity")
        return std::make_unique<CMailCity>();
    if (name == "angelfire")
        return std::make_unique<CAngelFire>();
    if (name == "netaddress")
        return std::make_unique<CNetAddress>();
    if (name == "excite")
        return std::make_unique<CMailExcite>();
    if (name == "goplay")
        return std::make_unique<CGoplay>();
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: record_pages PROVIDER USER PASSWORD FILE\n");
        return 2;
    }
    std::unique_ptr<CMailProvider> provider = Make(argv[1]);
    if (!provider) {
        std::fprintf(stderr, "unknown provider %s\n", argv[1]);
        return 2;
    }
    korvalin::SetWebStandIn(&RecordFetch);
    korvalin::fuzz::RunSession(*provider, argv[2], argv[3]);
    korvalin::SetWebStandIn(nullptr);
    std::ofstream(argv[4], std::ios::binary) << Recorded;
    std::printf("%s: %zu pages, %zu bytes\n", argv[1], Pages, Recorded.size());
    return 0;
}
