// Several operations on one provider object at once, as the program's
// folder threads and the user's commands run them.
#include "HotmailFixture.h"

#include <thread>

namespace korvalin::test {

TEST_F(HotmailTest, ConcurrentOperationsOnOneObjectSeeWholeValues)
{
    Model->SetPageSize(3);
    std::vector<SimMail> inbox;
    for (int i = 0; i < 7; ++i)
        inbox.push_back(SampleMail("In " + std::to_string(i), kMarch5 + i));
    AddMails(FolderRole::Inbox, inbox);
    AddMailsToFolder("Work", {SampleMail("Work 1"), SampleMail("Work 2", kMarch5 + 1)});
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));

    constexpr int kRounds = 4;
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            CSummaryArray list;
            failures[0] += !Provider->GetMailSummary(list, -1) || list.size() != 7;
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
            mail.Subject = "Round " + std::to_string(i);
            failures[3] += !Provider->SendMail(mail);
        }
    });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, (std::vector<int>{0, 0, 0, 0}));

    // Every request carried whole session values.
    CHotmail::SessionValues session = Provider->Session();
    for (const SimRequest& request : Simulator->RequestsTo(kWeb, "/cgi-bin/premail")) {
        websim::FormFields fields = request.BodyFields();
        EXPECT_TRUE(fields.Value("disk").empty() || fields.Value("disk") == session.Disk);
        EXPECT_TRUE(fields.Value("f").empty() || fields.Value("f") == session.FormF);
    }
}

} // namespace korvalin::test
