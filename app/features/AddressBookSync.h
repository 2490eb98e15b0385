// "S&ynchronize Address Book": every account's new entries go up to its
// service, then the service's book comes down and fills in the names the
// local book lacks. Local entries always win over the service's.
#pragma once

namespace korvalin {

class AddressBooks;
class Engine;

inline constexpr const char* kAddressBookConflicts =
    "Conflicts were found between in the local and server address books. The local address book entries have been "
    "saved.";

inline constexpr const char* kAddressBookSyncRunning =
    "The address books are being synchronized already. Please wait until that has finished.";

// Runs the provider calls on a thread of their own while the UI is kept
// alive. Accounts that are not logged in (and every account while offline)
// cannot reach their service: their entries stay marked for a later upload.
// An account logged off meanwhile, and every account once Exit saves, is
// left as it was saved: the call under way ends, and no other one follows.
void SynchronizeAddressBooks(Engine& engine, AddressBooks& books);

}  // namespace korvalin
