// AngelFire's own markers on the shared page flow: listing rows, mail
// headers, the address book's trimmed addresses, and the pages built from
// the mail host without its port.
#include "AngelFireFixture.h"

namespace korvalin::test {

using namespace std::string_literals;

TEST_F(AngelFireTest, ListingRowsGiveEveryFieldAcrossPages)
{
    std::vector<SimMail> mails;
    for (int i = 0; i < 23; ++i)
        mails.push_back(SampleMail("Mail " + std::to_string(i) + " <x>", kMarch5 + i * 60, i % 2 == 1));
    AddMails(FolderRole::Inbox, mails);
    LogIn();
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 23u);
    std::vector<SimRequest> pages = Simulator->RequestsTo(kMailHost, "/" + Mailbox() + "/gmm.femail");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].Query, "from=20");

    const SummaryEntry &unread = list[0];
    EXPECT_EQ(unread.From, "Ann Smith");
    EXPECT_EQ(unread.Subject, "Mail 22 &lt;x&gt;");
    EXPECT_TRUE(unread.New);
    EXPECT_EQ(unread.Date, "01/03/05");
    EXPECT_EQ(unread.Size, "1k");
    EXPECT_EQ(unread.Locator, kMailRoot + Mailbox() + "/gmm_showmsg.femail?docid=" + unread.MessageId + ":M:INBOX");
    EXPECT_EQ(list[1].Subject, "Mail 21 &lt;x&gt;");
    EXPECT_FALSE(list[1].New);
    EXPECT_EQ(list[22].Subject, "Mail 0 &lt;x&gt;");
}

TEST_F(AngelFireTest, AMailIsReadWithAngelFiresHeaderMarkers)
{
    SimMail mail = SampleMail("Lunch");
    mail.To = "Ann <ann@angelfire.sim>";
    mail.Cc = "Cy <cy@example.org>";
    mail.Body = "Hello,\nsee you.\n";
    AddMails(FolderRole::Inbox, {mail});
    LogIn();
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 1u);
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.From, "ann@example.org");
    EXPECT_EQ(message.To, "ann@angelfire.sim");
    EXPECT_EQ(message.CC, "cy@example.org");
    EXPECT_EQ(message.Subject, "Lunch");
    EXPECT_EQ(body, "<pre><!-- Display of MIME component -->Hello,\0see you.\0<hr>\n</pre>"s);
}

TEST_F(AngelFireTest, BuiltPagesUseTheMailHostAndTheBookDropsTheByteBeforeTheLinkEnd)
{
    Model->Edit("ann", [](SimAccount &account) {
        account.Mailbox.Contacts = {{"bo", "bo@example.org", "Bo Berg"}, {"cy", "cy@example.org", ""}};
    });
    AddMails(FolderRole::Inbox, {SampleMail("Old news")});
    LogIn();
    const std::string mailbox = "/" + Mailbox();

    CAddressArray book;
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].Name, "bo");
    EXPECT_EQ(book[0].Address, "bo@example.org");
    EXPECT_EQ(book[1].Address, "cy@example.org");

    Provider->AddAddress("Dee", "dee@example.org");
    CMailMessage mail;
    mail.To = "bo@example.org";
    mail.SaveCopy = true;
    EXPECT_TRUE(Provider->SendMail(mail));
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(Provider->DeleteMail(list[0].Locator));

    std::vector<std::string> paths;
    for (const SimRequest &request : Simulator->Requests()) {
        EXPECT_EQ(request.Host, kMailHost) << request.Target;
        paths.push_back(request.Method + " " + request.Path);
    }
    const std::vector<std::string> expected = {"POST /login.notfemail",
                                               "GET " + mailbox + "/ab.femail",
                                               "POST " + mailbox + "/gmm_multiplex.femail",
                                               "GET " + mailbox + "/showcm.femail",
                                               "POST " + mailbox + "/gmm_multiplex.femail",
                                               "GET " + mailbox + "/gmm.femail",
                                               "GET " + mailbox + "/gmm_showmsg.femail",
                                               "GET " + mailbox + "/gmm_multiplex.femail"};
    EXPECT_EQ(paths, expected);

    SimAccount ann = Ann();
    EXPECT_EQ(ann.Mailbox.Contacts.back().Address, "dee@example.org");
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Sent)->Mails.size(), 1u);
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
}

} // namespace korvalin::test
