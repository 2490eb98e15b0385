// The actions taken while offline (downloads, sends, deletions), carried out
// in order when the program goes online again. Kept in memory only.
#pragma once

#include "MailRequest.h"

#include <mutex>
#include <vector>

namespace korvalin {

struct CoreServices;

class PendingActions {
public:
    void Append(MailRequest action);
    void Clear();
    std::vector<MailRequest> Snapshot() const;
    size_t Size() const;
    bool Empty() const { return Size() == 0; }

private:
    mutable std::mutex mutex_;
    std::vector<MailRequest> actions_;
};

// "Pending actions:\n", "==================\n" and one numbered line per
// action; "No pending actions." when there is none.
std::string PendingActionsText(const std::vector<MailRequest>& actions);

// The switch to offline mode without questions: status pane 1 "Offline
// Mode", the online flag cleared, the offline time taken now, and the
// pending actions dropped.
void EnterOfflineMode(const CoreServices& services, PendingActions& pending);

}  // namespace korvalin
