// Logging in: the login page and form, the refusal on the sixth line, the
// navigation links and the mail host, and what an account can do before it
// has logged in.
#include "YahooFixture.h"

#include <dlfcn.h>

namespace korvalin::test {
namespace {

const std::string kReminder = "<b>Invalid</b> <a href=\"/config/forgot\">Forget your password?</a>";

// A login answer: `lines` filler lines, with `special` as line
// `specialLine` (1-based, 0 for none), then `tail`, all ended by `end`.
std::string Answer(int lines, int specialLine, const std::string &special, const std::string &tail,
                   const std::string &end = "\n")
{
    std::string page;
    for (int number = 1; number <= lines; ++number)
        page += (number == specialLine ? special : "<!-- line " + std::to_string(number) + " -->") + end;
    return page + tail;
}

const std::string kLinks =
    "<a href=\"/ym/ShowFolder?box=Inbox&YY=7\">Check Mail</a>\n"
    "<a href=\"/ym/Compose?YY=7\">Compose</a>\n"
    "<a href=\"/ym/Folders?YY=7\">Folders</a>\n"
    "<a href=\"/yab/us?v=YM&YY=7\">Addresses</a>\n"
    "<p>Settings are under the Options menu. <a href=\"http://m.yahoo.sim/py/o.py\">Options</a>\n";

} // namespace

TEST_F(YahooTest, LoginPostsTheFormOfTheLoginPageAndKeepsAbsoluteLinks)
{
    LogIn();
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Host, kLoginHost);
    EXPECT_EQ(requests[0].Path, "/config/login");
    EXPECT_EQ(requests[0].Query, ".src=ym&.lg=us&.done=http%3a//mail.yahoo.sim/config/mail%3f.intl=");
    EXPECT_EQ(requests[1].Method, "POST");
    EXPECT_EQ(requests[1].Host, kLoginHost);
    EXPECT_EQ(requests[1].Body, ".tries=1&.src=ym&.last=&promo=&lg=us&.intl=&.done=http%3a//mail.yahoo.sim/config/"
                                "mail%3f.intl=&login=ann&passwd=secret&.persistent=Y");

    const std::string key = SessionKey();
    ASSERT_FALSE(key.empty());
    CYahooMail::SessionValues session = Provider->Session();
    EXPECT_EQ(session.BaseAddress, kBase);
    EXPECT_EQ(session.CheckMailLink, std::string(kBase) + "/ym/ShowFolder?box=Inbox&YY=" + key);
    EXPECT_EQ(session.ComposeLink, std::string(kBase) + "/ym/Compose?YY=" + key);
    EXPECT_EQ(session.FoldersLink, std::string(kBase) + "/ym/Folders?YY=" + key);
    EXPECT_EQ(session.AddressesLink, std::string(kBase) + "/yab/us?v=YM&YY=" + key);
    EXPECT_TRUE(Listing().empty());
}

TEST_F(YahooTest, AWrongPasswordOrUnknownUserIsRefused)
{
    Provider->SetUserProfile("ann", "wrong");
    EXPECT_FALSE(Provider->DoLogin());
    Provider->SetUserProfile("nobody", "secret");
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_TRUE(Provider->Session().CheckMailLink.empty());
}

TEST_F(YahooTest, OnlyTheReminderAfterTheStartOfTheSixthLineRefuses)
{
    struct Case {
        int Line;
        std::string Text;
        bool LoggedIn;
    };
    const Case cases[] = {{6, kReminder, false},
                          {6, "Forget your password?", true}, // at the very start of the line
                          {5, kReminder, true},
                          {7, kReminder, true}};
    for (const Case &c : cases) {
        AnswerLoginWith(Answer(8, c.Line, c.Text, kLinks));
        CYahooMail provider;
        provider.SetUserProfile("ann", "secret");
        EXPECT_EQ(provider.DoLogin(), c.LoggedIn) << "reminder on line " << c.Line << ": " << c.Text;
    }
}

TEST_F(YahooTest, InACrLfAnswerTheLinesAreCountedAsTheReaderDeliversThem)
{
    // Every CR LF line end reads as a line and a lone LF, so the reminder on
    // the page's sixth line is the reader's eleventh and the sixth is empty.
    AnswerLoginWith(Answer(8, 6, kReminder, kLinks, "\r\n"));
    EXPECT_TRUE(Provider->DoLogin());
    // Two CR LF lines and then LF ones: the page's fourth line is the sixth read.
    AnswerLoginWith(Answer(2, 0, "", "<b>x</b>\n" + kReminder + "\n" + kLinks, "\r\n"));
    EXPECT_FALSE(Provider->DoLogin());

    Simulator->ClearHooks();
    Model->SetLineEnd("\r\n");
    EXPECT_TRUE(Provider->DoLogin());
    CSummaryArray none = Listing();
    EXPECT_TRUE(none.empty());
}

TEST_F(YahooTest, AnAnswerWithoutUsableLinksFailsTheLogin)
{
    const std::string relativeOnly = "<a href=\"/ym/ShowFolder?box=Inbox\">Check Mail</a>\n"
                                     "<a href=\"/ym/Compose\">Compose</a>\n<a href=\"/ym/Folders\">Folders</a>\n";
    const std::string withoutCompose =
        "<a href=\"/a\">Check Mail</a>\n<a href=\"/c\">Folders</a>\n"
        "<a href=\"/d\">Addresses</a>\nunder the Options menu. <a href=\"http://m/py/\">\n";
    const std::string emptyBase = "<a href=\"/a\">Check Mail</a>\n<a href=\"/b\">Compose</a>\n<a href=\"/c\">Folders"
                                  "</a>\n<a href=\"/d\">Addresses</a>\nunder the Options menu. <a href=\"/py/\">\n";
    for (const std::string &tail : {std::string(), relativeOnly, withoutCompose, emptyBase}) {
        AnswerLoginWith(Answer(7, 0, "", tail));
        EXPECT_FALSE(Provider->DoLogin()) << tail;
    }
    // Links to whole addresses need no options line.
    AnswerLoginWith(Answer(7, 0, "",
                           "<a href=\"http://m/a\">Check Mail</a>\n<a href=\"http://m/b\">Compose</a>\n<a "
                           "href=\"http://m/c\">Folders</a>\n"));
    EXPECT_TRUE(Provider->DoLogin());
    EXPECT_EQ(Provider->Session().FoldersLink, "http://m/c");

    // A login page without its form posts nothing.
    Simulator->ClearHooks();
    Simulator->Replace(kLoginHost, "", [](const SimRequest &) { return SimResponse::Html("<html>Closed</html>\n"); });
    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_EQ(Simulator->Requests().size(), 1u);
}

TEST_F(YahooTest, TheLinksAreTakenInOrderAndTheMailHostFromTheOptionsLine)
{
    // Compose before Check Mail is not taken; Folders on the Check Mail line is.
    AnswerLoginWith(Answer(6, 0, "",
                           "<a href=\"/early\">Compose</a>\n"
                           "<a href=\"/in\">Check Mail</a> <a href=\"/x\">Compose</a>\n"
                           "<a href=\"/write\">Compose</a>\n<a href=\"/f\">Folders</a>\n<a href=\"/ab\">Addresses</a> "
                           "All under the Options menu. <a href=\"http://m.yahoo.sim:81/py/options\">\n"
                           "<a href=\"/late\">Check Mail</a>\n"));
    ASSERT_TRUE(Provider->DoLogin());
    CYahooMail::SessionValues session = Provider->Session();
    EXPECT_EQ(session.BaseAddress, "http://m.yahoo.sim:81");
    EXPECT_EQ(session.CheckMailLink, "http://m.yahoo.sim:81/in");
    EXPECT_EQ(session.ComposeLink, "http://m.yahoo.sim:81/in\">Check Mail</a> <a href=\"/x");
    EXPECT_EQ(session.FoldersLink, "http://m.yahoo.sim:81/f");
    EXPECT_EQ(session.AddressesLink, "http://m.yahoo.sim:81/ab");
}

TEST_F(YahooTest, AFailedLoginAfterAGoodOneReportsFailureAndKeepsTheSession)
{
    LogIn();
    CYahooMail::SessionValues before = Provider->Session();
    AnswerLoginWith(Answer(7, 0, "", "<a href=\"/elsewhere\">Check Mail</a>\n"));
    EXPECT_FALSE(Provider->DoLogin());
    EXPECT_EQ(Provider->Session().CheckMailLink, before.CheckMailLink);
    EXPECT_EQ(Provider->Session().BaseAddress, before.BaseAddress);
}

TEST_F(YahooTest, UserValuesArriveIntactThroughTheLoginForm)
{
    const std::string user = "ann+b&c";
    const std::string password = "p&ss=w rd+%25;";
    Model->AddAccount(user, password);
    Provider->SetUserProfile(user, password);
    LogIn();
    std::vector<SimRequest> posts = Simulator->RequestsTo(kLoginHost, "/config/login");
    ASSERT_EQ(posts.size(), 2u);
    websim::FormFields fields = posts[1].BodyFields();
    EXPECT_EQ(fields.Value("login"), user);
    EXPECT_EQ(fields.Value("passwd"), password);
    EXPECT_EQ(fields.Pairs.size(), 10u);
}

TEST_F(YahooTest, NothingButLoginWorksBeforeLoggingIn)
{
    CStringArray folders{"stale"};
    CSummaryArray list;
    EXPECT_FALSE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, CStringArray{"stale"});
    EXPECT_FALSE(Provider->GetMailSummary(list, -1));
    EXPECT_FALSE(Provider->GetMailSummary(list, 0));
    EXPECT_TRUE(list.empty());
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_FALSE(Provider->SendMail(mail));
    EXPECT_FALSE(Provider->DeleteMail("http://mail.yahoo.sim/ym/ShowLetter?message=1_1_1&sort=date"));
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    Provider->AddAddress("bo", "bo@example.org");
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(YahooTest, PluginReportsItsIdentity)
{
    void *library = dlopen(KORVALIN_YAHOOGATE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    ASSERT_NE(factory, nullptr);
    CMailProvider *provider = factory();
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Name, "YahooMail");
    EXPECT_EQ(provider->GetVersion(), 5);
    EXPECT_EQ(provider->SignUpUrl, "http://mail.yahoo.sim/config/eval_register?lg=us&new=1&.done=http%3a//"
                                   "mail.yahoo.sim/config/mail%3f.intl=&.src=ym&partner=&promo=&.last=&.intl=");
    delete provider;
    dlclose(library);
}

TEST_F(YahooTest, WorksWithHostsGivenAsPathPrefixesWithoutAProxy)
{
    ::unsetenv("http_proxy");
    WriteHostsConf(Simulator->HostsConf(true));
    AddMails(FolderRole::Inbox, {SampleMail("Over the prefix")});
    CYahooMail provider;
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
