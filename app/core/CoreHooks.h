// The points where the account and start-up code calls work that lives
// elsewhere in the engine (filters, address books, network tests, the check
// worker and request queue). The defaults do nothing and report success, so
// the code here runs on its own.
#pragma once

namespace korvalin {

class CAccount;

class CoreHooks {
public:
    virtual ~CoreHooks() = default;

    virtual void LoadFilters(CAccount&) {}
    virtual void LoadAddressBook(CAccount&) {}
    virtual void SaveAddressBook(CAccount&) {}
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
};

}  // namespace korvalin
