// The mailbox form and the folder views: the two fixed folders, mail lines
// with every field, the locators with their move names, and the cookie that
// every request after the login carries.
#include "GoplayFixture.h"

namespace korvalin::test {

TEST_F(GoplayTest, TheMailboxPageGivesTheFormAndTheTwoFixedFolders)
{
    LogIn();
    Simulator->ClearRequests();
    CStringArray folders{"stale"};
    ASSERT_TRUE(Provider->GetFolders(folders));
    EXPECT_EQ(folders, (CStringArray{"Trash Can", "Sent Messages"}));

    const GoplayModel::Login login = Model->LatestLogin("ann");
    CGoplay::SessionValues session = Provider->Session();
    EXPECT_EQ(session.FormAddress, "http://www.goplay.sim/cgi-bin/mailbox.mail?sid=" + login.Sid);
    EXPECT_EQ(session.StartOn, "1");
    EXPECT_EQ(session.EndOn, "50");
    EXPECT_EQ(session.FolderForms,
              (CStringArray{"CHG_FOLDER=2&START_ON=1&END_ON=50&FOLDER=2&MOVE_TO=2&REF.x=36&REF.y=11",
                            "CHG_FOLDER=3&START_ON=1&END_ON=50&FOLDER=3&MOVE_TO=3&REF.x=36&REF.y=11"}));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Header("cookie"), "GPSESSION=" + login.Cookie);

    // Without the END_ON field no folder is known.
    Simulator->Replace(kHost, kMailboxPath, [](const SimRequest &) {
        return SimResponse::Html("<FORM ACTION=\"/x?sid=1\" METHOD=POST>\n<INPUT NAME=START_ON VALUE=3>\n");
    });
    EXPECT_TRUE(Provider->GetFolders(folders));
    EXPECT_TRUE(folders.empty());
}

TEST_F(GoplayTest, FolderViewLinesCarryEveryField)
{
    SimMail unread = SampleMail("Lunch <today>", kMarch15, false);
    SimMail read = SampleMail("Old news", kMarch15 - 86400, true);
    read.FromName.clear();
    AddMails(FolderRole::Inbox, {read, unread});
    Open();
    Simulator->ClearRequests();

    CSummaryArray list{SummaryEntry{}};
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 3u); // appended after what was there
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Path, kMailboxPath);
    EXPECT_EQ(requests[0].Body, "CHG_FOLDER=1&START_ON=1&END_ON=50&FOLDER=1&MOVE_TO=1&REF.x=36&REF.y=11");

    SimAccount ann = Ann();
    const auto &mails = ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails;
    const std::string unreadNumber = std::to_string(mails[1].Number);
    const SummaryEntry &first = list[1];
    EXPECT_TRUE(first.New);
    EXPECT_EQ(first.Date, "03/15/99 10:22");
    EXPECT_EQ(first.From, "Ann Smith");
    EXPECT_EQ(first.Subject, "Lunch &lt;today&gt;");
    EXPECT_TRUE(first.Size.empty());
    EXPECT_EQ(first.Locator, "CHG_FOLDER=1&M" + unreadNumber + ".x=3&M" + unreadNumber +
                                 ".y=8&START_ON=1&END_ON=50&FOLDER=1&MOVE_TO=1###" + unreadNumber + "###");
    EXPECT_EQ(first.MessageId, first.Locator);

    const SummaryEntry &second = list[2];
    EXPECT_FALSE(second.New);
    EXPECT_EQ(second.Date, "03/14/99 10:22");
    EXPECT_EQ(second.From, "ann@example.org");
    EXPECT_EQ(second.Subject, "Old news");
}

TEST_F(GoplayTest, TheFixedFoldersAreListedWithTheirNumbers)
{
    AddMails(FolderRole::Trash, {SampleMail("Binned")});
    AddMails(FolderRole::Sent, {SampleMail("Sent one", kMarch15, true), SampleMail("Sent two", kMarch15 + 1, true)});
    Open();
    CSummaryArray trash;
    ASSERT_TRUE(Provider->GetMailSummary(trash, 0));
    ASSERT_EQ(trash.size(), 1u);
    EXPECT_EQ(trash[0].Subject, "Binned");
    EXPECT_EQ(trash[0].Locator.rfind("CHG_FOLDER=2&", 0), 0u);
    EXPECT_NE(trash[0].Locator.find("&FOLDER=2&MOVE_TO=2###"), std::string::npos);
    CSummaryArray sent;
    ASSERT_TRUE(Provider->GetMailSummary(sent, 1));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].Subject, "Sent two");
    EXPECT_EQ(sent[0].Locator.rfind("CHG_FOLDER=3&", 0), 0u);
    CSummaryArray none;
    EXPECT_FALSE(Provider->GetMailSummary(none, 2));
    EXPECT_FALSE(Provider->GetMailSummary(none, -2));
}

TEST_F(GoplayTest, AFolderViewEndsAtTheFirstLineAfterTheMails)
{
    const std::string line = "<TR><TD><font size=\"-1\" face=\"Arial,Helvetica\">";
    const std::string page = "<html>\n" + line +
                             "<INPUT NAME=\"M1\" BORDER=0 SRC=\"unread1.gif\"><INPUT NAME=\"move1\"></font></TD>" +
                             "<TD><FONT COLOR=\"#000080\">d1</font></FONT></TD><TD><FONT COLOR=\"#000080\">f1</FONT>" +
                             "<font face=\"Arial,Helvetica\">s1</font></TR>\n" + line + "no key, no cells\n" + line +
                             "<INPUT NAME=\"M3\" BORDER=0>cut: <FONT COLOR=\"#000080\">no date end\n</TABLE>\n" + line +
                             "<INPUT NAME=\"M4\" BORDER=0>\n";
    Open();
    Simulator->Replace(kHost, kMailboxPath, [&](const SimRequest &) { return SimResponse::Html(page); });
    CSummaryArray list;
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Date, "d1");
    EXPECT_EQ(list[0].From, "f1");
    EXPECT_EQ(list[0].Subject, "s1");
    EXPECT_TRUE(list[0].New);
    EXPECT_NE(list[0].Locator.find("###1###"), std::string::npos);
    EXPECT_EQ(list[1].Date, "");
    EXPECT_EQ(list[1].From, "");
    EXPECT_NE(list[1].Locator.find("&M3.x=3&"), std::string::npos);
    EXPECT_NE(list[1].Locator.find("######"), std::string::npos); // no move name
}

TEST_F(GoplayTest, AListingBeforeTheFolderListReadsTheMailboxPageFirst)
{
    AddMails(FolderRole::Inbox, {SampleMail("Straight in")});
    LogIn();
    CSummaryArray list;
    ASSERT_TRUE(Provider->GetMailSummary(list, -1));
    ASSERT_EQ(list.size(), 1u);
    std::vector<SimRequest> requests = Simulator->RequestsTo(kHost, kMailboxPath);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[1].Method, "POST");
}

TEST_F(GoplayTest, ListingsThatCannotBeFetchedFailInsteadOfLookingEmpty)
{
    AddMails(FolderRole::Inbox, {SampleMail("One"), SampleMail("Two")});
    Open();
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
}

TEST_F(GoplayTest, EveryRequestAfterTheLoginCarriesTheCookieAndCookiePostsNoContentType)
{
    Model->Edit("ann", [](SimAccount &account) { account.Mailbox.Contacts = {{"bo", "bo@example.org", ""}}; });
    AddMails(FolderRole::Inbox, {SampleMail("One"), SampleMail("Two", kMarch15 + 1)});
    Open();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 2u);
    std::string body;
    CMailMessage message;
    EXPECT_TRUE(Provider->GetMail(list[0].Locator, body, message));
    EXPECT_TRUE(Provider->DeleteMail(list[1].Locator));
    CAddressArray book;
    Provider->GetAddressBook(book);
    EXPECT_EQ(book.size(), 1u);
    Provider->AddAddress("cy", "cy@example.org");
    CMailMessage mail;
    mail.To = "bo@example.org";
    EXPECT_TRUE(Provider->SendMail(mail));

    const std::string cookie = CookieLine().substr(std::string("Cookie: ").size());
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_GT(requests.size(), 10u);
    for (size_t i = 1; i < requests.size(); ++i) {
        const SimRequest &request = requests[i];
        const bool sendStep = request.Path == "/cgi-bin/send.mailmsg" && request.BodyFields().Has("SEND");
        if (sendStep) {
            EXPECT_EQ(request.Header("cookie"), "") << request.Body;
            EXPECT_EQ(request.Header("content-type"), "application/x-www-form-urlencoded");
            continue;
        }
        EXPECT_EQ(request.Header("cookie"), cookie) << request.Method << " " << request.Target;
        EXPECT_EQ(request.Header("content-type"), "") << request.Method << " " << request.Target;
    }
}

} // namespace korvalin::test
