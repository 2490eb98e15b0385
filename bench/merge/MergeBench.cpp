// MergeFreshSummary of N fresh entries into a folder that lists N mails
// already, half of the fresh ones being mails it lists. Two starting points:
// mails listed by an earlier check (the fresh copies change nothing) and
// mails listed from the summary file as "(cached)" (the fresh copies
// confirm them). The fresh mails are not new, so no download is queued.
#include "Engine.h"
#include "SummaryFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace korvalin;

namespace {

class SilentPort : public UiPort {
public:
    MessageBoxReply ShowMessage(const MessageBoxRequest& request) override { return {request.defaultButton, false}; }
    [[noreturn]] void FatalError(const std::string& text) override
    {
        std::fprintf(stderr, "merge: %s\n", text.c_str());
        std::abort();
    }
    void SetStatusText(int, const std::string&) override {}
    bool AskLogin(LoginForm&) override { return false; }
    bool AskNewAccount(NewAccountForm&) override { return false; }
    bool AskPopSettings(PopSettings&) override { return false; }
    SetupWizardChoices RunSetupWizard() override { return {}; }
    void OpenOptionsSheet() override {}
    std::optional<std::string> AskSaveFileName() override { return std::nullopt; }
    void RunLoginProgress(LoginProgressBox&) override {}
    bool OpenUrl(const std::string&) override { return false; }
    void TreeChanged(const TreeChange&) override {}
    void OpenFolderWindow(MailFolder&) override {}
    void CloseFolderWindow(MailFolder&) override {}
    void OpenComposeWindow(const ComposeRequest&) override {}
    void ShowHomePage(const std::string&) override {}
    void ShowHomeWindow() override {}
    void ShowMainWindow(bool) override {}
    void ShowDebugWindow(bool) override {}
    void CreateTrayIcon() override {}
    void StartCheckTimer(int) override {}
    void SetWaitCursor(bool) override {}
    void StopBusyAnimation() override {}
};

class NullProvider : public CMailProvider {
public:
    void SetUserProfile(std::string, std::string) override {}
    bool DoLogin() override { return true; }
    bool GetMail(std::string, std::string&, CMailMessage&) override { return false; }
    bool SendMail(CMailMessage) override { return false; }
    bool DeleteMail(std::string) override { return false; }
    bool GetFolders(CStringArray&) override { return true; }
    bool GetMailSummary(CSummaryArray&, int) override { return true; }
    int GetVersion() override { return 1; }
};

std::string Text(const char* prefix, long number, const char* suffix)
{
    std::string text = prefix;
    text += std::to_string(number);
    text += suffix;
    return text;
}

SummaryEntry Mail(long number)
{
    SummaryEntry entry;
    entry.From = Text("Sender ", number % 97, " <sender@example.org>");
    entry.Subject = Text("Subject of mail number ", number, "");
    entry.Date = Text("1/", number % 28 + 1, "/99");
    entry.Size = Text("", number % 50 + 1, "k");
    entry.Locator = Text("/msg?id=", number, "");
    entry.MessageId = Text("<", number, "@mail.example.org>");
    return entry;
}

// Listed mails 0..n-1; fresh mails n/2..3n/2-1.
CSummaryArray Mails(long first, long count)
{
    CSummaryArray mails;
    mails.reserve(static_cast<size_t>(count));
    for (long i = first; i < first + count; ++i)
        mails.push_back(Mail(i));
    return mails;
}

class Bed {
public:
    Bed()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvalin-merge-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        root_ = pattern;
        PlatformPaths paths;
        paths.dataRoot = root_ / "data";
        paths.storeFile = root_ / "registry";
        paths.executableDir = root_;
        std::filesystem::create_directories(paths.dataRoot / "Accounts");
        engine_ = std::make_unique<Engine>(paths, port_);
        ProviderEntry& provider = engine_->Providers().AddProvider(
            "Mail", MakeFactoryLibrary("mail.so", [] { return new NullProvider; }), false);
        account_ = engine_->Accounts().AddAccount(provider, "joe", std::string("pw"), true, 1);
        account_->Update([](AccountState& state) { state.loggedIn = true; });
        engine_->Online().SetOnline(false);  // opening starts no check
    }
    ~Bed()
    {
        engine_.reset();
        std::error_code error;
        std::filesystem::remove_all(root_, error);
    }

    std::shared_ptr<FolderSummary> Open() { return engine_->Mail().OpenFolder(*account_->Inbox()); }
    void Close() { engine_->Mail().FolderWindowClosed(*account_->Inbox()); }
    // A summary file listing mails 0..n-1, each with a local copy.
    void WriteSummaryFile(long n)
    {
        std::vector<SummaryEntry> stored = Mails(0, n);
        for (size_t i = 0; i < stored.size(); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "KVX%zX.htm", i % 0xFFFF);
            stored[i].Cache = "./Accounts/joe.Mail/" + std::string(name);
            stored[i].Message.From = stored[i].From;
            stored[i].Message.Subject = stored[i].Subject;
        }
        std::ofstream(account_->Folder() / "Inbox.sum", std::ios::binary) << FormatSummaryFile(stored);
    }

private:
    std::filesystem::path root_;
    SilentPort port_;
    std::unique_ptr<Engine> engine_;
    std::shared_ptr<CAccount> account_;
};

void MergeIntoListedMails(benchmark::State& state)
{
    const long n = state.range(0);
    Bed bed;
    for (auto _ : state) {
        state.PauseTiming();
        std::shared_ptr<FolderSummary> summary = bed.Open();
        summary->MergeFreshSummary(Mails(0, n));
        CSummaryArray fresh = Mails(n / 2, n);
        state.ResumeTiming();

        summary->MergeFreshSummary(std::move(fresh));

        state.PauseTiming();
        if (summary->RowCount() != static_cast<size_t>(n + n / 2 + 1))
            state.SkipWithError("wrong number of rows");
        bed.Close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void MergeIntoStoredMails(benchmark::State& state)
{
    const long n = state.range(0);
    Bed bed;
    for (auto _ : state) {
        state.PauseTiming();
        bed.WriteSummaryFile(n);
        std::shared_ptr<FolderSummary> summary = bed.Open();
        CSummaryArray fresh = Mails(n / 2, n);
        state.ResumeTiming();

        summary->MergeFreshSummary(std::move(fresh));

        state.PauseTiming();
        if (summary->RowCount() != static_cast<size_t>(n + n / 2 + 1))
            state.SkipWithError("wrong number of rows");
        bed.Close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace

BENCHMARK(MergeIntoListedMails)->Arg(5000)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MergeIntoStoredMails)->Arg(5000)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
