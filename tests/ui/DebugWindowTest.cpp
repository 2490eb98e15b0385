// The debug window "Dravnek Debug Output": its rows, level commands, Save Log
// and Clear Log, and closing.
#include "DebugWindow.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QHeaderView>
#include <QTreeWidget>

#include <fstream>
#include <sstream>

namespace korvalin::ui::test {
namespace {

class DebugWindowTest : public FrameTest {
protected:
    DebugWindow& Window() { return frame->Debug(); }
    QTreeWidget& List() { return *Window().List(); }
    QString Cell(int row, int column) { return List().topLevelItem(row)->text(column); }
};

TEST_F(DebugWindowTest, HasTheTitleAndTheFourColumns)
{
    EXPECT_EQ(Window().windowTitle(), "Dravnek Debug Output");
    ASSERT_EQ(List().columnCount(), 4);
    QTreeWidgetItem* header = List().headerItem();
    EXPECT_EQ(header->text(0), "Time");
    EXPECT_EQ(header->text(1), "Account");
    EXPECT_EQ(header->text(2), "Level");
    EXPECT_EQ(header->text(3), "Log");
    EXPECT_GE(List().columnWidth(0), 60);
    EXPECT_GE(List().columnWidth(2), 45);
}

TEST_F(DebugWindowTest, TheFramesBuildingStepsAreLoggedOnceItMeetsTheLog)
{
    engine->LogView().SetLevel(loglevel::kEverything);
    MainFrame built;
    built.Attach(*engine, port);
    std::vector<std::string> lines;
    for (const LogEntry& entry : engine->Log().TakePending())
        lines.push_back(entry.message);
    built.Detach();
    port.SetFrame(frame.get());
    EXPECT_EQ(lines, (std::vector<std::string>{"Creating toolbar", "Creating statusbar", "Creating animation window"}));
}

TEST_F(DebugWindowTest, KeepsTheLast251RowsOldestFirst)
{
    engine->LogView().SetLevel(loglevel::kEverything);
    for (int i = 0; i < 300; ++i) {
        engine->Log().Info(kCommon, "line %d", i);
        if (i % 70 == 0)
            Window().SyncRows();  // the timer ticks now and then
    }
    Window().SyncRows();

    ASSERT_EQ(List().topLevelItemCount(), 251);
    EXPECT_EQ(Cell(0, 3), "line 49");
    EXPECT_EQ(Cell(250, 3), "line 299");
    EXPECT_EQ(Cell(0, 1), "Common");
    EXPECT_EQ(Cell(0, 2), "Info");
    EXPECT_EQ(Cell(0, 0).size(), 8);
    EXPECT_EQ(List().topLevelItem(0)->textAlignment(0), Qt::AlignCenter);
}

TEST_F(DebugWindowTest, SaveLogWritesOneLinePerRowThenOffersTheReset)
{
    engine->LogView().SetLevel(loglevel::kAlmostAll);
    engine->Log().Info(kCommon, "Starting logon");
    engine->Log().Error(kCommon, "Something broke");
    Window().SyncRows();
    ASSERT_EQ(List().topLevelItemCount(), 2);
    const std::filesystem::path file = folder.Path() / "saved.log";
    port.SetSaveFileAsker([&] { return std::optional<std::string>(file.string()); });

    Answer(MessageAnswer::No);
    Window().SaveAction()->trigger();

    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[" + Cell(0, 0).toStdString() + "] [Common] Info : Starting logon\n[" +
                              Cell(1, 0).toStdString() + "] [Common] Error : Something broke\n");
    ASSERT_EQ(MessageTexts().back(), "Do you want to reset the log now?");
    EXPECT_EQ(List().topLevelItemCount(), 2) << "No keeps the rows";

    Answer(MessageAnswer::Yes);
    Window().SaveAction()->trigger();
    EXPECT_EQ(List().topLevelItemCount(), 0);

    engine->Log().Info(kCommon, "after the reset");
    Window().SyncRows();
    ASSERT_EQ(List().topLevelItemCount(), 1);
    EXPECT_EQ(Cell(0, 3), "after the reset");
}

TEST_F(DebugWindowTest, SaveLogToAnUnwritablePlaceKeepsTheRows)
{
    engine->LogView().SetLevel(loglevel::kAlmostAll);
    engine->Log().Info(kCommon, "kept");
    Window().SyncRows();
    port.SetSaveFileAsker([&] { return std::optional<std::string>((folder.Path() / "no/such/dir/x.log").string()); });

    Window().SaveAction()->trigger();

    EXPECT_EQ(MessageTexts().back(), "Error opening file. Please check your disk space and write permissions");
    EXPECT_EQ(List().topLevelItemCount(), 1);
}

TEST_F(DebugWindowTest, ClearLogAsksWithNoAsTheDefault)
{
    engine->LogView().SetLevel(loglevel::kAlmostAll);
    engine->Log().Warning(kCommon, "one");
    Window().SyncRows();

    Window().ClearAction()->trigger();  // the default answer
    ASSERT_EQ(messages.back().text, "Are you sure you want to delete all the log entries?");
    EXPECT_EQ(messages.back().defaultButton, MessageAnswer::No);
    EXPECT_EQ(List().topLevelItemCount(), 1);

    Answer(MessageAnswer::Yes);
    Window().ClearAction()->trigger();
    EXPECT_EQ(List().topLevelItemCount(), 0);
}

TEST_F(DebugWindowTest, LevelCommandsSetTheLevelAndTheCheckMark)
{
    Window().LevelAction(loglevel::kErrorsAndWarnings)->trigger();
    EXPECT_EQ(engine->Log().Level(), 7);
    EXPECT_EQ(engine->Settings().Int(setting::kLogLevel), 7);
    ASSERT_TRUE(WaitUntil([&] { return Window().isVisible(); }));
    for (int level : {15, 7, 3, 1, 0})
        EXPECT_EQ(Window().LevelAction(level)->isChecked(), level == 7) << level;

    Window().LevelAction(loglevel::kStopped)->trigger();
    EXPECT_EQ(engine->Log().Level(), 0);
    ASSERT_TRUE(WaitUntil([&] { return !Window().isVisible(); }));
    for (int level : {15, 7, 3, 1, 0})
        EXPECT_FALSE(Window().LevelAction(level)->isChecked()) << level;
}

TEST_F(DebugWindowTest, ClosingActsAsStopAndTheMenuCommandTogglesIt)
{
    frame->Commands().debugWindow->trigger();
    EXPECT_EQ(engine->Log().Level(), loglevel::kAlmostAll);
    ASSERT_TRUE(WaitUntil([&] { return Window().isVisible(); }));
    EXPECT_TRUE(frame->Commands().debugWindow->isChecked());

    Window().close();
    EXPECT_EQ(engine->Log().Level(), loglevel::kStopped);
    EXPECT_FALSE(Window().isVisible());
    frame->UpdateCommands();
    EXPECT_FALSE(frame->Commands().debugWindow->isChecked());
}

}  // namespace
}  // namespace korvalin::ui::test
