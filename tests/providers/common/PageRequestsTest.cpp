#include "PageRequests.h"
#include "HttpTestServer.h"
#include "WebRequest.h"

#include <gtest/gtest.h>

using korvalin::FetchPage;
using korvalin::PostPage;
using korvalin::SkipLines;
using korvalin::test::HttpRequest;
using korvalin::test::HttpResponse;
using korvalin::test::HttpTestServer;

namespace {

// "/status/N" answers with status N, "/to-ok" and "/to-missing" redirect,
// any other path echoes the method, content type and body.
HttpResponse StatusHandler(const HttpRequest &request)
{
    static const std::string kStatusPath = "/status/";
    if (request.Path.rfind(kStatusPath, 0) == 0) {
        HttpResponse response = HttpResponse::Page("status page");
        response.Status = std::stoi(request.Path.substr(kStatusPath.size()));
        response.Reason = "Status";
        return response;
    }
    if (request.Path == "/to-ok")
        return HttpResponse::Redirect("/status/200");
    if (request.Path == "/to-missing")
        return HttpResponse::Redirect("/missing");
    if (request.Path == "/missing")
        return HttpResponse::NotFound();
    return HttpResponse::Page(request.Method + " " + request.Header("content-type") + " " + request.Body);
}

bool FetchStatus(const HttpTestServer &server, int status)
{
    CWebRequest request;
    std::string page;
    return FetchPage(request, server.BaseUrl() + "/status/" + std::to_string(status), page);
}

} // namespace

TEST(PageRequests, OnlyAWholeAnswerWithATwoHundredStatusIsAccepted)
{
    HttpTestServer server(StatusHandler);
    EXPECT_TRUE(FetchStatus(server, 200));
    EXPECT_TRUE(FetchStatus(server, 201));
    EXPECT_TRUE(FetchStatus(server, 299));
    EXPECT_FALSE(FetchStatus(server, 300)) << "a redirection without a target is no page";
    EXPECT_FALSE(FetchStatus(server, 404));
    EXPECT_FALSE(FetchStatus(server, 500));
    EXPECT_FALSE(FetchStatus(server, 503));

    CWebRequest request;
    std::string page;
    ASSERT_TRUE(request.GetPage(server.BaseUrl() + "/status/200", page));
    EXPECT_TRUE(request.Accepted(true));
    EXPECT_FALSE(request.Accepted(false)) << "a 2xx head never makes up for an exchange cut off later";
}

TEST(PageRequests, TheStatusAfterTheLastRedirectionDecides)
{
    HttpTestServer server(StatusHandler);
    CWebRequest request;
    std::string page;
    EXPECT_TRUE(FetchPage(request, server.BaseUrl() + "/to-ok", page));
    EXPECT_EQ(page, "status page");
    EXPECT_FALSE(FetchPage(request, server.BaseUrl() + "/to-missing", page));
    EXPECT_EQ(request.LastStatus(), 404);
}

TEST(PageRequests, AnUnreachableServerIsRefusedAndThePageKeepsWhatItHeld)
{
    std::string closedUrl;
    {
        HttpTestServer closed(StatusHandler);
        closedUrl = closed.BaseUrl();
    }
    CWebRequest request;
    std::string page = "earlier";
    EXPECT_FALSE(PostPage(request, closedUrl + "/x", "a=1", page));
    EXPECT_FALSE(FetchPage(request, closedUrl + "/x", page));
    EXPECT_EQ(page, "earlier");
}

TEST(PageRequests, PagesAreAppendedAndFormsPostedWithTheRequestsSettings)
{
    HttpTestServer server(StatusHandler);
    CWebRequest request;
    std::string page;
    ASSERT_TRUE(PostPage(request, server.BaseUrl() + "/form", "a=1&b=2", page));
    EXPECT_EQ(page, "POST application/x-www-form-urlencoded a=1&b=2");

    request.SendFormContentType = false;
    ASSERT_TRUE(PostPage(request, server.BaseUrl() + "/form", "c=3", page));
    EXPECT_EQ(page, "POST application/x-www-form-urlencoded a=1&b=2POST  c=3");

    ASSERT_TRUE(FetchPage(request, server.BaseUrl() + "/page", page));
    EXPECT_EQ(page, "POST application/x-www-form-urlencoded a=1&b=2POST  c=3GET  ");
}

TEST(PageRequests, SkipLinesStopsOnTheLineCountedOrAtTheEnd)
{
    CWebRequest request;
    const std::string page = "one\ntwo\nthree-long\nfour\n";
    request.AttachResponse(&page);
    std::string line;
    ASSERT_TRUE(SkipLines(request, line, 2, 1024));
    EXPECT_EQ(line, "two\n");
    ASSERT_TRUE(SkipLines(request, line, 2, 6)) << "a line longer than the limit comes in pieces";
    EXPECT_EQ(line, "-long");
    ASSERT_TRUE(SkipLines(request, line, 0, 1024));
    EXPECT_EQ(line, "-long") << "no step leaves the line as it was";
    EXPECT_FALSE(SkipLines(request, line, 3, 1024));
    EXPECT_FALSE(SkipLines(request, line, 1, 1024));
}
