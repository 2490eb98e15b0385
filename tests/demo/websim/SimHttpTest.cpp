// The simulator's HTTP layer: request parsing, form values, and the server's
// handling of persistent connections, proxy-style targets and bad input.
#include "SimHttp.h"
#include "SimHttpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

using namespace korvalin::websim;

namespace {

// A client connection that speaks raw bytes.
class RawClient {
public:
    explicit RawClient(uint16_t port)
    {
        Socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        Connected = ::connect(Socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(Socket); }

    void Send(const std::string& bytes) { ::send(Socket, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

    // Everything until the peer closes or stays silent for two seconds.
    std::string ReadAll()
    {
        std::string received;
        char chunk[4096];
        while (true) {
            pollfd waiting{Socket, POLLIN, 0};
            if (::poll(&waiting, 1, 2000) <= 0)
                break;
            ssize_t n = ::recv(Socket, chunk, sizeof chunk, 0);
            if (n <= 0)
                break;
            received.append(chunk, static_cast<size_t>(n));
        }
        return received;
    }

    int Socket;
    bool Connected = false;
};

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST(SimHttp, RequestHeadsAreParsedAndBadOnesRefused)
{
    SimRequest request;
    std::string error;
    ASSERT_TRUE(ParseRequestHead("GET http://web.hotmail.sim/x?a=1 HTTP/1.1\r\nHost: web.hotmail.sim\r\n"
                                 "Content-Type:  text/plain \r\n",
                                 request, error));
    EXPECT_EQ(request.Method, "GET");
    EXPECT_EQ(request.Target, "http://web.hotmail.sim/x?a=1");
    EXPECT_EQ(request.Header("content-type"), "text/plain");

    for (const char* bad : {"GET\r\n", "GET /x\r\n", "GET /x FTP/1.0\r\n", "GET /x HTTP/1.1\r\nno colon here\r\n",
                            "G(T /x HTTP/1.1\r\n", ""}) {
        SimRequest refused;
        EXPECT_FALSE(ParseRequestHead(bad, refused, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(SimHttp, FormFieldsAreDecodedInOrderAndKeepRawBlanks)
{
    FormFields fields = FormFields::Parse("passwd=a%26b%3Dc&submit= Enter &empty=&bare&x=1&x=2&plus=a+b");
    EXPECT_EQ(fields.Value("passwd"), "a&b=c");
    EXPECT_EQ(fields.Value("submit"), " Enter ");
    EXPECT_TRUE(fields.Has("empty"));
    EXPECT_TRUE(fields.Has("bare"));
    EXPECT_EQ(fields.Value("x"), "1");
    EXPECT_EQ(fields.Value("plus"), "a b");
    EXPECT_FALSE(fields.Has("missing"));
    EXPECT_EQ(fields.Pairs.size(), 7u);
}

TEST(SimHttpServer, KeepsConnectionsOpenAndAnswersEachRequest)
{
    std::atomic<int> served{0};
    SimHttpServer server([&](SimRequest& request) {
        ++served;
        return SimResponse::Html(request.Method + " " + request.Target + " [" + request.Body + "]");
    });
    RawClient client(server.Port());
    ASSERT_TRUE(client.Connected);
    client.Send("GET /one HTTP/1.1\r\nHost: a\r\n\r\n"
                "POST http://b.sim/two HTTP/1.1\r\nHost: b.sim\r\nContent-Length: 5\r\n\r\nx=1&y"
                "GET /three HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
    std::string answer = client.ReadAll();
    EXPECT_EQ(served, 3);
    EXPECT_EQ(Count(answer, "HTTP/1.1 200 OK"), 3u);
    EXPECT_NE(answer.find("GET /one []"), std::string::npos);
    EXPECT_NE(answer.find("POST http://b.sim/two [x=1&y]"), std::string::npos);
    EXPECT_NE(answer.find("Connection: close"), std::string::npos);
}

TEST(SimHttpServer, RefusesMalformedAndOversizedRequestsWithoutCallingTheHandler)
{
    std::atomic<int> served{0};
    SimHttpServer server([&](SimRequest&) {
        ++served;
        return SimResponse::Html("ok");
    });
    struct Case {
        std::string Request;
        std::string Status;
    };
    for (const Case& c :
         {Case{"NONSENSE\r\n\r\n", "400"}, Case{"POST / HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n", "413"},
          Case{"POST / HTTP/1.1\r\nContent-Length: -4\r\n\r\n", "413"},
          Case{"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", "411"},
          Case{"GET / HTTP/1.1\r\nX: " + std::string(70000, 'a') + "\r\n\r\n", "431"}}) {
        RawClient client(server.Port());
        client.Send(c.Request);
        std::string answer = client.ReadAll();
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + c.Status) << c.Request.substr(0, 40);
    }
    EXPECT_EQ(served, 0);
}

TEST(SimHttpServer, CutsAPageShortAndCloses)
{
    SimHttpServer server([](SimRequest&) {
        SimResponse response = SimResponse::Html("0123456789");
        response.CutAfter = 4;
        return response;
    });
    RawClient client(server.Port());
    client.Send("GET / HTTP/1.1\r\nHost: a\r\n\r\n");
    std::string answer = client.ReadAll();
    EXPECT_NE(answer.find("Content-Length: 10\r\n"), std::string::npos);
    EXPECT_EQ(answer.substr(answer.size() - 4), "0123");
}
