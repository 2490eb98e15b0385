#include "StartupTrace.h"

#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>

namespace korvalin::ui {
namespace {

long long LaunchNanoseconds()
{
    static const long long launch = [] {
        const char* given = std::getenv("KORVALIN_STARTUP_TRACE");
        return given != nullptr ? std::atoll(given) : 0LL;
    }();
    return launch;
}

class FirstPaint final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            StartupStage("window painted");
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

}  // namespace

void StartupStage(const char* stage)
{
    const long long launch = LaunchNanoseconds();
    if (launch <= 0)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long since = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec - launch;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long long cpu = (static_cast<long long>(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000 +
                          (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    std::fprintf(stderr, "korvalin start-up: %-22s %6lld ms, %5lld ms CPU\n", stage, since / 1000000, cpu);
}

void TellFirstPaint(QWidget& widget)
{
    if (LaunchNanoseconds() > 0)
        widget.installEventFilter(new FirstPaint(&widget));
}

}  // namespace korvalin::ui
