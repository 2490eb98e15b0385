// The ".femail" cutting rules on single lines: the Read Mail link split,
// the date rearrangement, link lines, header values and address lines.
#include "FemailParsing.h"

#include <gtest/gtest.h>

namespace korvalin::femail {
namespace {

constexpr FemailDialect kPlainDialect{
    .FolderNameEndFrom = 3,
    .TrimFolderNames = true,
    .InboxName = "INBOX",
    .InboxIsFirstFolder = false,
    .FolderLinkEnd = "\"><img src",
    .RowStart = "<font face=\"\" SIZE=\"-1\"> ",
    .FromStart = "<font face=\"\" SIZE=\"-1\"> ",
    .FromEndFrom = 3,
    .NewSubjectEnd = "<",
    .ReadSubjectEnd = "<",
    .FromHeader = "From: ",
    .ValueStart = "; font-size: 10pt\">",
    .ToHeader = "To:",
    .CcHeader = "Cc:",
    .SubjectHeader = "Subject:",
    .HeaderLineLimit = 2048,
    .AddressTrim = 0,
};

TEST(FemailParsing, TheReadMailLinkSplitsAfterThePortOrTheHost)
{
    LinkParts parts = SplitReadMailLink("http://mail.city.com:80/abc123/gmm.femail");
    EXPECT_EQ(parts.HostPrefix, "http://mail.city.com:80/");
    EXPECT_EQ(parts.MailboxPath, "abc123");
    parts = SplitReadMailLink("http://127.0.0.1:4242/mail.city.sim/u1/gmm.femail");
    EXPECT_EQ(parts.HostPrefix, "http://127.0.0.1:4242/");
    EXPECT_EQ(parts.MailboxPath, "mail.city.sim/u1");
    parts = SplitReadMailLink("http://127.0.0.1:41980/u1/gmm.femail"); // a port that ends in 80
    EXPECT_EQ(parts.HostPrefix + parts.MailboxPath, "http://127.0.0.1:41980/u1");
    parts = SplitReadMailLink("http://mail.city.com:80/inbox.html");
    EXPECT_EQ(parts.HostPrefix, "http://mail.city.com:80/");
    EXPECT_TRUE(parts.MailboxPath.empty());

    EXPECT_EQ(AddressWithPort80("mail.angel.com"), "http://mail.angel.com:80");
    EXPECT_EQ(AddressWithPort80("127.0.0.1:8080"), "http://127.0.0.1:8080");
    EXPECT_EQ(AddressWithPort80("127.0.0.1:8080/mail.sim"), "http://127.0.0.1:8080/mail.sim");
    EXPECT_EQ(AddressWithPort80("https://mail.angel.com"), "https://mail.angel.com");
}

TEST(FemailParsing, DatesWrittenMonthDayYearAreStoredYearMonthDay)
{
    EXPECT_EQ(RearrangeDate("12/31/98"), "98/12/31");
    EXPECT_EQ(RearrangeDate("1/2/3"), "3/1/2");
    EXPECT_EQ(RearrangeDate("yesterday"), "yesterday");
    EXPECT_EQ(RearrangeDate("1/2/3/4"), "1/2/3/4");
    EXPECT_EQ(RowDate("  12/31/98 11:59PM</font>"), "98/12/31");
    EXPECT_EQ(RowDate("  12/31/98"), ""); // no blank after the date
    EXPECT_EQ(RowSize("14k</font></td>"), "14k");
    EXPECT_EQ(RowSize("14k"), "");
}

TEST(FemailParsing, LinkLinesGiveLocatorSubjectNewFlagAndMessageId)
{
    SummaryEntry read;
    ParseLinkLine("<a href=\"http://m:80/u/gmm_showmsg.femail?docid=77:M:INBOX\" onMouseOver=\"s('a')\"> Hi there</a>",
                  kPlainDialect, read);
    EXPECT_EQ(read.Locator, "http://m:80/u/gmm_showmsg.femail?docid=77:M:INBOX");
    EXPECT_EQ(read.Subject, "Hi there");
    EXPECT_EQ(read.MessageId, "77");
    EXPECT_FALSE(read.New);

    SummaryEntry unread;
    ParseLinkLine("<a href=\"x?docid=8:M:F2\" onMouseOver=\"s\"><b>Bold</b></a>", kPlainDialect, unread);
    EXPECT_TRUE(unread.New);
    EXPECT_EQ(unread.Subject, "Bold");
    EXPECT_EQ(unread.MessageId, "8");

    SummaryEntry broken;
    ParseLinkLine("no link at all", kPlainDialect, broken);
    EXPECT_TRUE(broken.Locator.empty() && broken.Subject.empty() && broken.MessageId.empty());

    std::optional<FolderLine> folder = ParseFolderLine(
        "<a href=\"http://m/f\"><img src=\"i\" width=11 height=11 border=0>  Work  </a>", kPlainDialect);
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->Name, "Work");
    EXPECT_EQ(folder->Link, "http://m/f");
    EXPECT_FALSE(ParseFolderLine("<a href=\"x\">Work</a>", kPlainDialect).has_value());
}

TEST(FemailParsing, HeaderValuesAndAddressesAreCutToTheirCells)
{
    const std::string line = "<td>To:</td><td style=\"a; font-size: 10pt\">Ann &lt;a@x&gt;</td><td>Subject:</td><td "
                             "style=\"b; font-size: 10pt\">Hi\n";
    EXPECT_EQ(HeaderValue(line, "To:", "; font-size: 10pt\">"), "Ann &lt;a@x&gt;");
    EXPECT_EQ(HeaderValue(line, "Subject:", "; font-size: 10pt\">"), "Hi");
    EXPECT_EQ(HeaderValue(line, "Cc:", "; font-size: 10pt\">"), "");

    EXPECT_EQ(BookAddress("<a onMouseOut=\"status=''\">bo@x</a>", 0), "bo@x");
    EXPECT_EQ(BookAddress("<a onMouseOut=\"status=''\">bo@x </a>", 1), "bo@x");
    EXPECT_EQ(BookAddress("<a onMouseOut=\"status=''\">bo@x\n", 1), "bo@x");
    EXPECT_EQ(BookAddress("<a onMouseOut=\"status=''\">bo@x\r", 0), "bo@x");
    EXPECT_EQ(BookAddress("no marker", 0), "");

    EXPECT_EQ(ListPageAddress("http://m:80/u/gmm.femail?from=20", 40), "http://m:80/u/gmm.femail?from=40");
    EXPECT_FALSE(ListPageAddress("http://m:80/u/inbox", 20).has_value());
}

} // namespace
} // namespace korvalin::femail
