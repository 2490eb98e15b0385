#include "DiagnosticLog.h"

#include <cstdarg>
#include <cstdio>

namespace korvalin {
namespace {

std::tm SystemLocalTime()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

const char* LevelText(LogKind kind)
{
    switch (kind) {
    case LogKind::Info:
        return "Info";
    case LogKind::Warning:
        return "Warning";
    case LogKind::Error:
        return "Error";
    }
    return "Error";
}

// The level mask of each call: level L admits it when L shares a bit with
// the mask and is not above it (15 errors only, 7 with warnings, 3 and 1 all).
int LevelMask(LogKind kind)
{
    switch (kind) {
    case LogKind::Info:
        return 3;
    case LogKind::Warning:
        return 7;
    case LogKind::Error:
        return 15;
    }
    return 15;
}

}  // namespace

DiagnosticLog::DiagnosticLog(LocalTimeSource localTime)
    : localTime_(localTime ? std::move(localTime) : LocalTimeSource(SystemLocalTime))
{
}

bool DiagnosticLog::Admits(int level, LogKind kind)
{
    int mask = LevelMask(kind);
    return (level & mask) != 0 && level <= mask;
}

void DiagnosticLog::Info(const LogContext& context, const char* format, ...)
{
    if (!Admits(Level(), LogKind::Info))
        return;
    va_list args;
    va_start(args, format);
    Write(LogKind::Info, context, format, args);
    va_end(args);
}

void DiagnosticLog::Warning(const LogContext& context, const char* format, ...)
{
    if (!Admits(Level(), LogKind::Warning))
        return;
    va_list args;
    va_start(args, format);
    Write(LogKind::Warning, context, format, args);
    va_end(args);
}

void DiagnosticLog::Error(const LogContext& context, const char* format, ...)
{
    if (!Admits(Level(), LogKind::Error))
        return;
    va_list args;
    va_start(args, format);
    Write(LogKind::Error, context, format, args);
    va_end(args);
}

void DiagnosticLog::Write(LogKind kind, const LogContext& context, const char* format, va_list args)
{
    char message[1024];
    std::vsnprintf(message, sizeof message, format, args);

    std::tm local = localTime_();
    char time[32];
    std::snprintf(time, sizeof time, "%2.2d:%2.2d:%2.2d", local.tm_hour, local.tm_min, local.tm_sec);

    LogEntry entry{time, context.AccountText(), LevelText(kind), message};
    std::function<void()> waiting;
    {
        std::lock_guard lock(pendingMutex_);
        if (pending_.empty())
            waiting = waitingListener_;
        pending_.push_back(std::move(entry));
    }
    if (waiting)
        waiting();
}

void DiagnosticLog::SetWaitingListener(std::function<void()> listener)
{
    std::lock_guard lock(pendingMutex_);
    waitingListener_ = std::move(listener);
}

bool DiagnosticLog::LinesWaiting()
{
    std::lock_guard lock(pendingMutex_);
    return !pending_.empty();
}

std::vector<LogEntry> DiagnosticLog::TakePending()
{
    std::lock_guard lock(pendingMutex_);
    std::vector<LogEntry> taken;
    taken.swap(pending_);
    return taken;
}

}  // namespace korvalin
