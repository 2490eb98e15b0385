// The new-mail list: the mails that arrived since the person last looked,
// newest first, with the pass flags of the check timer, the tray animation
// flag and the pop-up rule. Its count is the number in the tray tip. Used
// by check threads and the UI thread alike; port calls are made outside the
// list's lock. An entry remembers its mail by MessageId, so its row stays
// right however the list is sorted or rows are deleted.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvalin {

class FolderSummary;
class RequestQueue;
class UiPort;
class UserSettings;

struct NewMailEntry {
    std::shared_ptr<FolderSummary> summary;
    int row = 0;  // where the mail is now
    std::string subject;
    std::string from;
    std::string messageId;
};

class NewMailList {
public:
    NewMailList(UiPort& ui, UserSettings& settings, RequestQueue& requests);

    // A new mail was listed at row of summary: it goes first in the list, its
    // download is queued, the account's sound plays once per folder check,
    // and the tray starts animating. Row -1 is ignored.
    void NoteNewMail(const std::shared_ptr<FolderSummary>& summary, int row, const std::string& subject,
                     const std::string& from, const std::string& messageId);
    // The mail was read or deleted: its entry goes; an emptied list stops the tray.
    void ForgetNewMail(const FolderSummary* summary, const std::string& messageId);
    // The mails were removed from summary.
    void ForgetMails(const FolderSummary* summary, const std::vector<std::string>& messageIds);
    // summary was closed: its entries go.
    void ForgetSummary(const FolderSummary* summary);
    // Showing the main window or closing the New Mails box: the list empties
    // and the tray stops animating.
    void Clear();

    // The entries, newest first, with the rows their mails are at now.
    std::vector<NewMailEntry> Entries() const;
    size_t Count() const;
    bool Empty() const { return Count() == 0; }
    bool Animating() const;
    // The tray's New Mails box is open (no pop-up then).
    void SetNewMailsBoxOpen(bool open);

    // Timer 1 starts a pass: no new mail in it yet.
    void BeginTimerPass();
    // At the end of each folder check: at most one "%d new mails are
    // available" per timer pass, when the setting asks for it.
    void RunPopupRule();

private:
    // Removes the entries of summary that match (all of them when match is
    // empty); true when that emptied the list and stopped the tray.
    template <typename Match>
    bool RemoveLocked(const FolderSummary* summary, Match match);
    void AfterChange(bool stopTray);

    UiPort& ui_;
    UserSettings& settings_;
    RequestQueue& requests_;
    mutable std::mutex mutex_;
    std::deque<NewMailEntry> entries_;
    bool animating_ = false;
    bool boxOpen_ = false;
    bool timerPass_ = false;
    bool newMailInPass_ = false;
};

}  // namespace korvalin
