#include "AddressBooks.h"

#include "AccountFolder.h"
#include "AddressBookFile.h"
#include "AtomicFile.h"
#include "Engine.h"

namespace korvalin {

std::filesystem::path AddressBooks::FilePath(const CAccount& account)
{
    return account.Folder() / kAddressBookFileName;
}

void AddressBooks::LoadAddressBook(CAccount& account)
{
    // A POP3 mailbox keeps no address book on its server: the login must not
    // replace the book read here by the (always empty) one it would fetch.
    if (account.State().isPop)
        account.Update([](AccountState& state) { state.addressBookLoaded = true; });
    if (books_.With(account, [](BookState& state) { return state.held; }))
        return;
    std::string error;
    std::optional<std::string> text = ReadWholeFile(FilePath(account), &error);
    if (!text && std::filesystem::exists(FilePath(account)))
        engine_.Log().Warning(account, "The address book cannot be read: %s", error.c_str());
    const bool taken = books_.With(account, [&](BookState& state) {
        if (state.held)
            return false;  // read meanwhile by another caller
        state.held = true;
        state.loadSucceeded = text.has_value();
        return true;
    });
    if (taken)
        account.SetAddressBook(text ? ParseAddressBook(*text) : CAddressArray{});
}

void AddressBooks::EnsureLoaded(CAccount& account)
{
    LoadAddressBook(account);
}

bool AddressBooks::LastLoadSucceeded(const CAccount& account) const
{
    return books_.With(account, [](const BookState& state) { return state.loadSucceeded; });
}

bool AddressBooks::SaveAddressBook(CAccount& account, bool release)
{
    Status written;
    {
        std::lock_guard turn(turnMutex_);
        const bool held = books_.With(account, [release](BookState& state) {
            // A log-off ends the synchronisation of this book, even when the
            // book cannot be written and stays held.
            if (release)
                ++state.releases;
            return state.held;
        });
        if (!held) {
            engine_.Log().Info(account, "The address book was not read in this run; its file stays as it is");
            return true;
        }
        written = CreateFolder(account.Folder());
        if (written)
            written = WriteFileAtomically(FilePath(account), AddressBookText(account.AddressBook()), 0600);
        // Log-off empties the book after this: the file is what counts now.
        if (written && release)
            books_.With(account, [](BookState& state) { state.held = false; });
    }
    if (!written) {
        engine_.Log().Error(account, "Saving the address book: %s", written.error.c_str());
        Tell(engine_.Ui(), "The address book of " + account.LogName() + " could not be written: " + written.error);
        Tell(engine_.Ui(), kAddressBookSaveFailed);
        return false;
    }
    return true;
}

AddressBooks::SyncTicket AddressBooks::SyncTicketFor(const CAccount& account) const
{
    return books_.With(account, [](const BookState& state) { return state.releases; });
}

bool AddressBooks::SyncMayGoOnLocked(const CAccount& account, SyncTicket ticket) const
{
    return !syncStopped_ &&
           books_.With(account, [ticket](const BookState& state) { return state.held && state.releases == ticket; });
}

bool AddressBooks::SyncMayGoOn(const CAccount& account, SyncTicket ticket) const
{
    std::lock_guard turn(turnMutex_);
    return SyncMayGoOnLocked(account, ticket);
}

bool AddressBooks::ChangeForSync(CAccount& account, SyncTicket ticket, const std::function<void(CAddressArray&)>& change)
{
    std::lock_guard turn(turnMutex_);
    if (!SyncMayGoOnLocked(account, ticket))
        return false;
    account.UpdateAddressBook(change);
    return true;
}

void AddressBooks::StopSynchronizing()
{
    std::lock_guard turn(turnMutex_);
    syncStopped_ = true;
}

void AddressBooks::SaveAddress(CAccount& account, const std::string& name, const std::string& address)
{
    EnsureLoaded(account);
    CAddressArray book = account.AddressBook();
    book.push_back({true, name, address});
    account.SetAddressBook(std::move(book));
}

}  // namespace korvalin
