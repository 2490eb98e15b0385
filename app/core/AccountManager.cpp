#include "AccountManager.h"

#include "AccountFolder.h"
#include "AccountSettingsFile.h"
#include "LoginProgressBox.h"
#include "PasswordKeeper.h"
#include "ProviderHost.h"

#include <algorithm>

namespace korvalin {
namespace {

constexpr const char* kYahooProviderName = "YahooMail";

bool ValidPopSettings(const PopSettings& pop)
{
    return !pop.smtpServer.empty() && !pop.pop3Server.empty() && !pop.displayName.empty() &&
           pop.emailAddress.find('@') != std::string::npos;
}

}  // namespace

AccountManager::AccountManager(const CoreServices& services, ProviderHost& providers)
    : services_(services), providers_(providers)
{
}

AccountManager::~AccountManager()
{
    std::lock_guard lock(threadsMutex_);
    for (LoginThread& login : loginThreads_) {
        if (login.thread.joinable())
            login.thread.join();
    }
}

bool AccountManager::Refuse(const std::optional<std::string>& why)
{
    if (!why)
        return false;
    services_.log.Warning(kCommon, "%s", why->c_str());
    Tell(services_.ui, *why);
    return true;
}

std::shared_ptr<CAccount> AccountManager::AddAccount(ProviderEntry& provider, const std::string& login,
                                                     const std::optional<std::string>& password, bool savePassword,
                                                     uint16_t folderMask)
{
    if (SameProviderName(provider.name, kYahooProviderName) && !provider.accounts.empty()) {
        Tell(services_.ui,
             "Due to technical limitations, we don't allow more than one accounts for this email provider yet. Sorry!");
        return nullptr;
    }
    if (Refuse(UnsafeAccountName(login, provider.name)))
        return nullptr;
    ProviderObject object = CreateProviderObject(provider.library);
    if (!object) {
        services_.log.Error(kCommon, "The %s provider made no provider object for %s", provider.name.c_str(),
                            login.c_str());
        Tell(services_.ui, "The account " + login + " could not be added: the " + provider.name +
                               " provider did not start. Please reinstall Korvalin.");
        return nullptr;
    }
    auto account = std::make_shared<CAccount>(provider, login, folderMask, std::move(object),
                                              AccountFolderPath(services_.paths.dataRoot, login, provider.name));
    account->AttachHostLink(folderChanges_);
    provider.accounts.push_back(account);
    account->Update([&](AccountState& state) {
        state.password = password.value_or("");
        state.credentialsAccepted = password.has_value();
        state.savePassword = password.has_value() && savePassword;
        // Marked even under a hidden provider, so that the account logs in
        // with its POP account line once the provider is shown again.
        state.isPop = UsesServerSettings(provider.name);
    });
    if (provider.hidden)
        return account;

    account->Update([&](AccountState& state) {
        state.inTree = true;
        state.checked = folderMask != 0;
    });
    services_.ui.TreeChanged({TreeChangeKind::AccountAdded, &provider, account.get()});
    auto inbox = account->Inbox();
    inbox->inTree = true;
    inbox->checked = (folderMask & 1) != 0;
    services_.ui.TreeChanged({TreeChangeKind::FolderAdded, &provider, account.get(), inbox.get()});
    if (Status created = CreateFolder(account->Folder()); !created)
        services_.log.Error(*account, "%s", created.error.c_str());
    return account;
}

void AccountManager::AddNewAccount()
{
    NewAccountForm form;
    for (size_t i = 1; i < providers_.Providers().size(); ++i)
        form.providerNames.push_back(providers_.Providers()[i]->name);
    std::optional<PopSettings> pop;
    for (;;) {
        if (!services_.ui.AskNewAccount(form))
            return;
        if (form.provider < 0 || form.provider >= static_cast<int>(form.providerNames.size())) {
            Tell(services_.ui, "Please choose the email provider for this account");
            continue;
        }
        if (form.login.empty()) {
            Tell(services_.ui, "Please enter the login name for this account");
            continue;
        }
        pop.reset();
        const std::string& chosen = form.providerNames[static_cast<size_t>(form.provider)];
        if (UsesServerSettings(chosen)) {
            PopSettings entered;
            entered.imap = SpeaksImap(chosen);
            bool confirmed = false;
            while (!confirmed && services_.ui.AskPopSettings(entered)) {
                confirmed = ValidPopSettings(entered);
                if (!confirmed)
                    Tell(services_.ui, "Invalid value: Please check your SMTP/POP3/Email ID/Name entries.");
            }
            if (!confirmed)
                continue;
            pop = entered;
        }
        break;
    }

    ProviderEntry& provider = *providers_.Providers()[static_cast<size_t>(form.provider) + 1];
    services_.log.Info(kCommon, "Adding new account %s under %s.", form.login.c_str(), provider.name.c_str());
    std::optional<std::string> password;
    if (!form.password.empty())
        password = form.password;
    std::shared_ptr<CAccount> account = AddAccount(provider, form.login, password, form.savePassword, 1);
    if (account && account->State().inTree && pop) {
        services_.log.Info(*account, pop->imap ? "Adding IMAP account" : "Adding POP3 account");
        account->Update([&](AccountState& state) {
            state.isPop = true;
            state.pop = *pop;
        });
    }
    services_.ui.TreeChanged({TreeChangeKind::ProviderExpanded, &provider});
    if (!account || !account->State().inTree)
        return;
    if (AskYesNo(services_.ui, "Would you like to log into this account now?") == MessageAnswer::Yes)
        OpenAccount(*account);
}

void AccountManager::OpenAccount(CAccount& account)
{
    if (!account.State().checked)
        return;
    // A login opens the inbox itself; choosing a logged-in account opens
    // (and so checks) its inbox again.
    const bool wasLoggedIn = account.LoggedIn();
    if (!LoginWithProgress(account))
        Tell(services_.ui, "Login failed");
    else if (wasLoggedIn)
        services_.hooks.OpenFolderSummary(*account.Inbox());
}

void AccountManager::LogOff(CAccount& account)
{
    services_.hooks.StopAll();
    for (const auto& folder : account.Folders())
        services_.hooks.CloseFolderSummary(*folder);
    for (const auto& folder : account.RemoveFoldersAfterInbox()) {
        if (folder->inTree)
            services_.ui.TreeChanged({TreeChangeKind::FolderRemoved, &account.Provider(), &account, folder.get()});
        folder->inTree = false;
    }
    // A book that could not be written stays in memory, to be saved at exit.
    if (services_.hooks.SaveAddressBook(account, true))
        account.SetAddressBook({});
    account.Update([](AccountState& state) { state.loggedIn = false; });
    // The provider learns of the log-off by a profile without password: it
    // ends its sessions (a push connection too) until the next login gives
    // the whole profile again.
    {
        AccountState state = account.State();
        account.ProviderObject().SetUserProfile(state.isPop ? PopAccountLine(state.login, state.pop) : state.login,
                                                std::string());
    }
    std::shared_ptr<CAccount> shared = account.shared_from_this();
    std::shared_ptr<MailFolder> inbox = account.Inbox();
    services_.ui.TreeLabelChanged(shared, inbox, inbox->name);
    services_.ui.TreeLabelChanged(shared, nullptr, account.Login());
}

void AccountManager::DeleteAccount(CAccount& account)
{
    services_.hooks.WaitForOutstandingRequests();
    const std::string name = account.LogName();
    services_.log.Info(kCommon, "Deleting account %s", name.c_str());
    if (AskYesNo(services_.ui, "Are you sure you want to delete the account " + name, MessageAnswer::No) !=
        MessageAnswer::Yes)
        return;
    for (const auto& folder : account.Folders())
        services_.hooks.CloseFolderSummary(*folder);
    if (Status deleted = DeleteFolderAndFiles(account.Folder()); !deleted)
        services_.log.Error(kCommon, "Deleting account %s: %s", name.c_str(), deleted.error.c_str());
    if (passwords_ != nullptr)
        passwords_->Forget(account.ProviderName(), account.Login());
    ProviderEntry& provider = account.Provider();
    // Keeps the account alive until the tree has let go of it.
    std::shared_ptr<CAccount> keep = account.shared_from_this();
    provider.accounts.Remove(keep);
    if (account.State().inTree) {
        account.Update([](AccountState& state) { state.inTree = false; });
        services_.ui.TreeChanged({TreeChangeKind::AccountRemoved, &provider, &account});
    }
}

LoginForm AccountManager::FormFor(const CAccount& account) const
{
    AccountState state = account.State();
    LoginForm form;
    form.providerName = account.ProviderName();
    form.login = state.login;
    form.password = state.password;
    form.savePassword = state.savePassword;
    form.soundPath = state.soundPath;
    form.isPop = state.isPop;
    form.pop = state.pop;
    form.pop.imap = SpeaksImap(form.providerName);
    return form;
}

void AccountManager::ApplyLoginForm(CAccount& account, const LoginForm& form, bool copySettings)
{
    bool renamed = false;
    account.Update([&](AccountState& state) {
        renamed = state.login != form.login;
        state.login = form.login;
        state.password = form.password;
        state.savePassword = form.savePassword;
        if (state.isPop)
            state.pop = form.pop;
        if (copySettings)
            state.soundPath = form.soundPath;
    });
    if (renamed && account.State().inTree)
        services_.ui.TreeChanged({TreeChangeKind::AccountRenamed, &account.Provider(), &account});
}

void AccountManager::EditAccount(CAccount& account)
{
    // Before the first login the form shows what the account's file holds.
    ReadSettingsFile(account);
    LoginForm form = FormFor(account);
    for (;;) {
        if (!services_.ui.AskLogin(form))
            return;
        if (!Refuse(UnsafeAccountName(form.login, account.ProviderName())))
            break;
    }
    ApplyLoginForm(account, form, true);
}

CAccount* AccountManager::ChooseSender(const TreeSelection& selection)
{
    if (selection.account != nullptr)
        return selection.account;
    if (selection.folder != nullptr)
        return selection.folder->account;
    if (selection.provider == nullptr)
        services_.log.Warning(kCommon, "No sender selected, choosing the first logged in account.");
    for (const auto& account : AllAccounts()) {
        if (account->LoggedIn())
            return account.get();
    }
    return nullptr;
}

void AccountManager::ComposeForRecipient(const TreeSelection& selection, std::string& pendingRecipient)
{
    CAccount* sender = ChooseSender(selection);
    if (sender == nullptr) {
        Tell(services_.ui, "Please log into one of your accounts first: there is no account to send this mail from.");
        return;
    }
    ComposeRequest request;
    request.senderText = "Sender: " + sender->LogName();
    request.sender = sender;
    if (!pendingRecipient.empty()) {
        services_.log.Info(kCommon, "Recipient %s prespecified.", pendingRecipient.c_str());
        request.recipient = pendingRecipient;
        pendingRecipient.clear();
    }
    services_.ui.OpenComposeWindow(request);
}

void AccountManager::WriteAccountSettingsFiles()
{
    for (const auto& account : AllAccounts()) {
        AccountState state = account->State();
        if (!state.inTree)
            continue;
        // An account whose file was not read this run knows nothing of its
        // settings but what a new account gets: its file stays as it is.
        std::error_code error;
        if (!state.settingsFileRead &&
            (std::filesystem::exists(account->Folder() / kAccountSettingsFile, error) || error))
            continue;
        if (Status written = WriteAccountSettingsFile(account->Folder(), state.soundPath, state.pop, state.isPop);
            !written)
            services_.log.Error(*account, "Cannot save the account settings: %s", written.error.c_str());
    }
}

std::vector<std::shared_ptr<CAccount>> AccountManager::AllAccounts() const
{
    std::vector<std::shared_ptr<CAccount>> all;
    const auto& providers = providers_.Providers();
    for (size_t i = 1; i < providers.size(); ++i) {
        std::vector<std::shared_ptr<CAccount>> accounts = providers[i]->accounts.Snapshot();
        all.insert(all.end(), accounts.begin(), accounts.end());
    }
    return all;
}

}  // namespace korvalin
