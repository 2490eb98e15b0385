// Logging in: the post to the registration host, the mailbox key from the
// frame line, the "Try Again" refusal and answers that name no mailbox.
#include "ExciteFixture.h"

#include <dlfcn.h>

namespace korvalin::test {
namespace {

const std::string kLoginQuery = "pname=mail&targeturl=http://mail.excite.sim/&brand=xcit&uid=";

} // namespace

TEST_F(ExciteTest, LoginPostsToTheRegistrationHostAndKeepsTheFramesKey)
{
    LogIn();
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 2u); // the service sends the browser on to the mail host
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Host, kRegistration);
    EXPECT_EQ(requests[0].Path, "/mps/loginreq");
    EXPECT_EQ(requests[0].Query, kLoginQuery);
    EXPECT_EQ(requests[0].Body, "acctname=ann&passwd=secret");
    EXPECT_EQ(requests[0].Header("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[1].Host, kMail);
    EXPECT_FALSE(MailboxKey().empty());
    EXPECT_EQ(MailboxKey(), Model->MailboxKeyOf("ann"));
}

TEST_F(ExciteTest, ARefusedPasswordFailsAndKeepsTheEarlierKey)
{
    LogIn();
    const std::string earlier = MailboxKey();
    Provider->SetUserProfile("ann", "wrong");
    EXPECT_FALSE(Provider->DoLogin());
    Provider->SetUserProfile("nobody", "secret");
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_EQ(MailboxKey(), earlier);
}

TEST_F(ExciteTest, OnlyAnAnswerWithTheMailboxFrameIsALogin)
{
    struct Case {
        std::string Answer;
        bool LoggedIn;
        std::string Key;
    };
    const Case cases[] = {
        {"<frame src=\"folder.dcg?x=abc\" name=\"main\">\n", true, "abc\" name=\"main"},
        {"<frame src=\"folder.dcg?x=K1\"><b>Try Again</b>\n", true, "K1"},
        {"<b>Try Again</b>\n<frame src=\"folder.dcg?x=K2\">\n", false, ""},
        {"<html><body>Welcome back</body></html>\n", false, ""},
        {"<frame src=\"folder.dcg?x=\">\n", false, ""},
        {"<frame src=\"folder.dcg?x=K3\">\n<frame src=\"folder.dcg?x=K4\">\n", true, "K3"},
        {"", false, ""},
    };
    for (const Case &c : cases) {
        Simulator->ClearHooks();
        Simulator->Replace(kRegistration, "/mps/loginreq",
                           [&](const SimRequest &) { return SimResponse::Html(c.Answer); });
        CMailExcite provider;
        provider.SetUserProfile("ann", "secret");
        EXPECT_EQ(provider.DoLogin(), c.LoggedIn) << c.Answer;
        EXPECT_EQ(provider.Session().MailboxKey, c.Key) << c.Answer;
    }
}

TEST_F(ExciteTest, AnAnswerWithoutTheFrameKeepsTheEarlierKeyButFails)
{
    LogIn();
    const std::string earlier = MailboxKey();
    Simulator->Replace(kRegistration, "/mps/loginreq",
                       [](const SimRequest &) { return SimResponse::Html("<html>Maintenance</html>\n"); });
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_EQ(MailboxKey(), earlier);
    Simulator->ClearHooks();
    Simulator->Alter(kMail, "/start.dcg", [](const SimRequest &, SimResponse &response) {
        response.CutAfter = response.Body.find("folder.dcg");
    });
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_EQ(MailboxKey(), earlier);
}

TEST_F(ExciteTest, UserValuesArriveIntactThroughTheLoginForm)
{
    const std::string user = "ann+b&c";
    const std::string password = "p&ss=w rd+%25;";
    Model->AddAccount(user, password);
    Provider->SetUserProfile(user, password);
    LogIn();
    std::vector<SimRequest> logins = Simulator->RequestsTo(kRegistration, "/mps/loginreq");
    ASSERT_EQ(logins.size(), 1u);
    websim::FormFields fields = logins[0].BodyFields();
    EXPECT_EQ(fields.Value("acctname"), user);
    EXPECT_EQ(fields.Value("passwd"), password);
    EXPECT_EQ(fields.Pairs.size(), 2u);
}

TEST_F(ExciteTest, NothingButLoginWorksBeforeLoggingIn)
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
    EXPECT_FALSE(Provider->GetMail("Inbox&uid=1&prev_ua=0", body, message));
    EXPECT_FALSE(Provider->DeleteMail("Inbox&uid=1&prev_ua=0"));
    EXPECT_FALSE(Provider->SendMail(mail));
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    Provider->AddAddress("bo", "bo@example.org");
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(ExciteTest, PluginReportsItsIdentity)
{
    void *library = dlopen(KORVALIN_EXCITEGATE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    ASSERT_NE(factory, nullptr);
    CMailProvider *provider = factory();
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Name, "MailExcite");
    EXPECT_EQ(provider->GetVersion(), 5);
    EXPECT_EQ(provider->SignUpUrl,
              "http://reg.excite.sim/mps/new?pname=mail&targeturl=http://mail.excite.sim/&brand=xcit&nofill=1");
    delete provider;
    dlclose(library);
}

TEST_F(ExciteTest, WorksWithHostsGivenAsPathPrefixesWithoutAProxy)
{
    ::unsetenv("http_proxy");
    WriteHostsConf(Simulator->HostsConf(true));
    AddMails(FolderRole::Inbox, {SampleMail("Over the prefix")});
    CMailExcite provider;
    provider.SetUserProfile("ann", "secret");
    ASSERT_TRUE(provider.DoLogin());
    CSummaryArray list;
    ASSERT_TRUE(provider.GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 1u);
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(provider.GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.Subject, "Over the prefix");
    EXPECT_TRUE(provider.DeleteMail(list[0].Locator));
    EXPECT_EQ(Ann().Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    for (const SimRequest &request : Simulator->Requests())
        EXPECT_EQ(request.Mode, websim::Addressing::Prefixed) << request.Target;
}

} // namespace korvalin::test
