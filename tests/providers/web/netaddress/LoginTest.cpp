// Logging in: the login form, the mailbox id from the answer's "/Door/"
// lines, refusals, and what an account can do before it has logged in.
#include "NetAddressFixture.h"

#include "FormEncoding.h"

#include <dlfcn.h>

namespace korvalin::test {

TEST_F(NetAddressTest, LoginPostsTheFormAndKeepsTheMailboxIdOfTheAnswer)
{
    LogIn();
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Host, kHost);
    EXPECT_EQ(requests[0].Path, "/tpl/Door/LoginPost");
    EXPECT_EQ(requests[0].Header("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].Body, "LoginState=2&SuccessfulLogin=/tpl&NewServerName=www.netaddress.sim"
                                "&JavaScript=JavaScript1.0&DomainID=4&NA31site=classic.netaddress.sim"
                                "&NA31port=80&UserID=ann&passwd=secret&Expire_Cache=1&Use_Cookie=1");
    EXPECT_FALSE(MailboxId().empty());
    EXPECT_EQ(MailboxId(), Model->MailboxIdOf("ann"));
}

TEST_F(NetAddressTest, ARefusedLoginFailsAndOpensNoMailbox)
{
    Provider->SetUserProfile("ann", "wrong");
    EXPECT_FALSE(Provider->DoLogin());
    Provider->SetUserProfile("nobody", "secret");
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_TRUE(MailboxId().empty());
    CStringArray folders;
    EXPECT_FALSE(Provider->GetFolders(folders));
}

TEST_F(NetAddressTest, OnlyAnAnswerNamingAMailboxIsALogin)
{
    struct Case {
        std::string Answer;
        bool LoggedIn;
        std::string MailboxId;
    };
    const Case cases[] = {
        {"<html><body>Welcome</body></html>\n", false, ""},
        {"<form action=\"/tpl/Door/LoginPost\">\n", false, ""},
        {"<a href=\"/tpl/Door/first/Welcome\">\n<a href=\"/tpl/Door/second/Welcome\">\n", true, "second"},
        {"<a href=\"/tpl/Door/kept/Welcome\">\n<form action=\"/tpl/Door/LoginPost\">\n", true, "kept"},
        {"", false, ""},
    };
    for (const Case &c : cases) {
        Simulator->ClearHooks();
        Simulator->Replace(kHost, "/tpl/Door/LoginPost",
                           [&](const SimRequest &) { return SimResponse::Html(c.Answer); });
        CNetAddress provider;
        provider.SetUserProfile("ann", "secret");
        EXPECT_EQ(provider.DoLogin(), c.LoggedIn) << c.Answer;
        EXPECT_EQ(provider.Session().MailboxId, c.MailboxId) << c.Answer;
    }
}

TEST_F(NetAddressTest, ALoginThatCannotBeFetchedFailsAndKeepsTheEarlierMailbox)
{
    LogIn();
    const std::string earlier = MailboxId();
    Simulator->Alter(kHost, "/tpl/Door/LoginPost",
                     [](const SimRequest &, SimResponse &response) { response.CutAfter = 20; });
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_EQ(MailboxId(), earlier);
}

TEST_F(NetAddressTest, UserValuesArriveIntactThroughTheLoginForm)
{
    const std::string user = "ann+b&c";
    const std::string password = "p&ss=w rd+%25;";
    Model->AddAccount(user, password);
    Provider->SetUserProfile(user, password);
    LogIn();
    std::vector<SimRequest> logins = Simulator->RequestsTo(kHost, "/tpl/Door/LoginPost");
    ASSERT_EQ(logins.size(), 1u);
    websim::FormFields fields = logins[0].BodyFields();
    EXPECT_EQ(fields.Value("UserID"), user);
    EXPECT_EQ(fields.Value("passwd"), password);
    EXPECT_EQ(fields.Pairs.size(), 11u);
}

TEST_F(NetAddressTest, NothingButLoginWorksBeforeLoggingIn)
{
    CStringArray folders{"stale"};
    CSummaryArray list;
    CAddressArray book{AddressEntry{false, "old", "old@x"}};
    std::string body;
    CMailMessage message;
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_FALSE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, CStringArray{"stale"});
    EXPECT_FALSE(Provider->GetMailSummary(list, -1));
    EXPECT_FALSE(Provider->GetMail("Q=M1&FolderID=1&Sort=Date", body, message));
    EXPECT_FALSE(Provider->DeleteMail("Q=M1&FolderID=1&Sort=Date"));
    EXPECT_FALSE(Provider->SendMail(mail));
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    Provider->AddAddress("bo", "bo@example.org");
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(NetAddressTest, PluginReportsItsIdentity)
{
    void *library = dlopen(KORVALIN_ADDRGATE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    ASSERT_NE(factory, nullptr);
    CMailProvider *provider = factory();
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Name, "NetAddress(Tellmark)");
    EXPECT_EQ(provider->GetVersion(), 3);
    EXPECT_EQ(provider->SignUpUrl, "http://www.netaddress.sim/tpl/Subscribe/Step1?AdInfo=&Referer=");
    delete provider;
    dlclose(library);
}

TEST_F(NetAddressTest, WorksWithTheHostGivenAsAPathPrefixWithoutAProxy)
{
    ::unsetenv("http_proxy");
    WriteHostsConf(Simulator->HostsConf(true));
    AddMails(FolderRole::Inbox, {SampleMail("Over the prefix")});
    CNetAddress provider;
    provider.SetUserProfile("ann", "secret");
    ASSERT_TRUE(provider.DoLogin());
    CSummaryArray list;
    ASSERT_TRUE(provider.GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 1u);
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(provider.GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.Subject, "Over the prefix\n");
    for (const SimRequest &request : Simulator->Requests())
        EXPECT_EQ(request.Mode, websim::Addressing::Prefixed) << request.Target;
}

} // namespace korvalin::test
