// Fetching a mail: the sender line and the header line after it, the MIME
// parts framed by "<pre>" and the part marker, "<hr>\n" and one closing
// "</pre>", zero bytes for line ends, and pages cut short.
#include "MailCityFixture.h"

namespace korvalin::test {

using namespace std::string_literals;

TEST_F(MailCityTest, AMailWithTwoPartsIsWrittenByteForByte)
{
    SimMail mail = SampleMail("Lunch <today>");
    mail.To = "Ann <ann@mailcity.sim>";
    mail.Cc = "Cy <cy@example.org>";
    mail.Body = "Hello,\n\nsee you at <noon>.\n";
    mail.Attachments.push_back({"notes.txt", "text/plain", "the notes\n"});
    AddMails(FolderRole::Inbox, {mail});
    LogIn();
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 1u);

    std::string body = "kept";
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.From, "ann@example.org");
    EXPECT_EQ(message.To, "ann@mailcity.sim");
    EXPECT_EQ(message.CC, "cy@example.org");
    EXPECT_EQ(message.Subject, "Lunch &lt;today&gt;");
    const std::string part = "<pre><!-- Display of MIME component -->";
    EXPECT_EQ(body, "kept" + part + "Hello,\0\0see you at &lt;noon&gt;.\0<hr>\n"s + part +
                        "<b>notes.txt</b> (text/plain)\0the notes\0<hr>\n</pre>"s);
    EXPECT_TRUE(Ann().Mailbox.Folders().front().Mails[0].Read);
}

TEST_F(MailCityTest, ASenderWithoutANameKeepsNoLineEnd)
{
    SimMail mail = SampleMail("Bare");
    mail.FromName.clear();
    mail.Cc.clear();
    AddMails(FolderRole::Inbox, {mail});
    Model->SetLineEnd("\r\n");
    LogIn();
    // CR LF listing rows do not line up; read the mail page directly.
    std::string locator = kMailRoot + Mailbox() + "/gmm_showmsg.femail?docid=" +
                          std::to_string(Ann().Mailbox.Folders().front().Mails[0].Number) + ":M:INBOX";
    std::string body;
    CMailMessage message;
    message.CC = "stale";
    EXPECT_TRUE(Provider->GetMail(locator, body, message));
    EXPECT_EQ(message.From, "ann@example.org");
    EXPECT_TRUE(message.CC.empty());
    // Each CR LF reads as a line and an empty one.
    EXPECT_EQ(body, "<pre><!-- Display of MIME component -->\0Body of Bare\0\0<hr>\n</pre>"s);
}

TEST_F(MailCityTest, AMailPageCutShortWritesNothingAndLeavesNoSender)
{
    AddMails(FolderRole::Inbox, {SampleMail("Long one")});
    LogIn();
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 1u);
    Simulator->Alter(kMailHost, "", [](const SimRequest &, SimResponse &response) {
        response.CutAfter = response.Body.find("Body of");
    });
    std::string body = "kept";
    CMailMessage message;
    message.From = "left over";
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_EQ(body, "kept");
}

} // namespace korvalin::test
