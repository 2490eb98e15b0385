#include "ProviderLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace korvalin {
namespace {

std::atomic<ProviderLogSink> logSink{nullptr};
std::mutex keptMutex;
bool keeping = false;
std::string kept;

}  // namespace

void SetLogSink(ProviderLogSink sink)
{
    logSink = sink;
}

void ProviderLog(ProviderLogLevel level, const std::string& text)
{
    {
        std::lock_guard lock(keptMutex);
        if (keeping)
            kept += text + "\n";
    }
    if (ProviderLogSink sink = logSink.load())
        sink(static_cast<int>(level), text.c_str());
    else if (level != ProviderLogLevel::Info)
        std::fprintf(stderr, "%s: %s\n", level == ProviderLogLevel::Error ? "Error" : "Warning", text.c_str());
}

void KeepLoggedLines(bool keep)
{
    std::lock_guard lock(keptMutex);
    keeping = keep;
    kept.clear();
}

std::string LoggedLines()
{
    std::lock_guard lock(keptMutex);
    return kept;
}

}  // namespace korvalin
