#include "NewAddressDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace korvalin::ui {

NewAddressDialog::NewAddressDialog(const QString& email, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("New Address");
    setObjectName("newAddress");
    name_ = new QLineEdit(this);
    name_->setObjectName("name");
    email_ = new QLineEdit(email, this);
    email_->setObjectName("email");
    email_->setMinimumWidth(260);
    auto* form = new QFormLayout;
    form->addRow("&Name:", name_);
    form->addRow("&Email:", email_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    name_->setFocus();
}

NewAddress NewAddressDialog::Entered() const
{
    return {name_->text().toStdString(), email_->text().toStdString()};
}

std::optional<NewAddress> NewAddressDialog::Ask(QWidget* parent, const QString& email)
{
    NewAddressDialog dialog(email, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Entered();
}

}  // namespace korvalin::ui
