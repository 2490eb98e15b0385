// One provider object used from several threads at once, as the program's
// folder threads and request worker do.
#include "PopTestSupport.h"
#include "ScriptedPopServer.h"
#include "ScriptedSmtpServer.h"

#include <gtest/gtest.h>

#include <thread>

using korvalin::test::MakeProvider;
using korvalin::test::PopServerOptions;
using korvalin::test::ScriptedPopServer;
using korvalin::test::ScriptedSmtpServer;
using korvalin::test::SimplePopMail;

TEST(PopConcurrency, TwoSummariesAtOnceUseTwoSessionsOneAfterTheOther)
{
    PopServerOptions options;
    options.Pieces.ReplyDelayMillis = 5;  // long enough for the two calls to overlap
    ScriptedPopServer server(options);
    server.SetMails({SimplePopMail("a", "A"), SimplePopMail("b", "B"), SimplePopMail("c", "C")});
    auto provider = MakeProvider(server.Address());

    CSummaryArray first;
    CSummaryArray second;
    bool firstOk = false;
    bool secondOk = false;
    std::thread one([&] { firstOk = provider->GetMailSummary(first, -1); });
    std::thread two([&] { secondOk = provider->GetMailSummary(second, -1); });
    one.join();
    two.join();

    EXPECT_TRUE(firstOk);
    EXPECT_TRUE(secondOk);
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(second.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(first[i].Locator, second[i].Locator);

    std::vector<korvalin::test::PopSession> sessions = server.Sessions();
    ASSERT_EQ(sessions.size(), 2u);
    for (const auto& session : sessions) {
        EXPECT_TRUE(session.Quit);
        ASSERT_FALSE(session.Commands.empty());
        EXPECT_EQ(session.Commands.front(), "CAPA");
        EXPECT_EQ(session.Commands.back(), "QUIT");
    }
    // The second session said its first word only after the first one ended.
    const auto& early = sessions[0].FirstCommand < sessions[1].FirstCommand ? sessions[0] : sessions[1];
    const auto& late = &early == &sessions[0] ? sessions[1] : sessions[0];
    EXPECT_GT(late.FirstCommand, early.QuitAnswered);
}

TEST(PopConcurrency, ReadingDeletingAndSendingTogether)
{
    ScriptedPopServer pop;
    pop.SetMails({SimplePopMail("a", "A"), SimplePopMail("b", "B"), SimplePopMail("c", "C"), SimplePopMail("d", "D")});
    ScriptedSmtpServer smtp;
    auto provider = MakeProvider(pop.Address(), smtp.Address());

    std::vector<std::thread> threads;
    std::atomic<int> summaries{0};
    std::atomic<int> fetched{0};
    std::atomic<int> sent{0};
    for (int i = 0; i < 3; ++i) {
        threads.emplace_back([&] {
            CSummaryArray list;
            summaries += provider->GetMailSummary(list, -1) ? 1 : 0;
        });
        threads.emplace_back([&] {
            std::string body;
            CMailMessage message;
            fetched += provider->GetMail("<a>##1", body, message) ? 1 : 0;
        });
        threads.emplace_back([&, i] {
            CMailMessage message;
            message.To = "friend" + std::to_string(i) + "@x";
            message.Subject = "hello";
            message.Body = "hi";
            sent += provider->SendMail(message) ? 1 : 0;
        });
    }
    threads.emplace_back([&] { EXPECT_TRUE(provider->DeleteMail("<d>##4")); });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(summaries, 3);
    EXPECT_EQ(fetched, 3);
    EXPECT_EQ(sent, 3);
    EXPECT_EQ(smtp.Mails().size(), 3u);
    EXPECT_EQ(pop.Uidls(), (std::vector<std::string>{"uid-a", "uid-b", "uid-c"}));
    for (const auto& session : pop.Sessions())
        EXPECT_TRUE(session.Quit);
}
