// Folders and listings: the folder page without the inbox, listings read
// page after page through the "Next" links, every field of a row, and pages
// that stop, loop, are cut short or carry no markers.
#include "YahooFixture.h"

#include "YahooParsing.h"

namespace korvalin::test {
namespace {

// A listing page whose only content is its navigation line and form.
SimResponse NavigationOnly(const std::string &navigation)
{
    return SimResponse::Html("<html>\n" + navigation + "\n<form method=post action=\"/ym/ShowFolder?box=Inbox\">\n" +
                             "<tr valign=middle bgcolor=\"#ffffff\">\n<td><input name=message value=\"9_9\"></td>\n"
                             "x\nx\nSender\nx\nx\nx\nDate\nx\nx\n1k&nbsp;\nx\nx\n<a href=\"/m\">S</b></a>\n</html>\n");
}

} // namespace

TEST_F(YahooTest, FoldersLeaveOutTheInboxAndKeepTheirLinksAligned)
{
    AddMailsToFolder("Work", {SampleMail("Quarterly plan")});
    AddMails(FolderRole::Sent, {SampleMail("Sent one"), SampleMail("Sent two", kMarch5 + 1)});
    LogIn();
    CStringArray folders{"stale"};
    ASSERT_TRUE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, (CStringArray{"Draft", "Sent", "Trash", "Work"})); // not the link after the form
    const std::string key = SessionKey();
    EXPECT_EQ(Provider->Session().FolderLinks.back(), std::string(kBase) + "/ym/ShowFolder?box=Work&YY=" + key);

    CSummaryArray work = Listing(3);
    ASSERT_EQ(work.size(), 1u);
    EXPECT_EQ(work[0].Subject, "Quarterly plan");
    EXPECT_EQ(Listing(1).size(), 2u);

    CSummaryArray none;
    EXPECT_FALSE(Provider->GetMailSummary(none, 4));
    EXPECT_FALSE(Provider->GetMailSummary(none, -2));
    EXPECT_TRUE(none.empty());
}

TEST_F(YahooTest, AListingOverThreePagesKeepsPageAndRowOrderAndEveryField)
{
    Model->SetPageSize(2);
    std::vector<SimMail> mails;
    for (int i = 0; i < 5; ++i)
        mails.push_back(SampleMail("Mail " + std::to_string(i) + " <&>", kMarch5 + i * 3600, i % 2 == 1));
    mails[4].Attachments.push_back({"notes.txt", "text/plain", "notes\n"});
    mails[3].FromName.clear();
    AddMails(FolderRole::Inbox, mails);
    LogIn();

    CSummaryArray list{SummaryEntry{}};
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 6u); // appended after what was there
    for (size_t row = 0; row < 5; ++row)
        EXPECT_EQ(list[row + 1].Subject, "Mail " + std::to_string(4 - row) + " &lt;&amp;&gt;");
    std::vector<SimRequest> pages = Simulator->RequestsTo(kMailHost, "/ym/ShowFolder");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[1].QueryFields().Value("Npos"), "1");
    EXPECT_EQ(pages[2].QueryFields().Value("Npos"), "2");

    const SimAccount ann = Ann();
    const SimMail &newest = ann.Mailbox.Folders().front().Mails.back();
    const SummaryEntry &first = list[1];
    EXPECT_EQ(first.From, "Ann Smith");
    EXPECT_EQ(first.Date, "03/05/2001");
    EXPECT_EQ(first.Size, "1k"); // cut before the attachment icon
    EXPECT_EQ(first.MessageId, YahooModel::MessageId(newest));
    EXPECT_EQ(first.Locator, std::string(kBase) + "/ym/ShowLetter?box=Inbox&message=" + first.MessageId +
                                 "&sort=date&order=down&YY=" + SessionKey());
    EXPECT_TRUE(first.New);
    EXPECT_TRUE(first.Cache.empty());
    EXPECT_TRUE(first.Message.From.empty());
    EXPECT_EQ(list[2].From, "ann@example.org");
    EXPECT_FALSE(list[2].New);
    EXPECT_EQ(list[2].Size, "1k"); // cut before "&nbsp;"
    EXPECT_TRUE(list[3].New);
}

TEST_F(YahooTest, PagingStopsOnAnEmptyNextLinkAndOnALinkBackToAShownPage)
{
    LogIn();
    const std::string inbox = "/ym/ShowFolder";
    struct Case {
        std::string Navigation;
        size_t Pages;
    };
    const Case cases[] = {
        {"<font><a href=\"\">Next</a></font>", 1},                                           // the bare mail host
        {"Previous | Next", 1},                                                              // no link
        {"<font><a href=\"/ym/ShowFolder?box=Inbox&YY=" + SessionKey() + "\">Next</a>", 1},  // back to the first page
        {"<font><a href=\"/p0\">Previous</a> | <a href=\"/ym/ShowFolder?n=2\">Next</a>", 2}, // loops on page two
    };
    for (const Case &c : cases) {
        Simulator->ClearHooks();
        Simulator->ClearRequests();
        Simulator->Replace(kMailHost, inbox, [&](const SimRequest &) { return NavigationOnly(c.Navigation); });
        CSummaryArray list;
        EXPECT_TRUE(Provider->GetMailSummary(list, -1)) << c.Navigation;
        EXPECT_EQ(list.size(), c.Pages) << c.Navigation;
        EXPECT_EQ(Simulator->RequestsTo(kMailHost, inbox).size(), c.Pages) << c.Navigation;
        if (c.Pages == 2) {
            EXPECT_EQ(Simulator->RequestsTo(kMailHost, inbox)[1].Query, "n=2");
        }
    }
}

TEST_F(YahooTest, ListingsCutShortKeepWhatArrivedAndReportFailure)
{
    Model->SetPageSize(3);
    std::vector<SimMail> mails;
    for (int i = 0; i < 6; ++i)
        mails.push_back(SampleMail("Cut " + std::to_string(i), kMarch5 + i));
    AddMails(FolderRole::Inbox, mails);
    LogIn();
    for (size_t fifths = 0; fifths < 5; ++fifths) {
        Simulator->ClearHooks();
        Simulator->Alter(kMailHost, "/ym/ShowFolder", [&](const SimRequest &request, SimResponse &response) {
            if (request.QueryFields().Value("Npos") == "1")
                response.CutAfter = response.Body.size() * fifths / 5;
        });
        CSummaryArray list;
        EXPECT_FALSE(Provider->GetMailSummary(list, -1)) << fifths;
        EXPECT_GE(list.size(), 3u);
        EXPECT_LE(list.size(), 6u);
        for (const SummaryEntry &entry : list)
            EXPECT_FALSE(entry.Locator.empty());
    }
}

TEST_F(YahooTest, PagesWithoutMarkersGiveEmptyResults)
{
    AddMails(FolderRole::Inbox, {SampleMail("Hidden")});
    LogIn();
    Simulator->Replace(kMailHost, "", [](const SimRequest &) {
        return SimResponse::Html("<html><body>Down for maintenance <a href=\"/\">home</a></body></html>\n");
    });
    CStringArray folders{"stale"};
    EXPECT_TRUE(Provider->GetFolders(folders));
    EXPECT_TRUE(folders.empty());
    EXPECT_TRUE(Listing().empty());
    std::string body;
    CMailMessage message;
    message.From = "left over";
    EXPECT_FALSE(Provider->GetMail(std::string(kBase) + "/ym/ShowLetter?message=1", body, message));
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(message.From.empty());
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_FALSE(Provider->SendMail(mail));
}

TEST(YahooParsing, ListingRowsAreCutBetweenTheirMarkers)
{
    using namespace korvalin::yahoo;
    ListingRowLines row{"<td><input type=checkbox name=message value=\"1_2_3\"></td>\n", "Bo Berg\n", "03/05/2001\n",
                        "12k<img src=\"x\">\n", "<a href=\"/ym/ShowLetter?message=1_2_3&sort=d\">Hello</b></a>\n"};
    SummaryEntry read = ParseListingRow(row, "http://m");
    EXPECT_EQ(read.MessageId, "1_2_3");
    EXPECT_EQ(read.From, "Bo Berg");
    EXPECT_EQ(read.Date, "03/05/2001");
    EXPECT_EQ(read.Size, "12k");
    EXPECT_EQ(read.Subject, "Hello");
    EXPECT_EQ(read.Locator, "http://m/ym/ShowLetter?message=1_2_3&sort=d");
    EXPECT_FALSE(read.New);

    row.SubjectLine = "<a href=\"/l\"><b>New one</b></a>\n";
    row.SizeLine = "3k";
    SummaryEntry unread = ParseListingRow(row, "http://m");
    EXPECT_TRUE(unread.New);
    EXPECT_EQ(unread.Subject, "New one");
    EXPECT_EQ(unread.Locator, "http://m/l");
    EXPECT_EQ(unread.Size, "3"); // the last byte is always taken for the line end

    row.SubjectLine = "<b><a href=\"/l\">Plain</a>\n"; // bold at the start: not new; no end marker: no subject
    SummaryEntry odd = ParseListingRow(row, "http://m");
    EXPECT_FALSE(odd.New);
    EXPECT_TRUE(odd.Subject.empty());
    EXPECT_EQ(odd.Locator, "http://m/l");

    EXPECT_EQ(MessageIdOfLocator("http://m/ym/ShowLetter?box=Inbox&message=1_5_9&sort=date"), "1_5_9");
    EXPECT_TRUE(MessageIdOfLocator("http://m/ym/ShowLetter?message=1_5_9").empty());
    EXPECT_EQ(CleanAddressText("Bo &lt;bo@x;&gt; ;"), "Bo <bo@x> ");
}

} // namespace korvalin::test
