// Folders and listings: the folders page without the inbox, the row cells
// in their read and unread forms, and the year-first date.
#include "ExciteFixture.h"

namespace korvalin::test {
namespace {

// A listing page holding the given rows (each the checkbox line and its four
// cell lines) and the link that ends the listing.
std::string ListingOf(const std::vector<std::string> &rows)
{
    std::string page = "<html>\n<a href=\"/folder.dcg?x=K\">Inbox</a>\n<table>\n";
    for (const std::string &row : rows)
        page += row;
    return page + "</table>\n<a href=\"/folder.dcg?x=K&amp;fl=Inbox\">Check</a>\n" +
           "<td align=center><input type=checkbox name=uid value=99></td>\n</html>\n";
}

std::string Row(const std::string &id, const std::string &sender, const std::string &link, const std::string &date,
                const std::string &size)
{
    return "<td align=center><input type=checkbox name=uid value=" + id + "></td>\n" + sender + "\n" + link + "\n" +
           date + "\n" + size + "\n";
}

} // namespace

TEST_F(ExciteTest, FoldersLeaveOutTheInboxAndListTheirOwnMail)
{
    Model->AddFolder("ann", "Bills & Co");
    AddMailsToFolder("Bills & Co", {SampleMail("Phone bill")});
    LogIn();
    CStringArray folders{"stale"};
    ASSERT_TRUE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, (CStringArray{"Sent Mail", "Drafts", "Trash", "Bills &amp; Co"}));
    const std::string prefix = "http://mail.excite.sim/folder.dcg?x=" + MailboxKey() + "&fl=";
    EXPECT_EQ(Provider->Session().FolderLinks,
              (CStringArray{prefix + "Sent", prefix + "Drafts", prefix + "Trash", prefix + "F5"}));

    CSummaryArray bills;
    ASSERT_TRUE(Provider->GetMailSummary(bills, 3));
    ASSERT_EQ(bills.size(), 1u);
    EXPECT_EQ(bills[0].Subject, "Phone bill");
    EXPECT_EQ(bills[0].Locator.rfind("F5&uid=" + bills[0].MessageId + "&prev_ua=", 0), 0u);

    CSummaryArray none;
    EXPECT_FALSE(Provider->GetMailSummary(none, 4));
    EXPECT_FALSE(Provider->GetMailSummary(none, -2));
    EXPECT_TRUE(none.empty());
}

TEST_F(ExciteTest, ListingRowsCarryEveryFieldInBothForms)
{
    SimMail unread = SampleMail("Lunch <today>", kMarch15, false);
    SimMail read = SampleMail("Old news", kMarch15 - 86400, true);
    read.FromName.clear();
    AddMails(FolderRole::Inbox, {read, unread});
    LogIn();

    CSummaryArray list{SummaryEntry{}};
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 3u); // appended after what was there
    SimAccount ann = Ann();
    const auto &mails = ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails;
    const std::string unreadId = std::to_string(mails[1].Number);
    const std::string readId = std::to_string(mails[0].Number);

    const SummaryEntry &first = list[1];
    EXPECT_TRUE(first.New);
    EXPECT_EQ(first.From, "Ann Smith");
    EXPECT_EQ(first.Subject, "Lunch &lt;today&gt;");
    EXPECT_EQ(first.Date, "99/03/15");
    EXPECT_EQ(first.Size, "1k");
    EXPECT_EQ(first.MessageId, unreadId);
    EXPECT_EQ(first.Locator, "Inbox&uid=" + unreadId + "&prev_ua=0&next_ua=" + readId);

    const SummaryEntry &second = list[2];
    EXPECT_FALSE(second.New);
    EXPECT_EQ(second.From, "ann@example.org");
    EXPECT_EQ(second.Subject, "Old news");
    EXPECT_EQ(second.Date, "99/03/14");
    EXPECT_EQ(second.Size, "1k");
    EXPECT_EQ(second.MessageId, readId);
    EXPECT_EQ(second.Locator, "Inbox&uid=" + readId + "&prev_ua=" + unreadId + "&next_ua=0");
}

TEST_F(ExciteTest, RowCellsAreCutAsTheServiceWritesThem)
{
    const std::string page = ListingOf({
        Row("7", "<td valign=top>&nbsp;Bo &amp; Co&nbsp;</td>",
            "<td>&nbsp;<a href=\"/msg.dcg?x=K&amp;fl=Work&amp;uid=7&amp;prev_ua=0\">A &quot;b&quot;</a></td>",
            "<td valign=top>12/31/1999&nbsp;</td>", "<td align=right>&nbsp;12k&nbsp;</td>"),
        Row("8", "<td valign=top>&nbsp;<b>Cy</b>&nbsp;</td>", "<td>no link here</td>",
            "<td valign=top><b>1/2/3</b></td>", "<td>&nbsp;<b>1k</b></td>"),
        Row("9", "<td valign=top>&nbsp;<b>Dee</b>&nbsp;</td>",
            "<td><b><a href=\"/msg.dcg?x=K&amp;fl=Inbox&amp;uid=9\">Hi</a></b></td>", "<td><b>yesterday</b></td>",
            "<td>&nbsp;<b>2k</b>&nbsp;</td>"),
    });
    LogIn();
    Simulator->Replace(kMail, "/folder.dcg", [&](const SimRequest &) { return SimResponse::Html(page); });
    CSummaryArray list;
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 2u); // the row without a link cannot be opened and is left out
    EXPECT_EQ(list[0].From, "Bo &amp; Co");
    EXPECT_EQ(list[0].Locator, "Work&uid=7&prev_ua=0");
    EXPECT_EQ(list[0].Subject, "A &quot;b&quot;");
    EXPECT_EQ(list[0].Date, "1999/12/31");
    EXPECT_EQ(list[0].Size, "12k");
    EXPECT_FALSE(list[0].New);
    EXPECT_EQ(list[1].MessageId, "9");
    EXPECT_EQ(list[1].Date, "yesterday"); // not of the form A/B/C
    EXPECT_EQ(list[1].Size, "2k");
    EXPECT_TRUE(list[1].New);
}

TEST_F(ExciteTest, ListingsThatCannotBeFetchedFailInsteadOfLookingEmpty)
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
    EXPECT_EQ(Provider->Session().FolderLinks.size(), folders.size());
}

} // namespace korvalin::test
