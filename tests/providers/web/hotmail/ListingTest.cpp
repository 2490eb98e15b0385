// Folders and listings: the folder page without the inbox, listings read
// page after page into one summary, the row fields, and the session values
// learned from the last row.
#include "HotmailFixture.h"

#include "HotmailParsing.h"

namespace korvalin::test {

TEST_F(HotmailTest, FoldersLeaveOutTheInboxAndIndexTheRest)
{
    AddMailsToFolder("Work", {SampleMail("Quarterly plan")});
    LogIn();
    CStringArray folders{"stale"};
    ASSERT_TRUE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, (CStringArray{"Sent Messages", "Drafts", "Trash Can", "Work"}));
    EXPECT_EQ(Provider->Session().FolderIds, (CStringArray{"F000000002", "F000000003", "F000000004", "F000000005"}));
    std::vector<SimRequest> pages = Simulator->RequestsTo(kWeb, "/cgi-bin/folders");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Query.substr(pages[0].Query.size() - 8), "&folders");

    CSummaryArray work;
    ASSERT_TRUE(Provider->GetMailSummary(work, 3));
    ASSERT_EQ(work.size(), 1u);
    EXPECT_EQ(work[0].Subject, "Quarterly plan");
    std::vector<SimRequest> listings = Simulator->RequestsTo(kWeb, "/cgi-bin/HoTMaiL");
    ASSERT_EQ(listings.size(), 1u);
    EXPECT_EQ(listings[0].QueryFields().Value("curmbox"), "F000000005");

    CSummaryArray none;
    EXPECT_FALSE(Provider->GetMailSummary(none, 4));
    EXPECT_FALSE(Provider->GetMailSummary(none, -2));
}

TEST_F(HotmailTest, ANameHoldingTheScriptWordsStillReachesItsFolders)
{
    Model->AddAccount("restartACTIVE", "pw");
    Model->AddFolder("restartACTIVE", "Archive");
    Model->Edit("restartACTIVE", [](SimAccount& account) {
        account.Mailbox.Add(*account.Mailbox.FolderWithName("Archive"), SampleMail("Kept"));
    });
    Provider->SetUserProfile("restartACTIVE", "pw");
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));
    ASSERT_EQ(folders.back(), "Archive");
    CSummaryArray archive;
    ASSERT_TRUE(Provider->GetMailSummary(archive, static_cast<int>(folders.size()) - 1));
    ASSERT_EQ(archive.size(), 1u);
    EXPECT_EQ(archive[0].Subject, "Kept");
}

TEST_F(HotmailTest, AListingOverThreePagesKeepsPageAndRowOrder)
{
    Model->SetPageSize(2);
    std::vector<SimMail> mails;
    for (int i = 0; i < 5; ++i)
        mails.push_back(SampleMail("Mail " + std::to_string(i), kMarch5 + i * 3600, i % 2 == 1));
    AddMails(FolderRole::Inbox, mails);
    LogIn();

    CSummaryArray list{SummaryEntry{}};
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 6u); // appended after what was there
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(list[static_cast<size_t>(row) + 1].Subject, "Mail " + std::to_string(4 - row));
    EXPECT_EQ(Simulator->RequestsTo(kWeb, "/cgi-bin/start").size(), 3u);

    SimAccount ann = Ann();
    const SimMail& newest = ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails.back();
    const SummaryEntry& first = list[1];
    EXPECT_EQ(first.From, "Ann Smith");
    EXPECT_EQ(first.Date, "03/5");
    EXPECT_EQ(first.Size, "1k");
    EXPECT_EQ(first.MessageId, HotmailModel::MessageId(newest));
    EXPECT_EQ(first.Locator.rfind("/cgi-bin/getmsg?disk=", 0), 0u);
    EXPECT_NE(first.Locator.find("&msg=" + first.MessageId + "&"), std::string::npos);
    EXPECT_TRUE(first.New);
    EXPECT_FALSE(list[2].New); // a read row starts with an empty cell
    EXPECT_EQ(list[2].From, "Ann Smith");
    EXPECT_EQ(list[2].Date, "03/5");
    EXPECT_TRUE(first.Cache.empty());
    EXPECT_TRUE(first.Message.From.empty());
}

TEST_F(HotmailTest, SessionValuesComeFromTheLastRowAndSurviveAnEmptyListing)
{
    LogIn();
    EXPECT_TRUE(Inbox().empty());
    EXPECT_TRUE(Provider->Session().Disk.empty());
    EXPECT_TRUE(Provider->Session().FormF.empty());

    AddMails(FolderRole::Inbox, {SampleMail("One")});
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 1u);
    websim::FormFields locator = websim::FormFields::Parse(list[0].Locator.substr(list[0].Locator.find('?') + 1));
    CHotmail::SessionValues learned = Provider->Session();
    EXPECT_EQ(learned.Disk, locator.Value("disk"));
    EXPECT_EQ(learned.FormF, locator.Value("f"));
    EXPECT_FALSE(learned.Disk.empty());

    Model->Edit("ann", [](SimAccount& account) { account.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails.clear(); });
    EXPECT_TRUE(Inbox().empty());
    EXPECT_EQ(Provider->Session().Disk, learned.Disk);
    EXPECT_EQ(Provider->Session().FormF, learned.FormF);
}

TEST_F(HotmailTest, ANextPageLinkThatLeadsBackDoesNotLoopForever)
{
    LogIn();
    const std::string row = "<tr bgcolor=\"#eeeecc\"><td><input name=\"MSG1.1\"></td><td>&nbsp;A&nbsp;</td><td>&nbsp;"
                            "Mar 5&nbsp;</td><td>&nbsp;<a href=\"/cgi-bin/getmsg?disk=d&login=ann&f=9&msg=MSG1.1&\">S"
                            "</a>&nbsp;</td><td>&nbsp;1k&nbsp;</td></tr>\n";
    Simulator->Replace(kWeb, "/cgi-bin/start", [&](const SimRequest&) {
        return SimResponse::Html(row + "<a href=\"/cgi-bin/start?again\">Next Page</a>\n");
    });
    CSummaryArray list;
    Provider->GetMailSummary(list, -1);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(Provider->Session().Disk, "d");
    EXPECT_EQ(Provider->Session().FormF, "9");
}

TEST_F(HotmailTest, AnErrorPageIsAFailureRatherThanAnEmptyFolder)
{
    LogIn();
    Simulator->Replace(kWeb, "", [](const SimRequest&) {
        return SimResponse::Error(500, "Internal Server Error", "the mail store is down");
    });
    CSummaryArray list;
    EXPECT_FALSE(Provider->GetMailSummary(list, -1));
    EXPECT_TRUE(list.empty());
    CStringArray folders{"stale"};
    EXPECT_FALSE(Provider->GetFolders(folders));
    EXPECT_TRUE(folders.empty());
}

TEST(HotmailParsing, ListDatesAndRowsAreCutAsTheServiceShowsThem)
{
    using namespace korvalin::hotmail;
    EXPECT_EQ(RewriteListDate("Jan 1"), "01/1");
    EXPECT_EQ(RewriteListDate("Oct 12"), "10/12");
    EXPECT_EQ(RewriteListDate("Dec 31"), "12/31");
    EXPECT_EQ(RewriteListDate("Yesterday 5"), "Yesterday 5");
    EXPECT_EQ(RewriteListDate("10:42"), "10:42");
    EXPECT_EQ(RewriteListDate(""), "");

    SummaryEntry bare = ParseMailRow("<tr bgcolor=\"#eeeecc\"><td>no cells at all");
    EXPECT_TRUE(bare.From.empty() && bare.Subject.empty() && bare.MessageId.empty() && bare.Locator.empty());
    SummaryEntry cut = ParseMailRow("<tr bgcolor=\"#eeeecc\"><td><input name=\"MSG9");
    EXPECT_TRUE(cut.MessageId.empty());

    LocatorSession session = SessionValuesOf("/cgi-bin/getmsg?disk=d7&login=ann&f=321&msg=MSG1");
    EXPECT_EQ(session.Disk, "d7");
    EXPECT_EQ(session.FormF, "321");
    EXPECT_TRUE(SessionValuesOf("no-parameters").Disk.empty());

    EXPECT_EQ(FolderListingUrl("http://w/cgi-bin/start?curmbox=ACTIVE&login=startACTIVE&", "F5"),
              "http://w/cgi-bin/HoTMaiL?curmbox=F5&login=startACTIVE&");
}

} // namespace korvalin::test
