// Loading and saving the user information in the user store: the settings
// record ("Dravnek"), one account list per provider, "HiddenProv"; the first
// run, the upgrade path, the mail-link check, and Clear all settings.
#pragma once

#include "CoreServices.h"

#include <string>
#include <vector>

namespace korvalin {

class AccountManager;
class LogWindow;
class PasswordKeeper;
class ProviderHost;
class UserStore;

// "vendor.web" from the data root's hosts.conf, or its built-in default.
std::string VendorWeb(const PlatformPaths& paths);
// The news and tips page on the vendor's web site.
std::string TipsPageUrl(const PlatformPaths& paths);

inline constexpr size_t kStoredValueLimit = 5100;  // the most bytes a value is read or built into
inline constexpr size_t kAccountListLimit = 5000;  // an account list stops growing past this

class UserInformation {
public:
    UserInformation(const CoreServices& services, UserStore& store, ProviderHost& providers, AccountManager& accounts,
                    LogWindow& logWindow, PasswordKeeper& passwords);

    // Reads everything, or runs the first run when the store does not exist
    // yet; then the mail-link check and the end of loading.
    void Load();
    void Save();
    void ClearAllSettings();

    // The account list value of one provider, and whether it hit the limit.
    // With passwords, a saved password that goes into the keyring leaves its
    // field empty, and an account that saves none has its keyring item removed.
    struct BuiltList {
        std::string value;
        bool overLimit = false;  // grew past the limit: the person is told
    };
    static BuiltList BuildAccountList(const ProviderEntry& provider, PasswordKeeper* passwords = nullptr);

private:
    void FirstRun();
    bool LoadPath();  // true when the Options sheet must be opened
    // True when a password of the store file moved into the keyring.
    bool LoadAccounts(ProviderEntry& provider);
    // Rewrites the account lists of providers without the passwords that
    // moved into the keyring.
    void RemoveMovedPasswords(const std::vector<ProviderEntry*>& providers);
    void CheckMailtoHandler();
    void EndOfLoading(bool openOptions);

    CoreServices services_;
    UserStore& store_;
    ProviderHost& providers_;
    AccountManager& accounts_;
    LogWindow& logWindow_;
    PasswordKeeper& passwords_;
};

}  // namespace korvalin
