// Moving mail to the Trash Can, the two-step send, and the address book read
// back through a compose form: the exact requests, and what the service
// made of them.
#include "GoplayFixture.h"

namespace korvalin::test {
namespace {

CMailMessage Letter(bool saveCopy)
{
    CMailMessage mail;
    mail.To = "bo@example.org; ann@goplay.sim";
    mail.CC = "dee@example.org";
    mail.BCC = "eve@example.org";
    mail.Subject = "Plans & ideas = 100%";
    mail.Body = "Hello%20Bo%2C%0D%0Asee%20you"; // the program encodes bodies itself
    mail.SaveCopy = saveCopy;
    return mail;
}

} // namespace

TEST_F(GoplayTest, DeletingTicksTheMoveBoxAndMovesTheMailToTheTrashCan)
{
    AddMails(FolderRole::Inbox, {SampleMail("Old news"), SampleMail("Keep me", kMarch15 + 60)});
    Open();
    CSummaryArray list = Inbox();
    ASSERT_EQ(list.size(), 2u);
    ASSERT_EQ(list[1].Subject, "Old news");
    const std::string number = std::to_string(Ann().Mailbox.FolderWithRole(FolderRole::Inbox)->Mails[0].Number);
    Simulator->ClearRequests();

    EXPECT_TRUE(Provider->DeleteMail(list[1].Locator));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Path, kMailboxPath);
    EXPECT_EQ(requests[0].Body,
              "CHG_FOLDER=2&move" + number + "=on&START_ON=1&END_ON=50&FOLDER=2&MOVE_TO=2&REF.x=33&REF.y=9");
    SimAccount ann = Ann();
    ASSERT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails[0].Subject, "Old news");

    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->DeleteMail("(cached)"));
    EXPECT_FALSE(Provider->DeleteMail("CHG_FOLDER=1&M1.x=3######"));
    EXPECT_TRUE(Simulator->Requests().empty());
}

TEST_F(GoplayTest, SendingAsksForAComposeFormThenPostsTheMailWithItsNumber)
{
    Open();
    const GoplayModel::Login login = Model->LatestLogin("ann");
    for (bool saveCopy : {true, false}) {
        Simulator->ClearRequests();
        EXPECT_TRUE(Provider->SendMail(Letter(saveCopy)));
        std::vector<SimRequest> requests = Simulator->Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].Path, kMailboxPath);
        EXPECT_EQ(requests[0].Body, "CHG_FOLDER=1&START_ON=1&END_ON=50&FOLDER=1&MOVE_TO=2&BAR1.x=69&BAR1.y=67");
        EXPECT_EQ(requests[1].Path, "/cgi-bin/send.mailmsg");
        EXPECT_EQ(requests[1].Query, "sid=" + login.Sid);
        const std::string number = requests[1].BodyFields().Value("MSG");
        EXPECT_FALSE(number.empty());
        EXPECT_EQ(requests[1].Body, std::string(saveCopy ? "COPYSENT=ON&" : "") + "MSG=" + number +
                                        "&FOLDER=1&START_ON=1&ORIG_MSG=0&to=bo%40example.org%3B%20ann%40goplay.sim"
                                        "&cc=dee%40example.org&bcc=eve%40example.org"
                                        "&subject=Plans%20%26%20ideas%20%3D%20100%25"
                                        "&TEXT_MESSAGE=Hello%20Bo%2C%0D%0Asee%20you&SEND=SEND!");
    }
    EXPECT_EQ(Provider->Session().Sid, login.Sid);
    SimAccount ann = Ann();
    const auto &sent = ann.Mailbox.FolderWithRole(FolderRole::Sent)->Mails;
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Subject, "Plans & ideas = 100%");
    EXPECT_EQ(sent[0].Body, "Hello Bo,\r\nsee you");
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails.size(), 2u); // ann was a recipient

    // A compose form without its number sends nothing.
    Simulator->Alter(kHost, kMailboxPath,
                     [](const SimRequest &, SimResponse &response) { response.Body = "<html>Busy</html>\n"; });
    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->SendMail(Letter(false)));
    EXPECT_TRUE(Simulator->RequestsTo(kHost, "/cgi-bin/send.mailmsg").empty());
}

TEST_F(GoplayTest, TheAddressBookIsReadBackFromTheComposeFormsToField)
{
    Model->Edit("ann", [](SimAccount &account) { account.Mailbox.Contacts = {{"a", "a", ""}, {"b", "b", ""}}; });
    Open();
    const GoplayModel::Login login = Model->LatestLogin("ann");
    Simulator->ClearRequests();
    CAddressArray book{AddressEntry{true, "old", "old@x"}};
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].Name, "a");
    EXPECT_EQ(book[0].Address, "a");
    EXPECT_EQ(book[1].Name, " b");
    EXPECT_EQ(book[1].Address, " b");

    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Body, "CHG_FOLDER=1&START_ON=1&END_ON=50&FOLDER=1&MOVE_TO=2&BAR1.x=69&BAR1.y=67");
    const std::string number = requests[1].BodyFields().Value("MSG");
    const std::string form = "MSG=" + number + "&FOLDER=1&START_ON=1&ORIG_MSG=0&";
    EXPECT_EQ(requests[1].Path, "/cgi-bin/send.mailmsg");
    EXPECT_EQ(requests[1].Query, "sid=" + login.Sid);
    EXPECT_EQ(requests[1].Body, form + "&to=&cc=&bcc=&subject=&TEXT_MESSAGE=&ADDRBOOK.x=37&ADDRBOOK.y=12");
    EXPECT_EQ(requests[2].Path, "/cgi-bin/edit.mailmsg");
    EXPECT_EQ(requests[2].Body, form + "BOOK1=on&BOOK2=on&TO_BOOK=Add+to+To");
    EXPECT_EQ(Provider->Session().Sid, login.Sid);

    // An empty address book gives no entries.
    Model->Edit("ann", [](SimAccount &account) { account.Mailbox.Contacts.clear(); });
    Provider->GetAddressBook(book);
    EXPECT_TRUE(book.empty());

    // Nothing between two commas names nobody; text after the last comma is
    // no entry.
    Simulator->Replace(kHost, "/cgi-bin/edit.mailmsg", [](const SimRequest &) {
        return SimResponse::Html("<INPUT TYPE=TEXT NAME=to VALUE=\"a,, ,b@x, tail\" SIZE=60>\n");
    });
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].Address, "a");
    EXPECT_EQ(book[1].Address, "b@x");
}

TEST_F(GoplayTest, AddingAnAddressPostsToTheAddressBookScriptWithItsDoubleSlash)
{
    Open();
    CAddressArray book;
    Provider->GetAddressBook(book);
    Simulator->ClearRequests();
    Provider->AddAddress("Bo & Co", "bo+x@example.org");
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Path, "//cgi-bin/edit.mailaddrbook");
    EXPECT_EQ(requests[0].Query, "sid=" + Model->LatestLogin("ann").Sid);
    EXPECT_EQ(requests[0].Body, "FOLDER=1&START_ON=1&TEXT_DESCR=Bo%20%26%20Co&EMAILS=bo%2Bx%40example.org&ADD=SAVE");
    SimAccount ann = Ann();
    ASSERT_EQ(ann.Mailbox.Contacts.size(), 1u);
    EXPECT_EQ(ann.Mailbox.Contacts[0].Alias, "Bo & Co");
    EXPECT_EQ(ann.Mailbox.Contacts[0].Address, "bo+x@example.org");

    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].Address, "bo+x@example.org");
}

} // namespace korvalin::test
