// The "Address Book" dialog over the engine's address-book logic, stand-alone
// ("Show &Address Book") or as the compose window's recipient picker.
#pragma once

#include "AddressBookDialog.h"
#include "NewAddressDialog.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvalin::ui {

class AddressBookWindow : public QDialog {
    Q_OBJECT
public:
    AddressBookWindow(std::unique_ptr<AddressBookDialog> logic, QWidget* parent = nullptr);
    ~AddressBookWindow() override;

    // "Show &Address Book"; with no account at all the person is told so.
    static void ShowStandAlone(Engine& engine, AddressBooks& books, QWidget* parent);
    // The compose window's "&Address Book": the fields to take back, or
    // nothing when the person cancelled.
    static std::optional<RecipientFields> PickRecipients(Engine& engine, AddressBooks& books, CAccount& sender,
                                                         RecipientFields fields, QWidget* parent);

    // Who asks for a new entry (tests answer instead of the dialog).
    void SetNewAddressAsker(std::function<std::optional<NewAddress>()> asker) { askNewAddress_ = std::move(asker); }

    AddressBookDialog& Logic() const { return *logic_; }
    QComboBox& Accounts() const { return *accounts_; }
    QListWidget& Names() const { return *names_; }
    QLineEdit& Address() const { return *address_; }
    QLineEdit& ToField() const { return *to_; }
    QLineEdit& CcField() const { return *cc_; }
    QLineEdit& BccField() const { return *bcc_; }
    QPushButton& NewButton() const { return *new_; }
    QPushButton& DeleteButton() const { return *delete_; }
    QPushButton& CancelButton() const { return *cancel_; }

    // Shows the logic's state in the widgets.
    void Refresh();

private:
    void PressNew();
    void TakeRecipientFields();

    std::unique_ptr<AddressBookDialog> logic_;
    std::function<std::optional<NewAddress>()> askNewAddress_;
    QComboBox* accounts_ = nullptr;
    QListWidget* names_ = nullptr;
    QLineEdit* address_ = nullptr;
    QPushButton* toButton_ = nullptr;
    QPushButton* ccButton_ = nullptr;
    QPushButton* bccButton_ = nullptr;
    QLineEdit* to_ = nullptr;
    QLineEdit* cc_ = nullptr;
    QLineEdit* bcc_ = nullptr;
    QPushButton* new_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool refreshing_ = false;
};

}  // namespace korvalin::ui
