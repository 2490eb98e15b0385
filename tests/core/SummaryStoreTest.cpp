// The summary file, the cached mail files, and what opening, checking and
// closing a folder keep of them.
#include "MailCache.h"
#include "MailTestBed.h"
#include "SummaryFile.h"

#include <chrono>
#include <regex>
#include <thread>
#include <sys/stat.h>

using namespace korvalin;
using namespace korvalin::test;

namespace {

SummaryEntry Stored(const std::string& cache, const std::string& id, bool isNew, const std::string& subject)
{
    SummaryEntry entry;
    entry.Cache = cache;
    entry.MessageId = id;
    entry.New = isNew;
    entry.Message.From = "ann@example.org";
    entry.Message.To = "joe@example.org";
    entry.Message.CC = "";
    entry.Message.Subject = subject;
    return entry;
}

}  // namespace

TEST(SummaryFile, RecordsRoundTripWithValuesCutAtTheLineFeed)
{
    SummaryEntry counter;
    counter.Cache = "(counter)";
    counter.MessageId = "<Korvalin>";
    counter.From = "Status:";
    SummaryEntry uncached = Stored("", "<never>", true, "not kept");
    std::vector<SummaryEntry> entries{counter, Stored("./Accounts/joe.Mail/KVX1F.htm", "<a@x>", true, "Hello\nWorld"),
                                      uncached, Stored("./Accounts/joe.Mail/KVX20.htm", "<b@x>", false, "Re: b")};

    const std::string text = FormatSummaryFile(entries);
    const std::string counterFirst =
        "CACHE=(counter)\r\nNEW=n\r\nMSGID=<Korvalin>\r\nFROM=\r\nTO=\r\nCC=\r\nSUBJECT=\r\nCACHE=./Accounts/";
    EXPECT_EQ(text.substr(0, counterFirst.size()), counterFirst);
    EXPECT_NE(text.find("SUBJECT=Hello\r\nCACHE=./Accounts/joe.Mail/KVX20.htm\r\nNEW=n\r\n"), std::string::npos);
    EXPECT_EQ(text.find("<never>"), std::string::npos) << "a mail without a local copy is not stored";

    std::vector<SummaryEntry> read = ParseSummaryFile(text);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].Cache, "(counter)");
    EXPECT_EQ(read[0].From, "");
    EXPECT_EQ(read[1].MessageId, "<a@x>");
    EXPECT_TRUE(read[1].New);
    EXPECT_EQ(read[1].Subject, "Hello");
    EXPECT_EQ(read[1].Message.Subject, "Hello");
    EXPECT_EQ(read[1].From, "ann@example.org");
    EXPECT_EQ(read[1].Message.To, "joe@example.org");
    EXPECT_FALSE(read[2].New);
    EXPECT_TRUE(read[2].Locator.empty() && read[2].Date.empty());
}

TEST(SummaryFile, ReadingKeepsTheRecordsBeforeTheFirstMalformedOne)
{
    const std::string good = "xCACHE=c1\r\nNEW=Y\r\nMSGID=<1>\r\nFROM=a\r\nTO=\r\nCC=\r\nSUBJECT=s\r\n";
    const std::string noTo = "CACHE=c2\r\nNEW=n\r\nMSGID=<2>\r\nFROM=a\r\nCC=\r\nSUBJECT=s\r\nCACHE=c3\r\n";
    std::vector<SummaryEntry> read = ParseSummaryFile(good + noTo + good);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].Cache, "c1") << "the value follows the key wherever it stands in the line";
    EXPECT_TRUE(read[0].New) << "\"y\" in either case";

    EXPECT_EQ(ParseSummaryFile(good + "CACHE=c4\r\nNEW=n\r\nMSGID=<4>\r\n").size(), 1u)
        << "a record cut short by the end of the file is dropped";
    EXPECT_EQ(ParseSummaryFile("garbage\n" + good).size(), 0u);
    EXPECT_EQ(ParseSummaryFile(good + "\n\n").size(), 1u);
}

TEST(SummaryFile, FolderNamesThatWouldLeaveTheAccountFolderNameNoFile)
{
    EXPECT_EQ(SummaryFilePath("/d/joe.Mail", "Inbox"), std::filesystem::path("/d/joe.Mail/Inbox.sum"));
    EXPECT_FALSE(SummaryFilePath("/d/joe.Mail", "../../x"));
    EXPECT_FALSE(SummaryFilePath("/d/joe.Mail", "a/b"));
    EXPECT_FALSE(SummaryFilePath("/d/joe.Mail", ""));
}

TEST(MailCache, BodiesGoToFreshPrivateFilesWithZeroBytesTurnedIntoLineFeeds)
{
    TempDir dir;
    const std::filesystem::path folder = dir.Path() / "Accounts" / "joe.Mail";
    std::filesystem::create_directories(folder);
    std::string error;
    auto first = StoreCachedMail(folder, Bytes("<p>a\0b</p>\0"), &error);
    auto second = StoreCachedMail(folder, "other", &error);
    ASSERT_TRUE(first && second) << error;
    EXPECT_NE(*first, *second);
    EXPECT_TRUE(std::regex_match(*first, std::regex(R"(\./Accounts/joe\.Mail/KVX[0-9A-F]{1,4}\.htm)"))) << *first;

    std::optional<std::filesystem::path> file = CachedMailFile(folder, *first);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadFile(*file), "<p>a\nb</p>\n");
    struct stat info {};
    ASSERT_EQ(::stat(file->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_TRUE(DeleteCachedMail(folder, *first));
    EXPECT_FALSE(std::filesystem::exists(*file));
    EXPECT_TRUE(DeleteCachedMail(folder, *first)) << "a file already gone is no failure";
}

TEST(MailCache, ReferencesOutsideTheAccountsCachedMailsNameNoFile)
{
    const std::filesystem::path folder = "/data/Accounts/joe.Mail";
    EXPECT_TRUE(CachedMailFile(folder, "./Accounts/joe.Mail/KVXA1.htm"));
    for (const char* reference : {"./Accounts/ann.Mail/KVXA1.htm", "./Accounts/joe.Mail/../ann.Mail/KVXA1.htm",
                                  "/etc/passwd", "./Accounts/joe.Mail/notes.txt", "./Accounts/joe.Mail/KVX12345.htm",
                                  "./Accounts/joe.Mail/KVX.htm", "(counter)", ""})
        EXPECT_FALSE(CachedMailFile(folder, reference)) << reference;
}

TEST_F(MailTest, AFirstOpenShowsTheCounterRowUntilTheCheckDeliversEveryMailAsNew)
{
    script->AddMail(-1, MakeMail("<a>"));
    script->AddMail(-1, MakeMail("<b>"));
    script->blockSummary = true;
    auto summary = engine().Mail().OpenFolder(*joe->Inbox());
    ASSERT_TRUE(summary);
    std::vector<SummaryRow> rows = summary->Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].from, "[Inbox] joe@Mail");
    EXPECT_EQ(rows[0].subject, "Checking for mails.. please wait!");
    EXPECT_EQ(rows[0].image, rowimage::kCounter);
    EXPECT_EQ(summary->Title(), "Inbox for joe@Mail");
    EXPECT_EQ(bed.ui.CountCalls("OpenFolderWindow joe@Mail Inbox"), 1u);

    script->Release();
    Settle();
    EXPECT_EQ(Ids(*summary), (std::vector<std::string>{"<a>", "<b>"}));
    EXPECT_EQ(summary->Rows()[0].subject, "2 mails");
    EXPECT_EQ(engine().NewMail().Count(), 2u);
    EXPECT_EQ(bed.ui.LastLabels()["joe@Mail/Inbox"], "Inbox (2)");
    EXPECT_EQ(bed.ui.LastLabels()["joe@Mail"], "joe (2)");
}

TEST_F(MailTest, StoredMailsAreListedAtOnceAndAFreshSummaryConfirmsThemKeepingBodyAndReadState)
{
    for (const char* id : {"<a>", "<b>", "<c>"})
        script->AddMail(-1, MakeMail(id));
    auto summary = OpenAndSettle(*joe->Inbox());
    summary->MarkAsRead({2});
    const std::vector<std::string> fetched = script->Fetched();
    ASSERT_EQ(fetched.size(), 3u) << "new mails are downloaded on arrival";
    engine().Mail().CloseFolder(*joe->Inbox());

    script->blockSummary = true;
    summary = engine().Mail().OpenFolder(*joe->Inbox());
    std::vector<SummaryRow> rows = summary->Rows();
    ASSERT_EQ(rows.size(), 4u);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_TRUE(rows[i].cached && rows[i].serverCopyGone) << i;
        EXPECT_EQ(summary->Entry(static_cast<int>(i))->Locator, "(cached)");
        EXPECT_TRUE(rows[i].date.empty());
    }
    EXPECT_FALSE(rows[2].isNew);
    EXPECT_EQ(rows[1].image, rowimage::kNewCached);
    EXPECT_EQ(rows[2].image, rowimage::kReadCached);
    engine().NewMail().Clear();
    const std::string cacheOfB = summary->Entry(2)->Cache;

    script->Release();
    Settle();
    rows = summary->Rows();
    ASSERT_EQ(Ids(*summary), (std::vector<std::string>{"<a>", "<b>", "<c>"}));
    EXPECT_EQ(summary->Entry(2)->Locator, "loc-<b>");
    EXPECT_EQ(rows[2].date, "1/1/99");
    EXPECT_EQ(rows[2].size, "2k");
    EXPECT_FALSE(rows[2].isNew) << "the read state survives";
    EXPECT_EQ(summary->Entry(2)->Cache, cacheOfB) << "so does the local copy";
    EXPECT_EQ(engine().NewMail().Count(), 0u) << "confirmed mails are not new arrivals";
    EXPECT_EQ(script->Fetched().size(), 3u) << "nothing is fetched again";
}

// Filters run without the summary's lock: what the person does meanwhile
// stays, and a mail the list refuses is never filtered.
TEST_F(MailTest, FiltersRunOnlyForMailsListedAndKeepWhatHappensMeanwhile)
{
    script->AddMail(-1, MakeMail("<a>"));
    auto summary = OpenAndSettle(*joe->Inbox());
    engine().Mail().CloseFolder(*joe->Inbox());
    int filtered = 0;
    hooks.filter = [&](FolderSummary& listing, SummaryEntry& entry) {
        if (++filtered == 1)
            listing.MarkAsRead({listing.FindRow(entry.MessageId)});  // the person, meanwhile
        return false;
    };
    summary = OpenAndSettle(*joe->Inbox());
    EXPECT_EQ(summary->Entry(1)->Locator, "loc-<a>");
    EXPECT_FALSE(summary->Entry(1)->New) << "the Mark as read made during the filters stays";

    filtered = 0;
    hooks.filter = [&](FolderSummary& listing, SummaryEntry& entry) {
        if (++filtered == 1)
            listing.AddSummaryEntry(entry, false);  // the same mail, listed by another check meanwhile
        return false;
    };
    SummaryEntry fresh = MakeMail("<b>").summary;
    EXPECT_EQ(summary->AddSummaryEntry(fresh, false), 2);
    EXPECT_EQ(filtered, 1);
    EXPECT_EQ(summary->AddSummaryEntry(fresh, false), -1);
    EXPECT_EQ(filtered, 1) << "a listed mail is not filtered again";
    hooks.filter = nullptr;
}

TEST_F(MailTest, AFolderOpenedOfflineShowsWhatIsKeptWithoutChecking)
{
    bed.engine->Online().SetOnline(false);
    auto summary = engine().Mail().OpenFolder(*joe->Inbox());
    EXPECT_EQ(summary->Rows()[0].subject, "To be retrieved");
    EXPECT_EQ(script->SummaryCalls(), 0);
    EXPECT_EQ(engine().Mail().OpenFolder(*joe->Inbox()), summary) << "one summary per folder";
    EXPECT_EQ(bed.ui.CountCalls("OpenFolderWindow joe@Mail Inbox"), 2u) << "the window comes up again";
}

TEST_F(MailTest, EntriesWithoutSenderOrMessageIdAreNeverListed)
{
    FakeMail noSender = MakeMail("<a>");
    noSender.summary.From.clear();
    FakeMail noId = MakeMail("");
    script->AddMail(-1, noSender);
    script->AddMail(-1, noId);
    script->AddMail(-1, MakeMail("<c>"));
    auto summary = OpenAndSettle(*joe->Inbox());
    EXPECT_EQ(Ids(*summary), std::vector<std::string>{"<c>"});
    EXPECT_EQ(summary->AddSummaryEntry(noId.summary, false), -1);
    EXPECT_EQ(engine().NewMail().Count(), 1u);
}

TEST_F(MailTest, AMailGoneFromTheServiceStaysReadableFromItsLocalCopy)
{
    script->AddMail(-1, MakeMail("<a>"));
    OpenAndSettle(*joe->Inbox());
    engine().Mail().CloseFolder(*joe->Inbox());
    script->mailbox[-1].clear();  // another client deleted it

    auto summary = OpenAndSettle(*joe->Inbox());
    ASSERT_EQ(Ids(*summary), std::vector<std::string>{"<a>"});
    EXPECT_EQ(summary->Entry(1)->Locator, "(cached)");
    bed.engine->Online().SetOnline(false);
    summary->OpenMail(1);
    ASSERT_EQ(bed.ui.MailWindows().size(), 1u);
    EXPECT_EQ(ReadFile(bed.ui.MailWindows()[0].cachedFile), std::string("<p>Body <a></p>\nend"));
}

TEST_F(MailTest, ClosingWritesTheCounterRecordFirstAndOnlyMailsKeptLocally)
{
    script->AddMail(-1, MakeMail("<kept>"));
    script->AddMail(-1, MakeMail("<old>", false));
    OpenAndSettle(*joe->Inbox());
    engine().Mail().FolderWindowClosed(*joe->Inbox());
    EXPECT_EQ(bed.ui.CountCalls("CloseFolderWindow joe@Mail Inbox"), 0u) << "the window is already gone";

    const std::string text = ReadFile(joe->Folder() / "Inbox.sum");
    EXPECT_EQ(text.rfind("CACHE=(counter)\r\nNEW=n\r\nMSGID=<Korvalin>\r\nFROM=\r\nTO=\r\nCC=\r\nSUBJECT=\r\nCACHE=", 0),
              0u)
        << text;
    EXPECT_NE(text.find("NEW=y\r\nMSGID=<kept>\r\nFROM=ann@example.org\r\nTO=joe@example.org\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("<old>"), std::string::npos) << "never fetched, so not kept";
}

// A folder reopened while it closes reads the file its closing wrote.
TEST_F(MailTest, ReopeningWhileTheFolderClosesWaitsForItsFile)
{
    script->AddMail(-1, MakeMail("<a>"));
    auto summary = OpenAndSettle(*joe->Inbox());
    summary->MarkAsRead({1});
    bed.engine->Online().SetOnline(false);
    std::thread reopen;
    bed.ui.onNewMailListChanged = [&] {
        if (reopen.joinable())
            return;
        reopen = std::thread([&] { engine().Mail().OpenFolder(*joe->Inbox()); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };
    engine().Mail().FolderWindowClosed(*joe->Inbox());
    ASSERT_TRUE(reopen.joinable());
    reopen.join();
    bed.ui.onNewMailListChanged = nullptr;
    auto reopened = engine().Mail().Summary(*joe->Inbox());
    ASSERT_NE(reopened, nullptr);
    ASSERT_EQ(reopened->FindRow("<a>"), 1);
    EXPECT_FALSE(reopened->Entry(1)->New) << "read from the file its closing wrote";
}

TEST_F(MailTest, TheClearOnExitOptionDeletesEveryLocalCopyAndWritesAnEmptySummaryFile)
{
    script->AddMail(-1, MakeMail("<a>"));
    script->AddMail(-1, MakeMail("<b>"));
    auto summary = OpenAndSettle(*joe->Inbox());
    std::vector<std::filesystem::path> files;
    for (int row : {1, 2}) {
        files.push_back(CacheFile(*joe, summary->Entry(row)->Cache));
        ASSERT_TRUE(std::filesystem::exists(files.back()));
    }
    bed.engine->Settings().SetFlag(setting::kClearSavedMails, true);
    engine().Mail().CloseFolder(*joe->Inbox());
    for (const auto& file : files)
        EXPECT_FALSE(std::filesystem::exists(file)) << file;
    EXPECT_EQ(ReadFile(joe->Folder() / "Inbox.sum"), "");
}

TEST_F(MailTest, ASummaryFileThatCannotBeWrittenKeepsTheLocalCopies)
{
    script->AddMail(-1, MakeMail("<a>"));
    auto summary = OpenAndSettle(*joe->Inbox());
    const std::filesystem::path file = CacheFile(*joe, summary->Entry(1)->Cache);
    ASSERT_TRUE(std::filesystem::exists(file));
    // A directory in the way makes the replacement fail, whoever runs the test.
    std::filesystem::remove(joe->Folder() / "Inbox.sum");
    std::filesystem::create_directories(joe->Folder() / "Inbox.sum" / "in-the-way");
    LogMessages();

    engine().Mail().CloseFolder(*joe->Inbox());
    EXPECT_TRUE(std::filesystem::exists(file)) << "the only copy of the mail may be this one";
    std::vector<std::string> log = LogMessages();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.find("The summary of Inbox was not saved") == 0;
    }));
}

TEST_F(MailTest, RecordsNamingFilesOutsideTheAccountAreIgnored)
{
    const std::filesystem::path victim = bed.dir.Path() / "victim.txt";
    WriteFile(victim, "precious");
    WriteFile(joe->Folder() / "Inbox.sum",
              "CACHE=../../../victim.txt\r\nNEW=n\r\nMSGID=<evil>\r\nFROM=x\r\nTO=\r\nCC=\r\nSUBJECT=s\r\n");
    bed.engine->Online().SetOnline(false);
    auto summary = engine().Mail().OpenFolder(*joe->Inbox());
    EXPECT_TRUE(Ids(*summary).empty());
    bed.engine->Settings().SetFlag(setting::kClearSavedMails, true);
    engine().Mail().CloseFolder(*joe->Inbox());
    EXPECT_EQ(ReadFile(victim), "precious");
}

TEST_F(MailTest, TreeLabelsCountTheNewMailsAndTheAccountFollowsItsInboxOnly)
{
    script->AddMail(-1, MakeMail("<a>"));
    script->AddMail(-1, MakeMail("<b>"));
    script->AddMail(0, MakeMail("<s>"));
    auto sent = joe->AddFolder("Sent", true, true);
    auto inbox = OpenAndSettle(*joe->Inbox());
    OpenAndSettle(*sent);
    auto labels = bed.ui.LastLabels();
    EXPECT_EQ(labels["joe@Mail/Inbox"], "Inbox (2)");
    EXPECT_EQ(labels["joe@Mail/Sent"], "Sent (1)");
    EXPECT_EQ(labels["joe@Mail"], "joe (2)");

    inbox->MarkAsRead({1, 2});
    labels = bed.ui.LastLabels();
    EXPECT_EQ(labels["joe@Mail/Inbox"], "Inbox");
    EXPECT_EQ(labels["joe@Mail"], "joe");
    EXPECT_EQ(labels["joe@Mail/Sent"], "Sent (1)");
}

TEST_F(MailTest, SortingOrdersTextWithoutCaseKeepsRowZeroAndRenumbersTheNewMailList)
{
    script->AddMail(-1, MakeMail("<nine>", true, "9/1/99"));
    script->AddMail(-1, MakeMail("<ten>", true, "10/1/99"));
    script->AddMail(-1, MakeMail("<jan>", false, "1/2/99"));
    script->AddMail(-1, MakeMail("<twin>", false, "10/1/99"));
    auto summary = OpenAndSettle(*joe->Inbox());

    summary->Sort(3);
    EXPECT_EQ(Ids(*summary), (std::vector<std::string>{"<jan>", "<twin>", "<ten>", "<nine>"}))
        << "10 before 9; equal dates in reverse of their order before";
    EXPECT_EQ(summary->Rows()[0].from, "[Inbox] joe@Mail");
    summary->Sort(3);
    EXPECT_EQ(Ids(*summary), (std::vector<std::string>{"<nine>", "<ten>", "<twin>", "<jan>"}));
    summary->Sort(0);
    EXPECT_EQ(Ids(*summary), (std::vector<std::string>{"<twin>", "<jan>", "<nine>", "<ten>"})) << "read first";

    for (const NewMailEntry& entry : engine().NewMail().Entries())
        EXPECT_EQ(summary->Rows()[static_cast<size_t>(entry.row)].subject, entry.subject);
    EXPECT_EQ(summary->FindRow("<nine>"), 3);
}
