// Server fields: the scheme says how the connection is protected and which
// port is meant when none is given; a bare field keeps its old meaning.
#include "ServerField.h"

#include <gtest/gtest.h>

using korvalin::FormatServerField;
using korvalin::MailProtocol;
using korvalin::ParseServerField;
using korvalin::Security;
using korvalin::ServerField;

namespace {

struct FieldCase {
    const char* Text;
    MailProtocol Protocol;
    const char* Host;
    int Port;
    Security Mode;
};

constexpr FieldCase kFields[] = {
    {"pop.example.org", MailProtocol::Pop3, "pop.example.org", 110, Security::Opportunistic},
    {"pop.example.org:1110", MailProtocol::Pop3, "pop.example.org", 1110, Security::Opportunistic},
    {"pop3s://pop.example.org", MailProtocol::Pop3, "pop.example.org", 995, Security::ImplicitTls},
    {"POP3S://pop.example.org:1995/", MailProtocol::Pop3, "pop.example.org", 1995, Security::ImplicitTls},
    {"pop3://pop.example.org", MailProtocol::Pop3, "pop.example.org", 110, Security::StartTlsRequired},
    {"smtp.example.org", MailProtocol::Smtp, "smtp.example.org", 25, Security::Opportunistic},
    {"smtps://smtp.example.org", MailProtocol::Smtp, "smtp.example.org", 465, Security::ImplicitTls},
    {"smtp://smtp.example.org", MailProtocol::Smtp, "smtp.example.org", 587, Security::StartTlsRequired},
    {" smtp://[::1]:2525 ", MailProtocol::Smtp, "::1", 2525, Security::StartTlsRequired},
    {"imap.example.org", MailProtocol::Imap, "imap.example.org", 143, Security::Opportunistic},
    {"imaps://imap.example.org", MailProtocol::Imap, "imap.example.org", 993, Security::ImplicitTls},
    {"imap://127.0.0.1", MailProtocol::Imap, "127.0.0.1", 143, Security::StartTlsRequired},
};

}  // namespace

TEST(ServerFields, SchemeHostPortAndMode)
{
    for (const FieldCase& c : kFields) {
        ServerField field;
        ASSERT_TRUE(ParseServerField(c.Text, c.Protocol, field)) << c.Text;
        EXPECT_EQ(field.Host, c.Host) << c.Text;
        EXPECT_EQ(field.Port, c.Port) << c.Text;
        EXPECT_EQ(field.Mode, c.Mode) << c.Text;
    }
}

TEST(ServerFields, RefusedFields)
{
    struct Bad {
        const char* Text;
        MailProtocol Protocol;
    };
    const Bad bad[] = {
        {"", MailProtocol::Pop3},
        {"pop3s://", MailProtocol::Pop3},
        {"smtps://smtp.example.org", MailProtocol::Pop3},  // another protocol's scheme
        {"pop3s://pop.example.org", MailProtocol::Smtp},
        {"https://pop.example.org", MailProtocol::Pop3},
        {"pop3s://pop.example.org:0", MailProtocol::Pop3},
        {"pop3s://pop.example.org/inbox", MailProtocol::Pop3},
    };
    for (const Bad& b : bad) {
        ServerField field;
        std::string error;
        EXPECT_FALSE(ParseServerField(b.Text, b.Protocol, field, &error)) << b.Text;
        EXPECT_FALSE(error.empty()) << b.Text;
    }
}

TEST(ServerFields, FormattedFieldsParseBack)
{
    for (const FieldCase& c : kFields) {
        std::string text = FormatServerField(c.Protocol, c.Mode, c.Host, c.Port);
        ServerField field;
        ASSERT_TRUE(ParseServerField(text, c.Protocol, field)) << text;
        EXPECT_EQ(field.Host, c.Host) << text;
        EXPECT_EQ(field.Port, c.Port) << text;
        EXPECT_EQ(field.Mode, c.Mode) << text;
    }
    EXPECT_EQ(FormatServerField(MailProtocol::Pop3, Security::ImplicitTls, "pop.example.org", 995),
              "pop3s://pop.example.org");
    EXPECT_EQ(FormatServerField(MailProtocol::Smtp, Security::Opportunistic, "smtp.example.org", 25), "smtp.example.org");
}
