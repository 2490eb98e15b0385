// The compose window: its starting body and quoting, recipient names
// expanded from the address books, the sender list, sending online and
// offline, a refused mail handed back, and the cancel question.
#include "ComposeText.h"
#include "ComposeWindow.h"
#include "FeatureFrameTest.h"
#include "TextConversion.h"
#include "UserInformation.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTextEdit>

#include <fstream>

namespace korvalin::ui::test {
namespace {

constexpr const char* kCancelQuestion = "Are you sure you want to cancel this mail?";

class ComposeWindowTest : public FeatureFrameTest {
protected:
    ComposeWindowTest()
    {
        engine->Settings().SetFlag(setting::kAddSignature, false);
        web = &AddProvider("TestMail");
        pop = &AddProvider("POPMail");
    }

    ComposeWindow* Compose(std::shared_ptr<CAccount> sender, const QString& subject = {},
                           const QString& quotedFile = {})
    {
        ComposeSetup setup;
        setup.title = "Sender: " + QString::fromStdString(sender->LogName());
        setup.subject = subject;
        setup.quotedFile = quotedFile;
        setup.sender = std::move(sender);
        return frame->OpenComposer(setup);
    }

    std::string WriteMailFile(const std::string& text)
    {
        const std::filesystem::path file = folder.Path() / "mail.htm";
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

    static void LeaveField(QWidget& field)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&field, &out);
    }

    static void EnterField(QWidget& field)
    {
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(&field, &in);
    }

    std::string Footer() const { return MailFooter(VendorWeb(engine->Paths())); }

    ProviderEntry* web = nullptr;
    ProviderEntry* pop = nullptr;
};

TEST_F(ComposeWindowTest, ANewMailStartsWithTwoEmptyLinesAndTheSignature)
{
    engine->Settings().SetFlag(setting::kAddSignature, true);
    engine->Settings().SetSignature("--\r\nAnn");
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"));
    ASSERT_NE(compose, nullptr);
    EXPECT_EQ(compose->Editor().toPlainText(), "\n\n--\nAnn");
    EXPECT_EQ(compose->Editor().font().pointSize(), 10);
    EXPECT_EQ(compose->windowTitle(), "Sender: ann@TestMail");
    EXPECT_TRUE(compose->SaveCopy()) << "the save-a-copy option is on by default";
    engine->Settings().SetFlag(setting::kSaveCopy, false);
    EXPECT_FALSE(Compose(LoggedInAccount(*web, "bob"))->SaveCopy());
}

TEST_F(ComposeWindowTest, AReplyQuotesEveryNonEmptyLineWithThePrefixAndEndsWithOne)
{
    engine->Settings().SetFlag(setting::kPrefixReply, true);
    engine->Settings().SetReplyPrefix("> ");
    const std::string file = WriteMailFile("<p>Line one</p>\r\n\r\n<a href=\"x\">Line</a> two<BR>\n");
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"), "RE:Lunch", QString::fromStdString(file));
    ASSERT_NE(compose, nullptr);
    EXPECT_EQ(compose->Editor().toPlainText(),
              "\n\n\n\n===========Original Message===========\n> Line one\n> Line two\n> ");
    EXPECT_EQ(compose->Editor().textCursor().position(), 0) << "the editor shows its first line";
}

TEST_F(ComposeWindowTest, AForwardUsesTheForwardPrefix)
{
    engine->Settings().SetFlag(setting::kPrefixForward, true);
    engine->Settings().SetForwardPrefix("| ");
    const std::string file = WriteMailFile("Hello");
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"), "FW:Lunch", QString::fromStdString(file));
    ASSERT_NE(compose, nullptr);
    EXPECT_TRUE(compose->Editor().toPlainText().endsWith("| Hello\n| "));
}

TEST_F(ComposeWindowTest, AMailThatCannotBeReadIsReportedAndTheReplyMayGoOnOrBeGivenUp)
{
    auto ann = LoggedInAccount(*web, "ann");
    const QString missing = QString::fromStdString((folder.Path() / "gone.htm").string());

    Answer(MessageAnswer::Ok);
    Answer(MessageAnswer::No);
    ComposeWindow* kept = Compose(ann, "RE:x", missing);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Error opening the message to reply", kCancelQuestion}));
    EXPECT_FALSE(kept->Editor().toPlainText().contains(kOriginalMessageLine));

    Answer(MessageAnswer::Ok);
    Answer(MessageAnswer::Yes);
    EXPECT_EQ(Compose(ann, "RE:x", missing), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ComposeWindows().size() == 1; }));
}

TEST_F(ComposeWindowTest, NamesLeavingARecipientFieldBecomeAddressesFromTheBooks)
{
    auto ann = LoggedInAccount(*web, "ann");
    auto bob = LoggedInAccount(*pop, "bob", true);
    AddToBook(*bob, "Pal", "pal@example.org");
    AddToBook(*ann, "team", "pal;Carol");
    AddToBook(*ann, "carol", "carol@example.org");
    ComposeWindow* compose = Compose(ann);
    ASSERT_NE(compose, nullptr);

    compose->ToField().setText("pal stranger");
    LeaveField(compose->ToField());
    EXPECT_EQ(compose->ToField().text(), "pal@example.org,stranger") << "found in another account's book";

    compose->CcField().setText("a@x.org; b@y.org c@z.org");
    LeaveField(compose->CcField());
    EXPECT_EQ(compose->CcField().text(), "a@x.org,b@y.org,c@z.org");

    compose->BccField().setText("TEAM");
    LeaveField(compose->BccField());
    EXPECT_EQ(compose->BccField().text(), "pal@example.org,carol@example.org") << "a name standing for names";

    compose->SubjectField().setText("pal");
    LeaveField(compose->SubjectField());
    EXPECT_EQ(compose->SubjectField().text(), "pal") << "the subject is not a recipient field";
}

TEST_F(ComposeWindowTest, WithoutARecipientNothingIsSent)
{
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"));
    compose->ToField().setText("\nann@example.org");
    EXPECT_FALSE(compose->Send());
    EXPECT_EQ(CountMessages("Please enter a recepient"), 1u);
    EXPECT_EQ(engine->Requests().Outstanding(), 0u);
    EXPECT_EQ(ComposeWindows().size(), 1u);
}

TEST_F(ComposeWindowTest, OfflineTheMailBecomesOnePendingActionAndTheWindowCloses)
{
    auto ann = LoggedInAccount(*web, "ann");
    ComposeWindow* compose = Compose(ann);
    engine->Online().SetOnline(false);
    compose->ToField().setText("bob@example.org");
    compose->SubjectField().setText("Hi");
    compose->Editor().setPlainText("See you");

    EXPECT_TRUE(compose->Send());

    ASSERT_EQ(engine->Pending().Size(), 1u);
    const MailRequest action = engine->Pending().Snapshot()[0];
    EXPECT_EQ(action.kind, request::kSend);
    EXPECT_TRUE(action.text.empty());
    EXPECT_TRUE(action.secondText.empty());
    EXPECT_EQ(action.account, ann);
    EXPECT_EQ(action.message.To, "bob@example.org");
    EXPECT_EQ(action.message.Subject, "Hi");
    EXPECT_TRUE(WaitUntil([&] { return ComposeWindows().empty(); }));
    EXPECT_TRUE(messages.empty()) << "no cancel question after sending";
    EXPECT_TRUE(script->Sent().empty());
}

TEST_F(ComposeWindowTest, AWebMailAccountSendsAPercentEncodedBody)
{
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"));
    compose->ToField().setText("bob@example.org");
    compose->Editor().setPlainText("Yes, at 12:30!");
    ASSERT_TRUE(compose->Send());
    ASSERT_TRUE(WaitUntil([&] { return script->Sent().size() == 1; }));
    const CMailMessage sent = script->Sent()[0];
    EXPECT_EQ(sent.Body, FormEncode("\nYes, at 12:30!" + Footer()));
    EXPECT_EQ(sent.Body.rfind("%0AYes%2C%20at%2012%3A30%21%0A", 0), 0u);
}

TEST_F(ComposeWindowTest, APopAccountSendsTheBodyAsTypedWithTheFooter)
{
    ComposeWindow* compose = Compose(LoggedInAccount(*pop, "bob", true));
    compose->ToField().setText("ann@example.org");
    compose->CcField().setText("carol@example.org");
    compose->BccField().setText("dave@example.org");
    compose->Editor().setPlainText("Yes, at 12:30!");
    compose->SaveCopyAction().trigger();
    ASSERT_TRUE(compose->Send());
    ASSERT_TRUE(WaitUntil([&] { return script->Sent().size() == 1; }));
    const CMailMessage sent = script->Sent()[0];
    EXPECT_EQ(sent.Body, "\nYes, at 12:30!" + Footer());
    EXPECT_EQ(sent.CC, "carol@example.org");
    EXPECT_EQ(sent.BCC, "dave@example.org");
    EXPECT_FALSE(sent.SaveCopy) << "the menu item turned the option's default off";
}

TEST_F(ComposeWindowTest, TheSenderListHoldsTheLoggedInAccountsAndChoosingOneChangesTheSender)
{
    auto ann = LoggedInAccount(*web, "ann");
    AddAccount(*web, "nobody");  // not logged in
    auto bob = LoggedInAccount(*pop, "bob", true);
    ComposeWindow* compose = Compose(ann);
    QComboBox& senders = compose->SenderList();
    ASSERT_EQ(senders.count(), 2);
    EXPECT_EQ(senders.itemText(0), "ann@TestMail");
    EXPECT_EQ(senders.itemText(1), "bob@POPMail");
    EXPECT_EQ(senders.currentIndex(), 0);

    senders.setCurrentIndex(1);
    EXPECT_EQ(compose->Sender(), bob.get());
    EXPECT_EQ(compose->windowTitle(), "Sent From: bob@POPMail");

    engine->Online().SetOnline(false);
    compose->ToField().setText("x@example.org");
    ASSERT_TRUE(compose->Send());
    ASSERT_EQ(engine->Pending().Size(), 1u);
    EXPECT_EQ(engine->Pending().Snapshot()[0].account, bob);
}

TEST_F(ComposeWindowTest, AMailTheServiceRefusedComesBackWithWhatWasTyped)
{
    script->acceptSend = false;
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"));
    compose->ToField().setText("bob@example.org");
    compose->SubjectField().setText("Plans");
    compose->Editor().setPlainText("Line one\nLine two");
    ASSERT_TRUE(compose->Send());

    QPointer<ComposeWindow> sent = compose;
    ComposeWindow* returned = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        const auto windows = ComposeWindows();
        returned = sent.isNull() && windows.size() == 1 ? windows[0] : nullptr;
        return returned != nullptr;
    }));
    EXPECT_EQ(returned->ToField().text(), "bob@example.org");
    EXPECT_EQ(returned->SubjectField().text(), "Plans");
    EXPECT_EQ(returned->Editor().toPlainText(), "Line one\nLine two") << "neither encoded nor with the footer";
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages[0].text.find("was not sent"), std::string::npos);
}

TEST_F(ComposeWindowTest, ClosingAsksFirstAndNoKeepsTheMail)
{
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"));
    QWidget* window = compose->parentWidget();
    EXPECT_FALSE(window->close()) << "No is the default answer";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kCancelQuestion);
    EXPECT_EQ(messages[0].defaultButton, MessageAnswer::No);
    EXPECT_EQ(ComposeWindows().size(), 1u);

    Answer(MessageAnswer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(WaitUntil([&] { return ComposeWindows().empty(); }));
}

TEST_F(ComposeWindowTest, QuittingAsksAboutAnUnsentMailAndNoKeepsTheProgramRunning)
{
    Compose(LoggedInAccount(*web, "ann"));
    Answer(MessageAnswer::No);
    EXPECT_FALSE(frame->Shutdown());
    EXPECT_EQ(CountMessages(kCancelQuestion), 1u);
    EXPECT_EQ(ComposeWindows().size(), 1u);
    Answer(MessageAnswer::Yes);
    EXPECT_TRUE(frame->Shutdown());
}

TEST_F(ComposeWindowTest, WhileItIsActiveTheWindowsOwnKeysWinOverTheFramesAndComeBackAfter)
{
    const QKeySequence selectAll = frame->Commands().selectAll->shortcut();
    ASSERT_EQ(selectAll, QKeySequence(Qt::CTRL | Qt::Key_A));
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"));
    EXPECT_TRUE(frame->Commands().selectAll->shortcut().isEmpty()) << "Ctrl+A is the address book here";
    EXPECT_EQ(frame->Commands().compose->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    compose->CloseConfirmed();
    ASSERT_TRUE(WaitUntil([&] { return ComposeWindows().empty(); }));
    EXPECT_EQ(frame->Commands().selectAll->shortcut(), selectAll);
}

TEST_F(ComposeWindowTest, CtrlAOpensTheAddressBookFromEveryFieldAndTheBody)
{
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"));
    int picked = 0;
    compose->SetRecipientPicker([&](ComposeWindow&) { ++picked; });
    compose->ToField().setText("someone");
    compose->Editor().setPlainText("Body");
    for (QWidget* field : std::initializer_list<QWidget*>{&compose->ToField(), &compose->SubjectField(),
                                                          &compose->Editor()}) {
        const int before = picked;
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(picked, before + 1) << field->objectName().toStdString();
    }
    EXPECT_FALSE(compose->ToField().hasSelectedText()) << "no Select All";
    EXPECT_FALSE(compose->Editor().textCursor().hasSelection());
}

TEST_F(ComposeWindowTest, DeleteActsInTheHeaderFieldThatLastHadTheFocusElseInTheBody)
{
    ComposeWindow* compose = Compose(LoggedInAccount(*web, "ann"));
    compose->SubjectField().setText("XHello");
    compose->SubjectField().setCursorPosition(0);
    EnterField(compose->SubjectField());
    compose->DeleteInField();
    EXPECT_EQ(compose->SubjectField().text(), "Hello");

    compose->Editor().setPlainText("ZBody");
    compose->Editor().moveCursor(QTextCursor::Start);
    EnterField(compose->Editor());
    compose->DeleteInField();
    EXPECT_EQ(compose->Editor().toPlainText(), "Body");
    EXPECT_EQ(compose->SubjectField().text(), "Hello");
}

TEST_F(ComposeWindowTest, AMailLinkRecipientGoesIntoTo)
{
    auto ann = LoggedInAccount(*web, "ann");
    frame->SetComposeHandler(nullptr);
    ComposeRequest request;
    request.senderText = "Sender: ann@TestMail";
    request.sender = ann.get();
    request.recipient = "someone@example.org";
    frame->OpenComposeWindow(request);
    ASSERT_EQ(ComposeWindows().size(), 1u);
    EXPECT_EQ(ComposeWindows()[0]->ToField().text(), "someone@example.org");
    EXPECT_EQ(ComposeWindows()[0]->windowTitle(), "Sender: ann@TestMail");
}

}  // namespace
}  // namespace korvalin::ui::test
