// The account boxes the engine asks for: "Enter your login information" (at
// a login, and in properties mode for "&Properties"), "Add New Account" and
// "POP Mail Account settings" (or "IMAP Mail Account settings"). Each Run function returns false when the
// person cancelled, else true with the form holding what was entered.
#pragma once

#include "UiPort.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace korvalin::ui {

class ServerSecurity;
class SoundPicker;

inline constexpr const char* kInvalidPopSettings = "Invalid value: Please check your SMTP/POP3/Email ID/Name entries.";
inline constexpr const char* kInvalidImapSettings = "Invalid value: Please check your SMTP/IMAP/Email ID/Name entries.";

// Tells the person something (the message boxes of the port).
using Teller = std::function<void(const std::string& text)>;

// SMTP server, POP3 server and name given, and an address with "@".
bool ValidPopSettings(const PopSettings& settings);

// The server fields, shared by the login box and the settings box. The
// incoming server is an IMAP one when settings.imap says so; then the
// POP3-only delete option is not offered (its value is kept).
class PopFields {
public:
    PopFields(QWidget* parent, const PopSettings& settings);
    void AddTo(QFormLayout& form);
    PopSettings Values() const;
    bool Imap() const { return imap_; }
    // "POP Mail Account settings" or "IMAP Mail Account settings".
    QString Title() const;
    // The text the person is told for settings that are not valid.
    const char* InvalidText() const { return imap_ ? kInvalidImapSettings : kInvalidPopSettings; }

    QLineEdit* pop3 = nullptr;  // the incoming server, POP3 or IMAP
    QLineEdit* smtp = nullptr;
    ServerSecurity* pop3Security = nullptr;  // the scheme of each server field
    ServerSecurity* smtpSecurity = nullptr;
    QLineEdit* name = nullptr;
    QLineEdit* address = nullptr;
    QCheckBox* deleteFromServer = nullptr;

private:
    bool imap_ = false;
};

enum class LoginBoxMode { Login, Properties };

class LoginBox : public QDialog {
    Q_OBJECT
public:
    LoginBox(const LoginForm& form, LoginBoxMode mode, Teller tell, QWidget* parent = nullptr);

    // What the box holds now.
    LoginForm Form() const;
    QLineEdit& LoginField() const { return *login_; }
    QLineEdit& PasswordField() const { return *password_; }
    QGroupBox& SoundGroup() const { return *soundGroup_; }
    QGroupBox& PopGroup() const { return *popGroup_; }
    SoundPicker& Sound() const { return *sound_; }
    const PopFields& Pop() const { return pop_; }

    void accept() override;

private:
    LoginForm form_;
    LoginBoxMode mode_;
    Teller tell_;
    QLineEdit* login_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* save_ = nullptr;
    QGroupBox* soundGroup_ = nullptr;
    SoundPicker* sound_ = nullptr;
    QGroupBox* popGroup_ = nullptr;
    PopFields pop_;
};

class NewAccountBox : public QDialog {
    Q_OBJECT
public:
    NewAccountBox(const NewAccountForm& form, QWidget* parent = nullptr);
    NewAccountForm Form() const;
    QComboBox& Providers() const { return *providers_; }

private:
    NewAccountForm form_;
    QComboBox* providers_ = nullptr;
    QLineEdit* login_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* save_ = nullptr;
};

class PopSettingsBox : public QDialog {
    Q_OBJECT
public:
    PopSettingsBox(const PopSettings& settings, Teller tell, QWidget* parent = nullptr);
    PopSettings Settings() const { return pop_.Values(); }
    const PopFields& Fields() const { return pop_; }
    void accept() override;

private:
    Teller tell_;
    PopFields pop_;
};

bool RunLoginBox(QWidget* parent, LoginForm& form, LoginBoxMode mode, const Teller& tell);
bool RunNewAccountBox(QWidget* parent, NewAccountForm& form);
bool RunPopSettingsBox(QWidget* parent, PopSettings& settings, const Teller& tell);

}  // namespace korvalin::ui
