// What the Address Book dialog does, without its widgets: stand-alone (from
// "Show &Address Book") or as the compose window's recipient picker. Every
// change goes into the shown account's book at once; "Ca&ncel" undoes
// nothing.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace korvalin {

class AddressBooks;
class CAccount;
class Engine;

inline constexpr const char* kNoAddressBookAccounts = "There are no accounts to get address book for.";
inline constexpr const char* kAddressBookNote =
    "Synchronize (download and upload) your addressbooks above with the web by choosing \"Synchronize\" from the "
    "Tools menu.";

struct RecipientFields {
    std::string to, cc, bcc;
};

struct AddressBookDialogState {
    std::vector<std::string> accounts;  // "login@provider"
    int account = -1;
    std::vector<std::string> names;
    int selected = -1;  // -1: none
    std::string address;
    bool addressEnabled = false;  // only a marked (not yet uploaded) entry can be changed
    bool deleteEnabled = false;
    bool recipientControls = false;  // the To, Cc and BCc buttons and fields, and "Ca&ncel"
    RecipientFields recipients;
};

class AddressBookDialog {
public:
    // Shows the first account of the first provider that has accounts; with
    // no account at all the person is told so and nothing is returned.
    static std::unique_ptr<AddressBookDialog> OpenStandAlone(Engine& engine, AddressBooks& books);
    // Shows the sender's book, with the compose window's recipient fields.
    static std::unique_ptr<AddressBookDialog> OpenRecipientPicker(Engine& engine, AddressBooks& books,
                                                                  CAccount& sender, RecipientFields fields);

    AddressBookDialogState State() const;

    void ChooseAccount(int index);
    void Select(int index);  // -1 clears the selection
    void TypeAddress(const std::string& address);
    void PressTo();
    void PressCc();
    void PressBcc();
    // The person typed into the To, Cc or BCc field.
    void SetRecipients(RecipientFields fields) { recipients_ = std::move(fields); }
    // A double click on a name: selects it and picks it for To.
    void DoubleClick(int index);
    // The "New Address" dialog was confirmed.
    void AddNew(const std::string& name, const std::string& address);
    void PressDelete();
    // What "&OK" hands back to the compose window.
    const RecipientFields& Recipients() const { return recipients_; }

private:
    AddressBookDialog(Engine& engine, AddressBooks& books, bool picker, int account, RecipientFields fields);
    CAccount& Shown() const { return *accounts_[static_cast<size_t>(account_)]; }
    void Pick(std::string& field);

    Engine& engine_;
    AddressBooks& books_;
    std::vector<std::shared_ptr<CAccount>> accounts_;
    bool picker_;
    int account_;
    int selected_ = -1;
    bool deleteEnabled_ = false;
    RecipientFields recipients_;
};

}  // namespace korvalin
