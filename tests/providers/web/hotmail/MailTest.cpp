// Fetching a mail: the header block, the two body layouts with their zero
// byte line ends and the ten-byte first line, the attachment link, and pages
// that are cut short or carry no markers.
#include "HotmailFixture.h"

namespace korvalin::test {
namespace {

using namespace std::string_literals;

// A mail page as the service lays it out, with the given body lines after
// the table start.
std::string TablePage(const std::string& bodyLines)
{
    return "<html>\n<body>\n<pre>\nFrom: Bo &lt;bo@example.org&gt;\nTo: ann@hotmail.sim\n<b>Subject:Hi</b>\n"
           "</pre></td></tr></table>\n</td></tr><tr><td>\n" +
           bodyLines + "</td></tr><tr><td>\n&nbsp;</td></tr>\n</table>\n</body></html>\n";
}

} // namespace

TEST_F(HotmailTest, ATableLayoutMailIsWrittenByteForByte)
{
    SimMail mail = SampleMail("Lunch <today>");
    mail.To = "Ann <ann@hotmail.sim>";
    mail.Cc = "bo@example.org";
    mail.Body = "Hello,\n\nsee you at <noon>.\n";
    mail.Attachments.push_back({"notes.txt", "text/plain", "the notes\n"});
    AddMails(FolderRole::Inbox, {mail});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    CHotmail::SessionValues session = Provider->Session();

    std::string body = "kept";
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.From, "ann@example.org");
    EXPECT_EQ(message.To, "ann@hotmail.sim");
    EXPECT_EQ(message.CC, "bo@example.org");
    EXPECT_EQ(message.Subject, "Lunch &lt;today&gt;");

    std::string attachment = "<a name=\"attachment\"></a>Attachments: <a href=\"http://web.hotmail.sim/cgi-bin/getmsg/"
                             "notes.txt?login=ann&amp;disk=" +
                             session.Disk + "&amp;f=" + session.FormF + "&amp;msg=" + list[0].MessageId +
                             "&amp;part=0\">notes.txt</a>";
    std::string expected = "kept<pre><tt>\0Hello,\0\0see you at &lt;noon&gt;.\0</tt></pre>\0</table>\0"s + attachment;
    EXPECT_EQ(body, expected);
    EXPECT_TRUE(Ann().Mailbox.FolderWithRole(FolderRole::Inbox)->Mails[0].Read);
}

TEST_F(HotmailTest, APlainLayoutMailIsWrittenButNotCountedAsFetched)
{
    SimMail mail = SampleMail("Offer");
    mail.FromName.clear(); // a bare address ends its line: no line end may stick to it
    mail.Html = true;
    mail.Body = "<html><body>\n<p>Sale</p>\n</body></html>\n";
    AddMails(FolderRole::Inbox, {mail});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.From, "ann@example.org");
    EXPECT_EQ(body, "<html><body>\n\0<p>Sale</p>\n\0</body></html>\n\0"s);
}

TEST_F(HotmailTest, TheFirstBodyLineIsWrittenThroughATenByteWindow)
{
    LogIn();
    struct Case {
        std::string FirstLine;
        std::string Written;
    };
    for (const Case& c :
         {Case{"<p>", "<p>\0\0\0\0\0\0\0"s}, Case{"0123456789ABC", "0123456789"}, Case{"", std::string(10, '\0')}}) {
        Simulator->ClearHooks();
        Simulator->Replace(kWeb, "/cgi-bin/getmsg", [&](const SimRequest&) {
            return SimResponse::Html(TablePage(c.FirstLine +
                                               "\nline one\n<input type=\"hidden\" name=\"x\" value=\"1\">\n"
                                               "line two\n"));
        });
        std::string body;
        CMailMessage message;
        EXPECT_TRUE(Provider->GetMail("/cgi-bin/getmsg?msg=1", body, message));
        EXPECT_EQ(body, c.Written + "line one\0line two\0</table>\0"s) << c.FirstLine;
        EXPECT_EQ(message.From, "bo@example.org");
        EXPECT_EQ(message.Subject, "Hi");
    }
}

TEST_F(HotmailTest, AMailPageCutShortWritesNothingAndLeavesNoSender)
{
    AddMails(FolderRole::Inbox, {SampleMail("Long one")});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    Simulator->Alter(kWeb, "/cgi-bin/getmsg", [](const SimRequest&, SimResponse& response) {
        response.CutAfter = response.Body.find("</tt></pre>");
    });
    std::string body = "kept";
    CMailMessage message;
    message.From = "left over";
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_EQ(body, "kept");
}

TEST_F(HotmailTest, PagesWithoutMarkersGiveEmptyResults)
{
    AddMails(FolderRole::Inbox, {SampleMail("Hidden")});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    Simulator->Replace("", "", [](const SimRequest&) {
        return SimResponse::Html("<html><body>Down for maintenance <a href=\"/\">home</a></body></html>\n");
    });

    std::string body;
    CMailMessage message;
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(message.From.empty());
    CStringArray folders{"stale"};
    EXPECT_TRUE(Provider->GetFolders(folders));
    EXPECT_TRUE(folders.empty());
    CSummaryArray again;
    EXPECT_TRUE(Provider->GetMailSummary(again, -1));
    EXPECT_TRUE(again.empty());
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_FALSE(Provider->SendMail(mail));
    EXPECT_FALSE(Provider->DoLogin());
}

TEST_F(HotmailTest, ListingsCutShortKeepWhatArrivedAndReportFailure)
{
    Model->SetPageSize(3);
    std::vector<SimMail> mails;
    for (int i = 0; i < 6; ++i)
        mails.push_back(SampleMail("Cut " + std::to_string(i), kMarch5 + i));
    AddMails(FolderRole::Inbox, mails);
    LogIn();
    for (size_t fifths = 0; fifths < 5; ++fifths) {
        Simulator->ClearHooks();
        Simulator->Alter(kWeb, "/cgi-bin/start", [&](const SimRequest& request, SimResponse& response) {
            if (request.QueryFields().Value("page") == "2")
                response.CutAfter = response.Body.size() * fifths / 5;
        });
        CSummaryArray list;
        EXPECT_FALSE(Provider->GetMailSummary(list, -1)) << fifths;
        EXPECT_GE(list.size(), 3u);
        EXPECT_LE(list.size(), 6u);
    }
}

} // namespace korvalin::test
