// A server field of an account: "host", "host:port", or either with a
// scheme in front that says how the connection is protected:
//
//   pop3s://  smtps://  imaps://   TLS from the first byte (995, 465, 993)
//   pop3://   smtp://   imap://    an upgrade (STLS/STARTTLS) is required (110, 587, 143)
//   (none)                         the upgrade is used when the server offers it
//                                  (110, 25, 143), else the session stays in clear text
#pragma once

#include <string>
#include <string_view>

namespace korvalin {

enum class MailProtocol { Pop3, Smtp, Imap };

enum class Security {
    ImplicitTls,       // TLS at once
    StartTlsRequired,  // the upgrade or no session
    Opportunistic,     // the upgrade when offered
};

struct ServerField {
    std::string Host;
    int Port = 0;
    Security Mode = Security::Opportunistic;
};

// Parses text for protocol; false (with error saying why) for an empty
// host, a bad port, or a scheme that is not one of protocol's.
bool ParseServerField(std::string_view text, MailProtocol protocol, ServerField& field, std::string* error = nullptr);

// The port a mode uses when the field names none.
int DefaultPort(MailProtocol protocol, Security mode);

// The field text for host, port and mode: the scheme (none when
// opportunistic), the host (bracketed when an IPv6 address) and the port
// unless it is the mode's default.
std::string FormatServerField(MailProtocol protocol, Security mode, const std::string& host, int port);

// Words for logs: "TLS", "STARTTLS", "STARTTLS when offered".
const char* SecurityText(Security mode);

}  // namespace korvalin
