// The plug-in against real servers: Dovecot for POP3 and aiosmtpd for SMTP
// (delivering into Dovecot's maildir), both started once for this binary by
// mail_fixture.sh. Skipped only when either server is not installed.
#include "PopTestSupport.h"
#include "RealMailServers.h"
#include "RecordingRelay.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <thread>

using korvalin::test::RealMailServers;
using korvalin::test::RecordingRelay;
using testing::HasSubstr;

namespace {

class RealServers : public testing::Environment {
public:
    void SetUp() override
    {
        SkipReason = RealMailServers::MissingReason();
        if (!SkipReason.empty())
            return;
        Servers = std::make_unique<RealMailServers>();
        if (!Servers->Start(StartError))
            Servers.reset();
    }
    void TearDown() override { Servers.reset(); }

    static inline std::unique_ptr<RealMailServers> Servers;
    static inline std::string SkipReason;
    static inline std::string StartError;
};

[[maybe_unused]] testing::Environment* const kServers = testing::AddGlobalTestEnvironment(new RealServers);

class RealServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!RealServers::SkipReason.empty())
            GTEST_SKIP() << RealServers::SkipReason;
        ASSERT_NE(RealServers::Servers, nullptr) << RealServers::StartError;
        Servers().ClearMailbox();
    }

    static RealMailServers& Servers() { return *RealServers::Servers; }

    std::unique_ptr<CPopProvider> Provider(const std::string& password = RealMailServers::kPassword)
    {
        auto provider = std::make_unique<CPopProvider>();
        provider->SetUserProfile(Servers().AccountLine(), password);
        return provider;
    }

    // Delivers a mail and lets Dovecot number it before the next one.
    void Deliver(const std::string& id, const std::string& subject, const std::string& extraHeader = "")
    {
        std::string text = "From: Sender <sender@example.org>\nTo: testuser@example.net\nSubject: " + subject +
                           "\nDate: Mon, 7 Dec 1998 10:20:30 +0000\n" + extraHeader +
                           (id.empty() ? "" : "Message-ID: <" + id + ">\n") + "\nBody of " + subject + "\n";
        Servers().Deliver(text, "mail-" + std::to_string(++Delivered) + "-" + subject);
        ASSERT_TRUE(Provider()->DoLogin());
    }

    static const SummaryEntry* BySubject(const CSummaryArray& list, const std::string& subject)
    {
        for (const SummaryEntry& entry : list)
            if (entry.Subject == subject)
                return &entry;
        return nullptr;
    }

    int Delivered = 0;
};

std::string TodayInSummaryForm()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    // The mail's Date header writes the day with two digits.
    std::snprintf(text, sizeof text, "%d/%02d/%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

}  // namespace

TEST_F(RealServerTest, SendListFetchAndDeleteRoundTrip)
{
    Deliver("other@example.org", "Someone else's mail");
    auto provider = Provider();
    ASSERT_TRUE(provider->DoLogin());

    CMailMessage outgoing;
    outgoing.To = "Test User <testuser@example.net>";
    outgoing.CC = "cc@example.org";
    outgoing.BCC = "hidden@example.org";
    outgoing.Subject = "Round trip";
    outgoing.Body = "Hello <friend> & co.\r\n.starts with a dot\r\n.\r\n..two dots\r\nend";
    ASSERT_TRUE(provider->SendMail(outgoing)) << provider->Smtp.LastError;

    std::vector<std::string> envelopes = Servers().Envelopes();
    ASSERT_EQ(envelopes.size(), 1u);
    EXPECT_THAT(envelopes[0], HasSubstr("\"mail_from\": \"testuser@example.net\""));
    EXPECT_THAT(envelopes[0],
                HasSubstr("\"rcpt_tos\": [\"testuser@example.net\", \"cc@example.org\", \"hidden@example.org\"]"));

    CSummaryArray list;
    ASSERT_TRUE(provider->GetMailSummary(list, -1)) << provider->Pop.LastError;
    ASSERT_EQ(list.size(), 2u);
    const SummaryEntry* sent = BySubject(list, "Round trip");
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->From, "testuser@example.net");
    EXPECT_EQ(sent->Date, TodayInSummaryForm());
    EXPECT_TRUE(sent->New);
    EXPECT_FALSE(sent->MessageId.empty());  // aiosmtpd adds no Message-ID: the UIDL stands in

    std::string body;
    CMailMessage fetched;
    ASSERT_TRUE(provider->GetMail(sent->Locator, body, fetched)) << provider->Pop.LastError;
    EXPECT_EQ(fetched.From, "testuser@example.net");
    EXPECT_EQ(fetched.Subject, "Round trip");
    EXPECT_EQ(fetched.To, "testuser@example.net;cc@example.org;");
    EXPECT_EQ(fetched.CC, "");
    EXPECT_EQ(body, korvalin::test::PlainPage("Hello &lt;friend&gt; &amp; co.\n.starts with a dot\n.\n..two dots\nend\n\n"));

    ASSERT_TRUE(provider->DeleteMail(sent->Locator)) << provider->Pop.LastError;
    CSummaryArray after;
    ASSERT_TRUE(provider->GetMailSummary(after, -1));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].Subject, "Someone else's mail");
    EXPECT_EQ(after[0].MessageId, "<other@example.org>");
}

TEST_F(RealServerTest, WrongPasswordIsRefused)
{
    auto provider = Provider("not the password");
    EXPECT_FALSE(provider->DoLogin());
    EXPECT_EQ(provider->Pop.LastError, "Invalid username/password combination");
}

TEST_F(RealServerTest, MailWithoutMessageIdKeepsItsUidlAcrossChecks)
{
    Deliver("", "No id here");
    Deliver("with@id", "Has an id");
    auto provider = Provider();
    CSummaryArray first;
    CSummaryArray second;
    ASSERT_TRUE(provider->GetMailSummary(first, -1));
    ASSERT_TRUE(provider->GetMailSummary(second, -1));
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].Subject, "No id here");
    EXPECT_EQ(first[0].MessageId.size(), 16u) << first[0].MessageId;  // Dovecot's UIDL
    EXPECT_EQ(first[0].MessageId, second[0].MessageId);
    EXPECT_EQ(first[0].Locator, first[0].MessageId + "##1");

    std::string body;
    CMailMessage message;
    ASSERT_TRUE(provider->GetMail(first[0].Locator, body, message));
    EXPECT_EQ(message.Subject, "No id here");
    ASSERT_TRUE(provider->DeleteMail(first[0].Locator));
    EXPECT_EQ(Servers().MailCount(), 1);
}

TEST_F(RealServerTest, MailDeletedByAnotherClientDoesNotMisleadDelete)
{
    Deliver("one@x", "One");
    Deliver("two@x", "Two");
    Deliver("three@x", "Three");
    auto provider = Provider();
    CSummaryArray list;
    ASSERT_TRUE(provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 3u);
    ASSERT_EQ(list[2].Locator, "<three@x>##3");

    // Another client removes the first mail: Two is number 1 now, Three number 2.
    auto other = Provider();
    ASSERT_TRUE(other->DeleteMail(list[0].Locator));
    ASSERT_TRUE(provider->DeleteMail(list[2].Locator));
    EXPECT_FALSE(provider->DeleteMail(list[0].Locator));

    CSummaryArray left;
    ASSERT_TRUE(provider->GetMailSummary(left, -1));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].Subject, "Two");
    EXPECT_EQ(left[0].Locator, "<two@x>##1");
}

TEST_F(RealServerTest, TwoThreadsCheckTheSameMailboxAtOnce)
{
    for (int i = 0; i < 5; ++i)
        Deliver("m" + std::to_string(i) + "@x", "Mail " + std::to_string(i));
    auto provider = Provider();
    CSummaryArray first;
    CSummaryArray second;
    bool firstOk = false;
    bool secondOk = false;
    std::thread one([&] { firstOk = provider->GetMailSummary(first, -1); });
    std::thread two([&] { secondOk = provider->GetMailSummary(second, -1); });
    one.join();
    two.join();
    EXPECT_TRUE(firstOk);
    EXPECT_TRUE(secondOk);
    EXPECT_EQ(first.size(), 5u);
    EXPECT_EQ(second.size(), 5u);
}

TEST_F(RealServerTest, SecondCheckSendsNoTop)
{
    for (int i = 0; i < 6; ++i)
        Deliver("c" + std::to_string(i) + "@x", "Check " + std::to_string(i));
    RecordingRelay relay(Servers().PopPort());
    CPopProvider provider;
    provider.SetUserProfile("testuser=Test=testuser@example.net=" + relay.Address() + "=127.0.0.1:1",
                            RealMailServers::kPassword);

    CSummaryArray first;
    ASSERT_TRUE(provider.GetMailSummary(first, -1)) << provider.Pop.LastError;
    ASSERT_EQ(first.size(), 6u);
    EXPECT_EQ(relay.CountLines("TOP "), 6);
    EXPECT_GE(relay.LargestBatch(), 7);  // Dovecot pipelines: UIDL and the six TOP commands at once

    relay.Clear();
    CSummaryArray second;
    ASSERT_TRUE(provider.GetMailSummary(second, -1));
    ASSERT_EQ(second.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(second[i].Locator, first[i].Locator);
        EXPECT_EQ(second[i].Subject, first[i].Subject);
        EXPECT_EQ(second[i].Date, first[i].Date);
        EXPECT_EQ(second[i].From, first[i].From);
    }
    EXPECT_THAT(relay.ClientLines(), testing::ElementsAre("CAPA", "USER testuser", "PASS secret", "STAT", "UIDL", "QUIT"));

    // Fetching and deleting know the mails by their UIDL: no TOP either.
    relay.Clear();
    std::string body;
    CMailMessage message;
    ASSERT_TRUE(provider.GetMail(first[2].Locator, body, message));
    EXPECT_EQ(message.Subject, "Check 2");
    ASSERT_TRUE(provider.DeleteMail(first[0].Locator));
    EXPECT_EQ(relay.CountLines("TOP "), 0);

    // A new mail costs exactly one TOP; the deleted one is forgotten.
    Deliver("new@x", "Arrived later");
    relay.Clear();
    CSummaryArray third;
    ASSERT_TRUE(provider.GetMailSummary(third, -1));
    ASSERT_EQ(third.size(), 6u);
    EXPECT_EQ(third[0].Subject, "Check 1");
    EXPECT_EQ(third[0].Locator, "<c1@x>##1");
    EXPECT_EQ(third[5].Subject, "Arrived later");
    EXPECT_EQ(relay.CountLines("TOP "), 1);
}

TEST_F(RealServerTest, RestartKeepsTheHeadersUntilTheMailboxChanges)
{
    for (int i = 0; i < 4; ++i)
        Deliver("r" + std::to_string(i) + "@x", "Restart " + std::to_string(i));
    std::filesystem::path root = std::filesystem::path(Servers().Maildir()).parent_path() / "data-root";
    std::filesystem::create_directories(root / "Accounts" / "testuser.POPMail");
    RecordingRelay relay(Servers().PopPort());
    auto start = [&] {
        auto provider = std::make_unique<CPopProvider>();
        provider->DataRoot = root;
        provider->SetUserProfile("testuser=Test=testuser@example.net=" + relay.Address() + "=127.0.0.1:1",
                                 RealMailServers::kPassword);
        CSummaryArray list;
        EXPECT_TRUE(provider->GetMailSummary(list, -1)) << provider->Pop.LastError;
        std::vector<std::string> lines;
        for (const SummaryEntry& e : list)
            lines.push_back(e.From + "|" + e.Subject + "|" + e.Date + "|" + e.Locator);
        return lines;
    };
    std::vector<std::string> first = start();
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(relay.CountLines("TOP "), 4);

    relay.Clear();
    EXPECT_EQ(start(), first);
    EXPECT_EQ(relay.CountLines("TOP "), 0);

    // The same mails delivered anew carry new unique ids: every header again.
    Servers().ClearMailbox();
    for (int i = 0; i < 4; ++i)
        Deliver("r" + std::to_string(i) + "@x", "Restart " + std::to_string(i));
    relay.Clear();
    EXPECT_EQ(start(), first);
    EXPECT_EQ(relay.CountLines("TOP "), 4);
    std::filesystem::remove_all(root);
}
