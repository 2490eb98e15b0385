// The accounts' address books on disk: "AddrBook.kvx" in each account
// folder, read when the account logs in and written when it logs off and at
// exit. The book itself is the account's (CAccount::AddressBook).
//
// A book is written only while it is held in memory: read at a login, or
// read by EnsureLoaded before the dialog, "Save Address", a synchronisation
// or a recipient expansion used it. An account that was never logged in, or
// whose book was emptied by its log-off, therefore never overwrites its
// file with an empty book.
#pragma once

#include "MailProvider.h"
#include "PerAccount.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

namespace korvalin {

class CAccount;
class Engine;

inline constexpr const char* kAddressBookSaveFailed = "Error saving address book";

class AddressBooks {
public:
    explicit AddressBooks(Engine& engine) : engine_(engine) {}

    // At login: reads the file, unless the book held now was not written yet.
    void LoadAddressBook(CAccount& account);
    // At log-off (release: the book then leaves memory) and exit. On
    // failure the person is told, false is returned and the book stays held.
    bool SaveAddressBook(CAccount& account, bool release);
    // Reads the book from its file if it is not held yet.
    void EnsureLoaded(CAccount& account);

    // Whether the last reading of the file read it to its end.
    bool LastLoadSucceeded(const CAccount& account) const;
    static std::filesystem::path FilePath(const CAccount& account);

    // "Save Address" of a mail window: a marked entry, not checked.
    void SaveAddress(CAccount& account, const std::string& name, const std::string& address);

    // The synchronisation and the saves take turns on a book. The
    // synchronisation takes a ticket for each book when it starts; its
    // provider calls and its changes go ahead only while that book has not
    // been released since (log-off, whether written or not) and the program
    // has not begun to save for exit. A change let through is whole before a
    // save begins, and none comes after the save that ended the ticket.
    using SyncTicket = uint64_t;
    SyncTicket SyncTicketFor(const CAccount& account) const;
    bool SyncMayGoOn(const CAccount& account, SyncTicket ticket) const;
    // Runs change on the account's book if the ticket still holds; false when not.
    bool ChangeForSync(CAccount& account, SyncTicket ticket, const std::function<void(CAddressArray&)>& change);
    // Exit saves next: from now on a running synchronisation neither calls a
    // service nor changes a book.
    void StopSynchronizing();

private:
    struct BookState {
        bool held = false;
        bool loadSucceeded = false;
        uint64_t releases = 0;  // log-offs of this book in this run
    };

    bool SyncMayGoOnLocked(const CAccount& account, SyncTicket ticket) const;

    Engine& engine_;
    PerAccount<BookState> books_;
    mutable std::mutex turnMutex_;  // a save and a synchronisation's change, one at a time
    bool syncStopped_ = false;      // under turnMutex_
};

}  // namespace korvalin
