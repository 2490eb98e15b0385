#include "ServerSecurity.h"

#include "TcpStream.h"

#include <QComboBox>
#include <QLineEdit>

namespace korvalin::ui {
namespace {

constexpr Security kModes[] = {Security::ImplicitTls, Security::StartTlsRequired, Security::Opportunistic};
constexpr const char* kLabels[] = {"SSL/TLS", "STARTTLS", "None (STARTTLS when offered)"};

std::string Text(const QLineEdit* field)
{
    return field->text().trimmed().toStdString();
}

// A host as a field writes it: an IPv6 address in brackets.
std::string HostText(const std::string& host)
{
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

}  // namespace

ServerSecurity::ServerSecurity(QLineEdit* field, MailProtocol protocol, QWidget* parent)
    : QObject(parent), field_(field), protocol_(protocol), choice_(new QComboBox(parent))
{
    choice_->setObjectName(field->objectName() + "Security");
    choice_->setAccessibleName("Security");
    for (const char* label : kLabels)
        choice_->addItem(label);
    choice_->setCurrentIndex(2);
    TakeTypedScheme();
    connect(choice_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0 || index > 2)
            return;
        Follow(shown_, kModes[index]);
        shown_ = kModes[index];
    });
    connect(field_, &QLineEdit::editingFinished, this, [this] { TakeTypedScheme(); });
}

Security ServerSecurity::Mode() const
{
    int index = choice_->currentIndex();
    return index >= 0 && index <= 2 ? kModes[index] : Security::Opportunistic;
}

void ServerSecurity::SetMode(Security mode)
{
    for (int i = 0; i < 3; ++i)
        if (kModes[i] == mode)
            choice_->setCurrentIndex(i);
}

void ServerSecurity::Follow(Security from, Security to)
{
    // Only a port that was the old choice's default follows; one the person
    // chose stays, and without a port the new default applies by itself.
    std::string host;
    int port = 0;
    if (from == to || !SplitHostPort(Text(field_), 0, host, port) || port != DefaultPort(protocol_, from))
        return;
    field_->setText(QString::fromStdString(HostText(host) + ":" + std::to_string(DefaultPort(protocol_, to))));
}

void ServerSecurity::TakeTypedScheme()
{
    std::string text = Text(field_);
    ServerField field;
    if (text.find("://") == std::string::npos || !ParseServerField(text, protocol_, field))
        return;
    std::string shown = HostText(field.Host);
    if (field.Port != DefaultPort(protocol_, field.Mode))
        shown += ":" + std::to_string(field.Port);
    field_->setText(QString::fromStdString(shown));
    shown_ = field.Mode;
    SetMode(field.Mode);
}

std::string ServerSecurity::Value() const
{
    std::string text = Text(field_);
    Security mode = Mode();
    std::string host;
    int port = 0;
    if (mode == Security::Opportunistic || text.find("://") != std::string::npos || !SplitHostPort(text, 0, host, port))
        return text;  // as typed, the way every stored account has it
    return FormatServerField(protocol_, mode, host, port == 0 ? DefaultPort(protocol_, mode) : port);
}

}  // namespace korvalin::ui
