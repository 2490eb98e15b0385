#include "FeatureTestBed.h"
#include "HttpTestServer.h"
#include "UpdateList.h"
#include "UpdateTransfer.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace korvalin::test {
namespace {

const std::vector<UpdateFile> kFiles{{"korvalin", 5, true}, {"hotgate.so", 6, false}, {"hidden.so", 2, true}};

TEST(PlanUpdate, HigherVersionsAndUnknownFilesAreDownloadedInListOrder)
{
    UpdatePlan plan = PlanUpdate(kFiles, "newgate.so+1+A new service\n"
                                         "HOTGATE.SO+7+Hotmail works again\n"
                                         "korvalin+99+A new program\n"
                                         "hidden.so+9+Hidden\n");
    EXPECT_EQ(plan.downloads, (std::vector<std::string>{"hotgate.so", "newgate.so"}));
    EXPECT_EQ(plan.featuresText.substr(plan.featuresText.find("\nNew features:")),
              "\nNew features:\n----------------\nA new service\nHotmail works again\n");
    EXPECT_EQ(plan.featuresText.rfind("Korvalin will check from time to time", 0), 0u);
}

TEST(PlanUpdate, EqualOrLowerVersionsShortLinesAndRepeatsAreIgnored)
{
    UpdatePlan plan = PlanUpdate(kFiles, "hotgate.so+6+Same\r\nhotgate.so+5+Older\n"
                                         "hotgate.so++7+\n"
                                         "justaname.so\n"
                                         "newgate.so+1+First\nnewgate.so+2+Again\n\n");
    EXPECT_EQ(plan.downloads, (std::vector<std::string>{"newgate.so"}));
    EXPECT_TRUE(plan.featuresText.ends_with("\nNew features:\n----------------\nFirst\n")) << plan.featuresText;
}

TEST(PlanUpdate, PathLikeAndNonPluginNamesAreRefused)
{
    UpdatePlan plan = PlanUpdate(kFiles, "../evil.so+1+x\nsub/dir.so+1+x\nback\\slash.so+1+x\n.hidden.so+1+x\n"
                                         "run.sh+1+x\n..so+1+x\nok-gate_2.so+1+fine\n");
    EXPECT_EQ(plan.downloads, (std::vector<std::string>{"ok-gate_2.so"}));
    EXPECT_EQ(plan.refusedNames,
              (std::vector<std::string>{"../evil.so", "sub/dir.so", "back\\slash.so", ".hidden.so", "run.sh", "..so"}));
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bed.engine().Providers().LoadProviders(bed.bed.PluginFolder({"testgate.so"}), bed.engine().Store());
        bed.WriteHostsConf("vendor.web = " + server.BaseUrl() + "\n");
    }

    HttpResponse Serve(const HttpRequest& request)
    {
        std::lock_guard lock(mutex);
        if (request.Path == "/update/info.txt")
            return HttpResponse::Page(list);
        auto found = files.find(request.Path.substr(std::string("/update/").size()));
        if (request.Path.rfind("/update/", 0) != 0 || found == files.end())
            return HttpResponse::NotFound();
        return HttpResponse::Page(found->second);
    }
    void SetList(const std::string& text)
    {
        std::lock_guard lock(mutex);
        list = text;
    }
    void SetFile(const std::string& name, const std::string& bytes)
    {
        std::lock_guard lock(mutex);
        files[name] = bytes;
    }
    std::vector<std::string> Paths()
    {
        std::vector<std::string> paths;
        for (const HttpRequest& request : server.Requests())
            paths.push_back(request.Path);
        return paths;
    }
    // The list as the check stores it, then processed on the "UI thread".
    void FetchAndProcess()
    {
        bed.hooks.StartUpdateCheck();
        ASSERT_TRUE(bed.port.RunPostedWork());
    }
    std::filesystem::path Data(const std::string& name) { return bed.bed.paths.dataRoot / name; }

    std::mutex mutex;
    std::string list;
    std::map<std::string, std::string> files;
    FeatureBed bed;
    HttpTestServer server{[this](const HttpRequest& request) { return Serve(request); }};
};

TEST_F(UpdateTest, OnlyIgnoredLinesShowNothingAndDeleteTheList)
{
    SetList("korvalin+9+New program\r\ntestgate.so+42+Same version\r\n");
    bed.hooks.StartUpdateCheck();
    bed.hooks.StartUpdateCheck();  // once per run
    ASSERT_TRUE(bed.port.RunPostedWork());
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/update/info.txt"}));
    EXPECT_EQ(bed.port.PostedCount(), 1u);
    EXPECT_TRUE(bed.port.offers.empty());
    EXPECT_FALSE(std::filesystem::exists(Data("info.txt")));
    EXPECT_EQ(bed.bed.ui.StatusTexts(kMessagePane), (std::vector<std::string>{"Initializing..", ""}));
    EXPECT_TRUE(bed.bed.ui.MessageTexts().empty());
}

TEST_F(UpdateTest, AHiddenProvidersFileIsNeverOffered)
{
    ProviderEntry* provider = bed.engine().Providers().Find("TestProvider");
    ASSERT_NE(provider, nullptr);
    bed.engine().Providers().HideProvider(*provider, false);
    SetList("testgate.so+43+Faster\n");
    FetchAndProcess();
    EXPECT_TRUE(bed.port.offers.empty());
}

TEST_F(UpdateTest, AcceptedOfferDownloadsIntoUpDirAndHandsOverToTheUpgrader)
{
    SetList("testgate.so+43+Faster\nnewgate.so+1+A new service\n../evil.so+1+Evil\n");
    SetFile("testgate.so", std::string(3000, 'T'));
    SetFile("newgate.so", "NEW");
    WriteFile(Data("UpDir") / "stale.so", "old download");
    bed.port.answerOffer = [](UpdateOfferBox& box) { box.OnUpdateNow(); };
    std::shared_ptr<CAccount> joe = bed.AddAccount("Mail", "joe");
    bed.engine().Mail().OpenFolder(*joe->Inbox());
    FetchAndProcess();
    EXPECT_TRUE(bed.engine().Mail().OpenSummaries().empty()) << "every summary is written before the hand-over";

    ASSERT_EQ(bed.port.offers.size(), 1u);
    EXPECT_NE(bed.port.offers[0].find("New features:\n----------------\nFaster\nA new service\n"), std::string::npos);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/update/info.txt", "/update/testgate.so", "/update/newgate.so"}));
    EXPECT_EQ(ReadFile(Data("UpDir") / "testgate.so"), std::string(3000, 'T'));
    EXPECT_EQ(ReadFile(Data("UpDir") / "newgate.so"), "NEW");
    EXPECT_FALSE(std::filesystem::exists(Data("UpDir") / "stale.so"));
    EXPECT_FALSE(std::filesystem::exists(Data("evil.so")));

    // Progress after every piece of at most 1024 bytes: at least three for 3000 bytes.
    auto panes = bed.bed.ui.StatusTexts(kMessagePane);
    ASSERT_GE(panes.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(panes.begin(), panes.begin() + 3),
              (std::vector<std::string>{"Initializing..", "Downloading..", "Downloading 1 of 2 (0 bytes)"}));
    auto secondFile = std::find(panes.begin(), panes.end(), "Downloading 2 of 2 (0 bytes)");
    ASSERT_NE(secondFile, panes.end());
    EXPECT_GE(secondFile - panes.begin() - 3, 3);
    EXPECT_EQ(*(secondFile - 1), "Downloading 1 of 2 (2 Kb done)");
    EXPECT_EQ(panes.back(), "Downloading 2 of 2 (0 Kb done)");
    auto progress = bed.bed.ui.StatusTexts(kProgressPane);
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress.front(), "34.1%");
    EXPECT_EQ(progress.back(), "100.0%");
    EXPECT_EQ(bed.port.started,
              (std::vector<std::filesystem::path>{bed.bed.paths.executableDir / "korvalin-upgrader"}));
    EXPECT_EQ(bed.port.exitCodes, (std::vector<int>{0}));
    EXPECT_TRUE(bed.bed.ui.MessageTexts().empty());
}

TEST_F(UpdateTest, DontUpdateAsksFirstAndTellMeMoreShowsTheFeatures)
{
    SetList("testgate.so+50+Much better\n");
    bed.port.answerOffer = [this](UpdateOfferBox& box) {
        bed.bed.ui.QueueReply(MessageAnswer::No);
        box.OnDontUpdate();
        EXPECT_FALSE(box.Closed());
        box.OnTellMeMore();
        bed.bed.ui.QueueReply(MessageAnswer::Yes);
        box.OnDontUpdate();
        EXPECT_TRUE(box.Closed());
    };
    FetchAndProcess();
    auto messages = bed.bed.ui.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, kDontUpdateQuestion);
    EXPECT_EQ(messages[0].defaultButton, MessageAnswer::No);
    EXPECT_EQ(messages[1].icon, MessageIcon::Information);
    EXPECT_NE(messages[1].text.find("Much better\n"), std::string::npos);
    EXPECT_EQ(Paths().size(), 1u);
    EXPECT_TRUE(bed.port.exitCodes.empty());
    EXPECT_FALSE(std::filesystem::exists(Data("info.txt")));
}

TEST_F(UpdateTest, AFailedDownloadKeepsWhatArrivedAndTheProgramRunning)
{
    SetList("testgate.so+43+Faster\nmissing.so+1+Gone\n");
    SetFile("testgate.so", "T");
    bed.port.answerOffer = [](UpdateOfferBox& box) { box.OnUpdateNow(); };
    FetchAndProcess();
    EXPECT_EQ(bed.bed.ui.MessageTexts(), (std::vector<std::string>{kUpdateFileError}));
    EXPECT_EQ(ReadFile(Data("UpDir") / "testgate.so"), "T");
    EXPECT_FALSE(std::filesystem::exists(Data("UpDir") / "missing.so"));  // never the error page
    EXPECT_TRUE(bed.port.started.empty());
    EXPECT_TRUE(bed.port.exitCodes.empty());
    EXPECT_FALSE(std::filesystem::exists(Data("info.txt")));
}

TEST_F(UpdateTest, AnUpgraderThatCannotStartLeavesTheProgramRunning)
{
    SetList("newgate.so+1+New\n");
    SetFile("newgate.so", "N");
    bed.port.answerOffer = [](UpdateOfferBox& box) { box.OnUpdateNow(); };
    bed.port.startSucceeds = false;
    FetchAndProcess();
    EXPECT_EQ(bed.bed.ui.MessageTexts(), (std::vector<std::string>{kUpdateOtherError}));
    EXPECT_TRUE(bed.port.exitCodes.empty());
}

TEST_F(UpdateTest, AnUnreachableListIsSilent)
{
    bed.WriteHostsConf("vendor.web = http://127.0.0.1:1\n");
    bed.hooks.StartUpdateCheck();
    ASSERT_TRUE(bed.port.RunPostedWork());  // only logs
    EXPECT_TRUE(bed.bed.ui.MessageTexts().empty());
    EXPECT_TRUE(bed.bed.ui.StatusTexts(kMessagePane).empty());
}

TEST(UpdateUrl, HttpsUnlessTheSettingNamesAScheme)
{
    TempDir dir;
    PlatformPaths paths = PathsUnder(dir.Path());
    WriteFile(paths.dataRoot / "hosts.conf", "vendor.web = vendor.example\n");
    EXPECT_EQ(UpdateUrl(paths, "info.txt"), "https://vendor.example/update/info.txt");
    WriteFile(paths.dataRoot / "hosts.conf", "vendor.web = http://127.0.0.1:8080/\n");
    EXPECT_EQ(UpdateUrl(paths, "a.so"), "http://127.0.0.1:8080/update/a.so");
}

}  // namespace
}  // namespace korvalin::test
