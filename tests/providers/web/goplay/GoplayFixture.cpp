#include "GoplayFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace korvalin::test {
namespace {

// Makes a scratch directory the current directory for the whole run, so that
// hosts.conf never lands among the build's files, and removes it at the end.
class ScratchDirectory : public ::testing::Environment {
public:
    void SetUp() override
    {
        Previous = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "korvalin-goplay-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        Path = pattern;
        std::filesystem::current_path(Path);
        ::unsetenv("no_proxy");
        ::unsetenv("NO_PROXY");
        ::unsetenv("all_proxy");
        ::setenv("KORVALIN_CONNECT_TIMEOUT", "10", 1);
        ::setenv("KORVALIN_IDLE_TIMEOUT", "10", 1);
    }
    void TearDown() override
    {
        std::filesystem::current_path(Previous);
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }

private:
    std::filesystem::path Previous;
    std::filesystem::path Path;
};

[[maybe_unused]] ::testing::Environment *const kScratch = ::testing::AddGlobalTestEnvironment(new ScratchDirectory);

} // namespace

void WriteHostsConf(const std::string &text)
{
    std::ofstream("hosts.conf", std::ios::trunc) << text;
}

SimMail SampleMail(const std::string &subject, std::time_t date, bool read)
{
    SimMail mail;
    mail.FromName = "Ann Smith";
    mail.FromAddress = "ann@example.org";
    mail.To = "ann@goplay.sim";
    mail.Subject = subject;
    mail.Body = "Body of " + subject + "\n";
    mail.Date = date;
    mail.Read = read;
    return mail;
}

void GoplayTest::SetUp()
{
    Simulator = std::make_unique<websim::WebSimulator>();
    Model = std::make_shared<GoplayModel>();
    Model->AddAccount("ann", "secret");
    Simulator->Add(Model);
    WriteHostsConf(Simulator->HostsConf(false));
    ::setenv("http_proxy", Simulator->ProxyUrl().c_str(), 1);
    Provider = std::make_unique<CGoplay>();
    Provider->SetUserProfile("ann", "secret");
}

void GoplayTest::AddMails(FolderRole role, std::vector<SimMail> mails)
{
    Model->Edit("ann", [&](SimAccount &account) {
        for (SimMail &mail : mails)
            account.Mailbox.Add(*account.Mailbox.FolderWithRole(role), std::move(mail));
    });
}

void GoplayTest::LogIn()
{
    ASSERT_TRUE(Provider->DoLogin());
}

void GoplayTest::Open()
{
    LogIn();
    CStringArray folders;
    ASSERT_TRUE(Provider->GetFolders(folders));
}

std::string GoplayTest::CookieLine() const
{
    return "Cookie: " + std::string(GoplayModel::kCookieName) + "=" + Model->LatestLogin("ann").Cookie;
}

CSummaryArray GoplayTest::Inbox()
{
    CSummaryArray list;
    EXPECT_TRUE(Provider->GetMailSummary(list, -1));
    return list;
}

} // namespace korvalin::test
