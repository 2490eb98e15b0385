// Logging an account in: the "Logging in..." box on the UI thread and the
// login itself on a worker thread.
#include "AccountFolder.h"
#include "AccountManager.h"
#include "AccountSettingsFile.h"
#include "LoginProgressBox.h"
#include "ProviderHost.h"
#include "TextFormat.h"

#include <algorithm>
#include <cstdio>

namespace korvalin {
namespace {

std::string Printf(const char* format, const std::string& a, const std::string& b)
{
    char text[2048];
    std::snprintf(text, sizeof text, format, a.c_str(), b.c_str());
    return text;
}

}  // namespace

bool AccountManager::EarlierLoginStillRunning(const CAccount& account)
{
    std::lock_guard lock(threadsMutex_);
    for (const LoginThread& login : loginThreads_) {
        if (login.account.get() == &account && !login.box->WorkerEnded())
            return true;
    }
    return false;
}

void AccountManager::JoinEndedLoginThreads()
{
    std::lock_guard lock(threadsMutex_);
    for (auto it = loginThreads_.begin(); it != loginThreads_.end();) {
        if (it->box->WorkerEnded()) {
            it->thread.join();
            it = loginThreads_.erase(it);
        } else {
            ++it;
        }
    }
}

size_t AccountManager::LoginsStillEnding()
{
    JoinEndedLoginThreads();
    std::lock_guard lock(threadsMutex_);
    return loginThreads_.size();
}

bool AccountManager::LoginWithProgress(CAccount& account)
{
    if (account.LoggedIn())
        return true;
    JoinEndedLoginThreads();
    if (EarlierLoginStillRunning(account)) {
        services_.log.Warning(account, "An aborted login attempt is still ending");
        Tell(services_.ui, "The last login attempt for " + account.LogName() +
                               " has not ended yet. Please try again in a minute.");
        return false;
    }

    account.Update([](AccountState& state) { state.busy = true; });
    auto box = std::make_shared<LoginProgressBox>(
        Printf("Logging into %s as %s. Hit Cancel to abort this login attempt.", account.ProviderName(), account.Login()),
        services_.settings.LoginAbortMinutes());
    std::shared_ptr<CAccount> keep = account.shared_from_this();
    {
        std::lock_guard lock(threadsMutex_);
        loginThreads_.push_back({keep, box, std::thread([this, keep, box] { box->Finish(Login(*keep, *box)); })});
    }

    services_.ui.RunLoginProgress(*box);

    bool loggedIn = box->Result() == LoginBoxResult::Ok && box->StoredResult();
    if (loggedIn) {
        services_.hooks.OpenFolderSummary(*account.Inbox());
    } else {
        account.Update([](AccountState& state) { state.checked = false; });
        services_.ui.TreeChanged({TreeChangeKind::AccountUnchecked, &account.Provider(), &account});
    }
    account.Update([](AccountState& state) { state.busy = false; });
    JoinEndedLoginThreads();
    return loggedIn;
}

void AccountManager::ReadSettingsFile(CAccount& account)
{
    std::optional<AccountFileSettings> file = ReadAccountSettingsFile(account.Folder());
    const std::string defaultSound = DefaultSoundPath(services_.paths).string();
    account.Update([&](AccountState& state) {
        if (state.settingsFileRead)
            return;
        state.settingsFileRead = true;
        if (!file) {
            if (state.soundPath.empty())
                state.soundPath = defaultSound;
            return;
        }
        state.soundPath = file->soundPath;
        state.pop.emailAddress = file->emailAddress.value_or(state.pop.emailAddress);
        state.pop.displayName = file->displayName.value_or(state.pop.displayName);
        state.pop.smtpServer = file->smtpServer.value_or(state.pop.smtpServer);
        state.pop.pop3Server = file->pop3Server.value_or(state.pop.pop3Server);
        state.pop.deleteFromServer = file->deleteFromServer.value_or(state.pop.deleteFromServer);
    });
}

// The login box, until the person gives a usable login or cancels.
bool AccountManager::AskCredentials(CAccount& account, LoginProgressBox& box)
{
    LoginForm form = FormFor(account);
    for (;;) {
        if (box.Abandoned() || !services_.ui.AskLogin(form) || box.Abandoned())
            return false;
        if (!Refuse(UnsafeAccountName(form.login, account.ProviderName())))
            break;
    }
    ApplyLoginForm(account, form, false);
    account.Update([](AccountState& state) { state.credentialsAccepted = true; });
    return true;
}

bool AccountManager::Login(CAccount& account, LoginProgressBox& box)
{
    if (account.LoggedIn())
        return true;
    services_.hooks.LoadFilters(account);
    services_.hooks.LoadAddressBook(account);
    ReadSettingsFile(account);

    const bool online = services_.online.Online();
    CMailProvider& provider = account.ProviderObject();
    bool accepted = account.State().credentialsAccepted;
    do {
        if (!accepted) {
            if (!online) {
                // Offline nothing can be asked or tried: without a known
                // password this login can only fail.
                services_.log.Warning(account, "Cannot log in while offline: the password is not known");
                return false;
            }
            if (!AskCredentials(account, box))
                return false;
        }
        services_.ui.SetWaitCursor(true);
        AccountState state = account.State();
        provider.SetUserProfile(state.isPop ? PopAccountLine(state.login, state.pop) : state.login, state.password);
        accepted = online ? provider.DoLogin() : true;
        services_.ui.StopBusyAnimation();
        services_.ui.SetWaitCursor(false);
        if (box.Abandoned())
            return false;
        account.Update([&](AccountState& changed) { changed.credentialsAccepted = accepted; });
        if (!accepted)
            Tell(services_.ui, Printf("Login for %s on %s failed", state.login, account.ProviderName()));
    } while (!accepted);

    if (online)
        StartUpdateCheckOnce();
    box.SetText(Printf("Getting list of folders on %s for %s. Press Cancel to abort.", account.ProviderName(),
                       account.Login()));
    if (online)
        AddServiceFolders(account, box);
    if (online && !account.State().addressBookLoaded)
        FetchAddressBook(account, box);
    services_.ui.StopBusyAnimation();
    // Logged in only once the whole login ran and nobody gave up on it.
    if (box.Abandoned())
        return false;
    account.Update([](AccountState& state) { state.loggedIn = true; });
    return true;
}

void AccountManager::AddServiceFolders(CAccount& account, LoginProgressBox& box)
{
    CStringArray names;
    if (!account.ProviderObject().GetFolders(names))
        services_.log.Warning(account, "The list of folders could not be fetched");
    if (box.Abandoned())
        return;
    const AccountState state = account.State();
    for (const std::string& name : names) {
        size_t index = account.Folders().size();
        bool checked = index < 16 && (state.folderMask & (1u << index)) != 0;
        auto folder = account.AddFolder(name, state.inTree, checked);
        if (folder->inTree)
            services_.ui.TreeChanged({TreeChangeKind::FolderAdded, &account.Provider(), &account, folder.get()});
    }
}

// The service's book replaces the one read from disk, except for the
// entries added here and not yet sent to the service (Marked): they stay,
// and a downloaded entry of the same name does not come in beside them.
void AccountManager::FetchAddressBook(CAccount& account, LoginProgressBox& box)
{
    box.SetText(Printf("Getting address book on %s for %s. Press Cancel to abort.", account.ProviderName(),
                       account.Login()));
    CAddressArray downloaded;
    account.ProviderObject().GetAddressBook(downloaded);
    // An abandoned login leaves the book as it was.
    if (box.Abandoned())
        return;
    account.Update([](AccountState& state) { state.addressBookLoaded = true; });
    account.UpdateAddressBook([&downloaded](CAddressArray& book) {
        book.erase(std::remove_if(book.begin(), book.end(), [](const AddressEntry& entry) { return !entry.Marked; }),
                   book.end());
        const size_t kept = book.size();
        for (AddressEntry& entry : downloaded) {
            auto sameName = [&entry](const AddressEntry& local) { return EqualWithoutCase(local.Name, entry.Name); };
            if (std::any_of(book.begin(), book.begin() + static_cast<long>(kept), sameName))
                continue;
            entry.Marked = false;
            book.push_back(std::move(entry));
        }
    });
}

void AccountManager::StartUpdateCheckOnce()
{
    if (!updateCheckStarted_.exchange(true))
        services_.hooks.StartUpdateCheck();
}

}  // namespace korvalin
