// The checks: timer 1 starts a pass, whose driver thread starts one folder
// thread per checked folder; each folder thread fetches the folder's mail
// summary and merges it. The running-check counter counts drivers and
// folder threads; the thread registry holds them. Stop abandons every
// registered thread at once: the counter reads 0 and whatever an abandoned
// thread brings back later is ignored (it ends when its network call does).
#pragma once

#include "MailContext.h"
#include "MailStore.h"

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace korvalin {

class FolderSummary;
class NewMailList;
class PendingActions;
class ProviderHost;
struct TreeSelection;

class CAccount;

class CheckWorker : public FolderCheckStarter {
public:
    CheckWorker(const MailContext& context, ProviderHost& providers, MailStore& store);
    ~CheckWorker();
    // Abandons the checks and waits for their threads; starts no more.
    void Shutdown();
    CheckWorker(const CheckWorker&) = delete;
    CheckWorker& operator=(const CheckWorker&) = delete;

    // A tick of timer 1 (on the UI thread).
    void OnCheckTimer();
    // "&Check for new mail" on an account (its inbox) or a folder.
    void CheckCommand(const TreeSelection& selection);
    bool StartFolderCheck(const std::shared_ptr<FolderSummary>& summary) override;
    // A provider reported that a folder changed (folder index as for
    // GetMailSummary): the folder is checked at once when it is monitored
    // and open, or once more as soon as the check under way ends. Any thread.
    void FolderChanged(CAccount& account, int folder);
    // "&Stop".
    void StopAll();

    int RunningChecks() const;
    size_t RegisteredThreads() const;
    bool CanCheck() const;  // online and no check running
    bool CanStop() const;   // a check is running

    // Waits until every thread started so far, abandoned ones included, has
    // ended; false when timeout passed first.
    bool WaitForThreads(std::chrono::milliseconds timeout);

private:
    struct Run {
        std::shared_ptr<FolderSummary> summary;  // none for a driver
        std::atomic<bool> abandoned{false};
    };
    struct Thread {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };

    void StartDriver();
    void Drive(const std::shared_ptr<Run>& run);
    void CheckFolder(const std::shared_ptr<Run>& run);
    // Registers run; true when it made the counter 1.
    bool Enter(const std::shared_ptr<Run>& run);
    // Unregisters run (unless it was abandoned); stops the animation when it
    // was the last one.
    void Leave(const std::shared_ptr<Run>& run);
    template <typename Body>
    void Spawn(Body body);
    void JoinEndedThreads();

    MailContext context_;
    ProviderHost& providers_;
    MailStore& store_;

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Run>> registry_;
    std::vector<std::shared_ptr<FolderSummary>> recheck_;  // changed while being checked
    std::atomic<int> running_{0};

    std::mutex threadsMutex_;
    std::list<Thread> threads_;
    bool shuttingDown_ = false;
};

}  // namespace korvalin
