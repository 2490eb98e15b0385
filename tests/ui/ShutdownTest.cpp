// Closing the main frame: the pending-actions question, and what is saved.
#include "AccountTree.h"
#include "MailRequest.h"
#include "ProgramApplication.h"
#include "StatusPanes.h"
#include "UiTestSupport.h"
#include "SessionEnd.h"
#include "UserStore.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace korvalin::ui::test {
namespace {

constexpr const char* kQuitQuestion =
    "There are pending items which will be lost if you quit. Do you want to quit anyway?";

class ShutdownTest : public FrameTest {
protected:
    void AddPendingDownload(const std::shared_ptr<CAccount>& account)
    {
        MailRequest action;
        action.kind = request::kDownload;
        action.text = "id-1";
        action.secondText = "Inbox";
        action.account = account;
        engine->Pending().Append(action);
    }
};

TEST_F(ShutdownTest, QuittingOnlineNeverAsks)
{
    ProviderEntry& mail = AddProvider("TestMail");
    AddPendingDownload(AddAccount(mail, "ann"));
    frame->show();

    EXPECT_TRUE(frame->close());
    EXPECT_EQ(CountMessages(kQuitQuestion), 0u);
}

TEST_F(ShutdownTest, QuittingOfflineWithAnEmptyListNeverAsks)
{
    engine->Online().SetOnline(false);
    frame->show();
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(CountMessages(kQuitQuestion), 0u);
}

TEST_F(ShutdownTest, QuittingOfflineWithPendingActionsAsksAndNoKeepsTheProgram)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann");
    engine->Online().SetOnline(false);
    AddPendingDownload(ann);
    frame->show();

    EXPECT_FALSE(frame->close()) << "No is the default";
    ASSERT_EQ(CountMessages(kQuitQuestion), 1u);
    EXPECT_EQ(messages.back().defaultButton, MessageAnswer::No);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(std::filesystem::exists(paths.storeFile)) << "nothing was saved";

    Answer(MessageAnswer::Yes);
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(frame->ShutdownDone());
}

TEST_F(ShutdownTest, TheFolderChecksAreSavedAsTheAccountsMask)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann");
    auto bob = AddAccount(mail, "bob");
    frame->Tree().SetChecked(frame->Tree().ItemFor(bob.get()), false);
    frame->show();

    ASSERT_TRUE(frame->close());

    StoreValue list = UserStore(paths.storeFile).Read("TestMail");
    ASSERT_EQ(list.state, StoreRead::Found);
    // Each record ends with the 16-bit mask: ann keeps her inbox, bob has none.
    const std::string& bytes = list.bytes;
    const size_t annEnd = bytes.find("bob");
    ASSERT_NE(annEnd, std::string::npos);
    EXPECT_EQ(bytes.substr(annEnd - 2, 2), std::string("\x01\x00", 2));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string("\x00\x00", 2));
}

TEST_F(ShutdownTest, PortCallsReachTheStatusBarAndTheCheckTimer)
{
    port.SetStatusText(kModePane, "Offline Mode");
    port.SetStatusText(kProgressPane, "100.0%");
    EXPECT_EQ(frame->Status().PaneText(1), "Offline Mode");
    EXPECT_EQ(frame->Status().PaneText(2), "100.0%");
    EXPECT_GE(frame->Status().findChild<QLabel*>("statusPane1")->minimumWidth(), 65);

    port.StartCheckTimer(2);
    EXPECT_TRUE(frame->CheckTimer().isActive());
    EXPECT_EQ(frame->CheckTimer().interval(), 120000);
}

TEST_F(ShutdownTest, WaitsOfTheEngineKeepTheWindowsWorking)
{
    // A timer of the UI thread still fires while the engine waits on it.
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    port.KeepAliveUntil([&] { return fired; });
    EXPECT_TRUE(fired);

    port.KeepAliveUntil([] { return true; });  // nothing to wait for
}

TEST(FatalStops, MemoryRunningOutWhileAnEventIsHandledEndsThroughTheFatalStop)
{
    struct Stopped {
        std::string text;
    };
    const FatalStop stop = [](const std::string& text) { throw Stopped{text}; };
    EXPECT_TRUE(DeliverOrStop([] { return true; }, stop));
    EXPECT_FALSE(DeliverOrStop([] { return false; }, stop));
    try {
        DeliverOrStop([]() -> bool { throw std::bad_alloc(); }, stop);
        ADD_FAILURE() << "the program went on";
    } catch (const Stopped& stopped) {
        EXPECT_EQ(stopped.text, kOutOfMemoryText);
    }
    EXPECT_EQ(std::string(kOutOfMemoryText),
              "Fatal Error: Out of memory. Please close other applications and run Korvalin again");
}

// SIGTERM (as SIGHUP) saves what Exit saves, asking nothing, and closes.
TEST_F(ShutdownTest, SigtermSavesAsExitWithoutAsking)
{
    SessionEnd watcher;
    ASSERT_TRUE(watcher.Watching());
    QObject::connect(&watcher, &SessionEnd::EndRequested, frame.get(), &MainFrame::EndWithoutQuestions);
    bool closed = false;
    QObject::connect(frame.get(), &MainFrame::Closed, [&closed] { closed = true; });
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann");
    engine->Online().SetOnline(false);
    AddPendingDownload(ann);
    frame->show();

    std::raise(SIGTERM);
    for (int i = 0; i < 200 && !closed; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(closed);
    EXPECT_EQ(CountMessages(kQuitQuestion), 0u);
    EXPECT_EQ(UserStore(paths.storeFile).Read("TestMail").state, StoreRead::Found);
}

// A call of another thread still waiting when the program ends gets its
// cancel answer: the event loop that would run it is gone.
TEST_F(ShutdownTest, AWaitingCallOfAnotherThreadIsAnsweredWhenShutdownBegins)
{
    std::atomic<bool> returned{false};
    MessageAnswer answer = MessageAnswer::Yes;
    std::thread worker([&] {
        MessageBoxRequest question;
        question.buttons = MessageButtons::YesNo;
        question.defaultButton = MessageAnswer::Yes;
        answer = port.ShowMessage(question).answer;
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port.BeginShutdown();
    for (int i = 0; i < 200 && !returned; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(returned);
    while (!returned)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_TRUE(messages.empty());
}

// The shutdown's questions and waits serve the event loop: what runs meanwhile
// (a check-timer tick, another end request) does not run it again.
TEST_F(ShutdownTest, TheShutdownDoesNotRunAgainWhileItAsks)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann");
    engine->Online().SetOnline(false);
    AddPendingDownload(ann);
    frame->show();
    bool nested = true;
    port.SetMessagePresenter([&](QWidget*, const MessageBoxRequest& request) {
        messages.push_back(request);
        if (messages.size() == 1)
            nested = frame->Shutdown();
        MessageBoxReply reply;
        reply.answer = MessageAnswer::Yes;
        return reply;
    });

    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(nested);
    EXPECT_EQ(CountMessages(kQuitQuestion), 1u);
}

}  // namespace
}  // namespace korvalin::ui::test
