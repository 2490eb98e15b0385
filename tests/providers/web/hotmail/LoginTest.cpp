// Logging in: the two posts, the refusal on the ninth line, the inbox link,
// and what an account looks like before it has logged in.
#include "HotmailFixture.h"

#include "FormEncoding.h"

#include <dlfcn.h>

namespace korvalin::test {
namespace {

constexpr const char* kRefusal = "<b>We're Sorry, We Cannot Sign You In</b>";

// A login answer of `lines` lines; line `refusalLine` (1-based, 0 for none)
// carries the refusal, and `link` (if any) follows as line lines + 1.
std::string LoginAnswer(int lines, int refusalLine, const std::string& link)
{
    std::string page;
    for (int number = 1; number <= lines; ++number)
        page += number == refusalLine ? std::string(kRefusal) + "\n" : "<!-- line " + std::to_string(number) + " -->\n";
    return page + link + "</body></html>\n";
}

const std::string kInboxLink =
    "<a href=\"/cgi-bin/start?curmbox=ACTIVE&js=no&login=ann&disk=d1&f=2&\" onmouseover=\"x()\">In-Box</a>\n";

} // namespace

TEST_F(HotmailTest, LoginPostsBothFormsToTheirHostsAndKeepsTheInboxLink)
{
    LogIn();
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Host, kForm);
    EXPECT_EQ(requests[0].Path, "/cgi-bin/passwordform");
    EXPECT_EQ(requests[0].Body, "login=ann&enter=Enter&curmbox=ACTIVE&js=no");
    EXPECT_EQ(requests[1].Host, kLogin);
    EXPECT_EQ(requests[1].Path, "/cgi-bin/start");
    EXPECT_EQ(requests[1].Body, "passwd=secret&submit= Enter &frames=no&curmbox=ACTIVE&login=ann&js=no");
    EXPECT_EQ(requests[1].Header("content-type"), "application/x-www-form-urlencoded");

    std::string inbox = Provider->Session().InboxUrl;
    EXPECT_EQ(inbox.rfind("http://web.hotmail.sim/cgi-bin/start?curmbox=ACTIVE&", 0), 0u) << inbox;
    EXPECT_EQ(inbox.find("onmouseover"), std::string::npos);
    EXPECT_TRUE(Inbox().empty());
}

TEST_F(HotmailTest, WrongPasswordOrUnknownUserIsRefused)
{
    Provider->SetUserProfile("ann", "wrong");
    EXPECT_FALSE(Provider->DoLogin());
    Provider->SetUserProfile("nobody", "secret");
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_TRUE(Provider->Session().InboxUrl.empty());
}

TEST_F(HotmailTest, OnlyTheRefusalOnTheNinthLineFailsTheLogin)
{
    struct Case {
        int RefusalLine;
        bool LoggedIn;
    };
    for (Case c : {Case{9, false}, Case{8, true}, Case{10, true}, Case{1, true}}) {
        Simulator->ClearHooks();
        Simulator->Replace(kLogin, "/cgi-bin/start", [&](const SimRequest&) {
            return SimResponse::Html(LoginAnswer(10, c.RefusalLine, kInboxLink));
        });
        CHotmail provider;
        provider.SetUserProfile("ann", "secret");
        EXPECT_EQ(provider.DoLogin(), c.LoggedIn) << "refusal on line " << c.RefusalLine;
    }
}

TEST_F(HotmailTest, AnAnswerWithoutAUsableInboxLinkFailsTheLogin)
{
    const std::string linkWithoutEnd = "<a href=\"/cgi-bin/start?curmbox=ACTIVE&login=ann\">In-Box</a>\n";
    for (const std::string& answer : {LoginAnswer(12, 0, ""), LoginAnswer(12, 0, linkWithoutEnd), std::string()}) {
        Simulator->ClearHooks();
        Simulator->Replace(kLogin, "/cgi-bin/start", [&](const SimRequest&) { return SimResponse::Html(answer); });
        EXPECT_FALSE(Provider->DoLogin()) << answer;
    }
    Simulator->ClearHooks();
    Simulator->Replace(kLogin, "",
                       [](const SimRequest&) { return SimResponse::Error(503, "Service Unavailable", "try later"); });
    EXPECT_FALSE(Provider->DoLogin());
}

TEST_F(HotmailTest, AFailedLoginAfterAGoodOneDoesNotReportSuccess)
{
    LogIn();
    Simulator->Replace(kLogin, "/cgi-bin/start",
                       [](const SimRequest&) { return SimResponse::Html("<html></html>\n"); });
    EXPECT_FALSE(Provider->DoLogin());
}

TEST_F(HotmailTest, UserValuesArriveIntactThroughTheForms)
{
    const std::string user = "ann+b&c";
    const std::string password = "p&ss=w rd+%25;";
    Model->AddAccount(user, password);
    Provider->SetUserProfile(user, password);
    LogIn();
    std::vector<SimRequest> logins = Simulator->RequestsTo(kLogin, "/cgi-bin/start");
    ASSERT_EQ(logins.size(), 1u);
    websim::FormFields fields = logins[0].BodyFields();
    EXPECT_EQ(fields.Value("passwd"), password);
    EXPECT_EQ(fields.Value("login"), user);
    EXPECT_EQ(fields.Value("submit"), " Enter ");
    EXPECT_EQ(fields.Pairs.size(), 6u);
}

TEST_F(HotmailTest, NothingButLoginWorksBeforeLoggingIn)
{
    CStringArray folders{"stale"};
    CSummaryArray list;
    EXPECT_FALSE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, CStringArray{"stale"});
    EXPECT_FALSE(Provider->GetMailSummary(list, -1));
    EXPECT_FALSE(Provider->GetMailSummary(list, 0));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(HotmailTest, PluginReportsItsIdentity)
{
    void* library = dlopen(KORVALIN_HOTGATE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    ASSERT_NE(factory, nullptr);
    CMailProvider* provider = factory();
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Name, "HotMail");
    EXPECT_EQ(provider->GetVersion(), 6);
    EXPECT_EQ(provider->SignUpUrl, "http://web.hotmail.sim/cgi-bin/tos.cgi?us=hotmail");
    delete provider;
    dlclose(library);
}

TEST_F(HotmailTest, WorksWithHostsGivenAsPathPrefixesWithoutAProxy)
{
    ::unsetenv("http_proxy");
    WriteHostsConf(Simulator->HostsConf(true));
    AddMails(FolderRole::Inbox, {SampleMail("Over the prefix")});
    CHotmail provider;
    provider.SetUserProfile("ann", "secret");
    ASSERT_TRUE(provider.DoLogin());
    CSummaryArray list;
    ASSERT_TRUE(provider.GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 1u);
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(provider.GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.Subject, "Over the prefix");
    for (const SimRequest& request : Simulator->Requests())
        EXPECT_EQ(request.Mode, websim::Addressing::Prefixed) << request.Target;
}

} // namespace korvalin::test
