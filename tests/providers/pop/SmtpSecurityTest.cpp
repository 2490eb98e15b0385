// The SMTP dialogue's protection: STARTTLS and implicit TLS, AUTH PLAIN and
// LOGIN, SIZE, and the refusals that end a send before any credential or
// mail leaves unprotected.
#include "PopTestSupport.h"
#include "ProviderLog.h"
#include "ScriptedSmtpServer.h"
#include "SmtpClient.h"
#include "TestCertificates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using korvalin::test::Certificates;
using korvalin::test::PeerReply;
using korvalin::test::ScopedTrust;
using korvalin::test::ScriptedSmtpServer;
using korvalin::test::SmtpServerOptions;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

const std::string kMail = "From: me@example.net\r\nTo: a@x\r\nSubject: s\r\n\r\nHello.\r\n.dot line\r\n";

struct SendCase {
    const char* Name;
    const char* Scheme;           // put before 127.0.0.1:<port>
    std::string EhloReply;        // before TLS
    std::string EhloReplyAfterTls;
    bool ImplicitTls;
    std::string AuthReply;        // what AUTH gets, "" for the peer's own 235
    std::string Trust;            // the CA file the client trusts
    bool Sent;
    std::string Error;            // LastError starts with this when not sent
    std::vector<std::string> InClear;  // command verbs sent before TLS
};

std::vector<SendCase> Cases()
{
    const std::string tls = "250-scripted\r\n250-STARTTLS\r\n250 SIZE 100000";
    const std::string authed = "250-scripted\r\n250-AUTH PLAIN LOGIN\r\n250 SIZE 100000";
    const std::string plainOnly = "250-scripted\r\n250-SIZE 100000\r\n250 AUTH PLAIN";
    const std::string ca = Certificates().CaFile;
    return {
        {"starttls and auth", "smtp://", tls, authed, false, "", ca, true, "", {"EHLO", "STARTTLS"}},
        {"opportunistic starttls", "", tls, authed, false, "", ca, true, "", {"EHLO", "STARTTLS"}},
        {"implicit tls", "smtps://", plainOnly, "", true, "", ca, true, "", {}},
        {"no starttls offered", "smtp://", plainOnly, "", false, "", ca, false, "server does not offer STARTTLS",
         {"EHLO", "QUIT"}},
        {"untrusted certificate", "", tls, authed, false, "", Certificates().OtherCaFile, false,
         "certificate for 127.0.0.1 not trusted: ", {"EHLO", "STARTTLS"}},
        {"untrusted implicit tls", "smtps://", plainOnly, "", true, "", Certificates().OtherCaFile, false,
         "certificate for 127.0.0.1 not trusted: ", {}},
        {"password refused", "smtp://", tls, authed, false, "535 5.7.8 bad credentials", ca, false,
         "authentication refused: 535 5.7.8 bad credentials", {"EHLO", "STARTTLS"}},
    };
}

std::vector<std::string> Verbs(const std::vector<std::string>& commands)
{
    std::vector<std::string> verbs;
    for (const std::string& command : commands)
        verbs.push_back(command.substr(0, command.find(' ')));
    return verbs;
}

class SmtpSecurity : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Certificates().Error, ""); }
};

}  // namespace

TEST_F(SmtpSecurity, TlsAndAuthentication)
{
    for (const SendCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        ScopedTrust trust(c.Trust);
        SmtpServerOptions options;
        options.EhloReply = c.EhloReply;
        options.EhloReplyAfterTls = c.EhloReplyAfterTls;
        options.Tls = Certificates().ServerContext();
        options.ImplicitTls = c.ImplicitTls;
        ScriptedSmtpServer server(options);
        std::string authReply = c.AuthReply;
        server.SetScript([authReply](const std::string& command, int) -> std::optional<PeerReply> {
            if (!authReply.empty() && command.rfind("AUTH", 0) == 0)
                return PeerReply::Line(authReply);
            return std::nullopt;
        });
        CSmtpClient client;
        client.Configure(std::string(c.Scheme) + server.Address());
        client.SetLogin("user", "secret");
        bool sent = client.Open() && client.SendData("me@example.net", {"a@x"}, kMail);
        client.Quit();
        EXPECT_EQ(sent, c.Sent) << client.LastError;
        if (!c.Sent) {
            EXPECT_THAT(client.LastError, StartsWith(c.Error));
            EXPECT_TRUE(server.Mails().empty());
        } else {
            ASSERT_EQ(server.Mails().size(), 1u);
            EXPECT_EQ(korvalin::test::Unstuffed(server.Mails()[0].Data), kMail);
        }
        EXPECT_EQ(Verbs(server.CommandsInClear()), c.InClear);
        for (const std::string& command : server.Commands()) {
            if (command.rfind("MAIL", 0) == 0) {
                EXPECT_EQ(command, "MAIL FROM:<me@example.net> SIZE=" + std::to_string(kMail.size() + 4));
            }
        }
    }
}

TEST_F(SmtpSecurity, PlainAndLoginCarryTheCredentials)
{
    struct Mechanism {
        std::string Offered;
        std::vector<std::string> Expected;
    };
    const Mechanism mechanisms[] = {
        {"250-scripted\r\n250 AUTH LOGIN PLAIN", {"AUTH PLAIN AHVzZXIAc2VjcmV0"}},
        {"250-scripted\r\n250 AUTH=LOGIN", {"AUTH LOGIN", "dXNlcg==", "c2VjcmV0"}},
        {"250 scripted", {}},  // a local relay: no AUTH at all
    };
    for (const Mechanism& m : mechanisms) {
        SmtpServerOptions options;
        options.EhloReply = m.Offered;
        options.ImplicitTls = true;
        options.Tls = Certificates().ServerContext();
        ScriptedSmtpServer server(options);
        ScopedTrust trust(Certificates().CaFile);
        CSmtpClient client;
        client.Configure("smtps://" + server.Address());
        client.SetLogin("user", "secret");
        ASSERT_TRUE(client.Open()) << client.LastError;
        ASSERT_TRUE(client.SendData("me@example.net", {"a@x"}, kMail));
        client.Quit();
        std::vector<std::string> commands = server.Commands();
        std::vector<std::string> auth;
        for (size_t i = 1; i < commands.size() && commands[i].rfind("MAIL", 0) != 0; ++i)
            auth.push_back(commands[i]);
        EXPECT_EQ(auth, m.Expected) << m.Offered;
    }
}

TEST_F(SmtpSecurity, MailOverTheSizeLimitFailsBeforeMail)
{
    korvalin::KeepLoggedLines(true);
    SmtpServerOptions options;
    options.EhloReply = "250-scripted\r\n250 SIZE 100";
    ScriptedSmtpServer server(options);
    CSmtpClient client;
    client.Configure(server.Address());
    ASSERT_TRUE(client.Open());
    EXPECT_FALSE(client.SendData("me@example.net", {"a@x"}, std::string(200, 'x') + "\r\n"));
    client.Quit();
    EXPECT_THAT(client.LastError, HasSubstr("larger than the server takes (100 bytes)"));
    EXPECT_THAT(Verbs(server.Commands()), ElementsAre("EHLO", "QUIT"));
    EXPECT_THAT(korvalin::LoggedLines(), HasSubstr("does not offer STARTTLS; sending in clear text"));
    EXPECT_THAT(korvalin::LoggedLines(), HasSubstr("larger than the server takes"));
    korvalin::KeepLoggedLines(false);
}

TEST(SmtpData, DotStuffingAndLineEnds)
{
    struct Case {
        std::string Data, Block;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", "a\r\nb\r\n.\r\n"},
        {"a\nb", "a\r\nb\r\n.\r\n"},
        {".\r\n..x\n", "..\r\n...x\r\n.\r\n"},
        {"", ".\r\n"},
        {"x\r\r\n", "x\r\r\n.\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(korvalin::smtp::DataBlock(c.Data), c.Block) << c.Data;
}
