#include "MailStore.h"

#include "Account.h"
#include "AccountManager.h"
#include "FolderSummary.h"
#include "TextFormat.h"

namespace korvalin {

MailStore::MailStore(const MailContext& context, AccountManager& accounts) : context_(context), accounts_(accounts) {}

std::shared_ptr<MailFolder> MailStore::FindFolder(const CAccount& account, const std::string& name)
{
    for (const auto& folder : account.Folders()) {
        if (EqualWithoutCase(folder->name, name))
            return folder;
    }
    return nullptr;
}

std::shared_ptr<FolderSummary> MailStore::Summary(const MailFolder& folder) const
{
    std::lock_guard lock(mutex_);
    auto found = open_.find(&folder);
    return found == open_.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<FolderSummary>> MailStore::OpenSummaries() const
{
    std::vector<std::shared_ptr<FolderSummary>> summaries;
    std::lock_guard lock(mutex_);
    for (const auto& [folder, summary] : open_)
        summaries.push_back(summary);
    return summaries;
}

std::shared_ptr<FolderSummary> MailStore::OpenFolder(MailFolder& folder)
{
    std::shared_ptr<CAccount> account = folder.account->shared_from_this();
    std::shared_ptr<MailFolder> owned;
    for (const auto& candidate : account->Folders()) {
        if (candidate.get() == &folder)
            owned = candidate;
    }
    if (!owned)
        return nullptr;

    std::shared_ptr<FolderSummary> summary = OpenSummaryAfterClosing(folder);
    bool created = false;
    if (!summary) {
        // Read and listed before anyone else sees it.
        auto fresh = std::make_shared<FolderSummary>(context_, account, owned);
        fresh->ListStoredEntries();
        std::lock_guard lock(mutex_);
        auto [at, inserted] = open_.emplace(&folder, fresh);
        summary = at->second;
        created = inserted;
    }
    if (created) {
        context_.core.log.Info(*account, "Created a new mail summary.");
        if (summary->RowCount() > 1)
            summary->UpdateCounters();
    }
    context_.core.ui.OpenFolderWindow(folder);
    if (context_.core.online.Online()) {
        summary->SetCounterSubject(kCheckingText);
        StartCheck(summary);
    }
    return summary;
}

std::shared_ptr<FolderSummary> MailStore::OpenFolderFromTree(MailFolder& folder)
{
    if (!folder.checked)
        return nullptr;
    CAccount& account = *folder.account;
    if (!account.LoggedIn()) {
        if (!accounts_.LoginWithProgress(account))
            return nullptr;
        // The login opened the inbox already.
        if (std::shared_ptr<FolderSummary> summary = Summary(folder))
            return summary;
    }
    return OpenFolder(folder);
}

void MailStore::CheckFolder(MailFolder& folder, bool announce)
{
    std::shared_ptr<FolderSummary> summary = Summary(folder);
    if (!summary) {
        OpenFolder(folder);
        return;
    }
    if (announce)
        summary->SetCounterSubject(kCheckingText);
    StartCheck(summary);
}

void MailStore::StartCheck(const std::shared_ptr<FolderSummary>& summary)
{
    if (checks_ != nullptr)
        checks_->StartFolderCheck(summary);
}

std::shared_ptr<FolderSummary> MailStore::OpenSummaryAfterClosing(const MailFolder& folder)
{
    std::unique_lock lock(mutex_);
    // A summary being closed is read again only once its file is written.
    closingDone_.wait(lock, [&] { return closing_.count(&folder) == 0; });
    auto found = open_.find(&folder);
    return found == open_.end() ? nullptr : found->second;
}

std::shared_ptr<FolderSummary> MailStore::Take(const MailFolder& folder)
{
    std::lock_guard lock(mutex_);
    auto found = open_.find(&folder);
    if (found == open_.end())
        return nullptr;
    std::shared_ptr<FolderSummary> summary = std::move(found->second);
    open_.erase(found);
    closing_.insert(&folder);
    return summary;
}

void MailStore::Closed(const MailFolder& folder)
{
    std::lock_guard lock(mutex_);
    closing_.erase(&folder);
    closingDone_.notify_all();
}

void MailStore::FolderWindowClosed(MailFolder& folder)
{
    if (std::shared_ptr<FolderSummary> summary = Take(folder)) {
        summary->Close();
        Closed(folder);
    }
}

void MailStore::CloseFolder(MailFolder& folder)
{
    FolderWindowClosed(folder);
    context_.core.ui.CloseFolderWindow(folder);
}

void MailStore::CloseAll()
{
    std::map<const MailFolder*, std::shared_ptr<FolderSummary>> open;
    {
        std::lock_guard lock(mutex_);
        open.swap(open_);
        for (const auto& [folder, summary] : open)
            closing_.insert(folder);
    }
    for (const auto& [folder, summary] : open) {
        summary->Close();
        Closed(*folder);
    }
}

}  // namespace korvalin
