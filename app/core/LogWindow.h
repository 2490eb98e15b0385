// What the debug window ("Dravnek Debug Output") shows: the rows taken from
// the log's pending list (at most 251, the oldest dropped first), the level
// commands, "Save Log" and "Clear Log".
#pragma once

#include "DiagnosticLog.h"

#include <cstddef>
#include <deque>
#include <string>

namespace korvalin {

class UiPort;
class UserSettings;

class LogWindow {
public:
    static constexpr size_t kMaxRows = 251;

    LogWindow(DiagnosticLog& log, UserSettings& settings, UiPort& ui);

    // The 100 ms timer: moves pending entries into the rows. Returns how many
    // rows were dropped from the top to keep the limit.
    size_t Drain();

    const std::deque<LogEntry>& Rows() const { return rows_; }

    // A level command: stored in the log and the settings record; the window
    // is shown when the level is not 0, hidden when it is.
    void SetLevel(int level);
    // "&Debug Window": level 3 when logging is stopped, else stop.
    void ToggleDebugWindow();
    // Closing the window acts as "&Stop".
    void Close() { SetLevel(loglevel::kStopped); }

    void SaveLog();
    void ClearLog();

    // One saved line: "[time] [account] level : message\n".
    static std::string SaveLine(const LogEntry& entry);

private:
    DiagnosticLog& log_;
    UserSettings& settings_;
    UiPort& ui_;
    std::deque<LogEntry> rows_;
};

}  // namespace korvalin
