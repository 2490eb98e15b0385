#include "AddressBookDialog.h"

#include "AddressBooks.h"
#include "Engine.h"

namespace korvalin {

std::unique_ptr<AddressBookDialog> AddressBookDialog::OpenStandAlone(Engine& engine, AddressBooks& books)
{
    if (engine.Accounts().AllAccounts().empty()) {
        Tell(engine.Ui(), kNoAddressBookAccounts);
        return nullptr;
    }
    return std::unique_ptr<AddressBookDialog>(new AddressBookDialog(engine, books, false, 0, {}));
}

std::unique_ptr<AddressBookDialog> AddressBookDialog::OpenRecipientPicker(Engine& engine, AddressBooks& books,
                                                                          CAccount& sender, RecipientFields fields)
{
    auto dialog = std::unique_ptr<AddressBookDialog>(new AddressBookDialog(engine, books, true, 0, std::move(fields)));
    for (size_t i = 0; i < dialog->accounts_.size(); ++i) {
        if (dialog->accounts_[i].get() == &sender) {
            dialog->ChooseAccount(static_cast<int>(i));
            return dialog;
        }
    }
    // A sender missing from the lists (it was deleted meanwhile) is still shown.
    dialog->accounts_.insert(dialog->accounts_.begin(), sender.shared_from_this());
    dialog->account_ = -1;
    dialog->ChooseAccount(0);
    return dialog;
}

AddressBookDialog::AddressBookDialog(Engine& engine, AddressBooks& books, bool picker, int account,
                                     RecipientFields fields)
    : engine_(engine),
      books_(books),
      accounts_(engine.Accounts().AllAccounts()),
      picker_(picker),
      account_(account),
      recipients_(std::move(fields))
{
    if (!accounts_.empty())
        books_.EnsureLoaded(Shown());
}

AddressBookDialogState AddressBookDialog::State() const
{
    AddressBookDialogState state;
    for (const auto& account : accounts_)
        state.accounts.push_back(account->Login() + "@" + account->ProviderName());
    state.account = account_;
    state.recipientControls = picker_;
    state.recipients = recipients_;
    if (account_ < 0 || accounts_.empty())
        return state;
    const CAddressArray book = Shown().AddressBook();
    for (const AddressEntry& entry : book)
        state.names.push_back(entry.Name);
    if (selected_ >= 0 && static_cast<size_t>(selected_) < book.size()) {
        const AddressEntry& entry = book[static_cast<size_t>(selected_)];
        state.selected = selected_;
        state.address = entry.Address;
        state.addressEnabled = entry.Marked;
        state.deleteEnabled = deleteEnabled_;
    }
    return state;
}

void AddressBookDialog::ChooseAccount(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= accounts_.size())
        return;
    account_ = index;
    books_.EnsureLoaded(Shown());
    selected_ = -1;
    deleteEnabled_ = false;
}

void AddressBookDialog::Select(int index)
{
    const CAddressArray book = Shown().AddressBook();
    if (index < 0 || static_cast<size_t>(index) >= book.size()) {
        selected_ = -1;
        deleteEnabled_ = false;
        return;
    }
    selected_ = index;
    deleteEnabled_ = book[static_cast<size_t>(index)].Marked;
}

void AddressBookDialog::TypeAddress(const std::string& address)
{
    CAddressArray book = Shown().AddressBook();
    if (selected_ < 0 || static_cast<size_t>(selected_) >= book.size() || !book[static_cast<size_t>(selected_)].Marked)
        return;
    book[static_cast<size_t>(selected_)].Address = address;
    Shown().SetAddressBook(std::move(book));
}

void AddressBookDialog::Pick(std::string& field)
{
    const CAddressArray book = Shown().AddressBook();
    if (!picker_ || selected_ < 0 || static_cast<size_t>(selected_) >= book.size())
        return;
    const std::string& address = book[static_cast<size_t>(selected_)].Address;
    field = field.empty() ? address : address + "," + field;
    selected_ = -1;
    deleteEnabled_ = false;
}

void AddressBookDialog::PressTo()
{
    Pick(recipients_.to);
}

void AddressBookDialog::PressCc()
{
    Pick(recipients_.cc);
}

void AddressBookDialog::PressBcc()
{
    Pick(recipients_.bcc);
}

void AddressBookDialog::DoubleClick(int index)
{
    Select(index);
    PressTo();
}

void AddressBookDialog::AddNew(const std::string& name, const std::string& address)
{
    CAddressArray book = Shown().AddressBook();
    book.push_back({true, name, address});
    const int added = static_cast<int>(book.size()) - 1;
    Shown().SetAddressBook(std::move(book));
    Select(added);
}

void AddressBookDialog::PressDelete()
{
    CAddressArray book = Shown().AddressBook();
    if (selected_ < 0 || static_cast<size_t>(selected_) >= book.size())
        return;
    if (!book[static_cast<size_t>(selected_)].Marked) {
        deleteEnabled_ = false;
        return;
    }
    book.erase(book.begin() + selected_);
    Shown().SetAddressBook(std::move(book));
    selected_ = -1;
    deleteEnabled_ = false;
}

}  // namespace korvalin
