#include "RequestQueue.h"

#include "TextFormat.h"
#include "UiPort.h"

#include <cstdio>
#include <system_error>

namespace korvalin {

RequestQueue::~RequestQueue()
{
    Stop();
}

bool RequestQueue::Start(Server serve, const ThreadStarter& start)
{
    std::lock_guard lock(mutex_);
    if (worker_.joinable() || stopping_)
        return worker_.joinable();
    serve_ = std::move(serve);
    try {
        worker_ = start ? start([this] { Run(); }) : std::thread([this] { Run(); });
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "korvalin: the request worker did not start: %s\n", error.what());
        return false;
    }
    return worker_.joinable();
}

bool RequestQueue::Queue(MailRequest request)
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
        queue_.push_back(std::move(request));
    }
    changed_.notify_all();
    return true;
}

size_t RequestQueue::Outstanding() const
{
    std::lock_guard lock(mutex_);
    return queue_.size() + (serving_ ? 1 : 0);
}

void RequestQueue::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
        worker_.join();
}

void RequestQueue::Run()
{
    for (;;) {
        MailRequest request;
        {
            std::unique_lock lock(mutex_);
            serving_ = false;
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            request = std::move(queue_.front());
            queue_.pop_front();
            serving_ = true;
        }
        serve_(request);
    }
}

bool QueueRequest(RequestQueue& queue, UiPort& ui, MailRequest request)
{
    if (queue.Queue(std::move(request)))
        return true;
    Tell(ui, kQueueLockFailure);
    return false;
}

void WaitForOutstandingRequests(RequestQueue& queue, UiPort& ui)
{
    if (queue.Outstanding() == 0)
        return;
    ui.SetWaitCursor(true);
    size_t shown = 0;
    ui.KeepAliveUntil([&] {
        size_t outstanding = queue.Outstanding();
        if (outstanding != 0 && outstanding != shown) {
            ui.SetStatusText(kMessagePane, Format("Please wait.. %d pending items", static_cast<int>(outstanding)));
            shown = outstanding;
        }
        return outstanding == 0;
    });
    ui.SetStatusText(kMessagePane, "");
    ui.SetWaitCursor(false);
}

}  // namespace korvalin
