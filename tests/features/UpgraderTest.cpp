#include "PluginFileName.h"
#include "TestSupport.h"
#include "UpdateInstaller.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace korvalin::test {
namespace {

class Upgrader : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(updates);
        std::filesystem::create_directories(target);
        WriteFile(target / "hotgate.so", "old hotgate");
        WriteFile(target / "korvalin", "the program");
    }

    TempDir dir;
    std::filesystem::path updates = dir.Path() / "data" / "UpDir";
    std::filesystem::path target = dir.Path() / "bin";
};

TEST(PluginFileName, OnlyPlainPluginNames)
{
    EXPECT_TRUE(IsUpdatableFileName("hotgate.so"));
    EXPECT_TRUE(IsUpdatableFileName("new-gate_2.so"));
    for (const char* name : {"korvalin", "hotgate.so.1", ".hidden.so", "../x.so", "a/b.so", "a\\b.so", "..so", ".so",
                             "x..so", "sp ace.so", ""})
        EXPECT_FALSE(IsUpdatableFileName(name)) << name;
}

TEST_F(Upgrader, InstallsPluginsOverTheOldOnesAndLeavesEverythingElse)
{
    WriteFile(updates / "hotgate.so", "new hotgate");
    WriteFile(updates / "newgate.so", "new service");
    WriteFile(updates / "korvalin", "not a plug-in");
    WriteFile(updates / "newgate.so.partABC123", "half a download");
    std::filesystem::create_symlink("/etc/passwd", updates / "link.so");
    std::filesystem::create_directory(updates / "folder.so");

    InstallReport report = InstallUpdates(updates, target);
    EXPECT_EQ(report.installed, (std::vector<std::string>{"hotgate.so", "newgate.so"}));
    EXPECT_EQ(report.skipped,
              (std::vector<std::string>{"folder.so", "korvalin", "link.so", "newgate.so.partABC123"}));
    EXPECT_TRUE(report.errors.empty());
    EXPECT_EQ(ReadFile(target / "hotgate.so"), "new hotgate");
    EXPECT_EQ(ReadFile(target / "newgate.so"), "new service");
    EXPECT_EQ(ReadFile(target / "korvalin"), "the program");
    EXPECT_FALSE(std::filesystem::exists(target / "link.so"));
    EXPECT_FALSE(std::filesystem::exists(updates / "hotgate.so"));  // installed files leave the folder
    EXPECT_TRUE(std::filesystem::exists(updates / "korvalin"));
    struct stat status {};
    ASSERT_EQ(::stat((target / "newgate.so").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0755u);
}

TEST_F(Upgrader, AMissingUpdateFolderIsAnError)
{
    std::filesystem::remove(updates);
    InstallReport report = InstallUpdates(updates, target);
    EXPECT_TRUE(report.installed.empty());
    EXPECT_EQ(report.errors.size(), 1u);
}

TEST_F(Upgrader, TheProgramInstallsFromTheDataRootsUpDir)
{
    WriteFile(updates / "hotgate.so", "newer");
    const std::string command = "cd '" + (dir.Path() / "data").string() + "' && '" KORVALIN_UPGRADER "' --target '" +
                                target.string() + "' --no-restart 2>/dev/null";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(target / "hotgate.so"), "newer");
}

}  // namespace
}  // namespace korvalin::test
