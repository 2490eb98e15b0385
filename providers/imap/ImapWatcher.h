// Push for one mailbox: a thread of its own keeps one IDLE connection open
// (restarted every 25 minutes, and after a drop with a growing pause) and
// calls Notify whenever the server reports that the mailbox changed, and
// once after every reconnect (mail may have come meanwhile). A server
// without IDLE ends the thread: the program's timer checks then.
#pragma once

#include "ImapConnection.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace korvalin::imap {

class CImapWatcher {
public:
    // Opens and logs in a fresh connection; false when it could not.
    using Connector = std::function<bool(CImapConnection&)>;
    using Notifier = std::function<void()>;

    struct Timing {
        std::chrono::seconds restart{25 * 60};
        std::chrono::milliseconds firstPause{500};
        std::chrono::milliseconds longestPause{60 * 1000};
    };

    CImapWatcher(Connector connect, Notifier notify, std::string mailbox = "INBOX");
    CImapWatcher(Connector connect, Notifier notify, std::string mailbox, Timing timing);
    ~CImapWatcher();
    CImapWatcher(const CImapWatcher&) = delete;
    CImapWatcher& operator=(const CImapWatcher&) = delete;

    void Start();
    // Ends the thread (within about a second) and waits for it.
    void Stop();

    // For the log and the tests.
    bool Idling() const { return IsIdling; }
    int Sessions() const { return SessionCount; }
    bool GaveUp() const { return NoIdle; }
    std::string LastError() const;

private:
    void Run();
    // One connection's life; false when the server cannot IDLE.
    bool Session();
    // Sleeps for pause unless stopped first; false when stopped.
    bool Pause(std::chrono::milliseconds pause);

    Connector Connect;
    Notifier Notify;
    std::string Mailbox;
    Timing Times;

    std::thread Thread;
    std::atomic<bool> Stopping{false};
    std::atomic<bool> IsIdling{false};
    std::atomic<int> SessionCount{0};
    std::atomic<bool> NoIdle{false};
    mutable std::mutex Mutex;
    std::condition_variable Wake;
    std::string Error;
};

}  // namespace korvalin::imap
