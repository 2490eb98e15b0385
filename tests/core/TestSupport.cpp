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

void FakeProviderScript::Release()
{
    {
        std::lock_guard lock(mutex);
        blockLogin = false;
    }
    released.notify_all();
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
    std::lock_guard lock(script_->mutex);
    book = script_->book;
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
