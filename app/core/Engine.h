// The engine of the program: owns the log, the settings record, the user
// store, the providers and their accounts, and runs the start-up steps and
// the saving at exit. The Qt program creates one and implements its UiPort.
#pragma once

#include "AccountManager.h"
#include "CheckWorker.h"
#include "CoreHooks.h"
#include "DiagnosticLog.h"
#include "EngineHooks.h"
#include "FolderSummary.h"
#include "LogWindow.h"
#include "MailStore.h"
#include "NewMailList.h"
#include "OfflineMode.h"
#include "OnlineState.h"
#include "PasswordKeeper.h"
#include "PendingActions.h"
#include "PlatformPaths.h"
#include "ProviderHost.h"
#include "RequestQueue.h"
#include "UserInformation.h"
#include "UserSettings.h"
#include "UserStore.h"

#include <memory>
#include <string>
#include <vector>

namespace korvalin {

inline constexpr const char* kRecipientValue = "Recipient";

struct EngineOptions {
    CoreHooks* hooks = nullptr;  // null: the defaults
    DiagnosticLog::LocalTimeSource localTime;
    OnlineState::ClockSource clock;
    RequestQueue::ThreadStarter startWorker;  // empty: a std::thread
    PasswordKeyring* keyring = nullptr;  // null: saved passwords stay in the store file
};

class Engine {
public:
    Engine(PlatformPaths paths, UiPort& ui, EngineOptions options = {});
    // Abandons the checks and ends the request worker, waiting for their
    // threads (each network call of theirs ends within its time-outs).
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The recipient given on the command line (see RecipientFromArguments).
    void SetCommandLine(const std::vector<std::string>& arguments);
    std::string& PendingRecipient() { return recipient_; }

    // The hand-over between two copies of the program: the second copy
    // leaves its recipient as the store value "Recipient"; the running copy
    // takes it (the value is deleted), and composes to it from selection.
    Status LeaveRecipientForRunningCopy(const std::string& recipient);
    void TakeRecipientFromSecondCopy(const TreeSelection& selection);

    // "Loading the configuration": the data root as current directory, the
    // plug-ins of pluginFolder, then the user information.
    void LoadConfiguration(const std::filesystem::path& pluginFolder);
    void LoadConfiguration() { LoadConfiguration(paths_.executableDir); }

    // "Starting logon": the tray icon, the mode pane, and the logon of every
    // account whose folder mask is not 0.
    void StartLogon();

    // At exit: the address book synchronisation and the checks stop, and
    // every open folder's summary is saved; each account's folder selection
    // from the tree checks, then the user information, the address books and
    // every "Sound.kvx".
    void SaveAtExit();
    // The desktop session may end: everything SaveAtExit writes is written,
    // and the program goes on.
    void SaveWhileRunning();

    const PlatformPaths& Paths() const { return paths_; }
    UiPort& Ui() { return ui_; }
    DiagnosticLog& Log() { return log_; }
    UserSettings& Settings() { return settings_; }
    UserStore& Store() { return store_; }
    OnlineState& Online() { return online_; }
    CoreHooks& Hooks() { return engineHooks_; }
    ProviderHost& Providers() { return providers_; }
    AccountManager& Accounts() { return accounts_; }
    LogWindow& LogView() { return logWindow_; }
    UserInformation& UserInfo() { return userInformation_; }
    PasswordKeeper& Passwords() { return passwords_; }
    RequestQueue& Requests() { return requests_; }
    PendingActions& Pending() { return pending_; }
    NewMailList& NewMail() { return newMail_; }
    MailStore& Mail() { return mail_; }
    CheckWorker& Checks() { return checks_; }
    OfflineMode& Mode() { return mode_; }

private:
    // The folder selections, the user information, the address books and
    // every "Sound.kvx".
    void SaveAccounts();

    PlatformPaths paths_;
    UiPort& ui_;
    CoreHooks defaultHooks_;
    CoreHooks* hooks_;
    EngineHooks engineHooks_;
    DiagnosticLog log_;
    UserSettings settings_;
    UserStore store_;
    OnlineState online_;
    CoreServices services_;
    ProviderHost providers_;
    PasswordKeeper passwords_;
    AccountManager accounts_;
    LogWindow logWindow_;
    UserInformation userInformation_;
    RequestQueue requests_;
    PendingActions pending_;
    NewMailList newMail_;
    MailContext mailContext_;
    MailStore mail_;
    CheckWorker checks_;
    OfflineMode mode_;
    std::string recipient_;
};

}  // namespace korvalin
