// A per-user password keyring: the desktop's Secret Service
// (org.freedesktop.secrets on the session bus) reached through libsecret.
// Each password is one item with the attributes program, provider and login
// and a label a person can read in the desktop's password manager.
//
// Every call is bounded: the bus and the service are looked for first, and
// a call that has not ended within its time-out (an unlock prompt nobody
// answers, a service that hangs) is cancelled and reported as a failure.
#pragma once

#include "Status.h"

#include <chrono>
#include <memory>
#include <string>

namespace korvalin {

struct KeyringLookup {
    enum class State { Found, Missing, Failed };
    State state = State::Missing;
    std::string password;  // when Found
    std::string error;     // when Failed
};

class PasswordKeyring {
public:
    virtual ~PasswordKeyring() = default;

    // Whether a keyring service can be reached at all; why not in *why.
    virtual bool Reachable(std::string* why) = 0;
    virtual KeyringLookup Lookup(const std::string& provider, const std::string& login) = 0;
    // Stores (or replaces) the password of one account.
    virtual Status Store(const std::string& provider, const std::string& login, const std::string& password) = 0;
    // Removes the password of one account; succeeds when there is none.
    virtual Status Remove(const std::string& provider, const std::string& login) = 0;
};

// The value of the "program" attribute of every item.
inline constexpr const char* kKeyringProgram = "korvalin";

// The readable label of an account's item.
std::string KeyringLabel(const std::string& provider, const std::string& login);

// The Secret Service keyring; each call gives up after timeout.
std::unique_ptr<PasswordKeyring> MakeSecretServiceKeyring(std::chrono::milliseconds timeout);

// The keyring the program uses: the Secret Service, unless the environment
// says KORVALIN_KEYRING=off (then none: passwords stay in the store file).
// KORVALIN_KEYRING_TIMEOUT (seconds) changes the time-out of 30 s.
std::unique_ptr<PasswordKeyring> MakeProgramKeyring();

}  // namespace korvalin
