#include "LogWindow.h"

#include "UiPort.h"
#include "UserSettings.h"

#include <cstdio>
#include <fstream>

namespace korvalin {

LogWindow::LogWindow(DiagnosticLog& log, UserSettings& settings, UiPort& ui) : log_(log), settings_(settings), ui_(ui) {}

size_t LogWindow::Drain()
{
    size_t dropped = 0;
    for (LogEntry& entry : log_.TakePending()) {
        rows_.push_back(std::move(entry));
        if (rows_.size() > kMaxRows) {
            rows_.pop_front();
            ++dropped;
        }
    }
    return dropped;
}

void LogWindow::SetLevel(int level)
{
    log_.SetLevel(level);
    settings_.SetInt(setting::kLogLevel, level);
    ui_.ShowDebugWindow(level != loglevel::kStopped);
}

void LogWindow::ToggleDebugWindow()
{
    SetLevel(log_.Level() == loglevel::kStopped ? loglevel::kAlmostAll : loglevel::kStopped);
}

std::string LogWindow::SaveLine(const LogEntry& entry)
{
    return "[" + entry.time + "] [" + entry.account + "] " + entry.level + " : " + entry.message + "\n";
}

void LogWindow::SaveLog()
{
    std::optional<std::string> name = ui_.AskSaveFileName();
    std::ofstream file;
    if (name && !name->empty())
        file.open(*name, std::ios::out | std::ios::trunc);
    if (!file.is_open()) {
        Tell(ui_, "Error opening file. Please check your disk space and write permissions");
        return;
    }
    for (const LogEntry& entry : rows_)
        file << SaveLine(entry);
    file.close();
    if (!file) {
        Tell(ui_, "Error opening file. Please check your disk space and write permissions");
        return;
    }
    MessageBoxRequest question;
    question.text = "Do you want to reset the log now?";
    question.icon = MessageIcon::Question;
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = MessageAnswer::Yes;
    if (ui_.ShowMessage(question).answer == MessageAnswer::Yes)
        rows_.clear();
}

void LogWindow::ClearLog()
{
    if (AskYesNo(ui_, "Are you sure you want to delete all the log entries?", MessageAnswer::No) == MessageAnswer::Yes)
        rows_.clear();
}

}  // namespace korvalin
