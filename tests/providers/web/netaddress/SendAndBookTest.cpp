// Sending through the send form and the address book: the exact requests,
// and what the service made of them.
#include "NetAddressFixture.h"

namespace korvalin::test {
namespace {

CMailMessage Letter(bool saveCopy)
{
    CMailMessage mail;
    mail.To = "bo@example.org; ann@netaddress.sim";
    mail.CC = "dee@example.org";
    mail.BCC = "eve@example.org";
    mail.Subject = "Plans & ideas = 100%";
    mail.Body = "Hello%20Bo%2C%0D%0Asee%20you"; // the program encodes bodies itself
    mail.SaveCopy = saveCopy;
    return mail;
}

} // namespace

TEST_F(NetAddressTest, SendingFillsTheFormInOrderAndKeepsACopyOnlyWhenAsked)
{
    LogIn();
    for (bool saveCopy : {true, false}) {
        Simulator->ClearRequests();
        EXPECT_TRUE(Provider->SendMail(Letter(saveCopy)));
        std::vector<SimRequest> requests = Simulator->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].Method, "POST");
        EXPECT_EQ(requests[0].Path, PagePath("Send", MailboxId(), "Message"));
        EXPECT_EQ(requests[0].Body,
                  "FileAttachment=&FileAttachment=&FileAttachment=&FileAttachment=&FileAttachment=&"
                  "MFrom=ann&MSID=" +
                      MailboxId() +
                      "&SendAction=&stationeryfile=&ComposePopUp=&VacationParseString=&RedirectSuccess=&"
                      "FLine=ann%40netaddress.sim&MessageType=Draft&"
                      "MTo=bo%40example.org%3B%20ann%40netaddress.sim&MSubject=Plans%20%26%20ideas%20%3D%20100%25"
                      "&MCC=dee%40example.org&MBCC=eve%40example.org" +
                      (saveCopy ? "&DoSaveSent=True" : "") +
                      "&ContentType=text/html; charset=us-ascii&ReadReceipt=False&StationeryID=--- None ---"
                      "&Priority=3&MText=<pre>Hello%20Bo%2C%0D%0Asee%20you</pre>&SignatureID=");
    }
    SimAccount ann = Ann();
    const auto &sent = ann.Mailbox.FolderWithRole(FolderRole::Sent)->Mails;
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Subject, "Plans & ideas = 100%");
    EXPECT_EQ(sent[0].Body, "<pre>Hello Bo,\r\nsee you</pre>");
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails.size(), 2u); // ann was a recipient
}

TEST_F(NetAddressTest, ASendTheServiceRefusesIsNotReportedAsSent)
{
    LogIn();
    CMailMessage nobody = Letter(false);
    nobody.To.clear();
    EXPECT_FALSE(Provider->SendMail(nobody));
    Simulator->Alter(kHost, PagePath("Send", MailboxId(), "Message"),
                     [](const SimRequest &, SimResponse &response) { response.CutAfter = 10; });
    EXPECT_FALSE(Provider->SendMail(Letter(false)));
}

TEST_F(NetAddressTest, TheAddressBookGivesAddressAndNameOfEveryEntry)
{
    Model->Edit("ann", [](SimAccount &account) {
        account.Mailbox.Contacts = {{"bo", "bo@example.org", "Bo Berg"}, {"cy&co", "cy@example.org", ""}};
    });
    LogIn();
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].Address, "bo@example.org");
    EXPECT_EQ(book[0].Name, "bo");
    EXPECT_EQ(book[1].Address, "cy@example.org");
    EXPECT_EQ(book[1].Name, "cy&amp;co");
    std::vector<SimRequest> pages = Simulator->RequestsTo(kHost, PagePath("AddrBook", MailboxId(), "List"));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Query, "PopUp=No");

    // An entry whose name line the page never reaches is not listed.
    Simulator->Replace(kHost, PagePath("AddrBook", MailboxId(), "List"), [](const SimRequest &) {
        return SimResponse::Html("<font face=\"Arial, Helvetica, Condensed\" size=\"-1\">a@x</font>\n<td>\n");
    });
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());
}

TEST_F(NetAddressTest, AddingAnAddressPostsTheEntryForm)
{
    LogIn();
    Simulator->ClearRequests();
    Provider->AddAddress("Bo & Co", "bo+x@example.org");
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Path, PagePath("AddrBook", MailboxId(), "Individual"));
    EXPECT_EQ(requests[0].Body, "Action=&submiting=YES&PopUp=&EmailAddress=bo%2Bx%40example.org"
                                "&Nickname=Bo%20%26%20Co&First= &Last= &Address1=&Address2=&City=&State=&ZIP="
                                "&Country=&Work=&Home=&CellPhone=&Pager=&Fax=&HomePage=&notes=");
    CAddressArray book;
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].Address, "bo+x@example.org");
    EXPECT_EQ(book[0].Name, "Bo &amp; Co");
}

} // namespace korvalin::test
