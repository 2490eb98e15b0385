// Sending through the compose form, moving mail to the trash, and the
// address book: the exact requests, and what the service made of them.
#include "HotmailFixture.h"

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

TEST_F(HotmailTest, DeletingMovesTheMailToTheTrashWithTheServicesQuery)
{
    AddMails(FolderRole::Inbox, {SampleMail("Old news"), SampleMail("Keep me", kMarch5 + 60)});
    LogIn();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 2u);
    ASSERT_EQ(list[1].Subject, "Old news");
    CHotmail::SessionValues session = Provider->Session();
    Simulator->ClearRequests();

    EXPECT_TRUE(Provider->DeleteMail(list[1].Locator));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Host, kWeb);
    EXPECT_EQ(requests[0].Path, "/cgi-bin/HoTMaiL");
    EXPECT_EQ(requests[0].Query, "disk=" + session.Disk + "&login=ann&f=" + session.FormF + "&js=&foo=inbox&" +
                                     list[1].MessageId + "=on&Move%20To.x=Move%20To&tobox=trAsH");
    SimAccount ann = Ann();
    ASSERT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails[0].Subject, "Old news");
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails.size(), 1u);

    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->DeleteMail("/cgi-bin/getmsg?disk=d&login=ann&f=1"));
    EXPECT_FALSE(Provider->DeleteMail("(cached)"));
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(HotmailTest, SendingFillsTheComposeFormAndKeepsACopyOnlyWhenAsked)
{
    AddMails(FolderRole::Inbox, {SampleMail("Learn the session")});
    LogIn();
    Inbox();
    CHotmail::SessionValues session = Provider->Session();

    for (bool saveCopy : {true, false}) {
        Simulator->ClearRequests();
        EXPECT_TRUE(Provider->SendMail(Letter(saveCopy)));
        std::vector<SimRequest> requests = Simulator->Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].Path, "/cgi-bin/compose");
        EXPECT_EQ(requests[0].Query, "disk=" + session.Disk + "&login=ann&f=" + session.FormF + "&curmbox=ACTIVE");
        EXPECT_EQ(requests[1].Method, "POST");
        EXPECT_EQ(requests[1].Host, kWeb);
        EXPECT_EQ(requests[1].Path, "/cgi-bin/premail");
        std::string headerId = requests[1].BodyFields().Value("msghdrid");
        EXPECT_EQ(headerId.size(), 8u);
        EXPECT_EQ(requests[1].Body,
                  "disk=" + session.Disk + "&login=ann&f=" + session.FormF +
                      "&curmbox=ACTIVE&msg=&start=&len=&attfile=&type=&src=&sigflag=y&newmail=&msghdrid=" + headerId +
                      "&Send.x=Send&to=bo%40example.org%3B%20Cy%20%3Ccy%40example.org%3E&subject=Plans%20%26%20ideas%20"
                      "%3D%20100%25&cc=dee%40example.org&bcc=eve%40example.org&" +
                      (saveCopy ? "outgoing=on&" : "") + "body=Hello%20Bo%2C%0D%0Asee%20you");
    }
    SimAccount ann = Ann();
    const auto& sent = ann.Mailbox.FolderWithRole(FolderRole::Sent)->Mails;
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Subject, "Plans & ideas = 100%");
    EXPECT_EQ(sent[0].To, "bo@example.org; Cy <cy@example.org>");
    EXPECT_EQ(sent[0].Body, "Hello Bo,\r\nsee you");
}

TEST_F(HotmailTest, SendingReportsWhatTheServiceRefused)
{
    LogIn();
    CMailMessage noRecipient = Letter(false);
    noRecipient.To.clear();
    EXPECT_FALSE(Provider->SendMail(noRecipient));

    Simulator->Replace(kWeb, "/cgi-bin/compose", [](const SimRequest&) {
        return SimResponse::Html("<html><body>Compose is resting</body></html>\n");
    });
    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->SendMail(Letter(false)));
    EXPECT_EQ(Simulator->Requests().size(), 1u); // no form, nothing posted
    EXPECT_TRUE(Ann().Mailbox.FolderWithRole(FolderRole::Sent)->Mails.empty());
}

TEST_F(HotmailTest, MailToAnotherAccountOfTheServiceArrivesThere)
{
    Model->AddAccount("bo", "pw");
    LogIn();
    CMailMessage mail = Letter(false);
    mail.To = "Bo <bo@hotmail.sim>";
    EXPECT_TRUE(Provider->SendMail(mail));
    SimAccount bo = Model->Snapshot("bo");
    const auto& inbox = bo.Mailbox.Folders().front().Mails;
    ASSERT_EQ(inbox.size(), 1u);
    EXPECT_EQ(inbox[0].FromAddress, "ann@hotmail.sim");
    EXPECT_FALSE(inbox[0].Read);
}

TEST_F(HotmailTest, TheAddressBookIsReadFromThePickerRows)
{
    Model->Edit("ann", [](SimAccount& account) {
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
    std::vector<SimRequest> requests = Simulator->RequestsTo(kForm, "/cgi-bin/toccbcc");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Query, "disk=&login=ann&f=&curmbox=ACTIVE&where=to");
}

TEST_F(HotmailTest, AddingAnAddressPostsTheServicesFormWithEncodedValues)
{
    LogIn();
    Provider->AddAddress("Bo & Co", "bo=1@example.org");
    std::vector<SimRequest> requests = Simulator->RequestsTo(kForm, "/cgi-bin/doaddresses");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Body,
              "disk=&login=ann&f=&curmbox=ACTIVE&_lang=&smsg=&m=0&g=0&i=&alias=Bo%20%26%20Co&addrlist=bo%3D1%40example."
              "org&aliasfname=&aliaslname=&aliasstreet=&aliascity=&aliasstate=&aliaszip=&aliascountry=&aliascompany=&"
              "aliashphone=&aliaswphone=&aliaspphone=&aliascphone=&aliasfphone=&aliasophone=&aliasmonth=&aliasday=&"
              "aliasyear=&Submit.x= OK ");
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
