// Whether the program works online, since when it is offline, and whether it
// has been online in this run of the program.
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
    // The mode chosen at start-up: "has been online" follows it.
    void SetStartMode(bool online)
    {
        SetOnline(online);
        hasBeenOnline_.store(online);
    }
    bool HasBeenOnline() const { return hasBeenOnline_.load(); }
    void SetHasBeenOnline(bool value) { hasBeenOnline_.store(value); }
    Clock::time_point OfflineSince() const
    {
        std::lock_guard lock(mutex_);
        return offlineSince_;
    }
    Clock::time_point Now() const { return now_(); }

private:
    std::atomic<bool> online_{true};
    std::atomic<bool> hasBeenOnline_{true};
    ClockSource now_;
    mutable std::mutex mutex_;
    Clock::time_point offlineSince_{};
};

}  // namespace korvalin
