#include "AccountSettingsFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace korvalin;
using namespace korvalin::test;

namespace {

class CountingHooks : public CoreHooks {
public:
    std::atomic<int> updateChecks{0};
    void StartUpdateCheck() override { ++updateChecks; }
};

class LoginTest : public ::testing::Test {
protected:
    LoginTest()
    {
        bed.hooks = &hooks;
        bed.Restart();
        provider = &bed.AddFakeProvider("Mail");
        script = bed.Script("Mail");
    }
    ~LoginTest() override { bed.engine.reset(); }

    std::shared_ptr<CAccount> Add(const std::string& login, std::optional<std::string> password, uint16_t mask = 1)
    {
        return bed.engine->Accounts().AddAccount(*provider, login, password, true, mask);
    }

    void WaitUntilAbandonedLoginsEnd()
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (bed.engine->Accounts().LoginsStillEnding() != 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(bed.engine->Accounts().LoginsStillEnding(), 0u);
    }

    CountingHooks hooks;
    TestBed bed;
    ProviderEntry* provider = nullptr;
    std::shared_ptr<FakeProviderScript> script;
};

}  // namespace

TEST_F(LoginTest, SavedPasswordLogsInWithoutAskingAndFetchesFoldersAndAddresses)
{
    auto account = Add("joe", std::string("secret"), 0b101);
    script->blockLogin = true;  // holds the worker until the box has been looked at
    std::string firstText;
    bed.ui.driveLoginProgress = [&](LoginProgressBox& box) {
        firstText = box.Text();
        script->Release();
        FakeUiPort::WaitForWorker(box);
    };
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));

    EXPECT_TRUE(bed.ui.LoginBoxesShown().empty());
    EXPECT_EQ(firstText, "Logging into Mail as joe. Hit Cancel to abort this login attempt.");
    EXPECT_EQ(bed.ui.firstCancelTexts, std::vector<std::string>{"Cancel  [03:00]"});
    AccountState state = account->State();
    EXPECT_TRUE(state.loggedIn);
    EXPECT_FALSE(state.busy);
    EXPECT_TRUE(state.addressBookLoaded);
    auto folders = account->Folders();
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[1]->name, "Sent");
    EXPECT_FALSE(folders[1]->checked);
    EXPECT_TRUE(folders[2]->checked);
    ASSERT_EQ(account->AddressBook().size(), 1u);
    EXPECT_FALSE(account->AddressBook()[0].Marked);
    EXPECT_EQ(bed.ui.CountCalls("OpenFolderWindow joe@Mail Inbox"), 1u);
    EXPECT_EQ(state.soundPath, (bed.paths.executableDir / "newmail.wav").string()) << "no Sound.kvx yet";

    // The update check starts once per run; a logged-in account is not logged in again.
    auto second = Add("ann", std::string("secret"));
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*second));
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));
    EXPECT_EQ(hooks.updateChecks, 1);
    EXPECT_EQ(script->loginCalls, 2);
}

TEST_F(LoginTest, TheServicesAddressBookKeepsTheEntriesNotYetSentToIt)
{
    auto account = Add("joe", std::string("secret"));
    account->SetAddressBook({{true, "Bob", "bob@here"}, {false, "Old", "old@here"}, {true, "ann", "ann@here"}});
    script->book = {{true, "Ann", "ann@example.org"}, {false, "Cid", "cid@example.org"}};
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));

    CAddressArray book = account->AddressBook();
    ASSERT_EQ(book.size(), 3u);
    EXPECT_EQ(book[0].Address, "bob@here");
    EXPECT_TRUE(book[0].Marked) << "still to be sent";
    EXPECT_EQ(book[1].Address, "ann@here") << "the local entry wins over the service's of the same name";
    EXPECT_EQ(book[2].Name, "Cid");
    EXPECT_FALSE(book[2].Marked);
}

TEST_F(LoginTest, TheUpdateCheckStartsOnceForTheLogonAndItsLogins)
{
    Add("joe", std::string("secret"));
    Add("ann", std::string("secret"));
    bed.engine->StartLogon();
    EXPECT_EQ(hooks.updateChecks, 1);
}

TEST_F(LoginTest, WrongPasswordAsksAgainUntilTheRightOne)
{
    auto account = Add("joe", std::nullopt);
    bed.ui.QueueLogin("joe", "wrong");
    bed.ui.QueueLogin("joe", "secret");
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));

    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{"Login for joe on Mail failed"});
    auto boxes = bed.ui.LoginBoxesShown();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].providerName, "Mail");
    EXPECT_EQ(boxes[0].password, "");
    EXPECT_EQ(boxes[1].password, "wrong") << "the box comes back with what was typed";
    EXPECT_TRUE(account->State().credentialsAccepted);
    EXPECT_EQ(script->loginCalls, 2);
}

TEST_F(LoginTest, CancellingTheLoginBoxLeavesTheAccountUncheckedAndOut)
{
    auto account = Add("joe", std::nullopt);
    bed.ui.QueueLogin("joe", "wrong");
    bed.ui.QueueLoginCancel();
    EXPECT_FALSE(bed.engine->Accounts().LoginWithProgress(*account));
    AccountState state = account->State();
    EXPECT_FALSE(state.loggedIn);
    EXPECT_FALSE(state.checked);
    EXPECT_FALSE(state.busy);
    EXPECT_EQ(bed.ui.TreeChanges().back().kind, TreeChangeKind::AccountUnchecked);
    EXPECT_EQ(account->Folders().size(), 1u);

    bed.engine->Accounts().OpenAccount(*account);
    EXPECT_EQ(bed.ui.LoginBoxesShown().size(), 2u) << "an unchecked account is not opened";
    account->Update([](AccountState& changed) { changed.checked = true; });
    bed.engine->Accounts().OpenAccount(*account);
    EXPECT_EQ(bed.ui.MessageTexts().back(), "Login failed");
}

TEST_F(LoginTest, PopAccountHandsItsAccountLineWithoutThePassword)
{
    ProviderEntry& pop = bed.AddFakeProvider("POPMail");
    auto account = bed.engine->Accounts().AddAccount(pop, "joe", std::string("secret"), true, 1);
    WriteFile(account->Folder() / "Sound.kvx",
              "/s/ding.wav\r\njoe@example.org\r\nJoe Doe\r\nsmtp.example.org:2525\r\npop.example.org:1110\r\nY\r\n");
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));

    auto popScript = bed.Script("POPMail");
    ASSERT_EQ(popScript->profiles.size(), 1u);
    EXPECT_EQ(popScript->profiles[0].first,
              "joe=Joe Doe=joe@example.org=pop.example.org:1110=smtp.example.org:2525");
    EXPECT_EQ(popScript->profiles[0].second, "secret");
    AccountState state = account->State();
    EXPECT_EQ(state.soundPath, "/s/ding.wav");
    EXPECT_TRUE(state.pop.deleteFromServer);
}

TEST_F(LoginTest, AbortCountDownClosesTheBoxAndIgnoresTheLateResult)
{
    bed.engine->Settings().SetInt(setting::kLoginAbortMinutes, 1);
    script->blockLogin = true;
    auto account = Add("joe", std::string("secret"));
    std::vector<std::string> cancelTexts;
    bed.ui.driveLoginProgress = [&](LoginProgressBox& box) {
        for (int second = 0; second < 59; ++second)
            box.OnSecond();
        box.OnPoll();
        cancelTexts.push_back(box.CancelText());
        cancelTexts.push_back(box.Closed() ? "closed" : "open");
        box.OnSecond();
    };
    EXPECT_FALSE(bed.engine->Accounts().LoginWithProgress(*account));

    EXPECT_EQ(bed.ui.firstCancelTexts, std::vector<std::string>{"Cancel  [01:00]"});
    EXPECT_EQ(cancelTexts, (std::vector<std::string>{"Cancel  [00:01]", "open"}));
    EXPECT_FALSE(account->State().checked);
    EXPECT_FALSE(account->State().busy);

    // A new attempt while the abandoned one still waits on the network is refused.
    bed.ui.driveLoginProgress = nullptr;
    EXPECT_FALSE(bed.engine->Accounts().LoginWithProgress(*account));
    EXPECT_NE(bed.ui.MessageTexts().back().find("has not ended yet"), std::string::npos);

    script->Release();  // the server answers at last, with success
    WaitUntilAbandonedLoginsEnd();
    EXPECT_FALSE(account->LoggedIn()) << "an abandoned login changes nothing";
    EXPECT_EQ(account->Folders().size(), 1u);

    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));
}

TEST_F(LoginTest, CancelButtonAbandonsTheLogin)
{
    script->blockLogin = true;
    auto account = Add("joe", std::string("secret"));
    bed.ui.driveLoginProgress = FakeUiPort::PressCancel;
    EXPECT_FALSE(bed.engine->Accounts().LoginWithProgress(*account));
    script->Release();
    WaitUntilAbandonedLoginsEnd();
    EXPECT_FALSE(account->LoggedIn());
    EXPECT_TRUE(bed.ui.MessageTexts().empty()) << "the late failure or success says nothing";
}

// Given up while the address book comes: the account is not logged in and
// its book keeps every entry.
TEST_F(LoginTest, ALoginAbandonedAtTheAddressBookChangesNothing)
{
    script->blockAddressBook = true;
    auto account = Add("joe", std::string("secret"));
    const CAddressArray held{{false, "Old", "old@example.org"}, {true, "New", "new@example.org"}};
    account->SetAddressBook(held);
    bed.ui.driveLoginProgress = [&](LoginProgressBox& box) {
        for (int i = 0; i < 2000; ++i) {
            {
                std::lock_guard lock(script->mutex);
                if (script->addressBookCalls > 0)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        box.OnCancel();
    };
    EXPECT_FALSE(bed.engine->Accounts().LoginWithProgress(*account));
    script->Release();
    WaitUntilAbandonedLoginsEnd();
    EXPECT_FALSE(account->LoggedIn());
    EXPECT_EQ(account->AddressBook().size(), 2u);
    EXPECT_FALSE(account->State().addressBookLoaded);
}

TEST_F(LoginTest, OfflineWithoutPasswordFailsAtOnceWithoutAsking)
{
    bed.engine->Online().SetOnline(false);
    auto account = Add("joe", std::nullopt);
    EXPECT_FALSE(bed.engine->Accounts().LoginWithProgress(*account));
    EXPECT_TRUE(bed.ui.LoginBoxesShown().empty());
    EXPECT_EQ(script->loginCalls, 0);

    auto known = Add("ann", std::string("anything"));
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*known));
    EXPECT_EQ(script->loginCalls, 0) << "offline nothing is tried on the network";
    EXPECT_EQ(known->Folders().size(), 1u);
    EXPECT_EQ(hooks.updateChecks, 0);
}

TEST_F(LoginTest, ChangedLoginInTheBoxRenamesTheAccount)
{
    auto account = Add("jo", std::nullopt);
    bed.ui.QueueLogin("../x", "secret");
    bed.ui.QueueLogin("joe", "secret");
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));
    EXPECT_EQ(account->Login(), "joe");
    EXPECT_EQ(account->Folder(), bed.paths.dataRoot / "Accounts" / "jo.Mail");
    EXPECT_EQ(bed.ui.MessageTexts().size(), 1u);
    bool renamed = false;
    for (const TreeChange& change : bed.ui.TreeChanges())
        renamed = renamed || change.kind == TreeChangeKind::AccountRenamed;
    EXPECT_TRUE(renamed);
}
