// One mailbox at one provider (CAccount) and its folders (MailFolder).
//
// An account is owned by its provider's entry and shared with the threads
// that work for it (logins, checks), so a thread that was abandoned still
// finds it alive. Its changeable state sits behind one mutex: read it with
// State() or the shorthands, change it with Update().
#pragma once

#include "DiagnosticLog.h"
#include "ProviderLibrary.h"
#include "UiPort.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvalin {

class CAccount;
struct ProviderEntry;

// The name and account never change; the tree state is changed by the UI
// thread and read by check threads.
struct MailFolder {
    MailFolder(std::string folderName, CAccount* owner) : name(std::move(folderName)), account(owner) {}
    const std::string name;
    CAccount* const account;
    std::atomic<bool> inTree{false};   // has an item in the account tree
    std::atomic<bool> checked{false};  // its tree item is checked for monitoring
};

struct AccountState {
    std::string login;
    std::string password;
    bool savePassword = false;
    bool credentialsAccepted = false;  // a password is known and was not refused by the last login
    bool loggedIn = false;
    bool busy = false;  // a login with progress box runs for it
    bool isPop = false;
    PopSettings pop;
    std::string soundPath;
    bool settingsFileRead = false;  // "Sound.kvx" was read (first logon or Properties)
    bool addressBookLoaded = false;
    uint16_t folderMask = 1;  // bit k: folder k is checked for monitoring
    bool inTree = false;
    bool checked = false;
};

// Where the providers' "folder changed" calls go: the engine sets a target
// while its checks run and clears it before they end; a call that comes
// while none is set is dropped. Clear waits for a call under way.
class FolderChangeRoute {
public:
    using Target = std::function<void(CAccount& account, int folder)>;
    void Set(Target target);
    void Clear();
    void Deliver(CAccount& account, int folder);

private:
    std::mutex mutex_;
    Target target_;
};

// The link object handed to the account's provider object.
class AccountLink : public CHostLink {
public:
    explicit AccountLink(std::weak_ptr<CAccount> owner, std::shared_ptr<FolderChangeRoute> changes = {})
        : account(std::move(owner)), route(std::move(changes))
    {
    }
    // Called by a provider with push, on its own thread.
    void FolderChanged(int folder) override;
    std::weak_ptr<CAccount> account;
    std::shared_ptr<FolderChangeRoute> route;
};

class CAccount : public LogSubject, public std::enable_shared_from_this<CAccount> {
public:
    static constexpr const char* kInbox = "Inbox";

    // folder is the account folder on disk ("<data root>/Accounts/<login>.<provider>").
    CAccount(ProviderEntry& provider, std::string login, uint16_t folderMask, ProviderObject object,
             std::filesystem::path folder);
    ~CAccount();
    CAccount(const CAccount&) = delete;
    CAccount& operator=(const CAccount&) = delete;

    // Hands the provider object its link to this account; call once after creation.
    void AttachHostLink(std::shared_ptr<FolderChangeRoute> changes = {});

    ProviderEntry& Provider() const { return provider_; }
    const std::string& ProviderName() const;
    CMailProvider& ProviderObject() const { return *object_; }
    // Fixed at creation: a later change of the login does not move it.
    const std::filesystem::path& Folder() const { return folder_; }

    std::string LogName() const override;  // "login@provider"

    AccountState State() const;
    template <typename Change>
    void Update(Change&& change)
    {
        std::lock_guard lock(mutex_);
        change(state_);
    }
    std::string Login() const;
    bool LoggedIn() const;

    std::vector<std::shared_ptr<MailFolder>> Folders() const;
    std::shared_ptr<MailFolder> Inbox() const;
    // Appends a folder whose tree state is set before other threads can see it.
    std::shared_ptr<MailFolder> AddFolder(const std::string& name, bool inTree = false, bool checked = false);
    // Removes every folder but the inbox and returns them.
    std::vector<std::shared_ptr<MailFolder>> RemoveFoldersAfterInbox();

    CAddressArray AddressBook() const;
    void SetAddressBook(CAddressArray book);
    // Changes the address book under the account's lock, so that two changes
    // made at once both count.
    template <typename Change>
    void UpdateAddressBook(Change&& change)
    {
        std::lock_guard lock(mutex_);
        change(addressBook_);
    }

private:
    ProviderEntry& provider_;
    korvalin::ProviderObject object_;
    std::filesystem::path folder_;

    mutable std::mutex mutex_;
    AccountState state_;
    std::vector<std::shared_ptr<MailFolder>> folders_;
    CAddressArray addressBook_;
};

// The 16-bit folder mask of the account's tree checks: bit k for folder k
// (folders past the sixteenth are ignored); 0 when the account is unchecked.
uint16_t FolderMaskFromChecks(const CAccount& account);

}  // namespace korvalin
