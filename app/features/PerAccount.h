// State that this part of the program keeps for each account, beside the
// account object itself. Entries are found by the account's address and
// checked against a weak reference, so an account created later at the same
// address never inherits another account's state. Guarded by one mutex:
// callers work on an entry inside With() and never call out from there.
// Accounts are always owned by shared pointers (AccountManager::AddAccount).
#pragma once

#include "Account.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace korvalin {

template <typename State>
class PerAccount {
public:
    template <typename Work>
    auto With(const CAccount& account, Work&& work)
    {
        std::lock_guard lock(mutex_);
        return work(EntryLocked(account));
    }

    template <typename Work>
    auto With(const CAccount& account, Work&& work) const
    {
        std::lock_guard lock(mutex_);
        auto found = entries_.find(&account);
        static const State kEmpty{};
        const bool current = found != entries_.end() && found->second.owner.lock().get() == &account;
        return work(current ? found->second.state : kEmpty);
    }

private:
    struct Entry {
        std::weak_ptr<const CAccount> owner;
        State state;
    };

    State& EntryLocked(const CAccount& account)
    {
        Entry& entry = entries_[&account];
        if (entry.owner.lock().get() != &account) {
            entry.owner = account.weak_from_this();
            entry.state = State{};
        }
        return entry.state;
    }

    mutable std::mutex mutex_;
    std::map<const CAccount*, Entry> entries_;
};

}  // namespace korvalin
