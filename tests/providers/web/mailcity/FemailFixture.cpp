#include "FemailFixture.h"

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
        std::string pattern = (std::filesystem::temp_directory_path() / "korvalin-femail-XXXXXX").string();
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
    mail.To = "ann@example.net";
    mail.Subject = subject;
    mail.Body = "Body of " + subject + "\n";
    mail.Date = date;
    mail.Read = read;
    return mail;
}

void FemailTest::SetUp()
{
    Simulator = std::make_unique<websim::WebSimulator>();
    Model = MakeModel();
    Model->AddAccount("ann", "secret");
    Model->AddFolder("ann", "Work");
    Simulator->Add(Model);
    WriteHostsConf(Simulator->HostsConf(false));
    ::setenv("http_proxy", Simulator->ProxyUrl().c_str(), 1);
    Provider = MakeProvider();
    Provider->SetUserProfile("ann", "secret");
}

void FemailTest::AddMails(FolderRole role, std::vector<SimMail> mails)
{
    Model->Edit("ann", [&](SimAccount &account) {
        for (SimMail &mail : mails)
            account.Mailbox.Add(*account.Mailbox.FolderWithRole(role), std::move(mail));
    });
}

void FemailTest::AddMailsToFolder(const std::string &folderName, std::vector<SimMail> mails)
{
    Model->Edit("ann", [&](SimAccount &account) {
        for (SimMail &mail : mails)
            account.Mailbox.Add(*account.Mailbox.FolderWithName(folderName), std::move(mail));
    });
}

void FemailTest::LogIn()
{
    ASSERT_TRUE(Provider->DoLogin());
}

CSummaryArray FemailTest::Listing(int folder)
{
    CSummaryArray list;
    EXPECT_TRUE(Provider->GetMailSummary(list, folder));
    return list;
}

void FemailTest::AnswerLoginWith(const std::string &loginPath, const std::string &page)
{
    Simulator->ClearHooks();
    Simulator->Replace(MailHost(), loginPath, [page](const SimRequest &) { return SimResponse::Html(page); });
}

} // namespace korvalin::test
