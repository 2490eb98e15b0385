// Where saved passwords live: in the desktop's keyring when one can be used,
// otherwise in the store file as before. The store file's record of an
// account whose password is in the keyring keeps an empty password field.
//
// The keyring is looked for once per run. When none can be reached, or a
// call fails (it is locked and the person declined, it did not answer), the
// log says so once and the store file is used for the rest of the run.
// Callable from any thread.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace korvalin {

class DiagnosticLog;
class PasswordKeyring;

class PasswordKeeper {
public:
    // keyring may be null: the store file keeps every password.
    PasswordKeeper(DiagnosticLog& log, PasswordKeyring* keyring);

    bool KeyringUsable();

    // The keyring's password of an account whose record left it there.
    std::optional<std::string> Recall(const std::string& provider, const std::string& login);
    // Puts the password into the keyring (once per value and run); true when
    // it is there, so the store file must keep the field empty.
    bool Keep(const std::string& provider, const std::string& login, const std::string& password);
    // The account keeps no password any more, or is gone.
    void Forget(const std::string& provider, const std::string& login);
    // Forgets every password this run put into or read from the keyring whose
    // account is not in accounts (renamed or deleted ones).
    void ForgetAllBut(const std::set<std::pair<std::string, std::string>>& accounts);

private:
    using Key = std::pair<std::string, std::string>;  // provider, login

    bool UsableLocked();
    void GiveUpLocked(const std::string& why);

    DiagnosticLog& log_;
    PasswordKeyring* keyring_;
    std::mutex mutex_;
    std::optional<bool> usable_;
    std::map<Key, std::string> known_;  // what the keyring holds, as far as this run knows
    std::set<Key> forgotten_;           // cleared in this run
};

}  // namespace korvalin
