// The mail window: reply, reply all and forward addressing, stepping to the
// neighbouring mails, deleting the mail shown (also after the list was
// sorted), saving the mail and the sender's address.
#include "AddressBooks.h"
#include "ComposeWindow.h"
#include "FeatureFrameTest.h"
#include "MailReader.h"
#include "MailWindow.h"
#include "NewAddressDialog.h"
#include "SummaryView.h"
#include "SummaryWindow.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextBrowser>
#include <QTextEdit>

#include <fstream>
#include <sstream>

namespace korvalin::ui::test {
namespace {

class MailWindowTest : public FeatureFrameTest {
protected:
    MailWindowTest()
    {
        engine->Settings().SetFlag(setting::kAskBeforeDelete, false);
        script->summary = {Mail("1", "ada@test", "Hello"), Mail("2", "bob@test", "Lunch")};
        account = AddAccount(AddProvider("TestMail"), "ann");
        OpenInbox(*account);
        summary = engine->Mail().Summary(*account->Inbox());
    }

    // The mail windows in the MDI area, oldest first.
    std::vector<MailWindow*> MailWindows() const
    {
        std::vector<MailWindow*> windows;
        for (QMdiSubWindow* window : frame->Mdi().subWindowList(QMdiArea::CreationOrder)) {
            if (auto* mail = qobject_cast<MailWindow*>(window->widget()))
                windows.push_back(mail);
        }
        return windows;
    }

    // Opens the mail of row through the list and waits for its window.
    MailWindow& OpenRow(int row)
    {
        const size_t before = MailWindows().size();
        summary->OpenMail(row);
        EXPECT_TRUE(WaitUntil([&] { return MailWindows().size() == before + 1; }));
        return *MailWindows().back();
    }

    // A window on row 1 with the given header texts; compose requests are kept.
    std::unique_ptr<MailWindow> WindowWith(const std::string& from, const std::string& to, const std::string& cc,
                                           const std::string& subject)
    {
        MailWindowRequest request;
        request.title = "Mail from " + from + ": " + subject;
        request.from = from;
        request.to = to;
        request.cc = cc;
        request.subject = subject;
        request.cachedFile = (folder.Path() / "cached.htm").string();
        std::ofstream(request.cachedFile) << "<p>cached</p>";
        request.summary = summary;
        request.row = 1;
        request.account = account;
        MailWindowLinks links;
        links.compose = [this](const ComposeSetup& setup) { setups.push_back(setup); };
        links.newMailsBoxOpen = [this] { return newMailsBoxOpen; };
        links.askSaveFile = [this]() -> std::optional<QString> { return saveTarget; };
        links.askNewAddress = [this](const QString& email) -> std::optional<NewAddress> {
            askedEmail = email;
            return NewAddress{"Ada", email.toStdString()};
        };
        return std::make_unique<MailWindow>(*engine, &features.Books(), request, std::move(links));
    }

    std::shared_ptr<CAccount> account;
    std::shared_ptr<FolderSummary> summary;
    std::vector<ComposeSetup> setups;
    bool newMailsBoxOpen = false;
    std::optional<QString> saveTarget;
    QString askedEmail;
};

TEST_F(MailWindowTest, ReplyGoesToTheSenderWithTheRePrefixAndQuotesTheCachedMail)
{
    auto window = WindowWith("a@x.org", "b@y.org", "c@z.org", "  Re: Lunch");
    window->Reply();
    ASSERT_EQ(setups.size(), 1u);
    EXPECT_EQ(setups[0].to, "a@x.org");
    EXPECT_TRUE(setups[0].cc.isEmpty());
    EXPECT_EQ(setups[0].subject, "RE:Re: Lunch");
    EXPECT_EQ(setups[0].title, "Mail from a@x.org:   Re: Lunch");
    EXPECT_EQ(setups[0].quotedFile.toStdString(), window->Request().cachedFile);
    EXPECT_EQ(setups[0].sender, account);
}

TEST_F(MailWindowTest, ReplyAllAddsToAndCcAndASecondReplyStillGoesToTheSenderOnly)
{
    auto window = WindowWith("a@x.org", "b@y.org", "c@z.org", "RE:Lunch");
    window->ReplyAll();
    window->Reply();
    ASSERT_EQ(setups.size(), 2u);
    EXPECT_EQ(setups[0].to, "a@x.org,b@y.org");
    EXPECT_EQ(setups[0].cc, "c@z.org");
    EXPECT_EQ(setups[0].subject, "RE:Lunch");
    EXPECT_EQ(setups[1].to, "a@x.org");
    EXPECT_TRUE(setups[1].cc.isEmpty());
}

TEST_F(MailWindowTest, ForwardHasNoRecipientAndAlwaysAddsTheFwPrefix)
{
    auto window = WindowWith("a@x.org", "b@y.org", "c@z.org", "FW:Lunch");
    window->Forward();
    ASSERT_EQ(setups.size(), 1u);
    EXPECT_TRUE(setups[0].to.isEmpty());
    EXPECT_TRUE(setups[0].cc.isEmpty());
    EXPECT_EQ(setups[0].subject, "FW:FW:Lunch");
}

TEST_F(MailWindowTest, ReplyFromAnOpenedMailOpensAComposeWindowForTheMailsAccount)
{
    MailWindow& window = OpenRow(1);
    window.Reply();
    ASSERT_EQ(ComposeWindows().size(), 1u);
    ComposeWindow& compose = *ComposeWindows()[0];
    EXPECT_EQ(compose.ToField().text(), "ada@test");
    EXPECT_EQ(compose.SubjectField().text(), "RE:Hello");
    EXPECT_EQ(compose.Sender(), account.get());
    EXPECT_TRUE(compose.Editor().toPlainText().contains("The mail 1"));
}

TEST_F(MailWindowTest, NoMailBeforeTheFirstAndNoneAfterTheLast)
{
    MailWindow& first = OpenRow(1);
    EXPECT_FALSE(first.PreviousAction().isEnabled());
    EXPECT_TRUE(first.NextAction().isEnabled());
    first.PreviousMail();
    MailWindow& last = OpenRow(2);
    EXPECT_FALSE(last.NextAction().isEnabled());
    last.NextMail();
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"No previous item", "No next item"}));
    EXPECT_EQ(MailWindows().size(), 2u);
}

TEST_F(MailWindowTest, NextOpensTheFollowingMailWhereThisWindowWasAndClosesThisOne)
{
    MailWindow& first = OpenRow(1);
    first.parentWidget()->setGeometry(12, 34, 500, 300);
    first.NextMail();
    ASSERT_TRUE(WaitUntil([&] {
        const auto windows = MailWindows();
        return windows.size() == 1 && windows[0]->windowTitle() == "Mail from bob@test: Lunch";
    }));
    EXPECT_EQ(MailWindows()[0]->parentWidget()->geometry(), QRect(12, 34, 500, 300));
}

TEST_F(MailWindowTest, ANextMailThatDoesNotOpenLeavesNoPlaceForALaterWindow)
{
    ASSERT_TRUE(WaitUntil([&] { return summary->Rows()[2].cached; }));
    summary->ClearLocalCopy({2});
    MailWindow& first = OpenRow(1);
    first.parentWidget()->setGeometry(12, 34, 500, 300);
    engine->Online().SetOnline(false);
    first.NextMail();
    EXPECT_EQ(CountMessages("This mail is not available offline. To make mail(s) available offline, mark them for "
                            "download by selecting them and choosing Download from Mail Menu, and then go online. "
                            "You can also go online first and then select download the mails you want."),
              1u);
    ASSERT_TRUE(WaitUntil([&] { return MailWindows().empty(); }));
    engine->Online().SetOnline(true);
    MailWindow& later = OpenRow(2);
    EXPECT_NE(later.parentWidget()->geometry(), QRect(12, 34, 500, 300));
}

TEST_F(MailWindowTest, DeleteRemovesTheMailShownEvenAfterTheListWasSorted)
{
    MailWindow& bob = OpenRow(2);
    summary->Sort(1);
    summary->Sort(1);
    ASSERT_EQ(summary->FindRow("2"), 1) << "bob's mail moved up";
    bob.Delete();
    EXPECT_EQ(summary->FindRow("2"), -1);
    EXPECT_GE(summary->FindRow("1"), 1) << "the other mail stays";
    EXPECT_TRUE(WaitUntil([&] { return MailWindows().empty(); }));
}

TEST_F(MailWindowTest, NoDeletingWhileTheNewMailsBoxIsOpen)
{
    auto window = WindowWith("ada@test", "me@test", "", "Hello");
    newMailsBoxOpen = true;
    window->UpdateCommands();
    EXPECT_FALSE(window->DeleteAction().isEnabled());
    window->Delete();
    EXPECT_EQ(CountMessages("Sorry. You cannot delete a mail from here while the new mail summary is open. Please "
                            "close the new mail summary and then try again"),
              1u);
    EXPECT_EQ(summary->RowCount(), 3u);
}

TEST_F(MailWindowTest, SaveMailCopiesTheCachedFileAndReportsAFailureWithItsNumber)
{
    auto window = WindowWith("ada@test", "me@test", "", "Hello");
    const std::filesystem::path target = folder.Path() / "saved.htm";
    std::ofstream(target) << "old";
    saveTarget = QString::fromStdString(target.string());
    window->SaveMail();
    std::stringstream saved;
    saved << std::ifstream(target).rdbuf();
    EXPECT_EQ(saved.str(), "<p>cached</p>");
    EXPECT_TRUE(messages.empty());

    saveTarget = QString::fromStdString((folder.Path() / "no-such-folder" / "saved.htm").string());
    window->SaveMail();
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Error 2 saving file. File won't be saved"}));
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        EXPECT_EQ(entry.path().filename().string().rfind("saved.htm.", 0), std::string::npos) << "a temporary file stayed";
}

TEST_F(MailWindowTest, SaveAddressAddsAMarkedEntryWithTheSender)
{
    auto window = WindowWith("ada@test", "me@test", "", "Hello");
    window->SaveAddress();
    EXPECT_EQ(askedEmail, "ada@test");
    const CAddressArray book = account->AddressBook();
    ASSERT_EQ(book.size(), 1u);
    EXPECT_TRUE(book[0].Marked);
    EXPECT_EQ(book[0].Name, "Ada");
    EXPECT_EQ(book[0].Address, "ada@test");
}

TEST_F(MailWindowTest, CopyExplainsHowToCopy)
{
    auto window = WindowWith("ada@test", "me@test", "", "Hello");
    window->Copy();
    EXPECT_EQ(CountMessages("SORRY: Copy data is not implemented yet. Right click on the selection and choose Copy to "
                            "copy the data to clipboard"),
              1u);
}

}  // namespace
}  // namespace korvalin::ui::test
