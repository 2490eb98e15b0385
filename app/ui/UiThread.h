// Running work on the UI thread: the engine calls its port from any thread,
// but widgets may only be touched by the thread that owns them.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

namespace korvalin::ui {

inline bool OnUiThread()
{
    return QCoreApplication::instance() != nullptr && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The calls other threads wait for on the UI thread. Once closed (the
// program ends), a waiting call that has not started returns its cancel
// answer at once, and so does every later one: after the event loop has
// ended nothing would run them.
class UiCallGate {
public:
    void Close()
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }
    bool Closed() const
    {
        std::lock_guard lock(mutex_);
        return closed_;
    }

    // Runs work on context's thread and returns its result. Called on that
    // thread it runs at once; from another thread it waits until the UI
    // thread has run it (the UI thread keeps serving its event loop, modal
    // loops included) or the gate closes before it started (cancel then).
    template <typename Work, typename Result = std::invoke_result_t<Work>>
        requires(!std::is_void_v<Result>)
    Result Run(QObject* context, Work&& work, Result cancel = Result{})
    {
        if (OnUiThread())
            return work();
        struct Call {
            bool started = false, done = false, abandoned = false;
            std::optional<Result> result;
        };
        auto call = std::make_shared<Call>();
        {
            std::lock_guard lock(mutex_);
            if (closed_)
                return cancel;
        }
        // The work may name the caller's locals: it runs only while the
        // caller still waits.
        QMetaObject::invokeMethod(
            context,
            [this, call, &work] {
                {
                    std::lock_guard lock(mutex_);
                    if (call->abandoned)
                        return;
                    call->started = true;
                }
                Result result = work();
                std::lock_guard lock(mutex_);
                call->result.emplace(std::move(result));
                call->done = true;
                changed_.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return call->done || (closed_ && !call->started); });
        if (!call->done) {
            call->abandoned = true;
            return cancel;
        }
        return std::move(*call->result);
    }

    // The same for work without a result.
    template <typename Work>
        requires std::is_void_v<std::invoke_result_t<Work>>
    void Run(QObject* context, Work&& work)
    {
        Run(context, [&work] { work(); return true; }, false);
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
};

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
