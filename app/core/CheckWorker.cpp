#include "CheckWorker.h"

#include "Account.h"
#include "AccountManager.h"
#include "FolderSummary.h"
#include "NewMailList.h"
#include "PendingActions.h"
#include "ProviderHost.h"
#include "TextFormat.h"

#include <algorithm>

namespace korvalin {

CheckWorker::CheckWorker(const MailContext& context, ProviderHost& providers, MailStore& store)
    : context_(context), providers_(providers), store_(store)
{
}

CheckWorker::~CheckWorker()
{
    Shutdown();
}

void CheckWorker::Shutdown()
{
    {
        std::lock_guard lock(mutex_);
        for (const auto& run : registry_)
            run->abandoned = true;
        registry_.clear();
        recheck_.clear();
        running_ = 0;
    }
    for (;;) {
        std::list<Thread> threads;
        {
            std::lock_guard lock(threadsMutex_);
            shuttingDown_ = true;
            threads.swap(threads_);
        }
        if (threads.empty())
            break;
        for (Thread& thread : threads)
            thread.thread.join();
    }
}

template <typename Body>
void CheckWorker::Spawn(Body body)
{
    JoinEndedThreads();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard lock(threadsMutex_);
    if (shuttingDown_)
        return;
    threads_.push_back({std::thread([body = std::move(body), ended] {
                            body();
                            ended->store(true);
                        }),
                        ended});
}

void CheckWorker::JoinEndedThreads()
{
    std::list<Thread> ended;
    {
        std::lock_guard lock(threadsMutex_);
        for (auto it = threads_.begin(); it != threads_.end();) {
            auto next = std::next(it);
            if (it->ended->load())
                ended.splice(ended.end(), threads_, it);
            it = next;
        }
    }
    for (Thread& thread : ended)
        thread.thread.join();
}

bool CheckWorker::WaitForThreads(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        JoinEndedThreads();
        {
            std::lock_guard lock(threadsMutex_);
            if (threads_.empty())
                return true;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool CheckWorker::Enter(const std::shared_ptr<Run>& run)
{
    std::lock_guard lock(mutex_);
    registry_.push_back(run);
    return ++running_ == 1;
}

void CheckWorker::Leave(const std::shared_ptr<Run>& run)
{
    bool last = false;
    {
        std::lock_guard lock(mutex_);
        if (run->abandoned)
            return;
        registry_.erase(std::remove(registry_.begin(), registry_.end(), run), registry_.end());
        last = running_.load() == 1;
        --running_;
    }
    if (last)
        context_.core.ui.StopBusyAnimation();
}

int CheckWorker::RunningChecks() const
{
    return running_.load();
}

size_t CheckWorker::RegisteredThreads() const
{
    std::lock_guard lock(mutex_);
    return registry_.size();
}

bool CheckWorker::CanCheck() const
{
    return context_.core.online.Online() && RunningChecks() == 0;
}

bool CheckWorker::CanStop() const
{
    return RunningChecks() != 0;
}

void CheckWorker::OnCheckTimer()
{
    if (context_.core.online.Online()) {
        if (context_.core.hooks.RouteTest())
            context_.core.ui.SetStatusText(kModePane, "Online Mode");
        else
            EnterOfflineMode(context_.core, context_.pending);
    }
    context_.newMail.BeginTimerPass();
    if (RunningChecks() == 0)
        StartDriver();
}

void CheckWorker::StartDriver()
{
    auto run = std::make_shared<Run>();
    if (Enter(run))
        context_.core.ui.StartBusyAnimation();
    Spawn([this, run] { Drive(run); });
}

void CheckWorker::Drive(const std::shared_ptr<Run>& run)
{
    const auto& providers = providers_.Providers();
    for (size_t p = 1; p < providers.size() && !run->abandoned; ++p) {
        if (providers[p]->hidden)
            continue;
        for (const auto& account : providers[p]->accounts.Snapshot()) {
            AccountState state = account->State();
            // An account that is not logged in gets its folders opened; their
            // folder threads end at once.
            if (!state.inTree || !state.checked)
                continue;
            for (const auto& folder : account->Folders()) {
                if (run->abandoned)
                    break;
                if (folder->checked)
                    store_.CheckFolder(*folder, false);
            }
        }
    }
    Leave(run);
}

bool CheckWorker::StartFolderCheck(const std::shared_ptr<FolderSummary>& summary)
{
    auto run = std::make_shared<Run>();
    run->summary = summary;
    bool first;
    {
        std::lock_guard lock(mutex_);
        for (const auto& registered : registry_) {
            if (registered->summary == summary)
                return false;
        }
        registry_.push_back(run);
        first = ++running_ == 1;
    }
    if (first) {
        context_.core.log.Info(kCommon, "First thread to start checking");
        context_.core.ui.StartBusyAnimation();
    }
    Spawn([this, run] { CheckFolder(run); });
    return true;
}

void CheckWorker::CheckFolder(const std::shared_ptr<Run>& run)
{
    FolderSummary& summary = *run->summary;
    CAccount& account = summary.Account();
    MailFolder& folder = summary.Folder();
    context_.core.log.Info(account, "Checking mail folder %s on %s", folder.name.c_str(), account.LogName().c_str());
    summary.SetPlaySoundMark();
    if (!context_.core.online.Online() || !context_.core.hooks.ConnectionTest() || !account.LoggedIn()) {
        Leave(run);
        return;
    }
    auto folders = account.Folders();
    auto position = std::find_if(folders.begin(), folders.end(), [&](const auto& f) { return f.get() == &folder; });
    if (position == folders.end()) {
        Leave(run);
        return;
    }
    CSummaryArray fresh;
    const int index = static_cast<int>(position - folders.begin()) - 1;
    const bool fetched = account.ProviderObject().GetMailSummary(fresh, index);
    context_.core.log.Info(account, "GetMailSummary() returned:%s", fetched ? "TRUE" : "FALSE");
    if (run->abandoned) {
        context_.core.log.Info(account, "The check of %s was stopped; its result is ignored", folder.name.c_str());
        return;
    }
    summary.MergeFreshSummary(std::move(fresh));
    const std::string mails = Format("%d mails", static_cast<int>(summary.RowCount()) - 1);
    summary.SetCounterSubject(mails);
    context_.core.log.Info(account, "%s", mails.c_str());
    Leave(run);
    if (!run->abandoned)
        context_.newMail.RunPopupRule();
    bool again = false;
    {
        std::lock_guard lock(mutex_);
        auto found = std::find(recheck_.begin(), recheck_.end(), run->summary);
        if (found != recheck_.end()) {
            recheck_.erase(found);
            again = !run->abandoned;
        }
    }
    if (again)
        StartFolderCheck(run->summary);
}

void CheckWorker::FolderChanged(CAccount& account, int folder)
{
    AccountState state = account.State();
    if (!state.inTree || !state.checked || !state.loggedIn || !context_.core.online.Online())
        return;
    auto folders = account.Folders();
    if (folder < -1 || static_cast<size_t>(folder + 1) >= folders.size())
        return;
    MailFolder& changed = *folders[static_cast<size_t>(folder + 1)];
    if (!changed.checked)
        return;
    std::shared_ptr<FolderSummary> summary = store_.Summary(changed);
    if (!summary)
        return;
    context_.core.log.Info(account, "The server reported a change in %s on %s", changed.name.c_str(),
                           account.LogName().c_str());
    if (StartFolderCheck(summary))
        return;
    {
        // The check under way may have asked before the change: it runs
        // once more when it ends. One that ended meanwhile is started anew
        // (and a check that another thread starts now sees the change).
        std::lock_guard lock(mutex_);
        bool running = false;
        for (const auto& registered : registry_)
            running = running || registered->summary == summary;
        if (running) {
            if (std::find(recheck_.begin(), recheck_.end(), summary) == recheck_.end())
                recheck_.push_back(summary);
            return;
        }
    }
    StartFolderCheck(summary);
}

void CheckWorker::CheckCommand(const TreeSelection& selection)
{
    if (!CanCheck())
        return;
    MailFolder* folder = selection.folder;
    if (folder == nullptr && selection.account != nullptr)
        folder = selection.account->Inbox().get();
    if (folder != nullptr)
        store_.CheckFolder(*folder, true);
}

void CheckWorker::StopAll()
{
    {
        std::lock_guard lock(mutex_);
        for (const auto& run : registry_)
            run->abandoned = true;
        registry_.clear();
        recheck_.clear();
        running_ = 0;
    }
    context_.core.ui.StopBusyAnimation();
    context_.core.ui.SetWaitCursor(false);
}

}  // namespace korvalin
