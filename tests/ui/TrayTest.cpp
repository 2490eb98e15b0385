// The tray icon: its menu, its animation and tip, and where minimising hides
// the main window.
#include "TrayIcon.h"
#include "TrayMenu.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace korvalin::ui::test {
namespace {

class TrayMenuTest : public ::testing::Test {
protected:
    TrayMenuTest()
    {
        for (QAction** action : {&commands.show, &commands.options, &commands.search, &commands.exit, &commands.compose})
            *action = new QAction(&owner);
    }

    std::vector<QString> Subjects(int count)
    {
        std::vector<QString> subjects;
        for (int i = 1; i <= count; ++i)
            subjects.push_back(QStringLiteral("Subject %1").arg(i));
        return subjects;
    }

    QStringList Texts(const QMenu& menu)
    {
        QStringList texts;
        for (QAction* action : menu.actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }

    QObject owner;
    TrayMenuCommands commands;
    QMenu menu;
    std::vector<int> opened;
    std::function<void(int)> open = [this](int k) { opened.push_back(k); };
};

TEST_F(TrayMenuTest, NoNewMailsSubmenuWhileTheListIsEmpty)
{
    FillTrayMenu(menu, commands, {}, open);
    EXPECT_EQ(Texts(menu),
              QStringList({"Open Korvalin", "Korvalin Options", "Search in Mails", "Exit", "-", "Compose New Mail"}));
    EXPECT_EQ(menu.defaultAction()->text(), "Open Korvalin");
}

TEST_F(TrayMenuTest, NewMailsSubmenuShowsAtMostFiveSubjectsAndOpensTheRightEntry)
{
    FillTrayMenu(menu, commands, Subjects(7), open);
    ASSERT_EQ(menu.actions().first()->text(), "New Mails");
    QMenu* newMails = menu.actions().first()->menu();
    ASSERT_NE(newMails, nullptr);
    EXPECT_EQ(Texts(*newMails), QStringList({"Subject 1", "Subject 2", "Subject 3", "Subject 4", "Subject 5"}));
    EXPECT_EQ(newMails->actions()[4]->objectName(), "Mail5");
    EXPECT_EQ(menu.defaultAction(), menu.actions().first());

    newMails->actions()[2]->trigger();
    EXPECT_EQ(opened, std::vector<int>{2});
}

TEST_F(TrayMenuTest, RefillingReplacesTheItemsAndKeepsAmpersandsAsText)
{
    FillTrayMenu(menu, commands, Subjects(3), open);
    FillTrayMenu(menu, commands, {QStringLiteral("Tom & Jerry")}, open);
    ASSERT_EQ(menu.actions().size(), 7);
    QMenu* newMails = menu.actions().first()->menu();
    ASSERT_EQ(newMails->actions().size(), 1);
    EXPECT_EQ(newMails->actions()[0]->text(), "Tom && Jerry");
}

TEST_F(TrayMenuTest, ItemsFollowTheirCommands)
{
    commands.options->setEnabled(false);
    FillTrayMenu(menu, commands, {}, open);
    EXPECT_FALSE(menu.actions()[1]->isEnabled());
    int exits = 0;
    QObject::connect(commands.exit, &QAction::triggered, [&] { ++exits; });
    menu.actions()[3]->trigger();
    EXPECT_EQ(exits, 1);
}

TEST(TrayIconTest, AnimationWalksFourFramesWithTheCountInTheTip)
{
    TrayIcon tray;
    tray.SetNewMailCounter([] { return 3; });
    EXPECT_EQ(tray.Tip(), "Korvalin Mail");

    tray.StartAnimation();
    EXPECT_TRUE(tray.Animating());
    EXPECT_EQ(tray.Step(), 1);
    EXPECT_EQ(tray.Tip(), "You have 3 new mails");
    std::vector<int> steps;
    for (int i = 0; i < 5; ++i) {
        tray.Advance();
        steps.push_back(tray.Step());
    }
    EXPECT_EQ(steps, (std::vector<int>{2, 3, 4, 1, 2}));

    tray.StopAnimation();
    EXPECT_FALSE(tray.Animating());
    EXPECT_EQ(tray.Step(), 0);
    EXPECT_EQ(tray.Tip(), "Korvalin Mail");
}

TEST(TrayIconTest, TipsAreCutTo64Characters)
{
    EXPECT_EQ(TrayTip(QString(100, QLatin1Char('x'))).size(), 64);
    EXPECT_EQ(TrayTip("You have 2 new mails"), "You have 2 new mails");
}

class MinimiseTest : public FrameTest {
protected:
    ~MinimiseTest() override { TrayIcon::OverrideAvailability(std::nullopt); }
};

TEST_F(MinimiseTest, MinimisingHidesTheWindowWhereATrayExists)
{
    TrayIcon::OverrideAvailability(true);
    frame->CreateTrayIcon();
    frame->show();
    frame->showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return !frame->isVisible(); }));

    frame->Commands().show->trigger();  // "Open Korvalin", as a tray double click does
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
}

TEST_F(MinimiseTest, WithoutATrayTheWindowStaysReachable)
{
    TrayIcon::OverrideAvailability(false);
    frame->CreateTrayIcon();
    frame->show();
    frame->showMinimized();
    QTest::qWait(50);
    EXPECT_TRUE(frame->isVisible());

    frame->ShowMainWindow(false);  // "hide on start-up"
    QTest::qWait(50);
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(MinimiseTest, ShowStopsTheAnimation)
{
    TrayIcon::OverrideAvailability(true);
    frame->CreateTrayIcon();
    frame->Tray().StartAnimation();
    frame->ShowFromTray();
    EXPECT_FALSE(frame->Tray().Animating());
    EXPECT_EQ(frame->Tray().Tip(), "Korvalin Mail");
    EXPECT_TRUE(frame->isVisible());
}

}  // namespace
}  // namespace korvalin::ui::test
