#include "AddressBookSync.h"

#include "AddressBooks.h"
#include "Engine.h"
#include "TextFormat.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

namespace korvalin {
namespace {

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Sends the entries added here (Marked), one call at a time. An entry loses
// its mark before its call (AddAddress reports nothing either way): a book
// saved while the call runs then says it was sent, and it is never sent twice.
void Upload(CAccount& account, AddressBooks& books, AddressBooks::SyncTicket ticket)
{
    for (;;) {
        std::optional<AddressEntry> next;
        books.ChangeForSync(account, ticket, [&next](CAddressArray& book) {
            auto marked = std::find_if(book.begin(), book.end(), [](const AddressEntry& entry) { return entry.Marked; });
            if (marked == book.end())
                return;
            marked->Marked = false;
            next = *marked;
        });
        if (!next)
            return;
        account.ProviderObject().AddAddress(next->Name, next->Address);
    }
}

// Adds the service's entries whose names the local book lacks; true when a
// local entry of the same name has another address. A book logged off (or
// saved for exit) while the service answers is left as it was saved.
bool Download(CAccount& account, AddressBooks& books, AddressBooks::SyncTicket ticket)
{
    if (!books.SyncMayGoOn(account, ticket))
        return false;
    CAddressArray fresh;
    account.ProviderObject().GetAddressBook(fresh);
    bool conflict = false;
    books.ChangeForSync(account, ticket, [&](CAddressArray& book) {
        for (AddressEntry& downloaded : fresh) {
            downloaded.Name = Trimmed(downloaded.Name);
            bool found = false;
            for (AddressEntry& local : book) {
                local.Name = Trimmed(local.Name);
                if (local.Name == downloaded.Name) {
                    found = true;
                    conflict = conflict || local.Address != downloaded.Address;
                    break;
                }
            }
            if (!found) {
                downloaded.Marked = false;
                book.push_back(downloaded);
            }
        }
    });
    return conflict;
}

}  // namespace

void SynchronizeAddressBooks(Engine& engine, AddressBooks& books)
{
    UiPort& ui = engine.Ui();
    // The wait below serves the event loop: a second Synchronize meanwhile
    // would upload the same entries again.
    static std::atomic<bool> running{false};
    if (running.exchange(true)) {
        engine.Log().Warning(kCommon, "The address books are being synchronised already");
        Tell(ui, kAddressBookSyncRunning, MessageIcon::Information);
        return;
    }
    struct Ended {
        ~Ended() { running = false; }
    } ended;
    ui.SetWaitCursor(true);
    ui.StartBusyAnimation();
    const std::vector<std::shared_ptr<CAccount>> accounts = engine.Accounts().AllAccounts();
    std::vector<AddressBooks::SyncTicket> tickets;
    for (const auto& account : accounts) {
        books.EnsureLoaded(*account);
        tickets.push_back(books.SyncTicketFor(*account));
    }

    std::atomic<bool> done{false};
    bool conflict = false;
    std::thread worker([&] {
        const size_t steps = 2 * accounts.size();
        size_t counter = 0;
        for (size_t i = 0; i < accounts.size(); ++i) {
            CAccount* account = accounts[i].get();
            const bool reachable = engine.Online().Online() && account->LoggedIn();
            ui.SetStatusText(kProgressPane, PercentText(++counter, steps));
            ui.SetStatusText(kMessagePane, "Uploading Address book");
            if (reachable)
                Upload(*account, books, tickets[i]);
            ui.SetStatusText(kProgressPane, PercentText(++counter, steps));
            ui.SetStatusText(kMessagePane, "Downloading Address book");
            if (reachable && Download(*account, books, tickets[i]))
                conflict = true;
            if (!reachable)
                engine.Log().Info(*account, "Not logged in: its address book is not synchronised");
        }
        done = true;
    });
    ui.KeepAliveUntil([&] { return done.load(); });
    worker.join();

    ui.SetStatusText(kMessagePane, "");
    ui.StopBusyAnimation();
    ui.SetWaitCursor(false);
    if (conflict)
        Tell(ui, kAddressBookConflicts);
}

}  // namespace korvalin
