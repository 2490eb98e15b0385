// Opening, downloading and deleting mails of a folder's summary, and what
// the request worker does with them.
#include <chrono>
#include <thread>
#include "MailTestBed.h"

using namespace korvalin;
using namespace korvalin::test;

namespace {

constexpr const char* kCounterRow = "This entry tells you the number of mails in this folder";

class MailOperations : public MailTest {
protected:
    // The inbox with read mails a, b and c that have no local copy yet.
    std::shared_ptr<FolderSummary> OpenWithThreeReadMails()
    {
        for (const char* id : {"<a>", "<b>", "<c>"})
            script->AddMail(-1, MakeMail(id, false));
        bed.engine->Settings().SetFlag(setting::kAskBeforeDelete, false);
        auto summary = OpenAndSettle(*joe->Inbox());
        bed.ui.Reset();
        return summary;
    }

    void GoOfflineQuietly() { bed.engine->Online().SetOnline(false); }
};

}  // namespace

TEST_F(MailOperations, TheCounterRowCannotBeOpenedDeletedOrDeletedFromTheServer)
{
    auto summary = OpenWithThreeReadMails();
    summary->OpenMail(0);
    EXPECT_FALSE(summary->DeleteMailAt(0, true));
    summary->DeleteFromServer({0});
    summary->Delete({0});
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>(4, kCounterRow));
    EXPECT_EQ(summary->RowCount(), 4u);
    EXPECT_TRUE(script->Deleted().empty());
    EXPECT_TRUE(bed.ui.MailWindows().empty());
}

TEST_F(MailOperations, OpeningFetchesCachesAndShowsTheMailOnce)
{
    script->AddMail(-1, MakeMail("<a>"));
    auto summary = OpenAndSettle(*joe->Inbox());
    ASSERT_EQ(engine().NewMail().Count(), 1u);
    summary->ClearLocalCopy({1});
    ASSERT_FALSE(summary->Rows()[1].cached);
    summary->RememberMailWindowRect({10, 20, 300, 200});

    summary->Open({1});
    ASSERT_EQ(bed.ui.MailWindows().size(), 1u);
    MailWindowRequest window = bed.ui.MailWindows()[0];
    EXPECT_EQ(window.title, "Mail from ann@example.org: Subject <a>");
    EXPECT_EQ(window.to, "joe@example.org");
    EXPECT_EQ(window.cc, "cc@example.org");
    EXPECT_EQ(window.row, 1);
    EXPECT_EQ(window.summary, summary);
    ASSERT_TRUE(window.rect);
    EXPECT_EQ(window.rect->width, 300);
    EXPECT_EQ(ReadFile(window.cachedFile), std::string("<p>Body <a></p>\nend"));
    EXPECT_EQ(bed.ui.StatusTexts(kMessagePane), (std::vector<std::string>{"Retrieving mail..", ""}));
    EXPECT_EQ(summary->Rows()[1].image, rowimage::kReadCached);
    EXPECT_EQ(engine().NewMail().Count(), 0u);
    EXPECT_EQ(bed.ui.CountCalls("StopTrayAnimation"), 1u) << "the last new mail was read";
    EXPECT_EQ(bed.ui.LastLabels()["joe@Mail/Inbox"], "Inbox");

    summary->OpenMail(1);
    EXPECT_EQ(script->Fetched().size(), 2u) << "the second time it opens from the local copy";
    EXPECT_FALSE(bed.ui.MailWindows()[1].rect) << "the remembered place is used once";
}

TEST_F(MailOperations, OfflineOnlyMailsWithALocalCopyOpen)
{
    auto summary = OpenWithThreeReadMails();
    summary->Download({1});
    GoOfflineQuietly();
    summary->OpenMail(2);
    ASSERT_EQ(bed.ui.MessageTexts().size(), 1u);
    EXPECT_EQ(bed.ui.MessageTexts()[0].rfind("This mail is not available offline.", 0), 0u);
    summary->OpenMail(1);
    EXPECT_EQ(bed.ui.MailWindows().size(), 1u);
    EXPECT_EQ(script->Fetched().size(), 1u) << "opening offline touches no network";
}

TEST_F(MailOperations, AFailedRetrievalTellsAndDropsTheLocalCopy)
{
    FakeMail broken = MakeMail("<a>", false);
    broken.headers.From.clear();
    script->AddMail(-1, broken);
    auto summary = OpenAndSettle(*joe->Inbox());
    summary->OpenMail(1);
    ASSERT_EQ(bed.ui.MessageTexts().size(), 1u);
    EXPECT_EQ(bed.ui.MessageTexts()[0].rfind("Could not retrieve the mail. You have most likely been logged out.", 0),
              0u);
    EXPECT_TRUE(bed.ui.MailWindows().empty());
    EXPECT_TRUE(summary->Entry(1)->Cache.empty());
    EXPECT_EQ(summary->Rows()[1].image, rowimage::kReadUncached);
    EXPECT_EQ(bed.ui.CountCalls("SelectMail <a>"), 1u) << "the row of the failed mail is selected";
}

TEST_F(MailOperations, AMailGoneFromTheServerWhoseLocalCopyIsMissingIsNeverFetched)
{
    auto summary = OpenWithThreeReadMails();
    summary->Download({1});
    summary->DeleteFromServer({1});
    Settle();
    ASSERT_EQ(summary->Entry(1)->Locator, "(cached)");
    std::filesystem::remove(CacheFile(*joe, summary->Entry(1)->Cache));
    const size_t fetched = script->Fetched().size();
    bed.ui.Reset();

    summary->OpenMail(1);
    summary->Download({1});
    EXPECT_EQ(script->Fetched().size(), fetched);
    EXPECT_TRUE(bed.ui.MailWindows().empty());
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{"The local copy of this mail is missing, and the mail is "
                                                              "no longer on the server. It cannot be shown."});
    EXPECT_FALSE(summary->Rows()[1].cached);
}

TEST_F(MailOperations, DownloadingAMixedSelectionFetchesOnlyMailsWithoutALocalCopy)
{
    auto summary = OpenWithThreeReadMails();
    summary->Download({2});
    summary->Download({0, 1, 2, 3});
    EXPECT_EQ(script->Fetched(), (std::vector<std::string>{"loc-<b>", "loc-<a>", "loc-<c>"}));
    std::vector<std::string> progress = bed.ui.StatusTexts(kProgressPane);
    EXPECT_EQ(progress.back(), "100.0%");
    EXPECT_EQ(std::vector<std::string>(progress.end() - 4, progress.end()),
              (std::vector<std::string>{"25.0%", "50.0%", "75.0%", "100.0%"}));
    for (const SummaryRow& row : summary->Rows())
        EXPECT_TRUE(row.cached);
    EXPECT_EQ(summary->Rows()[1].image, rowimage::kReadCached);
}

TEST_F(MailOperations, DeleteOnDownloadLeavesOnlyTheLocalCopyOnceItIsSafe)
{
    joe->Update([](AccountState& state) { state.pop.deleteFromServer = true; });
    FakeMail broken = MakeMail("<broken>");
    broken.headers.From.clear();
    script->AddMail(-1, MakeMail("<a>"));
    script->AddMail(-1, broken);
    auto summary = OpenAndSettle(*joe->Inbox());

    EXPECT_EQ(summary->Entry(1)->Locator, "(cached)");
    EXPECT_TRUE(summary->Rows()[1].cached);
    EXPECT_EQ(script->Deleted(), std::vector<std::string>{"loc-<a>"})
        << "a mail whose fetch failed is never deleted from the server";
    EXPECT_EQ(summary->Entry(2)->Locator, "loc-<broken>");

    summary->Download({1});
    Settle();
    EXPECT_EQ(script->Deleted().size(), 1u);
    EXPECT_EQ(script->Fetched().size(), 2u) << "downloading it again does nothing";
}

// Whatever ends the program, a mail gone from the server is listed in the
// summary file; a file that cannot be written keeps the mail on the server.
TEST_F(MailOperations, ALocalCopyIsInTheSummaryFileBeforeTheServerCopyGoes)
{
    joe->Update([](AccountState& state) { state.pop.deleteFromServer = true; });
    script->AddMail(-1, MakeMail("<a>", false));
    auto summary = OpenAndSettle(*joe->Inbox());
    summary->Download({1});
    Settle();
    EXPECT_NE(ReadFile(joe->Folder() / "Inbox.sum").find("MSGID=<a>"), std::string::npos) << "the window is open";
    EXPECT_EQ(script->Deleted(), std::vector<std::string>{"loc-<a>"});

    script->AddMail(-1, MakeMail("<b>", false));
    engine().Mail().CheckFolder(*joe->Inbox(), false);
    Settle();
    std::filesystem::remove(joe->Folder() / "Inbox.sum");
    std::filesystem::create_directories(joe->Folder() / "Inbox.sum" / "in-the-way");
    summary->Download({summary->FindRow("<b>")});
    Settle();
    EXPECT_EQ(script->Deleted(), std::vector<std::string>{"loc-<a>"});
    EXPECT_EQ(summary->Entry(summary->FindRow("<b>"))->Locator, "loc-<b>");
}

TEST_F(MailOperations, DeletingOnlineRemovesTheRowsAfterTheQuestionsAndQueuesServerDeletions)
{
    auto summary = OpenWithThreeReadMails();
    summary->Download({3});
    summary->DeleteFromServer({3});
    Settle();
    ASSERT_EQ(script->Deleted(), std::vector<std::string>{"loc-<c>"});
    const std::filesystem::path copyOfC = CacheFile(*joe, summary->Entry(3)->Cache);
    ASSERT_TRUE(std::filesystem::exists(copyOfC));

    bed.engine->Settings().SetFlag(setting::kAskBeforeDelete, true);
    for (int i = 0; i < 3; ++i)
        bed.ui.QueueReply(MessageAnswer::Yes);
    summary->Delete({3, 1, 2});
    Settle();
    std::vector<MessageBoxRequest> questions = bed.ui.Messages();
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[0].caption, "Delete Mail ?");
    EXPECT_EQ(questions[0].text, "Are you sure you want to delete this mail?");
    EXPECT_EQ(questions[0].checkBoxText, "&Always delete without asking");
    EXPECT_EQ(questions[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(summary->RowCount(), 1u);
    EXPECT_EQ(summary->Rows()[0].subject, "0 mails");
    EXPECT_EQ(script->Deleted(), (std::vector<std::string>{"loc-<c>", "loc-<a>", "loc-<b>"}))
        << "the mail already gone from the server is removed here only";
    EXPECT_FALSE(std::filesystem::exists(copyOfC));
}

TEST_F(MailOperations, TheDeleteQuestionCanBeDeclinedOrSwitchedOff)
{
    auto summary = OpenWithThreeReadMails();
    bed.engine->Settings().SetFlag(setting::kAskBeforeDelete, true);
    bed.ui.QueueReply(MessageAnswer::No, true);
    EXPECT_FALSE(summary->DeleteMailAt(1, true));
    EXPECT_EQ(summary->RowCount(), 4u);
    EXPECT_TRUE(bed.engine->Settings().Flag(setting::kAskBeforeDelete)) << "No leaves the option";

    bed.ui.QueueReply(MessageAnswer::Yes, true);
    EXPECT_TRUE(summary->DeleteMailAt(1, true));
    EXPECT_FALSE(bed.engine->Settings().Flag(setting::kAskBeforeDelete));
    EXPECT_TRUE(summary->DeleteMailAt(1, true));
    EXPECT_EQ(bed.ui.Messages().size(), 2u);
    EXPECT_EQ(Ids(*summary), std::vector<std::string>{"<c>"});
}

TEST_F(MailOperations, OfflineDeletionsAndDownloadsWaitAsPendingActions)
{
    auto summary = OpenWithThreeReadMails();
    GoOfflineQuietly();
    summary->Delete({1});
    summary->Download({2, 3});
    EXPECT_EQ(summary->RowCount(), 4u);
    std::vector<SummaryRow> rows = summary->Rows();
    EXPECT_EQ(rows[1].image, rowimage::kDeleteQueued);
    EXPECT_EQ(rows[2].image, rowimage::kDownloadQueued);
    std::vector<MailRequest> pending = engine().Pending().Snapshot();
    ASSERT_EQ(pending.size(), 3u);
    EXPECT_EQ(pending[0].kind, request::kDelete);
    EXPECT_EQ(pending[0].text, "<a>");
    EXPECT_EQ(pending[0].secondText, "Inbox");
    EXPECT_EQ(pending[0].account, joe);
    EXPECT_EQ(pending[2].kind, request::kDownload);
    EXPECT_EQ(pending[2].text, "<c>");
    Settle();
    EXPECT_TRUE(script->Deleted().empty());
    EXPECT_TRUE(script->Fetched().empty());
}

TEST_F(MailOperations, DeleteFromServerNeedsOnlineModeAndALocalCopyOfEveryMail)
{
    auto summary = OpenWithThreeReadMails();
    summary->Download({1, 2});
    EXPECT_TRUE(summary->CommandStates({0, 1, 2}).deleteFromServer);
    EXPECT_FALSE(summary->CommandStates({1, 3}).deleteFromServer);
    EXPECT_FALSE(summary->CommandStates({}).deleteFromServer);
    EXPECT_FALSE(summary->CommandStates({}).remove);
    EXPECT_TRUE(summary->CommandStates({}).markAsRead);
    GoOfflineQuietly();
    EXPECT_FALSE(summary->CommandStates({1}).deleteFromServer);
    EXPECT_TRUE(summary->CommandStates({1}).remove);
}

TEST_F(MailOperations, ClearingTheLocalCopyKeepsMailsKnownOnlyLocally)
{
    auto summary = OpenWithThreeReadMails();
    summary->Download({1, 2});
    const std::filesystem::path copyOfA = CacheFile(*joe, summary->Entry(1)->Cache);
    summary->DeleteFromServer({2});
    summary->ClearLocalCopy({1, 2});
    EXPECT_FALSE(std::filesystem::exists(copyOfA));
    EXPECT_EQ(summary->Rows()[1].image, rowimage::kReadUncached);
    EXPECT_TRUE(summary->Rows()[2].cached) << "its server copy is gone: this one is the last";
}

TEST_F(MailOperations, AQueuedDownloadFindsItsMailAfterTheRowsMoved)
{
    auto summary = OpenWithThreeReadMails();
    summary->DownloadQueuedMail(1, "<c>");
    EXPECT_EQ(script->Fetched(), std::vector<std::string>{"loc-<c>"});
    summary->DownloadQueuedMail(2, "");
    EXPECT_EQ(script->Fetched().back(), "loc-<b>");
}

TEST_F(MailOperations, TheWorkerSkipsCachedDeletionsAndHandsBackAMailTheServiceRefused)
{
    MailRequest cached;
    cached.kind = request::kDelete;
    cached.text = "(cached)";
    cached.account = joe;
    ASSERT_TRUE(engine().Requests().Queue(cached));

    script->sendResult = false;
    MailRequest send;
    send.kind = request::kSend;
    send.message.To = "ann@example.org";
    send.message.Subject = "Hi";
    send.message.Body = "Hello%20Ann";
    send.typedText = "Hello Ann";
    send.account = joe;
    ASSERT_TRUE(engine().Requests().Queue(send));
    LogMessages();
    Settle();

    EXPECT_TRUE(script->Deleted().empty());
    ASSERT_EQ(bed.ui.UnsentMails().size(), 1u);
    UnsentMail unsent = bed.ui.UnsentMails()[0];
    EXPECT_EQ(unsent.text.rfind("The mail to ann@example.org was not sent", 0), 0u);
    EXPECT_EQ(unsent.message.Subject, "Hi");
    EXPECT_EQ(unsent.typedText, "Hello Ann");
    EXPECT_EQ(unsent.account, joe);
    // The worker may log its Error just after handing the mail back: poll for it.
    std::vector<std::string> log;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::find(log.begin(), log.end(), "The mail to ann@example.org was not sent") == log.end() &&
           std::chrono::steady_clock::now() < deadline) {
        std::vector<std::string> more = LogMessages();
        log.insert(log.end(), more.begin(), more.end());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(std::find(log.begin(), log.end(), "The mail to ann@example.org was not sent"), log.end());
}
