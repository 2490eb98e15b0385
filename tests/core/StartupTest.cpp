#include "Startup.h"
#include "TestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <system_error>
#include <thread>

using namespace korvalin;
using namespace korvalin::test;

namespace {

// Read by the check threads that logins start.
class StartupHooks : public CoreHooks {
public:
    std::atomic<bool> connected{true};
    bool ConnectionTest() override { return connected; }
};

}  // namespace

TEST(Startup, FreshInstallationRemovesStaleCachedMails)
{
    TempDir dir;
    const auto previous = std::filesystem::current_path();
    const auto root = dir.Path() / "root";
    WriteFile(root / "KVX1A.htm", "stale");
    WriteFile(root / "KVXff.HTM", "stale");
    WriteFile(root / "KVX.txt", "other");
    WriteFile(root / "notes.htm", "other");

    DataRootResult result = PrepareDataRoot(root);
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_TRUE(result.freshInstallation);
    EXPECT_EQ(std::filesystem::current_path(), root);
    EXPECT_TRUE(std::filesystem::is_directory(root / "Accounts"));
    EXPECT_TRUE(std::filesystem::is_directory(root / "Filters"));
    EXPECT_FALSE(std::filesystem::exists(root / "KVX1A.htm"));
    EXPECT_FALSE(std::filesystem::exists(root / "KVXff.HTM"));
    EXPECT_TRUE(std::filesystem::exists(root / "KVX.txt"));
    EXPECT_TRUE(std::filesystem::exists(root / "notes.htm"));

    WriteFile(root / "KVX2B.htm", "kept");
    result = PrepareDataRoot(root);
    EXPECT_FALSE(result.freshInstallation);
    EXPECT_TRUE(std::filesystem::exists(root / "KVX2B.htm"));

    WriteFile(dir.Path() / "file", "x");
    EXPECT_FALSE(PrepareDataRoot(dir.Path() / "file" / "below").status);
    std::filesystem::current_path(previous);
}

TEST(Startup, CommandLineRecipient)
{
    EXPECT_EQ(RecipientFromArguments({}), "");
    EXPECT_EQ(RecipientFromArguments({"mailto:someone@example.org"}), "someone@example.org");
    EXPECT_EQ(RecipientFromArguments({"MAILTO:a@example.org"}), "a@example.org");
    EXPECT_EQ(RecipientFromArguments({"first@example.org", "-second@example.org"}), "second@example.org");
    EXPECT_EQ(RecipientFromArguments({"mailto:ann%20lee@example.org?subject=hi"}), "ann lee@example.org");
    EXPECT_EQ(RecipientFromArguments({"plain@example.org"}), "plain@example.org");
}

TEST(Startup, UnusableDataRootEndsTheProgram)
{
    TestBed bed;
    WriteFile(bed.dir.Path() / "blocker", "x");
    bed.paths.dataRoot = bed.dir.Path() / "blocker" / "data";
    bed.Restart();
    EXPECT_THROW(bed.engine->LoadConfiguration(TestPluginFolder()), FatalErrorRaised);
    EXPECT_EQ(bed.ui.MessageTexts().back(), "Unable to get current directory. Application cannot continue");
}

TEST(Startup, AWorkerThreadThatCannotStartEndsTheProgram)
{
    TestBed bed;
    EngineOptions options;
    options.startWorker = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    bed.ui.Reset();
    EXPECT_THROW(std::make_unique<Engine>(bed.paths, bed.ui, options), FatalErrorRaised);
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{"FATAL: Unable to create worker thread."});
}

TEST(Startup, LogonLogsInCheckedAccountsWithProgress)
{
    StartupHooks hooks;
    TestBed bed;
    bed.hooks = &hooks;
    bed.Restart();
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    auto on = bed.engine->Accounts().AddAccount(provider, "on", std::string("secret"), true, 1);
    auto off = bed.engine->Accounts().AddAccount(provider, "off", std::string("secret"), true, 0);
    bed.engine->Settings().SetFlag(setting::kHideOnStartup, true);
    bed.engine->SetCommandLine({"mailto:ann@example.org"});

    bed.engine->StartLogon();

    EXPECT_TRUE(on->LoggedIn());
    EXPECT_FALSE(off->LoggedIn());
    EXPECT_EQ(bed.ui.StatusTexts(kModePane), std::vector<std::string>{"Online Mode"});
    EXPECT_EQ(bed.ui.StatusTexts(kProgressPane), (std::vector<std::string>{"50.0%", "100.0%"}));
    EXPECT_EQ(bed.ui.CountCalls("CreateTrayIcon"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("StartCheckTimer 2"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("HideMainWindow"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("ShowHomeWindow"), 1u);
    ASSERT_EQ(bed.ui.ComposeRequests().size(), 1u);
    EXPECT_EQ(bed.ui.ComposeRequests()[0].senderText, "Sender: on@Mail");
    EXPECT_EQ(bed.ui.ComposeRequests()[0].recipient, "ann@example.org");
    EXPECT_TRUE(bed.engine->PendingRecipient().empty());

    // Without a connection nobody is logged in and the window stays up.
    hooks.connected = false;
    bed.Restart();
    ProviderEntry& again = bed.AddFakeProvider("Mail");
    auto account = bed.engine->Accounts().AddAccount(again, "on", std::string("secret"), true, 1);
    bed.ui.Reset();
    bed.engine->StartLogon();
    EXPECT_FALSE(account->LoggedIn());
    EXPECT_EQ(bed.ui.CountCalls("ShowMainWindow"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("StartCheckTimer 2"), 0u);
    bed.engine.reset();
}

TEST(Startup, LogonLogsInTheMonitoredAccountsOfHiddenProvidersToo)
{
    StartupHooks hooks;
    TestBed bed;
    bed.hooks = &hooks;
    bed.Restart();
    ProviderEntry& hidden = bed.AddFakeProvider("Hidden", true);
    auto monitored = bed.engine->Accounts().AddAccount(hidden, "on", std::string("secret"), true, 1);
    auto unmonitored = bed.engine->Accounts().AddAccount(hidden, "off", std::string("secret"), true, 0);
    ASSERT_FALSE(monitored->State().inTree);
    bed.engine->StartLogon();
    EXPECT_TRUE(monitored->LoggedIn());
    EXPECT_FALSE(unmonitored->LoggedIn());
    bed.engine.reset();
}

TEST(Startup, WholeLoadWithTheTestPlugin)
{
    TestBed bed;
    bed.engine->Log().SetLevel(loglevel::kEverything);
    auto plugins = bed.PluginFolder({"testgate.so", "notaplugin.so"});
    bed.engine->LoadConfiguration(plugins);  // first run: wizard, then saved
    ProviderEntry* provider = bed.engine->Providers().Find("TestProvider");
    ASSERT_NE(provider, nullptr);
    bed.ui.QueueLogin("user", "wrong");
    bed.ui.QueueLogin("user", "secret");
    auto account = bed.engine->Accounts().AddAccount(*provider, "user", std::nullopt, false, 1);
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{"Login for user on TestProvider failed"});
    EXPECT_EQ(account->Folders().size(), 3u) << "Inbox, Sent and Trash";
    bed.engine->SaveAtExit();
    EXPECT_EQ(bed.engine->Store().Read("TestProvider").bytes, Bytes("user\0\x00\x00\x01\x00"))
        << "the password was not chosen to be saved";
    bed.engine.reset();
}

TEST(Startup, RecipientHandedOverBySecondCopyIsTakenOnce)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    auto account = bed.engine->Accounts().AddAccount(provider, "joe", std::string("secret"), true, 1);
    account->Update([](AccountState& state) { state.loggedIn = true; });

    Engine secondCopy(bed.paths, bed.ui);
    ASSERT_TRUE(secondCopy.LeaveRecipientForRunningCopy("someone"));
    EXPECT_EQ(bed.engine->Store().Read("Recipient").bytes, Bytes("someone\0"));

    bed.engine->TakeRecipientFromSecondCopy({});
    bed.engine->TakeRecipientFromSecondCopy({});
    ASSERT_EQ(bed.ui.ComposeRequests().size(), 1u);
    EXPECT_EQ(bed.ui.ComposeRequests()[0].recipient, "someone");
    EXPECT_EQ(bed.engine->Store().Read("Recipient").state, StoreRead::Missing) << "no Recipient value remains";
}
