// Fetching a mail: the message number into Extra, the header rows, the body
// between two "<hr>" lines with a zero byte after each line, and pages that
// are cut short or carry no markers.
#include "GoplayFixture.h"

namespace korvalin::test {
namespace {

using namespace std::string_literals;

} // namespace

TEST_F(GoplayTest, AMailIsWrittenByteForByteWithItsNumberAndHeaders)
{
    SimMail mail = SampleMail("Lunch <today>");
    mail.To = "Ann <ann@goplay.sim>";
    mail.Cc = "bo@example.org";
    mail.Body = "Hello,\n\nsee you at <noon>.\n";
    AddMails(FolderRole::Inbox, {mail});
    Open();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    Simulator->ClearRequests();

    std::string body = "kept";
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail(list[0].Locator, body, message));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Path, kMailboxPath);
    EXPECT_EQ(requests[0].Body, list[0].Locator.substr(0, list[0].Locator.find("###")));

    const std::string number = std::to_string(Ann().Mailbox.FolderWithRole(FolderRole::Inbox)->Mails[0].Number);
    EXPECT_EQ(message.Extra, number);
    EXPECT_EQ(message.From, "ann@example.org");
    EXPECT_EQ(message.To, "ann@goplay.sim");
    EXPECT_EQ(message.CC, "bo@example.org");
    EXPECT_EQ(message.Subject, "Lunch &lt;today&gt;");
    EXPECT_EQ(body, "kept<PRE>\n\0Hello,\n\0\n\0see you at &lt;noon&gt;.\n\0</PRE>\n\0"s);
    EXPECT_TRUE(Ann().Mailbox.FolderWithRole(FolderRole::Inbox)->Mails[0].Read);
}

TEST_F(GoplayTest, HeaderRowsAreCutByTheirOwnEndsAndTheSecondRuleEndsTheBody)
{
    const std::string page =
        "<html>\n<I>From:</I></TD><TD>too early</TD>\n"
        "<INPUT TYPE=HIDDEN NAME=\"MSG\" VALUE=\"42\"><I>Subject:</I></TD><TD><B>early</B></TD></TR>\n"
        "<TR><TD><I>From:</I></TD><TD>Bo &lt;bo@x.org&gt;\" <TR><TD><I>To:</I></TD><TD>a@x\"b</TD>\n"
        "<TR><TD><I>Cc:</I></TD><TD>c@x</TD></TR><hr>\n"
        "<TR><TD><I>Subject:</I></TD><TD><B>Plans &amp; more</B></TD></TR>\n"
        "<hr>\nline one\n\n<p>two</p>\n<hr>\nafter the rule\n";
    Open();
    Simulator->Replace(kHost, kMailboxPath, [&](const SimRequest &) { return SimResponse::Html(page); });
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail("CHG_FOLDER=1&M42.x=3###42###", body, message));
    EXPECT_EQ(message.Extra, "42");
    EXPECT_EQ(message.From, "bo@x.org");
    EXPECT_EQ(message.To, "a@x");
    EXPECT_EQ(message.CC, "c@x");
    EXPECT_EQ(message.Subject, "Plans &amp; more");
    EXPECT_EQ(body, "line one\n\0\n\0<p>two</p>\n\0"s);
}

TEST_F(GoplayTest, AMailPageWithoutItsNumberGivesNoHeaders)
{
    Open();
    Simulator->Replace(kHost, kMailboxPath, [](const SimRequest &) {
        return SimResponse::Html("<I>From:</I></TD><TD>bo@x</TD>\n<I>Subject:</I></TD><TD><B>Hi</B></TD></TR>\n"
                                 "<hr>\nbody\n<hr>\n");
    });
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(Provider->GetMail("CHG_FOLDER=1&M1.x=3###1###", body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_TRUE(body.empty());
}

TEST_F(GoplayTest, AMailPageCutShortWritesNothingAndLeavesNoSender)
{
    AddMails(FolderRole::Inbox, {SampleMail("Long one")});
    Open();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    Simulator->Alter(kHost, kMailboxPath, [](const SimRequest &, SimResponse &response) {
        response.CutAfter = response.Body.find("<hr>") + 10;
    });
    std::string body = "kept";
    CMailMessage message;
    message.From = "left over";
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_EQ(body, "kept");
}

TEST_F(GoplayTest, PagesWithoutMarkersGiveEmptyResults)
{
    AddMails(FolderRole::Inbox, {SampleMail("Hidden")});
    Open();
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
    CSummaryArray again;
    EXPECT_TRUE(Provider->GetMailSummary(again, -1));
    EXPECT_TRUE(again.empty());
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_FALSE(Provider->SendMail(mail)); // the compose form gave no message number
    CStringArray folders{"stale"};
    EXPECT_TRUE(Provider->GetFolders(folders));
    EXPECT_TRUE(folders.empty());
    EXPECT_FALSE(Provider->DoLogin());
}

} // namespace korvalin::test
