// The hooks the engine hands its parts: the mail store, checks, request
// queue and pending actions are served by the engine itself (the hooks it
// was given are told as well); filters, address books, network tests and
// the update go to the hooks it was given.
#pragma once

#include "CoreHooks.h"

namespace korvalin {

class Engine;

class EngineHooks final : public CoreHooks {
public:
    EngineHooks(Engine& engine, CoreHooks& outer) : engine_(engine), outer_(outer) {}

    void LoadFilters(CAccount& account) override { outer_.LoadFilters(account); }
    bool ApplyFilters(FolderSummary& summary, SummaryEntry& entry) override
    {
        return outer_.ApplyFilters(summary, entry);
    }
    void LoadAddressBook(CAccount& account) override { outer_.LoadAddressBook(account); }
    bool SaveAddressBook(CAccount& account, bool release) override
    {
        return outer_.SaveAddressBook(account, release);
    }
    void StopAddressBookSync() override { outer_.StopAddressBookSync(); }
    void StartUpdateCheck() override { outer_.StartUpdateCheck(); }
    bool RouteTest() override { return outer_.RouteTest(); }
    bool ConnectionTest() override { return outer_.ConnectionTest(); }

    void StopAll() override;
    void WaitForOutstandingRequests() override;
    bool NewMailListEmpty() override;
    void ClearPendingActions() override;
    void OpenFolderSummary(MailFolder& folder) override;
    void CloseFolderSummary(MailFolder& folder) override;

private:
    Engine& engine_;
    CoreHooks& outer_;
};

}  // namespace korvalin
