// Check passes, folder threads, new-mail notices and Stop.
#include "MailTestBed.h"

#include <chrono>
#include <thread>

using namespace korvalin;
using namespace korvalin::test;

namespace {

class Checks : public MailTest {
protected:
    void WaitForSummaryCalls(int calls)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (script->SummaryCalls() < calls && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(script->SummaryCalls(), calls);
    }
};

}  // namespace

TEST_F(Checks, OneTickStartsOneDriverAndOneThreadPerCheckedFolder)
{
    joe->AddFolder("Sent", true, true);
    joe->AddFolder("Trash", true, false);
    auto ann = AddLoggedIn("ann");
    auto bob = AddLoggedIn("bob");
    bob->Update([](AccountState& state) { state.checked = false; });
    OpenAndSettle(*joe->Inbox());
    script->summaryFolders.clear();
    const int before = script->SummaryCalls();
    bed.ui.Reset();

    engine().Checks().OnCheckTimer();
    Settle();
    EXPECT_EQ(script->SummaryCalls() - before, 3);
    std::vector<int> folders = script->summaryFolders;
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<int>{-1, -1, 0})) << "two inboxes and Sent";
    EXPECT_EQ(bed.ui.CountCalls("StartBusyAnimation"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("StopBusyAnimation"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("OpenFolderWindow ann@Mail Inbox"), 1u) << "the driver opens what is not open";
    EXPECT_EQ(bed.ui.CountCalls("OpenFolderWindow joe@Mail Inbox"), 0u);
    EXPECT_EQ(engine().Checks().RunningChecks(), 0);
}

TEST_F(Checks, ACheckedAccountThatIsNotLoggedInHasItsFolderOpenedButNotFetched)
{
    OpenAndSettle(*joe->Inbox());
    auto cal = AddLoggedIn("cal");
    cal->Update([](AccountState& state) { state.loggedIn = false; });
    const int before = script->SummaryCalls();
    bed.ui.Reset();

    engine().Checks().OnCheckTimer();
    Settle();
    EXPECT_EQ(bed.ui.CountCalls("OpenFolderWindow cal@Mail Inbox"), 1u);
    EXPECT_EQ(script->SummaryCalls() - before, 1) << "only joe's inbox is fetched";
    EXPECT_FALSE(cal->LoggedIn());
}

TEST_F(Checks, ATickDuringAPassStartsNothingNew)
{
    OpenAndSettle(*joe->Inbox());
    script->blockSummary = true;
    engine().Checks().OnCheckTimer();
    WaitForSummaryCalls(2);
    EXPECT_FALSE(engine().Checks().CanCheck());
    EXPECT_TRUE(engine().Checks().CanStop());
    engine().Checks().OnCheckTimer();
    script->Release();
    Settle();
    EXPECT_EQ(script->SummaryCalls(), 2);
    EXPECT_TRUE(engine().Checks().CanCheck());
}

TEST_F(Checks, NewMailsOfOneFolderCheckQueueDownloadsAndPlayOneSound)
{
    script->AddMail(-1, MakeMail("<a>"));
    script->AddMail(-1, MakeMail("<b>"));
    auto summary = OpenAndSettle(*joe->Inbox());
    std::vector<NewMailEntry> entries = engine().NewMail().Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].subject, "Subject <b>") << "newest first";
    EXPECT_EQ(entries[0].row, 2);
    EXPECT_EQ(entries[1].from, "Ann <ann@example.org>");
    EXPECT_EQ(script->Fetched(), (std::vector<std::string>{"loc-<a>", "loc-<b>"}));
    EXPECT_EQ(bed.ui.CountCalls("PlaySound /sounds/new.wav"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("StartTrayAnimation"), 1u);
    EXPECT_TRUE(engine().NewMail().Animating());

    script->AddMail(-1, MakeMail("<c>"));
    engine().Mail().CheckFolder(*joe->Inbox(), true);
    Settle();
    EXPECT_EQ(bed.ui.CountCalls("PlaySound /sounds/new.wav"), 2u) << "a new check plays again";
    EXPECT_EQ(bed.ui.CountCalls("StartTrayAnimation"), 1u) << "the tray animates already";
    EXPECT_EQ(engine().NewMail().Count(), 3u);

    bed.engine->Settings().SetFlag(setting::kPlaySound, false);
    script->AddMail(-1, MakeMail("<d>"));
    engine().Mail().CheckFolder(*joe->Inbox(), true);
    Settle();
    EXPECT_EQ(bed.ui.CountCalls("PlaySound /sounds/new.wav"), 2u);

    engine().NewMail().Clear();
    EXPECT_FALSE(engine().NewMail().Animating());
    EXPECT_EQ(bed.ui.CountCalls("StopTrayAnimation"), 1u);
    EXPECT_EQ(summary->RowCount(), 5u);
}

TEST_F(Checks, ATimerPassBringsAtMostOnePopUp)
{
    bed.engine->Settings().SetFlag(setting::kPopupOnNewMail, true);
    script->AddMail(-1, MakeMail("<a>"));
    OpenAndSettle(*joe->Inbox());
    EXPECT_TRUE(bed.ui.MessageTexts().empty()) << "opening is no timer pass";

    script->AddMail(-1, MakeMail("<b>"));
    script->AddMail(-1, MakeMail("<c>"));
    engine().Checks().OnCheckTimer();
    Settle();
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{"3 new mails are available"});
    EXPECT_EQ(bed.ui.Messages()[0].icon, MessageIcon::Information);

    engine().NewMail().SetNewMailsBoxOpen(true);
    script->AddMail(-1, MakeMail("<d>"));
    engine().Checks().OnCheckTimer();
    Settle();
    EXPECT_EQ(bed.ui.MessageTexts().size(), 1u) << "not while the New Mails box is open";
}

TEST_F(Checks, StopAbandonsThePassAndIgnoresWhatItBringsBack)
{
    script->AddMail(-1, MakeMail("<late>"));
    bed.engine->Online().SetOnline(false);
    auto summary = engine().Mail().OpenFolder(*joe->Inbox());
    bed.engine->Online().SetOnline(true);
    script->blockSummary = true;
    engine().Checks().OnCheckTimer();
    WaitForSummaryCalls(1);
    ASSERT_GE(engine().Checks().RunningChecks(), 1);

    engine().Checks().StopAll();
    EXPECT_EQ(engine().Checks().RunningChecks(), 0);
    EXPECT_EQ(engine().Checks().RegisteredThreads(), 0u);
    EXPECT_TRUE(engine().Checks().CanCheck());
    EXPECT_FALSE(engine().Checks().CanStop());

    script->Release();
    Settle();
    EXPECT_EQ(summary->RowCount(), 1u) << "the abandoned check's result is ignored";
    EXPECT_EQ(engine().Checks().RunningChecks(), 0);
}

TEST_F(Checks, TheCheckCommandChecksTheInboxOfAnAccountWhileOnlineAndIdle)
{
    OpenAndSettle(*joe->Inbox());
    script->AddMail(-1, MakeMail("<a>"));
    engine().Checks().CheckCommand({nullptr, joe.get(), nullptr});
    Settle();
    EXPECT_EQ(Ids(*engine().Mail().Summary(*joe->Inbox())), std::vector<std::string>{"<a>"});

    bed.engine->Online().SetOnline(false);
    EXPECT_FALSE(engine().Checks().CanCheck());
    const int calls = script->SummaryCalls();
    engine().Checks().CheckCommand({nullptr, joe.get(), nullptr});
    Settle();
    EXPECT_EQ(script->SummaryCalls(), calls);
}

TEST_F(Checks, AFailedRouteTestOnATickSwitchesToOfflineMode)
{
    OpenAndSettle(*joe->Inbox());
    MailRequest action;
    action.kind = request::kSend;
    action.account = joe;
    engine().Pending().Append(action);
    hooks.routeUp = false;
    const int calls = script->SummaryCalls();
    engine().Checks().OnCheckTimer();
    Settle();
    EXPECT_FALSE(bed.engine->Online().Online());
    EXPECT_EQ(bed.ui.StatusTexts(kModePane).back(), "Offline Mode");
    EXPECT_TRUE(engine().Pending().Empty());
    EXPECT_EQ(script->SummaryCalls(), calls) << "offline, no folder is fetched";
    EXPECT_TRUE(bed.ui.MessageTexts().empty());
}

TEST_F(Checks, AFolderChangeReportedByTheProviderChecksThatFolderAtOnce)
{
    struct Case {
        const char* what;
        bool folderChecked, accountChecked, online;
        int calls;  // checks the report starts
    };
    const Case cases[] = {
        {"a monitored open folder", true, true, true, 1},
        {"a folder not monitored", false, true, true, 0},
        {"an account not monitored", true, false, true, 0},
        {"offline", true, true, false, 0},
    };
    for (const Case& c : cases) {
        auto account = AddLoggedIn(std::string("push") + std::to_string(&c - cases));
        auto sent = account->AddFolder("Sent", true, true);
        OpenAndSettle(*sent);
        sent->checked = c.folderChecked;
        account->Update([&](AccountState& state) { state.checked = c.accountChecked; });
        bed.engine->Online().SetOnline(c.online);
        script->AddMail(0, MakeMail(std::string("<pushed-") + c.what + ">"));
        const int before = script->SummaryCalls();
        // The plug-in reports from a thread of its own.
        std::thread([&] { account->ProviderObject().HostLink->FolderChanged(0); }).join();
        Settle();
        EXPECT_EQ(script->SummaryCalls() - before, c.calls) << c.what;
        if (c.calls > 0) {
            EXPECT_EQ(script->summaryFolders.back(), 0) << c.what;
            EXPECT_TRUE(engine().NewMail().Animating()) << c.what;
        }
        bed.engine->Online().SetOnline(true);
    }
}

TEST_F(Checks, AChangeReportedDuringTheFoldersCheckBringsOneMoreCheck)
{
    OpenAndSettle(*joe->Inbox());
    script->blockSummary = true;
    const int before = script->SummaryCalls();
    engine().Mail().CheckFolder(*joe->Inbox(), false);
    WaitForSummaryCalls(before + 1);
    joe->ProviderObject().HostLink->FolderChanged(-1);
    joe->ProviderObject().HostLink->FolderChanged(-1);
    script->Release();
    Settle();
    EXPECT_EQ(script->SummaryCalls(), before + 2) << "one more check, however many reports came";
    EXPECT_EQ(engine().Checks().RunningChecks(), 0);
}
