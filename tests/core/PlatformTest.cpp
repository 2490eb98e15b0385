#include "AtomicFile.h"
#include "DesktopIntegration.h"
#include "TestSupport.h"
#include "UserStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvalin;
using korvalin::test::Bytes;
using korvalin::test::ReadFile;
using korvalin::test::TempDir;
using korvalin::test::WriteFile;

namespace {

mode_t PermissionBits(const std::filesystem::path& file)
{
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_mode & 0777;
}

size_t FilesIn(const std::filesystem::path& folder)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

}  // namespace

TEST(UserStore, KeepsBinaryValuesAndOddNamesExactly)
{
    TempDir dir;
    UserStore store(dir.Path() / "cfg" / "registry");
    EXPECT_FALSE(store.Exists());
    EXPECT_EQ(store.Read("Dravnek").state, StoreRead::Missing);

    const std::string binary = Bytes("a\0\x01\xff\n b%");
    ASSERT_TRUE(store.WriteValue("Dravnek", binary));
    ASSERT_TRUE(store.WriteValue("odd name%\n", ""));
    ASSERT_TRUE(store.WriteValue("HiddenProv", Bytes("x\0\0")));

    EXPECT_TRUE(store.Exists());
    EXPECT_EQ(store.Read("Dravnek").bytes, binary);
    StoreValue empty = store.Read("odd name%\n");
    EXPECT_EQ(empty.state, StoreRead::Found);
    EXPECT_EQ(empty.bytes, "");
    EXPECT_EQ(store.Read("dravnek").state, StoreRead::Missing) << "names are exact";

    ASSERT_TRUE(store.RemoveValue("HiddenProv"));
    EXPECT_EQ(store.Read("HiddenProv").state, StoreRead::Missing);
    EXPECT_EQ(store.Read("Dravnek").bytes, binary);
}

TEST(UserStore, FileIsPrivateAndReplacedWithoutLeftovers)
{
    TempDir dir;
    const auto file = dir.Path() / "registry";
    WriteFile(file, "KORVALIN-STORE 1\n");
    ::chmod(file.c_str(), 0644);
    UserStore store(file);
    ASSERT_TRUE(store.WriteValue("Dravnek", "secret"));
    EXPECT_EQ(PermissionBits(file), 0600u);
    EXPECT_EQ(FilesIn(dir.Path()), 2u) << "only the store and its lock file";
}

TEST(UserStore, DamagedFileIsReportedAndNeverOverwritten)
{
    TempDir dir;
    const auto file = dir.Path() / "registry";
    for (const std::string& damaged : {std::string("garbage\n"), std::string("KORVALIN-STORE 1\nDravnek 0g\n"),
                                       std::string("KORVALIN-STORE 1\nDravnek 012\n"),
                                       std::string("KORVALIN-STORE 1\nDravnek 01"), std::string()}) {
        WriteFile(file, damaged);
        UserStore store(file);
        StoreValue value = store.Read("Dravnek");
        EXPECT_EQ(value.state, StoreRead::Unreadable) << damaged;
        EXPECT_NE(value.error.find("registry"), std::string::npos) << value.error;
        EXPECT_FALSE(store.WriteValue("x", "y"));
        EXPECT_EQ(ReadFile(file), damaged);
    }
}

TEST(UserStore, FailedWriteLeavesThePreviousValuesIntact)
{
    TempDir dir;
    const auto file = dir.Path() / "registry";
    UserStore store(file);
    ASSERT_TRUE(store.WriteValue("Dravnek", "old settings"));
    const std::string before = ReadFile(file);

    // A child process whose files may not grow past 64 bytes fails half-way
    // through writing a large value.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Status status = UserStore(file).WriteValue("Dravnek", std::string(4000, 'n'));
        ::_exit(status ? 1 : 0);
    }
    int childStatus = 0;
    ASSERT_EQ(::waitpid(child, &childStatus, 0), child);
    ASSERT_TRUE(WIFEXITED(childStatus));
    EXPECT_EQ(WEXITSTATUS(childStatus), 0) << "the write must report its failure";
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(store.Read("Dravnek").bytes, "old settings");
    EXPECT_EQ(FilesIn(dir.Path()), 2u) << "no temporary file is left behind";
}

TEST(UserStore, RemoveAllDeletesTheStore)
{
    TempDir dir;
    UserStore store(dir.Path() / "registry");
    EXPECT_TRUE(store.RemoveAll()) << "absent already";
    ASSERT_TRUE(store.WriteValue("a", "b"));
    EXPECT_TRUE(store.RemoveAll());
    EXPECT_FALSE(store.Exists());
}

TEST(DesktopIntegration, MimeappsKeepsOtherChoicesAndReplacesTheMailLinkOne)
{
    const std::string before = "[Added Associations]\nx-scheme-handler/mailto=other.desktop;\n"
                               "[Default Applications]\ntext/html=browser.desktop\n"
                               "x-scheme-handler/mailto=other.desktop;old.desktop;\n";
    EXPECT_EQ(FindDefaultApplication(before, kMailtoMimeType), "other.desktop");
    std::string after = SetDefaultApplication(before, kMailtoMimeType, "korvalin.desktop");
    EXPECT_EQ(after, "[Added Associations]\nx-scheme-handler/mailto=other.desktop;\n"
                     "[Default Applications]\ntext/html=browser.desktop\n"
                     "x-scheme-handler/mailto=korvalin.desktop\n");
    EXPECT_EQ(SetDefaultApplication("", kMailtoMimeType, "k.desktop"),
              "[Default Applications]\nx-scheme-handler/mailto=k.desktop\n");
    EXPECT_EQ(SetDefaultApplication("[Default Applications]\n[Other]\na=b\n", kMailtoMimeType, "k.desktop"),
              "[Default Applications]\nx-scheme-handler/mailto=k.desktop\n[Other]\na=b\n");
    EXPECT_EQ(FindDefaultApplication("[Other]\nx-scheme-handler/mailto=k.desktop\n", kMailtoMimeType), "");
}

TEST(DesktopIntegration, MailLinkHandlerAndAutostartFiles)
{
    TempDir dir;
    PlatformPaths paths = korvalin::test::PathsUnder(dir.Path());
    paths.executable = dir.Path() / "my programs" / "korvalin";
    EXPECT_EQ(DefaultMailtoHandler(paths), "");
    ASSERT_TRUE(MakeDefaultMailtoHandler(paths));
    EXPECT_EQ(DefaultMailtoHandler(paths), "korvalin.desktop");
    std::string desktop = ReadFile(paths.applicationsDir / "korvalin.desktop");
    EXPECT_NE(desktop.find("MimeType=x-scheme-handler/mailto;\n"), std::string::npos);
    EXPECT_NE(desktop.find("Exec=\"" + paths.executable.string() + "\" %u\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nIcon=korvalin\n"), std::string::npos) << "the user's entry must not hide the icon";

    EXPECT_FALSE(AutostartPresent(paths));
    ASSERT_TRUE(SetAutostart(paths, true));
    EXPECT_TRUE(AutostartPresent(paths));
    std::string autostart = ReadFile(paths.autostartFile);
    for (const char* line : {"\nIcon=korvalin\n", "\nX-GNOME-Autostart-enabled=true\n", "\nX-KDE-autostart-after=panel\n"})
        EXPECT_NE(autostart.find(line), std::string::npos) << line;
    ASSERT_TRUE(SetAutostart(paths, false));
    EXPECT_FALSE(AutostartPresent(paths));
    EXPECT_TRUE(SetAutostart(paths, false)) << "removing an absent entry is fine";
}

TEST(DesktopIntegration, ExecArgumentsAreQuotedWhereNeeded)
{
    EXPECT_EQ(DesktopExecArgument("/usr/bin/korvalin"), "/usr/bin/korvalin");
    EXPECT_EQ(DesktopExecArgument("/a b/k"), "\"/a b/k\"");
    EXPECT_EQ(DesktopExecArgument("/a$b\"c"), "\"/a\\$b\\\"c\"");
    EXPECT_EQ(DesktopExecArgument("/100%/k"), "/100%%/k");
}

TEST(PlatformPaths, FollowKorvalinHomeThenXdg)
{
    std::map<std::string, std::string> env = {{"HOME", "/home/ann"}};
    auto lookup = [&env](const char* name) -> const char* {
        auto found = env.find(name);
        return found == env.end() ? nullptr : found->second.c_str();
    };
    PlatformPaths paths = PlatformPaths::FromEnvironment(lookup);
    EXPECT_EQ(paths.dataRoot, "/home/ann/.local/share/korvalin");
    EXPECT_EQ(paths.storeFile, "/home/ann/.config/korvalin/registry");
    EXPECT_EQ(paths.autostartFile, "/home/ann/.config/autostart/korvalin.desktop");
    EXPECT_EQ(paths.mimeappsList, "/home/ann/.config/mimeapps.list");

    env["XDG_DATA_HOME"] = "/xdg/data";
    env["XDG_CONFIG_HOME"] = "relative/is/ignored";
    paths = PlatformPaths::FromEnvironment(lookup);
    EXPECT_EQ(paths.dataRoot, "/xdg/data/korvalin");
    EXPECT_EQ(paths.applicationsDir, "/xdg/data/applications");
    EXPECT_EQ(paths.storeFile, "/home/ann/.config/korvalin/registry");

    env["KORVALIN_HOME"] = "/demo";
    paths = PlatformPaths::FromEnvironment(lookup);
    EXPECT_EQ(paths.dataRoot, "/demo");
    EXPECT_EQ(paths.storeFile, "/demo/registry");
}
