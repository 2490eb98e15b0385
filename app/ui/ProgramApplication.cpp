#include "ProgramApplication.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace korvalin::ui {
namespace {

FatalStop& CurrentStop()
{
    static FatalStop stop;
    return stop;
}

}  // namespace

bool DeliverOrStop(const std::function<bool()>& deliver, const FatalStop& stop)
{
    try {
        return deliver();
    } catch (const std::bad_alloc&) {
        if (stop)
            stop(kOutOfMemoryText);
        std::fprintf(stderr, "korvalin: %s\n", kOutOfMemoryText);
        std::_Exit(-1);
    }
}

void ProgramApplication::SetFatalStop(FatalStop stop)
{
    CurrentStop() = std::move(stop);
}

bool ProgramApplication::notify(QObject* receiver, QEvent* event)
{
    return DeliverOrStop([&] { return QApplication::notify(receiver, event); }, CurrentStop());
}

}  // namespace korvalin::ui
