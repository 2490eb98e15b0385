// The "Security" choice beside a server field of the POP settings: SSL/TLS,
// STARTTLS, or none (STARTTLS when the server offers it). The field holds
// "host" or "host:port"; the choice becomes the scheme of the stored server
// field, and a port that was the old choice's default follows the new one.
#pragma once

#include "ServerField.h"

#include <QObject>

#include <string>

class QComboBox;
class QLineEdit;
class QWidget;

namespace korvalin::ui {

class ServerSecurity : public QObject {
    Q_OBJECT
public:
    // Splits the scheme of field's text off into the choice.
    ServerSecurity(QLineEdit* field, MailProtocol protocol, QWidget* parent);

    QComboBox* Choice() const { return choice_; }
    Security Mode() const;
    void SetMode(Security mode);
    // The server field to store: scheme, host, and the port unless it is the default.
    std::string Value() const;

private:
    void Follow(Security from, Security to);
    void TakeTypedScheme();

    QLineEdit* field_;
    MailProtocol protocol_;
    QComboBox* choice_;
    Security shown_ = Security::Opportunistic;
};

}  // namespace korvalin::ui
