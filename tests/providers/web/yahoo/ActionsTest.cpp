// Deleting through the folder form, sending through the compose form and
// the address book: the exact requests, and what the service made of them.
#include "YahooFixture.h"

#include <thread>

namespace korvalin::test {
namespace {

CMailMessage Letter(bool saveCopy)
{
    CMailMessage mail;
    mail.To = "bo@example.org; Cy <cy@example.org>";
    mail.CC = "dee@example.org";
    mail.BCC = "eve@example.org";
    mail.Subject = "Plans & ideas = 100%";
    mail.Body = "Hello%20Bo%2C%0D%0Asee%20you"; // the program encodes bodies itself
    mail.SaveCopy = saveCopy;
    return mail;
}

} // namespace

TEST_F(YahooTest, DeletingPostsTheFormOfTheFolderThatListedTheMail)
{
    AddMails(FolderRole::Inbox, {SampleMail("Inbox mail")});
    AddMailsToFolder("Work", {SampleMail("Work mail")});
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));
    CSummaryArray work = Listing(3);
    CSummaryArray inbox = Listing(-1); // listed last: its form is the fallback
    ASSERT_EQ(work.size(), 1u);
    ASSERT_EQ(inbox.size(), 1u);
    Simulator->ClearRequests();

    EXPECT_TRUE(Provider->DeleteMail(work[0].Locator));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Path, "/ym/ShowFolder");
    EXPECT_EQ(requests[0].Query, "box=Work&YY=" + SessionKey());
    EXPECT_EQ(requests[0].Body,
              "TRA=Delete&destBox1=- Choose Folder -&message=" + work[0].MessageId + "&destBox2=- Choose Folder -");
    SimAccount ann = Ann();
    EXPECT_TRUE(ann.Mailbox.FolderWithName("Work")->Mails.empty());
    ASSERT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails[0].Subject, "Work mail");

    // A mail no listing showed goes through the folder listed last.
    Simulator->ClearRequests();
    EXPECT_TRUE(Provider->DeleteMail(std::string(kBase) + "/ym/ShowLetter?message=1_77_1&sort=date"));
    EXPECT_EQ(Simulator->Requests().at(0).Query, "box=Inbox&YY=" + SessionKey());

    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->DeleteMail(std::string(kBase) + "/ym/ShowLetter?box=Inbox&YY=1"));
    EXPECT_FALSE(Provider->DeleteMail("(cached)"));
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(YahooTest, FoldersListedAtOnceEachKeepTheirOwnDeleteForm)
{
    std::vector<SimMail> inboxMails;
    std::vector<SimMail> workMails;
    for (int i = 0; i < 4; ++i) {
        inboxMails.push_back(SampleMail("In " + std::to_string(i), kMarch5 + i));
        workMails.push_back(SampleMail("Work " + std::to_string(i), kMarch5 + i));
    }
    AddMails(FolderRole::Inbox, inboxMails);
    AddMailsToFolder("Work", workMails);
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));
    CSummaryArray inbox;
    CSummaryArray work;
    for (int round = 0; round < 3; ++round) {
        inbox.clear();
        work.clear();
        std::thread other([&] { Provider->GetMailSummary(work, 3); });
        Provider->GetMailSummary(inbox, -1);
        other.join();
    }
    ASSERT_EQ(inbox.size(), 4u);
    ASSERT_EQ(work.size(), 4u);
    for (const SummaryEntry &entry : inbox)
        EXPECT_TRUE(Provider->DeleteMail(entry.Locator));
    for (const SummaryEntry &entry : work)
        EXPECT_TRUE(Provider->DeleteMail(entry.Locator));
    EXPECT_EQ(Ann().Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 8u);
}

TEST_F(YahooTest, SendingFillsTheComposeFormAndKeepsACopyOnlyWhenAsked)
{
    LogIn();
    for (bool saveCopy : {true, false}) {
        Simulator->ClearRequests();
        EXPECT_TRUE(Provider->SendMail(Letter(saveCopy)));
        std::vector<SimRequest> requests = Simulator->Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].Method, "GET");
        EXPECT_EQ(requests[0].Path, "/ym/Compose");
        EXPECT_EQ(requests[1].Method, "POST");
        EXPECT_EQ(requests[1].Host, kMailHost);
        EXPECT_EQ(requests[1].Target.substr(requests[1].Target.find("/ym/")), "/ym/Compose?YY=" + SessionKey());
        EXPECT_EQ(requests[1].Body, std::string("file0=&file1=&file2=&SND=Send&") + (saveCopy ? "saveCopy=ON&" : "") +
                                        "to=bo%40example.org%3B%20Cy%20%3Ccy%40example.org%3E&subject=Plans%20%26%20"
                                        "ideas%20%3D%20100%25&cc=dee%40example.org&bcc=eve%40example.org&body=Hello%"
                                        "20Bo%2C%0D%0Asee%20you&sig=1&format=plain checked");
    }
    SimAccount ann = Ann();
    const auto &sent = ann.Mailbox.FolderWithRole(FolderRole::Sent)->Mails;
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Subject, "Plans & ideas = 100%");
    EXPECT_EQ(sent[0].To, "bo@example.org; Cy <cy@example.org>");
    EXPECT_EQ(sent[0].Body, "Hello Bo,\r\nsee you");
}

TEST_F(YahooTest, SendingReportsWhatTheServiceRefused)
{
    Model->AddAccount("bo", "pw");
    LogIn();
    CMailMessage noRecipient = Letter(false);
    noRecipient.To.clear();
    EXPECT_FALSE(Provider->SendMail(noRecipient));

    CMailMessage toBo = Letter(false);
    toBo.To = "Bo <bo@yahoo.sim>";
    EXPECT_TRUE(Provider->SendMail(toBo));
    EXPECT_EQ(Model->Snapshot("bo").Mailbox.Folders().front().Mails.size(), 1u);

    Simulator->Replace(kMailHost, "/ym/Compose", [](const SimRequest &) {
        return SimResponse::Html("<html><body>Compose is resting</body></html>\n");
    });
    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->SendMail(Letter(false)));
    EXPECT_EQ(Simulator->Requests().size(), 1u); // no form, nothing posted
}

TEST_F(YahooTest, TheAddressBookIsReadFromItsCheckboxRows)
{
    Model->Edit("ann", [](SimAccount &account) {
        account.Mailbox.Contacts = {{"bo", "bo@example.org", "Bo Berg"}, {"cy", "cy@example.org", ""}};
    });
    LogIn();
    CAddressArray book{AddressEntry{true, "stale", "stale@x"}};
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_FALSE(book[0].Marked);
    EXPECT_EQ(book[0].Name, "bo");
    EXPECT_EQ(book[0].Address, "bo@example.org");
    EXPECT_EQ(book[1].Name, "cy");
    EXPECT_EQ(book[1].Address, "cy@example.org");

    // The rows stand together: a checkbox row after another line is not read.
    Simulator->Replace(kMailHost, "/yab/us", [](const SimRequest &) {
        const std::string row = "<tr><td><input type=checkbox name=\"pto\" value=\"x\"></td><td width=\"16%\"><font "
                                "size=\"-1\">Full</font></td><td width=\"16%\"><font size=\"-1\">nick</font></td><td "
                                "width=\"16%\"><font size=\"-1\"><a href=\"/ym/Compose?YY=1234567&To=n%40x\">n@x</a>"
                                "</font></td></tr>\n";
        return SimResponse::Html(row + row + "</table>\n" + row);
    });
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[1].Name, "nick");
    EXPECT_EQ(book[1].Address, "n@x");
}

TEST_F(YahooTest, AddingAnAddressPostsTheQuickEntryFormWithEncodedValues)
{
    LogIn();
    Provider->AddAddress("Bo & Co", "bo=1@example.org");
    std::vector<SimRequest> requests = Simulator->RequestsTo(kMailHost, "/yab/" + SessionKey());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Body, "A=ma&v=YM&nf=1&fn= &ln= &e=bo%3D1%40example.org&nn=Bo%20%26%20Co&wp=&hp=&AG=1&QE="
                                "Quick Entry");
    std::vector<websim::SimContact> contacts = Ann().Mailbox.Contacts;
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].Alias, "Bo & Co");
    EXPECT_EQ(contacts[0].Address, "bo=1@example.org");

    CAddressArray book;
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].Name, "Bo &amp; Co"); // as the service shows it
}

} // namespace korvalin::test
