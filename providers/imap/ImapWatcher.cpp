#include "ImapWatcher.h"

#include <algorithm>

namespace korvalin::imap {

CImapWatcher::CImapWatcher(Connector connect, Notifier notify, std::string mailbox)
    : CImapWatcher(std::move(connect), std::move(notify), std::move(mailbox), Timing{})
{
}

CImapWatcher::CImapWatcher(Connector connect, Notifier notify, std::string mailbox, Timing timing)
    : Connect(std::move(connect)), Notify(std::move(notify)), Mailbox(std::move(mailbox)), Times(timing)
{
}

CImapWatcher::~CImapWatcher()
{
    Stop();
}

void CImapWatcher::Start()
{
    if (Thread.joinable())
        return;
    Stopping = false;
    Thread = std::thread([this] { Run(); });
}

void CImapWatcher::Stop()
{
    {
        std::lock_guard lock(Mutex);
        Stopping = true;
    }
    Wake.notify_all();
    if (Thread.joinable())
        Thread.join();
}

std::string CImapWatcher::LastError() const
{
    std::lock_guard lock(Mutex);
    return Error;
}

bool CImapWatcher::Pause(std::chrono::milliseconds pause)
{
    std::unique_lock lock(Mutex);
    return !Wake.wait_for(lock, pause, [this] { return Stopping.load(); });
}

void CImapWatcher::Run()
{
    std::chrono::milliseconds pause = Times.firstPause;
    while (!Stopping) {
        const int before = SessionCount;
        if (!Session())
            return;
        if (Stopping)
            return;
        // A session that got as far as IDLE starts the pauses afresh.
        pause = SessionCount != before ? Times.firstPause : std::min(pause * 2, Times.longestPause);
        if (!Pause(pause))
            return;
    }
}

bool CImapWatcher::Session()
{
    CImapConnection connection;
    connection.SetStopFlag(&Stopping);
    auto keepError = [&] {
        std::lock_guard lock(Mutex);
        Error = connection.LastError;
    };
    if (!Connect(connection)) {
        keepError();
        return true;
    }
    if (!connection.Has("IDLE")) {
        NoIdle = true;
        std::lock_guard lock(Mutex);
        Error = "the server cannot IDLE; the mailbox is checked on the timer";
        return false;
    }
    std::string quoted;
    QuoteArgument(Mailbox, quoted);
    if (connection.Run("EXAMINE " + quoted) != CImapConnection::Ok) {
        keepError();
        return true;
    }
    const bool reconnected = SessionCount++ > 0;
    if (reconnected && Notify)
        Notify();
    bool changed = false;
    auto watch = [&](const ImapResponse& response) {
        if (response.kind == ImapResponse::Untagged &&
            (response.name == "EXISTS" || response.name == "EXPUNGE" || response.name == "FETCH" ||
             response.name == "VANISHED"))
            changed = true;
    };
    while (!Stopping) {
        if (!connection.BeginIdle())
            break;
        IsIdling = true;
        const auto restart = std::chrono::steady_clock::now() + Times.restart;
        bool lost = false;
        while (!Stopping && std::chrono::steady_clock::now() < restart) {
            CImapConnection::WaitResult result = connection.WaitIdle(1, watch);
            if (result == CImapConnection::Lost) {
                lost = true;
                break;
            }
            if (changed) {
                changed = false;
                if (Notify)
                    Notify();
            }
        }
        IsIdling = false;
        if (lost || Stopping || !connection.EndIdle(watch))
            break;
        if (changed) {
            changed = false;
            if (Notify)
                Notify();
        }
    }
    IsIdling = false;
    keepError();
    if (Stopping && connection.IsOpen()) {
        connection.SetStopFlag(nullptr);
        connection.Close();
    }
    return true;
}

}  // namespace korvalin::imap
