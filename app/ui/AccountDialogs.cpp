#include "AccountDialogs.h"

#include "ServerSecurity.h"
#include "SoundPicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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
    edit->setMinimumWidth(240);
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

// A server field with its security choice on one row.
void AddServerRow(QFormLayout& form, const char* label, QLineEdit* field, ServerSecurity& security)
{
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(security.Choice());
    auto* text = new QLabel(label);
    text->setBuddy(field);
    form.addRow(text, row);
}

}  // namespace

bool ValidPopSettings(const PopSettings& settings)
{
    return !settings.smtpServer.empty() && !settings.pop3Server.empty() && !settings.displayName.empty() &&
           settings.emailAddress.find('@') != std::string::npos;
}

PopFields::PopFields(QWidget* parent, const PopSettings& settings) : imap_(settings.imap)
{
    pop3 = Field(parent, settings.pop3Server, imap_ ? "imapServer" : "pop3Server");
    smtp = Field(parent, settings.smtpServer, "smtpServer");
    pop3Security = new ServerSecurity(pop3, imap_ ? MailProtocol::Imap : MailProtocol::Pop3, parent);
    smtpSecurity = new ServerSecurity(smtp, MailProtocol::Smtp, parent);
    name = Field(parent, settings.displayName, "displayName");
    address = Field(parent, settings.emailAddress, "emailAddress");
    deleteFromServer = new QCheckBox("&Delete mails from server on downloading", parent);
    deleteFromServer->setObjectName("deleteFromServer");
    deleteFromServer->setChecked(settings.deleteFromServer);
    if (imap_)
        deleteFromServer->hide();  // IMAP deletes to Trash on the server
}

void PopFields::AddTo(QFormLayout& form)
{
    form.addRow("&E-mail address:", address);
    form.addRow("Your &name:", name);
    AddServerRow(form, imap_ ? "&IMAP server:" : "P&OP3 server:", pop3, *pop3Security);
    AddServerRow(form, "S&MTP server:", smtp, *smtpSecurity);
    if (!imap_)
        form.addRow(QString(), deleteFromServer);
}

QString PopFields::Title() const
{
    return imap_ ? "IMAP Mail Account settings" : "POP Mail Account settings";
}

PopSettings PopFields::Values() const
{
    PopSettings settings;
    settings.pop3Server = pop3Security->Value();
    settings.smtpServer = smtpSecurity->Value();
    settings.displayName = S(name->text().trimmed());
    settings.emailAddress = S(address->text().trimmed());
    settings.deleteFromServer = deleteFromServer->isChecked();
    settings.imap = imap_;
    return settings;
}

LoginBox::LoginBox(const LoginForm& form, LoginBoxMode mode, Teller tell, QWidget* parent)
    : QDialog(parent), form_(form), mode_(mode), tell_(std::move(tell)), pop_(this, form.pop)
{
    setWindowTitle("Enter your login information");
    setObjectName("loginBox");
    auto* fields = new QFormLayout;
    auto* provider = new QLabel(Q(form.providerName), this);
    provider->setObjectName("providerName");
    login_ = Field(this, form.login, "login");
    // The account's folder is named after its login: the login stays.
    login_->setEnabled(false);
    password_ = Field(this, form.password, "password");
    password_->setEchoMode(QLineEdit::Password);
    save_ = new QCheckBox("&Save the password for future.", this);
    save_->setChecked(form.savePassword);
    fields->addRow("Provider:", provider);
    fields->addRow("Login name:", login_);
    fields->addRow("&Password:", password_);
    fields->addRow(QString(), save_);

    soundGroup_ = new QGroupBox("Sound when new mail arrives", this);
    sound_ = new SoundPicker(Q(form.soundPath), "P&lay", soundGroup_);
    auto* soundLayout = new QVBoxLayout(soundGroup_);
    soundLayout->addWidget(sound_);

    popGroup_ = new QGroupBox(pop_.Title(), this);
    auto* popForm = new QFormLayout(popGroup_);
    pop_.AddTo(*popForm);

    // A POP or IMAP account shows its servers, so that a wrong one can be put
    // right at a failed login; only the properties show the sound.
    const bool properties = mode == LoginBoxMode::Properties;
    soundGroup_->setVisible(properties);
    popGroup_->setVisible(form.isPop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(soundGroup_);
    layout->addWidget(popGroup_);
    layout->addWidget(OkCancel(*this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    password_->setFocus();
}

LoginForm LoginBox::Form() const
{
    LoginForm form = form_;
    form.password = S(password_->text());
    form.savePassword = save_->isChecked();
    if (mode_ == LoginBoxMode::Properties)
        form.soundPath = S(sound_->Path());
    if (form.isPop)
        form.pop = pop_.Values();
    return form;
}

void LoginBox::accept()
{
    if (form_.isPop && !ValidPopSettings(pop_.Values())) {
        tell_(pop_.InvalidText());
        return;
    }
    QDialog::accept();
}

NewAccountBox::NewAccountBox(const NewAccountForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle("Add New Account");
    setObjectName("newAccountBox");
    auto* fields = new QFormLayout;
    providers_ = new QComboBox(this);
    providers_->setObjectName("provider");
    for (const std::string& name : form.providerNames)
        providers_->addItem(Q(name));
    providers_->setCurrentIndex(form.provider);
    login_ = Field(this, form.login, "login");
    password_ = Field(this, form.password, "password");
    password_->setEchoMode(QLineEdit::Password);
    save_ = new QCheckBox("&Save this password on local computer.", this);
    save_->setChecked(form.savePassword);
    fields->addRow("&Email provider:", providers_);
    fields->addRow("&Login:", login_);
    fields->addRow("&Password:", password_);
    fields->addRow(QString(), save_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(OkCancel(*this, "&Add"));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    (form.provider < 0 ? static_cast<QWidget*>(providers_) : login_)->setFocus();
}

NewAccountForm NewAccountBox::Form() const
{
    NewAccountForm form = form_;
    form.provider = providers_->currentIndex();
    form.login = S(login_->text().trimmed());
    form.password = S(password_->text());
    form.savePassword = save_->isChecked();
    return form;
}

PopSettingsBox::PopSettingsBox(const PopSettings& settings, Teller tell, QWidget* parent)
    : QDialog(parent), tell_(std::move(tell)), pop_(this, settings)
{
    setWindowTitle(pop_.Title());
    setObjectName("popSettingsBox");
    auto* fields = new QFormLayout;
    pop_.AddTo(*fields);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(OkCancel(*this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    pop_.address->setFocus();
}

void PopSettingsBox::accept()
{
    if (!ValidPopSettings(pop_.Values())) {
        tell_(pop_.InvalidText());
        return;
    }
    QDialog::accept();
}

bool RunLoginBox(QWidget* parent, LoginForm& form, LoginBoxMode mode, const Teller& tell)
{
    LoginBox box(form, mode, tell, parent);
    if (box.exec() != QDialog::Accepted)
        return false;
    form = box.Form();
    return true;
}

bool RunNewAccountBox(QWidget* parent, NewAccountForm& form)
{
    NewAccountBox box(form, parent);
    if (box.exec() != QDialog::Accepted)
        return false;
    form = box.Form();
    return true;
}

bool RunPopSettingsBox(QWidget* parent, PopSettings& settings, const Teller& tell)
{
    PopSettingsBox box(settings, tell, parent);
    if (box.exec() != QDialog::Accepted)
        return false;
    settings = box.Settings();
    return true;
}

}  // namespace korvalin::ui
