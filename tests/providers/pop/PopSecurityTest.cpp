// The POP3 dialogue's protection against scripted servers: implicit TLS and
// STLS, AUTH PLAIN over TLS, and every refusal that must end the session
// before the password leaves in clear text; then the hostile counts and a
// failure midway that must not leave a dead session behind.
#include "PopTestSupport.h"
#include "ProviderLog.h"
#include "ScriptedPopServer.h"
#include "TestCertificates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

using korvalin::test::Certificates;
using korvalin::test::MakeProvider;
using korvalin::test::PeerReply;
using korvalin::test::PopServerOptions;
using korvalin::test::ScopedTimeouts;
using korvalin::test::ScopedTrust;
using korvalin::test::ScriptedPopServer;
using korvalin::test::SimplePopMail;
using korvalin::test::Stopwatch;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

std::vector<std::string> Verbs(const std::vector<std::string>& commands)
{
    std::vector<std::string> verbs;
    for (const std::string& command : commands)
        verbs.push_back(command.substr(0, command.find(' ')));
    return verbs;
}

struct LoginCase {
    const char* Name;
    const char* Scheme;
    bool Stls, ImplicitTls, SaslPlain;
    std::string Script;  // "VERB=reply": the command's answer instead of the peer's
    bool TrustOther;     // the client trusts another CA
    std::string Password;
    bool LoggedIn;
    std::string Error;   // LastError starts with it when not logged in
    std::vector<std::string> InClear;
    std::vector<std::string> AfterTls;  // the first commands over TLS
};

const LoginCase kLogins[] = {
    {"implicit tls, AUTH PLAIN", "pop3s://", false, true, true, "", false, "secret", true, "", {}, {"CAPA", "AUTH"}},
    {"implicit tls, USER/PASS", "pop3s://", false, true, false, "", false, "secret", true, "", {}, {"CAPA", "USER", "PASS"}},
    {"stls required", "pop3://", true, false, true, "", false, "secret", true, "", {"CAPA", "STLS"}, {"CAPA", "AUTH"}},
    {"stls when offered", "", true, false, true, "", false, "secret", true, "", {"CAPA", "STLS"}, {"CAPA", "AUTH"}},
    {"clear text when not offered", "", false, false, false, "", false, "secret", true, "", {"CAPA", "USER", "PASS", "STAT", "UIDL", "TOP", "QUIT"},
     {}},
    {"stls required, not offered", "pop3://", false, false, true, "", false, "secret", false,
     "server does not offer STLS", {"CAPA", "QUIT"}, {}},
    {"stls offered, then refused", "pop3://", true, false, true, "STLS=-ERR not now", false, "secret", false,
     "server refused STLS: -ERR not now", {"CAPA", "STLS", "QUIT"}, {}},
    {"stls offered, then refused, bare field", "", true, false, true, "STLS=-ERR not now", false, "secret", false,
     "server refused STLS", {"CAPA", "STLS", "QUIT"}, {}},
    {"untrusted certificate", "", true, false, true, "", true, "secret", false, "certificate for 127.0.0.1 not trusted: ",
     {"CAPA", "STLS"}, {}},
    {"untrusted implicit tls", "pop3s://", false, true, true, "", true, "secret", false,
     "certificate for 127.0.0.1 not trusted: ", {}, {}},
    {"wrong password over tls", "pop3s://", false, true, true, "", false, "wrong", false,
     "Invalid username/password combination", {}, {"CAPA", "AUTH"}},
};

class PopSecurity : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Certificates().Error, ""); }
};

}  // namespace

TEST_F(PopSecurity, LoginOverTlsAndTheRefusalsBeforeThePassword)
{
    for (const LoginCase& c : kLogins) {
        SCOPED_TRACE(c.Name);
        ScopedTrust trust(c.TrustOther ? Certificates().OtherCaFile : Certificates().CaFile);
        PopServerOptions options;
        options.Tls = Certificates().ServerContext();
        options.Stls = c.Stls;
        options.ImplicitTls = c.ImplicitTls;
        options.SaslPlain = c.SaslPlain;
        ScriptedPopServer server(options);
        server.SetMails({SimplePopMail("a", "A")});
        std::string script = c.Script;
        server.SetScript([script](const std::string& command, int) -> std::optional<PeerReply> {
            size_t equals = script.find('=');
            if (!script.empty() && command == script.substr(0, equals))
                return PeerReply::Line(script.substr(equals + 1));
            return std::nullopt;
        });
        auto provider = MakeProvider(std::string(c.Scheme) + server.Address(), "127.0.0.1:1", c.Password);
        CSummaryArray list;
        EXPECT_EQ(provider->GetMailSummary(list, -1), c.LoggedIn) << provider->Pop.LastError;
        if (c.LoggedIn)
            EXPECT_EQ(list.size(), 1u);
        else
            EXPECT_THAT(provider->Pop.LastError, StartsWith(c.Error));
        ASSERT_EQ(server.Sessions().size(), 1u);
        const korvalin::test::PopSession session = server.Sessions()[0];
        EXPECT_EQ(Verbs(session.ClearCommands), c.InClear);
        std::vector<std::string> afterTls(session.Commands.begin() + static_cast<long>(session.ClearCommands.size()),
                                          session.Commands.end());
        afterTls.resize(std::min(afterTls.size(), c.AfterTls.size()));
        EXPECT_EQ(Verbs(afterTls), c.AfterTls);
        EXPECT_FALSE(provider->Pop.Connected);
    }
}

TEST_F(PopSecurity, ServerThatStopsOfferingStlsIsRefused)
{
    ScopedTrust trust(Certificates().CaFile);
    PopServerOptions options;
    options.Tls = Certificates().ServerContext();
    options.Stls = true;
    ScriptedPopServer server(options);
    auto provider = MakeProvider(server.Address());
    ASSERT_TRUE(provider->DoLogin()) << provider->Pop.LastError;
    options.Stls = false;  // as a man in the middle would strip it
    server.SetOptions(options);
    server.ClearSessions();
    EXPECT_FALSE(provider->DoLogin());
    EXPECT_THAT(provider->Pop.LastError, HasSubstr("no longer offers STLS"));
    EXPECT_EQ(Verbs(server.Sessions()[0].ClearCommands), (std::vector<std::string>{"CAPA", "QUIT"}));
}

TEST_F(PopSecurity, StalledHandshakeAfterStlsEndsWithTheTimeout)
{
    ScopedTimeouts timeouts(2, 1);
    PopServerOptions options;
    options.Stls = true;
    options.Tls = Certificates().ServerContext();
    ScriptedPopServer server(options);
    server.SetScript([](const std::string& command, int) -> std::optional<PeerReply> {
        if (command == "STLS")
            return PeerReply::Stall("+OK go ahead\r\n");
        return std::nullopt;
    });
    auto provider = MakeProvider(server.Address());
    Stopwatch clock;
    EXPECT_FALSE(provider->DoLogin());
    EXPECT_LT(clock.Seconds(), 3.0);
    EXPECT_EQ(provider->Pop.LastError, "TLS handshake timed out");
    EXPECT_EQ(server.CountCommands("USER"), 0);
}

TEST(PopHostileCounts, HugeStatCountFailsTheCheckAtOnce)
{
    korvalin::KeepLoggedLines(true);
    ScriptedPopServer server;
    server.SetScript([](const std::string& command, int) -> std::optional<PeerReply> {
        if (command == "STAT")
            return PeerReply::Line("+OK 2000000000 0");
        return std::nullopt;
    });
    auto provider = MakeProvider(server.Address());
    CSummaryArray list;
    Stopwatch clock;
    EXPECT_FALSE(provider->GetMailSummary(list, -1));
    EXPECT_LT(clock.Seconds(), 2.0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(server.CountCommands("TOP"), 0);
    EXPECT_EQ(server.CountCommands("UIDL"), 0);
    EXPECT_TRUE(server.Sessions()[0].Quit);
    EXPECT_THAT(korvalin::LoggedLines(), HasSubstr("2000000000 messages"));
    korvalin::KeepLoggedLines(false);
}

TEST(PopFailureMidway, ExceptionDropsTheSessionAndTheNextCheckWorks)
{
    ScriptedPopServer server;
    server.SetMails({SimplePopMail("a", "A"), SimplePopMail("b", "B")});
    auto provider = MakeProvider(server.Address());
    bool fail = true;
    provider->OnListed = [&fail] {
        if (fail)
            throw std::runtime_error("failure midway");
    };
    CSummaryArray list;
    EXPECT_FALSE(provider->GetMailSummary(list, -1));
    EXPECT_FALSE(provider->Pop.Connected);
    EXPECT_EQ(provider->Pop.UseCount, 0);
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(provider->GetMail("<a>##1", body, message));
    EXPECT_FALSE(provider->Pop.Connected);

    fail = false;
    list.clear();
    ASSERT_TRUE(provider->GetMailSummary(list, -1));
    EXPECT_EQ(list.size(), 2u);
    std::vector<korvalin::test::PopSession> sessions = server.Sessions();
    ASSERT_EQ(sessions.size(), 3u);  // each operation its own session, none joined a dead one
    EXPECT_TRUE(sessions[2].Quit);
}
