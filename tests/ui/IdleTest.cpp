// Between checks the program does no periodic work on the UI thread: no
// timer fires while nothing happens, and the debug window and the commands
// still follow what happens.
#include "BusyAnimation.h"
#include "DebugWindow.h"
#include "TrayIcon.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QTest>
#include <QTreeWidget>

#include <thread>

namespace korvalin::ui::test {
namespace {

// Counts the timer events the application delivers while it lives.
class TimerEventCounter : public QObject {
public:
    TimerEventCounter() { QCoreApplication::instance()->installEventFilter(this); }
    int count = 0;
    QStringList receivers;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer) {
            ++count;
            receivers << QString::fromLatin1(watched->metaObject()->className()) + "/" + watched->objectName();
        }
        return false;
    }
};

class IdleTest : public FrameTest {};

TEST_F(IdleTest, NothingFiresOnTheUiThreadBetweenChecks)
{
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    engine->LogView().SetLevel(loglevel::kEverything);  // the debug window is open
    frame->CreateTrayIcon();
    script->summary = {Mail("1", "ada@test", "Hello")};
    ProviderEntry& mail = AddProvider("TestMail");
    auto account = AddAccount(mail, "ann");
    ASSERT_TRUE(engine->Accounts().LoginWithProgress(*account));
    ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Count() == 1 && engine->Checks().CanCheck(); }));
    ASSERT_TRUE(WaitUntil([&] { return frame->Tray().Animating(); })) << "new mail waits";
    QTest::qWait(400);  // the last lines and downloads settle

    TimerEventCounter timers;
    QTest::qWait(1500);
    EXPECT_EQ(timers.count, 0) << timers.receivers.join(", ").toStdString();
    EXPECT_FALSE(frame->Busy().Running());
    EXPECT_FALSE(frame->Debug().DrainPending());
}

TEST_F(IdleTest, TheDebugWindowTakesALineSoonAfterItArrives)
{
    engine->LogView().SetLevel(loglevel::kEverything);
    ASSERT_TRUE(WaitUntil([&] { return frame->Debug().isVisible(); }));
    QTest::qWait(200);
    const int before = frame->Debug().List()->topLevelItemCount();
    std::thread([&] { engine->Log().Info(kCommon, "from a worker"); }).join();
    ASSERT_TRUE(WaitUntil([&] { return frame->Debug().List()->topLevelItemCount() == before + 1; }, 2000));
    EXPECT_EQ(frame->Debug().List()->topLevelItem(before)->text(3), "from a worker");
    EXPECT_TRUE(WaitUntil([&] { return !frame->Debug().DrainPending(); }, 1000));
}

TEST_F(IdleTest, CommandsFollowTheEngineWithoutPolling)
{
    frame->show();
    ProviderEntry& mail = AddProvider("TestMail");
    auto account = AddAccount(mail, "ann");
    EXPECT_FALSE(frame->Commands().compose->isEnabled()) << "nobody logged in";
    ASSERT_TRUE(engine->Accounts().LoginWithProgress(*account));
    EXPECT_TRUE(WaitUntil([&] { return frame->Commands().compose->isEnabled(); }, 2000));
}

}  // namespace
}  // namespace korvalin::ui::test
