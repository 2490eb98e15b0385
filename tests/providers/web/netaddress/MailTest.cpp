// Fetching a mail: the header values at their fixed lines, the body lines
// each followed by a zero byte, relative links made absolute, and pages that
// are cut short or carry no markers.
#include "NetAddressFixture.h"

#include "WebRequest.h"

namespace korvalin::test {
namespace {

using namespace std::string_literals;

std::string Lines(const std::string &text, int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += text + "\n";
    return lines;
}

} // namespace

TEST_F(NetAddressTest, AMailIsWrittenByteForByteWithItsHeaderValues)
{
    SimMail mail = SampleMail("Lunch <today>");
    mail.To = "Ann <ann@netaddress.sim>";
    mail.Cc = "bo@example.org";
    mail.Body = "Hello,\n\nsee you at <noon>.\n";
    mail.Attachments.push_back({"notes.txt", "text/plain", "the notes\n"});
    AddMails(FolderRole::Inbox, {mail});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    Simulator->ClearRequests();

    std::string body = "kept";
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail(list[0].Locator, body, message));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Path, PagePath("Message", MailboxId(), "Read"));
    EXPECT_EQ(requests[0].Body, list[0].Locator);

    EXPECT_EQ(message.From, "\"Ann Smith\" <ann@example.org>");
    EXPECT_EQ(message.To, "Ann <ann@netaddress.sim>");
    EXPECT_EQ(message.CC, "bo@example.org");
    EXPECT_EQ(message.Subject, "Lunch &lt;today&gt;\n");
    const std::string link = "http://www.netaddress.sim" + PagePath("Message", MailboxId(), "Attachment/") +
                             list[0].MessageId + "/0/notes.txt";
    EXPECT_EQ(body, "kept<tt><pre>\n\0Hello,\n\0\n\0see you at &lt;noon&gt;.\n\0</pre></tt>\n\0"s
                    "<hr size=\"1\"><font size=\"-1\"><b>Attachments:</b></font><br>\n\0"s
                    "<a href=\"" +
                        link + "\" TARGET=\"_blank\">notes.txt</A> (1k)<br>\n\0"s);
    EXPECT_TRUE(Ann().Mailbox.FolderWithRole(FolderRole::Inbox)->Mails[0].Read);

    // The rewritten link leads to the attachment.
    CWebRequest request;
    std::string attachment;
    ASSERT_TRUE(request.GetPage(link, attachment));
    EXPECT_EQ(attachment, "the notes\n");
}

TEST_F(NetAddressTest, HeaderLinesAreFoundFromTheirMarkersAndLinksAreRewritten)
{
    // The copy marker sits on the To line itself; the subject keeps its line
    // end; text before a relative link is dropped.
    const std::string page =
        "<html>\n<b>Subject:</b> too early, no From yet\n" + Lines("<!-- x -->", 4) +
        "  early subject\n<!-- from and to-->\n" + Lines("<td>", 9) + "  &quot;Bo&quot; &lt;bo@x.org&gt;\t\n" +
        Lines("<td>", 18) + " ann@netaddress.sim <b>Cc:</b>\n" + Lines("<td>", 4) + " cy@x.org \n" +
        "<b>Subject:</b>\n" + Lines("<td>", 4) + "   Plans &amp; more\n" + "<!-- Data -->\n" +
        "Text before <A HREF=\"/tpl/img/a.gif\" width=1>pic</A> and after\n" + "<A HREF=\"/x\">short</A>\n" +
        "<A HREF=\"/open\n" + "last line\n" + "<form name=\"Transfer2\" action=\"/tpl\">\nafter the form\n";
    LogIn();
    Simulator->Replace(kHost, PagePath("Message", MailboxId(), "Read"),
                       [&](const SimRequest &) { return SimResponse::Html(page); });
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail("Q=M1&FolderID=1&Sort=Date", body, message));
    EXPECT_EQ(message.From, "\"Bo\" <bo@x.org>");
    EXPECT_EQ(message.To, "ann@netaddress.sim <b>Cc:</b>");
    EXPECT_EQ(message.CC, "cy@x.org");
    EXPECT_EQ(message.Subject, "Plans &amp; more\n");
    EXPECT_EQ(body, "<a href=\"http://www.netaddress.sim/tpl/img/a.gif\" width=1>pic</A> and after\n\0"s
                    "<a href=\"http://www.netaddress.sim/x\">short</A>\n\0"s
                    "<a href=\"http://www.netaddress.sim/open\n\0"s
                    "last line\n\0"s);
}

TEST_F(NetAddressTest, AMailPageCutShortWritesNothingAndLeavesNoSender)
{
    AddMails(FolderRole::Inbox, {SampleMail("Long one")});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    Simulator->Alter(kHost, PagePath("Message", MailboxId(), "Read"), [](const SimRequest &, SimResponse &response) {
        response.CutAfter = response.Body.find("<!-- Data -->") + 20;
    });
    std::string body = "kept";
    CMailMessage message;
    message.From = "left over";
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_EQ(body, "kept");
}

TEST_F(NetAddressTest, PagesWithoutMarkersGiveEmptyResults)
{
    AddMails(FolderRole::Inbox, {SampleMail("Hidden")});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    Simulator->Replace("", "", [](const SimRequest &) {
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
    EXPECT_FALSE(Provider->DoLogin());
}

} // namespace korvalin::test
