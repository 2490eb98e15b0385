// One open folder's summary list: the rows the list view shows (row 0 is the
// counter row), the entries behind them, the entries of the folder's summary
// file, and the operations on single mails and on a selection of rows.
//
// Shared by the UI thread, the folder's check thread and the request worker.
// Everything is guarded by the summary's own mutex, which is never held
// while a provider, a filter or the UI port is called; the UI learns of
// changes through UiPort::SummaryChanged and reads them with Rows().
// Operations find a mail again by its MessageId after every such call, so a
// row that moved meanwhile is still the right one.
#pragma once

#include "MailContext.h"
#include "MailProvider.h"
#include "MailRequest.h"
#include "UiPort.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvalin {

class CAccount;
struct MailFolder;

// The image of a row, by the state of its mail.
namespace rowimage {
inline constexpr int kCounter = 0;
inline constexpr int kDeleteQueued = 1;    // deletion taken offline
inline constexpr int kDownloadQueued = 2;  // download taken offline
inline constexpr int kNewCached = 3;
inline constexpr int kReadCached = 4;
inline constexpr int kNewUncached = 5;
inline constexpr int kReadUncached = 6;
}  // namespace rowimage

int RowImageFor(bool isNew, bool cached);

inline constexpr const char* kCounterCache = "(counter)";
inline constexpr const char* kCounterMessageId = "<Korvalin>";
inline constexpr const char* kCheckingText = "Checking for mails.. please wait!";
inline constexpr const char* kCounterRowMessage = "This entry tells you the number of mails in this folder";

// What one row of the list shows, with the state the commands depend on.
struct SummaryRow {
    int image = rowimage::kReadUncached;
    std::string from, subject, date, size;
    std::string messageId;
    bool isNew = false;
    bool cached = false;          // a local copy exists (Cache is set)
    bool serverCopyGone = false;  // the Locator is "(cached)"
};

// Which of the summary's commands a selection allows.
struct SummaryCommandStates {
    bool open = false;
    bool remove = false;  // Delete
    bool deleteFromServer = false;
    bool download = false;
    bool clearLocalCopy = false;
    bool markAsRead = true;
    bool compose = true;
};

class FolderSummary : public std::enable_shared_from_this<FolderSummary> {
public:
    // A summary holding the counter row only; the MailStore opens it.
    FolderSummary(const MailContext& context, std::shared_ptr<CAccount> account, std::shared_ptr<MailFolder> folder);
    FolderSummary(const FolderSummary&) = delete;
    FolderSummary& operator=(const FolderSummary&) = delete;

    CAccount& Account() const { return *account_; }
    const std::shared_ptr<CAccount>& AccountShared() const { return account_; }
    MailFolder& Folder() const { return *folder_; }
    const std::shared_ptr<MailFolder>& FolderShared() const { return folder_; }
    // "<folder> for <login>@<provider>", the window title.
    std::string Title() const;

    std::vector<SummaryRow> Rows() const;
    size_t RowCount() const;
    std::optional<SummaryEntry> Entry(int row) const;
    std::vector<SummaryEntry> StoredEntries() const;
    // The row of the mail with messageId, or -1.
    int FindRow(const std::string& messageId) const;
    bool Closed() const;

    // The summary file and the list (file and merge operations).
    void LoadSummaryFile();
    // Lists every stored entry as known only locally (Locator "(cached)").
    // Sends no notification: called before the summary is shown.
    void ListStoredEntries();
    // Adds an entry, or with update, refreshes the listed entry of the same
    // MessageId. Returns its row, or -1 when it was refused (no From, no
    // MessageId, already listed) or a filter deleted it.
    int AddSummaryEntry(SummaryEntry entry, bool update);
    // The fresh summary of a check, in the service's order.
    void MergeFreshSummary(CSummaryArray fresh);
    // The folder's and (for the inbox) the account's tree label with the new
    // count, and the counter row's "%d mails".
    void UpdateCounters();
    void SetCounterSubject(const std::string& text);
    // The window goes: clears the local copies when the option says so,
    // writes the summary file, and ignores everything that comes later.
    void Close();
    // Writes the summary file of the open list at once (a mail gained its
    // local copy, the session ends), so that no exit leaves a local copy
    // unlisted. False when the file could not be written.
    bool SaveSummaryFileNow();

    // Single mails.
    void OpenMail(int row);
    void DownloadMail(int row);
    // A queued download (request kind 0): the mail with messageId, else row.
    void DownloadQueuedMail(int row, const std::string& messageId);
    // Returns true when the deletion is queued for the server (online).
    bool DeleteMailAt(int row, bool remove);
    // A pending deletion carried out on going online, through DeleteMailAt
    // (so it asks when deletions are asked about); a mail kept shows as before.
    void DeletePendingMail(int row);

    // Commands on the selected rows (any order).
    SummaryCommandStates CommandStates(const std::vector<int>& selection) const;
    void Open(const std::vector<int>& selection);
    void Download(const std::vector<int>& selection);
    void ClearLocalCopy(const std::vector<int>& selection);
    void MarkAsRead(const std::vector<int>& selection);
    void Delete(const std::vector<int>& selection);
    void DeleteFromServer(const std::vector<int>& selection);
    // A click on a column header: every click reverses the order; row 0 stays.
    void Sort(int column);

    // Where the next mail window opens (once).
    void RememberMailWindowRect(const WindowRect& rect);
    void ForgetMailWindowRect();

    // A check of the folder plays the new-mail sound at most once.
    void SetPlaySoundMark() { playSound_.store(true); }
    bool TakePlaySoundMark() { return playSound_.exchange(false); }

private:
    // What a row shows; the rest of SummaryRow comes from its entry.
    struct ListedRow {
        int image = rowimage::kReadUncached;
        std::string from, subject, date, size;
    };

    int AddEntry(SummaryEntry entry, bool update, bool updateCounters);
    int UpdateListedEntry(SummaryEntry entry);
    bool RunFilters(SummaryEntry& entry);
    void DownloadById(const std::string& messageId);
    bool DeleteById(const std::string& messageId, bool remove);
    void RemoveMails(const std::vector<std::string>& messageIds);
    // The message ids of the selected rows, in ascending row order.
    std::vector<std::string> SelectedIds(const std::vector<int>& selection) const;
    std::optional<std::string> CacheMailBody(const std::string& body);
    void DeleteCacheFile(const std::string& reference);
    void SaveSummaryFile(const std::vector<SummaryEntry>& current, const std::vector<SummaryEntry>& stored);
    void Changed();

    // With mutex_ held.
    int IndexOfLocked(const std::string& messageId) const;
    void AppendLocked(SummaryEntry entry);
    void CopyStoredFieldsLocked(SummaryEntry& entry) const;
    void RebuildIndexLocked();
    // Removes the rows (ascending, none of them 0); returns their Cache values.
    std::vector<std::string> RemoveRowsLocked(const std::vector<int>& rows);
    void SetImageLocked(size_t row);
    static const std::string& ColumnText(const ListedRow& row, int column);

    MailContext context_;
    const std::shared_ptr<CAccount> account_;
    const std::shared_ptr<MailFolder> folder_;

    std::mutex fileMutex_;  // one writer of the summary file at a time, the last one at Close
    mutable std::mutex mutex_;
    std::vector<SummaryEntry> entries_;
    std::vector<ListedRow> rows_;
    std::unordered_map<std::string, size_t> index_;  // MessageId -> row
    std::set<std::string> filtering_;                 // MessageIds whose filters run before they are listed
    std::vector<SummaryEntry> stored_;
    std::unordered_map<std::string, size_t> storedIndex_;  // MessageId -> first stored entry
    bool loaded_ = false;
    bool closed_ = false;
    bool sortAscending_ = false;  // the first click sorts ascending
    std::optional<WindowRect> mailWindowRect_;
    std::atomic<bool> playSound_{false};
};

}  // namespace korvalin
