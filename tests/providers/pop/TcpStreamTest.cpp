// The TCP stream of the POP3/SMTP plug-in (and the program's network tests):
// server fields, line reading, time-outs, and sending while reading.
#include "LinePeer.h"
#include "PopTestSupport.h"
#include "TcpStream.h"

#include <gtest/gtest.h>

using korvalin::SplitHostPort;
using korvalin::StreamStatus;
using korvalin::TcpStream;
using korvalin::test::LinePeer;
using korvalin::test::PeerConnection;
using korvalin::test::PieceOptions;
using korvalin::test::Stopwatch;

namespace {

// Runs one function per connection.
class FunctionPeer : public LinePeer {
public:
    explicit FunctionPeer(Serve serve, PieceOptions pieces = {}) { Start(std::move(serve), pieces); }
    ~FunctionPeer() override { Stop(); }
};

}  // namespace

TEST(ServerField, HostAloneOrWithPort)
{
    std::string host;
    int port = 0;
    ASSERT_TRUE(SplitHostPort("pop.example.net", 110, host, port));
    EXPECT_EQ(host, "pop.example.net");
    EXPECT_EQ(port, 110);
    ASSERT_TRUE(SplitHostPort(" mail.example.net:995 ", 110, host, port));
    EXPECT_EQ(host, "mail.example.net");
    EXPECT_EQ(port, 995);
    ASSERT_TRUE(SplitHostPort("[::1]:2525", 25, host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 2525);
    ASSERT_TRUE(SplitHostPort("[::1]", 25, host, port));
    EXPECT_EQ(port, 25);
    ASSERT_TRUE(SplitHostPort("fe80::1", 25, host, port));
    EXPECT_EQ(host, "fe80::1");
    EXPECT_EQ(port, 25);
    for (const char* bad : {"", ":110", "host:", "host:0", "host:65536", "host:12a", "[::1", "[::1]x"})
        EXPECT_FALSE(SplitHostPort(bad, 110, host, port)) << bad;
}

TEST(TcpStreamLines, CrLfLfPiecesAndTheLastLine)
{
    PieceOptions pieces;
    pieces.PieceSize = 1;
    pieces.PieceDelayMicros = 100;
    FunctionPeer peer([](PeerConnection& connection, int) { connection.Write("one\r\ntwo\nthree\r\r\nlast"); }, pieces);
    TcpStream stream;
    ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port()));
    std::string line;
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    EXPECT_EQ(line, "one");
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    EXPECT_EQ(line, "two");
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    EXPECT_EQ(line, "three\r");
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    EXPECT_EQ(line, "last");
    EXPECT_EQ(stream.ReadLine(line), StreamStatus::Closed);
}

TEST(TcpStreamLines, OverlongLineIsRefused)
{
    FunctionPeer peer([](PeerConnection& connection, int) {
        connection.Write(std::string(5000, 'x') + "\r\n");
        connection.Idle();
    });
    TcpStream stream;
    ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port()));
    std::string line;
    EXPECT_EQ(stream.ReadLine(line, 1000), StreamStatus::TooLong);
}

TEST(TcpStreamTimeouts, SilencePastTheIdleTimeout)
{
    FunctionPeer peer([](PeerConnection& connection, int) { connection.Idle(); });
    TcpStream stream;
    ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port(), {2, 1}));
    Stopwatch clock;
    std::string line;
    EXPECT_EQ(stream.ReadLine(line), StreamStatus::TimedOut);
    EXPECT_GE(clock.Seconds(), 0.9);
    EXPECT_LT(clock.Seconds(), 3.0);
    EXPECT_NE(stream.ErrorText().find("no answer"), std::string::npos);
}

TEST(TcpStreamConnect, RefusedAndUnresolvable)
{
    int port;
    {
        FunctionPeer gone([](PeerConnection&, int) {});
        port = gone.Port();
    }
    TcpStream stream;
    EXPECT_FALSE(stream.Connect("127.0.0.1", port));
    EXPECT_NE(stream.ErrorText().find("connect"), std::string::npos);
    EXPECT_FALSE(stream.Connect("no-such-host.invalid", 110));
    EXPECT_FALSE(stream.IsOpen());
    std::string line;
    EXPECT_EQ(stream.ReadLine(line), StreamStatus::Closed);
}

TEST(TcpStreamPipelining, QueuedCommandsAndLargeAnswersDoNotDeadlock)
{
    // The peer answers each line with 2 KB and does not read while it writes:
    // a client that sent everything before reading would block both sides.
    FunctionPeer peer([](PeerConnection& connection, int) {
        std::string line;
        while (connection.ReadLine(line))
            connection.Write(std::string(2048, 'r') + line + "\r\n");
    });
    TcpStream stream;
    ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port(), {5, 5}));
    const int count = 20000;
    std::string batch;
    for (int i = 0; i < count; ++i)
        batch += "COMMAND " + std::to_string(i) + "\r\n";
    ASSERT_TRUE(stream.Queue(batch));
    std::string line;
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok) << i << ": " << stream.ErrorText();
        ASSERT_EQ(line.substr(2048), "COMMAND " + std::to_string(i));
    }
    EXPECT_EQ(stream.Flush(), StreamStatus::Ok);
    EXPECT_EQ(stream.BytesSent(), batch.size());
}
