// The plug-in over TLS against real servers: Dovecot with STLS and an
// implicit-TLS listener, aiosmtpd requiring STARTTLS and AUTH and with
// implicit TLS, their certificate made by the fixture for localhost from a
// CA of its own that the tests trust through SSL_CERT_FILE.
#include "PopTestSupport.h"
#include "RealMailServers.h"
#include "SmtpClient.h"
#include "TestCertificates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

using korvalin::test::RealMailServers;
using korvalin::test::ScopedTrust;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

class TlsServers : public testing::Environment {
public:
    void SetUp() override
    {
        SkipReason = RealMailServers::MissingReason();
        if (!SkipReason.empty())
            return;
        Servers = std::make_unique<RealMailServers>();
        if (!Servers->Start(StartError, true))
            Servers.reset();
    }
    void TearDown() override { Servers.reset(); }

    static inline std::unique_ptr<RealMailServers> Servers;
    static inline std::string SkipReason;
    static inline std::string StartError;
};

[[maybe_unused]] testing::Environment* const kServers = testing::AddGlobalTestEnvironment(new TlsServers);

size_t Count(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

class TlsServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!TlsServers::SkipReason.empty())
            GTEST_SKIP() << TlsServers::SkipReason;
        ASSERT_NE(TlsServers::Servers, nullptr) << TlsServers::StartError;
        Servers().ClearMailbox();
    }

    static RealMailServers& Servers() { return *TlsServers::Servers; }

    std::unique_ptr<CPopProvider> Provider(const std::string& pop, const std::string& smtp,
                                           const std::string& password = RealMailServers::kPassword)
    {
        auto provider = std::make_unique<CPopProvider>();
        provider->SetUserProfile(std::string(RealMailServers::kUser) + "=Test User=testuser@example.net=" + pop + "=" +
                                     smtp,
                                 password);
        return provider;
    }

    // The text of the newest delivered mail, as the SMTP server wrote it.
    std::string DeliveredText()
    {
        std::vector<std::string> envelopes = Servers().Envelopes();
        if (envelopes.empty())
            return {};
        std::smatch match;
        std::regex file("\"file\": \"([^\"]+)\"");
        if (!std::regex_search(envelopes.back(), match, file))
            return {};
        std::ifstream in(Servers().Maildir() + "/new/" + match[1].str(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static std::string Local(int port) { return "localhost:" + std::to_string(port); }
};

}  // namespace

TEST_F(TlsServerTest, SendCheckFetchAndDeleteOverEveryKindOfTls)
{
    ScopedTrust trust(Servers().CaFile());
    struct Route {
        std::string Pop, Smtp;
    };
    const Route routes[] = {
        {"pop3s://" + Local(Servers().Pop3sPort()), "smtps://" + Local(Servers().SmtpsPort())},
        {"pop3://" + Local(Servers().PopPort()), "smtp://" + Local(Servers().SmtpStartTlsPort())},
        {Local(Servers().PopPort()), Local(Servers().SmtpStartTlsPort())},  // upgraded because offered
    };
    const std::string data = "From: testuser@example.net\r\nTo: testuser@example.net\r\n"
                             "Date: Mon, 7 Dec 1998 10:20:30 +0000\r\nSubject: Over TLS\r\n"
                             "Message-ID: <tls@example.net>\r\n\r\nLine one\r\n.dot line\r\n\r\nlast\r\n";
    for (const Route& route : routes) {
        SCOPED_TRACE(route.Pop + " " + route.Smtp);
        Servers().ClearMailbox();
        auto provider = Provider(route.Pop, route.Smtp);
        {
            CSmtpClient& smtp = provider->Smtp;
            ASSERT_TRUE(smtp.Open()) << smtp.LastError << " " << smtp.LastSocketError;
            EXPECT_TRUE(smtp.Socket.IsTls());
            ASSERT_TRUE(smtp.SendData("testuser@example.net", {"testuser@example.net"}, data)) << smtp.LastError;
            smtp.Quit();
        }
        std::string expected = std::regex_replace(data, std::regex("\r\n"), "\n");
        EXPECT_EQ(DeliveredText(), expected);

        CSummaryArray list;
        ASSERT_TRUE(provider->GetMailSummary(list, -1)) << provider->Pop.LastError;
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].Subject, "Over TLS");
        std::string body;
        CMailMessage fetched;
        ASSERT_TRUE(provider->GetMail(list[0].Locator, body, fetched)) << provider->Pop.LastError;
        EXPECT_EQ(body, korvalin::test::PlainPage("Line one\n.dot line\n\nlast\n"));
        ASSERT_TRUE(provider->DeleteMail(list[0].Locator)) << provider->Pop.LastError;
        EXPECT_EQ(Servers().MailCount(), 0);
        // The whole plug-in path sends too.
        CMailMessage outgoing;
        outgoing.To = "testuser@example.net";
        outgoing.Subject = "Through SendMail";
        outgoing.Body = "Hi.";
        EXPECT_TRUE(provider->SendMail(outgoing)) << provider->Smtp.LastError;
        EXPECT_EQ(Servers().MailCount(), 1);
    }
}

TEST_F(TlsServerTest, UntrustedOrMisnamedCertificateEndsThePop3SessionBeforeTheLogin)
{
    struct Case {
        std::string Trust, Field, Error;
    };
    const Case cases[] = {
        {Servers().OtherCaFile(), "pop3s://" + Local(Servers().Pop3sPort()), "certificate for localhost not trusted: "},
        {Servers().OtherCaFile(), Local(Servers().PopPort()), "certificate for localhost not trusted: "},
        {Servers().CaFile(), "pop3s://127.0.0.1:" + std::to_string(Servers().Pop3sPort()), "host name mismatch"},
        {Servers().CaFile(), "pop3://127.0.0.1:" + std::to_string(Servers().PopPort()), "host name mismatch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Field);
        ScopedTrust trust(c.Trust);
        std::string before = Servers().DovecotLog();
        auto provider = Provider(c.Field, Local(Servers().SmtpPort()));
        EXPECT_FALSE(provider->DoLogin());
        EXPECT_THAT(provider->Pop.LastError, StartsWith(c.Error));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // Dovecot writes its line
        std::string after = Servers().DovecotLog();
        EXPECT_EQ(Count(after, "user=<testuser>"), Count(before, "user=<testuser>"));
        EXPECT_EQ(Count(after, "auth failed"), Count(before, "auth failed"));
    }
}

TEST_F(TlsServerTest, SmtpRefusalsSendNoMail)
{
    ScopedTrust trust(Servers().CaFile());
    {
        std::string authBefore = Servers().AuthLog();
        auto provider = Provider(Local(Servers().PopPort()), "smtp://" + Local(Servers().SmtpStartTlsPort()), "wrong");
        CMailMessage outgoing;
        outgoing.To = "testuser@example.net";
        outgoing.Subject = "Refused";
        EXPECT_FALSE(provider->SendMail(outgoing));
        EXPECT_THAT(provider->Smtp.LastError, StartsWith("authentication refused: 535"));
        EXPECT_EQ(Count(Servers().AuthLog(), "refused"), Count(authBefore, "refused") + 1);
    }
    {
        // The plain listener offers no STARTTLS: an smtp:// field ends before AUTH and MAIL.
        std::string authBefore = Servers().AuthLog();
        auto provider = Provider(Local(Servers().PopPort()), "smtp://" + Local(Servers().SmtpPort()));
        CMailMessage outgoing;
        outgoing.To = "testuser@example.net";
        outgoing.Subject = "Not protected";
        EXPECT_FALSE(provider->SendMail(outgoing));
        EXPECT_EQ(provider->Smtp.LastError, "server does not offer STARTTLS");
        EXPECT_EQ(Servers().AuthLog(), authBefore);
    }
    EXPECT_TRUE(Servers().Envelopes().empty());
}
