#include "OfflineMode.h"

#include "Account.h"
#include "AccountManager.h"
#include "CheckWorker.h"
#include "FolderSummary.h"
#include "MailStore.h"
#include "PendingActions.h"
#include "RequestQueue.h"
#include "TextFormat.h"
#include "UserInformation.h"

#include <chrono>

namespace korvalin {
namespace {

constexpr const char* kOfflineNotice =
    "You are offline now. In this mode, you can compose a new mail, reply to downloaded mails, forward them or "
    "delete them. You may now disconnect from the internet.";
constexpr const char* kOnlineNotice =
    "You are online now. Now, Korvalin Mail will attempt to make all the changes you made while offline. Also, it "
    "will download all the new mail summaries, and let you download mails for offline viewing. Make sure your "
    "machine is connected to the internet and hit OK.";
constexpr const char* kGoOnlineQuestion =
    "Korvalin couldn't detect your machine to be online. Do you still want to go online? Going online when your "
    "machine is offline can hang you system.";
constexpr const char* kRelogMessage =
    "You have been offline for more than 30 minutes. Korvalin Mail will need log into all your accounts once again.";

}  // namespace

OfflineMode::OfflineMode(const MailContext& context, AccountManager& accounts, MailStore& store, CheckWorker& checks)
    : context_(context), accounts_(accounts), store_(store), checks_(checks)
{
}

bool OfflineMode::CanGoOffline() const
{
    return context_.core.online.Online();
}

bool OfflineMode::CanGoOnline() const
{
    return !context_.core.online.Online();
}

void OfflineMode::Notice(size_t settingOffset, const char* text)
{
    if (!context_.core.settings.Flag(settingOffset))
        return;
    MessageBoxRequest notice;
    notice.caption = "Information..";
    notice.icon = MessageIcon::Information;
    notice.text = text;
    notice.checkBoxText = "Don't show me this again";
    if (context_.core.ui.ShowMessage(notice).checkBoxChecked)
        context_.core.settings.SetFlag(settingOffset, false);
}

void OfflineMode::GoOffline()
{
    if (!CanGoOffline())
        return;
    WaitForOutstandingRequests(context_.requests, context_.core.ui);
    EnterOfflineMode(context_.core, context_.pending);
    checks_.StopAll();
    Notice(setting::kNoticeOnOffline, kOfflineNotice);
}

void OfflineMode::GoOnline()
{
    if (!CanGoOnline())
        return;
    const CoreServices& core = context_.core;
    if (!core.hooks.RouteTest() && AskYesNo(core.ui, kGoOnlineQuestion, MessageAnswer::No) != MessageAnswer::Yes)
        return;
    core.ui.SetStatusText(kModePane, "Online Mode");
    core.online.SetOnline(true);
    Notice(setting::kNoticeOnOnline, kOnlineNotice);

    const auto offlineFor = std::chrono::duration_cast<std::chrono::milliseconds>(core.online.Now() -
                                                                                  core.online.OfflineSince());
    const std::vector<MailRequest> actions = context_.pending.Snapshot();
    const std::vector<std::shared_ptr<CAccount>> accounts = accounts_.AllAccounts();
    const bool relog = offlineFor.count() > kRelogMilliseconds || !core.online.HasBeenOnline();
    const bool recheck = core.settings.Flag(setting::kAutoCheck) &&
                         offlineFor.count() >= core.settings.CheckIntervalMinutes() * 60000LL;

    size_t items = 0;
    if (relog) {
        items = accounts.size();
    } else if (recheck) {
        for (const auto& account : accounts)
            items += account->Folders().size();
    }
    const size_t total = items + actions.size();
    size_t done = 0;
    auto progress = [&] { core.ui.SetStatusText(kProgressPane, PercentText(++done, total)); };

    if (relog) {
        if (!core.online.HasBeenOnline()) {
            core.online.SetHasBeenOnline(true);
            core.ui.ShowHomePage(TipsPageUrl(core.paths));
        }
        Tell(core.ui, kRelogMessage, MessageIcon::Information);
        for (const auto& account : accounts) {
            accounts_.LogOff(*account);
            progress();
            accounts_.OpenAccount(*account);
        }
    } else if (recheck) {
        for (const auto& account : accounts) {
            AccountState state = account->State();
            for (const auto& folder : account->Folders()) {
                progress();
                if (state.inTree && state.checked && state.loggedIn && folder->checked)
                    store_.CheckFolder(*folder, true);
            }
        }
    }

    for (const MailRequest& action : actions) {
        progress();
        if (!action.account || !action.account->LoggedIn())
            continue;
        if (!Replay(action))
            break;
    }
    context_.pending.Clear();
}

bool OfflineMode::Replay(const MailRequest& action)
{
    UiPort& ui = context_.core.ui;
    if (action.kind == request::kSend)
        return QueueRequest(context_.requests, ui, action);
    if (action.kind != request::kDownload && action.kind != request::kDelete)
        return true;
    const bool download = action.kind == request::kDownload;
    std::shared_ptr<MailFolder> folder = MailStore::FindFolder(*action.account, action.secondText);
    std::shared_ptr<FolderSummary> summary = folder ? store_.Summary(*folder) : nullptr;
    if (!summary) {
        Tell(ui, download ? "Couldn't find the required folder. Some mails might not be downloaded"
                          : "Couldn't find the required folder. Some mails might not be deleted");
        return true;
    }
    int row = summary->FindRow(action.text);
    if (row < 1) {
        Tell(ui, download ? "Couldn't find the mail to be downloaded. Some mails might not be downloaded"
                          : "Couldn't find the mail to be deleted. Some mails might not be deleted");
        return true;
    }
    if (download)
        summary->DownloadMail(row);
    else
        summary->DeletePendingMail(row);
    return true;
}

void OfflineMode::ShowPendingActions()
{
    Tell(context_.core.ui, PendingActionsText(context_.pending.Snapshot()), MessageIcon::Information);
}

bool OfflineMode::ConfirmQuit()
{
    if (context_.core.online.Online() || context_.pending.Empty())
        return true;
    return AskYesNo(context_.core.ui,
                    "There are pending items which will be lost if you quit. Do you want to quit anyway?",
                    MessageAnswer::No) == MessageAnswer::Yes;
}

}  // namespace korvalin
