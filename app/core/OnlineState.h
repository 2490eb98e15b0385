// Whether the program works online, and since when it is offline.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

namespace korvalin {

class OnlineState {
public:
    using Clock = std::chrono::steady_clock;
    using ClockSource = std::function<Clock::time_point()>;

    explicit OnlineState(ClockSource now = {}) : now_(now ? std::move(now) : ClockSource(Clock::now)) {}

    bool Online() const { return online_.load(); }
    void SetOnline(bool online)
    {
        if (!online) {
            std::lock_guard lock(mutex_);
            offlineSince_ = now_();
        }
        online_.store(online);
    }
    Clock::time_point OfflineSince() const
    {
        std::lock_guard lock(mutex_);
        return offlineSince_;
    }
    Clock::time_point Now() const { return now_(); }

private:
    std::atomic<bool> online_{true};
    ClockSource now_;
    mutable std::mutex mutex_;
    Clock::time_point offlineSince_{};
};

}  // namespace korvalin
