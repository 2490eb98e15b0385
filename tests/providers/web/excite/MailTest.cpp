// Fetching a mail: the header values two lines below their labels, the
// body written as read after its first line, the locator cut before
// "&prev_ua", and pages that are cut short or carry no markers.
#include "ExciteFixture.h"

#include "WebRequest.h"

namespace korvalin::test {
namespace {

using namespace std::string_literals;

} // namespace

TEST_F(ExciteTest, AMailIsWrittenByteForByteWithItsHeaderValues)
{
    SimMail mail = SampleMail("Lunch <today>");
    mail.To = "Ann <ann@excite.sim>";
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
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Path, "/msg.dcg");
    EXPECT_EQ(requests[0].Query, "x=" + MailboxKey() + "&fl=Inbox&uid=" + list[0].MessageId);

    EXPECT_EQ(message.From, "Ann Smith <ann@example.org>");
    EXPECT_EQ(message.To, "Ann <ann@excite.sim>");
    EXPECT_EQ(message.CC, "bo@example.org");
    EXPECT_EQ(message.Subject, "Lunch &lt;today&gt;");
    const std::string link = "http://mail.excite.sim/attach.dcg/notes.txt?x=" + MailboxKey() +
                             "&amp;uid=" + list[0].MessageId + "&amp;part=0";
    EXPECT_EQ(body, "kept<!-- header -->\n\0"s
                    "<pre>\nHello,\n\nsee you at &lt;noon&gt;.\n</pre>\n<p>Attachment: <a href=\"" +
                        link + "\">notes.txt</a></p>\n");
    EXPECT_TRUE(Ann().Mailbox.FolderWithRole(FolderRole::Inbox)->Mails[0].Read);

    CWebRequest request;
    std::string attachment;
    ASSERT_TRUE(request.GetPage("http://mail.excite.sim/attach.dcg/notes.txt?x=" + MailboxKey() +
                                    "&uid=" + list[0].MessageId + "&part=0",
                                attachment));
    EXPECT_EQ(attachment, "the notes\n");
}

TEST_F(ExciteTest, HeaderValuesAreFoundTwoLinesBelowTheirLabels)
{
    // Labels may share a line with an earlier value; a subject loses its
    // "&#13;" entities and leading blanks; "<pre>" after the sender starts
    // the body.
    const std::string page = "<html>\n<pre>before the sender</pre>\n"
                             "<td><b>From:</b></td>\n<td></td>\n"
                             "<td>  &quot;Bo&quot; &lt;bo@x.org&gt; <a href=\"/add\">[Add]</a></td><b>Subject:</b>\n"
                             "<td></td>\n<td>   Re: plans&#13;&#13;</td></tr>\n"
                             "<b>To:</b>\n\n<td>ann@excite.sim</td></tr><b>Cc:</b>\n\n"
                             "<td>cy@x.org, dee@x.org <a href=\"/add\">[Add]</a></td>\n"
                             "<pre>\nline one\n<form action=\"/relative\">stays\n"
                             "<form action=\"http://mail.excite.sim/compose.dcg/action\">\nafter the form\n";
    LogIn();
    Simulator->Replace(kMail, "/msg.dcg", [&](const SimRequest &) { return SimResponse::Html(page); });
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail("Inbox&uid=5&prev_ua=4", body, message));
    EXPECT_EQ(message.From, "\"Bo\" <bo@x.org>");
    EXPECT_EQ(message.Subject, "Re: plans");
    EXPECT_EQ(message.To, "ann@excite.sim");
    EXPECT_EQ(message.CC, "cy@x.org, dee@x.org");
    EXPECT_EQ(body, "<pre>\n\0line one\n<form action=\"/relative\">stays\n"s);
}

TEST_F(ExciteTest, ALocatorWithoutThePreviousMailIsUsedWhole)
{
    AddMails(FolderRole::Inbox, {SampleMail("Only one")});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    const std::string locator = "Inbox&uid=" + list[0].MessageId;
    Simulator->ClearRequests();
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail(locator, body, message));
    EXPECT_EQ(message.Subject, "Only one");
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Query, "x=" + MailboxKey() + "&" + "fl=" + locator);
}

TEST_F(ExciteTest, AMailPageCutShortWritesNothingAndLeavesNoSender)
{
    AddMails(FolderRole::Inbox, {SampleMail("Long one")});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    Simulator->Alter(kMail, "/msg.dcg", [](const SimRequest &, SimResponse &response) {
        response.CutAfter = response.Body.find("<!-- header -->") + 20;
    });
    std::string body = "kept";
    CMailMessage message;
    message.From = "left over";
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_EQ(body, "kept");
}

TEST_F(ExciteTest, PagesWithoutMarkersGiveEmptyResults)
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
