// Accounts: adding (the Add New Account dialog, the stored lists), logging
// in with the "Logging in..." box, logging off, deleting, editing, and the
// sender of a new mail.
#pragma once

#include "Account.h"
#include "CoreServices.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace korvalin {

class LoginProgressBox;
class PasswordKeeper;
class ProviderHost;

// What is selected in the account tree (all null: nothing).
struct TreeSelection {
    ProviderEntry* provider = nullptr;
    CAccount* account = nullptr;
    MailFolder* folder = nullptr;
};

class AccountManager {
public:
    AccountManager(const CoreServices& services, ProviderHost& providers);
    // Waits for abandoned login threads (their network calls are bounded by time-outs).
    ~AccountManager();
    AccountManager(const AccountManager&) = delete;
    AccountManager& operator=(const AccountManager&) = delete;

    // Creates an account under provider. Returns null when it was refused
    // (with a message); otherwise the account, which has a tree item unless
    // the provider is hidden.
    std::shared_ptr<CAccount> AddAccount(ProviderEntry& provider, const std::string& login,
                                         const std::optional<std::string>& password, bool savePassword,
                                         uint16_t folderMask);

    // Where saved passwords live; deleting an account deletes its password there.
    void SetPasswordKeeper(PasswordKeeper* passwords) { passwords_ = passwords; }

    // The Add New Account command.
    void AddNewAccount();

    bool LoginWithProgress(CAccount& account);
    // The login itself; runs on a worker thread while box is shown.
    bool Login(CAccount& account, LoginProgressBox& box);
    void OpenAccount(CAccount& account);
    void LogOff(CAccount& account);
    void DeleteAccount(CAccount& account);
    void EditAccount(CAccount& account);

    // Opens a compose window from the selected account (or the first logged-in
    // one), addressed to pendingRecipient, which is then cleared.
    void ComposeForRecipient(const TreeSelection& selection, std::string& pendingRecipient);

    // The account the person's selection sends from, or null.
    CAccount* ChooseSender(const TreeSelection& selection);

    // Writes "Sound.kvx" for every account with a tree item (at exit) whose
    // file was read this run or does not exist yet.
    void WriteAccountSettingsFiles();

    // Starts the update check, once per run of the program.
    void StartUpdateCheckOnce();

    // Aborted logins whose thread has not ended yet.
    size_t LoginsStillEnding();

    // Every account of providers 1 and up, in order.
    std::vector<std::shared_ptr<CAccount>> AllAccounts() const;

    // Where the accounts' providers report folder changes (push).
    FolderChangeRoute& FolderChanges() { return *folderChanges_; }

private:
    struct LoginThread {
        std::shared_ptr<CAccount> account;
        std::shared_ptr<LoginProgressBox> box;
        std::thread thread;
    };

    bool Refuse(const std::optional<std::string>& why);
    void ApplyLoginForm(CAccount& account, const LoginForm& form, bool copySettings);
    LoginForm FormFor(const CAccount& account) const;
    bool AskCredentials(CAccount& account, LoginProgressBox& box);
    void AddServiceFolders(CAccount& account, LoginProgressBox& box);
    void FetchAddressBook(CAccount& account, LoginProgressBox& box);
    void ReadSettingsFile(CAccount& account);
    bool EarlierLoginStillRunning(const CAccount& account);
    void JoinEndedLoginThreads();

    CoreServices services_;
    ProviderHost& providers_;
    PasswordKeeper* passwords_ = nullptr;
    std::atomic<bool> updateCheckStarted_{false};
    std::mutex threadsMutex_;
    std::vector<LoginThread> loginThreads_;
    std::shared_ptr<FolderChangeRoute> folderChanges_ = std::make_shared<FolderChangeRoute>();
};

}  // namespace korvalin
