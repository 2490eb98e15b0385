// The commands on a selection of rows of a folder's summary, and sorting.
#include "Account.h"
#include "FolderSummary.h"
#include "NewMailList.h"
#include "PendingActions.h"
#include "RequestQueue.h"
#include "TextFormat.h"

#include <algorithm>
#include <cctype>

namespace korvalin {
namespace {

std::vector<int> Ascending(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int CompareWithoutCase(const std::string& a, const std::string& b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i]));
        int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

const std::string& FolderSummary::ColumnText(const ListedRow& row, int column)
{
    switch (column) {
    case 1:
        return row.from;
    case 2:
        return row.subject;
    case 3:
        return row.date;
    default:
        return row.size;
    }
}

std::vector<std::string> FolderSummary::SelectedIds(const std::vector<int>& selection) const
{
    std::vector<std::string> ids;
    std::lock_guard lock(mutex_);
    for (int row : Ascending(selection)) {
        if (row >= 0 && static_cast<size_t>(row) < entries_.size())
            ids.push_back(entries_[static_cast<size_t>(row)].MessageId);
    }
    return ids;
}

SummaryCommandStates FolderSummary::CommandStates(const std::vector<int>& selection) const
{
    SummaryCommandStates states;
    std::vector<int> rows = Ascending(selection);
    std::lock_guard lock(mutex_);
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [this](int row) { return row < 0 || static_cast<size_t>(row) >= entries_.size(); }),
               rows.end());
    const bool selected = !rows.empty();
    states.open = states.remove = states.download = states.clearLocalCopy = selected;
    states.deleteFromServer = selected && context_.core.online.Online() &&
                              std::all_of(rows.begin(), rows.end(), [this](int row) {
                                  return row == 0 || !entries_[static_cast<size_t>(row)].Cache.empty();
                              });
    return states;
}

void FolderSummary::Open(const std::vector<int>& selection)
{
    std::vector<int> rows = Ascending(selection);
    if (rows.empty())
        return;
    OpenMail(rows.front());
    UpdateCounters();
}

void FolderSummary::Download(const std::vector<int>& selection)
{
    const std::vector<std::string> ids = SelectedIds(selection);
    UiPort& ui = context_.core.ui;
    for (size_t k = 0; k < ids.size(); ++k) {
        ui.SetStatusText(kProgressPane, PercentText(k + 1, ids.size()));
        std::optional<SummaryEntry> entry = Entry(FindRow(ids[k]));
        if (!entry || !entry->Cache.empty())
            continue;
        if (context_.core.online.Online()) {
            DownloadById(ids[k]);
            continue;
        }
        MailRequest action;
        action.kind = request::kDownload;
        action.text = ids[k];
        action.secondText = folder_->name;
        action.account = account_;
        context_.pending.Append(std::move(action));
        std::lock_guard lock(mutex_);
        if (int i = IndexOfLocked(ids[k]); i >= 1)
            rows_[static_cast<size_t>(i)].image = rowimage::kDownloadQueued;
    }
    Changed();
}

void FolderSummary::ClearLocalCopy(const std::vector<int>& selection)
{
    std::vector<std::string> caches;
    {
        std::lock_guard lock(mutex_);
        for (int row : Ascending(selection)) {
            if (row < 1 || static_cast<size_t>(row) >= entries_.size())
                continue;
            SummaryEntry& entry = entries_[static_cast<size_t>(row)];
            // A mail known only locally keeps its copy: it is the only one.
            if (entry.Locator == kCachedLocator || entry.Cache.empty())
                continue;
            caches.push_back(entry.Cache);
            entry.Cache.clear();
            SetImageLocked(static_cast<size_t>(row));
        }
    }
    for (const std::string& cache : caches)
        DeleteCacheFile(cache);
    Changed();
}

void FolderSummary::MarkAsRead(const std::vector<int>& selection)
{
    for (const std::string& id : SelectedIds(selection)) {
        int row;
        {
            std::lock_guard lock(mutex_);
            row = IndexOfLocked(id);
            if (row < 1 || !entries_[static_cast<size_t>(row)].New)
                continue;
            entries_[static_cast<size_t>(row)].New = false;
            SetImageLocked(static_cast<size_t>(row));
        }
        context_.newMail.ForgetNewMail(this, id);
    }
    UpdateCounters();
    Changed();
}

void FolderSummary::Delete(const std::vector<int>& selection)
{
    const std::vector<std::string> ids = SelectedIds(selection);
    UiPort& ui = context_.core.ui;
    std::vector<std::string> deleted;
    for (size_t k = 0; k < ids.size(); ++k) {
        ui.SetStatusText(kProgressPane, PercentText(k + 1, ids.size()));
        int row = FindRow(ids[k]);
        if (row == 0) {
            Tell(ui, kCounterRowMessage, MessageIcon::Information);
            continue;
        }
        if (row > 0 && DeleteMailAt(row, false))
            deleted.push_back(ids[k]);
    }
    RemoveMails(deleted);
    UpdateCounters();
    Changed();
}

void FolderSummary::DeleteFromServer(const std::vector<int>& selection)
{
    const std::vector<std::string> ids = SelectedIds(selection);
    UiPort& ui = context_.core.ui;
    for (size_t k = 0; k < ids.size(); ++k) {
        ui.SetStatusText(kProgressPane, PercentText(k + 1, ids.size()));
        std::string locator;
        {
            std::lock_guard lock(mutex_);
            int row = IndexOfLocked(ids[k]);
            if (row < 0)
                continue;
            if (row > 0) {
                SummaryEntry& entry = entries_[static_cast<size_t>(row)];
                if (entry.Locator != kCachedLocator) {
                    locator = entry.Locator;
                    entry.Locator = kCachedLocator;
                    SetImageLocked(static_cast<size_t>(row));
                }
                if (locator.empty())
                    continue;
            }
        }
        if (locator.empty()) {
            Tell(ui, kCounterRowMessage, MessageIcon::Information);
            continue;
        }
        MailRequest deletion;
        deletion.kind = request::kDelete;
        deletion.text = locator;
        deletion.account = account_;
        if (!QueueRequest(context_.requests, ui, std::move(deletion))) {
            std::lock_guard lock(mutex_);
            if (int row = IndexOfLocked(ids[k]); row >= 1) {
                entries_[static_cast<size_t>(row)].Locator = locator;
                SetImageLocked(static_cast<size_t>(row));
            }
            break;
        }
    }
    Changed();
}

// Each click reverses the order. Text columns compare without regard to
// case; a mail is placed before the first one it equals, so equal texts
// come out in the reverse of their order before.
void FolderSummary::Sort(int column)
{
    {
        std::lock_guard lock(mutex_);
        sortAscending_ = !sortAscending_;
        const bool ascending = sortAscending_;
        std::vector<size_t> order;
        for (size_t i = 1; i < entries_.size(); ++i)
            order.push_back(i);
        if (column == 0) {
            std::stable_partition(order.begin(), order.end(),
                                  [&](size_t i) { return entries_[i].New != ascending; });
        } else {
            std::reverse(order.begin(), order.end());
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
                int compared = CompareWithoutCase(ColumnText(rows_[a], column), ColumnText(rows_[b], column));
                return ascending ? compared < 0 : compared > 0;
            });
        }
        std::vector<SummaryEntry> entries{std::move(entries_[0])};
        std::vector<ListedRow> rows{std::move(rows_[0])};
        for (size_t i : order) {
            entries.push_back(std::move(entries_[i]));
            rows.push_back(std::move(rows_[i]));
        }
        entries_ = std::move(entries);
        rows_ = std::move(rows);
        RebuildIndexLocked();
    }
    // The new-mail list finds its mails by MessageId, wherever they are now.
    UpdateCounters();
    Changed();
}

}  // namespace korvalin
