// The plug-in against real servers: Dovecot for IMAP (over TLS, with the
// tests' own CA trusted) and aiosmtpd for SMTP (delivering into the inbox),
// started once for this binary by imap_fixture.sh. Skipped only when either
// server is not installed.
#include "ImapProvider.h"
#include "RealImapServers.h"
#include "TestCertificates.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using korvalin::test::RealImapServers;
using testing::HasSubstr;
using namespace std::chrono_literals;

namespace {

class RealServers : public testing::Environment {
public:
    void SetUp() override
    {
        SkipReason = RealImapServers::MissingReason();
        if (!SkipReason.empty())
            return;
        const korvalin::test::TestCertificates& certificates = korvalin::test::Certificates();
        if (!certificates.Error.empty()) {
            StartError = certificates.Error;
            return;
        }
        Trust = std::make_unique<korvalin::test::ScopedTrust>(certificates.CaFile);
        Servers = std::make_unique<RealImapServers>();
        if (!Servers->Start(StartError, certificates.Directory))
            Servers.reset();
    }
    void TearDown() override
    {
        Servers.reset();
        Trust.reset();
    }

    static inline std::unique_ptr<RealImapServers> Servers;
    static inline std::unique_ptr<korvalin::test::ScopedTrust> Trust;
    static inline std::string SkipReason;
    static inline std::string StartError;
};

[[maybe_unused]] testing::Environment* const kServers = testing::AddGlobalTestEnvironment(new RealServers);

// Records the provider's "folder changed" calls.
class RecordingLink : public CHostLink {
public:
    void FolderChanged(int folder) override
    {
        std::lock_guard lock(Mutex);
        Folders.push_back(folder);
        Changed.notify_all();
    }
    // Waits until more than seen calls came; false after timeout.
    bool WaitForMore(size_t seen, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(Mutex);
        return Changed.wait_for(lock, timeout, [&] { return Folders.size() > seen; });
    }
    size_t Count()
    {
        std::lock_guard lock(Mutex);
        return Folders.size();
    }
    int Last()
    {
        std::lock_guard lock(Mutex);
        return Folders.empty() ? -2 : Folders.back();
    }
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<int> Folders;
};

class RealImapTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!RealServers::SkipReason.empty())
            GTEST_SKIP() << RealServers::SkipReason;
        ASSERT_NE(RealServers::Servers, nullptr) << RealServers::StartError;
        Servers().ClearMailboxes();
    }

    static RealImapServers& Servers() { return *RealServers::Servers; }

    std::unique_ptr<CImapProvider> Provider(RecordingLink** link = nullptr)
    {
        auto provider = std::make_unique<CImapProvider>();
        auto* recording = new RecordingLink;
        provider->HostLink = recording;
        if (link != nullptr)
            *link = recording;
        provider->PushTiming.firstPause = 100ms;
        provider->SetUserProfile(Servers().AccountLine(), RealImapServers::kPassword);
        EXPECT_TRUE(provider->DoLogin()) << provider->LastError();
        return provider;
    }

    void Deliver(const std::string& subject, const std::string& extraHeader = "")
    {
        const std::string text = "From: Sender <sender@example.org>\nTo: testuser@example.net\nSubject: " + subject +
                                 "\nDate: Mon, 7 Dec 1998 10:20:30 +0000\nMessage-ID: <" + subject +
                                 "@example.org>\n" + extraHeader + "\nBody of " + subject + "\n";
        Servers().Deliver(text, "mail-" + std::to_string(++Delivered) + "-" + subject);
    }

    static int FolderIndex(const CStringArray& folders, const std::string& name)
    {
        for (size_t i = 0; i < folders.size(); ++i)
            if (folders[i] == name)
                return static_cast<int>(i);
        return -2;
    }

    static bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    int Delivered = 0;
};

TEST_F(RealImapTest, FoldersListingFetchAndSeen)
{
    Deliver("first", "");
    Deliver("second", "Content-Type: text/plain; charset=utf-8\n");
    auto provider = Provider();
    CStringArray folders;
    ASSERT_TRUE(provider->GetFolders(folders));
    EXPECT_THAT(folders, testing::UnorderedElementsAre("Sent", "Trash", "Drafts"));

    CSummaryArray list;
    ASSERT_TRUE(provider->GetMailSummary(list, -1)) << provider->LastError();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Subject, "first");
    EXPECT_EQ(list[0].From, "Sender <sender@example.org>");
    EXPECT_EQ(list[0].Date, "1998/12/7");
    EXPECT_EQ(list[0].MessageId, "<first@example.org>");
    EXPECT_FALSE(list[0].Size.empty());
    EXPECT_TRUE(list[0].New);
    EXPECT_TRUE(list[1].New);

    std::string body;
    CMailMessage message;
    ASSERT_TRUE(provider->GetMail(list[1].Locator, body, message)) << provider->LastError();
    EXPECT_EQ(message.Subject, "second");
    EXPECT_EQ(message.From, "Sender <sender@example.org>");
    EXPECT_THAT(message.To, HasSubstr("testuser@example.net"));
    EXPECT_THAT(body, HasSubstr("Body of second"));

    // Another client (a fresh provider) sees the mail as read.
    auto other = Provider();
    CSummaryArray again;
    ASSERT_TRUE(other->GetMailSummary(again, -1));
    ASSERT_EQ(again.size(), 2u);
    EXPECT_TRUE(again[0].New);
    EXPECT_FALSE(again[1].New);
    // And this one learns it on its next check.
    CSummaryArray mine;
    ASSERT_TRUE(provider->GetMailSummary(mine, -1));
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_FALSE(mine[1].New);
}

TEST_F(RealImapTest, DeletingMovesTheMailToTrash)
{
    Deliver("doomed");
    Deliver("kept");
    auto provider = Provider();
    CStringArray folders;
    ASSERT_TRUE(provider->GetFolders(folders));
    CSummaryArray list;
    ASSERT_TRUE(provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 2u);
    ASSERT_TRUE(provider->DeleteMail(list[0].Locator)) << provider->LastError();
    CSummaryArray after;
    ASSERT_TRUE(provider->GetMailSummary(after, -1));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].Subject, "kept");
    CSummaryArray trash;
    ASSERT_TRUE(provider->GetMailSummary(trash, FolderIndex(folders, "Trash")));
    ASSERT_EQ(trash.size(), 1u);
    EXPECT_EQ(trash[0].Subject, "doomed");
    EXPECT_EQ(Servers().MailCount(), 1);
    EXPECT_EQ(Servers().MailCount("Trash"), 1);
}

TEST_F(RealImapTest, SendingKeepsACopyInSentWhenAsked)
{
    auto provider = Provider();
    CStringArray folders;
    ASSERT_TRUE(provider->GetFolders(folders));
    for (bool keep : {false, true}) {
        CMailMessage mail;
        mail.To = "Friend <friend@example.com>";
        mail.Subject = keep ? "kept copy" : "no copy";
        mail.Body = "Hello there.\n.\nBye.";
        mail.SaveCopy = keep;
        ASSERT_TRUE(provider->SendMail(mail)) << provider->LastError();
    }
    EXPECT_TRUE(WaitUntil([] { return Servers().MailCount() == 2; }, 5s)) << "aiosmtpd delivered both";
    EXPECT_EQ(Servers().MailCount("Sent"), 1);
    EXPECT_THAT(Servers().FindMail("Sent", "kept copy"), HasSubstr("Hello there.\n.\nBye."));
    CSummaryArray sent;
    ASSERT_TRUE(provider->GetMailSummary(sent, FolderIndex(folders, "Sent")));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Subject, "kept copy");
    EXPECT_FALSE(sent[0].New);
}

TEST_F(RealImapTest, NewMailDuringIdleIsAnnouncedAtOnce)
{
    RecordingLink* link = nullptr;
    auto provider = Provider(&link);
    ASSERT_NE(provider->Watcher(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return provider->Watcher()->Idling(); }, 5s)) << provider->Watcher()->LastError();
    const size_t before = link->Count();
    const auto delivered = std::chrono::steady_clock::now();
    Deliver("pushed");
    ASSERT_TRUE(link->WaitForMore(before, 2s)) << "no announcement within 2 s";
    EXPECT_LT(std::chrono::steady_clock::now() - delivered, 2s);
    EXPECT_EQ(link->Last(), -1);
    CSummaryArray list;
    ASSERT_TRUE(provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Subject, "pushed");
}

TEST_F(RealImapTest, PushSurvivesAServerRestart)
{
    RecordingLink* link = nullptr;
    auto provider = Provider(&link);
    ASSERT_TRUE(WaitUntil([&] { return provider->Watcher()->Idling(); }, 5s));
    std::string error;
    ASSERT_TRUE(Servers().RestartImap(error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return provider->Watcher()->Sessions() >= 2 && provider->Watcher()->Idling(); }, 15s))
        << provider->Watcher()->LastError();
    const size_t before = link->Count();
    Deliver("after restart");
    ASSERT_TRUE(link->WaitForMore(before, 2s)) << "no announcement within 2 s after the restart";
    // The operations' connection died with the server too: it is opened again.
    CSummaryArray list;
    ASSERT_TRUE(provider->GetMailSummary(list, -1)) << provider->LastError();
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(RealImapTest, EverySecurityModeEndsInTlsAndAStrangeCertificateIsRefused)
{
    using korvalin::Security;
    struct Case {
        const char* what;
        int port;
        Security mode;
        std::string field;
    };
    const Case cases[] = {
        {"IMAPS", Servers().ImapsPort(), Security::ImplicitTls, "imaps://127.0.0.1:" + std::to_string(Servers().ImapsPort())},
        {"STARTTLS required", Servers().ImapPort(), Security::StartTlsRequired, "imap://127.0.0.1:" + std::to_string(Servers().ImapPort())},
        {"STARTTLS when offered", Servers().ImapPort(), Security::Opportunistic, "127.0.0.1:" + std::to_string(Servers().ImapPort())},
    };
    for (const Case& c : cases) {
        korvalin::imap::CImapConnection connection;
        ASSERT_TRUE(connection.Open("127.0.0.1", c.port, c.mode)) << c.what << ": " << connection.LastError;
        EXPECT_TRUE(connection.IsTls()) << c.what;
        EXPECT_FALSE(connection.Has("STARTTLS")) << c.what << ": the capabilities are the ones said under TLS";
        EXPECT_TRUE(connection.Login(RealImapServers::kUser, RealImapServers::kPassword)) << c.what;
        connection.Logout();

        CImapProvider provider;
        provider.SetUserProfile("testuser=Test User=testuser@example.net=" + c.field + "=127.0.0.1:" +
                                    std::to_string(Servers().SmtpPort()),
                                RealImapServers::kPassword);
        EXPECT_TRUE(provider.DoLogin()) << c.what << ": " << provider.LastError();
    }
    korvalin::test::ScopedTrust strange(korvalin::test::Certificates().OtherCaFile);
    for (const Case& c : cases) {
        korvalin::imap::CImapConnection connection;
        EXPECT_FALSE(connection.Open("127.0.0.1", c.port, c.mode)) << c.what;
        EXPECT_THAT(connection.LastError, HasSubstr("TLS")) << c.what;
    }
}

}  // namespace
