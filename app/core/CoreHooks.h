// The points where the engine calls work that lives elsewhere in it: filters,
// address books, network tests and the update (their own parts of the
// engine), and the mail store, checks, request queue and pending actions.
// The defaults do nothing and report success, so each part runs on its own.
// The engine serves the mail store's hooks itself (EngineHooks) and passes
// the others on to the hooks it was given.
#pragma once

#include "MailProvider.h"

namespace korvalin {

class CAccount;
class FolderSummary;
struct MailFolder;

class CoreHooks {
public:
    virtual ~CoreHooks() = default;

    virtual void LoadFilters(CAccount&) {}
    // Runs the account's filters on an entry about to be listed in summary
    // (never on one whose Locator is "(cached)"). True: a filter deleted
    // the mail (its deletion is queued) and the entry must not be listed.
    // May change the entry's Cache and Message (a forward fetches the mail).
    virtual bool ApplyFilters(FolderSummary& /*summary*/, SummaryEntry& /*entry*/) { return false; }
    virtual void LoadAddressBook(CAccount&) {}
    // Writes the account's address book; with release the book then leaves
    // memory (log-off). False when it could not be written.
    virtual bool SaveAddressBook(CAccount&, bool /*release*/) { return true; }
    // Exit saves next: a running address book synchronisation stops calling
    // the services and changing the books.
    virtual void StopAddressBookSync() {}
    // Called at most once per run of the program.
    virtual void StartUpdateCheck() {}
    virtual bool RouteTest() { return true; }
    virtual bool ConnectionTest() { return true; }
    // The Stop command: abandons every running check.
    virtual void StopAll() {}
    // Returns once no UI update request is queued or being served, keeping
    // the UI responsive meanwhile.
    virtual void WaitForOutstandingRequests() {}
    virtual bool NewMailListEmpty() { return true; }
    virtual void ClearPendingActions() {}
    // Opens the folder's summary (and its window), checking it when online.
    virtual void OpenFolderSummary(MailFolder&) {}
    // Saves and closes the folder's summary, and closes its window.
    virtual void CloseFolderSummary(MailFolder&) {}
};

}  // namespace korvalin
