// The demo every service is registered with, the Hotmail model's own rules,
// and the korvalin-websim program.
#include "DemoData.h"
#include "HotmailModel.h"
#include "WebSimulator.h"

#include "WebRequest.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

using namespace korvalin::websim;

TEST(Demo, TheHotmailDemoAccountHoldsBelievableMailAndGetsMore)
{
    const std::time_t now = 1700000000;
    auto model = std::dynamic_pointer_cast<HotmailModel>(MakeDemoService("hotmail", now));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(MakeDemoService("no such service", now), nullptr);

    SimAccount demo = model->Snapshot(kDemoUser);
    EXPECT_EQ(demo.Password, kDemoPassword);
    SimFolder* inbox = demo.Mailbox.FolderWithRole(FolderRole::Inbox);
    ASSERT_NE(inbox, nullptr);
    EXPECT_EQ(inbox->Mails.size(), 12u);
    EXPECT_GT(inbox->UnreadCount(), 0u);
    EXPECT_LT(inbox->UnreadCount(), 12u);
    ASSERT_NE(demo.Mailbox.FolderWithName("Work"), nullptr);
    EXPECT_FALSE(demo.Mailbox.FolderWithName("Work")->Mails.empty());
    EXPECT_FALSE(demo.Mailbox.FolderWithName("Family")->Mails.empty());
    EXPECT_FALSE(demo.Mailbox.FolderWithRole(FolderRole::Sent)->Mails.empty());
    EXPECT_GE(demo.Mailbox.Contacts.size(), 5u);
    for (const SimMail& mail : inbox->Mails)
        EXPECT_LE(mail.Date, now);

    model->DeliverArrivingMail(now + 60);
    model->DeliverArrivingMail(now + 120);
    SimAccount later = model->Snapshot(kDemoUser);
    const auto& mails = later.Mailbox.FolderWithRole(FolderRole::Inbox)->Mails;
    ASSERT_EQ(mails.size(), 14u);
    EXPECT_FALSE(mails.back().Read);
    EXPECT_NE(mails[12].Subject, mails[13].Subject);
}

TEST(Demo, MovingOutOfTheTrashIntoTheTrashDeletesForGood)
{
    auto model = std::make_shared<HotmailModel>();
    model->AddAccount("ann", "pw");
    std::string id;
    model->Edit("ann", [&](SimAccount& account) {
        SimMail mail;
        mail.Subject = "bin me";
        id = HotmailModel::MessageId(account.Mailbox.Add(*account.Mailbox.FolderWithRole(FolderRole::Trash), mail));
    });
    WebSimulator simulator;
    simulator.Add(model);
    std::string web = "http://" + simulator.PrefixedHost("web.hotmail.sim");

    CWebRequest login;
    std::string page;
    ASSERT_TRUE(login.PostForm("http://" + simulator.PrefixedHost("login.hotmail.sim") + "/cgi-bin/start",
                               "login=ann&passwd=pw", page));
    size_t disk = page.find("disk=");
    std::string session = page.substr(disk, page.find("&\"", disk) - disk);
    CWebRequest move;
    ASSERT_TRUE(move.GetPage(web + "/cgi-bin/HoTMaiL?" + session + "&login=ann&" + id + "=on&tobox=trAsH", page));
    EXPECT_TRUE(model->Snapshot("ann").Mailbox.FolderWithRole(FolderRole::Trash)->Mails.empty());
}

TEST(Demo, TheProgramPrintsItsPortFirstAndServesUntilStopped)
{
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::execl(KORVALIN_WEBSIM_PATH, "korvalin-websim", "--port", "0", "--new-mail-every", "0",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);
    FILE* lines = ::fdopen(output[0], "r");
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, lines), nullptr);
    const int port = std::atoi(line);
    EXPECT_GT(port, 0);
    EXPECT_EQ(std::string(line), std::to_string(port) + "\n");
    std::map<std::string, std::string> hosts;
    std::vector<std::string> accounts;
    std::string second;
    while (std::fgets(line, sizeof line, lines) != nullptr && line[0] != '#') {
        std::string text(line, std::strlen(line) - 1);
        if (second.empty())
            second = text;
        else if (text.rfind("HOST ", 0) == 0)
            hosts[text.substr(5, text.find('=') - 5)] = text.substr(text.find('=') + 1);
        else if (text.rfind("ACCOUNT ", 0) == 0)
            accounts.push_back(text.substr(8));
    }
    EXPECT_EQ(second, "HTTP " + std::to_string(port));
    EXPECT_EQ(hosts["hotmail.web"], "127.0.0.1:" + std::to_string(port) + "/web.hotmail.sim");
    EXPECT_EQ(hosts["hotmail.login"], "127.0.0.1:" + std::to_string(port) + "/login.hotmail.sim");
    EXPECT_NE(std::find(accounts.begin(), accounts.end(), "HotMail demo demo"), accounts.end());

    CWebRequest request;
    std::string page;
    EXPECT_TRUE(request.GetPage("http://" + hosts["hotmail.web"] + "/", page));
    EXPECT_NE(page.find("passwordform"), std::string::npos);

    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::fclose(lines);
}
