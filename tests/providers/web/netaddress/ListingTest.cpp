// Folders and listings: the folder page without the inbox, the row values
// at their fixed lines, and the running count of listed mails that the
// delete form carries.
#include "NetAddressFixture.h"

namespace korvalin::test {
namespace {

// A listing page of one row laid out as the service does, with the given
// sender, date, subject and size lines.
std::string OneRowPage(const std::string &sender, const std::string &date, const std::string &subject,
                       const std::string &size)
{
    std::string page = "<html>\n<table>\n<tr><td><img alt=\"mail\" src=\"/img/mail_normal_read.gif\"></td>\n";
    auto filler = [&](int lines) {
        for (int i = 0; i < lines - 1; ++i)
            page += "<!-- filler -->\n";
    };
    filler(9);
    page += "<a href=\"javascript:ReadMessage('M7','1')\">\n";
    filler(3);
    page += sender + "\n";
    filler(5);
    page += date + "\n";
    filler(5);
    page += subject + "\n";
    filler(4);
    page += size + "\n";
    return page + "</tr>\n<tr><td>Select all displayed</td></tr>\n</table>\n</html>\n";
}

} // namespace

TEST_F(NetAddressTest, FoldersLeaveOutTheInboxAndListTheirOwnMail)
{
    AddMailsToFolder("Work", {SampleMail("Quarterly plan")});
    LogIn();
    CStringArray folders{"stale"};
    ASSERT_TRUE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, (CStringArray{"Sent Mail", "Drafts", "Deleted Mail", "Work"}));
    const std::string list = "http://" + std::string(kHost) + PagePath("Mail", MailboxId(), "List?FolderID=");
    EXPECT_EQ(Provider->Session().FolderLinks,
              (CStringArray{list + "2", list + "3", list + "-1", list + std::to_string(10)}));

    CSummaryArray work;
    ASSERT_TRUE(Provider->GetMailSummary(work, 3));
    ASSERT_EQ(work.size(), 1u);
    EXPECT_EQ(work[0].Subject, "Quarterly plan");
    EXPECT_EQ(work[0].Locator, "Q=" + work[0].MessageId + "&FolderID=10&Sort=Date");

    CSummaryArray none;
    EXPECT_FALSE(Provider->GetMailSummary(none, 4));
    EXPECT_FALSE(Provider->GetMailSummary(none, -2));
    EXPECT_TRUE(none.empty());
}

TEST_F(NetAddressTest, ListingRowsCarryEveryField)
{
    SimMail quoted = SampleMail("Lunch <today> & more", kMarch15, false);
    quoted.FromName = "Bo \"the boss\"";
    quoted.FromAddress = "bo@example.org";
    SimMail bare = SampleMail("x", kMarch15 - 86400, true);
    bare.FromName.clear();
    AddMails(FolderRole::Inbox, {bare, quoted});
    LogIn();

    CSummaryArray list{SummaryEntry{}};
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 3u); // appended after what was there
    SimAccount ann = Ann();
    const auto &mails = ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails;

    const SummaryEntry &first = list[1];
    EXPECT_EQ(first.From, "\"Bo \"the boss\"\" <bo@example.org>");
    EXPECT_EQ(first.Date, "03/15/99");
    EXPECT_EQ(first.Subject, "Lunch &lt;today&gt; &amp; more");
    EXPECT_EQ(first.Size, "1k");
    EXPECT_EQ(first.MessageId, NetAddressModel::MessageId(mails[1]));
    EXPECT_EQ(first.Locator, "Q=" + first.MessageId + "&FolderID=1&Sort=Date");
    EXPECT_TRUE(first.New);
    EXPECT_TRUE(first.Cache.empty());

    const SummaryEntry &second = list[2];
    EXPECT_EQ(second.From, "ann@example.org");
    EXPECT_EQ(second.Date, "03/14/99");
    EXPECT_EQ(second.Subject, "x"); // one letter is cut like any other subject
    EXPECT_EQ(second.MessageId, NetAddressModel::MessageId(mails[0]));
    EXPECT_FALSE(second.New);
}

TEST_F(NetAddressTest, RowCellsAreCutAsTheServiceWritesThem)
{
    struct Case {
        std::string Date, DateWanted;
        std::string Subject, SubjectWanted;
    };
    const Case cases[] = {
        {"<td><font size=\"-1\">03/15/99&nbsp;10:22 AM</font>", "03/15/9910:22", "<font size=\"-1\">A&nbsp;B</font>",
         "AB"},
        {"<td><font size=\"-1\">03/15/99</font>", "", "<font size=\"-1\"></font></td><td>tail</font>", ""},
        {"no tag end 03/15/99 here", "", "no tag end </font>", ""},
    };
    LogIn();
    for (const Case &c : cases) {
        Simulator->ClearHooks();
        Simulator->Replace(kHost, PagePath("Mail", MailboxId(), "List"), [&](const SimRequest &) {
            return SimResponse::Html(OneRowPage("  &quot;Cy&quot; &lt;cy&#064;x.org&gt; </a></font>", c.Date, c.Subject,
                                                "<font size=\"-1\">&nbsp;  12k</font>"));
        });
        CSummaryArray list;
        ASSERT_TRUE(Provider->GetMailSummary(list, -1));
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].From, "\"Cy\" <cy@x.org>");
        EXPECT_EQ(list[0].Date, c.DateWanted) << c.Date;
        EXPECT_EQ(list[0].Subject, c.SubjectWanted) << c.Subject;
        EXPECT_EQ(list[0].Size, "12k");
        EXPECT_EQ(list[0].Locator, "Q=M7&FolderID=1&Sort=Date");
    }
}

TEST_F(NetAddressTest, ListingsStopAtTheEndMarkerAndSkipRowsCutShort)
{
    LogIn();
    std::string page = OneRowPage("a</a>", "<font>1/2/3 x</font>", "<font>S</font>", "<font>1k</font>");
    // A second row after the end marker, and a third one that the page cuts off.
    page += "<img alt=\"mail\" src=\"/img/mail_normal_new.gif\">\n";
    for (int i = 0; i < 30; ++i)
        page += "<a href=\"javascript:ReadMessage('M9','1')\">x</a>\n";
    page += "<img alt=\"mail\" src=\"/img/mail_normal_new.gif\">\n<!-- only one line -->\n";
    Simulator->Replace(kHost, PagePath("Mail", MailboxId(), "List"),
                       [&](const SimRequest &) { return SimResponse::Html(page); });
    CSummaryArray list;
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].MessageId, "M7");
    EXPECT_EQ(Provider->ListedMailCount(), 1u);

    // Without the end marker the later rows are read; the cut one is left out.
    page.erase(page.find("Select all displayed"), std::string("Select all displayed").size());
    list.clear();
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].MessageId, "M9");
    EXPECT_TRUE(list[1].New);
}

TEST_F(NetAddressTest, ListingsThatCannotBeFetchedFailInsteadOfLookingEmpty)
{
    AddMails(FolderRole::Inbox, {SampleMail("One"), SampleMail("Two")});
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));
    for (bool cutShort : {true, false}) {
        Simulator->ClearHooks();
        Simulator->Alter("", "", [&](const SimRequest &, SimResponse &response) {
            if (cutShort)
                response.CutAfter = response.Body.size() / 2;
            else
                response = SimResponse::Error(503, "Service Unavailable", "Please try again later.");
        });
        CSummaryArray list;
        EXPECT_FALSE(Provider->GetMailSummary(list, -1));
        EXPECT_FALSE(Provider->GetMailSummary(list, 0));
        EXPECT_TRUE(list.empty());
        CStringArray names{"kept"};
        EXPECT_FALSE(Provider->GetFolders(names));
        EXPECT_EQ(names, CStringArray{"kept"});
    }
    EXPECT_EQ(Provider->ListedMailCount(), 0u);
    EXPECT_EQ(Provider->Session().FolderLinks.size(), folders.size());
}

TEST_F(NetAddressTest, DeletingAfterTwoListingsCarriesTheCountOfBoth)
{
    std::vector<SimMail> mails;
    for (int i = 0; i < 10; ++i)
        mails.push_back(SampleMail("Mail " + std::to_string(i), kMarch15 + i));
    AddMails(FolderRole::Inbox, mails);
    LogIn();
    CSummaryArray first = Inbox();
    CSummaryArray second = Inbox();
    ASSERT_EQ(second.size(), 10u);
    EXPECT_EQ(Provider->ListedMailCount(), 20u);
    ASSERT_EQ(second[0].Subject, "Mail 9");
    Simulator->ClearRequests();

    EXPECT_TRUE(Provider->DeleteMail(second[0].Locator));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Path, PagePath("Mail", MailboxId(), "MultiOp"));
    EXPECT_EQ(requests[0].Body, "DestFolder=MoveTo--1&SrchMsgTotal=20&Sort=Date&Q=" + second[0].MessageId + ":1");
    SimAccount ann = Ann();
    ASSERT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails[0].Subject, "Mail 9");
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails.size(), 9u);

    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->DeleteMail("(cached)"));
    EXPECT_FALSE(Provider->DeleteMail("Q=&FolderID=1&Sort=Date"));
    EXPECT_TRUE(Simulator->Requests().empty());
    Simulator->Replace(kHost, "", [](const SimRequest &) { return SimResponse::Error(500, "Oops", "broken"); });
    EXPECT_FALSE(Provider->DeleteMail(second[1].Locator));
}

} // namespace korvalin::test
