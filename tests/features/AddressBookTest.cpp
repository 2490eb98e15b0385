#include "AddressBookDialog.h"
#include "AddressBookFile.h"
#include "AddressBookSync.h"
#include "FeatureTestBed.h"
#include "RecipientExpansion.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

// AddressEntry lives in the global namespace of the plug-in contract.
static bool operator==(const AddressEntry& a, const AddressEntry& b)
{
    return a.Marked == b.Marked && a.Name == b.Name && a.Address == b.Address;
}

static void PrintTo(const AddressEntry& entry, std::ostream* out)
{
    *out << (entry.Marked ? "y" : "n") << "=" << entry.Name << "=" << entry.Address;
}

namespace korvalin::test {
namespace {

TEST(AddressBookFile, LinesSplitAtRunsOfEquals)
{
    CAddressArray book = ParseAddressBook("y=Ann=ann@x.example\r\nN=Bob=bob@y.example\nn==lost@z.example\r\n"
                                          "\r\nY=OnlyName\n");
    ASSERT_EQ(book.size(), 4u);
    EXPECT_EQ(book[0], (AddressEntry{true, "Ann", "ann@x.example"}));
    EXPECT_EQ(book[1], (AddressEntry{false, "Bob", "bob@y.example"}));
    // An empty name: the address moves into the name and the address is empty.
    EXPECT_EQ(book[2], (AddressEntry{false, "lost@z.example", ""}));
    EXPECT_EQ(book[3], (AddressEntry{true, "OnlyName", ""}));
}

TEST(AddressBookFile, WritesOneCrLfLineAnEntry)
{
    EXPECT_EQ(AddressBookText({{true, "Ann", "ann@x"}, {false, "Bob\r\nEvil", "b@y"}}),
              "y=Ann=ann@x\r\nn=Bob  Evil=b@y\r\n");
}

class AddressBookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        joe = bed.AddAccount("HotMail", "joe");
        ann = bed.AddAccount("YahooMail", "ann");
        joeScript = bed.Script("HotMail");
        annScript = bed.Script("YahooMail");
    }
    std::filesystem::path BookFile(const CAccount& account) { return account.Folder() / "AddrBook.kvx"; }
    // The book the account holds after its login.
    void Hold(CAccount& account, CAddressArray book)
    {
        bed.hooks.LoadAddressBook(account);
        account.SetAddressBook(std::move(book));
    }

    FeatureBed bed;
    std::shared_ptr<CAccount> joe, ann;
    std::shared_ptr<MailScript> joeScript, annScript;
};

TEST_F(AddressBookTest, LoadedAtLoginSavedAtLogOffAndNeverWipedByAnUnreadBook)
{
    WriteFile(BookFile(*joe), "n=Ann=ann@x.example\r\n");
    WriteFile(BookFile(*ann), "n=Kept=kept@x.example\r\n");
    bed.hooks.LoadAddressBook(*joe);
    EXPECT_TRUE(bed.hooks.Books().LastLoadSucceeded(*joe));
    bed.hooks.Books().SaveAddress(*joe, "", "new@x.example");
    bed.engine().Accounts().LogOff(*joe);
    EXPECT_EQ(ReadFile(BookFile(*joe)), "n=Ann=ann@x.example\r\ny==new@x.example\r\n");
    EXPECT_TRUE(joe->AddressBook().empty());

    // At exit: the logged-off book and the never-read book leave their files alone.
    bed.engine().SaveAtExit();
    EXPECT_EQ(ReadFile(BookFile(*joe)), "n=Ann=ann@x.example\r\ny==new@x.example\r\n");
    EXPECT_EQ(ReadFile(BookFile(*ann)), "n=Kept=kept@x.example\r\n");
    EXPECT_TRUE(bed.bed.ui.MessageTexts().empty());
}

TEST_F(AddressBookTest, APopAccountsBookSurvivesItsLoginAndLogOff)
{
    auto pop = bed.AddAccount("POPMail", "pat");
    pop->Update([](AccountState& state) { state.loggedIn = false; });
    WriteFile(BookFile(*pop), "n=Ann=ann@x.example\r\n");
    ASSERT_TRUE(bed.engine().Accounts().LoginWithProgress(*pop));
    EXPECT_EQ(pop->AddressBook(), (CAddressArray{{false, "Ann", "ann@x.example"}}));
    bed.engine().Accounts().LogOff(*pop);
    EXPECT_EQ(ReadFile(BookFile(*pop)), "n=Ann=ann@x.example\r\n");
}

TEST_F(AddressBookTest, MissingFileGivesAnEmptyBookAndAFailedSaveTellsThePerson)
{
    bed.hooks.LoadAddressBook(*joe);
    EXPECT_FALSE(bed.hooks.Books().LastLoadSucceeded(*joe));
    EXPECT_TRUE(joe->AddressBook().empty());
    Hold(*joe, {{true, "Ann", "ann@x"}});
    std::filesystem::create_directories(BookFile(*joe));  // a folder in the file's place
    bed.hooks.SaveAddressBook(*joe, true);
    auto texts = bed.bed.ui.MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], kAddressBookSaveFailed);
    EXPECT_EQ(joe->AddressBook().size(), 1u);  // the book stays in memory
}

// A book that could not be written at log-off stays in memory and is
// written at exit; a save while the program runs keeps it held.
TEST_F(AddressBookTest, AFailedSaveAtLogOffKeepsTheBookForTheNextSave)
{
    Hold(*joe, {{true, "Ann", "ann@x"}});
    std::filesystem::create_directories(BookFile(*joe));  // a folder in the file's place
    bed.engine().Accounts().LogOff(*joe);
    EXPECT_EQ(joe->AddressBook().size(), 1u);

    std::filesystem::remove(BookFile(*joe));
    bed.engine().SaveWhileRunning();
    EXPECT_EQ(ReadFile(BookFile(*joe)), "y=Ann=ann@x\r\n");
    joe->SetAddressBook({{true, "Ann", "ann@x"}, {true, "Bob", "bob@y"}});
    bed.engine().SaveAtExit();
    EXPECT_EQ(ReadFile(BookFile(*joe)), "y=Ann=ann@x\r\ny=Bob=bob@y\r\n");
}

// A second Synchronize while one runs uploads nothing twice.
TEST_F(AddressBookTest, ASynchronizeWhileOneRunsIsRefused)
{
    Hold(*joe, {{true, "Kim", "kim@x"}});
    std::unique_lock serviceBusy(joeScript->mutex);  // the first upload waits on the service
    std::thread first([&] { SynchronizeAddressBooks(bed.engine(), bed.hooks.Books()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::atomic<bool> secondEnded{false};
    std::thread second([&] {
        SynchronizeAddressBooks(bed.engine(), bed.hooks.Books());
        secondEnded = true;
    });
    for (int i = 0; i < 100 && !secondEnded; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(secondEnded);
    serviceBusy.unlock();
    first.join();
    second.join();
    EXPECT_EQ(joeScript->Events(), (std::vector<std::string>{"add Kim=kim@x", "book"}));
}

// Log Off or Exit while the service is slow to answer the synchronisation:
// the saved book says exactly what the service has; nothing is sent after
// the save, and nothing comes back into a logged-off book.
TEST(AddressBookSyncInterrupted, LogOffOrExitSavesWhatTheServiceHas)
{
    struct Case {
        const char* name;
        const char* slowCall;
        bool exit;
        const char* savedBook;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {"log off in the first upload", "add Kim=kim@x", false, "n=Old=old@x\r\nn=Kim=kim@x\r\ny=Lee=lee@x\r\n",
         {"add Kim=kim@x"}},
        {"exit in the first upload", "add Kim=kim@x", true, "n=Old=old@x\r\nn=Kim=kim@x\r\ny=Lee=lee@x\r\n",
         {"add Kim=kim@x"}},
        {"log off in the download", "book", false, "n=Old=old@x\r\nn=Kim=kim@x\r\nn=Lee=lee@x\r\n",
         {"add Kim=kim@x", "add Lee=lee@x", "book"}},
        {"exit in the download", "book", true, "n=Old=old@x\r\nn=Kim=kim@x\r\nn=Lee=lee@x\r\n",
         {"add Kim=kim@x", "add Lee=lee@x", "book"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FeatureBed fresh;
        auto account = fresh.AddAccount("HotMail", "joe");
        auto script = fresh.Script("HotMail");
        fresh.hooks.LoadAddressBook(*account);
        account->SetAddressBook({{false, "Old", "old@x"}, {true, "Kim", "kim@x"}, {true, "Lee", "lee@x"}});
        {
            std::lock_guard lock(script->mutex);
            script->serviceBook = {{false, "Sam", "sam@x"}};
            script->holdAt = c.slowCall;
        }
        std::thread sync([&] { SynchronizeAddressBooks(fresh.engine(), fresh.hooks.Books()); });
        EXPECT_TRUE(script->WaitForEvent(c.slowCall));
        if (c.exit)
            fresh.engine().SaveAtExit();
        else
            fresh.engine().Accounts().LogOff(*account);
        script->Release();
        sync.join();
        EXPECT_EQ(ReadFile(account->Folder() / "AddrBook.kvx"), c.savedBook);
        EXPECT_EQ(script->Events(), c.calls);
        if (!c.exit) {
            EXPECT_TRUE(account->AddressBook().empty());
        }
    }
}

TEST_F(AddressBookTest, NewEntriesAreUploadedOnceThenLocked)
{
    bed.hooks.LoadAddressBook(*joe);
    auto dialog = AddressBookDialog::OpenStandAlone(bed.engine(), bed.hooks.Books());
    ASSERT_TRUE(dialog);
    dialog->AddNew("Kim", "kim@x.example");
    AddressBookDialogState state = dialog->State();
    EXPECT_EQ(state.names, (std::vector<std::string>{"Kim"}));
    EXPECT_EQ(state.selected, 0);
    EXPECT_TRUE(state.addressEnabled && state.deleteEnabled);
    dialog->TypeAddress("kim@y.example");
    EXPECT_EQ(joe->AddressBook()[0].Address, "kim@y.example");

    SynchronizeAddressBooks(bed.engine(), bed.hooks.Books());
    EXPECT_EQ(joeScript->Events(), (std::vector<std::string>{"add Kim=kim@y.example", "book"}));
    EXPECT_EQ(joe->AddressBook(), (CAddressArray{{false, "Kim", "kim@y.example"}}));

    dialog->Select(0);
    state = dialog->State();
    EXPECT_FALSE(state.addressEnabled || state.deleteEnabled);
    dialog->TypeAddress("changed@x");
    dialog->PressDelete();
    EXPECT_EQ(joe->AddressBook(), (CAddressArray{{false, "Kim", "kim@y.example"}}));
}

TEST_F(AddressBookTest, ServiceEntriesAreAddedOnceAndConflictsToldOnce)
{
    Hold(*joe, {{false, "  Ann ", "ann@local.example"}, {false, "Bob", "bob@local.example"}});
    {
        std::lock_guard lock(joeScript->mutex);
        joeScript->serviceBook = {{false, " Ann", "ann@service.example"},
                                  {false, "Bob", "bob@service.example"},
                                  {true, "Cy  ", "cy@service.example"}};
    }
    {
        std::lock_guard lock(annScript->mutex);
        annScript->serviceBook = {{false, "Dee", "dee@x"}};
    }
    SynchronizeAddressBooks(bed.engine(), bed.hooks.Books());
    EXPECT_EQ(joe->AddressBook(), (CAddressArray{{false, "Ann", "ann@local.example"},
                                                 {false, "Bob", "bob@local.example"},
                                                 {false, "Cy", "cy@service.example"}}));
    EXPECT_EQ(ann->AddressBook(), (CAddressArray{{false, "Dee", "dee@x"}}));
    EXPECT_EQ(bed.bed.ui.MessageTexts(), (std::vector<std::string>{kAddressBookConflicts}));
    EXPECT_EQ(bed.bed.ui.StatusTexts(kProgressPane),
              (std::vector<std::string>{"25.0%", "50.0%", "75.0%", "100.0%"}));
    auto messages = bed.bed.ui.StatusTexts(kMessagePane);
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Uploading Address book");
    EXPECT_EQ(messages[1], "Downloading Address book");

    SynchronizeAddressBooks(bed.engine(), bed.hooks.Books());
    EXPECT_EQ(joe->AddressBook().size(), 3u);
    EXPECT_EQ(ann->AddressBook().size(), 1u);
}

TEST_F(AddressBookTest, AccountsThatAreNotLoggedInKeepTheirEntriesMarked)
{
    ann->Update([](AccountState& state) { state.loggedIn = false; });
    Hold(*ann, {{true, "New", "new@x"}});
    SynchronizeAddressBooks(bed.engine(), bed.hooks.Books());
    EXPECT_TRUE(annScript->Events().empty());
    EXPECT_TRUE(ann->AddressBook()[0].Marked);
}

TEST_F(AddressBookTest, PickerPutsTheAddressInFrontAndOnlyStandAloneHidesRecipients)
{
    Hold(*joe, {{false, "Ann", "ann@x"}, {true, "Bob", "bob@y"}});
    Hold(*ann, {{false, "Zed", "zed@z"}});
    auto picker =
        AddressBookDialog::OpenRecipientPicker(bed.engine(), bed.hooks.Books(), *ann, {"typed@x", "", "hidden@x"});
    AddressBookDialogState state = picker->State();
    EXPECT_TRUE(state.recipientControls);
    EXPECT_EQ(state.account, 1);
    EXPECT_EQ(state.names, (std::vector<std::string>{"Zed"}));

    picker->ChooseAccount(0);
    picker->DoubleClick(0);
    EXPECT_EQ(picker->State().selected, -1);
    picker->Select(0);
    picker->PressTo();
    picker->Select(1);
    picker->PressCc();
    picker->Select(1);
    picker->PressBcc();
    EXPECT_EQ(picker->Recipients().to, "ann@x,ann@x,typed@x");
    EXPECT_EQ(picker->Recipients().cc, "bob@y");
    EXPECT_EQ(picker->Recipients().bcc, "bob@y,hidden@x");

    auto alone = AddressBookDialog::OpenStandAlone(bed.engine(), bed.hooks.Books());
    EXPECT_FALSE(alone->State().recipientControls);
    EXPECT_EQ(alone->State().account, 0);
}

TEST(AddressBookDialogAlone, WithoutAccountsOnlyTellsSo)
{
    FeatureBed bed;
    EXPECT_FALSE(AddressBookDialog::OpenStandAlone(bed.engine(), bed.hooks.Books()));
    EXPECT_EQ(bed.bed.ui.MessageTexts(), (std::vector<std::string>{kNoAddressBookAccounts}));
}

TEST_F(AddressBookTest, DeleteRemovesOnlyMarkedEntries)
{
    Hold(*joe, {{false, "Ann", "ann@x"}, {true, "Bob", "bob@y"}});
    auto dialog = AddressBookDialog::OpenStandAlone(bed.engine(), bed.hooks.Books());
    dialog->Select(0);
    dialog->PressDelete();
    EXPECT_EQ(joe->AddressBook().size(), 2u);
    dialog->Select(1);
    dialog->PressDelete();
    EXPECT_EQ(joe->AddressBook(), (CAddressArray{{false, "Ann", "ann@x"}}));
    EXPECT_EQ(dialog->State().selected, -1);
}

TEST_F(AddressBookTest, RecipientNamesExpandFromTheSenderThenTheOtherBooks)
{
    Hold(*joe, {{false, "Ann", "ann@joe.example"}, {false, "team", "ann bob"}});
    Hold(*ann, {{false, "ANN", "ann@other.example"}, {false, "Bob", "bob@other.example"}});
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "ann; x@y.example  bob,unknown"),
              "ann@joe.example,x@y.example,bob@other.example,unknown");
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *ann, "ann"), "ann@other.example");
    // A name that stands for other names.
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "Team"), "ann@joe.example,bob@other.example");
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "a@b; c@d ;e@f"), "a@b,c@d,e@f");
}

TEST_F(AddressBookTest, ANamedAddressStaysOneRecipient)
{
    Hold(*joe, {{false, "Robot", "robot@x.example"}});
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "Build Robot <ci@example.com>"),
              "Build Robot <ci@example.com>");
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe,
                               "\"Lee, Ann\" <ann@x.example>; robot, Bob Stone <bob@y.example>,c@z"),
              "\"Lee, Ann\" <ann@x.example>,robot@x.example,Bob Stone <bob@y.example>,c@z");
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "robot <no address>"),
              "robot@x.example,<no,address>") << "without an address the brackets are no name";
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "robot < x, y@z"), "robot@x.example,<,x,y@z");
}

TEST_F(AddressBookTest, NamesReferringToEachOtherStayAsTyped)
{
    Hold(*joe, {{false, "ping", "pong"}, {false, "pong", "ping"}, {false, "wide", "wide wide wide"}});
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "ping,x@y"), "ping,x@y");
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "wide"), "wide");
}

TEST_F(AddressBookTest, BooksOfAccountsNotLoggedInAreReadForExpansion)
{
    WriteFile(BookFile(*ann), "n=Far=far@away.example\r\n");
    EXPECT_EQ(ExpandRecipients(bed.engine(), bed.hooks.Books(), *joe, "far"), "far@away.example");
}

}  // namespace
}  // namespace korvalin::test
