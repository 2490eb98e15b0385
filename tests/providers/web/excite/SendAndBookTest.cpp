// Moving mail to the Trash, sending through the compose form, and the
// address book: the exact requests, and what the service made of them.
#include "ExciteFixture.h"

namespace korvalin::test {
namespace {

CMailMessage Letter(bool saveCopy)
{
    CMailMessage mail;
    mail.To = "bo@example.org; ann@excite.sim";
    mail.CC = "dee@example.org";
    mail.BCC = "eve@example.org";
    mail.Subject = "Plans & ideas = 100%";
    mail.Body = "Hello%20Bo%2C%0D%0Asee%20you"; // the program encodes bodies itself
    mail.SaveCopy = saveCopy;
    return mail;
}

} // namespace

TEST_F(ExciteTest, DeletingFilesTheMailInTheTrashThroughTheFolderActionHost)
{
    AddMails(FolderRole::Inbox, {SampleMail("Old news"), SampleMail("Keep me", kMarch15 + 60)});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 2u);
    ASSERT_EQ(list[1].Subject, "Old news");
    Simulator->ClearRequests();

    EXPECT_TRUE(Provider->DeleteMail(list[1].Locator));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Host, kFolderAction);
    EXPECT_EQ(requests[0].Path, "/mail/dcg_folder.cgi/action");
    EXPECT_EQ(requests[0].Body, "fl=Inbox&uid=" + list[1].MessageId + "&moveto=Trash&action=File");
    SimAccount ann = Ann();
    ASSERT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails[0].Subject, "Old news");

    // A locator that ends with its uid still names that mail.
    Simulator->ClearRequests();
    EXPECT_TRUE(Provider->DeleteMail("Inbox&uid=" + list[0].MessageId));
    requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Body, "fl=Inbox&uid=" + list[0].MessageId + "&moveto=Trash&action=File");
    EXPECT_TRUE(Ann().Mailbox.FolderWithRole(FolderRole::Inbox)->Mails.empty());

    Simulator->ClearRequests();
    for (const char *locator : {"(cached)", "Inbox&uid=&prev_ua=1", "&uid=4", "Inbox&prev_ua=1"})
        EXPECT_FALSE(Provider->DeleteMail(locator)) << locator;
    EXPECT_TRUE(Simulator->Requests().empty());
    Simulator->Replace(kFolderAction, "", [](const SimRequest &) { return SimResponse::Error(500, "Oops", "x"); });
    EXPECT_FALSE(Provider->DeleteMail("Inbox&uid=1&prev_ua=0"));
}

TEST_F(ExciteTest, SendingFillsTheComposeFormAndKeepsACopyOnlyWhenAsked)
{
    LogIn();
    for (bool saveCopy : {true, false}) {
        Simulator->ClearRequests();
        EXPECT_TRUE(Provider->SendMail(Letter(saveCopy)));
        std::vector<SimRequest> requests = Simulator->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].Host, kMail);
        EXPECT_EQ(requests[0].Path, "/compose.dcg/action");
        EXPECT_EQ(requests[0].Body, std::string(saveCopy ? "save_outgoing=ON&" : "") +
                                        "action=Send&to=bo%40example.org%3B%20ann%40excite.sim&cc=dee%40example.org"
                                        "&bcc=eve%40example.org&subject=Plans%20%26%20ideas%20%3D%20100%25"
                                        "&text=Hello%20Bo%2C%0D%0Asee%20you&files=");
    }
    SimAccount ann = Ann();
    const auto &sent = ann.Mailbox.FolderWithRole(FolderRole::Sent)->Mails;
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Subject, "Plans & ideas = 100%");
    EXPECT_EQ(sent[0].Body, "Hello Bo,\r\nsee you");
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails.size(), 2u); // ann was a recipient

    CMailMessage nobody = Letter(false);
    nobody.To.clear();
    EXPECT_FALSE(Provider->SendMail(nobody));
}

TEST_F(ExciteTest, TheAddressBookGivesNameAndAddressOfEveryEntry)
{
    Model->Edit("ann", [](SimAccount &account) {
        account.Mailbox.Contacts = {{"bo", "bo@example.org", "Bo Berg"}, {"cy&co", "cy@example.org", ""}};
    });
    LogIn();
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].Name, "bo");
    EXPECT_EQ(book[0].Address, "bo@example.org");
    EXPECT_EQ(book[1].Name, "cy&amp;co");
    EXPECT_EQ(book[1].Address, "cy@example.org");
    std::vector<SimRequest> pages = Simulator->RequestsTo(kMail, "/address.dcg");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Query, "x=" + MailboxKey());
}

TEST_F(ExciteTest, AddingAnAddressPostsTheEntryForm)
{
    LogIn();
    Simulator->ClearRequests();
    Provider->AddAddress("Bo & Co", "bo+x@example.org");
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Host, kMail);
    EXPECT_EQ(requests[0].Path, "/mod_address.dcg/action");
    EXPECT_EQ(requests[0].Body, "action=Save&create=1&alias=Bo%20%26%20Co&oldalias=&email=bo%2Bx%40example.org"
                                "&fname= &lname= &website=&phone=&cellphone=&company=&cophone=&fax=&pager=&notes=");
    CAddressArray book;
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].Name, "Bo &amp; Co");
    EXPECT_EQ(book[0].Address, "bo+x@example.org");
}

} // namespace korvalin::test
