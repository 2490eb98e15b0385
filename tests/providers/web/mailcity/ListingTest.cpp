// Folders and listings: the folder lines without "INBOX", listings twenty
// mails a page through "from=" positions, every field of a row, and pages
// that are cut short or carry no markers.
#include "MailCityFixture.h"

namespace korvalin::test {

TEST_F(MailCityTest, FoldersLeaveOutTheInboxAndKeepTheirLinksAligned)
{
    AddMailsToFolder("Work", {SampleMail("Quarterly plan")});
    LogIn();
    CStringArray folders{"stale"};
    ASSERT_TRUE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, (CStringArray{"Sent", "Drafts", "Trash", "Work"})); // trimmed
    EXPECT_EQ(Provider->Session().FolderLinks.back(), kMailRoot + Mailbox() + "/f/F5/gmm.femail");

    CSummaryArray work = Listing(3);
    ASSERT_EQ(work.size(), 1u);
    EXPECT_EQ(work[0].Subject, "Quarterly plan");
    CSummaryArray none;
    EXPECT_FALSE(Provider->GetMailSummary(none, 4));
    EXPECT_FALSE(Provider->GetMailSummary(none, -2));
}

TEST_F(MailCityTest, AListingOverThreePagesAsksForPositionsTwentyAndFortyWithEveryField)
{
    std::vector<SimMail> mails;
    for (int i = 0; i < 45; ++i)
        mails.push_back(SampleMail("Mail " + std::to_string(i) + " & co", kMarch5 + i * 60, i % 2 == 1));
    mails[44].FromName.clear();
    AddMails(FolderRole::Inbox, mails);
    LogIn();

    CSummaryArray list{SummaryEntry{}};
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 46u);
    for (size_t row = 0; row < 45; ++row)
        EXPECT_EQ(list[row + 1].Subject, "Mail " + std::to_string(44 - row) + " &amp; co");
    std::vector<SimRequest> pages = Simulator->RequestsTo(kMailHost, "/" + Mailbox() + "/gmm.femail");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].Query, "");
    EXPECT_EQ(pages[1].Query, "from=20");
    EXPECT_EQ(pages[2].Query, "from=40");

    const SimAccount ann = Ann();
    const SimMail &newest = ann.Mailbox.Folders().front().Mails.back();
    const SummaryEntry &first = list[1];
    EXPECT_EQ(first.From, "ann@example.org");
    EXPECT_EQ(first.Date, "01/03/05"); // shown 03/05/01, month/day/year
    EXPECT_EQ(first.Size, "1k");
    EXPECT_EQ(first.MessageId, std::to_string(newest.Number));
    EXPECT_EQ(first.Locator, kMailRoot + Mailbox() + "/gmm_showmsg.femail?docid=" + first.MessageId + ":M:INBOX");
    EXPECT_TRUE(first.New);
    EXPECT_EQ(list[2].From, "Ann Smith");
    EXPECT_FALSE(list[2].New); // mail 43 was read
    EXPECT_TRUE(first.Cache.empty());
}

TEST_F(MailCityTest, AFolderListingPagesWithinItsFolder)
{
    std::vector<SimMail> mails;
    for (int i = 0; i < 25; ++i)
        mails.push_back(SampleMail("Work " + std::to_string(i), kMarch5 + i));
    AddMailsToFolder("Work", mails);
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));
    CSummaryArray work = Listing(3);
    EXPECT_EQ(work.size(), 25u);
    std::vector<SimRequest> pages = Simulator->RequestsTo(kMailHost, "/" + Mailbox() + "/f/F5/gmm.femail");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].Query, "from=20");
}

TEST_F(MailCityTest, ListingsCutShortKeepWhatArrivedAndReportFailure)
{
    std::vector<SimMail> mails;
    for (int i = 0; i < 30; ++i)
        mails.push_back(SampleMail("Cut " + std::to_string(i), kMarch5 + i));
    AddMails(FolderRole::Inbox, mails);
    LogIn();
    for (size_t fifths = 0; fifths < 5; ++fifths) {
        Simulator->ClearHooks();
        Simulator->Alter(kMailHost, "", [&](const SimRequest &request, SimResponse &response) {
            if (request.Query == "from=20")
                response.CutAfter = response.Body.size() * fifths / 5;
        });
        CSummaryArray list;
        EXPECT_FALSE(Provider->GetMailSummary(list, -1)) << fifths;
        EXPECT_GE(list.size(), 20u);
        EXPECT_LE(list.size(), 30u);
        for (const SummaryEntry &entry : list)
            EXPECT_FALSE(entry.Date.empty());
    }
}

TEST_F(MailCityTest, PagesWithoutMarkersGiveEmptyResults)
{
    AddMails(FolderRole::Inbox, {SampleMail("Hidden")});
    LogIn();
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 1u);
    Simulator->Replace(kMailHost, "", [](const SimRequest &) {
        return SimResponse::Html("<html><body>Down for maintenance</body></html>\n");
    });
    CStringArray folders{"stale"};
    EXPECT_TRUE(Provider->GetFolders(folders));
    EXPECT_TRUE(folders.empty());
    EXPECT_TRUE(Listing().empty());
    std::string body;
    CMailMessage message;
    EXPECT_FALSE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(message.From.empty());
    EXPECT_FALSE(Provider->DeleteMail(list[0].Locator));
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_FALSE(Provider->SendMail(mail));
}

TEST_F(MailCityTest, AServiceThatAlwaysOffersAnotherPageIsNotFollowedForEver)
{
    LogIn();
    const std::string row = "<font face=\"\" SIZE=\"-1\"> Bo</FONT>\nx\nx\n<a href=\"http://m/x?docid=1:M:I\" "
                            "onMouseOver=\"s\"> S<\nx\nx\n  01/02/03 4</font>\nx\n1k</font>\n";
    Simulator->Replace(kMailHost, "", [&](const SimRequest &request) {
        // Every page offers more; only the first ten hold a mail.
        bool full = request.Query.size() < 8 || request.Query < "from=200";
        return SimResponse::Html("next&gt;&gt;\n" + (full ? row : std::string()));
    });
    CSummaryArray list = Listing();
    EXPECT_EQ(list.size(), 10u);
    EXPECT_EQ(list[0].Date, "03/01/02");
}

} // namespace korvalin::test
