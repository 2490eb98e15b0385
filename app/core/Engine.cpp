#include "Engine.h"

#include "FolderSummary.h"

#include "RequestServer.h"
#include "Startup.h"
#include "TextFormat.h"

#include <algorithm>
#include <cstdio>

namespace korvalin {

Engine::Engine(PlatformPaths paths, UiPort& ui, EngineOptions options)
    : paths_(std::move(paths)),
      ui_(ui),
      hooks_(options.hooks != nullptr ? options.hooks : &defaultHooks_),
      engineHooks_(*this, *hooks_),
      log_(std::move(options.localTime)),
      store_(paths_.storeFile),
      online_(std::move(options.clock)),
      services_{paths_, ui_, log_, settings_, online_, engineHooks_},
      providers_(services_),
      passwords_(log_, options.keyring),
      accounts_(services_, providers_),
      logWindow_(log_, settings_, ui_),
      userInformation_(services_, store_, providers_, accounts_, logWindow_, passwords_),
      newMail_(ui_, settings_, requests_),
      mailContext_{services_, requests_, newMail_, pending_},
      mail_(mailContext_, accounts_),
      checks_(mailContext_, providers_, mail_),
      mode_(mailContext_, accounts_, mail_, checks_)
{
    mail_.SetCheckStarter(&checks_);
    accounts_.SetPasswordKeeper(&passwords_);
    accounts_.FolderChanges().Set([this](CAccount& account, int folder) { checks_.FolderChanged(account, folder); });
    if (!requests_.Start([this](MailRequest& request) { ServeRequest(mailContext_, request); }, options.startWorker))
        ui_.FatalError(kWorkerThreadFailure);
}

Engine::~Engine()
{
    accounts_.FolderChanges().Clear();
    checks_.Shutdown();
    requests_.Stop();
}

void Engine::SetCommandLine(const std::vector<std::string>& arguments)
{
    recipient_ = RecipientFromArguments(arguments);
    log_.Info(kCommon, "Mail to be sent to %s", recipient_.c_str());
}

Status Engine::LeaveRecipientForRunningCopy(const std::string& recipient)
{
    return store_.WriteValue(kRecipientValue, recipient + '\0');
}

void Engine::TakeRecipientFromSecondCopy(const TreeSelection& selection)
{
    StoreValue value = store_.Read(kRecipientValue);
    if (value.state != StoreRead::Found)
        return;
    if (Status removed = store_.RemoveValue(kRecipientValue); !removed)
        log_.Error(kCommon, "Cannot delete the handed-over recipient: %s", removed.error.c_str());
    std::string recipient = value.bytes.substr(0, std::min<size_t>(value.bytes.size(), 256));
    recipient_ = recipient.substr(0, recipient.find('\0'));
    accounts_.ComposeForRecipient(selection, recipient_);
}

void Engine::LoadConfiguration(const std::filesystem::path& pluginFolder)
{
    log_.Info(kCommon, "Getting the directory");
    DataRootResult root = PrepareDataRoot(paths_.dataRoot);
    if (!root.status) {
        std::fprintf(stderr, "korvalin: %s\n", root.status.error.c_str());
        ui_.FatalError("Unable to get current directory. Application cannot continue");
    }
    providers_.LoadProviders(pluginFolder, store_);
    userInformation_.Load();
}

void Engine::StartLogon()
{
    log_.Info(kCommon, "Adding icon to systray");
    ui_.CreateTrayIcon();
    if (online_.Online()) {
        ui_.SetStatusText(kModePane, "Online Mode");
    } else {
        ui_.SetStatusText(kModePane, "Offline Mode");
        online_.SetOnline(false);
        engineHooks_.ClearPendingActions();
    }

    if (online_.Online() && !engineHooks_.ConnectionTest()) {
        ui_.ShowMainWindow(true);
    } else {
        log_.Info(kCommon, "Logging into accounts");
        if (settings_.Flag(setting::kAutoCheck)) {
            if (online_.Online())
                accounts_.StartUpdateCheckOnce();
            for (const auto& provider : providers_.Providers()) {
                if (provider->inTree)
                    ui_.TreeChanged({TreeChangeKind::ProviderExpanded, provider.get()});
            }
            std::vector<std::shared_ptr<CAccount>> accounts = accounts_.AllAccounts();
            for (size_t i = 0; i < accounts.size(); ++i) {
                ui_.SetStatusText(kProgressPane, PercentText(i + 1, accounts.size()));
                // Every monitored account logs in, a hidden provider's too.
                if (accounts[i]->State().folderMask != 0)
                    accounts_.LoginWithProgress(*accounts[i]);
            }
            ui_.StartCheckTimer(settings_.CheckIntervalMinutes());
            if (engineHooks_.NewMailListEmpty() && settings_.Flag(setting::kHideOnStartup))
                ui_.ShowMainWindow(false);
        } else {
            ui_.ShowMainWindow(true);
            ui_.SetStatusText(kProgressPane, PercentText(1, 1));
        }
    }
    ui_.ShowHomeWindow();
    if (!recipient_.empty())
        accounts_.ComposeForRecipient({}, recipient_);
}

void Engine::SaveAtExit()
{
    // A synchronisation still running would change the books after they are written.
    engineHooks_.StopAddressBookSync();
    checks_.StopAll();
    mail_.CloseAll();
    SaveAccounts();
}

void Engine::SaveWhileRunning()
{
    for (const auto& summary : mail_.OpenSummaries())
        summary->SaveSummaryFileNow();
    SaveAccounts();
}

void Engine::SaveAccounts()
{
    for (const auto& account : accounts_.AllAccounts()) {
        if (account->State().inTree) {
            uint16_t mask = FolderMaskFromChecks(*account);
            account->Update([mask](AccountState& state) { state.folderMask = mask; });
        }
    }
    userInformation_.Save();
    for (const auto& account : accounts_.AllAccounts()) {
        if (account->State().inTree)
            engineHooks_.SaveAddressBook(*account, false);
    }
    accounts_.WriteAccountSettingsFiles();
}

}  // namespace korvalin
