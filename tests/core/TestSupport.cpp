#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#ifndef KORVALIN_TEST_PLUGIN_DIR
#error "KORVALIN_TEST_PLUGIN_DIR must name the folder of the test plug-ins"
#endif

namespace korvalin::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvalin-core-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

FakeMail MakeMail(const std::string& id, bool isNew, const std::string& date)
{
    FakeMail mail;
    mail.summary.From = "Ann <ann@example.org>";
    mail.summary.Subject = "Subject " + id;
    mail.summary.Date = date;
    mail.summary.Size = "2k";
    mail.summary.Locator = "loc-" + id;
    mail.summary.MessageId = id;
    mail.summary.New = isNew;
    mail.body = "<p>Body " + id + "</p>" + std::string(1, '\0') + "end";
    mail.headers.From = "ann@example.org";
    mail.headers.To = "joe@example.org";
    mail.headers.CC = "cc@example.org";
    mail.headers.Subject = "Subject " + id;
    return mail;
}

void FakeProviderScript::Release()
{
    {
        std::lock_guard lock(mutex);
        blockLogin = false;
        blockAddressBook = false;
        blockSummary = false;
        blockSend = false;
    }
    released.notify_all();
}

void FakeProviderScript::AddMail(int folder, FakeMail mail)
{
    std::lock_guard lock(mutex);
    mailbox[folder].push_back(std::move(mail));
}

int FakeProviderScript::SummaryCalls()
{
    std::lock_guard lock(mutex);
    return summaryCalls;
}

std::vector<std::string> FakeProviderScript::Fetched()
{
    std::lock_guard lock(mutex);
    return fetched;
}

std::vector<std::string> FakeProviderScript::Deleted()
{
    std::lock_guard lock(mutex);
    return deleted;
}

FakeProvider::FakeProvider(std::string name, std::shared_ptr<FakeProviderScript> script) : script_(std::move(script))
{
    Name = std::move(name);
    SignUpUrl = "http://signup.example/" + Name;
}

void FakeProvider::SetUserProfile(std::string user, std::string password)
{
    std::lock_guard lock(script_->mutex);
    script_->profiles.emplace_back(user, password);
    password_ = password;
}

bool FakeProvider::DoLogin()
{
    std::unique_lock lock(script_->mutex);
    ++script_->loginCalls;
    script_->released.wait(lock, [this] { return !script_->blockLogin; });
    return password_ == script_->acceptedPassword;
}

void FakeProvider::GetAddressBook(CAddressArray& book)
{
    std::unique_lock lock(script_->mutex);
    ++script_->addressBookCalls;
    script_->released.wait(lock, [this] { return !script_->blockAddressBook; });
    book = script_->book;
}

bool FakeProvider::GetMail(std::string locator, std::string& body, CMailMessage& message)
{
    std::lock_guard lock(script_->mutex);
    script_->fetched.push_back(locator);
    for (const auto& [folder, mails] : script_->mailbox) {
        for (const FakeMail& mail : mails) {
            if (mail.summary.Locator != locator)
                continue;
            body += mail.body;
            message.From = mail.headers.From;
            message.To = mail.headers.To;
            message.CC = mail.headers.CC;
            message.Subject = mail.headers.Subject;
            return !mail.headers.From.empty();
        }
    }
    return false;
}

bool FakeProvider::SendMail(CMailMessage message)
{
    std::unique_lock lock(script_->mutex);
    script_->released.wait(lock, [this] { return !script_->blockSend; });
    script_->sent.push_back(message);
    return script_->sendResult;
}

bool FakeProvider::DeleteMail(std::string locator)
{
    std::lock_guard lock(script_->mutex);
    script_->deleted.push_back(locator);
    for (auto& [folder, mails] : script_->mailbox) {
        for (auto it = mails.begin(); it != mails.end(); ++it) {
            if (it->summary.Locator == locator) {
                mails.erase(it);
                return true;
            }
        }
    }
    return false;
}

bool FakeProvider::GetMailSummary(CSummaryArray& list, int folder)
{
    std::unique_lock lock(script_->mutex);
    ++script_->summaryCalls;
    script_->summaryFolders.push_back(folder);
    script_->released.wait(lock, [this] { return !script_->blockSummary; });
    for (const FakeMail& mail : script_->mailbox[folder])
        list.push_back(mail.summary);
    return script_->summaryResult;
}

bool FakeProvider::GetFolders(CStringArray& names)
{
    std::lock_guard lock(script_->mutex);
    names = script_->folders;
    return true;
}

PlatformPaths PathsUnder(const std::filesystem::path& root)
{
    PlatformPaths paths;
    paths.dataRoot = root / "data";
    paths.storeFile = root / "config" / "registry";
    paths.autostartFile = root / "config" / "autostart" / "korvalin.desktop";
    paths.applicationsDir = root / "share" / "applications";
    paths.mimeappsList = root / "config" / "mimeapps.list";
    paths.executableDir = root / "bin";
    paths.executable = root / "bin" / "korvalin";
    return paths;
}

std::filesystem::path TestPluginFolder()
{
    return KORVALIN_TEST_PLUGIN_DIR;
}

TestBed::TestBed() : paths(PathsUnder(dir.Path())), previousDirectory_(std::filesystem::current_path())
{
    std::filesystem::create_directories(paths.dataRoot / "Accounts");
    // The program is already the mail-link handler, so loading asks nothing.
    WriteFile(paths.mimeappsList, "[Default Applications]\nx-scheme-handler/mailto=korvalin.desktop\n");
    Restart();
}

TestBed::~TestBed()
{
    engine.reset();
    std::filesystem::current_path(previousDirectory_);
}

void TestBed::Restart()
{
    engine.reset();
    scripts_.clear();
    EngineOptions options;
    options.hooks = hooks;
    options.keyring = keyring;
    options.clock = [this] { return Now(); };
    options.localTime = [this] {
        std::tm time{};
        if (!times.empty()) {
            time = times.front();
            if (times.size() > 1)
                times.erase(times.begin());
        }
        return time;
    };
    engine = std::make_unique<Engine>(paths, ui, options);
}

void TestBed::AdvanceClock(std::chrono::milliseconds step)
{
    std::lock_guard lock(clockMutex_);
    now_ += step;
}

OnlineState::Clock::time_point TestBed::Now()
{
    std::lock_guard lock(clockMutex_);
    return now_;
}

ProviderEntry& TestBed::AddFakeProvider(const std::string& name, bool hidden)
{
    auto script = std::make_shared<FakeProviderScript>();
    scripts_[name] = script;
    auto library = MakeFactoryLibrary(name + ".so", [name, script] { return new FakeProvider(name, script); });
    return engine->Providers().AddProvider(name, library, hidden);
}

std::filesystem::path TestBed::PluginFolder(const std::vector<std::string>& files)
{
    std::filesystem::path folder = dir.Path() / "plugins";
    std::filesystem::create_directories(folder);
    for (const std::string& file : files)
        std::filesystem::copy_file(TestPluginFolder() / file, folder / file,
                                   std::filesystem::copy_options::overwrite_existing);
    return folder;
}

}  // namespace korvalin::test
