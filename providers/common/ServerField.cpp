#include "ServerField.h"

#include "TcpStream.h"

#include <cctype>

namespace korvalin {
namespace {

struct Scheme {
    std::string_view Prefix;
    MailProtocol Protocol;
    Security Mode;
    int Port;
};

constexpr Scheme kSchemes[] = {
    {"pop3s://", MailProtocol::Pop3, Security::ImplicitTls, 995},
    {"pop3://", MailProtocol::Pop3, Security::StartTlsRequired, 110},
    {"smtps://", MailProtocol::Smtp, Security::ImplicitTls, 465},
    {"smtp://", MailProtocol::Smtp, Security::StartTlsRequired, 587},
    {"imaps://", MailProtocol::Imap, Security::ImplicitTls, 993},
    {"imap://", MailProtocol::Imap, Security::StartTlsRequired, 143},
};

int PlainPort(MailProtocol protocol)
{
    switch (protocol) {
    case MailProtocol::Pop3:
        return 110;
    case MailProtocol::Smtp:
        return 25;
    case MailProtocol::Imap:
        return 143;
    }
    return 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

int DefaultPort(MailProtocol protocol, Security mode)
{
    if (mode == Security::Opportunistic)
        return PlainPort(protocol);
    for (const Scheme& scheme : kSchemes)
        if (scheme.Protocol == protocol && scheme.Mode == mode)
            return scheme.Port;
    return PlainPort(protocol);
}

bool ParseServerField(std::string_view text, MailProtocol protocol, ServerField& field, std::string* error)
{
    auto fail = [&](std::string why) {
        if (error != nullptr)
            *error = std::move(why);
        return false;
    };
    text = Trimmed(text);
    Security mode = Security::Opportunistic;
    size_t separator = text.find("://");
    if (separator != std::string_view::npos) {
        const Scheme* found = nullptr;
        for (const Scheme& scheme : kSchemes)
            if (scheme.Protocol == protocol && StartsWithNoCase(text, scheme.Prefix))
                found = &scheme;
        if (found == nullptr)
            return fail("unknown scheme \"" + std::string(text.substr(0, separator)) + "\"");
        mode = found->Mode;
        text.remove_prefix(found->Prefix.size());
        if (!text.empty() && text.back() == '/')
            text.remove_suffix(1);
    }
    std::string host;
    int port = 0;
    if (!SplitHostPort(text, DefaultPort(protocol, mode), host, port) || host.find('/') != std::string::npos)
        return fail("not a server name: \"" + std::string(text) + "\"");
    field.Host = std::move(host);
    field.Port = port;
    field.Mode = mode;
    return true;
}

std::string FormatServerField(MailProtocol protocol, Security mode, const std::string& host, int port)
{
    std::string text;
    if (mode != Security::Opportunistic)
        for (const Scheme& scheme : kSchemes)
            if (scheme.Protocol == protocol && scheme.Mode == mode)
                text = scheme.Prefix;
    text += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    if (port > 0 && port != DefaultPort(protocol, mode))
        text.append(":").append(std::to_string(port));
    return text;
}

const char* SecurityText(Security mode)
{
    switch (mode) {
    case Security::ImplicitTls:
        return "TLS";
    case Security::StartTlsRequired:
        return "STARTTLS";
    case Security::Opportunistic:
        return "STARTTLS when offered";
    }
    return "?";
}

}  // namespace korvalin
