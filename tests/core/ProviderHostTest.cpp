#include "Account.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace korvalin;
using namespace korvalin::test;

namespace {

std::vector<std::string> Names(const ProviderHost& host)
{
    std::vector<std::string> names;
    for (const auto& entry : host.Providers())
        names.push_back(entry->name);
    return names;
}

std::vector<std::string> LoggedMessages(Engine& engine)
{
    std::vector<std::string> messages;
    for (const LogEntry& entry : engine.Log().TakePending())
        messages.push_back(entry.message);
    return messages;
}

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST(ProviderHost, LoadsThePluginAndSkipsAnUnrelatedLibrary)
{
    TestBed bed;
    bed.engine->Log().SetLevel(loglevel::kEverything);
    auto folder = bed.PluginFolder({"testgate.so", "notaplugin.so"});
    WriteFile(folder / "readme.txt", "not a library");
    WriteFile(folder / "broken.so", "not an ELF file");

    bed.engine->Providers().LoadProviders(folder, bed.engine->Store());

    EXPECT_EQ(Names(bed.engine->Providers()), (std::vector<std::string>{"Dravnek", "TestProvider"}));
    const auto& files = bed.engine->Providers().Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].fileName, "korvalin");
    EXPECT_EQ(files[0].version, 5);
    EXPECT_TRUE(files[0].excluded);
    EXPECT_EQ(files[1].fileName, "testgate.so");
    EXPECT_EQ(files[1].version, 42);
    EXPECT_FALSE(files[1].excluded);

    auto log = LoggedMessages(*bed.engine);
    EXPECT_TRUE(Contains(log, "Adding provider: TestProvider"));
    EXPECT_TRUE(Contains(log, "File:testgate.so, Version:42"));
    EXPECT_TRUE(Contains(log, "Loading the user information"));

    // Every visible provider got a tree item, in order.
    auto changes = bed.ui.TreeChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].provider->name, "TestProvider");
    EXPECT_TRUE(bed.ui.MessageTexts().empty());
}

TEST(ProviderHost, NoPluginAtAllEndsTheProgram)
{
    TestBed bed;
    auto folder = bed.PluginFolder({});
    WriteFile(folder / "notes.txt", "x");
    EXPECT_THROW(bed.engine->Providers().LoadProviders(folder, bed.engine->Store()), FatalErrorRaised);
    EXPECT_EQ(bed.ui.MessageTexts().back(), "Unable to find any initialization dlls. Please reinstall Korvalin.");
}

TEST(ProviderHost, HiddenProvidersFromTheStoreGetNoTreeItem)
{
    TestBed bed;
    bed.engine->Log().SetLevel(loglevel::kEverything);
    ASSERT_TRUE(bed.engine->Store().WriteValue("HiddenProv", Bytes("Other\0TestProvider\0\0")));
    bed.engine->Providers().LoadProviders(bed.PluginFolder({"testgate.so"}), bed.engine->Store());

    ProviderEntry* entry = bed.engine->Providers().Find("testprovider");
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->hidden);
    EXPECT_FALSE(entry->inTree);
    EXPECT_TRUE(bed.engine->Providers().Files()[1].excluded) << "hidden providers are not updated";
    EXPECT_TRUE(bed.engine->Providers().IsHiddenName("Other"));
    EXPECT_TRUE(Contains(LoggedMessages(*bed.engine), "Hidden provider, deleted"));
    EXPECT_EQ(bed.ui.TreeChanges().size(), 1u) << "only provider 0";
}

TEST(ProviderHost, HiddenListEndsAtTheFirstEmptyName)
{
    TestBed bed;
    ProviderHost& host = bed.engine->Providers();
    host.SetHiddenNames(Bytes("A\0B\0\0C\0"));
    EXPECT_TRUE(host.IsHiddenName("A"));
    EXPECT_TRUE(host.IsHiddenName("B"));
    EXPECT_FALSE(host.IsHiddenName("C"));
    host.SetHiddenNames(Bytes("\0A\0"));
    EXPECT_FALSE(host.IsHiddenName("A"));
    host.SetHiddenNames("Last");  // no terminating NUL
    EXPECT_TRUE(host.IsHiddenName("Last"));
}

TEST(ProviderHost, HideAndShowFollowTheirRules)
{
    TestBed bed;
    ProviderHost& host = bed.engine->Providers();
    ProviderEntry& withAccount = bed.AddFakeProvider("WithAccount");
    ProviderEntry& empty = bed.AddFakeProvider("Empty");
    ProviderEntry& last = bed.AddFakeProvider("Last");
    ASSERT_NE(bed.engine->Accounts().AddAccount(withAccount, "joe", std::nullopt, false, 1), nullptr);

    host.HideProvider(host.ProgramProvider());
    EXPECT_FALSE(host.ProgramProvider().hidden);
    host.HideProvider(withAccount);
    EXPECT_FALSE(withAccount.hidden);
    EXPECT_EQ(bed.ui.MessageTexts(),
              std::vector<std::string>{"Please delete all accounts with this provider before hiding it."});

    bed.ui.QueueReply(MessageAnswer::Ok, true);  // "Don't show me this again" ticked
    host.HideProvider(empty);
    EXPECT_TRUE(empty.hidden);
    EXPECT_FALSE(empty.inTree);
    EXPECT_EQ(bed.ui.TreeChanges().back().kind, TreeChangeKind::ProviderRemoved);
    MessageBoxRequest notice = bed.ui.Messages().back();
    EXPECT_EQ(notice.text, "This provider is now hidden. To show it again, choose Options from Tools menu, go to the "
                           "Providers tab and select it to be shown.");
    EXPECT_EQ(notice.caption, "Information..");
    EXPECT_EQ(notice.checkBoxText, "Don't show me this again");
    EXPECT_EQ(bed.engine->Settings().Int(setting::kNoticeOnHide), 0);
    EXPECT_EQ(host.HiddenNamesValue(), Bytes("Empty\0\0"));

    host.HideProvider(last);
    EXPECT_EQ(bed.ui.Messages().size(), 2u) << "no notice once it was refused";
    EXPECT_EQ(host.HiddenNamesValue(), Bytes("Empty\0Last\0\0"));

    host.ShowProvider(empty);
    EXPECT_FALSE(empty.hidden);
    EXPECT_TRUE(empty.inTree);
    TreeChange shown = bed.ui.TreeChanges().back();
    EXPECT_EQ(shown.kind, TreeChangeKind::ProviderAdded);
    EXPECT_EQ(shown.provider, &empty);
    EXPECT_EQ(host.HiddenNamesValue(), Bytes("Last\0\0"));
}

TEST(ProviderHost, ShowingAProviderBringsItsAccountsBack)
{
    TestBed bed;
    ProviderEntry& hidden = bed.AddFakeProvider("Quiet", true);
    auto account = bed.engine->Accounts().AddAccount(hidden, "joe", std::nullopt, false, 1);
    ASSERT_NE(account, nullptr);
    EXPECT_FALSE(account->State().inTree);
    EXPECT_FALSE(std::filesystem::exists(account->Folder()));

    bed.engine->Providers().ShowProvider(hidden);
    EXPECT_TRUE(account->State().inTree);
    EXPECT_TRUE(account->Inbox()->inTree);
    EXPECT_TRUE(std::filesystem::is_directory(bed.paths.dataRoot / "Accounts" / "joe.Quiet"));
}

TEST(ProviderHost, SignUpPageOpensThroughThePort)
{
    TestBed bed;
    ProviderEntry& entry = bed.AddFakeProvider("Web");
    bed.engine->Providers().OpenSignUpPage(bed.engine->Providers().ProgramProvider());
    bed.engine->Providers().OpenSignUpPage(entry);
    EXPECT_EQ(bed.ui.openedUrls, std::vector<std::string>{"http://signup.example/Web"});
    EXPECT_TRUE(bed.ui.MessageTexts().empty());

    bed.ui.openUrlSucceeds = false;
    bed.engine->Providers().OpenSignUpPage(entry);
    EXPECT_EQ(bed.ui.MessageTexts(), std::vector<std::string>{"Error opening default web browser"});
}
