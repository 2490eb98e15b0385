// Fetching a mail: the header table, the body from the line after the
// headers to the page's form with a zero byte after every line, relative
// links made absolute, and pages that start the body on a comment, carry no
// body or are cut short.
#include "YahooFixture.h"

#include "YahooParsing.h"

namespace korvalin::test {

using namespace std::string_literals;

TEST_F(YahooTest, AMailIsWrittenByteForByteWithItsLinksMadeAbsolute)
{
    SimMail mail = SampleMail("Lunch <today>");
    mail.FromName = "Bo; Berg";
    mail.To = "Ann <ann@yahoo.sim>";
    mail.Cc = "cy@example.org";
    mail.Body = "Hello,\n\nsee you at <noon>.\n";
    mail.Attachments.push_back({"notes.txt", "text/plain", "the notes\n"});
    AddMails(FolderRole::Inbox, {mail});
    LogIn();
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 1u);

    std::string body = "kept";
    CMailMessage message;
    message.CC = "stale";
    EXPECT_TRUE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_EQ(message.From, "Bo Berg <ann@example.org>");
    EXPECT_EQ(message.To, "Ann <ann@yahoo.sim>");
    EXPECT_EQ(message.CC, "cy@example.org");
    EXPECT_EQ(message.Subject, "Lunch &lt;today&gt;");

    const std::string attachment = "<p>Attachment: <a href=\"http://mail.yahoo.sim/ym/ShowLetter/notes.txt?box=Inbox&"
                                   "message=" +
                                   list[0].MessageId + "&bodyPart=2&YY=" + SessionKey() + "\">notes.txt</a></p>\n";
    EXPECT_EQ(body,
              "kept</table>\n\0<!-- text quoted-printable -->\n\0<pre>\n\0Hello,\n\0\n\0see you at &lt;noon&gt;.\n\0"
              "</pre>\n\0"s +
                  attachment + "\0"s);
    EXPECT_TRUE(Ann().Mailbox.Folders().front().Mails[0].Read);

    // A mail without a Cc leaves none behind from an earlier one.
    AddMails(FolderRole::Inbox, {SampleMail("Second", kMarch5 + 60)});
    list = Listing();
    ASSERT_EQ(list.size(), 2u);
    body.clear();
    EXPECT_TRUE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(message.CC.empty());
    EXPECT_EQ(message.From, "Ann Smith <ann@example.org>");
}

TEST_F(YahooTest, ABodyCommentStartsTheBodyWithoutHeaders)
{
    LogIn();
    const std::string longLine(3000, 'w'); // longer than the header lines' buffer: not broken up
    Simulator->Replace(kMailHost, "/ym/ShowLetter", [&](const SimRequest &) {
        return SimResponse::Html("<html>\n<!-- 7bit -->\nfirst line\n<a href=\"/ym/x\">x</a>\n" + longLine +
                                 "\n<form method=post action=\"/f\">\nafter the form\n");
    });
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail(std::string(kBase) + "/ym/ShowLetter?message=1", body, message));
    EXPECT_EQ(body, "first line\n\0<a href=\"http://mail.yahoo.sim/ym/x\">x</a>\n\0"s + longLine + "\n\0"s);
    EXPECT_TRUE(message.From.empty()); // no sender: the program treats it as not fetched
}

TEST_F(YahooTest, HeadersWithoutABodyOrACutPageGiveNoMail)
{
    AddMails(FolderRole::Inbox, {SampleMail("Long one")});
    LogIn();
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 1u);

    Simulator->Replace(kMailHost, "/ym/ShowLetter", [](const SimRequest &) {
        return SimResponse::Html("<b>From:</b></td><td valign=top> bo@x<a href=\"/y\">+</a>\n");
    });
    std::string body = "kept";
    CMailMessage message;
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_EQ(body, "kept");

    Simulator->ClearHooks();
    Simulator->Alter(kMailHost, "/ym/ShowLetter", [](const SimRequest &, SimResponse &response) {
        response.CutAfter = response.Body.find("<pre>");
    });
    message.From = "left over";
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(message.From.empty());
    EXPECT_EQ(body, "kept");
}

TEST(YahooParsing, RelativeLinksBecomeAbsoluteAndTheTextAroundThemStays)
{
    using korvalin::yahoo::AbsoluteLinks;
    EXPECT_EQ(AbsoluteLinks("See <a href=\"/ym/a?b=1\">this</a> and <a href=\"/yab/c\">that</a>.\n", "http://m"),
              "See <a href=\"http://m/ym/a?b=1\">this</a> and <a href=\"http://m/yab/c\">that</a>.\n");
    EXPECT_EQ(AbsoluteLinks("<a href=\"http://x/y\">kept</a>", "http://m"), "<a href=\"http://x/y\">kept</a>");
    EXPECT_EQ(AbsoluteLinks("<a href=\"/abc", "http://m"), "<a href=\"/abc"); // no closing quote
    EXPECT_EQ(AbsoluteLinks("plain text", "http://m"), "plain text");
}

} // namespace korvalin::test
