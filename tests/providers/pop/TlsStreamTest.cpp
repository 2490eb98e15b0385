// TLS on the TCP stream: from the first byte and after an upgrade command,
// the certificate and host name checks, and a handshake that stalls.
#include "LinePeer.h"
#include "PopTestSupport.h"
#include "TcpStream.h"
#include "TestCertificates.h"

#include <gtest/gtest.h>

using korvalin::StreamStatus;
using korvalin::TcpStream;
using korvalin::test::Certificates;
using korvalin::test::LinePeer;
using korvalin::test::PeerConnection;
using korvalin::test::ScopedTrust;
using korvalin::test::Stopwatch;

namespace {

// TLS at once (or after "+OK go" to "STLS" when upgrade), then every line
// is answered with "echo <line>"; injected is written in clear right after
// the go-ahead, where a man in the middle would put it.
class TlsEchoPeer : public LinePeer {
public:
    explicit TlsEchoPeer(bool upgrade = false, std::string injected = {})
    {
        Start(
            [upgrade, injected](PeerConnection& connection, int) {
                if (upgrade) {
                    connection.Write("+OK plain\r\n");
                    std::string command;
                    if (!connection.ReadLine(command) || command != "STLS")
                        return;
                    connection.Write("+OK go\r\n" + injected);
                }
                if (!connection.StartTls(Certificates().ServerContext()))
                    return;
                std::string line;
                while (connection.ReadLine(line))
                    connection.Write("echo " + line + "\r\n");
            },
            {});
    }
    ~TlsEchoPeer() override { Stop(); }
};

class SilentPeer : public LinePeer {
public:
    SilentPeer()
    {
        Start([](PeerConnection& connection, int) { connection.Idle(); }, {});
    }
    ~SilentPeer() override { Stop(); }
};

class TlsStream : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Certificates().Error, ""); }
};

}  // namespace

TEST_F(TlsStream, ImplicitTlsCarriesPipelinedLinesByNameAndByAddress)
{
    ScopedTrust trust(Certificates().CaFile);
    TlsEchoPeer peer;
    for (const char* name : {"localhost", "127.0.0.1"}) {
        TcpStream stream;
        ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port(), {5, 5}));
        ASSERT_TRUE(stream.StartTls(name)) << name << ": " << stream.ErrorText();
        EXPECT_TRUE(stream.IsTls());
        EXPECT_NE(stream.TlsVersion().find("TLSv1."), std::string::npos);
        std::string batch;
        for (int i = 0; i < 3000; ++i)
            batch += "line " + std::to_string(i) + " " + std::string(40, 'x') + "\r\n";
        ASSERT_TRUE(stream.Queue(batch));
        std::string line;
        for (int i = 0; i < 3000; ++i) {
            ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok) << i << ": " << stream.ErrorText();
            ASSERT_EQ(line, "echo line " + std::to_string(i) + " " + std::string(40, 'x'));
        }
    }
}

TEST_F(TlsStream, UpgradeDropsWhatCameInClearBeforeTheHandshake)
{
    ScopedTrust trust(Certificates().CaFile);
    TlsEchoPeer peer(true, "");
    TcpStream stream;
    ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port(), {5, 5}));
    std::string line;
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    EXPECT_FALSE(stream.IsTls());
    ASSERT_EQ(stream.Send("STLS\r\n"), StreamStatus::Ok);
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    ASSERT_EQ(line, "+OK go");
    ASSERT_TRUE(stream.StartTls("localhost")) << stream.ErrorText();
    ASSERT_EQ(stream.Send("NOOP\r\n"), StreamStatus::Ok);
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    EXPECT_EQ(line, "echo NOOP");
}

TEST_F(TlsStream, InjectedClearTextBreaksTheHandshakeInsteadOfBeingRead)
{
    // Bytes after the go-ahead are not TLS: the handshake fails and nothing
    // of them is ever read as an answer.
    ScopedTrust trust(Certificates().CaFile);
    TlsEchoPeer peer(true, "+OK injected\r\n");
    TcpStream stream;
    ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port(), {5, 5}));
    std::string line;
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    ASSERT_EQ(stream.Send("STLS\r\n"), StreamStatus::Ok);
    ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
    // Read the go-ahead before the injected line arrived or with it: either
    // way the line must not survive the upgrade.
    if (stream.StartTls("localhost")) {
        ASSERT_EQ(stream.Send("NOOP\r\n"), StreamStatus::Ok);
        ASSERT_EQ(stream.ReadLine(line), StreamStatus::Ok);
        EXPECT_EQ(line, "echo NOOP");
    } else {
        EXPECT_FALSE(stream.IsOpen());
    }
}

TEST_F(TlsStream, RefusedCertificatesSayWhy)
{
    struct Case {
        std::string Trust;
        std::string Name;
        std::string Expected;
    };
    const Case cases[] = {
        {Certificates().OtherCaFile, "localhost", "certificate for localhost not trusted: "},
        {Certificates().OtherCaFile, "127.0.0.1", "certificate for 127.0.0.1 not trusted: "},
        {Certificates().CaFile, "pop.example.org", "host name mismatch"},
        {Certificates().CaFile, "127.0.0.2", "host name mismatch"},
    };
    TlsEchoPeer peer;
    for (const Case& c : cases) {
        ScopedTrust trust(c.Trust);
        TcpStream stream;
        ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port(), {5, 5}));
        EXPECT_FALSE(stream.StartTls(c.Name)) << c.Name;
        EXPECT_EQ(stream.ErrorText().rfind(c.Expected, 0), 0u) << c.Name << ": " << stream.ErrorText();
        EXPECT_FALSE(stream.IsOpen());
        EXPECT_FALSE(stream.IsTls());
    }
}

TEST_F(TlsStream, StalledHandshakeEndsWithTheIdleTimeout)
{
    SilentPeer peer;
    TcpStream stream;
    ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port(), {5, 1}));
    Stopwatch clock;
    EXPECT_FALSE(stream.StartTls("localhost"));
    EXPECT_EQ(stream.ErrorText(), "TLS handshake timed out");
    EXPECT_GE(clock.Seconds(), 0.9);
    EXPECT_LT(clock.Seconds(), 3.0);
}

TEST_F(TlsStream, OperationDeadlineEndsAPeerThatTricklesBytes)
{
    // A byte every 300 ms keeps the idle time-out from ever firing.
    class TricklePeer : public LinePeer {
    public:
        TricklePeer()
        {
            Start(
                [](PeerConnection& connection, int) {
                    for (int i = 0; i < 12; ++i) {
                        connection.Write("x");
                        std::this_thread::sleep_for(std::chrono::milliseconds(300));
                    }
                },
                {});
        }
        ~TricklePeer() override { Stop(); }
    } peer;
    TcpStream stream;
    ASSERT_TRUE(stream.Connect("127.0.0.1", peer.Port(), {5, 1, 2}));
    Stopwatch clock;
    std::string line;
    EXPECT_EQ(stream.ReadLine(line), StreamStatus::TimedOut);
    EXPECT_NE(stream.ErrorText().find("longer than 2 s"), std::string::npos) << stream.ErrorText();
    EXPECT_GE(clock.Seconds(), 1.8);
    EXPECT_LT(clock.Seconds(), 4.0);
}
