#include "AccountList.h"
#include "DesktopIntegration.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace korvalin;
using namespace korvalin::test;

namespace {

const char* const kUpgradeText =
    "This seems like an upgrade. New options, like signature, hiding unused providers, etc are available now. You "
    "will now be asked to customize these settings for yourself.";
const char* const kCorruptText =
    "User info is corrupt. Press OK to clean up the configuration. It will let you reconfigure the application, "
    "otherwise Korvalin might not work";
const char* const kClearQuestion =
    "All account information for every user will be deleted. This feature should be used only in irreparable "
    "situations. Are you sure?";
const char* const kTooMany = "Too many accounts, all information wont be saved";

std::string NewProviderText(const std::string& name)
{
    return "There is a new provider available: " + name +
           ". You can add any accounts you have with it, by right clicking on it and choosing Add Account from the menu";
}

class RouteDown : public CoreHooks {
public:
    bool RouteTest() override { return false; }
    bool cleared = false;
    void ClearPendingActions() override { cleared = true; }
};

// A store that already holds a full settings record and an empty list for each name.
void SeedStore(TestBed& bed, const std::vector<std::string>& providers)
{
    ASSERT_TRUE(bed.engine->Store().WriteValue("Dravnek", UserSettings("v").ToStoredValue()));
    for (const std::string& name : providers)
        ASSERT_TRUE(bed.engine->Store().WriteValue(name, ""));
}

std::vector<std::string> Warnings(Engine& engine)
{
    std::vector<std::string> found;
    for (const LogEntry& entry : engine.Log().TakePending()) {
        if (entry.level == "Warning" || entry.level == "Error")
            found.push_back(entry.message);
    }
    return found;
}

}  // namespace

TEST(AccountListValue, RecordsAreByteExact)
{
    EXPECT_EQ(EncodeAccountRecord({"joe", true, "pw", true, 0x0003}), Bytes("joe\0\x01pw\0\x01\x03\x00"));
    EXPECT_EQ(EncodeAccountRecord({"ann", false, "", false, 0x0102}), Bytes("ann\0\x00\x00\x02\x01"));

    DecodedAccountList list = DecodeAccountList(Bytes("joe\0\x01pw\0\x01\x03\x00"
                                                      "ann\0\x00\x00\x01\x00"));
    ASSERT_EQ(list.accounts.size(), 2u);
    EXPECT_FALSE(list.damaged);
    EXPECT_EQ(list.accounts[0].password, "pw");
    EXPECT_EQ(list.accounts[0].folderMask, 3);
    EXPECT_FALSE(list.accounts[1].hasPassword);

    for (const std::string& damaged : {Bytes("joe\0\x01pw\0\x01\x03\x00"
                                             "ann\0\x00\x00\x01"),
                                       Bytes("joe\0\x01pw\0\x01\x03\x00"
                                             "ann")}) {
        DecodedAccountList partial = DecodeAccountList(damaged);
        EXPECT_TRUE(partial.damaged);
        ASSERT_EQ(partial.accounts.size(), 1u);
        EXPECT_EQ(partial.accounts[0].login, "joe");
    }

    // A has-password byte that is neither 0 nor 1 reads as "no password".
    DecodedAccountList odd = DecodeAccountList(Bytes("ann\0\x07\x00\x01\x00"
                                                     "joe\0\x01pw\0\x01\x03\x00"));
    EXPECT_FALSE(odd.damaged);
    ASSERT_EQ(odd.accounts.size(), 2u);
    EXPECT_FALSE(odd.accounts[0].hasPassword);
    EXPECT_EQ(odd.accounts[0].folderMask, 1);
    EXPECT_EQ(odd.accounts[1].password, "pw");
}

TEST(UserInformation, SavedAccountListsAreByteExactAndComeBack)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    AccountManager& accounts = bed.engine->Accounts();
    auto joe = accounts.AddAccount(provider, "joe", std::string("secret"), true, 0x0003);
    auto ann = accounts.AddAccount(provider, "ann", std::nullopt, false, 1);
    auto bob = accounts.AddAccount(provider, "bob", std::string("typed"), false, 1);  // chose not to save it
    auto eve = accounts.AddAccount(provider, "eve", std::string("refused"), true, 1);
    eve->Update([](AccountState& state) { state.credentialsAccepted = false; });  // refused by the last login
    ASSERT_TRUE(joe && ann && bob && eve);
    bed.engine->UserInfo().Save();

    EXPECT_EQ(bed.engine->Store().Read("Mail").bytes, Bytes("joe\0\x01secret\0\x01\x03\x00"
                                                            "ann\0\x00\x00\x01\x00"
                                                            "bob\0\x00\x00\x01\x00"
                                                            "eve\0\x00\x00\x01\x00"));
    EXPECT_EQ(bed.engine->Store().Read("HiddenProv").bytes, Bytes("\0"));
    EXPECT_EQ(bed.engine->Store().Read("Dravnek").bytes.size(), 508u);

    bed.Restart();
    bed.AddFakeProvider("Mail");
    bed.engine->UserInfo().Load();
    EXPECT_TRUE(bed.ui.MessageTexts().empty());
    auto loaded = bed.engine->Accounts().AllAccounts();
    ASSERT_EQ(loaded.size(), 4u);
    AccountState first = loaded[0]->State();
    EXPECT_EQ(first.login, "joe");
    EXPECT_EQ(first.password, "secret");
    EXPECT_TRUE(first.credentialsAccepted);
    EXPECT_TRUE(first.savePassword);
    EXPECT_EQ(first.folderMask, 3);
    EXPECT_TRUE(first.checked);
    AccountState second = loaded[1]->State();
    EXPECT_EQ(second.password, "");
    EXPECT_FALSE(second.credentialsAccepted);
    EXPECT_FALSE(second.savePassword);
}

TEST(UserInformation, ShortSettingsRecordIsAnUpgrade)
{
    TestBed bed;
    UserSettings stored("v");
    stored.SetInt(setting::kCheckInterval, 9);
    stored.SetInt(setting::kNoticeOnHide, 0);  // at 496: beyond the stored bytes
    ASSERT_TRUE(bed.engine->Store().WriteValue("Dravnek", stored.ToStoredValue().substr(0, 300)));
    bed.engine->UserInfo().Load();

    EXPECT_EQ(bed.engine->Settings().Int(setting::kCheckInterval), 9);
    EXPECT_EQ(bed.engine->Settings().Int(setting::kNoticeOnHide), 1);
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{kUpgradeText});
    EXPECT_EQ(bed.ui.CountCalls("OpenOptionsSheet"), 1u);

    bed.ui.Reset();
    bed.engine->UserInfo().Save();
    bed.Restart();
    bed.engine->UserInfo().Load();
    EXPECT_TRUE(bed.ui.MessageTexts().empty()) << "a full record is no upgrade";
    EXPECT_EQ(bed.ui.CountCalls("OpenOptionsSheet"), 0u);
}

TEST(UserInformation, NewProviderIsAnnouncedOnce)
{
    TestBed bed;
    SeedStore(bed, {"Known"});
    bed.AddFakeProvider("Known");
    bed.AddFakeProvider("Fresh");
    bed.engine->UserInfo().Load();
    ASSERT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{NewProviderText("Fresh")});
    EXPECT_EQ(bed.ui.Messages()[0].icon, MessageIcon::Information);
    StoreValue recorded = bed.engine->Store().Read("Fresh");
    EXPECT_EQ(recorded.state, StoreRead::Found);
    EXPECT_EQ(recorded.bytes, "");

    bed.Restart();
    bed.AddFakeProvider("Known");
    bed.AddFakeProvider("Fresh");
    bed.engine->UserInfo().Load();
    EXPECT_EQ(bed.ui.MessageTexts().size(), 1u) << "the second start says nothing";
    EXPECT_TRUE(bed.engine->Accounts().AllAccounts().empty());
}

TEST(UserInformation, DamagedAccountListKeepsTheRecordsBeforeTheDamage)
{
    TestBed bed;
    SeedStore(bed, {});
    ASSERT_TRUE(bed.engine->Store().WriteValue("Mail", Bytes("joe\0\x00\x00\x01\x00"
                                                             "ann\0\x01unterminated")));
    bed.AddFakeProvider("Mail");
    bed.engine->Log().SetLevel(loglevel::kEverything);
    bed.engine->UserInfo().Load();
    auto accounts = bed.engine->Accounts().AllAccounts();
    ASSERT_EQ(accounts.size(), 1u);
    EXPECT_EQ(accounts[0]->Login(), "joe");
    auto warnings = Warnings(*bed.engine);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("The account list of Mail is damaged"), std::string::npos);
}

TEST(UserInformation, StoredLoginThatWouldLeaveTheAccountsFolderIsRefused)
{
    TestBed bed;
    SeedStore(bed, {});
    ASSERT_TRUE(bed.engine->Store().WriteValue("Mail", Bytes("../../evil\0\x00\x00\x01\x00"
                                                             "ok\0\x00\x00\x01\x00")));
    bed.AddFakeProvider("Mail");
    bed.engine->UserInfo().Load();
    auto accounts = bed.engine->Accounts().AllAccounts();
    ASSERT_EQ(accounts.size(), 1u);
    EXPECT_EQ(accounts[0]->Login(), "ok");
    ASSERT_EQ(bed.ui.MessageTexts().size(), 1u);
    EXPECT_NE(bed.ui.MessageTexts()[0].find("\"../../evil\" cannot be used"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(bed.dir.Path() / "evil.Mail"));
}

TEST(UserInformation, CorruptStoreOffersCleanUp)
{
    TestBed bed;
    WriteFile(bed.paths.storeFile, "not a store\n");
    bed.AddFakeProvider("Mail");
    bed.ui.QueueReply(MessageAnswer::Cancel);
    bed.engine->UserInfo().Load();
    ASSERT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{kCorruptText});
    EXPECT_EQ(bed.ui.Messages()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(bed.engine->Settings().Int(setting::kCheckInterval), 2) << "defaults stand";
    EXPECT_EQ(ReadFile(bed.paths.storeFile), "not a store\n") << "nothing overwritten behind the person's back";

    bed.Restart();
    bed.ui.Reset();
    bed.ui.QueueReply(MessageAnswer::Ok);
    bed.ui.QueueReply(MessageAnswer::Yes);
    EXPECT_THROW(bed.engine->UserInfo().Load(), FatalErrorRaised);
    EXPECT_EQ(bed.ui.MessageTexts()[1], kClearQuestion);
    EXPECT_FALSE(std::filesystem::exists(bed.paths.storeFile));
}

TEST(UserInformation, AccountListStopsPastFiveThousandBytes)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    for (int i = 0; i < 60; ++i) {
        std::string login = std::to_string(i) + std::string(100 - std::to_string(i).size(), 'x');
        ASSERT_TRUE(bed.engine->Accounts().AddAccount(provider, login, std::nullopt, false, 1));
    }
    bed.engine->UserInfo().Save();
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{kTooMany});
    // 105 bytes per record: the 48th crosses 5000 and stays, the rest are left out.
    EXPECT_EQ(bed.engine->Store().Read("Mail").bytes.size(), 48u * 105u);

    ProviderEntry& huge = bed.AddFakeProvider("Huge");
    ASSERT_TRUE(bed.engine->Accounts().AddAccount(huge, std::string(5200, 'h'), std::nullopt, false, 1));
    bed.ui.Reset();
    bed.engine->UserInfo().Save();
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>(2, kTooMany));
    EXPECT_EQ(bed.engine->Store().Read("Huge").bytes, "") << "a record that cannot fit is not added";
}

TEST(UserInformation, FailedSaveIsReported)
{
    TestBed bed;
    WriteFile(bed.paths.storeFile, "damaged\n");
    bed.engine->UserInfo().Save();
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{"Unable to save user preferences. Please inform your "
                                                              "administrator"});
}

TEST(UserInformation, ClearAllSettingsAsksThenDeletesEverything)
{
    TestBed bed;
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    auto account = bed.engine->Accounts().AddAccount(provider, "joe", std::nullopt, false, 1);
    WriteFile(account->Folder() / "Inbox.sum", "x");
    WriteFile(bed.paths.dataRoot / "Filters" / "joe.Mail", "rules");
    bed.engine->Settings().SetFlag(setting::kStartWithSession, true);
    bed.engine->UserInfo().Save();
    ASSERT_TRUE(AutostartPresent(bed.paths));

    bed.engine->UserInfo().ClearAllSettings();  // default answer: No
    EXPECT_EQ(bed.ui.Messages().back().text, kClearQuestion);
    EXPECT_EQ(bed.ui.Messages().back().defaultButton, MessageAnswer::No);
    EXPECT_TRUE(bed.engine->Store().Exists());

    bed.ui.QueueReply(MessageAnswer::Yes);
    EXPECT_THROW(bed.engine->UserInfo().ClearAllSettings(), FatalErrorRaised);
    EXPECT_EQ(bed.ui.MessageTexts().back(), "All configuration was deleted. The application will now close. Please "
                                            "restart the application and reconfigure it");
    EXPECT_FALSE(bed.engine->Store().Exists());
    EXPECT_FALSE(AutostartPresent(bed.paths));
    EXPECT_FALSE(std::filesystem::exists(bed.paths.dataRoot / "Accounts"));
    EXPECT_FALSE(std::filesystem::exists(bed.paths.dataRoot / "Filters"));
}

TEST(UserInformation, FirstRunTakesTheWizardChoicesAndSaves)
{
    TestBed bed;
    bed.ui.wizardChoices.checkIntervalMinutes = 7;
    bed.ui.wizardChoices.startWithSession = true;
    bed.ui.wizardChoices.startOffline = true;
    bed.ui.wizardChoices.playSound = false;
    WriteFile(bed.paths.dataRoot / "hosts.conf", "vendor.web = https://vendor.example\n");
    bed.engine->UserInfo().Load();
    EXPECT_EQ(bed.engine->Settings().Signature(), UserSettings::DefaultSignature("https://vendor.example"));

    EXPECT_EQ(bed.ui.CountCalls("RunSetupWizard"), 1u);
    UserSettings& settings = bed.engine->Settings();
    EXPECT_EQ(settings.Int(setting::kCheckInterval), 7);
    EXPECT_EQ(settings.Int(setting::kPlaySound), 0);
    EXPECT_EQ(settings.Int(setting::kStartWithSession), 1);
    EXPECT_EQ(settings.Int(setting::kStartOnline), 0);
    EXPECT_FALSE(bed.engine->Online().Online());
    EXPECT_TRUE(AutostartPresent(bed.paths));
    ASSERT_TRUE(bed.engine->Store().Exists());
    struct stat info {};
    ::stat(bed.paths.storeFile.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    bed.Restart();
    bed.engine->UserInfo().Load();
    EXPECT_EQ(bed.ui.CountCalls("RunSetupWizard"), 1u) << "the second start is no first run";
}

TEST(UserInformation, AutostartEntryFollowsTheSettingOnSave)
{
    TestBed bed;
    bed.engine->Settings().SetFlag(setting::kStartWithSession, true);
    bed.engine->UserInfo().Save();
    EXPECT_TRUE(AutostartPresent(bed.paths));
    bed.engine->Settings().SetFlag(setting::kStartWithSession, false);
    bed.engine->UserInfo().Save();
    EXPECT_FALSE(AutostartPresent(bed.paths));
}

TEST(UserInformation, MailLinkCheckAsksUntilAnswered)
{
    const char* question =
        "Korvalin can be configured to be used with email links on the internet. Would you like to use Korvalin as "
        "your email client for such links? \nThis way you will be able to use your web based email accounts to send "
        "mail from mailto: links on web pages on the internet.\n\nPress Yes to use Korvalin Mail as your default "
        "email client.\nPress No to continue using the currently configured client, or,\nPress Cancel to skip this "
        "test from next time onwards";
    TestBed bed;
    SeedStore(bed, {});
    WriteFile(bed.paths.mimeappsList, "[Default Applications]\nx-scheme-handler/mailto=other.desktop\n");

    bed.ui.QueueReply(MessageAnswer::No);
    bed.engine->UserInfo().Load();
    ASSERT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{question});
    EXPECT_EQ(bed.ui.Messages()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(DefaultMailtoHandler(bed.paths), "other.desktop");

    bed.Restart();
    bed.ui.QueueReply(MessageAnswer::Yes);
    bed.engine->UserInfo().Load();
    EXPECT_EQ(DefaultMailtoHandler(bed.paths), "korvalin.desktop");

    bed.Restart();
    bed.engine->UserInfo().Load();
    EXPECT_EQ(bed.ui.MessageTexts().size(), 2u) << "no question once Korvalin handles mail links";

    WriteFile(bed.paths.mimeappsList, "");
    bed.Restart();
    bed.ui.QueueReply(MessageAnswer::Cancel);
    bed.engine->UserInfo().Load();
    EXPECT_EQ(bed.engine->Settings().Int(setting::kCheckMailtoHandler), 0);
}

TEST(UserInformation, EndOfLoadingSetsLogLevelModeAndTipsPage)
{
    TestBed bed;
    UserSettings stored("v");
    stored.SetInt(setting::kLogLevel, 7);
    ASSERT_TRUE(bed.engine->Store().WriteValue("Dravnek", stored.ToStoredValue()));
    WriteFile(bed.paths.dataRoot / "hosts.conf", "vendor.web = 127.0.0.1:8080\n");
    bed.engine->UserInfo().Load();
    EXPECT_EQ(bed.engine->Log().Level(), 7);
    EXPECT_EQ(bed.ui.CountCalls("ShowDebugWindow"), 1u);
    EXPECT_EQ(bed.ui.CountCalls("ShowHomePage http://127.0.0.1:8080/tips.htm"), 1u);

    RouteDown hooks;
    bed.hooks = &hooks;
    stored.SetInt(setting::kLogLevel, 0);
    ASSERT_TRUE(bed.engine->Store().WriteValue("Dravnek", stored.ToStoredValue()));
    bed.Restart();
    bed.ui.Reset();
    bed.engine->UserInfo().Load();
    EXPECT_EQ(bed.ui.CountCalls("HideDebugWindow"), 1u) << "level 0 keeps the window hidden";
    EXPECT_FALSE(bed.engine->Online().Online());
    EXPECT_TRUE(hooks.cleared);
    EXPECT_EQ(bed.ui.StatusTexts(kModePane), std::vector<std::string>{"Offline Mode"});
    for (const std::string& call : bed.ui.Calls())
        EXPECT_EQ(call.find("ShowHomePage"), std::string::npos) << "offline shows no tips page";
    bed.hooks = nullptr;
    bed.Restart();
}
