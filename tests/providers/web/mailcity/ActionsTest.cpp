// Deleting through the mail page's document id and base address, sending
// through the compose form, the address book and adding to it: the exact
// requests, and what the service made of them. Also several operations on
// one provider object at once.
#include "MailCityFixture.h"

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

TEST_F(MailCityTest, DeletingAsksTheMailPageAndSendsTheDeleteCommand)
{
    AddMails(FolderRole::Inbox, {SampleMail("Old news"), SampleMail("Keep me", kMarch5 + 60)});
    LogIn();
    CSummaryArray list = Listing();
    ASSERT_EQ(list.size(), 2u);
    ASSERT_EQ(list[1].Subject, "Old news");
    Simulator->ClearRequests();

    EXPECT_TRUE(Provider->DeleteMail(list[1].Locator));
    std::vector<SimRequest> requests = Simulator->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Path, "/" + Mailbox() + "/gmm_showmsg.femail");
    EXPECT_EQ(requests[1].Method, "GET");
    EXPECT_EQ(requests[1].Path, "/" + Mailbox() + "/gmm_multiplex.femail");
    EXPECT_EQ(requests[1].Query, "docid=" + list[1].MessageId + ":M:INBOX&%2Fgmm_delete.femail=delete");
    SimAccount ann = Ann();
    ASSERT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails.size(), 1u);
    EXPECT_EQ(ann.Mailbox.FolderWithRole(FolderRole::Trash)->Mails[0].Subject, "Old news");

    // A page without its document id deletes nothing.
    Simulator->ClearRequests();
    EXPECT_FALSE(Provider->DeleteMail(list[1].Locator)); // now gone: the page says so
    EXPECT_FALSE(Provider->DeleteMail("(cached)"));
    EXPECT_EQ(Simulator->Requests().size(), 1u);
}

TEST_F(MailCityTest, SendingFillsTheComposeFormAndKeepsACopyOnlyWhenAsked)
{
    LogIn();
    for (bool saveCopy : {true, false}) {
        Simulator->ClearRequests();
        EXPECT_TRUE(Provider->SendMail(Letter(saveCopy)));
        std::vector<SimRequest> requests = Simulator->Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].Path, "/" + Mailbox() + "/showcm.femail");
        EXPECT_EQ(requests[1].Method, "POST");
        EXPECT_EQ(requests[1].Path, "/" + Mailbox() + "/gmm_multiplex.femail");
        std::string composeId = requests[1].BodyFields().Value("compid");
        EXPECT_EQ(composeId.rfind("c", 0), 0u);
        EXPECT_EQ(requests[1].Body, "actions=&compid=" + composeId + "&%2Fcmdo.femail=send&" +
                                        (saveCopy ? "copy=ON&" : "") +
                                        "to=bo%40example.org%3B%20Cy%20%3Ccy%40example.org%3E&subject=Plans%20%26%20"
                                        "ideas%20%3D%20100%25&cc=dee%40example.org&bcc=eve%40example.org&"
                                        "ORIG_DRAFT_DOCID=&body=Hello%20Bo%2C%0D%0Asee%20you");
    }
    SimAccount ann = Ann();
    const auto &sent = ann.Mailbox.FolderWithRole(FolderRole::Sent)->Mails;
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Subject, "Plans & ideas = 100%");
    EXPECT_EQ(sent[0].Body, "Hello Bo,\r\nsee you");

    CMailMessage noRecipient = Letter(false);
    noRecipient.To.clear();
    EXPECT_FALSE(Provider->SendMail(noRecipient));
}

TEST_F(MailCityTest, TheAddressBookReadsNamesAndTheAddressesEightLinesOn)
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

    // The "mail to" button ends the book; an address without "</a>" runs to
    // the line end, without it.
    Simulator->Replace(kMailHost, "/" + Mailbox() + "/ab.femail", [](const SimRequest &) {
        const std::string name = "<a onMouseOut=\"status=''\">Dee</a>\n";
        const std::string filler = "x\nx\nx\nx\nx\nx\nx\n";
        return SimResponse::Html(name + filler + "<td><a onMouseOut=\"status=''\">dee@x\n" + name + filler +
                                 "<a onMouseOut=\"status=''\">e@x</a><td><input value=\"mail to\"></td>\n" + name +
                                 filler + "<a onMouseOut=\"status=''\">late@x</a>\n");
    });
    Provider->GetAddressBook(book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].Address, "dee@x");
    EXPECT_EQ(book[1].Address, "e@x");
}

TEST_F(MailCityTest, AddingAnAddressPostsTheNewAddressFormWithEncodedValues)
{
    LogIn();
    Provider->AddAddress("Bo & Co", "bo=1@example.org");
    std::vector<SimRequest> requests = Simulator->RequestsTo(kMailHost, "/" + Mailbox() + "/gmm_multiplex.femail");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "POST");
    EXPECT_EQ(requests[0].Body, "/ab_newadd.femail=save new address&name=Bo%20%26%20Co&nick=Bo%20%26%20Co&email=bo%"
                                "3D1%40example.org&abentry=ann:zzz:/:L:5");
    std::vector<websim::SimContact> contacts = Ann().Mailbox.Contacts;
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].Alias, "Bo & Co");
    EXPECT_EQ(contacts[0].Address, "bo=1@example.org");
}

TEST_F(MailCityTest, ConcurrentOperationsOnOneObjectSeeWholeValues)
{
    std::vector<SimMail> inbox;
    for (int i = 0; i < 25; ++i)
        inbox.push_back(SampleMail("In " + std::to_string(i), kMarch5 + i));
    AddMails(FolderRole::Inbox, inbox);
    AddMailsToFolder("Work", {SampleMail("Work 1"), SampleMail("Work 2", kMarch5 + 1)});
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));

    constexpr int kRounds = 3;
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            CSummaryArray list;
            failures[0] += !Provider->GetMailSummary(list, -1) || list.size() != 25;
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            CSummaryArray list;
            failures[1] += !Provider->GetMailSummary(list, 3) || list.size() != 2;
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            CStringArray names;
            failures[2] += !Provider->GetFolders(names) || names.size() != 4;
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            CAddressArray book;
            Provider->GetAddressBook(book);
            CMailMessage mail;
            mail.To = "bo@example.org";
            failures[3] += !Provider->SendMail(mail);
            CMailCity other;
            other.SetUserProfile("ann", "secret");
            failures[3] += !other.DoLogin();
        }
    });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures, (std::vector<int>{0, 0, 0, 0}));
}

} // namespace korvalin::test
