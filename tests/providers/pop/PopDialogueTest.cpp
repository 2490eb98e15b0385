// The POP3 side of the plug-in against the scripted in-process server:
// the dialogue, its failure texts, and the servers that misbehave.
#include "PopTestSupport.h"
#include "ScriptedPopServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

using korvalin::test::MakePopMail;
using korvalin::test::MakeProvider;
using korvalin::test::PeerReply;
using korvalin::test::PopServerOptions;
using korvalin::test::ScopedTimeouts;
using korvalin::test::ScriptedPopServer;
using korvalin::test::SimplePopMail;
using korvalin::test::Stopwatch;
using testing::ElementsAre;

namespace {

// A server holding mails <a>, <b>, <c> (uids uid-a, uid-b, uid-c).
class PopDialogue : public testing::Test {
protected:
    PopDialogue()
    {
        Server.SetMails({SimplePopMail("a", "First"), SimplePopMail("b", "Second"), SimplePopMail("c", "Third")});
    }

    // Answers every command that starts with prefix with reply instead.
    void Replace(const std::string& prefix, PeerReply reply)
    {
        Server.SetScript([prefix, reply](const std::string& command, int) -> std::optional<PeerReply> {
            if (command.compare(0, prefix.size(), prefix) == 0)
                return reply;
            return std::nullopt;
        });
    }

    CSummaryArray Summary(CPopProvider& provider, bool expected = true)
    {
        CSummaryArray list;
        EXPECT_EQ(provider.GetMailSummary(list, -1), expected);
        return list;
    }

    ScriptedPopServer Server;
};

std::vector<std::string> Locators(const CSummaryArray& list)
{
    std::vector<std::string> locators;
    for (const SummaryEntry& entry : list)
        locators.push_back(entry.Locator);
    return locators;
}

}  // namespace

TEST(PopIdentity, NameVersionNoFoldersNoAddressBook)
{
    CPopProvider provider;
    EXPECT_EQ(provider.Name, "POPMail");
    EXPECT_EQ(provider.GetVersion(), 1);
    EXPECT_EQ(provider.SignUpUrl, "");
    CStringArray folders{"kept"};
    EXPECT_TRUE(provider.GetFolders(folders));
    EXPECT_THAT(folders, ElementsAre("kept"));
    CAddressArray book(1);
    provider.GetAddressBook(book);
    EXPECT_EQ(book.size(), 1u);
}

TEST(PopIdentity, ServersTakeHostOrHostAndPort)
{
    CPopProvider provider;
    provider.SetUserProfile("jo=Jo=jo@x=pop.example.net=smtp.example.net", "pw");
    EXPECT_EQ(provider.Pop.Server, "pop.example.net");
    EXPECT_EQ(provider.Pop.Port, 110);
    EXPECT_EQ(provider.Smtp.Server, "smtp.example.net");
    EXPECT_EQ(provider.Smtp.Port, 25);
    EXPECT_EQ(provider.Pop.LastError, "OK");
    EXPECT_EQ(provider.Smtp.LastError, "OK");
    EXPECT_EQ(provider.Pop.User, "jo");
    EXPECT_EQ(provider.Pop.Pass, "pw");
    EXPECT_EQ(provider.FromAddress, "jo@x");

    provider.SetUserProfile("jo=Jo=jo@x=127.0.0.1:1110=[::1]:2525", "pw");
    EXPECT_EQ(provider.Pop.Server, "127.0.0.1");
    EXPECT_EQ(provider.Pop.Port, 1110);
    EXPECT_EQ(provider.Smtp.Server, "::1");
    EXPECT_EQ(provider.Smtp.Port, 2525);
}

TEST(PopIdentity, MissingPasswordKeepsTheLogin)
{
    CPopProvider provider;
    provider.SetUserProfile("jo=Jo=jo@x=pop=smtp", "pw");
    provider.SetUserProfile("other=Jo=jo@x=pop=smtp", "");
    EXPECT_EQ(provider.Pop.User, "jo");
    EXPECT_EQ(provider.Pop.Pass, "pw");
}

TEST_F(PopDialogue, LoginOpensAndQuits)
{
    auto provider = MakeProvider(Server.Address());
    EXPECT_TRUE(provider->DoLogin());
    // CAPA first: a server that offers STLS is asked for it before the login.
    EXPECT_THAT(Server.AllCommands(), ElementsAre("CAPA", "USER user", "PASS secret", "QUIT"));
    EXPECT_FALSE(provider->Pop.Connected);
}

TEST_F(PopDialogue, RefusedStepsGiveTheirTexts)
{
    struct Case {
        const char* Command;
        const char* Error;
    } cases[] = {{"USER", "Bad user name"}, {"PASS", "Invalid username/password combination"}};
    for (const Case& c : cases) {
        Replace(c.Command, PeerReply::Line("-ERR no"));
        auto provider = MakeProvider(Server.Address());
        EXPECT_FALSE(provider->DoLogin()) << c.Command;
        EXPECT_EQ(provider->Pop.LastError, c.Error);
        EXPECT_FALSE(provider->Pop.Connected);
    }
}

TEST_F(PopDialogue, WrongPasswordIsRefused)
{
    auto provider = MakeProvider(Server.Address(), "127.0.0.1:1", "wrong");
    EXPECT_FALSE(provider->DoLogin());
    EXPECT_EQ(provider->Pop.LastError, "Invalid username/password combination");
    CSummaryArray list;
    EXPECT_FALSE(provider->GetMailSummary(list, -1));
    EXPECT_TRUE(list.empty());
}

TEST(PopGreeting, RefusedGreeting)
{
    PopServerOptions options;
    options.Greeting = "-ERR go away";
    ScriptedPopServer server(options);
    auto provider = MakeProvider(server.Address());
    EXPECT_FALSE(provider->DoLogin());
    EXPECT_EQ(provider->Pop.LastError, "Server didn't connect");
    EXPECT_TRUE(server.AllCommands().empty());
}

TEST(PopGreeting, GarbageGreetingIsNotALogin)
{
    PopServerOptions options;
    options.Greeting = "220 this is an SMTP server";
    ScriptedPopServer server(options);
    auto provider = MakeProvider(server.Address());
    EXPECT_FALSE(provider->DoLogin());
    EXPECT_EQ(provider->Pop.LastError, "Unexpected reply");
}

TEST(PopGreeting, NobodyListening)
{
    int port;
    {
        ScriptedPopServer gone;
        port = gone.Port();
    }
    auto provider = MakeProvider("127.0.0.1:" + std::to_string(port));
    EXPECT_FALSE(provider->DoLogin());
    EXPECT_EQ(provider->Pop.LastError, "Unable to connect to server");
}

TEST_F(PopDialogue, SummaryListsEveryMailInOrder)
{
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list = Summary(*provider);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].From, "Ann <ann@example.org>");
    EXPECT_EQ(list[0].Subject, "First");
    EXPECT_EQ(list[0].Date, "1998/12/7");
    EXPECT_EQ(list[0].Size, "");
    EXPECT_EQ(list[0].MessageId, "<a>");
    EXPECT_EQ(list[0].Cache, "");
    EXPECT_EQ(list[0].Message.From, "");
    EXPECT_TRUE(list[0].New);
    EXPECT_THAT(Locators(list), ElementsAre("<a>##1", "<b>##2", "<c>##3"));
    EXPECT_EQ(Server.CountCommands("TOP"), 3);
    EXPECT_EQ(Server.Sessions().size(), 1u);
    EXPECT_TRUE(Server.Sessions()[0].Quit);
}

TEST_F(PopDialogue, SummaryAppendsToWhatIsThere)
{
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list(1);
    EXPECT_TRUE(provider->GetMailSummary(list, 5));
    EXPECT_EQ(list.size(), 4u);
}

TEST(PopSummary, EmptyMailbox)
{
    ScriptedPopServer server;
    auto provider = MakeProvider(server.Address());
    CSummaryArray list;
    EXPECT_TRUE(provider->GetMailSummary(list, -1));
    EXPECT_TRUE(list.empty());
}

TEST_F(PopDialogue, RefusedStatEndsTheCheck)
{
    Replace("STAT", PeerReply::Line("-ERR busy"));
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list = Summary(*provider, false);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(provider->Pop.LastError, "STATus couldn't be retrieved");
    EXPECT_EQ(Server.CountCommands("QUIT"), 1);
}

TEST_F(PopDialogue, StatWithoutACountEndsTheCheck)
{
    Replace("STAT", PeerReply::Line("+OK lots"));
    auto provider = MakeProvider(Server.Address());
    EXPECT_TRUE(Summary(*provider, false).empty());
}

TEST_F(PopDialogue, RefusedTopKeepsTheEntriesBeforeIt)
{
    Replace("TOP 2", PeerReply::Line("-ERR no such message"));
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list = Summary(*provider, false);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].MessageId, "<a>");
    EXPECT_EQ(provider->Pop.LastError, "RETRieve failed");
    EXPECT_EQ(Server.CountCommands("QUIT"), 1);
}

TEST_F(PopDialogue, RefusedQuitFailsTheSummaryButKeepsTheEntries)
{
    Replace("QUIT", PeerReply::Close("-ERR cannot update\r\n"));
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list = Summary(*provider, false);
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(provider->Pop.LastError, "Error while QUITting");
    EXPECT_TRUE(provider->DoLogin());
}

TEST_F(PopDialogue, GetMailFillsTheMessageAndEscapesTheBody)
{
    Server.SetMails({MakePopMail("u1",
                                 {"From: Ann <ann@x>", "To: Bob <bob@y>, carl@z", "Subject: Tags",
                                  "Message-ID: <m1@x>", "Cc: dora@w"},
                                 "Write to <bob@y> & friends.\n<script>alert(1)</script>")});
    auto provider = MakeProvider(Server.Address());
    std::string body = "kept|";
    CMailMessage message;
    message.CC = "stale";
    ASSERT_TRUE(provider->GetMail("<m1@x>##1", body, message));
    EXPECT_EQ(message.From, "Ann <ann@x>");
    EXPECT_EQ(message.Subject, "Tags");
    EXPECT_EQ(message.To, "bob@y;carl@z;dora@w;");
    EXPECT_EQ(message.CC, "");
    EXPECT_EQ(body, "kept|" + korvalin::test::PlainPage("Write to &lt;bob@y&gt; &amp; friends.\n"
                                                        "&lt;script&gt;alert(1)&lt;/script&gt;\n"));
}

TEST_F(PopDialogue, GetMailRemovesDotStuffing)
{
    Server.SetMails({MakePopMail("u1", {"From: a@x", "To: b@y", "Message-ID: <d@x>"},
                                 ".starts with a dot\n..two dots\n.\nend")});
    auto provider = MakeProvider(Server.Address());
    std::string body;
    CMailMessage message;
    ASSERT_TRUE(provider->GetMail("<d@x>##1", body, message));
    EXPECT_EQ(body, korvalin::test::PlainPage(".starts with a dot\n..two dots\n.\nend\n"));
}

TEST_F(PopDialogue, RefusedRetrieveWritesNothing)
{
    Replace("RETR", PeerReply::Line("-ERR gone"));
    auto provider = MakeProvider(Server.Address());
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(provider->GetMail("<b>##2", body, message));
    EXPECT_EQ(body, "");
    EXPECT_EQ(message.From, "");
    EXPECT_EQ(provider->Pop.LastError, "RETRieve failed");
    EXPECT_EQ(Server.CountCommands("QUIT"), 1);
}

TEST_F(PopDialogue, MalformedLocatorsTouchNothing)
{
    auto provider = MakeProvider(Server.Address());
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(provider->GetMail("no number", body, message));
    EXPECT_FALSE(provider->GetMail("##2", body, message));
    EXPECT_FALSE(provider->DeleteMail("<b>##x"));
    EXPECT_EQ(Server.ConnectionCount(), 0);
}

TEST_F(PopDialogue, DeleteRemovesTheNamedMail)
{
    auto provider = MakeProvider(Server.Address());
    EXPECT_TRUE(provider->DeleteMail("<b>##2"));
    EXPECT_THAT(Server.Uidls(), ElementsAre("uid-a", "uid-c"));
    EXPECT_EQ(Server.CountCommands("DELE 2"), 1);
}

TEST_F(PopDialogue, RefusedDeleteIsFalse)
{
    Replace("DELE", PeerReply::Line("-ERR locked"));
    auto provider = MakeProvider(Server.Address());
    EXPECT_FALSE(provider->DeleteMail("<b>##2"));
    EXPECT_EQ(provider->Pop.LastError, "Could not DELEte message");
    EXPECT_EQ(Server.Uidls().size(), 3u);
}

TEST_F(PopDialogue, DeleteIsFalseWhenQuitFails)
{
    Replace("QUIT", PeerReply::Close("-ERR update failed\r\n"));
    auto provider = MakeProvider(Server.Address());
    EXPECT_FALSE(provider->DeleteMail("<b>##2"));
    EXPECT_EQ(Server.CountCommands("DELE 2"), 1);
}

TEST_F(PopDialogue, RenumberedMailIsFoundAgain)
{
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list = Summary(*provider);
    ASSERT_THAT(Locators(list), ElementsAre("<a>##1", "<b>##2", "<c>##3"));

    Server.RemoveMail("uid-a");  // another client deleted the first mail: b is 1 now, c is 2
    std::string body;
    CMailMessage message;
    ASSERT_TRUE(provider->GetMail(list[2].Locator, body, message));
    EXPECT_EQ(message.Subject, "Third");

    EXPECT_TRUE(provider->DeleteMail(list[1].Locator));
    EXPECT_THAT(Server.Uidls(), ElementsAre("uid-c"));
    EXPECT_EQ(Server.CountCommands("DELE 1"), 1);
    EXPECT_EQ(Server.CountCommands("DELE 2"), 0);
}

TEST_F(PopDialogue, MailThatIsGoneIsNeverReplacedByAnother)
{
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list = Summary(*provider);
    Server.RemoveMail("uid-b");

    EXPECT_FALSE(provider->DeleteMail(list[1].Locator));
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(provider->GetMail(list[1].Locator, body, message));
    EXPECT_EQ(body, "");
    EXPECT_EQ(Server.CountCommands("DELE"), 0);
    EXPECT_EQ(Server.CountCommands("RETR"), 0);
    EXPECT_THAT(Server.Uidls(), ElementsAre("uid-a", "uid-c"));
}

TEST_F(PopDialogue, MailWithoutMessageIdGetsItsUidl)
{
    Server.SetMails({MakePopMail("UID-17", {"From: a@x", "Date: 7 Dec 1998 10:20:30 +0000", "Subject: no id"}, "x"),
                     SimplePopMail("b", "with id")});
    auto provider = MakeProvider(Server.Address());
    CSummaryArray first = Summary(*provider);
    CSummaryArray second = Summary(*provider);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].MessageId, "UID-17");
    EXPECT_EQ(first[0].Locator, "UID-17##1");
    EXPECT_EQ(first[0].Date, "1998/12/7");
    EXPECT_EQ(second[0].MessageId, first[0].MessageId);

    std::string body;
    CMailMessage message;
    EXPECT_TRUE(provider->GetMail(first[0].Locator, body, message));
    EXPECT_EQ(message.From, "a@x");
    EXPECT_TRUE(provider->DeleteMail(first[0].Locator));
    EXPECT_THAT(Server.Uidls(), ElementsAre("uid-b"));
}

TEST(PopSummary, WithoutUidlAMissingIdIsADigestOfTheHeader)
{
    PopServerOptions options;
    options.Uidl = false;
    ScriptedPopServer server(options);
    server.SetMails({MakePopMail("x1", {"From: a@x", "Date: 7 Dec 1998 10:20:30 +0000", "Subject: one"}, "1"),
                     MakePopMail("x2", {"From: a@x", "Date: 7 Dec 1998 10:20:30 +0000", "Subject: two"}, "2")});
    auto provider = MakeProvider(server.Address());
    CSummaryArray first;
    CSummaryArray second;
    ASSERT_TRUE(provider->GetMailSummary(first, -1));
    ASSERT_TRUE(provider->GetMailSummary(second, -1));
    ASSERT_EQ(first.size(), 2u);
    EXPECT_FALSE(first[0].MessageId.empty());
    EXPECT_NE(first[0].MessageId, first[1].MessageId);
    EXPECT_EQ(first[0].MessageId, second[0].MessageId);
    EXPECT_EQ(first[1].Locator, first[1].MessageId + "##2");

    server.RemoveMail("x1");
    EXPECT_TRUE(provider->DeleteMail(first[1].Locator));
    EXPECT_TRUE(server.Uidls().empty());
}

TEST(PopPieces, RepliesInOneBytePiecesReadLikeWholeOnes)
{
    PopServerOptions options;
    options.Pieces.PieceSize = 1;
    options.Pieces.PieceDelayMicros = 50;
    ScriptedPopServer pieces(options);
    ScriptedPopServer whole;
    for (ScriptedPopServer* server : {&pieces, &whole})
        server->SetMails({SimplePopMail("a", "First", ".dot\nline"), SimplePopMail("b", "Second")});

    CSummaryArray expected;
    CSummaryArray got;
    ASSERT_TRUE(MakeProvider(whole.Address())->GetMailSummary(expected, -1));
    ASSERT_TRUE(MakeProvider(pieces.Address())->GetMailSummary(got, -1));
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].From, expected[i].From);
        EXPECT_EQ(got[i].Subject, expected[i].Subject);
        EXPECT_EQ(got[i].Date, expected[i].Date);
        EXPECT_EQ(got[i].Locator, expected[i].Locator);
    }
    std::string body;
    CMailMessage message;
    ASSERT_TRUE(MakeProvider(pieces.Address())->GetMail("<a>##1", body, message));
    EXPECT_EQ(body, korvalin::test::PlainPage(".dot\nline\n"));
    EXPECT_EQ(message.Subject, "First");
}

TEST(PopTimeouts, SilentServerEndsTheLoginInsteadOfHanging)
{
    ScopedTimeouts timeouts(2, 1);
    PopServerOptions options;
    options.Silent = true;
    ScriptedPopServer server(options);
    auto provider = MakeProvider(server.Address());
    Stopwatch clock;
    EXPECT_FALSE(provider->DoLogin());
    EXPECT_LT(clock.Seconds(), 5.0);
    EXPECT_EQ(provider->Pop.LastError, "Socket Error");
    EXPECT_FALSE(provider->Pop.Connected);
}

TEST_F(PopDialogue, ServerFallingSilentInATopReplyCostsOneTimeout)
{
    ScopedTimeouts timeouts(2, 1);
    Replace("TOP 2", PeerReply::Stall("+OK\r\nFrom: half@x\r\n"));
    auto provider = MakeProvider(Server.Address());
    Stopwatch clock;
    CSummaryArray list = Summary(*provider, false);
    EXPECT_LT(clock.Seconds(), 1.9);  // no second wait for an answer to QUIT
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(provider->Pop.LastError, "Socket Error");
    EXPECT_FALSE(provider->Pop.Connected);
    // The next operation opens a fresh session.
    Server.SetScript(nullptr);
    EXPECT_TRUE(provider->DoLogin());
}

TEST_F(PopDialogue, ConnectionClosedInTheMiddleOfAReply)
{
    Replace("TOP 3", PeerReply::Close("+OK\r\nFrom: cut@x\r\nSubj"));
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list = Summary(*provider, false);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(provider->Pop.LastError, "Socket Error");

    Replace("RETR", PeerReply::Close("+OK\r\nFrom: cut@x\r\n\r\nhalf a bo"));
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(provider->GetMail("<a>##1", body, message));
    EXPECT_EQ(body, "");
}

TEST_F(PopDialogue, OverlongStatusLineIsRefused)
{
    Replace("STAT", PeerReply::Stall("+OK " + std::string(200 * 1024, '9')));
    auto provider = MakeProvider(Server.Address());
    Stopwatch clock;
    EXPECT_TRUE(Summary(*provider, false).empty());
    EXPECT_LT(clock.Seconds(), 5.0);
    EXPECT_EQ(provider->Pop.LastError, "Socket Error");
    EXPECT_NE(provider->Pop.LastSocketError.find("line longer"), std::string::npos) << provider->Pop.LastSocketError;
}

TEST_F(PopDialogue, EndlessLineInAMailIsCutOff)
{
    // 12 MB without a line end, more than any line the client keeps.
    Replace("RETR", PeerReply::Stall("+OK\r\nFrom: a@x\r\n\r\n" + std::string(12 * 1024 * 1024, 'x')));
    auto provider = MakeProvider(Server.Address());
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(provider->GetMail("<a>##1", body, message));
    EXPECT_EQ(provider->Pop.LastError, "Socket Error");
}

TEST_F(PopDialogue, GarbageInsideHeadersStillGivesEntries)
{
    std::string garbage = "From: a@x\r\nDate: \x01\x02\xff\r\n\x7f\x80: ::\r\n<<<>>>\r\n";
    Replace("TOP 1", PeerReply{"+OK\r\n" + garbage + "\r\n.\r\n"});
    auto provider = MakeProvider(Server.Address());
    CSummaryArray list = Summary(*provider);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].From, "a@x");
    EXPECT_FALSE(list[0].MessageId.empty());
}

TEST_F(PopDialogue, RandomRepliesNeverCrashOrHang)
{
    ScopedTimeouts timeouts(2, 1);
    std::mt19937 random(4242);
    const char alphabet[] = "+OK-ERR .\r\n\r\n0123456789From: <>";
    for (int round = 0; round < 40; ++round) {
        std::string noise(std::uniform_int_distribution<size_t>(0, 200)(random), ' ');
        for (char& c : noise)
            c = alphabet[std::uniform_int_distribution<size_t>(0, sizeof alphabet - 2)(random)];
        std::string target = round % 3 == 0 ? "STAT" : round % 3 == 1 ? "TOP" : "RETR";
        Replace(target, PeerReply::Close(noise));
        auto provider = MakeProvider(Server.Address());
        CSummaryArray list;
        provider->GetMailSummary(list, -1);
        std::string body;
        CMailMessage message;
        provider->GetMail("<a>##1", body, message);
        EXPECT_FALSE(provider->Pop.Connected);
    }
}
