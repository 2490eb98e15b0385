// Online and offline mode: Go offline, Go online (with the 30-minute rule
// and the replay of the pending actions), the pending-action list, and the
// question before quitting would lose it. All on the UI thread.
#pragma once

#include "MailContext.h"

namespace korvalin {

class AccountManager;
class CheckWorker;
class MailStore;
class ProviderHost;
struct MailRequest;

class OfflineMode {
public:
    // An offline time above this forces a fresh login of every account.
    static constexpr long long kRelogMilliseconds = 30LL * 60 * 1000;

    OfflineMode(const MailContext& context, AccountManager& accounts, MailStore& store, CheckWorker& checks);

    void GoOffline();
    void GoOnline();
    // "&View Pending Actions".
    void ShowPendingActions();
    // False when the person would rather not lose the pending actions.
    bool ConfirmQuit();

    bool CanGoOffline() const;
    bool CanGoOnline() const;
    bool CanShowPendingActions() const { return CanGoOnline(); }

private:
    // Carries out one pending action; false stops the replay.
    bool Replay(const MailRequest& action);
    void Notice(size_t settingOffset, const char* text);

    MailContext context_;
    AccountManager& accounts_;
    MailStore& store_;
    CheckWorker& checks_;
};

}  // namespace korvalin
