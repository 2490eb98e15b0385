// Saved passwords in the keyring: each behaviour runs against an in-memory
// keyring and, when the test's script started one on a private session bus
// (KORVALIN_TEST_SECRET_SERVICE=1), against the real Secret Service.
#include "AccountList.h"
#include "Keyring.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>

using namespace korvalin;
using namespace korvalin::test;

namespace {

class MemoryKeyring : public PasswordKeyring {
public:
    bool reachable = true;
    bool refuseStore = false;  // as a locked keyring whose unlock was declined
    std::map<std::pair<std::string, std::string>, std::string> items;
    int stores = 0;

    bool Reachable(std::string* why) override
    {
        if (!reachable)
            *why = "no Secret Service runs on the session bus";
        return reachable;
    }
    KeyringLookup Lookup(const std::string& provider, const std::string& login) override
    {
        auto found = items.find({provider, login});
        if (found == items.end())
            return {};
        return {KeyringLookup::State::Found, found->second, ""};
    }
    Status Store(const std::string& provider, const std::string& login, const std::string& password) override
    {
        if (refuseStore)
            return Status::Failure("storing a password: the unlock was dismissed");
        ++stores;
        items[{provider, login}] = password;
        return Status::Ok();
    }
    Status Remove(const std::string& provider, const std::string& login) override
    {
        items.erase({provider, login});
        return Status::Ok();
    }
};

bool RealServiceRuns()
{
    const char* flag = std::getenv("KORVALIN_TEST_SECRET_SERVICE");
    return flag != nullptr && std::string(flag) == "1";
}

// The keyring of one run; Restart() keeps it, as a real keyring outlives the program.
class PasswordStore : public testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam() && !RealServiceRuns())
            GTEST_SKIP() << "no private Secret Service (run through keyring_session.sh)";
        if (GetParam())
            keyring_ = MakeSecretServiceKeyring(std::chrono::seconds(20));
        else
            keyring_ = std::make_unique<MemoryKeyring>();
        bed_.keyring = keyring_.get();
        bed_.Restart();
        // A login of its own per run, so runs against one keyring never meet.
        login_ = "joe" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000);
    }

    void LoadAgain()
    {
        bed_.Restart();
        bed_.AddFakeProvider("Mail");
        bed_.engine->UserInfo().Load();
    }

    std::string StoredRecord() { return bed_.engine->Store().Read("Mail").bytes; }
    std::string Record(const std::string& password, uint16_t mask = 1)
    {
        return EncodeAccountRecord({login_, true, password, true, mask});
    }

    TestBed bed_;
    std::unique_ptr<PasswordKeyring> keyring_;
    std::string login_;
};

TEST_P(PasswordStore, SavedPasswordLivesInTheKeyringAndComesBackAfterARestart)
{
    ProviderEntry& provider = bed_.AddFakeProvider("Mail");
    ASSERT_TRUE(bed_.engine->Accounts().AddAccount(provider, login_, std::string("s3cr&t <x>"), true, 3));
    bed_.engine->UserInfo().Save();
    EXPECT_EQ(StoredRecord(), Record("", 3)) << "the store file keeps the password field empty";
    EXPECT_EQ(ReadFile(bed_.paths.storeFile).find("s3cr"), std::string::npos);
    KeyringLookup item = keyring_->Lookup("Mail", login_);
    EXPECT_EQ(item.state, KeyringLookup::State::Found) << item.error;
    EXPECT_EQ(item.password, "s3cr&t <x>");

    LoadAgain();
    auto accounts = bed_.engine->Accounts().AllAccounts();
    ASSERT_EQ(accounts.size(), 1u);
    AccountState state = accounts[0]->State();
    EXPECT_EQ(state.password, "s3cr&t <x>");
    EXPECT_TRUE(state.savePassword);
    EXPECT_TRUE(state.credentialsAccepted);
    EXPECT_EQ(state.folderMask, 3);
    keyring_->Remove("Mail", login_);
}

TEST_P(PasswordStore, PasswordsOfTheFileMoveIntoTheKeyringAtTheFirstStart)
{
    ASSERT_TRUE(bed_.engine->Store().WriteValue("Dravnek", UserSettings("v").ToStoredValue()));
    ASSERT_TRUE(bed_.engine->Store().WriteValue("Mail", Record("old-secret")));
    LoadAgain();
    EXPECT_EQ(StoredRecord(), Record("")) << "moved, then removed from the file";
    EXPECT_EQ(keyring_->Lookup("Mail", login_).password, "old-secret");
    EXPECT_EQ(bed_.engine->Accounts().AllAccounts().at(0)->State().password, "old-secret");

    LoadAgain();
    EXPECT_EQ(bed_.engine->Accounts().AllAccounts().at(0)->State().password, "old-secret");
    keyring_->Remove("Mail", login_);
}

TEST_P(PasswordStore, DeletingOrRenamingAnAccountDeletesItsPassword)
{
    ProviderEntry& provider = bed_.AddFakeProvider("Mail");
    auto gone = bed_.engine->Accounts().AddAccount(provider, login_, std::string("pw1"), true, 1);
    auto renamed = bed_.engine->Accounts().AddAccount(provider, login_ + "r", std::string("pw2"), true, 1);
    ASSERT_TRUE(gone && renamed);
    bed_.engine->UserInfo().Save();
    ASSERT_EQ(keyring_->Lookup("Mail", login_).state, KeyringLookup::State::Found);

    bed_.ui.QueueReply(MessageAnswer::Yes);
    bed_.engine->Accounts().DeleteAccount(*gone);
    EXPECT_EQ(keyring_->Lookup("Mail", login_).state, KeyringLookup::State::Missing);

    renamed->Update([&](AccountState& state) { state.login = login_ + "n"; });
    bed_.engine->UserInfo().Save();
    EXPECT_EQ(keyring_->Lookup("Mail", login_ + "r").state, KeyringLookup::State::Missing);
    EXPECT_EQ(keyring_->Lookup("Mail", login_ + "n").password, "pw2");

    renamed->Update([](AccountState& state) { state.savePassword = false; });
    bed_.engine->UserInfo().Save();
    EXPECT_EQ(keyring_->Lookup("Mail", login_ + "n").state, KeyringLookup::State::Missing)
        << "a password no longer saved leaves the keyring";
}

INSTANTIATE_TEST_SUITE_P(Keyrings, PasswordStore, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "SecretService" : "Memory";
                         });

int KeyringWarnings(Engine& engine)
{
    int count = 0;
    for (const LogEntry& entry : engine.Log().TakePending())
        count += entry.message.find("keyring cannot be used") != std::string::npos ? 1 : 0;
    return count;
}

TEST(PasswordStoreFallback, WithoutAUsableKeyringTheFileKeepsThePasswordAndTheLogSaysSoOnce)
{
    struct Case {
        const char* name;
        bool reachable;
        bool refuseStore;
    };
    for (const Case& c : {Case{"no service", false, false}, Case{"locked and declined", true, true}}) {
        SCOPED_TRACE(c.name);
        MemoryKeyring keyring;
        keyring.reachable = c.reachable;
        keyring.refuseStore = c.refuseStore;
        TestBed bed;
        bed.keyring = &keyring;
        bed.Restart();
        bed.engine->Log().SetLevel(loglevel::kEverything);
        ProviderEntry& provider = bed.AddFakeProvider("Mail");
        bed.engine->Accounts().AddAccount(provider, "joe", std::string("pw"), true, 1);
        bed.engine->Accounts().AddAccount(provider, "ann", std::string("pw2"), true, 1);
        bed.engine->UserInfo().Save();
        bed.engine->UserInfo().Save();
        EXPECT_EQ(bed.engine->Store().Read("Mail").bytes,
                  EncodeAccountRecord({"joe", true, "pw", true, 1}) + EncodeAccountRecord({"ann", true, "pw2", true, 1}));
        EXPECT_EQ(KeyringWarnings(*bed.engine), 1);
        EXPECT_TRUE(keyring.items.empty());
    }
}

TEST(PasswordStoreFallback, AnUnchangedPasswordIsStoredOncePerRun)
{
    MemoryKeyring keyring;
    TestBed bed;
    bed.keyring = &keyring;
    bed.Restart();
    ProviderEntry& provider = bed.AddFakeProvider("Mail");
    auto joe = bed.engine->Accounts().AddAccount(provider, "joe", std::string("pw"), true, 1);
    bed.engine->UserInfo().Save();
    bed.engine->UserInfo().Save();
    EXPECT_EQ(keyring.stores, 1);
    joe->Update([](AccountState& state) { state.password = "new"; });
    bed.engine->UserInfo().Save();
    EXPECT_EQ(keyring.stores, 2);
    EXPECT_EQ(keyring.items.at({"Mail", "joe"}), "new");
}

TEST(PasswordStoreFallback, AMissingKeyringItemMeansThePasswordIsAskedAgain)
{
    MemoryKeyring keyring;
    TestBed bed;
    bed.keyring = &keyring;
    ASSERT_TRUE(bed.engine->Store().WriteValue("Dravnek", UserSettings("v").ToStoredValue()));
    ASSERT_TRUE(bed.engine->Store().WriteValue("Mail", EncodeAccountRecord({"joe", true, "", true, 1})));
    bed.Restart();
    bed.AddFakeProvider("Mail");
    bed.engine->UserInfo().Load();
    AccountState state = bed.engine->Accounts().AllAccounts().at(0)->State();
    EXPECT_FALSE(state.credentialsAccepted);
    EXPECT_EQ(state.password, "");
}

// Where no session bus exists the keyring gives up at once, never waiting.
TEST(SecretServiceKeyring, WithoutASessionBusItIsUnreachableAtOnce)
{
    TempDir runtime;
    std::string savedAddress = std::getenv("DBUS_SESSION_BUS_ADDRESS") ? std::getenv("DBUS_SESSION_BUS_ADDRESS") : "";
    std::string savedRuntime = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    std::string why;
    EXPECT_FALSE(MakeSecretServiceKeyring(std::chrono::seconds(20))->Reachable(&why));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(why, "no session bus runs");
    setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
    if (!savedAddress.empty())
        setenv("DBUS_SESSION_BUS_ADDRESS", savedAddress.c_str(), 1);
}

TEST(SecretServiceKeyring, ItemsCarryProgramProviderAndLoginAndAReadableLabel)
{
    if (!RealServiceRuns())
        GTEST_SKIP() << "no private Secret Service (run through keyring_session.sh)";
    auto keyring = MakeSecretServiceKeyring(std::chrono::seconds(20));
    std::string why;
    ASSERT_TRUE(keyring->Reachable(&why)) << why;
    ASSERT_TRUE(keyring->Store("POPMail", "ann", "pw"));
    // The script looks the item up with secret-tool by these attributes.
    const char* check = std::getenv("KORVALIN_TEST_SECRET_LOOKUP");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(std::system(check), 0);
    EXPECT_EQ(KeyringLabel("POPMail", "ann"), "Korvalin Mail password for ann on POPMail");
    EXPECT_TRUE(keyring->Remove("POPMail", "ann"));
    EXPECT_TRUE(keyring->Remove("POPMail", "ann")) << "removing what is gone is fine";
}

}  // namespace
