// The diagnostic log: Info, Warning and Error from any thread, admitted by
// the log level, collected in a pending list under the log's own lock and
// taken by the UI 100 ms after the first of them arrived (LogWindow keeps what
// the window shows).
#pragma once

#include <atomic>
#include <cstdarg>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace korvalin {

namespace loglevel {
inline constexpr int kErrorsOnly = 15;
inline constexpr int kErrorsAndWarnings = 7;
inline constexpr int kAlmostAll = 3;
inline constexpr int kEverything = 1;
inline constexpr int kStopped = 0;
}  // namespace loglevel

// Something a log line can be about: an account names itself "login@provider".
class LogSubject {
public:
    virtual std::string LogName() const = 0;

protected:
    ~LogSubject() = default;
};

// The context of one log call: an account, or none ("Common").
class LogContext {
public:
    LogContext() = default;
    LogContext(const LogSubject& subject) : subject_(&subject) {}  // NOLINT: implicit on purpose
    std::string AccountText() const { return subject_ != nullptr ? subject_->LogName() : "Common"; }

private:
    const LogSubject* subject_ = nullptr;
};

inline const LogContext kCommon{};

struct LogEntry {
    std::string time;     // "hh:mm:ss"
    std::string account;  // "login@provider" or "Common"
    std::string level;    // "Info", "Warning" or "Error"
    std::string message;  // at most 1023 characters
};

enum class LogKind { Info, Warning, Error };

class DiagnosticLog {
public:
    using LocalTimeSource = std::function<std::tm()>;

    // localTime gives the local time of a call; by default the system clock.
    explicit DiagnosticLog(LocalTimeSource localTime = {});

    void Info(const LogContext& context, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void Warning(const LogContext& context, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void Error(const LogContext& context, const char* format, ...) __attribute__((format(printf, 3, 4)));

    static bool Admits(int level, LogKind kind);

    int Level() const { return level_.load(std::memory_order_relaxed); }
    void SetLevel(int level) { level_.store(level, std::memory_order_relaxed); }

    // Everything logged since the last call, oldest first.
    std::vector<LogEntry> TakePending();
    bool LinesWaiting();
    // Called (on the writing thread, outside the log's lock) when a line
    // arrives while none waits, so the window can take the lines then
    // instead of looking for them on a timer.
    void SetWaitingListener(std::function<void()> listener);

private:
    void Write(LogKind kind, const LogContext& context, const char* format, va_list args);

    std::atomic<int> level_{loglevel::kStopped};
    LocalTimeSource localTime_;
    std::mutex pendingMutex_;
    std::vector<LogEntry> pending_;
    std::function<void()> waitingListener_;
};

}  // namespace korvalin
