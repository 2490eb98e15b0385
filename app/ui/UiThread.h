// Running work on the UI thread: the engine calls its port from any thread,
// but widgets may only be touched by the thread that owns them.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <type_traits>
#include <utility>

namespace korvalin::ui {

inline bool OnUiThread()
{
    return QCoreApplication::instance() != nullptr && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Runs work on context's thread and returns its result. Called on that thread
// it runs at once; from another thread it waits until the UI thread has run
// it (the UI thread keeps serving its event loop, modal loops included).
template <typename Work>
auto RunOnUiThread(QObject* context, Work&& work) -> std::invoke_result_t<Work>
{
    using Result = std::invoke_result_t<Work>;
    if (OnUiThread()) {
        return work();
    }
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(context, std::forward<Work>(work), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(context, std::forward<Work>(work), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

// Posts work to context's thread without waiting (runs at once on that thread).
template <typename Work>
void PostToUiThread(QObject* context, Work&& work)
{
    if (OnUiThread())
        work();
    else
        QMetaObject::invokeMethod(context, std::forward<Work>(work), Qt::QueuedConnection);
}

}  // namespace korvalin::ui
