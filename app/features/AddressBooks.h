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

#include <filesystem>
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

private:
    struct BookState {
        bool held = false;
        bool loadSucceeded = false;
    };

    Engine& engine_;
    PerAccount<BookState> books_;
};

}  // namespace korvalin
