#include "PendingActions.h"

#include "Account.h"
#include "CoreServices.h"
#include "TextFormat.h"

namespace korvalin {

void PendingActions::Append(MailRequest action)
{
    std::lock_guard lock(mutex_);
    actions_.push_back(std::move(action));
}

void PendingActions::Clear()
{
    std::lock_guard lock(mutex_);
    actions_.clear();
}

std::vector<MailRequest> PendingActions::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return actions_;
}

size_t PendingActions::Size() const
{
    std::lock_guard lock(mutex_);
    return actions_.size();
}

std::string PendingActionsText(const std::vector<MailRequest>& actions)
{
    if (actions.empty())
        return "No pending actions.";
    std::string text = "Pending actions:\n==================\n";
    int number = 0;
    for (const MailRequest& action : actions) {
        ++number;
        const std::string login = action.account ? action.account->Login() : "";
        const std::string provider = action.account ? action.account->ProviderName() : "";
        switch (action.kind) {
        case request::kDownload:
            text += Format("%d] Download mail from %s in %s@%s\n", number, action.secondText.c_str(), login.c_str(),
                           provider.c_str());
            break;
        case request::kSend:
            text += Format("%d] Send mail to %s from %s@%s\n", number, action.message.To.c_str(), login.c_str(),
                           provider.c_str());
            break;
        case request::kDelete:
            text += Format("%d] Delete mail from %s in %s@%s\n", number, action.secondText.c_str(), login.c_str(),
                           provider.c_str());
            break;
        default:
            break;
        }
    }
    return text;
}

void EnterOfflineMode(const CoreServices& services, PendingActions& pending)
{
    services.ui.SetStatusText(kModePane, "Offline Mode");
    services.online.SetOnline(false);
    pending.Clear();
}

}  // namespace korvalin

