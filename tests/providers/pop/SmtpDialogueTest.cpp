// Sending through SMTP against the scripted in-process server: the dialogue,
// the composed mail, and the refusals that make SendMail false.
#include "PopTestSupport.h"
#include "ScriptedSmtpServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

using korvalin::test::MakeProvider;
using korvalin::test::PeerReply;
using korvalin::test::ScopedTimeouts;
using korvalin::test::ScriptedSmtpServer;
using korvalin::test::SmtpServerOptions;
using korvalin::test::Stopwatch;
using korvalin::test::Unstuffed;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

namespace {

CMailMessage Outgoing(std::string to, std::string cc = {}, std::string bcc = {}, std::string body = "Hello.\r\n")
{
    CMailMessage message;
    message.From = "ignored@host.set.this";
    message.To = std::move(to);
    message.CC = std::move(cc);
    message.BCC = std::move(bcc);
    message.Subject = "Plans";
    message.Body = std::move(body);
    return message;
}

class SmtpDialogue : public testing::Test {
protected:
    // Answers every command that starts with prefix with reply instead.
    void Replace(const std::string& prefix, PeerReply reply)
    {
        Server.SetScript([prefix, reply](const std::string& command, int) -> std::optional<PeerReply> {
            if (command.compare(0, prefix.size(), prefix) == 0)
                return reply;
            return std::nullopt;
        });
    }

    std::unique_ptr<CPopProvider> Provider() { return MakeProvider("127.0.0.1:1", Server.Address()); }

    // The commands after EHLO (its argument is the host name).
    std::vector<std::string> CommandsAfterHelo() const
    {
        std::vector<std::string> commands = Server.Commands();
        if (!commands.empty() && commands.front().rfind("EHLO ", 0) == 0)
            commands.erase(commands.begin());
        return commands;
    }

    ScriptedSmtpServer Server;
};

// Header and body of the data the server received (dot-stuffing removed).
std::pair<std::string, std::string> HeaderAndBody(const std::string& data)
{
    std::string text = Unstuffed(data);
    size_t blank = text.find("\r\n\r\n");
    if (blank == std::string::npos)
        return {text, {}};
    return {text.substr(0, blank + 2), text.substr(blank + 4)};
}

}  // namespace

TEST_F(SmtpDialogue, MailIsSentWithEnvelopeAndHeader)
{
    auto provider = Provider();
    ASSERT_TRUE(provider->SendMail(Outgoing("Ann <ann@x>", "bob@y", "hidden@z")));
    std::vector<std::string> commands = Server.Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands[0], "EHLO " + provider->Smtp.ClientName());
    EXPECT_NE(provider->Smtp.ClientName(), "");
    EXPECT_THAT(CommandsAfterHelo(), ElementsAre("MAIL FROM:<me@example.net>", "RCPT TO:<ann@x>", "RCPT TO:<bob@y>",
                                                 "RCPT TO:<hidden@z>", "DATA", "QUIT"));

    ASSERT_EQ(Server.Mails().size(), 1u);
    auto [header, body] = HeaderAndBody(Server.Mails()[0].Data);
    std::regex shape("Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), \\d{2} "
                     "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \\d{4} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}\r\n"
                     "From: me@example.net\r\n"
                     "Subject: Plans\r\n"
                     "To: Ann <ann@x>\r\n"
                     "Cc: bob@y\r\n"
                     "Message-Id: <[^@>]+@example.net>\r\n"
                     "MIME-Version: 1.0\r\n"
                     "Content-Type: text/plain; charset=UTF-8\r\n"
                     "Content-Transfer-Encoding: 7bit\r\n"
                     "X-Mailer: Korvalin Mail v1.2\r\n");
    EXPECT_TRUE(std::regex_match(header, shape)) << header;
    EXPECT_THAT(header, Not(HasSubstr("hidden")));
    EXPECT_EQ(body, "Hello.\r\n\r\n");
}

TEST_F(SmtpDialogue, EmptyEntriesMakeNoRecipients)
{
    auto provider = Provider();
    ASSERT_TRUE(provider->SendMail(Outgoing("ann@x;", "", "")));
    EXPECT_THAT(CommandsAfterHelo(), ElementsAre("MAIL FROM:<me@example.net>", "RCPT TO:<ann@x>", "DATA", "QUIT"));
    auto [header, body] = HeaderAndBody(Server.Mails()[0].Data);
    EXPECT_THAT(header, HasSubstr("\r\nTo: ann@x\r\n"));
    EXPECT_THAT(header, Not(HasSubstr("<>")));
}

TEST_F(SmtpDialogue, CommaSeparatedRecipientsAllGetTheMail)
{
    auto provider = Provider();
    ASSERT_TRUE(provider->SendMail(Outgoing("Ann <ann@x>, bob@y", "\"Doe, J\" <j@z>")));
    EXPECT_THAT(CommandsAfterHelo(), ElementsAre("MAIL FROM:<me@example.net>", "RCPT TO:<ann@x>", "RCPT TO:<bob@y>",
                                                 "RCPT TO:<j@z>", "DATA", "QUIT"));
}

TEST_F(SmtpDialogue, NoRecipientAtAllSendsNothing)
{
    auto provider = Provider();
    EXPECT_FALSE(provider->SendMail(Outgoing("", "", "")));
    EXPECT_EQ(Server.ConnectionCount(), 0);
    EXPECT_TRUE(Server.Mails().empty());
}

TEST_F(SmtpDialogue, EveryBodyLineStartingWithADotSurvives)
{
    auto provider = Provider();
    std::string body = ".first\r\n.\r\n..double\r\nplain\r\n.last";
    ASSERT_TRUE(provider->SendMail(Outgoing("a@x", "", "", body)));
    std::string data = Server.Mails()[0].Data;
    EXPECT_THAT(data, HasSubstr("\r\n\r\n..first\r\n..\r\n...double\r\nplain\r\n..last\r\n"));
    EXPECT_EQ(HeaderAndBody(data).second, body + "\r\n\r\n");
}

TEST_F(SmtpDialogue, BodyWithoutLineEndGetsOneAndBareLineEndsBecomeCrLf)
{
    auto provider = Provider();
    ASSERT_TRUE(provider->SendMail(Outgoing("a@x", "", "", "one\ntwo")));
    EXPECT_EQ(HeaderAndBody(Server.Mails()[0].Data).second, "one\r\ntwo\r\n\r\n");
}

TEST(SmtpRefusals, GreetingRefused)
{
    SmtpServerOptions options;
    options.Greeting = "421 too busy";
    ScriptedSmtpServer server(options);
    auto provider = MakeProvider("127.0.0.1:1", server.Address());
    EXPECT_FALSE(provider->SendMail(Outgoing("a@x")));
    EXPECT_EQ(provider->Smtp.LastError, "Server didn't respond.");
    EXPECT_TRUE(server.Commands().empty());
    EXPECT_FALSE(provider->Smtp.Connected);
}

TEST_F(SmtpDialogue, HeloRefused)
{
    Server.SetScript([](const std::string& command, int) -> std::optional<PeerReply> {
        if (command.rfind("EHLO", 0) == 0 || command.rfind("HELO", 0) == 0)
            return PeerReply::Line("501 who are you");
        return std::nullopt;
    });
    auto provider = Provider();
    EXPECT_FALSE(provider->SendMail(Outgoing("a@x")));
    EXPECT_EQ(provider->Smtp.LastError, "501:SMTP server error");
    EXPECT_TRUE(Server.Mails().empty());
}

TEST_F(SmtpDialogue, HeloWhenEhloIsUnknown)
{
    Replace("EHLO", PeerReply::Line("502 command not implemented"));
    auto provider = Provider();
    EXPECT_TRUE(provider->SendMail(Outgoing("a@x")));
    std::vector<std::string> commands = Server.Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[1], "HELO " + provider->Smtp.ClientName());
    EXPECT_EQ(Server.Mails().size(), 1u);
}

TEST_F(SmtpDialogue, SenderRefused)
{
    Replace("MAIL", PeerReply::Line("550 not you"));
    auto provider = Provider();
    EXPECT_FALSE(provider->SendMail(Outgoing("a@x")));
    EXPECT_EQ(provider->Smtp.LastError, "550:SMTP server error");
    EXPECT_THAT(CommandsAfterHelo(), ElementsAre("MAIL FROM:<me@example.net>", "QUIT"));
}

TEST_F(SmtpDialogue, DataRefused)
{
    Replace("DATA", PeerReply::Line("554 no valid recipients"));
    auto provider = Provider();
    EXPECT_FALSE(provider->SendMail(Outgoing("a@x")));
    EXPECT_EQ(provider->Smtp.LastError, "554:SMTP server not ready for data");
    EXPECT_EQ(CommandsAfterHelo().back(), "QUIT");
}

TEST_F(SmtpDialogue, MailRefusedAfterTheData)
{
    Replace("<DATA-END>", PeerReply::Line("554 looks like spam"));
    auto provider = Provider();
    EXPECT_FALSE(provider->SendMail(Outgoing("a@x")));
    EXPECT_EQ(provider->Smtp.LastError, "554:SMTP server error");
    EXPECT_EQ(CommandsAfterHelo().back(), "QUIT");
}

TEST_F(SmtpDialogue, RefusedRecipientDoesNotStopTheMail)
{
    Replace("RCPT TO:<nobody@x>", PeerReply::Line("550 no such user"));
    auto provider = Provider();
    EXPECT_TRUE(provider->SendMail(Outgoing("nobody@x; a@y")));
    EXPECT_EQ(Server.Mails().size(), 1u);
}

TEST_F(SmtpDialogue, RefusedQuitDoesNotUndoTheAcceptedMail)
{
    Replace("QUIT", PeerReply::Close("500 what\r\n"));
    auto provider = Provider();
    EXPECT_TRUE(provider->SendMail(Outgoing("a@x")));
}

TEST(SmtpReplies, MultiLineRepliesInOneBytePieces)
{
    SmtpServerOptions options;
    options.HeloReply = "250-scripted\r\n250-PIPELINING\r\n250-8BITMIME\r\n250 HELP";
    options.DataEndReply = "250-queued as 1\r\n250 thanks";
    options.Pieces.PieceSize = 1;
    options.Pieces.PieceDelayMicros = 50;
    ScriptedSmtpServer server(options);
    server.SetScript([](const std::string& command, int) -> std::optional<PeerReply> {
        if (command == "<GREETING>")
            return PeerReply{"220-scripted\r\n220-second line\r\n220 ready\r\n"};
        return std::nullopt;
    });
    auto provider = MakeProvider("127.0.0.1:1", server.Address());
    EXPECT_TRUE(provider->SendMail(Outgoing("a@x")));
    EXPECT_EQ(server.Mails().size(), 1u);
    EXPECT_EQ(provider->Smtp.LastReply, "221 bye");
}

TEST(SmtpTimeouts, SilentServerEndsTheSend)
{
    ScopedTimeouts timeouts(2, 1);
    ScriptedSmtpServer server;
    server.SetScript([](const std::string& command, int) -> std::optional<PeerReply> {
        if (command == "<GREETING>")
            return PeerReply::Stall();
        return std::nullopt;
    });
    auto provider = MakeProvider("127.0.0.1:1", server.Address());
    Stopwatch clock;
    EXPECT_FALSE(provider->SendMail(Outgoing("a@x")));
    EXPECT_LT(clock.Seconds(), 5.0);
    EXPECT_EQ(provider->Smtp.LastError, "Server didn't respond.");
}

TEST_F(SmtpDialogue, ServerFallingSilentAfterDataCostsOneTimeout)
{
    ScopedTimeouts timeouts(2, 1);
    Replace("<DATA-END>", PeerReply::Stall());
    auto provider = Provider();
    Stopwatch clock;
    EXPECT_FALSE(provider->SendMail(Outgoing("a@x")));
    EXPECT_LT(clock.Seconds(), 1.9);
    EXPECT_EQ(provider->Smtp.LastError, "Socket Error");
    EXPECT_FALSE(provider->Smtp.Connected);
}

TEST(SmtpAddresses, TypedLineBreaksCannotAddCommands)
{
    ScriptedSmtpServer server;
    auto provider = MakeProvider("127.0.0.1:1", server.Address());
    ASSERT_TRUE(provider->SendMail(Outgoing("a@x\r\nRSET")));
    for (const std::string& command : server.Commands())
        EXPECT_NE(command, "RSET");
}
