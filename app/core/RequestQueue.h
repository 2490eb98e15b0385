// The UI update queue: requests served in order, one at a time, by the one
// request worker thread that lives as long as the queue.
#pragma once

#include "MailRequest.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace korvalin {

class UiPort;

inline constexpr const char* kQueueLockFailure =
    "FATAL: Error accessing lock to action list. Please close and restart Korvalin Mail";
inline constexpr const char* kWorkerThreadFailure = "FATAL: Unable to create worker thread.";

class RequestQueue {
public:
    using Server = std::function<void(MailRequest&)>;
    // Starts a thread running its argument (throws std::system_error when
    // it cannot); empty: a std::thread.
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    RequestQueue() = default;
    // Stops the worker; requests not yet taken are dropped.
    ~RequestQueue();
    RequestQueue(const RequestQueue&) = delete;
    RequestQueue& operator=(const RequestQueue&) = delete;

    // Starts the worker, which hands every request to serve. Call once.
    // False when no thread could be started.
    bool Start(Server serve, const ThreadStarter& start = {});
    // Appends a request; false once the queue has been stopped.
    bool Queue(MailRequest request);
    // Requests queued or being served.
    size_t Outstanding() const;
    // Ends the worker after the request it serves now, and waits for it.
    void Stop();

private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<MailRequest> queue_;
    bool serving_ = false;
    bool stopping_ = false;
    Server serve_;
    std::thread worker_;
};

// Queues request; when that is not possible, shows the queue failure message
// and returns false.
bool QueueRequest(RequestQueue& queue, UiPort& ui, MailRequest request);

// Waits until no request is outstanding, keeping the UI alive and showing
// "Please wait.. %d pending items" in the message pane with the wait cursor.
void WaitForOutstandingRequests(RequestQueue& queue, UiPort& ui);

}  // namespace korvalin
