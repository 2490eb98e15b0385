#include "HttpTestServer.h"
#include "Timeouts.h"
#include "WebRequest.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using korvalin::test::HttpRequest;
using korvalin::test::HttpResponse;
using korvalin::test::HttpTestServer;

namespace {

// A port on 127.0.0.1 that nothing listens on: bound, never listened, closed.
int UnusedPort()
{
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

HttpResponse EchoHandler(const HttpRequest& request)
{
    if (request.Path == "/missing")
        return HttpResponse::NotFound();
    if (request.Path == "/moved")
        return HttpResponse::Redirect("/target?from=moved");
    return HttpResponse::Page(request.Method + " " + request.Path + "?" + request.Query + "\n" + request.Body);
}

}  // namespace

TEST(WebTransport, GetSendsTheAgentAndStoresTheBody)
{
    HttpTestServer server(EchoHandler);
    CWebRequest request;
    std::string page;
    ASSERT_TRUE(request.GetPage(server.BaseUrl() + "/cgi-bin/start?a=1", page));
    EXPECT_EQ(page, "GET /cgi-bin/start?a=1\n");
    auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Header("user-agent"), "MySession");
    EXPECT_EQ(seen[0].Header("cache-control"), "no-cache");
    EXPECT_NE(request.ResponseHeaders().find("HTTP/1.1 200"), std::string::npos);
}

TEST(WebTransport, PostSendsTheBodyUnchangedAsAForm)
{
    HttpTestServer server(EchoHandler);
    CWebRequest request;
    std::string page;
    ASSERT_TRUE(request.PostForm(server.BaseUrl() + "/form", "login=a%26b&x=1", page));
    EXPECT_EQ(page, "POST /form?\nlogin=a%26b&x=1");
    auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Header("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(seen[0].Body, "login=a%26b&x=1");
}

TEST(WebTransport, PostWithoutContentTypeCarriesOnlyTheExtraHeaders)
{
    HttpTestServer server(EchoHandler);
    CWebRequest request;
    request.SendFormContentType = false;
    request.ExtraHeaders.push_back("Cookie: session=42");
    std::string page;
    ASSERT_TRUE(request.PostForm(server.BaseUrl() + "/cookie", "", page));
    auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Header("content-type"), "");
    EXPECT_EQ(seen[0].Header("cookie"), "session=42");
}

TEST(WebTransport, ErrorPageIsStoredWithResultTrue)
{
    HttpTestServer server(EchoHandler);
    CWebRequest request;
    std::string page;
    EXPECT_TRUE(request.GetPage(server.BaseUrl() + "/missing", page));
    EXPECT_NE(page.find("Not found"), std::string::npos);
    EXPECT_EQ(request.LastStatus(), 404);
}

TEST(WebTransport, UnreachablePortGivesFalseAndAnEmptyBuffer)
{
    CWebRequest request;
    std::string page;
    EXPECT_FALSE(request.PostForm("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/x", "a=1", page));
    EXPECT_TRUE(page.empty());
    EXPECT_FALSE(request.LastError().empty());
    EXPECT_FALSE(request.GetPage("not a url at all", page));
}

TEST(WebTransport, AnAnswerPastTheSizeLimitFailsTheFetch)
{
    HttpTestServer server([](const HttpRequest&) { return HttpResponse::Page(std::string(5000, 'x')); });
    CWebRequest request;
    EXPECT_EQ(CWebRequest::kMaxAnswerBytes, size_t{64} << 20);
    request.MaxAnswerBytes = 4096;
    std::string page;
    EXPECT_FALSE(request.GetPage(server.BaseUrl() + "/big", page));
    EXPECT_TRUE(page.empty());
    EXPECT_NE(request.LastError().find("longer than 4096 bytes"), std::string::npos);
    request.MaxAnswerBytes = 5000;
    EXPECT_TRUE(request.GetPage(server.BaseUrl() + "/big", page));
    EXPECT_EQ(page.size(), 5000u);
}

TEST(WebTransport, RedirectionIsFollowed)
{
    HttpTestServer server(EchoHandler);
    CWebRequest request;
    std::string page;
    ASSERT_TRUE(request.GetPage(server.BaseUrl() + "/moved", page));
    EXPECT_EQ(page, "GET /target?from=moved\n");
}

TEST(WebTransport, BlanksInTheUrlAreSentEscaped)
{
    HttpTestServer server(EchoHandler);
    CWebRequest request;
    std::string page;
    ASSERT_TRUE(request.GetPage(server.BaseUrl() + "/move?Move To.x=Move To", page));
    EXPECT_EQ(server.Requests().at(0).Query, "Move%20To.x=Move%20To");
}

TEST(WebTransport, StalledServerIsEndedByTheIdleTimeout)
{
    HttpTestServer server([](const HttpRequest&) {
        HttpResponse response = HttpResponse::Page("partial");
        response.StallSeconds = 30;
        return response;
    });
    korvalin::NetworkTimeouts saved = korvalin::GetNetworkTimeouts();
    korvalin::SetNetworkTimeouts({2, 1});
    CWebRequest request;
    std::string page;
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(request.GetPage(server.BaseUrl() + "/slow", page));
    auto took = std::chrono::steady_clock::now() - started;
    korvalin::SetNetworkTimeouts(saved);
    EXPECT_LT(took, std::chrono::seconds(20));
    EXPECT_EQ(page, "partial") << "what arrived before the stall stays in the buffer";
}

TEST(WebTransport, ProxyFromTheEnvironmentGetsTheAbsoluteForm)
{
    HttpTestServer proxy([](const HttpRequest& request) { return HttpResponse::Page("via proxy " + request.Host); });
    std::string saved = std::getenv("http_proxy") ? std::getenv("http_proxy") : "";
    ::setenv("http_proxy", proxy.BaseUrl().c_str(), 1);
    ::unsetenv("no_proxy");
    ::unsetenv("NO_PROXY");
    CWebRequest request;
    std::string page;
    bool fetched = request.GetPage("http://mail.service.test/cgi-bin/start?x=1", page);
    if (saved.empty())
        ::unsetenv("http_proxy");
    else
        ::setenv("http_proxy", saved.c_str(), 1);
    ASSERT_TRUE(fetched);
    EXPECT_EQ(page, "via proxy mail.service.test");
    EXPECT_EQ(proxy.Requests().at(0).Target, "http://mail.service.test/cgi-bin/start?x=1");
}

TEST(WebTransport, TwoThreadsFetchAtOnce)
{
    HttpTestServer server([](const HttpRequest& request) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return HttpResponse::Page(std::string(20000, request.Path.back()));
    });
    std::string pageA, pageB;
    bool okA = false, okB = false;
    std::thread a([&] {
        for (int i = 0; i < 5 && (okA = CWebRequest().GetPage(server.BaseUrl() + "/a", pageA)); ++i)
            ;
    });
    std::thread b([&] {
        for (int i = 0; i < 5 && (okB = CWebRequest().GetPage(server.BaseUrl() + "/b", pageB)); ++i)
            ;
    });
    a.join();
    b.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
    EXPECT_EQ(pageA, std::string(100000, 'a'));
    EXPECT_EQ(pageB, std::string(100000, 'b'));
}

TEST(WebTransport, OneObjectCarriesSeveralExchanges)
{
    HttpTestServer server(EchoHandler);
    CWebRequest request;
    std::string first, second;
    ASSERT_TRUE(request.GetPage(server.BaseUrl() + "/one", first));
    ASSERT_TRUE(request.GetPage(server.BaseUrl() + "/two", second));
    EXPECT_EQ(first, "GET /one?\n");
    EXPECT_EQ(second, "GET /two?\n");
}

// The stand-in answers in place of the network (the fuzz targets rely on it),
// sees what the request asked, and null gives the network back.
TEST(WebTransport, StandInAnswersInPlaceOfTheNetworkUntilCleared)
{
    static std::string asked;
    korvalin::SetWebStandIn([](const CWebRequest& request, const std::string& url, const std::string* form,
                               std::string& headers, long& status, std::string& body) {
        asked = url + "|" + (form ? *form : "GET") + "|" + (request.ExtraHeaders.empty() ? "" : request.ExtraHeaders[0]);
        headers = "HTTP/1.1 404 Not Found\r\n\r\n";
        status = 404;
        body += "stand-in page";
        return true;
    });
    CWebRequest request;
    request.ExtraHeaders.push_back("Cookie: a=b");
    std::string page = "kept:";
    bool fetched = request.PostForm("http://127.0.0.1:1/form", "x=1", page);
    korvalin::SetWebStandIn(nullptr);
    EXPECT_TRUE(fetched);
    EXPECT_FALSE(request.Accepted(fetched));
    EXPECT_EQ(request.LastStatus(), 404);
    EXPECT_EQ(request.ResponseHeaders(), "HTTP/1.1 404 Not Found\r\n\r\n");
    EXPECT_EQ(page, "kept:stand-in page");
    EXPECT_EQ(asked, "http://127.0.0.1:1/form|x=1|Cookie: a=b");

    HttpTestServer server(EchoHandler);
    std::string real;
    ASSERT_TRUE(CWebRequest().GetPage(server.BaseUrl() + "/back", real));
    EXPECT_EQ(real, "GET /back?\n");
}
