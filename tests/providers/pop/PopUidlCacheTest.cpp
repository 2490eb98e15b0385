// The account's file of unique ids: a provider made after a restart knows the
// mails an earlier one fetched, a damaged or foreign file is dropped, and
// what the file says never decides which mail is deleted.
#include "PopTestSupport.h"
#include "ProviderLog.h"
#include "ScriptedPopServer.h"
#include "UidlCache.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

using korvalin::pop::CachedMail;
using korvalin::test::AccountLine;
using korvalin::test::ScriptedPopServer;
using korvalin::test::SimplePopMail;

namespace {

// A data root of its own with the account folder of "user".
class DataRoot {
public:
    explicit DataRoot(bool withAccountFolder = true)
    {
        static int counter = 0;
        Root = std::filesystem::temp_directory_path() /
               ("korvalin-uidl-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(withAccountFolder ? Root / "Accounts" / "user.POPMail" : Root);
    }
    ~DataRoot() { std::filesystem::remove_all(Root); }
    DataRoot(const DataRoot&) = delete;
    DataRoot& operator=(const DataRoot&) = delete;

    std::filesystem::path CacheFile() const { return korvalin::pop::UidlCachePath(Root, "user"); }
    std::string Cache() const
    {
        std::ifstream in(CacheFile(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void SetCache(const std::string& text) const { std::ofstream(CacheFile(), std::ios::binary) << text; }

    std::unique_ptr<CPopProvider> Provider(const std::string& address) const
    {
        auto provider = std::make_unique<CPopProvider>();
        provider->DataRoot = Root;
        provider->SetUserProfile(AccountLine(address), "secret");
        return provider;
    }

    std::filesystem::path Root;
};

std::vector<std::string> Lines(const CSummaryArray& list)
{
    std::vector<std::string> lines;
    for (const SummaryEntry& e : list)
        lines.push_back(e.From + "|" + e.Subject + "|" + e.Date + "|" + e.MessageId + "|" + e.Locator);
    return lines;
}

CSummaryArray Check(CPopProvider& provider)
{
    CSummaryArray list;
    EXPECT_TRUE(provider.GetMailSummary(list, -1)) << provider.Pop.LastError;
    return list;
}

std::vector<korvalin::test::PopMail> FiveMails()
{
    std::vector<korvalin::test::PopMail> mails;
    for (const char* id : {"a", "b", "c", "d", "e"})
        mails.push_back(SimplePopMail(id, std::string("Mail ") + id));
    return mails;
}

}  // namespace

TEST(UidlCacheFile, ValuesWithSeparatorsComeBackAsWritten)
{
    std::vector<CachedMail> mails = {{"u1", "A \\ B\t<a@x>", "line\r\nbreak", "", "<1@x>"},
                                     {"u2", "", "\\t is not a tab", "Mon, 1 Jan 2024", "u2"}};
    std::string text = korvalin::pop::WriteUidlCache("host:110|user", mails);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    std::vector<CachedMail> back;
    std::string why;
    ASSERT_TRUE(korvalin::pop::ReadUidlCache(text, "host:110|user", back, why)) << why;
    ASSERT_EQ(back.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(back[i].Uidl, mails[i].Uidl);
        EXPECT_EQ(back[i].From, mails[i].From);
        EXPECT_EQ(back[i].Subject, mails[i].Subject);
        EXPECT_EQ(back[i].Date, mails[i].Date);
        EXPECT_EQ(back[i].MessageId, mails[i].MessageId);
    }
}

TEST(UidlCacheFile, DamagedOrForeignTextIsRefused)
{
    const std::string head = "korvalin uidl cache 1\nhost:110|user\n";
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"another format", "uidl cache\nhost:110|user\n"},
        {"another login", "korvalin uidl cache 1\nhost:110|other\n"},
        {"another server", "korvalin uidl cache 1\nhost:995|user\n"},
        {"four fields", head + "u\tf\ts\t<m>\n"},
        {"six fields", head + "u\tf\ts\td\t<m>\tx\n"},
        {"unknown escape", head + "u\tf\\x\ts\td\t<m>\n"},
        {"cut off", head + "u\tf\ts\td\t<m"},
        {"bare CR", head + "u\tf\ts\r\td\t<m>\n"},
        {"same uidl twice", head + "u\tf\ts\td\t<m>\nu\tf\ts\td\t<n>\n"},
        {"no id", head + "u\tf\ts\td\t\n"},
        {"no uidl", head + "\tf\ts\td\t<m>\n"},
    };
    for (const auto& [name, text] : cases) {
        std::vector<CachedMail> mails;
        std::string why;
        EXPECT_FALSE(korvalin::pop::ReadUidlCache(text, "host:110|user", mails, why)) << name;
        EXPECT_TRUE(mails.empty()) << name;
        EXPECT_FALSE(why.empty()) << name;
    }
    EXPECT_TRUE(korvalin::pop::UidlCachePath("/d", "../x").empty());
    EXPECT_TRUE(korvalin::pop::UidlCachePath("/d", "a/b").empty());
}

TEST(PopUidlCache, RestartedProviderReadsNoHeaderAgain)
{
    ScriptedPopServer server;
    server.SetMails(FiveMails());
    DataRoot root;
    std::vector<std::string> first = Lines(Check(*root.Provider(server.Address())));
    EXPECT_EQ(server.CountCommands("TOP"), 5);

    server.RemoveMail("uid-b");
    server.AddMail(SimplePopMail("f", "Mail f"));
    server.ClearSessions();
    auto restarted = root.Provider(server.Address());
    std::vector<std::string> second = Lines(Check(*restarted));
    EXPECT_THAT(server.AllCommands(), testing::Contains("TOP 5 0"));
    EXPECT_EQ(server.CountCommands("TOP"), 1);  // only the new mail
    EXPECT_EQ(second[0], first[0]);
    EXPECT_EQ(second, Lines(Check(*korvalin::test::MakeProvider(server.Address()))));
    EXPECT_THAT(root.Cache(), testing::Not(testing::HasSubstr("uid-b")));

    server.ClearSessions();
    EXPECT_EQ(Lines(Check(*root.Provider(server.Address()))), second);
    EXPECT_EQ(server.CountCommands("TOP"), 0);
}

TEST(PopUidlCache, DamagedFileIsDroppedAndTheCheckStaysRight)
{
    ScriptedPopServer server;
    server.SetMails(FiveMails());
    DataRoot root;
    std::vector<std::string> expected = Lines(Check(*root.Provider(server.Address())));
    const std::string good = root.Cache();
    const std::string damaged[] = {good.substr(0, good.size() - 9), "\x7f" "ELF\x02\x01\x01garbage",
                                   good + "uid-x\tno more fields\n"};
    korvalin::KeepLoggedLines(true);
    for (const std::string& text : damaged) {
        root.SetCache(text);
        server.ClearSessions();
        EXPECT_EQ(Lines(Check(*root.Provider(server.Address()))), expected);
        EXPECT_EQ(server.CountCommands("TOP"), 5);
        EXPECT_THAT(korvalin::LoggedLines(), testing::HasSubstr("uidl.cache is dropped"));
        server.ClearSessions();
        Check(*root.Provider(server.Address()));
        EXPECT_EQ(server.CountCommands("TOP"), 0);  // the file was written anew
    }
    korvalin::KeepLoggedLines(false);
}

TEST(PopUidlCache, DeletionChecksTheHeaderNotTheFile)
{
    ScriptedPopServer server;
    server.SetMails(FiveMails());
    DataRoot root;
    Check(*root.Provider(server.Address()));
    // A file that says mail 1 is <b>, and mail 2 <a>.
    std::string text = root.Cache();
    for (auto [from, to] : {std::pair{"\t<a>\n", "\t<tmp>\n"}, {"\t<b>\n", "\t<a>\n"}, {"\t<tmp>\n", "\t<b>\n"}})
        text.replace(text.find(from), std::string(from).size(), to);
    root.SetCache(text);
    auto restarted = root.Provider(server.Address());
    CSummaryArray list = Check(*restarted);
    ASSERT_EQ(list[0].Locator, "<b>##1");
    ASSERT_TRUE(restarted->DeleteMail(list[0].Locator));
    EXPECT_THAT(server.Uidls(), testing::ElementsAre("uid-a", "uid-c", "uid-d", "uid-e"));
}

TEST(PopUidlCache, NoAccountFolderNoFile)
{
    ScriptedPopServer server;
    server.SetMails(FiveMails());
    DataRoot root(false);
    Check(*root.Provider(server.Address()));
    EXPECT_TRUE(std::filesystem::is_empty(root.Root));
}
