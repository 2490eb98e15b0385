// Several operations on one provider object at once, as the program's
// folder threads and the user's commands run them.
#include "NetAddressFixture.h"

#include <thread>

namespace korvalin::test {

TEST_F(NetAddressTest, ConcurrentOperationsOnOneObjectSeeWholeValues)
{
    std::vector<SimMail> inbox;
    for (int i = 0; i < 5; ++i)
        inbox.push_back(SampleMail("In " + std::to_string(i), kMarch15 + i));
    AddMails(FolderRole::Inbox, inbox);
    AddMailsToFolder("Work", {SampleMail("Work 1"), SampleMail("Work 2", kMarch15 + 1)});
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));

    constexpr int kRounds = 4;
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
            CSummaryArray list;
            failures[0] += !Provider->GetMailSummary(list, -1) || list.size() != 5;
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
            CMailMessage mail;
            mail.To = "bo@example.org";
            mail.Subject = "Round " + std::to_string(i);
            failures[3] += !Provider->SendMail(mail) || !Provider->DoLogin();
        }
    });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(Provider->ListedMailCount(), static_cast<uint32_t>(kRounds * 7));
}

} // namespace korvalin::test
