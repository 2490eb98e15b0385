// Logging in to the fixed mail host: the form posted without a home page,
// the refusal on the sixth line, the Read Mail line with its style, and the
// mailbox path that the built page addresses use.
#include "AngelFireFixture.h"

#include <dlfcn.h>

namespace korvalin::test {
namespace {

const std::string kReminder = "Wrong password. <a href=\"/help\">Forget your password?</a>";
const std::string kReadMail =
    "<td><a href=\"http://mail.angelfire.sim:80/uabc/gmm.femail\" style=\"color: #fff\">Read Mail</a></td>";

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

TEST_F(AngelFireTest, LoginPostsStraightToTheMailHostAndLearnsTheMailboxPath)
{
    LogIn();
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u); // no home page
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Host, kMailHost);
    EXPECT_EQ(requests[0].Path, "/login.notfemail");
    EXPECT_EQ(requests[0].Body, "user=ann&passwd=secret&version=2&partner_key=korva");

    CFemailProvider::SessionValues session = Provider->Session();
    ASSERT_EQ(session.MailboxPath.rfind("u", 0), 0u) << session.MailboxPath;
    EXPECT_EQ(session.ReadMailLink, kMailRoot + session.MailboxPath + "/gmm.femail"); // past the help link
    EXPECT_EQ(session.PagePrefix, "http://mail.angelfire.sim/");
    EXPECT_TRUE(Listing().empty());
}

TEST_F(AngelFireTest, TheReminderOnTheSixthLineIsTheOnlyRefusal)
{
    Provider->SetUserProfile("ann", "wrong");
    EXPECT_FALSE(Provider->DoLogin());

    struct Case {
        std::string Page;
        bool LoggedIn;
    };
    const Case cases[] = {
        {Answer(6, kReminder, kReadMail), false},
        {Answer(7, kReminder, kReadMail), true},
        {Answer(8, "<p>Authorization to use <b>MailCity</b> has failed</p>", kReadMail), true},
    };
    for (const Case &c : cases) {
        AnswerLoginWith("/login.notfemail", c.Page);
        CAngelFire provider;
        provider.SetUserProfile("ann", "secret");
        EXPECT_EQ(provider.DoLogin(), c.LoggedIn) << c.Page;
    }
}

TEST_F(AngelFireTest, AnAnswerWithoutTheReadMailLineFailsTheLogin)
{
    const std::string withoutStyle = "<a href=\"http://mail.angelfire.sim:80/uabc/gmm.femail\">Read Mail</a>";
    const std::string otherHost = "<a href=\"http://elsewhere.sim:80/uabc/gmm.femail\" style=\"x\">Read Mail</a>";
    // The last line read carries a mailbox path, but no Read Mail line does.
    for (const std::string &tail : {withoutStyle, otherHost, std::string("http://x:80/uabc/gmm.femail")}) {
        AnswerLoginWith("/login.notfemail", Answer(0, "", tail));
        EXPECT_FALSE(Provider->DoLogin()) << tail;
    }
    EXPECT_TRUE(Provider->Session().MailboxPath.empty());

    AnswerLoginWith("/login.notfemail", Answer(0, "", withoutStyle + "\n" + kReadMail));
    EXPECT_TRUE(Provider->DoLogin());
    EXPECT_EQ(Provider->Session().MailboxPath, "uabc");
}

TEST_F(AngelFireTest, TheFirstFolderLineIsTheInboxWhateverItsName)
{
    AddMailsToFolder("Work", {SampleMail("Quarterly plan")});
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, (CStringArray{"Sent", "Drafts", "Trash", "Work"}));
    CSummaryArray work = Listing(3);
    ASSERT_EQ(work.size(), 1u);
    EXPECT_EQ(work[0].Subject, "Quarterly plan");

    Simulator->Replace(kMailHost, "/" + Mailbox() + "/gmm.femail", [](const SimRequest &) {
        return SimResponse::Html("<a href=\"http://m/w\"><img width=11 height=11 border=0> Work</a>\n"
                                 "<a href=\"http://m/i\"><img width=11 height=11 border=0> Inbox  </a>\n");
    });
    ASSERT_TRUE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, CStringArray{"Inbox  "}); // untrimmed
    EXPECT_EQ(Provider->Session().FolderLinks, CStringArray{"http://m/i"});
}

TEST_F(AngelFireTest, PluginReportsItsIdentity)
{
    void *library = dlopen(KORVALIN_ANGELGATE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto factory = reinterpret_cast<ProviderFactory>(dlsym(library, kProviderFactorySymbol));
    ASSERT_NE(factory, nullptr);
    CMailProvider *provider = factory();
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->Name, "AngelFire");
    EXPECT_EQ(provider->GetVersion(), 5);
    EXPECT_EQ(provider->SignUpUrl, "http://www.angelfire.sim:80/freemail/Agreement.html");
    delete provider;
    dlclose(library);
}

TEST_F(AngelFireTest, WorksWithHostsGivenAsPathPrefixesWithoutAProxy)
{
    ::unsetenv("http_proxy");
    WriteHostsConf(Simulator->HostsConf(true));
    AddMails(FolderRole::Inbox, {SampleMail("Over the prefix")});
    CAngelFire provider;
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
    CAddressArray book;
    provider.GetAddressBook(book);
    EXPECT_TRUE(provider.DeleteMail(list[0].Locator));
    EXPECT_EQ(Ann().Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    for (const SimRequest &request : Simulator->Requests())
        EXPECT_EQ(request.Mode, websim::Addressing::Prefixed) << request.Target;
}

} // namespace korvalin::test
