// Going offline and online, the replay of pending actions, and the list.
#include "MailTestBed.h"

#include <chrono>
#include <thread>

using namespace korvalin;
using namespace korvalin::test;
using namespace std::chrono_literals;

namespace {

constexpr const char* kRelogMessage =
    "You have been offline for more than 30 minutes. Korvalin Mail will need log into all your accounts once again.";

class OfflineModeTest : public MailTest {
protected:
    // The inbox with read mails a, b and c without local copies; offline.
    std::shared_ptr<FolderSummary> OfflineWithThreeMails()
    {
        for (const char* id : {"<a>", "<b>", "<c>"})
            script->AddMail(-1, MakeMail(id, false));
        bed.engine->Settings().SetFlag(setting::kAskBeforeDelete, false);
        auto summary = OpenAndSettle(*joe->Inbox());
        engine().Mode().GoOffline();
        bed.ui.Reset();
        return summary;
    }

    void AppendSend(const std::shared_ptr<CAccount>& account, const std::string& to)
    {
        MailRequest send;
        send.kind = request::kSend;
        send.message.To = to;
        send.account = account;
        engine().Pending().Append(send);
    }

    size_t Sent()
    {
        std::lock_guard lock(script->mutex);
        return script->sent.size();
    }
};

}  // namespace

TEST_F(OfflineModeTest, GoingOfflineWaitsForTheQueueStopsTheChecksAndTellsUntilToldNotTo)
{
    script->blockSend = true;
    MailRequest send;
    send.kind = request::kSend;
    send.account = joe;
    ASSERT_TRUE(engine().Requests().Queue(send));
    std::thread releaser([&] {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (bed.ui.StatusTexts(kMessagePane).empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        script->Release();
    });
    bed.ui.QueueReply(MessageAnswer::Ok, true);
    engine().Mode().GoOffline();
    releaser.join();

    EXPECT_EQ(Sent(), 1u) << "the queue was served before going offline";
    EXPECT_EQ(bed.ui.StatusTexts(kMessagePane), (std::vector<std::string>{"Please wait.. 1 pending items", ""}));
    EXPECT_FALSE(bed.engine->Online().Online());
    EXPECT_EQ(bed.ui.StatusTexts(kModePane).back(), "Offline Mode");
    EXPECT_EQ(bed.ui.CountCalls("StopBusyAnimation"), 1u);
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    MessageBoxRequest notice = bed.ui.Messages()[0];
    EXPECT_EQ(notice.caption, "Information..");
    EXPECT_EQ(notice.checkBoxText, "Don't show me this again");
    EXPECT_EQ(notice.text.rfind("You are offline now.", 0), 0u);
    EXPECT_FALSE(bed.engine->Settings().Flag(setting::kNoticeOnOffline));
    EXPECT_FALSE(engine().Mode().CanGoOffline());
    EXPECT_TRUE(engine().Mode().CanGoOnline());
}

TEST_F(OfflineModeTest, GoingOnlineTenMinutesLaterLogsNobodyOffAndReplaysInOrder)
{
    auto summary = OfflineWithThreeMails();
    bed.engine->Settings().SetInt(setting::kCheckInterval, 15);
    summary->Download({1});
    summary->Delete({2});
    AppendSend(joe, "ann@example.org");
    bed.AdvanceClock(10min);
    const int checks = script->SummaryCalls();
    bed.ui.Reset();

    engine().Mode().GoOnline();
    Settle();
    EXPECT_TRUE(bed.engine->Online().Online());
    EXPECT_EQ(bed.ui.StatusTexts(kModePane).back(), "Online Mode");
    ASSERT_EQ(bed.ui.MessageTexts().size(), 1u);
    EXPECT_EQ(bed.ui.MessageTexts()[0].rfind("You are online now.", 0), 0u);
    EXPECT_EQ(script->loginCalls, 0) << "nobody logs in again";
    EXPECT_TRUE(joe->LoggedIn());
    EXPECT_EQ(bed.ui.StatusTexts(kProgressPane), (std::vector<std::string>{"33.3%", "66.7%", "100.0%"}));
    EXPECT_EQ(script->SummaryCalls(), checks) << "less than the check interval offline";

    EXPECT_TRUE(summary->Rows()[1].cached);
    EXPECT_EQ(Ids(*summary), (std::vector<std::string>{"<a>", "<c>"}));
    EXPECT_EQ(script->Deleted(), std::vector<std::string>{"loc-<b>"});
    EXPECT_EQ(Sent(), 1u);
    EXPECT_TRUE(engine().Pending().Empty());
}

TEST_F(OfflineModeTest, AReplayedDeletionAsksAsAnyDeletionAndNoKeepsTheMail)
{
    auto summary = OfflineWithThreeMails();
    summary->Delete({1, 2});
    bed.engine->Settings().SetFlag(setting::kAskBeforeDelete, true);
    bed.engine->Settings().SetFlag(setting::kNoticeOnOnline, false);
    bed.ui.Reset();
    bed.ui.QueueReply(MessageAnswer::Yes);
    bed.ui.QueueReply(MessageAnswer::No);

    engine().Mode().GoOnline();
    Settle();
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>(2, "Are you sure you want to delete this mail?"));
    EXPECT_EQ(Ids(*summary), (std::vector<std::string>{"<b>", "<c>"}));
    EXPECT_EQ(script->Deleted(), std::vector<std::string>{"loc-<a>"});
    EXPECT_EQ(summary->Rows()[1].image, rowimage::kReadUncached) << "the mail kept loses its queued mark";
}

TEST_F(OfflineModeTest, GoingOnlineAfterTheCheckIntervalChecksTheCheckedFoldersFirst)
{
    OfflineWithThreeMails();
    bed.engine->Settings().SetFlag(setting::kNoticeOnOnline, false);
    AppendSend(joe, "ann@example.org");
    const int checks = script->SummaryCalls();
    bed.AdvanceClock(3min);
    engine().Mode().GoOnline();
    Settle();
    EXPECT_EQ(script->SummaryCalls(), checks + 1);
    EXPECT_EQ(bed.ui.StatusTexts(kProgressPane), (std::vector<std::string>{"50.0%", "100.0%"}))
        << "the inbox, then the one action";
    EXPECT_EQ(Sent(), 1u);
}

TEST_F(OfflineModeTest, GoingOnlineAfterThirtyOneMinutesLogsEveryAccountInAgainFirst)
{
    OfflineWithThreeMails();
    AppendSend(joe, "ann@example.org");
    bed.AdvanceClock(31min);
    bed.engine->Settings().SetFlag(setting::kNoticeOnOnline, false);

    engine().Mode().GoOnline();
    Settle();
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{kRelogMessage});
    EXPECT_EQ(script->loginCalls, 1);
    EXPECT_TRUE(joe->LoggedIn());
    EXPECT_EQ(bed.ui.CountCalls("CloseFolderWindow joe@Mail Inbox"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("OpenFolderWindow joe@Mail Inbox"), 1u);
    EXPECT_EQ(Sent(), 1u) << "then the list is replayed";
    EXPECT_EQ(bed.ui.CountCalls("ShowHomePage " + TipsPageUrl(bed.paths)), 0u);
}

TEST_F(OfflineModeTest, GoingOnlineAfterStartingOfflineAlwaysLogsInAgain)
{
    bed.engine->Online().SetStartMode(false);
    bed.engine->Settings().SetFlag(setting::kNoticeOnOnline, false);
    bed.AdvanceClock(1min);
    engine().Mode().GoOnline();
    Settle();
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{kRelogMessage});
    EXPECT_EQ(bed.ui.CountCalls("ShowHomePage " + TipsPageUrl(bed.paths)), 1u);
    EXPECT_TRUE(bed.engine->Online().HasBeenOnline());
    EXPECT_EQ(script->loginCalls, 1);
}

TEST_F(OfflineModeTest, AReplayThatCannotFindItsFolderOrMailSaysSoAndGoesOn)
{
    auto summary = OfflineWithThreeMails();
    bed.engine->Settings().SetFlag(setting::kAutoCheck, false);
    bed.engine->Settings().SetFlag(setting::kNoticeOnOnline, false);
    summary->Download({1});
    MailRequest missing;
    missing.kind = request::kDelete;
    missing.text = "<gone>";
    missing.secondText = "inbox";
    missing.account = joe;
    engine().Pending().Append(missing);
    MailRequest elsewhere = missing;
    elsewhere.kind = request::kDownload;
    elsewhere.secondText = "Archive";
    engine().Pending().Append(elsewhere);
    AppendSend(joe, "ann@example.org");
    engine().Mail().FolderWindowClosed(*joe->Inbox());

    bed.AdvanceClock(5min);
    engine().Mode().GoOnline();
    Settle();
    EXPECT_EQ(bed.ui.MessageTexts(),
              (std::vector<std::string>{"Couldn't find the required folder. Some mails might not be downloaded",
                                        "Couldn't find the required folder. Some mails might not be deleted",
                                        "Couldn't find the required folder. Some mails might not be downloaded"}));
    EXPECT_EQ(Sent(), 1u) << "the replay goes on";
    EXPECT_TRUE(script->Fetched().empty());

    OpenAndSettle(*joe->Inbox());
    engine().Mode().GoOffline();
    engine().Pending().Append(missing);
    bed.ui.Reset();
    engine().Mode().GoOnline();
    EXPECT_EQ(bed.ui.MessageTexts(),
              std::vector<std::string>{"Couldn't find the mail to be deleted. Some mails might not be deleted"});
}

TEST_F(OfflineModeTest, ActionsOfAccountsThatAreNotLoggedInAreSkipped)
{
    OfflineWithThreeMails();
    bed.engine->Settings().SetFlag(setting::kNoticeOnOnline, false);
    joe->Update([](AccountState& state) { state.loggedIn = false; });
    AppendSend(joe, "ann@example.org");
    bed.AdvanceClock(1min);
    engine().Mode().GoOnline();
    Settle();
    EXPECT_EQ(Sent(), 0u);
    EXPECT_TRUE(bed.ui.MessageTexts().empty());
    EXPECT_TRUE(engine().Pending().Empty());
}

TEST_F(OfflineModeTest, TheGoOnlineQuestionComesWhenNoRouteIsFound)
{
    OfflineWithThreeMails();
    hooks.routeUp = false;
    engine().Mode().GoOnline();
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text.rfind("Korvalin couldn't detect your machine to be online.", 0), 0u);
    EXPECT_EQ(bed.ui.Messages()[0].defaultButton, MessageAnswer::No);
    EXPECT_FALSE(bed.engine->Online().Online());

    bed.ui.QueueReply(MessageAnswer::Yes);
    engine().Mode().GoOnline();
    Settle();
    EXPECT_TRUE(bed.engine->Online().Online());
}

TEST_F(OfflineModeTest, ThePendingListNamesEachActionAsItStands)
{
    engine().Mode().ShowPendingActions();
    MailRequest download;
    download.kind = request::kDownload;
    download.text = "<a>";
    download.secondText = "Inbox";
    download.account = joe;
    engine().Pending().Append(download);
    engine().Mode().ShowPendingActions();
    MailRequest odd = download;
    odd.kind = 7;
    engine().Pending().Append(odd);
    AppendSend(joe, "ann@example.org");
    MailRequest deletion = download;
    deletion.kind = request::kDelete;
    deletion.secondText = "Sent";
    engine().Pending().Append(deletion);
    engine().Mode().ShowPendingActions();

    std::vector<MessageBoxRequest> boxes = bed.ui.Messages();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "No pending actions.");
    EXPECT_EQ(boxes[1].text, "Pending actions:\n==================\n1] Download mail from Inbox in joe@Mail\n");
    EXPECT_EQ(boxes[1].icon, MessageIcon::Information);
    EXPECT_EQ(boxes[2].text, "Pending actions:\n==================\n1] Download mail from Inbox in joe@Mail\n"
                             "3] Send mail to ann@example.org from joe@Mail\n4] Delete mail from Sent in joe@Mail\n");
}

TEST_F(OfflineModeTest, QuittingAsksOnlyWhenPendingActionsWouldBeLost)
{
    EXPECT_TRUE(engine().Mode().ConfirmQuit());
    OfflineWithThreeMails();
    EXPECT_TRUE(engine().Mode().ConfirmQuit());
    AppendSend(joe, "ann@example.org");
    EXPECT_FALSE(engine().Mode().ConfirmQuit());
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text,
              "There are pending items which will be lost if you quit. Do you want to quit anyway?");
    bed.ui.QueueReply(MessageAnswer::Yes);
    EXPECT_TRUE(engine().Mode().ConfirmQuit());
}
