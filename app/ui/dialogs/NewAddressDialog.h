// "New Address": a name and an e-mail address for an address book.
#pragma once

#include <QDialog>

#include <optional>
#include <string>

class QLineEdit;

namespace korvalin::ui {

struct NewAddress {
    std::string name;
    std::string address;
};

class NewAddressDialog : public QDialog {
    Q_OBJECT
public:
    explicit NewAddressDialog(const QString& email = {}, QWidget* parent = nullptr);

    QLineEdit& NameField() const { return *name_; }
    QLineEdit& EmailField() const { return *email_; }
    NewAddress Entered() const;

    // Runs the dialog; nothing when it was cancelled.
    static std::optional<NewAddress> Ask(QWidget* parent, const QString& email = {});

private:
    QLineEdit* name_ = nullptr;
    QLineEdit* email_ = nullptr;
};

}  // namespace korvalin::ui
