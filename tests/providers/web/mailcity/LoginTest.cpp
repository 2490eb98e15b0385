// Logging in: the home page's form, the refusal on the sixth line and the
// authorization failure, the Read Mail link split into host prefix and
// mailbox path, and what an account can do before it has logged in.
#include "MailCityFixture.h"

#include <dlfcn.h>

namespace korvalin::test {
namespace {

const std::string kReminder = "Wrong password. <a href=\"/help\">Forget your password?</a>";
const std::string kReadMail = "<td><a href=\"http://mail.mailcity.sim:80/uabc/gmm.femail\"><font color=\"#ffffff\" "
                              "size=2><b>Read Mail</b></font></a></td>";
const std::string kRefused = "<p>Authorization to use <b>MailCity</b> has failed.</p>";

// A login answer: eight filler lines with `special` as line `specialLine`
// (1-based, 0 for none), then `tail`.
std::string Answer(int specialLine, const std::string &special, const std::string &tail)
{
    std::string page;
    for (int number = 1; number <= 8; ++number)
        page += (number == specialLine ? special : "<!-- line " + std::to_string(number) + " -->") + "\n";
    return page + tail + "\n";
}

} // namespace

TEST_F(MailCityTest, LoginPostsTheHomePageFormAndSplitsTheReadMailLink)
{
    LogIn();
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Host, kHomeHost);
    EXPECT_EQ(requests[0].Path, "/");
    EXPECT_EQ(requests[1].Method, "POST");
    EXPECT_EQ(requests[1].Host, kMailHost);
    EXPECT_EQ(requests[1].Path, "/login.femail");
    EXPECT_EQ(requests[1].Body, "user=ann&passwd=secret&version=2&partner_key=korvalin");

    CFemailProvider::SessionValues session = Provider->Session();
    ASSERT_EQ(session.MailboxPath.rfind("u", 0), 0u) << session.MailboxPath;
    EXPECT_EQ(session.ReadMailLink, kMailRoot + session.MailboxPath + "/gmm.femail");
    EXPECT_EQ(session.PagePrefix, kMailRoot);
    EXPECT_TRUE(Listing().empty());
}

TEST_F(MailCityTest, TheReminderOnTheSixthLineAndTheAuthorizationFailureRefuse)
{
    Provider->SetUserProfile("ann", "wrong");
    EXPECT_FALSE(Provider->DoLogin());
    Provider->SetUserProfile("ann", "secret");
    Model->Suspend("ann");
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_TRUE(Provider->Session().ReadMailLink.empty());

    struct Case {
        std::string Page;
        bool LoggedIn;
    };
    const Case cases[] = {
        {Answer(6, kReminder, kReadMail), false},
        {Answer(6, "Forget your password?", kReadMail), true}, // at the very start of the line
        {Answer(5, kReminder, kReadMail), true},
        {Answer(8, kRefused, kReadMail), false},
        {Answer(0, "", kReadMail + kRefused), true}, // the Read Mail line ends the scan first
    };
    for (const Case &c : cases) {
        AnswerLoginWith("/login.femail", c.Page);
        CMailCity provider;
        provider.SetUserProfile("ann", "secret");
        EXPECT_EQ(provider.DoLogin(), c.LoggedIn) << c.Page;
    }
}

TEST_F(MailCityTest, AnAnswerWithoutTheReadMailLinkFailsTheLogin)
{
    const std::string noEnd = "<a href=\"http://mail.mailcity.sim:80/uabc/gmm.femail\"><b>Read Mail</b></a>";
    for (const std::string &page : {std::string(), Answer(0, "", "<p>Welcome back!</p>"), Answer(0, "", noEnd)}) {
        AnswerLoginWith("/login.femail", page);
        EXPECT_FALSE(Provider->DoLogin()) << page;
    }

    // A home page without the login form posts nothing.
    Simulator->ClearHooks();
    Simulator->Replace(kHomeHost, "/", [](const SimRequest &) { return SimResponse::Html("<html>Closed</html>\n"); });
    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_EQ(Simulator->Requests().size(), 1u);
}

TEST_F(MailCityTest, AFailedLoginAfterAGoodOneReportsFailureAndKeepsTheSession)
{
    LogIn();
    const std::string link = Provider->Session().ReadMailLink;
    AnswerLoginWith("/login.femail", Answer(0, "", "<p>Try again later</p>"));
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_EQ(Provider->Session().ReadMailLink, link);
}

TEST_F(MailCityTest, UserValuesArriveIntactThroughTheForms)
{
    const std::string user = "ann+b&c";
    const std::string password = "p&ss=w rd+%25;";
    Model->AddAccount(user, password);
    Provider->SetUserProfile(user, password);
    LogIn();
    std::vector<SimRequest> logins = Simulator->RequestsTo(kMailHost, "/login.femail");
    ASSERT_EQ(logins.size(), 1u);
    websim::FormFields fields = logins[0].BodyFields();
    EXPECT_EQ(fields.Value("user"), user);
    EXPECT_EQ(fields.Value("passwd"), password);
    EXPECT_EQ(fields.Pairs.size(), 4u);

    Provider->AddAddress("Bo", "bo@example.org");
    EXPECT_EQ(Model->Snapshot(user).Mailbox.Contacts.size(), 1u); // the entry names its owner intact
}

TEST_F(MailCityTest, NothingButLoginWorksBeforeLoggingIn)
{
    CStringArray folders{"stale"};
    CSummaryArray list;
    EXPECT_FALSE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, CStringArray{"stale"});
    EXPECT_FALSE(Provider->GetMailSummary(list, -1));
    EXPECT_FALSE(Provider->GetMailSummary(list, 0));
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_FALSE(Provider->SendMail(mail));
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    Provider->AddAddress("bo", "bo@example.org");
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(MailCityTest, PluginReportsItsIdentity)
{
    void *library = dlopen(KORVALIN_CITYGATE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    ASSERT_NE(factory, nullptr);
    CMailProvider *provider = factory();
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Name, "MailCity");
    EXPECT_EQ(provider->GetVersion(), 5);
    EXPECT_EQ(provider->SignUpUrl, "http://mail.mailcity.sim:80/freemail/Agreement.html");
    delete provider;
    dlclose(library);
}

TEST_F(MailCityTest, WorksWithHostsGivenAsPathPrefixesWithoutAProxy)
{
    ::unsetenv("http_proxy");
    WriteHostsConf(Simulator->HostsConf(true));
    AddMails(FolderRole::Inbox, {SampleMail("Over the prefix")});
    CMailCity provider;
    provider.SetUserProfile("ann", "secret");
    ASSERT_TRUE(provider.DoLogin());
    CSummaryArray list;
    ASSERT_TRUE(provider.GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 1u);
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(provider.GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.Subject, "Over the prefix");
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_TRUE(provider.SendMail(mail));
    EXPECT_TRUE(provider.DeleteMail(list[0].Locator));
    EXPECT_EQ(Ann().Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    for (const SimRequest &request : Simulator->Requests())
        EXPECT_EQ(request.Mode, websim::Addressing::Prefixed) << request.Target;
}

} // namespace korvalin::test
