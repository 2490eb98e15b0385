// Logging in: the login post, the cookie built from the first
// "Set-cookie:" header, the mailbox link of the image map, refusals and
// answers that give no session.
#include "GoplayFixture.h"

#include <dlfcn.h>

namespace korvalin::test {
namespace {

// A login answer with the given header lines and the mailbox link two lines
// below the image map's first area.
SimResponse LoginAnswer(std::vector<std::pair<std::string, std::string>> headers, const std::string &body)
{
    SimResponse response = SimResponse::Html(body);
    for (auto &header : headers)
        response.Headers.push_back(std::move(header));
    return response;
}

const std::string kMapArea = "<AREA coords=\"0,0 68,15\"\nALT=\"Mail\"\n"
                             "HREF=\"/cgi-bin/mailbox.mail?sid=77\" TARGET=\"_top\" TARGET=\"x\">\n";

} // namespace

TEST_F(GoplayTest, LoginPostsTheFormAndKeepsTheCookieAndTheMailboxLink)
{
    LogIn();
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Path, "/01/login/login.cgi");
    EXPECT_EQ(requests[0].Query, "noses=1");
    EXPECT_EQ(requests[0].Body, "login_name=ann&login_password=secret");
    EXPECT_EQ(requests[0].Header("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].Header("cookie"), "");

    GoplayModel::Login login = Model->LatestLogin("ann");
    CGoplay::SessionValues session = Provider->Session();
    EXPECT_EQ(session.CookieHeader, "Cookie: GPSESSION=" + login.Cookie);
    EXPECT_EQ(session.MailboxLink, "http://www.goplay.sim/cgi-bin/mailbox.mail?sid=" + login.Sid);
}

TEST_F(GoplayTest, ARefusedLoginFails)
{
    Provider->SetUserProfile("ann", "wrong");
    EXPECT_FALSE(Provider->DoLogin());
    Provider->SetUserProfile("nobody", "secret");
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_TRUE(Provider->Session().CookieHeader.empty());
    CStringArray folders;
    EXPECT_FALSE(Provider->GetFolders(folders));
}

TEST_F(GoplayTest, OnlyAnAnswerWithCookieAndMailboxLinkIsALogin)
{
    using Headers = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        Headers AnswerHeaders;
        std::string Body;
        bool LoggedIn;
        std::string Cookie, Link;
    };
    const std::string refusal = "You need to be a registered GoPlayer to play.\n";
    const Case cases[] = {
        {{{"Set-cookie", "ID=1; path=/"}},
         kMapArea,
         true,
         "Cookie: ID=1",
         "http://www.goplay.sim/cgi-bin/mailbox.mail?sid=77\" TARGET=\"_top"},
        {{{"Set-Cookie", "LB=9; path=/"}, {"Set-cookie", "ID=2"}}, kMapArea, true, "Cookie: ID=2", ""},
        {{}, kMapArea, false, "", ""},
        {{{"Set-Cookie", "ID=3; path=/"}}, kMapArea, false, "", ""},
        {{{"Set-cookie", " "}}, kMapArea, false, "", ""},
        {{{"Set-cookie", "ID=4"}}, "<html>Welcome</html>\n", false, "", ""},
        {{{"Set-cookie", "ID=5"}}, refusal + kMapArea, false, "", ""},
        {{{"Set-cookie", "ID=6"}}, "<AREA coords=\"0,0 68,15\">\n<p>\n", false, "", ""},
    };
    for (const Case &c : cases) {
        Simulator->ClearHooks();
        Simulator->Replace(kHost, "/01/login/login.cgi",
                           [&](const SimRequest &) { return LoginAnswer(c.AnswerHeaders, c.Body); });
        CGoplay provider;
        provider.SetUserProfile("ann", "secret");
        EXPECT_EQ(provider.DoLogin(), c.LoggedIn) << c.Body;
        EXPECT_EQ(provider.Session().CookieHeader, c.Cookie) << c.Body;
        if (!c.Link.empty()) {
            EXPECT_EQ(provider.Session().MailboxLink, c.Link);
        }
    }
}

TEST_F(GoplayTest, UserValuesArriveIntactThroughTheLoginForm)
{
    const std::string user = "ann+b&c";
    const std::string password = "p&ss=w rd+%25;";
    Model->AddAccount(user, password);
    Provider->SetUserProfile(user, password);
    LogIn();
    std::vector<SimRequest> logins = Simulator->RequestsTo(kHost, "/01/login/login.cgi");
    ASSERT_EQ(logins.size(), 1u);
    websim::FormFields fields = logins[0].BodyFields();
    EXPECT_EQ(fields.Value("login_name"), user);
    EXPECT_EQ(fields.Value("login_password"), password);
    EXPECT_EQ(fields.Pairs.size(), 2u);
}

TEST_F(GoplayTest, NothingButLoginWorksBeforeLoggingIn)
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
    EXPECT_FALSE(Provider->GetMail("CHG_FOLDER=1&M1.x=3###1###", body, message));
    EXPECT_FALSE(Provider->DeleteMail("CHG_FOLDER=1&M1.x=3###1###"));
    EXPECT_FALSE(Provider->SendMail(mail));
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    Provider->AddAddress("bo", "bo@example.org");
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(GoplayTest, PluginReportsItsIdentity)
{
    void *library = dlopen(KORVALIN_PLAYGATE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    ASSERT_NE(factory, nullptr);
    CMailProvider *provider = factory();
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Name, "Goplay");
    EXPECT_EQ(provider->GetVersion(), 5);
    EXPECT_EQ(provider->SignUpUrl, "http://www.goplay.sim/01/regstep/regstep.cgi?noses=1&MODE=NEW");
    delete provider;
    dlclose(library);
}

TEST_F(GoplayTest, WorksWithTheHostGivenAsAPathPrefixWithoutAProxy)
{
    ::unsetenv("http_proxy");
    WriteHostsConf(Simulator->HostsConf(true));
    AddMails(FolderRole::Inbox, {SampleMail("Over the prefix")});
    CGoplay provider;
    provider.SetUserProfile("ann", "secret");
    ASSERT_TRUE(provider.DoLogin());
    CStringArray folders;
    ASSERT_TRUE(provider.GetFolders(folders));
    CSummaryArray list;
    ASSERT_TRUE(provider.GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 1u);
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(provider.GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.Subject, "Over the prefix");
    provider.AddAddress("bo", "bo@example.org");
    EXPECT_EQ(Ann().Mailbox.Contacts.size(), 1u);
    for (const SimRequest &request : Simulator->Requests())
        EXPECT_EQ(request.Mode, websim::Addressing::Prefixed) << request.Target;
}

} // namespace korvalin::test
