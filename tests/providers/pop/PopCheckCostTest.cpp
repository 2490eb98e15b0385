// What a check costs: CAPA once where it helps, TOP (and DELE) commands sent
// in batches to servers that pipeline, headers fetched only for mails whose
// UIDL the provider has not seen, and always the same entries as the
// one-at-a-time dialogue.
#include "PopTestSupport.h"
#include "ScriptedPopServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

using korvalin::test::MakePopMail;
using korvalin::test::MakeProvider;
using korvalin::test::PeerReply;
using korvalin::test::PopMail;
using korvalin::test::PopServerOptions;
using korvalin::test::ScriptedPopServer;
using korvalin::test::SimplePopMail;
using testing::ElementsAre;

namespace {

using Entry = std::tuple<std::string, std::string, std::string, std::string, std::string, std::string, bool>;

std::vector<Entry> Entries(const CSummaryArray& list)
{
    std::vector<Entry> entries;
    for (const SummaryEntry& e : list)
        entries.emplace_back(e.From, e.Subject, e.Date, e.Size, e.Locator, e.MessageId, e.New);
    return entries;
}

std::vector<std::string> Subjects(const CSummaryArray& list)
{
    std::vector<std::string> subjects;
    for (const SummaryEntry& entry : list)
        subjects.push_back(entry.Subject);
    return subjects;
}

// A mailbox with the awkward cases: a From on the first line, a mail without
// Date, one without Message-ID, a dot-stuffed header line.
std::vector<PopMail> Mailbox()
{
    std::vector<PopMail> mails;
    for (int i = 1; i <= 8; ++i)
        mails.push_back(SimplePopMail("m" + std::to_string(i), "Mail " + std::to_string(i)));
    mails.insert(mails.begin() + 2, MakePopMail("first-line", {"From: first@x", "Subject: From first",
                                                               "Date: 1 Jan 2024 09:00:00 +0100", "Message-ID: <fl@x>"},
                                                "b"));
    mails.insert(mails.begin() + 5,
                 MakePopMail("no-date", {"From: nodate@x", "Subject: Undated", "Message-ID: <nd@x>"}, "b"));
    mails.push_back(MakePopMail("no-id", {"From: noid@x", "Subject: No id", "Date: Tue, 2 Jan 2024 10:00:00 +0000"},
                                "b"));
    mails.push_back(MakePopMail("dots", {"Received: x", ".hidden: y", "From: dots@x", "Subject: .dot subject",
                                         "Date: Wed, 3 Jan 2024 10:00:00 +0000", "Message-ID: <dots@x>"},
                                "b"));
    return mails;
}

CSummaryArray Check(CPopProvider& provider, bool expected = true)
{
    CSummaryArray list;
    EXPECT_EQ(provider.GetMailSummary(list, -1), expected) << provider.Pop.LastError;
    return list;
}

// Answers every command that starts with prefix with reply instead.
void Replace(ScriptedPopServer& server, const std::string& prefix, PeerReply reply)
{
    server.SetScript([prefix, reply](const std::string& command, int) -> std::optional<PeerReply> {
        if (command.compare(0, prefix.size(), prefix) == 0)
            return reply;
        return std::nullopt;
    });
}

int MostBuffered(const ScriptedPopServer& server)
{
    int most = 0;
    for (const auto& session : server.Sessions())
        most = std::max(most, session.MostBuffered);
    return most;
}

}  // namespace

TEST(PopCheckCost, SameEntriesWhateverTheServerOffers)
{
    // The one-at-a-time dialogue: no CAPA, no UIDL.
    PopServerOptions plain;
    plain.Capa = false;
    plain.Pipelining = false;
    plain.Uidl = false;
    ScriptedPopServer reference(plain);
    reference.SetMails(Mailbox());
    std::vector<Entry> expected = Entries(Check(*MakeProvider(reference.Address())));
    ASSERT_EQ(expected.size(), 12u);
    EXPECT_EQ(MostBuffered(reference), 1);

    for (bool pipelining : {false, true}) {
        for (bool uidl : {false, true}) {
            SCOPED_TRACE(testing::Message() << "pipelining " << pipelining << ", uidl " << uidl);
            PopServerOptions options;
            options.Pipelining = pipelining;
            options.Uidl = uidl;
            ScriptedPopServer server(options);
            server.SetMails(Mailbox());
            auto provider = MakeProvider(server.Address());
            std::vector<Entry> first = Entries(Check(*provider));
            std::vector<Entry> second = Entries(Check(*provider));
            ASSERT_EQ(first.size(), expected.size());
            for (size_t i = 0; i < expected.size(); ++i) {
                if (std::get<1>(expected[i]) == "No id" && uidl) {
                    // Without a Message-ID the server's UIDL is the id.
                    EXPECT_EQ(std::get<5>(first[i]), "no-id");
                    EXPECT_EQ(std::get<4>(first[i]), "no-id##11");
                } else {
                    EXPECT_EQ(first[i], expected[i]) << i;
                }
            }
            EXPECT_EQ(second, first);
            EXPECT_EQ(MostBuffered(server) > 1, pipelining);
            // The second check sends TOP only where the server has no UIDL.
            EXPECT_EQ(server.CountCommands("TOP"), uidl ? 12 : 24);
        }
    }
}

TEST(PopCheckCost, NothingNewCostsStatAndUidlOnly)
{
    ScriptedPopServer server;
    server.SetMails(Mailbox());
    auto provider = MakeProvider(server.Address());
    CSummaryArray first = Check(*provider);
    server.ClearSessions();
    CSummaryArray second = Check(*provider);
    EXPECT_EQ(Entries(second), Entries(first));
    ASSERT_EQ(server.Sessions().size(), 1u);
    EXPECT_THAT(server.Sessions()[0].Commands, ElementsAre("CAPA", "USER user", "PASS secret", "STAT", "UIDL", "QUIT"));
}

TEST(PopCheckCost, FirstCheckSendsUidlWithTheHeaders)
{
    ScriptedPopServer server;
    server.SetMails(Mailbox());
    auto provider = MakeProvider(server.Address());
    Check(*provider);
    std::vector<std::string> commands = server.Sessions()[0].Commands;
    ASSERT_GE(commands.size(), 7u);
    // The CAPA before the login tells PIPELINING too: no second one.
    EXPECT_THAT(std::vector<std::string>(commands.begin(), commands.begin() + 6),
                ElementsAre("CAPA", "USER user", "PASS secret", "STAT", "UIDL", "TOP 1 0"));
    EXPECT_EQ(MostBuffered(server), 13);  // UIDL and the 12 TOP commands at once
}

TEST(PopCheckCost, DeletedAndAddedMailBetweenChecks)
{
    ScriptedPopServer server;
    server.SetMails({SimplePopMail("a", "A"), SimplePopMail("b", "B"), SimplePopMail("c", "C"), SimplePopMail("d", "D"),
                     SimplePopMail("e", "E")});
    auto provider = MakeProvider(server.Address());
    Check(*provider);

    server.RemoveMail("uid-b");
    server.RemoveMail("uid-d");
    server.AddMail(SimplePopMail("f", "F"));
    server.AddMail(SimplePopMail("g", "G"));
    server.ClearSessions();
    CSummaryArray second = Check(*provider);
    EXPECT_THAT(Subjects(second), ElementsAre("A", "C", "E", "F", "G"));
    std::vector<std::string> locators;
    for (const SummaryEntry& entry : second)
        locators.push_back(entry.Locator);
    EXPECT_THAT(locators, ElementsAre("<a>##1", "<c>##2", "<e>##3", "<f>##4", "<g>##5"));
    EXPECT_THAT(server.AllCommands(), testing::IsSupersetOf({"TOP 4 0", "TOP 5 0"}));
    EXPECT_EQ(server.CountCommands("TOP"), 2);
    EXPECT_GT(MostBuffered(server), 1);

    // b left the cache with the mailbox: a mail that comes back under its
    // unique id is fetched again.
    server.AddMail(MakePopMail("uid-b", {"From: a@x", "Subject: B again", "Date: 1 Jan 2024 0:0:0 +0000",
                                         "Message-ID: <b2>"},
                               "x"));
    server.ClearSessions();
    CSummaryArray third = Check(*provider);
    EXPECT_THAT(Subjects(third), ElementsAre("A", "C", "E", "F", "G", "B again"));
    EXPECT_THAT(server.AllCommands(), testing::Contains("TOP 6 0"));
    EXPECT_EQ(server.CountCommands("TOP"), 1);
    EXPECT_EQ(server.CountCommands("CAPA"), 1);  // the login's only: one header needs no batch
}

TEST(PopCheckCost, PipeliningServerThatAnswersSlowlyAndInPieces)
{
    PopServerOptions options;
    options.Pieces.PieceSize = 7;
    options.Pieces.PieceDelayMicros = 200;
    options.Pieces.ReplyDelayMillis = 3;
    ScriptedPopServer slow(options);
    ScriptedPopServer quick;
    slow.SetMails(Mailbox());
    quick.SetMails(Mailbox());
    auto slowProvider = MakeProvider(slow.Address());
    CSummaryArray fromSlow = Check(*slowProvider);
    EXPECT_EQ(Entries(fromSlow), Entries(Check(*MakeProvider(quick.Address()))));
    EXPECT_GT(MostBuffered(slow), 1);
    slow.AddMail(SimplePopMail("late", "Late"));
    slow.AddMail(SimplePopMail("later", "Later"));
    CSummaryArray again = Check(*slowProvider);
    ASSERT_EQ(again.size(), 14u);
    EXPECT_EQ(again[13].Subject, "Later");
}

TEST(PopCheckCost, TopFailingInTheMiddleOfABatch)
{
    ScriptedPopServer server;
    server.SetMails(Mailbox());
    Replace(server, "TOP 5 0", PeerReply::Line("-ERR message vanished"));
    auto provider = MakeProvider(server.Address());
    CSummaryArray list = Check(*provider, false);
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(provider->Pop.LastError, "RETRieve failed");
    // The answers after the failure were read: the session still ended with QUIT.
    ASSERT_EQ(server.Sessions().size(), 1u);
    EXPECT_TRUE(server.Sessions()[0].Quit);

    // Known mails before the failing one are kept too.
    server.SetScript(nullptr);
    Check(*provider);
    for (int i = 0; i < 3; ++i)
        server.AddMail(SimplePopMail("new" + std::to_string(i), "New " + std::to_string(i)));
    Replace(server, "TOP 14 0", PeerReply::Line("-ERR busy"));
    CSummaryArray partial = Check(*provider, false);
    ASSERT_EQ(partial.size(), 13u);
    EXPECT_EQ(partial[12].Subject, "New 0");
    EXPECT_TRUE(server.Sessions().back().Quit);
}

TEST(PopCheckCost, ConnectionLostInABatch)
{
    ScriptedPopServer server;
    server.SetMails(Mailbox());
    Replace(server, "TOP 7 0", PeerReply::Close("+OK\r\nFrom: cut"));
    auto provider = MakeProvider(server.Address());
    CSummaryArray list = Check(*provider, false);
    EXPECT_EQ(list.size(), 6u);
    EXPECT_EQ(provider->Pop.LastError, "Socket Error");
    EXPECT_FALSE(provider->Pop.Connected);
}

TEST(PopCheckCost, ServerWithoutUidlIsAskedOnce)
{
    PopServerOptions options;
    options.Uidl = false;
    ScriptedPopServer server(options);
    server.SetMails(Mailbox());
    auto provider = MakeProvider(server.Address());
    CSummaryArray first = Check(*provider);
    CSummaryArray second = Check(*provider);
    EXPECT_EQ(Entries(first), Entries(second));
    EXPECT_EQ(server.CountCommands("UIDL"), 1);
    EXPECT_EQ(server.CountCommands("TOP"), 24);
    EXPECT_GT(MostBuffered(server), 1);

    // Another server or login starts afresh.
    provider->SetUserProfile("user=U=me@x=" + server.Address() + "=127.0.0.1:1", "secret");
    Check(*provider);
    EXPECT_EQ(server.CountCommands("UIDL"), 1);
    provider->SetUserProfile("other=U=me@x=" + server.Address() + "=127.0.0.1:1", "secret");
    Check(*provider, false);  // unknown user
    EXPECT_EQ(server.CountCommands("UIDL"), 1);
}

TEST(PopCheckCost, UidlListThatDoesNotMatchStatIsNotUsed)
{
    ScriptedPopServer server;
    server.SetMails(Mailbox());
    Replace(server, "UIDL", PeerReply{"+OK\r\n1 only-one\r\n.\r\n"});
    auto provider = MakeProvider(server.Address());
    ScriptedPopServer reference;
    reference.SetMails(Mailbox());
    CSummaryArray list = Check(*provider);
    CSummaryArray expected = Check(*MakeProvider(reference.Address()));
    ASSERT_EQ(list.size(), expected.size());
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i].Subject, expected[i].Subject);
    Check(*provider);
    EXPECT_EQ(server.CountCommands("TOP"), 24);
}

TEST(PopCheckCost, FetchAndDeleteUseTheSessionsUidlList)
{
    ScriptedPopServer server;
    server.SetMails(Mailbox());
    auto provider = MakeProvider(server.Address());
    CSummaryArray list = Check(*provider);
    server.ClearSessions();

    std::string body;
    CMailMessage message;
    ASSERT_TRUE(provider->GetMail(list[3].Locator, body, message));
    EXPECT_EQ(message.Subject, list[3].Subject);
    EXPECT_THAT(server.Sessions()[0].Commands, ElementsAre("CAPA", "USER user", "PASS secret", "UIDL", "RETR 4", "QUIT"));

    // Another client deletes the first mail: everything moves down by one.
    server.RemoveMail("uid-m1");
    server.ClearSessions();
    ASSERT_TRUE(provider->DeleteMail(list[3].Locator));
    EXPECT_THAT(server.Sessions()[0].Commands, ElementsAre("CAPA", "USER user", "PASS secret", "UIDL", "DELE 3", "QUIT"));
    EXPECT_FALSE(provider->DeleteMail(list[0].Locator));
    EXPECT_EQ(server.CountCommands("TOP"), 0);
    EXPECT_EQ(server.Uidls().size(), 10u);
}

TEST(PopCheckCost, FreshProviderChecksIdentityByHeader)
{
    ScriptedPopServer server;
    server.SetMails(Mailbox());
    CSummaryArray list = Check(*MakeProvider(server.Address()));
    server.RemoveMail("uid-m1");
    server.ClearSessions();

    // A provider that has not checked yet reads the headers it needs.
    auto fresh = MakeProvider(server.Address());
    std::string body;
    CMailMessage message;
    ASSERT_TRUE(fresh->GetMail(list[1].Locator, body, message));  // m2, now number 1
    EXPECT_EQ(message.Subject, "Mail 2");
    EXPECT_THAT(server.AllCommands(), testing::Contains("RETR 1"));
    EXPECT_EQ(server.CountCommands("DELE"), 0);
}

TEST(PopCheckCost, SeveralDeletionsInOneBatch)
{
    ScriptedPopServer server;
    server.SetMails(Mailbox());
    auto provider = MakeProvider(server.Address());
    CSummaryArray list = Check(*provider);
    server.ClearSessions();
    EXPECT_TRUE(provider->DeleteMails({list[1].Locator, list[4].Locator, list[7].Locator}));
    std::vector<std::string> commands = server.Sessions()[0].Commands;
    EXPECT_THAT(commands, testing::IsSupersetOf({"DELE 2", "DELE 5", "DELE 8"}));
    EXPECT_EQ(server.Sessions()[0].MostBuffered, 3);
    EXPECT_EQ(server.Uidls().size(), 9u);

    // One gone: the others are deleted, the result is false.
    server.ClearSessions();
    CSummaryArray left = Check(*provider);
    server.RemoveMail("uid-m8");
    EXPECT_FALSE(provider->DeleteMails({left[0].Locator, left[left.size() - 3].Locator, left[1].Locator}));
    EXPECT_EQ(server.Uidls().size(), 6u);
}
