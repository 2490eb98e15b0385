#include "MailTestBed.h"

#include "MailCache.h"

#include <chrono>
#include <thread>

namespace korvalin::test {

MailTest::MailTest()
{
    bed.hooks = &hooks;
    bed.Restart();
    bed.engine->Log().SetLevel(loglevel::kEverything);
    provider = &bed.AddFakeProvider("Mail");
    script = bed.Script("Mail");
    joe = AddLoggedIn("joe");
}

MailTest::~MailTest()
{
    script->Release();
    bed.engine.reset();
}

std::shared_ptr<CAccount> MailTest::AddLoggedIn(const std::string& login, ProviderEntry* owner)
{
    auto account = bed.engine->Accounts().AddAccount(owner != nullptr ? *owner : *provider, login,
                                                     std::string("secret"), true, 1);
    account->Update([](AccountState& state) {
        state.loggedIn = true;
        state.soundPath = "/sounds/new.wav";
    });
    return account;
}

std::shared_ptr<FolderSummary> MailTest::OpenAndSettle(MailFolder& folder)
{
    auto summary = bed.engine->Mail().OpenFolder(folder);
    Settle();
    return summary;
}

void MailTest::Settle()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        bool threadsEnded = bed.engine->Checks().WaitForThreads(std::chrono::seconds(20));
        while (bed.engine->Requests().Outstanding() != 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (threadsEnded && bed.engine->Checks().WaitForThreads(std::chrono::milliseconds(0)) &&
            bed.engine->Requests().Outstanding() == 0)
            return;
    }
    ADD_FAILURE() << "the checks and requests did not end";
}

std::vector<std::string> MailTest::Ids(const FolderSummary& summary)
{
    std::vector<std::string> ids;
    std::vector<SummaryRow> rows = summary.Rows();
    for (size_t i = 1; i < rows.size(); ++i)
        ids.push_back(rows[i].messageId);
    return ids;
}

std::vector<std::string> MailTest::LogMessages()
{
    std::vector<std::string> messages;
    for (const LogEntry& entry : bed.engine->Log().TakePending())
        messages.push_back(entry.message);
    return messages;
}

std::filesystem::path MailTest::CacheFile(const CAccount& account, const std::string& reference)
{
    return CachedMailFile(account.Folder(), reference).value_or(std::filesystem::path());
}

}  // namespace korvalin::test
