#include "FakeUiPort.h"
#include "LogWindow.h"
#include "TestSupport.h"
#include "UserSettings.h"

#include <gtest/gtest.h>

using namespace korvalin;
using korvalin::test::FakeUiPort;

namespace {

struct NamedSubject : LogSubject {
    std::string LogName() const override { return "joe@TestProvider"; }
};

std::tm TimeOfDay(int hour, int minute, int second)
{
    std::tm time{};
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

class LogTest : public ::testing::Test {
protected:
    int timeReadings = 0;
    DiagnosticLog log{[this] {
        ++timeReadings;
        return TimeOfDay(9, 5, 3);
    }};
    UserSettings settings;
    FakeUiPort ui;
    LogWindow window{log, settings, ui};
};

}  // namespace

TEST_F(LogTest, LevelAdmitsTheCallsOfItsTable)
{
    struct Row {
        int level;
        bool info, warning, error;
    };
    for (Row row : {Row{15, false, false, true}, Row{7, false, true, true}, Row{3, true, true, true},
                    Row{1, true, true, true}, Row{0, false, false, false}}) {
        log.SetLevel(row.level);
        log.Info(kCommon, "i");
        log.Warning(kCommon, "w");
        log.Error(kCommon, "e");
        std::vector<std::string> levels;
        for (const LogEntry& entry : log.TakePending())
            levels.push_back(entry.level);
        std::vector<std::string> expected;
        if (row.info)
            expected.push_back("Info");
        if (row.warning)
            expected.push_back("Warning");
        if (row.error)
            expected.push_back("Error");
        EXPECT_EQ(levels, expected) << "level " << row.level;
    }
}

TEST_F(LogTest, AnUnadmittedCallFormatsNothing)
{
    log.SetLevel(loglevel::kErrorsOnly);
    log.Info(kCommon, "%d", 1);
    log.Warning(kCommon, "%d", 2);
    EXPECT_EQ(timeReadings, 0) << "not even the time is taken";
    log.Error(kCommon, "%d", 3);
    EXPECT_EQ(timeReadings, 1);
}

TEST_F(LogTest, EntryNamesTimeAccountAndCutsLongMessages)
{
    log.SetLevel(loglevel::kEverything);
    NamedSubject account;
    log.Warning(account, "%s", std::string(5000, 'x').c_str());
    std::vector<LogEntry> entries = log.TakePending();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].time, "09:05:03");
    EXPECT_EQ(entries[0].account, "joe@TestProvider");
    EXPECT_EQ(entries[0].message.size(), 1023u);
}

TEST_F(LogTest, WindowKeepsTheLast251RowsOldestFirst)
{
    window.SetLevel(loglevel::kEverything);
    for (int i = 0; i < 300; ++i)
        log.Info(kCommon, "line %d", i);
    EXPECT_EQ(window.Drain(), 49u);
    ASSERT_EQ(window.Rows().size(), 251u);
    EXPECT_EQ(window.Rows().front().message, "line 49");
    EXPECT_EQ(window.Rows().back().message, "line 299");
}

TEST_F(LogTest, SaveLogWritesBracketedLinesAndOffersReset)
{
    korvalin::test::TempDir dir;
    window.SetLevel(loglevel::kEverything);
    log.Info(kCommon, "Starting logon");
    window.Drain();
    ui.saveFileName = (dir.Path() / "saved.log").string();
    ui.QueueReply(MessageAnswer::No);
    window.SaveLog();

    EXPECT_EQ(korvalin::test::ReadFile(dir.Path() / "saved.log"), "[09:05:03] [Common] Info : Starting logon\n");
    ASSERT_EQ(ui.MessageTexts(), std::vector<std::string>{"Do you want to reset the log now?"});
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(window.Rows().size(), 1u) << "No keeps the rows";

    ui.QueueReply(MessageAnswer::Yes);
    window.SaveLog();
    EXPECT_TRUE(window.Rows().empty());
}

TEST_F(LogTest, SaveLogWithoutUsableFileSaysSoAndKeepsRows)
{
    window.SetLevel(loglevel::kEverything);
    log.Error(kCommon, "kept");
    window.Drain();
    ui.saveFileName.reset();
    window.SaveLog();
    ui.saveFileName = "/nonexistent-folder/x/y.log";
    window.SaveLog();
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>(2, "Error opening file. Please check your disk space and write permissions"));
    EXPECT_EQ(window.Rows().size(), 1u);
}

TEST_F(LogTest, ClearLogAsksWithNoAsDefaultAndLeavesPendingLines)
{
    window.SetLevel(loglevel::kEverything);
    log.Info(kCommon, "shown");
    window.Drain();
    log.Info(kCommon, "pending");

    window.ClearLog();  // the default answer: No
    EXPECT_EQ(window.Rows().size(), 1u);
    EXPECT_EQ(ui.Messages().back().text, "Are you sure you want to delete all the log entries?");
    EXPECT_EQ(ui.Messages().back().defaultButton, MessageAnswer::No);

    ui.QueueReply(MessageAnswer::Yes);
    window.ClearLog();
    EXPECT_TRUE(window.Rows().empty());
    window.Drain();
    EXPECT_EQ(window.Rows().size(), 1u) << "the pending line survives Clear Log";
}

TEST_F(LogTest, LevelCommandsShowOrHideTheWindowAndReachTheSettings)
{
    window.SetLevel(loglevel::kErrorsAndWarnings);
    EXPECT_EQ(settings.Int(setting::kLogLevel), 7);
    window.Close();
    EXPECT_EQ(settings.Int(setting::kLogLevel), 0);
    EXPECT_EQ(log.Level(), 0);
    window.ToggleDebugWindow();
    EXPECT_EQ(log.Level(), 3);
    window.ToggleDebugWindow();
    EXPECT_EQ(log.Level(), 0);
    EXPECT_EQ(ui.Calls(), (std::vector<std::string>{"ShowDebugWindow", "HideDebugWindow", "ShowDebugWindow",
                                                    "HideDebugWindow"}));
}
