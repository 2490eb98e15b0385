// The Security choice of the POP settings: it becomes the server field's
// scheme, a stored scheme comes back as the choice, and a default port
// follows the choice while a chosen one stays.
#include "AccountDialogs.h"
#include "ServerSecurity.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

using korvalin::PopSettings;
using korvalin::Security;
using korvalin::ui::PopSettingsBox;

namespace {

PopSettings Stored(std::string pop3, std::string smtp)
{
    PopSettings settings;
    settings.pop3Server = std::move(pop3);
    settings.smtpServer = std::move(smtp);
    settings.displayName = "Ann";
    settings.emailAddress = "ann@example.org";
    return settings;
}

}  // namespace

TEST(ServerSecurityChoice, StoredFieldsComeBackUnchanged)
{
    const std::pair<const char*, const char*> stored[] = {
        {"pop.example.org", "smtp.example.org"},
        {"pop.example.org:1110", "smtp.example.org:2525"},
        {"pop3s://pop.example.org", "smtps://smtp.example.org"},
        {"pop3://pop.example.org:1110", "smtp://smtp.example.org"},
        {"pop3s://[::1]:1995", "smtps://[::1]"},
    };
    for (const auto& [pop3, smtp] : stored) {
        PopSettingsBox box(Stored(pop3, smtp), [](const std::string&) {});
        EXPECT_EQ(box.Settings().pop3Server, pop3);
        EXPECT_EQ(box.Settings().smtpServer, smtp);
    }
}

TEST(ServerSecurityChoice, SchemeShowsAsTheChoiceAndTheFieldKeepsHostAndPort)
{
    PopSettingsBox box(Stored("pop3s://pop.example.org", "smtp://smtp.example.org:2587"), [](const std::string&) {});
    EXPECT_EQ(box.Fields().pop3->text(), "pop.example.org");
    EXPECT_EQ(box.Fields().pop3Security->Mode(), Security::ImplicitTls);
    EXPECT_EQ(box.Fields().smtp->text(), "smtp.example.org:2587");
    EXPECT_EQ(box.Fields().smtpSecurity->Mode(), Security::StartTlsRequired);
}

TEST(ServerSecurityChoice, ChoiceWritesTheSchemeAndDefaultPortsFollow)
{
    struct Case {
        const char* Typed;
        Security Before, After;
        const char* Shown;   // the field after the change
        const char* Value;   // what is stored
    };
    const Case cases[] = {
        {"pop.example.org", Security::Opportunistic, Security::ImplicitTls, "pop.example.org", "pop3s://pop.example.org"},
        {"pop.example.org:110", Security::Opportunistic, Security::ImplicitTls, "pop.example.org:995",
         "pop3s://pop.example.org"},
        {"pop.example.org:995", Security::ImplicitTls, Security::StartTlsRequired, "pop.example.org:110",
         "pop3://pop.example.org"},
        {"pop.example.org:1995", Security::Opportunistic, Security::ImplicitTls, "pop.example.org:1995",
         "pop3s://pop.example.org:1995"},
        {"pop.example.org:995", Security::ImplicitTls, Security::Opportunistic, "pop.example.org:110",
         "pop.example.org:110"},
    };
    for (const Case& c : cases) {
        PopSettingsBox box(Stored("x", "y"), [](const std::string&) {});
        box.Fields().pop3Security->SetMode(c.Before);
        box.Fields().pop3->setText(c.Typed);
        box.Fields().pop3Security->SetMode(c.After);
        EXPECT_EQ(box.Fields().pop3->text().toStdString(), c.Shown) << c.Typed;
        EXPECT_EQ(box.Settings().pop3Server, c.Value) << c.Typed;
    }
}

TEST(ServerSecurityChoice, TypedSchemeMovesIntoTheChoice)
{
    PopSettingsBox box(Stored("x", "y"), [](const std::string&) {});
    box.Fields().smtp->setText("smtps://smtp.example.org:1465");
    emit box.Fields().smtp->editingFinished();
    EXPECT_EQ(box.Fields().smtp->text(), "smtp.example.org:1465");
    EXPECT_EQ(box.Fields().smtpSecurity->Choice()->currentText(), "SSL/TLS");
    EXPECT_EQ(box.Settings().smtpServer, "smtps://smtp.example.org:1465");
}

TEST(ServerSecurityChoice, TheIncomingServerFollowsTheProvidersProtocol)
{
    struct Case {
        bool Imap;
        const char* Title;
        const char* Label;
        bool DeleteOffered;
        const char* Typed;       // at the opportunistic default port
        const char* TlsShown;    // after SSL/TLS is chosen
        const char* TlsValue;
        const char* StartTlsShown;  // after STARTTLS is chosen
        const char* StartTlsValue;
    };
    const Case cases[] = {
        {false, "POP Mail Account settings", "POP3 server:", true, "mail.example.org:110", "mail.example.org:995",
         "pop3s://mail.example.org", "mail.example.org:110", "pop3://mail.example.org"},
        {true, "IMAP Mail Account settings", "IMAP server:", false, "mail.example.org:143", "mail.example.org:993",
         "imaps://mail.example.org", "mail.example.org:143", "imap://mail.example.org"},
    };
    for (const Case& c : cases) {
        PopSettings settings = Stored("x", "y");
        settings.imap = c.Imap;
        PopSettingsBox box(settings, [](const std::string&) {});
        box.show();
        EXPECT_EQ(box.windowTitle(), c.Title);
        QString label;
        for (const QLabel* text : box.findChildren<QLabel*>())
            if (text->buddy() == box.Fields().pop3)
                label = text->text().remove('&');
        EXPECT_EQ(label, c.Label);
        EXPECT_EQ(box.Fields().deleteFromServer->isVisible(), c.DeleteOffered) << c.Label;
        box.Fields().pop3->setText(c.Typed);
        box.Fields().pop3Security->SetMode(Security::ImplicitTls);
        EXPECT_EQ(box.Fields().pop3->text().toStdString(), c.TlsShown);
        EXPECT_EQ(box.Settings().pop3Server, c.TlsValue);
        box.Fields().pop3Security->SetMode(Security::StartTlsRequired);
        EXPECT_EQ(box.Fields().pop3->text().toStdString(), c.StartTlsShown);
        EXPECT_EQ(box.Settings().pop3Server, c.StartTlsValue);
        EXPECT_EQ(box.Settings().imap, c.Imap) << "the box hands the protocol back";
    }
}
