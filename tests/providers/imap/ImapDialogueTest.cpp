// The provider's IMAP dialogue against a scripted server: what a real server
// seldom does (literals in odd places, untagged answers between tagged
// ones, BYE in the middle, an endless line, a renumbered folder) and
// servers without UIDPLUS or MOVE.
#include "ImapProvider.h"
#include "ScriptedImapServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

using korvalin::test::ImapCommand;
using korvalin::test::PeerReply;
using korvalin::test::ScriptedImapServer;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

constexpr const char* kPlainCaps = "IMAP4rev1 AUTH=PLAIN SASL-IR";

std::string Header(const std::string& subject)
{
    return "From: Ann <ann@example.org>\r\nSubject: " + subject + "\r\nDate: Mon, 7 Dec 1998 10:20:30 +0000\r\n\r\n";
}

// "* n FETCH (UID u FLAGS () RFC822.SIZE 10 BODY[HEADER.FIELDS (...)] {len}" + header + ")"
std::string FetchLine(int n, int uid, const std::string& subject, const std::string& flags = "")
{
    std::string header = Header(subject);
    return "* " + std::to_string(n) + " FETCH (UID " + std::to_string(uid) + " FLAGS (" + flags +
           ") RFC822.SIZE 10 BODY[HEADER.FIELDS (FROM SUBJECT DATE MESSAGE-ID)] {" +
           std::to_string(header.size()) + "}\r\n" + header + ")\r\n";
}

std::string Examine(int exists, int validity, int next, int modseq = 0)
{
    std::string reply = "* " + std::to_string(exists) + " EXISTS\r\n* OK [UIDVALIDITY " + std::to_string(validity) +
                        "] v\r\n* OK [UIDNEXT " + std::to_string(next) + "] n\r\n";
    if (modseq > 0)
        reply += "* OK [HIGHESTMODSEQ " + std::to_string(modseq) + "] m\r\n";
    return reply + "$T OK [READ-ONLY] done\r\n";
}

std::unique_ptr<CImapProvider> LoggedIn(const ScriptedImapServer& server)
{
    auto provider = std::make_unique<CImapProvider>();
    provider->SetUserProfile("user=User=user@example.net=" + server.Address() + "=127.0.0.1:1", "secret");
    EXPECT_TRUE(provider->DoLogin()) << provider->LastError();
    return provider;
}

std::vector<std::string> Subjects(const CSummaryArray& list)
{
    std::vector<std::string> subjects;
    for (const SummaryEntry& entry : list)
        subjects.push_back(entry.Subject);
    return subjects;
}

TEST(ImapDialogue, OddButValidAnswersStillList)
{
    const std::string header = Header("Two");
    struct Case {
        const char* what;
        std::string examine, fetch;
    };
    const Case cases[] = {
        {"literals in odd places",
         Examine(2, 1, 3),
         // the header literal first, the other items after it on its last
         // line; a literal whose own text ends like a literal marker; an
         // empty literal
         "* 1 FETCH (BODY[HEADER.FIELDS (FROM SUBJECT DATE MESSAGE-ID)] {" + std::to_string(Header("One {3}").size() - 2) +
             "}\r\n" + Header("One {3}").substr(0, Header("One {3}").size() - 2) + " UID 1 X-EMPTY {0}\r\n FLAGS ())\r\n" +
             "* 2 FETCH (UID 2 BODY[HEADER.FIELDS (FROM)] {" + std::to_string(header.size()) + "}\r\n" + header +
             " FLAGS (\\Seen))\r\n$T OK done\r\n"},
        {"untagged answers between tagged ones",
         "* FLAGS (\\Seen \\Deleted)\r\n* 2 EXISTS\r\n* 1 RECENT\r\n* OK [UIDVALIDITY 1] v\r\n* OK [UNSEEN 1] u\r\n"
         "* OK [UIDNEXT 3] n\r\n$T OK [READ-ONLY] done\r\n",
         "* 3 EXISTS\r\n" + FetchLine(1, 1, "One {3}") + "* 9 FETCH (FLAGS (\\Seen))\r\n* 1 RECENT\r\n" +
             FetchLine(2, 2, "Two", "\\Seen") + "* OK still here\r\n$T OK done\r\n"},
    };
    for (const Case& c : cases) {
        ScriptedImapServer server(
            [&](const ImapCommand& command) -> std::optional<PeerReply> {
                if (command.Name == "EXAMINE")
                    return PeerReply{c.examine};
                if (command.Name == "UID FETCH")
                    return PeerReply{c.fetch};
                return std::nullopt;
            },
            kPlainCaps);
        auto provider = LoggedIn(server);
        CSummaryArray list;
        ASSERT_TRUE(provider->GetMailSummary(list, -1)) << c.what << ": " << provider->LastError();
        EXPECT_THAT(Subjects(list), ElementsAre("One {3}", "Two")) << c.what;
        ASSERT_EQ(list.size(), 2u);
        EXPECT_TRUE(list[0].New) << c.what;
        EXPECT_FALSE(list[1].New) << c.what;
        EXPECT_EQ(list[0].From, "Ann <ann@example.org>") << c.what;
        EXPECT_EQ(list[0].Date, "1998/12/7") << c.what;
        EXPECT_EQ(list[1].Locator, "imap:1:2:INBOX") << c.what;
    }
}

TEST(ImapDialogue, BrokenAnswersFailTheCheckAndTheNextOneConnectsAgain)
{
    struct Case {
        const char* what;
        PeerReply fetch;
        const char* error;
    };
    const Case cases[] = {
        {"BYE in the middle", PeerReply::Close(FetchLine(1, 1, "One") + "* BYE going down\r\n"), "ended the session"},
        {"a line over the size cap", PeerReply::Close("* 1 FETCH (UID 1 X-JUNK " + std::string(2 << 20, 'x') + ")\r\n"),
         "longer than"},
        {"a literal over the size cap", PeerReply::Close("* 1 FETCH (UID 1 BODY[] {999999999999}\r\n"),
         "size limit"},
        {"a stray tag", PeerReply{"ZZ9 OK who asked\r\n"}, "not sent"},
        {"a closed connection", PeerReply::Close(FetchLine(1, 1, "One")), ""},
    };
    for (const Case& c : cases) {
        std::atomic<int> fetches{0};
        ScriptedImapServer server(
            [&](const ImapCommand& command) -> std::optional<PeerReply> {
                if (command.Name == "EXAMINE")
                    return PeerReply{Examine(1, 1, 2)};
                if (command.Name == "UID FETCH")
                    return fetches++ == 0 ? c.fetch : PeerReply{FetchLine(1, 1, "One") + "$T OK done\r\n"};
                return std::nullopt;
            },
            kPlainCaps);
        auto provider = LoggedIn(server);
        CSummaryArray list;
        EXPECT_FALSE(provider->GetMailSummary(list, -1)) << c.what;
        EXPECT_THAT(provider->LastError(), HasSubstr(c.error)) << c.what;
        list.clear();
        ASSERT_TRUE(provider->GetMailSummary(list, -1)) << c.what << ": " << provider->LastError();
        EXPECT_THAT(Subjects(list), ElementsAre("One")) << c.what;
        EXPECT_EQ(server.ConnectionCount(), 2) << c.what;
    }
}

TEST(ImapDialogue, ARenumberedFolderIsListedAfreshAndOldLocatorsAreRefused)
{
    std::atomic<int> examines{0};
    ScriptedImapServer server(
        [&](const ImapCommand& command) -> std::optional<PeerReply> {
            const bool renumbered = examines.load() > 1;
            if (command.Name == "EXAMINE" || command.Name == "SELECT") {
                ++examines;
                return PeerReply{examines.load() > 1 ? Examine(1, 2, 2) : Examine(2, 1, 3)};
            }
            if (command.Name == "UID FETCH" && command.Line.find("BODY.PEEK[]") != std::string::npos)
                return PeerReply{"$T OK nothing\r\n"};
            if (command.Name == "UID FETCH")
                return PeerReply{renumbered ? FetchLine(1, 1, "Third") + "$T OK done\r\n"
                                            : FetchLine(1, 1, "First") + FetchLine(2, 2, "Second") + "$T OK done\r\n"};
            return std::nullopt;
        },
        kPlainCaps);
    auto provider = LoggedIn(server);
    CSummaryArray before, after;
    ASSERT_TRUE(provider->GetMailSummary(before, -1));
    ASSERT_THAT(Subjects(before), ElementsAre("First", "Second"));
    ASSERT_TRUE(provider->GetMailSummary(after, -1)) << provider->LastError();
    EXPECT_THAT(Subjects(after), ElementsAre("Third"));
    EXPECT_EQ(after[0].Locator, "imap:2:1:INBOX");
    EXPECT_THAT(server.CommandsNamed("UID FETCH").back(), HasSubstr("UID FETCH 1:* "));

    std::string body;
    CMailMessage message;
    EXPECT_FALSE(provider->GetMail(before[0].Locator, body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_THAT(provider->LastError(), HasSubstr("renumbered"));
    EXPECT_FALSE(provider->DeleteMail(before[0].Locator));
    EXPECT_TRUE(server.CommandsNamed("UID STORE").empty());
}

TEST(ImapDialogue, ASecondCheckAsksOnlyForWhatChanged)
{
    struct Case {
        const char* what;
        std::string caps, secondExamine;
        std::vector<std::string> secondFetches;  // prefixes
    };
    const Case cases[] = {
        {"CONDSTORE, nothing changed", "IMAP4rev1 AUTH=PLAIN SASL-IR CONDSTORE", Examine(2, 1, 3, 50), {}},
        {"no CONDSTORE, nothing new", kPlainCaps, Examine(2, 1, 3), {"UID FETCH 1:2 (UID FLAGS)"}},
        {"a new mail", kPlainCaps, Examine(3, 1, 4), {"UID FETCH 1:2 (UID FLAGS)", "UID FETCH 3:* (UID FLAGS"}},
    };
    for (const Case& c : cases) {
        std::atomic<int> examines{0};
        ScriptedImapServer server(
            [&](const ImapCommand& command) -> std::optional<PeerReply> {
                if (command.Name == "EXAMINE")
                    return PeerReply{examines++ == 0 ? Examine(2, 1, 3, 50) : c.secondExamine};
                if (command.Name == "UID FETCH" && command.Line.find("(UID FLAGS)") != std::string::npos)
                    return PeerReply{"* 1 FETCH (UID 1 FLAGS (\\Seen))\r\n* 2 FETCH (UID 2 FLAGS ())\r\n$T OK done\r\n"};
                if (command.Name == "UID FETCH" && command.Line.find("3:*") != std::string::npos)
                    return PeerReply{FetchLine(3, 3, "Three") + "$T OK done\r\n"};
                if (command.Name == "UID FETCH")
                    return PeerReply{FetchLine(1, 1, "One") + FetchLine(2, 2, "Two") + "$T OK done\r\n"};
                return std::nullopt;
            },
            c.caps);
        auto provider = LoggedIn(server);
        CSummaryArray first, second;
        ASSERT_TRUE(provider->GetMailSummary(first, -1)) << c.what;
        const size_t fetchesBefore = server.CommandsNamed("UID FETCH").size();
        ASSERT_TRUE(provider->GetMailSummary(second, -1)) << c.what << ": " << provider->LastError();
        std::vector<std::string> fetches = server.CommandsNamed("UID FETCH");
        fetches.erase(fetches.begin(), fetches.begin() + static_cast<long>(fetchesBefore));
        ASSERT_EQ(fetches.size(), c.secondFetches.size()) << c.what;
        for (size_t i = 0; i < fetches.size(); ++i)
            EXPECT_THAT(fetches[i], testing::StartsWith(c.secondFetches[i])) << c.what;
        EXPECT_EQ(second.size(), first.size() + (c.secondFetches.size() == 2 ? 1 : 0)) << c.what;
        if (!c.secondFetches.empty()) {
            EXPECT_FALSE(second[0].New) << c.what << ": the flags of known mails are taken again";
        }
    }
}

TEST(ImapDialogue, DeletingMovesToTrashWithWhatTheServerOffers)
{
    struct Case {
        const char* what;
        std::string caps, searchReply;
        std::vector<std::string> expected;  // command names after SELECT
    };
    const Case cases[] = {
        {"MOVE", "IMAP4rev1 AUTH=PLAIN MOVE", "", {"UID MOVE"}},
        {"UIDPLUS", "IMAP4rev1 AUTH=PLAIN UIDPLUS", "", {"UID COPY", "UID STORE", "UID EXPUNGE"}},
        {"neither, nothing else flagged", "IMAP4rev1 AUTH=PLAIN", "* SEARCH 7\r\n",
         {"UID COPY", "UID STORE", "UID SEARCH", "EXPUNGE"}},
        {"neither, another mail flagged", "IMAP4rev1 AUTH=PLAIN", "* SEARCH 4 7\r\n",
         {"UID COPY", "UID STORE", "UID SEARCH"}},
    };
    for (const Case& c : cases) {
        ScriptedImapServer server(
            [&](const ImapCommand& command) -> std::optional<PeerReply> {
                if (command.Name == "LIST")
                    return PeerReply{"* LIST () \"/\" INBOX\r\n* LIST (\\Trash) \"/\" Bin\r\n$T OK done\r\n"};
                if (command.Name == "SELECT")
                    return PeerReply{Examine(9, 5, 10)};
                if (command.Name == "UID SEARCH")
                    return PeerReply{c.searchReply + "$T OK done\r\n"};
                if (command.Name.rfind("UID ", 0) == 0 || command.Name == "EXPUNGE")
                    return PeerReply{"$T OK done\r\n"};
                return std::nullopt;
            },
            c.caps);
        auto provider = LoggedIn(server);
        CStringArray folders;
        ASSERT_TRUE(provider->GetFolders(folders));
        EXPECT_THAT(folders, ElementsAre("Bin"));
        ASSERT_TRUE(provider->DeleteMail("imap:5:7:INBOX")) << c.what << ": " << provider->LastError();
        std::vector<std::string> names;
        bool afterSelect = false;
        for (const std::string& line : server.Commands()) {
            std::string name = line.substr(0, line.find(' '));
            if (name == "UID")
                name = line.substr(0, line.find(' ', 4));
            if (afterSelect)
                names.push_back(name);
            afterSelect = afterSelect || name == "SELECT";
        }
        EXPECT_EQ(names, c.expected) << c.what;
        for (const std::string& line : server.Commands()) {
            if (line.rfind("UID MOVE", 0) == 0 || line.rfind("UID COPY", 0) == 0) {
                EXPECT_EQ(line.substr(9), "7 \"Bin\"") << c.what;
            }
        }
    }
}

TEST(ImapDialogue, LoginSendsNoPasswordItCannotQuoteOrTheServerForbids)
{
    struct Case {
        const char* what;
        std::string caps, password;
        bool ok;
        const char* sent;  // the login command's start, "" when none may be sent
        const char* scheme = "";
    };
    const Case cases[] = {
        {"AUTHENTICATE PLAIN with SASL-IR", "IMAP4rev1 AUTH=PLAIN SASL-IR", "secret", true,
         "AUTHENTICATE PLAIN AHVzZXIAc2VjcmV0"},
        {"LOGIN, quoted", "IMAP4rev1", "se\"cret", true, "LOGIN \"user\" \"se\\\"cret\""},
        {"LOGIN with a line break", "IMAP4rev1", "x\r\nK9 DELETE INBOX", false, ""},
        {"LOGINDISABLED", "IMAP4rev1 LOGINDISABLED", "secret", false, ""},
        {"STARTTLS required, not offered", "IMAP4rev1 AUTH=PLAIN SASL-IR", "secret", false, "", "imap://"},
    };
    for (const Case& c : cases) {
        ScriptedImapServer server({}, c.caps);
        CImapProvider provider;
        provider.SetUserProfile("user=User=user@example.net=" + std::string(c.scheme) + server.Address() + "=127.0.0.1:1",
                                c.password);
        EXPECT_EQ(provider.DoLogin(), c.ok) << c.what;
        std::vector<std::string> logins = server.CommandsNamed("LOGIN");
        for (const std::string& line : server.CommandsNamed("AUTHENTICATE"))
            logins.push_back(line);
        if (std::string(c.sent).empty()) {
            EXPECT_TRUE(logins.empty()) << c.what;
        } else {
            ASSERT_EQ(logins.size(), 1u) << c.what;
            EXPECT_EQ(logins[0], c.sent) << c.what;
        }
        for (const std::string& line : server.Commands())
            EXPECT_EQ(line.find("DELETE"), std::string::npos) << c.what;
    }
}

TEST(ImapPush, IdleAnnouncesChangesAndIsRenewedOnTime)
{
    std::mutex mutex;
    std::string idleTag;
    ScriptedImapServer server([&](const ImapCommand& command) -> std::optional<PeerReply> {
        std::lock_guard lock(mutex);
        if (command.Name == "EXAMINE")
            return PeerReply{Examine(4, 1, 5)};
        if (command.Name == "IDLE") {
            idleTag = command.Tag;
            return PeerReply{"+ idling\r\n* 5 EXISTS\r\n"};
        }
        if (command.Tag == "DONE")
            return PeerReply{idleTag + " OK idle ended\r\n"};
        return std::nullopt;
    });
    std::atomic<int> announced{0};
    korvalin::imap::CImapWatcher::Timing timing;
    timing.restart = std::chrono::seconds(1);
    korvalin::imap::CImapWatcher watcher(
        [&](korvalin::imap::CImapConnection& connection) {
            return connection.Open("127.0.0.1", server.Port()) && connection.Login("user", "secret");
        },
        [&] { ++announced; }, "INBOX", timing);
    watcher.Start();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (server.CommandsNamed("IDLE").size() < 2 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    watcher.Stop();
    EXPECT_GE(server.CommandsNamed("IDLE").size(), 2u) << "IDLE is renewed after the restart time";
    EXPECT_GE(announced.load(), 2) << "each EXISTS is announced";
    EXPECT_EQ(watcher.Sessions(), 1) << "renewing needs no new connection";
}

TEST(ImapPush, AServerWithoutIdleLeavesTheFolderToTheTimer)
{
    ScriptedImapServer server({}, kPlainCaps);
    auto provider = LoggedIn(server);
    EXPECT_EQ(provider->Watcher(), nullptr);
    EXPECT_EQ(server.ConnectionCount(), 1);
}

// The push connection belongs to the profile it was opened for: a new one
// (the program gives one when the account logs off) or the end of the
// provider object closes it.
TEST(ImapPush, TheIdleConnectionEndsWithANewProfileAndWithTheProvider)
{
    for (const bool deleteIt : {false, true}) {
        ScriptedImapServer server([&](const ImapCommand& command) -> std::optional<PeerReply> {
            if (command.Name == "EXAMINE")
                return PeerReply{Examine(1, 1, 2)};
            if (command.Name == "IDLE")
                return PeerReply{"+ idling\r\n"};
            return std::nullopt;
        });
        auto provider = LoggedIn(server);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!provider->Watcher()->Idling() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(provider->Watcher()->Idling());
        ASSERT_EQ(server.ConnectionCount(), 2);
        EXPECT_EQ(server.EndedCount(), 0);
        if (deleteIt)
            provider.reset();
        else
            provider->SetUserProfile("user=User=user@example.net=" + server.Address() + "=127.0.0.1:1", "");
        while (server.EndedCount() < 2 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(server.EndedCount(), 2) << (deleteIt ? "deleted" : "new profile");
        if (!deleteIt) {
            CSummaryArray list;
            EXPECT_FALSE(provider->GetMailSummary(list, -1)) << "nothing is served before the next login";
        }
    }
}

// Literals are read by their size: a bare LF or CR inside one is data.
TEST(ImapDialogue, LiteralsHoldBareLineEndsAsData)
{
    const std::string body = "From: Ann <ann@example.org>\r\nSubject: odd\r\n\r\nbare LF\nbare CR\rend\n";
    ScriptedImapServer server(
        [&](const ImapCommand& command) -> std::optional<PeerReply> {
            if (command.Name == "UID FETCH")
                return PeerReply{"* 1 FETCH (UID 7 BODY[] {" + std::to_string(body.size()) + "}\r\n" + body +
                                 " FLAGS (\\Seen))\r\n$T OK done\r\n"};
            return std::nullopt;
        },
        kPlainCaps);
    korvalin::imap::CImapConnection connection;
    ASSERT_TRUE(connection.Open("127.0.0.1", server.Port()));
    ASSERT_TRUE(connection.Login("user", "secret"));
    korvalin::imap::FetchItems items;
    bool taken = false;
    auto take = [&](const korvalin::imap::ImapResponse& response) {
        taken = korvalin::imap::TakeFetch(response, items) || taken;
    };
    ASSERT_EQ(connection.Run("UID FETCH 7 (UID BODY.PEEK[])", take), korvalin::imap::CImapConnection::Ok)
        << connection.LastError;
    ASSERT_TRUE(taken);
    EXPECT_EQ(items.body, body);
    EXPECT_TRUE(items.seen) << "the items after the literal are read too";
    EXPECT_EQ(connection.Run("NOOP"), korvalin::imap::CImapConnection::Ok) << "the dialogue goes on";
}

// A first listing sends its UID FETCH right behind EXAMINE; when EXAMINE
// fails, the answer to the FETCH is read and dropped and the dialogue stays in step.
TEST(ImapDialogue, AFailedExamineOfAFirstListingKeepsTheDialogueInStep)
{
    std::atomic<int> examines{0};
    ScriptedImapServer server(
        [&](const ImapCommand& command) -> std::optional<PeerReply> {
            if (command.Name == "EXAMINE")
                return examines++ == 0 ? PeerReply{"$T NO [TRYCREATE] no such mailbox\r\n"}
                                       : PeerReply{Examine(1, 1, 2)};
            if (command.Name == "UID FETCH")
                return examines == 1 ? PeerReply{"$T BAD no mailbox selected\r\n"}
                                     : PeerReply{FetchLine(1, 1, "One") + "$T OK done\r\n"};
            return std::nullopt;
        },
        kPlainCaps);
    auto provider = LoggedIn(server);
    CSummaryArray list;
    EXPECT_FALSE(provider->GetMailSummary(list, -1));
    EXPECT_THAT(provider->LastError(), HasSubstr("no such mailbox"));
    ASSERT_TRUE(provider->GetMailSummary(list, -1)) << provider->LastError();
    EXPECT_THAT(Subjects(list), ElementsAre("One"));
    EXPECT_EQ(server.ConnectionCount(), 1);
}

}  // namespace
