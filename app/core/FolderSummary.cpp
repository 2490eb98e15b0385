// A folder's summary list: the rows, the summary file, adding and merging
// entries, the counters, and closing.
#include "FolderSummary.h"

#include "Account.h"
#include "AtomicFile.h"
#include "MailCache.h"
#include "NewMailList.h"
#include "ProviderHost.h"
#include "SummaryFile.h"
#include "TextFormat.h"

#include <algorithm>
#include <set>

namespace korvalin {

int RowImageFor(bool isNew, bool cached)
{
    if (cached)
        return isNew ? rowimage::kNewCached : rowimage::kReadCached;
    return isNew ? rowimage::kNewUncached : rowimage::kReadUncached;
}

FolderSummary::FolderSummary(const MailContext& context, std::shared_ptr<CAccount> account,
                             std::shared_ptr<MailFolder> folder)
    : context_(context), account_(std::move(account)), folder_(std::move(folder))
{
    SummaryEntry counter;
    counter.From = "Status:";
    counter.Subject = "To be retrieved";
    counter.MessageId = kCounterMessageId;
    counter.Cache = kCounterCache;
    AppendLocked(std::move(counter));
    rows_[0].image = rowimage::kCounter;
    rows_[0].from = Format("[%s] %s@%s", folder_->name.c_str(), account_->Login().c_str(),
                           account_->ProviderName().c_str());
}

std::string FolderSummary::Title() const
{
    return folder_->name + " for " + account_->LogName();
}

std::vector<SummaryRow> FolderSummary::Rows() const
{
    std::vector<SummaryRow> rows;
    std::lock_guard lock(mutex_);
    rows.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        const SummaryEntry& entry = entries_[i];
        const ListedRow& listed = rows_[i];
        rows.push_back({listed.image, listed.from, listed.subject, listed.date, listed.size, entry.MessageId, entry.New,
                        !entry.Cache.empty(), entry.Locator == kCachedLocator});
    }
    return rows;
}

size_t FolderSummary::RowCount() const
{
    std::lock_guard lock(mutex_);
    return rows_.size();
}

std::optional<SummaryEntry> FolderSummary::Entry(int row) const
{
    std::lock_guard lock(mutex_);
    if (row < 0 || static_cast<size_t>(row) >= entries_.size())
        return std::nullopt;
    return entries_[static_cast<size_t>(row)];
}

std::vector<SummaryEntry> FolderSummary::StoredEntries() const
{
    std::lock_guard lock(mutex_);
    return stored_;
}

int FolderSummary::FindRow(const std::string& messageId) const
{
    std::lock_guard lock(mutex_);
    return IndexOfLocked(messageId);
}

bool FolderSummary::Closed() const
{
    std::lock_guard lock(mutex_);
    return closed_;
}

int FolderSummary::IndexOfLocked(const std::string& messageId) const
{
    auto found = index_.find(messageId);
    return found == index_.end() ? -1 : static_cast<int>(found->second);
}

void FolderSummary::AppendLocked(SummaryEntry entry)
{
    ListedRow row;
    row.from = entry.From;
    row.subject = entry.Subject;
    row.date = entry.Date;
    row.size = entry.Size;
    index_.emplace(entry.MessageId, entries_.size());
    entries_.push_back(std::move(entry));
    rows_.push_back(std::move(row));
    SetImageLocked(rows_.size() - 1);
}

void FolderSummary::SetImageLocked(size_t row)
{
    const SummaryEntry& entry = entries_[row];
    if (row != 0)
        rows_[row].image = RowImageFor(entry.New, !entry.Cache.empty());
}

void FolderSummary::RebuildIndexLocked()
{
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i)
        index_.emplace(entries_[i].MessageId, i);
}

std::vector<std::string> FolderSummary::RemoveRowsLocked(const std::vector<int>& rows)
{
    std::vector<std::string> caches;
    std::vector<SummaryEntry> keptEntries;
    std::vector<ListedRow> keptRows;
    size_t next = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (next < rows.size() && static_cast<size_t>(rows[next]) == i && i != 0) {
            ++next;
            if (!entries_[i].Cache.empty())
                caches.push_back(entries_[i].Cache);
            continue;
        }
        keptEntries.push_back(std::move(entries_[i]));
        keptRows.push_back(std::move(rows_[i]));
    }
    entries_ = std::move(keptEntries);
    rows_ = std::move(keptRows);
    RebuildIndexLocked();
    return caches;
}

void FolderSummary::CopyStoredFieldsLocked(SummaryEntry& entry) const
{
    auto found = storedIndex_.find(entry.MessageId);
    if (found == storedIndex_.end())
        return;
    const SummaryEntry& stored = stored_[found->second];
    entry.Cache = stored.Cache;
    entry.Message.From = stored.Message.From;
    entry.Message.To = stored.Message.To;
    entry.Message.CC = stored.Message.CC;
    entry.Message.Subject = stored.Message.Subject;
}

void FolderSummary::Changed()
{
    context_.core.ui.SummaryChanged(shared_from_this());
}

void FolderSummary::LoadSummaryFile()
{
    {
        std::lock_guard lock(mutex_);
        if (loaded_)
            return;
        loaded_ = true;
    }
    std::optional<std::filesystem::path> file = SummaryFilePath(account_->Folder(), folder_->name);
    if (!file) {
        context_.core.log.Warning(*account_, "The folder name \"%s\" cannot name a summary file; nothing is kept for it",
                                  folder_->name.c_str());
        return;
    }
    std::optional<std::string> text = ReadWholeFile(*file);
    if (!text)
        return;
    std::vector<SummaryEntry> stored;
    for (SummaryEntry& entry : ParseSummaryFile(*text)) {
        if (entry.Cache != kCounterCache && !CachedMailFile(account_->Folder(), entry.Cache)) {
            context_.core.log.Warning(*account_, "Ignoring a record of %s: \"%s\" is not a cached mail of this account",
                                      file->string().c_str(), entry.Cache.c_str());
            continue;
        }
        stored.push_back(std::move(entry));
    }
    std::lock_guard lock(mutex_);
    stored_ = std::move(stored);
    storedIndex_.clear();
    for (size_t i = 0; i < stored_.size(); ++i)
        storedIndex_.emplace(stored_[i].MessageId, i);
}

void FolderSummary::ListStoredEntries()
{
    LoadSummaryFile();
    for (SummaryEntry entry : StoredEntries()) {
        entry.Locator = kCachedLocator;
        AddEntry(std::move(entry), false, false);
    }
}

bool FolderSummary::RunFilters(SummaryEntry& entry)
{
    // An entry known only locally is never filtered.
    if (entry.Locator == kCachedLocator)
        return false;
    return context_.core.hooks.ApplyFilters(*this, entry);
}

int FolderSummary::AddSummaryEntry(SummaryEntry entry, bool update)
{
    int row = AddEntry(std::move(entry), update, true);
    Changed();
    return row;
}

int FolderSummary::AddEntry(SummaryEntry entry, bool update, bool updateCounters)
{
    if (entry.From.empty() || entry.MessageId.empty())
        return -1;
    LoadSummaryFile();
    const bool counter = entry.Cache == kCounterCache;
    if (update && FindRow(entry.MessageId) >= 1)
        return UpdateListedEntry(std::move(entry));

    {
        std::lock_guard lock(mutex_);
        // Decided before the filters run: a filter's forward or deletion is
        // only for a mail that is listed (or would be but for the filter).
        if (closed_ || IndexOfLocked(entry.MessageId) >= 0 || filtering_.count(entry.MessageId) != 0)
            return -1;
        filtering_.insert(entry.MessageId);
        CopyStoredFieldsLocked(entry);
    }
    const bool deleted = !counter && RunFilters(entry);
    int row;
    {
        std::lock_guard lock(mutex_);
        filtering_.erase(entry.MessageId);
        if (deleted || closed_)
            return -1;
        row = static_cast<int>(entries_.size());
        AppendLocked(std::move(entry));
    }
    if (!counter && updateCounters)
        UpdateCounters();
    return row;
}

// The listed entry of the same MessageId gets the fresh locator, date and
// size, keeping its read state, local copy and headers.
int FolderSummary::UpdateListedEntry(SummaryEntry entry)
{
    {
        std::lock_guard lock(mutex_);
        int i = IndexOfLocked(entry.MessageId);
        if (closed_ || i < 1)
            return -1;
        const SummaryEntry& listed = entries_[static_cast<size_t>(i)];
        entry.New = listed.New;
        entry.Cache = listed.Cache;
        entry.Message = listed.Message;
        CopyStoredFieldsLocked(entry);
    }
    const std::string cacheBefore = entry.Cache;
    const bool deleted = RunFilters(entry);
    std::vector<std::string> caches;
    int i;
    {
        std::lock_guard lock(mutex_);
        i = IndexOfLocked(entry.MessageId);
        if (closed_ || i < 1)
            return -1;
        if (deleted) {
            caches = RemoveRowsLocked({i});
        } else {
            // Only what the fresh summary brings: a change made meanwhile
            // (Mark as read, Open) stays.
            SummaryEntry& listed = entries_[static_cast<size_t>(i)];
            ListedRow& row = rows_[static_cast<size_t>(i)];
            row.date = entry.Date;
            row.size = entry.Size;
            listed.From = entry.From;
            listed.Subject = entry.Subject;
            listed.Date = entry.Date;
            listed.Size = entry.Size;
            listed.Locator = entry.Locator;
            std::string unused;
            if (entry.Cache != cacheBefore) {  // a filter fetched the mail
                if (listed.Cache.empty()) {
                    listed.Cache = entry.Cache;
                    listed.Message = entry.Message;
                } else if (listed.Cache != entry.Cache) {
                    unused = entry.Cache;
                }
            }
            SetImageLocked(static_cast<size_t>(i));
            if (unused.empty())
                return i;
            caches.push_back(unused);
        }
    }
    if (!deleted) {
        for (const std::string& cache : caches)
            DeleteCacheFile(cache);
        return i;
    }
    // The filter queued the deletion on the server; the row and its copy go.
    for (const std::string& cache : caches)
        DeleteCacheFile(cache);
    context_.newMail.ForgetMails(this, {entry.MessageId});
    UpdateCounters();
    return -1;
}

void FolderSummary::MergeFreshSummary(CSummaryArray fresh)
{
    std::shared_ptr<FolderSummary> self = shared_from_this();
    {
        std::lock_guard lock(mutex_);
        index_.reserve(index_.size() + fresh.size());
    }
    for (SummaryEntry& entry : fresh) {
        entry.Cache.clear();
        bool knownOnlyLocally = false;
        int listed;
        {
            std::lock_guard lock(mutex_);
            if (closed_)
                return;
            listed = IndexOfLocked(entry.MessageId);
            if (listed >= 0)
                knownOnlyLocally = entries_[static_cast<size_t>(listed)].Locator == kCachedLocator;
        }
        if (listed < 0 && !entry.New) {
            AddEntry(std::move(entry), false, false);
        } else if (listed < 0) {
            const std::string subject = entry.Subject, from = entry.From, id = entry.MessageId;
            int row = AddEntry(std::move(entry), false, false);
            if (row != -1)
                context_.newMail.NoteNewMail(self, row, subject, from, id);
        } else if (knownOnlyLocally) {
            AddEntry(std::move(entry), true, false);
        }
    }
    UpdateCounters();
    Changed();
}

void FolderSummary::UpdateCounters()
{
    long newMails;
    {
        std::lock_guard lock(mutex_);
        newMails = std::count_if(entries_.begin(), entries_.end(), [](const SummaryEntry& e) { return e.New; });
        rows_[0].subject = Format("%d mails", static_cast<int>(entries_.size()) - 1);
    }
    auto label = [newMails](const std::string& name) {
        return newMails == 0 ? name : Format("%s (%ld)", name.c_str(), newMails);
    };
    UiPort& ui = context_.core.ui;
    ui.TreeLabelChanged(account_, folder_, label(folder_->name));
    if (account_->Inbox() == folder_)
        ui.TreeLabelChanged(account_, nullptr, label(account_->Login()));
}

void FolderSummary::SetCounterSubject(const std::string& text)
{
    {
        std::lock_guard lock(mutex_);
        rows_[0].subject = text;
    }
    Changed();
}

void FolderSummary::RememberMailWindowRect(const WindowRect& rect)
{
    std::lock_guard lock(mutex_);
    mailWindowRect_ = rect;
}

void FolderSummary::ForgetMailWindowRect()
{
    std::lock_guard lock(mutex_);
    mailWindowRect_.reset();
}

void FolderSummary::DeleteCacheFile(const std::string& reference)
{
    if (reference == kCounterCache)
        return;
    if (Status deleted = DeleteCachedMail(account_->Folder(), reference); !deleted)
        context_.core.log.Error(*account_, "%s", deleted.error.c_str());
}

std::optional<std::string> FolderSummary::CacheMailBody(const std::string& body)
{
    std::string error;
    std::optional<std::string> reference = StoreCachedMail(account_->Folder(), body, &error);
    if (!reference) {
        context_.core.log.Error(*account_, "Cannot store a mail: %s", error.c_str());
        Tell(context_.core.ui, "Error opening file to store the mail");
    }
    return reference;
}

void FolderSummary::Close()
{
    std::vector<SummaryEntry> current, stored;
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        closed_ = true;
        current = entries_;
        stored = stored_;
    }
    context_.newMail.ForgetSummary(this);
    if (context_.core.settings.Flag(setting::kClearSavedMails)) {
        for (auto* list : {&current, &stored}) {
            for (SummaryEntry& entry : *list) {
                if (entry.Cache.empty())
                    continue;
                DeleteCacheFile(entry.Cache);
                entry.Cache.clear();
            }
        }
    }
    std::lock_guard fileLock(fileMutex_);
    SaveSummaryFile(current, stored);
}

bool FolderSummary::SaveSummaryFileNow()
{
    std::lock_guard fileLock(fileMutex_);
    std::vector<SummaryEntry> current;
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return true;  // Close wrote the file
        current = entries_;
    }
    std::optional<std::filesystem::path> file = SummaryFilePath(account_->Folder(), folder_->name);
    if (!file)
        return false;
    if (Status written = WriteFileAtomically(*file, FormatSummaryFile(current), 0600); !written) {
        context_.core.log.Error(*account_, "The summary of %s was not saved: %s", folder_->name.c_str(),
                                written.error.c_str());
        return false;
    }
    return true;
}

// Writes the summary file in one piece; only once it is in place are the
// cached mails of vanished entries deleted. A failed write keeps the
// previous file and every cached mail.
void FolderSummary::SaveSummaryFile(const std::vector<SummaryEntry>& current, const std::vector<SummaryEntry>& stored)
{
    std::optional<std::filesystem::path> file = SummaryFilePath(account_->Folder(), folder_->name);
    if (!file)
        return;
    if (Status written = WriteFileAtomically(*file, FormatSummaryFile(current), 0600); !written) {
        context_.core.log.Error(*account_, "The summary of %s was not saved (%s); the previous one and the cached "
                                           "mails are kept",
                                folder_->name.c_str(), written.error.c_str());
        return;
    }
    std::set<std::string> kept;
    for (const SummaryEntry& entry : current)
        kept.insert(entry.Cache);
    for (const SummaryEntry& entry : stored) {
        if (!entry.Cache.empty() && kept.count(entry.Cache) == 0)
            DeleteCacheFile(entry.Cache);
    }
}

}  // namespace korvalin
