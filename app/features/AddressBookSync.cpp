#include "AddressBookSync.h"

#include "AddressBooks.h"
#include "Engine.h"
#include "TextFormat.h"

#include <atomic>
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

void Upload(CAccount& account)
{
    CAddressArray book = account.AddressBook();
    CAddressArray uploaded;
    for (const AddressEntry& entry : book) {
        if (!entry.Marked)
            continue;
        account.ProviderObject().AddAddress(entry.Name, entry.Address);
        uploaded.push_back(entry);
    }
    if (uploaded.empty())
        return;
    // The book may have changed during the calls: clear exactly the entries sent.
    book = account.AddressBook();
    for (const AddressEntry& sent : uploaded) {
        for (AddressEntry& entry : book) {
            if (entry.Marked && entry.Name == sent.Name && entry.Address == sent.Address) {
                entry.Marked = false;
                break;
            }
        }
    }
    account.SetAddressBook(std::move(book));
}

// Adds the service's entries whose names the local book lacks; true when a
// local entry of the same name has another address.
bool Download(CAccount& account)
{
    CAddressArray fresh;
    account.ProviderObject().GetAddressBook(fresh);
    CAddressArray book = account.AddressBook();
    bool conflict = false;
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
    account.SetAddressBook(std::move(book));
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
    for (const auto& account : accounts)
        books.EnsureLoaded(*account);

    std::atomic<bool> done{false};
    bool conflict = false;
    std::thread worker([&] {
        const size_t steps = 2 * accounts.size();
        size_t counter = 0;
        for (const auto& account : accounts) {
            const bool reachable = engine.Online().Online() && account->LoggedIn();
            ui.SetStatusText(kProgressPane, PercentText(++counter, steps));
            ui.SetStatusText(kMessagePane, "Uploading Address book");
            if (reachable)
                Upload(*account);
            ui.SetStatusText(kProgressPane, PercentText(++counter, steps));
            ui.SetStatusText(kMessagePane, "Downloading Address book");
            if (reachable && Download(*account))
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
