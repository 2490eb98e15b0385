#include "AccountSettingsFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace korvalin;
using namespace korvalin::test;

namespace {

std::vector<std::string> Logins(const ProviderEntry& provider)
{
    std::vector<std::string> logins;
    for (const auto& account : provider.accounts.Snapshot())
        logins.push_back(account->Login());
    return logins;
}

class AddressBookHooks : public CoreHooks {
public:
    int saved = 0;
    int stops = 0;
    bool SaveAddressBook(CAccount&, bool) override { return ++saved > 0; }
    void StopAll() override { ++stops; }
};

}  // namespace

TEST(Accounts, AddingCreatesTheFolderTreeItemsAndChecks)
{
    TestBed bed;
    ProviderEntry& pop = bed.AddFakeProvider("POPMail");
    auto account = bed.engine->Accounts().AddAccount(pop, "joe", std::string("pw"), true, 0x0003);
    ASSERT_NE(account, nullptr);
    EXPECT_TRUE(std::filesystem::is_directory(bed.paths.dataRoot / "Accounts" / "joe.POPMail"));
    AccountState state = account->State();
    EXPECT_TRUE(state.isPop);
    EXPECT_TRUE(state.inTree);
    EXPECT_TRUE(state.checked);
    EXPECT_TRUE(state.credentialsAccepted);
    EXPECT_EQ(account->Inbox()->name, "Inbox");
    EXPECT_TRUE(account->Inbox()->checked);
    EXPECT_EQ(account->ProviderObject().HostLink != nullptr, true);
    EXPECT_EQ(dynamic_cast<AccountLink*>(account->ProviderObject().HostLink)->account.lock(), account);

    auto changes = bed.ui.TreeChanges();
    ASSERT_GE(changes.size(), 2u);
    EXPECT_EQ(changes[changes.size() - 2].kind, TreeChangeKind::AccountAdded);
    EXPECT_EQ(changes.back().kind, TreeChangeKind::FolderAdded);

    auto unchecked = bed.engine->Accounts().AddAccount(pop, "ann", std::nullopt, true, 0);
    EXPECT_FALSE(unchecked->State().checked);
    EXPECT_FALSE(unchecked->State().savePassword) << "no password, nothing to save";
}

TEST(Accounts, YahooMailTakesOneAccountWhateverTheCase)
{
    TestBed bed;
    ProviderEntry& yahoo = bed.AddFakeProvider("yahooMAIL");
    ASSERT_NE(bed.engine->Accounts().AddAccount(yahoo, "first", std::nullopt, false, 1), nullptr);
    EXPECT_EQ(bed.engine->Accounts().AddAccount(yahoo, "second", std::nullopt, false, 1), nullptr);
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{"Due to technical limitations, we don't allow more than "
                                                              "one accounts for this email provider yet. Sorry!"});
    EXPECT_EQ(Logins(yahoo), std::vector<std::string>{"first"});
    ProviderEntry& other = bed.AddFakeProvider("Other");
    EXPECT_NE(bed.engine->Accounts().AddAccount(other, "a", std::nullopt, false, 1), nullptr);
    EXPECT_NE(bed.engine->Accounts().AddAccount(other, "b", std::nullopt, false, 1), nullptr);
}

TEST(Accounts, LoginsThatWouldLeaveTheAccountsFolderAreRefused)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    for (const std::string& login : std::vector<std::string>{"../escape", "a/b", "..", std::string("nul\0byte", 8)}) {
        bed.ui.Reset();
        EXPECT_EQ(bed.engine->Accounts().AddAccount(provider, login, std::nullopt, false, 1), nullptr) << login;
        ASSERT_EQ(bed.ui.MessageTexts().size(), 1u);
        EXPECT_NE(bed.ui.MessageTexts()[0].find("may not contain \"/\" or \"..\""), std::string::npos);
    }
    EXPECT_TRUE(provider.accounts.empty());
    EXPECT_FALSE(std::filesystem::exists(bed.paths.dataRoot / "escape.Mail"));
    EXPECT_TRUE(std::filesystem::is_empty(bed.paths.dataRoot / "Accounts"));
}

TEST(Accounts, AddNewAccountDialogChecksItsEntries)
{
    TestBed bed;
    bed.engine->Log().SetLevel(loglevel::kEverything);
    bed.AddFakeProvider("Web");
    ProviderEntry& pop = bed.AddFakeProvider("POPMail");

    NewAccountForm noProvider;
    NewAccountForm noLogin;
    noLogin.provider = 1;
    NewAccountForm complete = noLogin;
    complete.login = "joe";
    complete.password = "pw";
    complete.savePassword = true;
    bed.ui.QueueNewAccount(noProvider);
    bed.ui.QueueNewAccount(noLogin);
    bed.ui.QueueNewAccount(complete);
    PopSettings wrong{"pop.example.org", "smtp.example.org", "Joe", "no-at-sign", true};
    PopSettings right = wrong;
    right.emailAddress = "joe@example.org";
    bed.ui.QueuePopSettings(wrong);
    bed.ui.QueuePopSettings(right);
    bed.ui.QueueReply(MessageAnswer::Ok);
    bed.ui.QueueReply(MessageAnswer::Ok);
    bed.ui.QueueReply(MessageAnswer::Ok);
    bed.ui.QueueReply(MessageAnswer::No);  // do not log in now

    bed.engine->Accounts().AddNewAccount();

    EXPECT_EQ(bed.ui.MessageTexts(), (std::vector<std::string>{
                                         "Please choose the email provider for this account",
                                         "Please enter the login name for this account",
                                         "Invalid value: Please check your SMTP/POP3/Email ID/Name entries.",
                                         "Would you like to log into this account now?",
                                     }));
    ASSERT_EQ(pop.accounts.size(), 1u);
    AccountState state = pop.accounts.Snapshot()[0]->State();
    EXPECT_EQ(state.login, "joe");
    EXPECT_TRUE(state.isPop);
    EXPECT_EQ(state.pop.emailAddress, "joe@example.org");
    EXPECT_TRUE(state.pop.deleteFromServer);
    EXPECT_EQ(state.folderMask, 1);
    EXPECT_FALSE(state.loggedIn);
    EXPECT_EQ(bed.ui.TreeChanges().back().kind, TreeChangeKind::ProviderExpanded);

    std::vector<std::string> log;
    for (const LogEntry& entry : bed.engine->Log().TakePending())
        log.push_back(entry.message);
    EXPECT_NE(std::find(log.begin(), log.end(), "Adding new account joe under POPMail."), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Adding POP3 account"), log.end());
}

TEST(Accounts, DeleteAsksThenRemovesFolderAndKeepsTheOrder)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    AccountManager& accounts = bed.engine->Accounts();
    accounts.AddAccount(provider, "a", std::nullopt, false, 1);
    auto b = accounts.AddAccount(provider, "b", std::nullopt, false, 1);
    accounts.AddAccount(provider, "c", std::nullopt, false, 1);
    WriteFile(b->Folder() / "Inbox.sum", "cached");

    accounts.DeleteAccount(*b);  // default answer: No
    MessageBoxRequest question = bed.ui.Messages().back();
    EXPECT_EQ(question.text, "Are you sure you want to delete the account b@Mail");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultButton, MessageAnswer::No);
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(Logins(provider), (std::vector<std::string>{"a", "b", "c"}));

    bed.ui.QueueReply(MessageAnswer::Yes);
    accounts.DeleteAccount(*b);
    EXPECT_EQ(Logins(provider), (std::vector<std::string>{"a", "c"}));
    EXPECT_FALSE(std::filesystem::exists(bed.paths.dataRoot / "Accounts" / "b.Mail"));
    EXPECT_TRUE(std::filesystem::exists(bed.paths.dataRoot / "Accounts" / "c.Mail"));
    EXPECT_EQ(bed.ui.TreeChanges().back().kind, TreeChangeKind::AccountRemoved);

    accounts.WriteAccountSettingsFiles();
    EXPECT_FALSE(std::filesystem::exists(b->Folder())) << "nothing is written for a deleted account";
}

TEST(Accounts, EditCopiesTheLoginBoxBackButKeepsTheFolder)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    auto account = bed.engine->Accounts().AddAccount(provider, "joe", std::string("old"), true, 1);
    const auto folder = account->Folder();

    bed.ui.QueueLogin("bad/login", "x");
    bed.ui.QueueLogin("joseph", "new");
    bed.engine->Accounts().EditAccount(*account);

    ASSERT_EQ(bed.ui.LoginBoxesShown().size(), 2u);
    EXPECT_EQ(bed.ui.LoginBoxesShown()[0].login, "joe");
    EXPECT_EQ(bed.ui.LoginBoxesShown()[0].password, "old");
    EXPECT_EQ(bed.ui.MessageTexts().size(), 1u) << "the unusable login was refused";
    EXPECT_EQ(account->Login(), "joseph");
    EXPECT_EQ(account->State().password, "new");
    EXPECT_EQ(account->Folder(), folder);
    EXPECT_EQ(bed.ui.TreeChanges().back().kind, TreeChangeKind::AccountRenamed);
}

TEST(Accounts, ComposeChoosesTheSenderAndTakesThePendingRecipient)
{
    TestBed bed;
    bed.engine->Log().SetLevel(loglevel::kEverything);
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    AccountManager& accounts = bed.engine->Accounts();
    auto first = accounts.AddAccount(provider, "first", std::nullopt, false, 1);
    auto second = accounts.AddAccount(provider, "second", std::nullopt, false, 1);
    std::string recipient = "ann@example.org";

    accounts.ComposeForRecipient({}, recipient);
    EXPECT_EQ(bed.ui.MessageTexts().size(), 1u) << "no account is logged in";
    EXPECT_TRUE(bed.ui.ComposeRequests().empty());
    EXPECT_EQ(recipient, "ann@example.org");

    second->Update([](AccountState& state) { state.loggedIn = true; });
    accounts.ComposeForRecipient({}, recipient);
    ASSERT_EQ(bed.ui.ComposeRequests().size(), 1u);
    EXPECT_EQ(bed.ui.ComposeRequests()[0].senderText, "Sender: second@Mail");
    EXPECT_EQ(bed.ui.ComposeRequests()[0].recipient, "ann@example.org");
    EXPECT_TRUE(recipient.empty());

    TreeSelection folderSelected;
    folderSelected.folder = first->Inbox().get();
    accounts.ComposeForRecipient(folderSelected, recipient);
    EXPECT_EQ(bed.ui.ComposeRequests()[1].sender, first.get());
    EXPECT_EQ(bed.ui.ComposeRequests()[1].recipient, "");

    std::vector<std::string> warnings;
    for (const LogEntry& entry : bed.engine->Log().TakePending())
        if (entry.level == "Warning")
            warnings.push_back(entry.message);
    EXPECT_EQ(warnings, std::vector<std::string>(2, "No sender selected, choosing the first logged in account."));
}

TEST(Accounts, FolderSelectionKeepsOnlyTheFirstSixteenFolders)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    auto account = bed.engine->Accounts().AddAccount(provider, "joe", std::nullopt, false, 1);
    for (int i = 1; i < 18; ++i)
        account->AddFolder("F" + std::to_string(i))->checked = true;
    account->Inbox()->checked = false;
    EXPECT_EQ(FolderMaskFromChecks(*account), 0xfffe);
    account->Update([](AccountState& state) { state.checked = false; });
    EXPECT_EQ(FolderMaskFromChecks(*account), 0);
}

TEST(Accounts, LogOffKeepsOnlyTheInbox)
{
    TestBed bed;
    AddressBookHooks hooks;
    bed.hooks = &hooks;
    bed.Restart();
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    auto account = bed.engine->Accounts().AddAccount(provider, "joe", std::string("secret"), true, 1);
    ASSERT_TRUE(bed.engine->Accounts().LoginWithProgress(*account));
    ASSERT_EQ(account->Folders().size(), 3u);

    bed.engine->Accounts().LogOff(*account);
    EXPECT_EQ(account->Folders().size(), 1u);
    EXPECT_FALSE(account->LoggedIn());
    // The provider is told by a profile without password, so that it can end its sessions.
    ASSERT_FALSE(bed.Script("Mail")->profiles.empty());
    EXPECT_EQ(bed.Script("Mail")->profiles.back(), std::make_pair(std::string("joe"), std::string()));
    EXPECT_TRUE(account->AddressBook().empty());
    EXPECT_EQ(hooks.saved, 1);
    EXPECT_EQ(hooks.stops, 1);
    EXPECT_EQ(bed.ui.CountCalls("CloseFolderWindow joe@Mail Sent"), 1u);
    EXPECT_EQ(bed.ui.TreeChanges().back().kind, TreeChangeKind::FolderRemoved);
    bed.engine.reset();
}

TEST(AccountSettingsFile, LinesForPopAndOtherAccounts)
{
    PopSettings pop{"pop.example.org", "smtp.example.org", "Joe Doe", "joe@example.org", true};
    EXPECT_EQ(FormatAccountSettings("/s/new.wav", pop, false), "/s/new.wav");
    EXPECT_EQ(FormatAccountSettings("/s/new.wav", pop, true),
              "/s/new.wav\r\njoe@example.org\r\nJoe Doe\r\nsmtp.example.org\r\npop.example.org\r\ny\r\n");
    // A line break inside a value never shifts the following lines.
    pop.displayName = "Joe\r\nInjected";
    AccountFileSettings parsed = ParseAccountSettings(FormatAccountSettings("/s", pop, true));
    EXPECT_EQ(parsed.displayName, "Joe");
    EXPECT_EQ(parsed.smtpServer, "smtp.example.org");
    EXPECT_EQ(parsed.deleteFromServer, true);

    EXPECT_EQ(ParseAccountSettings("a\nb\nc\nd\ne\nY").deleteFromServer, true);
    EXPECT_EQ(ParseAccountSettings("a\nb\nc\nd\ne\nn").deleteFromServer, false);
    AccountFileSettings single = ParseAccountSettings("/only/sound.wav");
    EXPECT_EQ(single.soundPath, "/only/sound.wav");
    EXPECT_FALSE(single.emailAddress.has_value());
    EXPECT_EQ(PopAccountLine("joe", {"pop.example.org", "smtp.example.org", "Joe Doe", "joe@example.org", false}),
              "joe=Joe Doe=joe@example.org=pop.example.org=smtp.example.org");
}

TEST(AccountSettingsFile, WrittenAtExitForAccountsInTheTree)
{
    TestBed bed;
    ProviderEntry& pop = bed.AddFakeProvider("POPMail");
    ProviderEntry& hidden = bed.AddFakeProvider("Quiet", true);
    auto joe = bed.engine->Accounts().AddAccount(pop, "joe", std::nullopt, false, 1);
    auto quiet = bed.engine->Accounts().AddAccount(hidden, "q", std::nullopt, false, 1);
    joe->Update([](AccountState& state) {
        state.soundPath = "/s/ding.wav";
        state.pop = {"pop.example.org", "smtp.example.org", "Joe", "joe@example.org", false};
    });
    bed.engine->SaveAtExit();
    EXPECT_EQ(ReadFile(joe->Folder() / "Sound.kvx"),
              "/s/ding.wav\r\njoe@example.org\r\nJoe\r\nsmtp.example.org\r\npop.example.org\r\nn\r\n");
    EXPECT_FALSE(std::filesystem::exists(quiet->Folder() / "Sound.kvx"));
}

// An account not logged in this run keeps its file at exit; Properties show
// (and then save) what the file holds.
TEST(AccountSettingsFile, KeptForAccountsNotReadAndReadBeforeProperties)
{
    TestBed bed;
    ProviderEntry& pop = bed.AddFakeProvider("POPMail");
    auto idle = bed.engine->Accounts().AddAccount(pop, "idle", std::nullopt, false, 0);
    auto edited = bed.engine->Accounts().AddAccount(pop, "edited", std::nullopt, false, 1);
    const std::string stored = "/s/bell.wav\r\nme@example.org\r\nMe\r\nsmtp.example.org\r\npop.example.org\r\ny\r\n";
    WriteFile(idle->Folder() / "Sound.kvx", stored);
    WriteFile(edited->Folder() / "Sound.kvx", stored);

    bed.ui.QueueLogin("edited", "pw");
    bed.engine->Accounts().EditAccount(*edited);
    ASSERT_EQ(bed.ui.LoginBoxesShown().size(), 1u);
    EXPECT_EQ(bed.ui.LoginBoxesShown()[0].soundPath, "/s/bell.wav");
    EXPECT_EQ(bed.ui.LoginBoxesShown()[0].pop.pop3Server, "pop.example.org");

    bed.engine->SaveAtExit();
    EXPECT_EQ(ReadFile(idle->Folder() / "Sound.kvx"), stored);
    EXPECT_EQ(ReadFile(edited->Folder() / "Sound.kvx"), stored);
}

// Deleting an account unlinks links (its folder's or inside it) and never
// deletes what they point to.
TEST(Accounts, DeleteUnlinksLinksAndKeepsWhatTheyPointTo)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    auto linked = bed.engine->Accounts().AddAccount(provider, "linked", std::nullopt, false, 1);
    auto holder = bed.engine->Accounts().AddAccount(provider, "holder", std::nullopt, false, 1);
    const std::filesystem::path outside = bed.dir.Path() / "outside";
    WriteFile(outside / "precious.txt", "keep");
    std::filesystem::remove_all(linked->Folder());
    std::filesystem::create_directory_symlink(outside, linked->Folder());
    std::filesystem::create_directory_symlink(outside, holder->Folder() / "folder-link");
    std::filesystem::create_symlink(outside / "precious.txt", holder->Folder() / "file-link");

    for (const auto& account : {linked, holder}) {
        bed.ui.QueueReply(MessageAnswer::Yes);
        bed.engine->Accounts().DeleteAccount(*account);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(account->Folder()))) << account->Login();
    }
    EXPECT_EQ(ReadFile(outside / "precious.txt"), "keep");
}
