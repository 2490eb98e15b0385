#include "AccountDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string S(const QString& text)
{
    return text.toStdString();
}

QLineEdit* Field(QWidget* parent, const std::string& value, const char* name)
{
    auto* edit = new QLineEdit(Q(value), parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(220);
    return edit;
}

QDialogButtonBox* OkCancel(QDialog& dialog, const QString& okText = {})
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    if (!okText.isEmpty())
        buttons->button(QDialogButtonBox::Ok)->setText(okText);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

// The POP fields, shared by the login box and the POP settings box.
struct PopFields {
    QLineEdit* pop3 = nullptr;
    QLineEdit* smtp = nullptr;
    QLineEdit* name = nullptr;
    QLineEdit* address = nullptr;
    QCheckBox* deleteFromServer = nullptr;

    void AddTo(QFormLayout& form, QWidget* parent, const PopSettings& settings)
    {
        pop3 = Field(parent, settings.pop3Server, "pop3Server");
        smtp = Field(parent, settings.smtpServer, "smtpServer");
        name = Field(parent, settings.displayName, "displayName");
        address = Field(parent, settings.emailAddress, "emailAddress");
        deleteFromServer = new QCheckBox("&Delete mails from server on downloading", parent);
        deleteFromServer->setChecked(settings.deleteFromServer);
        form.addRow("POP&3 server:", pop3);
        form.addRow("S&MTP server:", smtp);
        form.addRow("Your &name:", name);
        form.addRow("&E-mail address:", address);
        form.addRow(QString(), deleteFromServer);
    }

    void CopyTo(PopSettings& settings) const
    {
        settings.pop3Server = S(pop3->text().trimmed());
        settings.smtpServer = S(smtp->text().trimmed());
        settings.displayName = S(name->text());
        settings.emailAddress = S(address->text().trimmed());
        settings.deleteFromServer = deleteFromServer->isChecked();
    }
};

}  // namespace

bool RunLoginBox(QWidget* parent, LoginForm& form)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("Enter your login information");
    auto* layout = new QVBoxLayout(&dialog);
    auto* fields = new QFormLayout;
    auto* provider = new QLabel(Q(form.providerName), &dialog);
    QLineEdit* login = Field(&dialog, form.login, "login");
    QLineEdit* password = Field(&dialog, form.password, "password");
    password->setEchoMode(QLineEdit::Password);
    auto* save = new QCheckBox("&Save this password on local computer.", &dialog);
    save->setChecked(form.savePassword);
    fields->addRow("Provider:", provider);
    fields->addRow("&Login:", login);
    fields->addRow("&Password:", password);
    fields->addRow(QString(), save);
    layout->addLayout(fields);

    PopFields pop;
    if (form.isPop) {
        auto* group = new QGroupBox("POP Mail Account settings", &dialog);
        auto* popForm = new QFormLayout(group);
        pop.AddTo(*popForm, group, form.pop);
        layout->addWidget(group);
    }
    layout->addWidget(OkCancel(dialog));
    (form.login.empty() ? login : password)->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    form.login = S(login->text().trimmed());
    form.password = S(password->text());
    form.savePassword = save->isChecked();
    if (form.isPop)
        pop.CopyTo(form.pop);
    return true;
}

bool RunNewAccountBox(QWidget* parent, NewAccountForm& form)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("Add New Account");
    auto* layout = new QVBoxLayout(&dialog);
    auto* fields = new QFormLayout;
    auto* providers = new QComboBox(&dialog);
    providers->setObjectName("provider");
    for (const std::string& name : form.providerNames)
        providers->addItem(Q(name));
    providers->setCurrentIndex(form.provider);
    QLineEdit* login = Field(&dialog, form.login, "login");
    QLineEdit* password = Field(&dialog, form.password, "password");
    password->setEchoMode(QLineEdit::Password);
    auto* save = new QCheckBox("&Save this password on local computer.", &dialog);
    save->setChecked(form.savePassword);
    fields->addRow("&Email provider:", providers);
    fields->addRow("&Login:", login);
    fields->addRow("&Password:", password);
    fields->addRow(QString(), save);
    layout->addLayout(fields);
    layout->addWidget(OkCancel(dialog, "&Add"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    form.provider = providers->currentIndex();
    form.login = S(login->text().trimmed());
    form.password = S(password->text());
    form.savePassword = save->isChecked();
    return true;
}

bool RunPopSettingsBox(QWidget* parent, PopSettings& settings)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("POP Mail Account settings");
    auto* layout = new QVBoxLayout(&dialog);
    auto* fields = new QFormLayout;
    PopFields pop;
    pop.AddTo(*fields, &dialog, settings);
    layout->addLayout(fields);
    layout->addWidget(OkCancel(dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    pop.CopyTo(settings);
    return true;
}

}  // namespace korvalin::ui
