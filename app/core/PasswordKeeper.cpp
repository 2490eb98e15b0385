#include "PasswordKeeper.h"

#include "DiagnosticLog.h"
#include "Keyring.h"

#include <cstdio>
#include <vector>

namespace korvalin {

PasswordKeeper::PasswordKeeper(DiagnosticLog& log, PasswordKeyring* keyring) : log_(log), keyring_(keyring) {}

bool PasswordKeeper::UsableLocked()
{
    if (!usable_) {
        std::string why;
        if (keyring_ == nullptr) {
            usable_ = false;
        } else if (keyring_->Reachable(&why)) {
            usable_ = true;
            log_.Info(kCommon, "Saved passwords are kept in the desktop keyring");
        } else {
            GiveUpLocked(why);
        }
    }
    return *usable_;
}

void PasswordKeeper::GiveUpLocked(const std::string& why)
{
    usable_ = false;
    // Also on standard error: the log may not be recording yet at start.
    std::fprintf(stderr, "korvalin: the desktop keyring cannot be used (%s); saved passwords stay in the settings file\n",
                 why.c_str());
    log_.Warning(kCommon, "The desktop keyring cannot be used (%s); saved passwords stay in the settings file",
                 why.c_str());
}

bool PasswordKeeper::KeyringUsable()
{
    std::lock_guard lock(mutex_);
    return UsableLocked();
}

std::optional<std::string> PasswordKeeper::Recall(const std::string& provider, const std::string& login)
{
    std::lock_guard lock(mutex_);
    if (!UsableLocked())
        return std::nullopt;
    KeyringLookup found = keyring_->Lookup(provider, login);
    switch (found.state) {
    case KeyringLookup::State::Found:
        known_[{provider, login}] = found.password;
        forgotten_.erase({provider, login});
        return found.password;
    case KeyringLookup::State::Missing:
        log_.Warning(kCommon, "The desktop keyring holds no password for %s@%s", login.c_str(), provider.c_str());
        return std::nullopt;
    case KeyringLookup::State::Failed:
        GiveUpLocked(found.error);
        return std::nullopt;
    }
    return std::nullopt;
}

bool PasswordKeeper::Keep(const std::string& provider, const std::string& login, const std::string& password)
{
    std::lock_guard lock(mutex_);
    if (!UsableLocked())
        return false;
    const Key key{provider, login};
    if (auto known = known_.find(key); known != known_.end() && known->second == password)
        return true;
    if (Status stored = keyring_->Store(provider, login, password); !stored) {
        GiveUpLocked(stored.error);
        return false;
    }
    known_[key] = password;
    forgotten_.erase(key);
    return true;
}

void PasswordKeeper::Forget(const std::string& provider, const std::string& login)
{
    std::lock_guard lock(mutex_);
    const Key key{provider, login};
    if (forgotten_.count(key) != 0 || !UsableLocked())
        return;
    known_.erase(key);
    if (Status removed = keyring_->Remove(provider, login); !removed) {
        log_.Error(kCommon, "The password of %s@%s stays in the desktop keyring: %s", login.c_str(),
                   provider.c_str(), removed.error.c_str());
        return;
    }
    forgotten_.insert(key);
}

void PasswordKeeper::ForgetAllBut(const std::set<std::pair<std::string, std::string>>& accounts)
{
    std::vector<Key> gone;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [key, password] : known_) {
            if (accounts.count(key) == 0)
                gone.push_back(key);
        }
    }
    for (const Key& key : gone)
        Forget(key.first, key.second);
}

}  // namespace korvalin
