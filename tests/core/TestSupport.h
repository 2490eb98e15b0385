// Shared pieces of the engine tests: a temporary data root with every path
// of the program inside it, a fake provider whose answers the test sets, and
// an engine wired to the scripted fake port.
#pragma once

#include "Engine.h"
#include "FakeUiPort.h"
#include "MailProvider.h"

#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvalin::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
// The bytes of a string literal, NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

// One mail of a fake mailbox: what the summary lists, and what GetMail
// reports (a mail whose headers have no From fails to be fetched).
struct FakeMail {
    SummaryEntry summary;
    std::string body;
    CMailMessage headers;
};

// A mail with MessageId id, Locator "loc-<id>" and the body "<p>Body <id></p>",
// a zero byte and "end".
FakeMail MakeMail(const std::string& id, bool isNew = true, const std::string& date = "1/1/99");

// What every FakeProvider object of one provider shares with the test.
struct FakeProviderScript {
    std::mutex mutex;
    std::condition_variable released;
    bool blockLogin = false;  // DoLogin waits until Release()
    bool blockAddressBook = false;  // GetAddressBook waits until Release()
    int addressBookCalls = 0;
    std::string acceptedPassword = "secret";
    std::vector<std::pair<std::string, std::string>> profiles;  // SetUserProfile calls
    int loginCalls = 0;
    CStringArray folders{"Sent", "Trash"};
    CAddressArray book{{true, "Ann", "ann@example.org"}};

    // The mailbox, by folder index (-1 the inbox).
    std::map<int, std::vector<FakeMail>> mailbox;
    bool summaryResult = true;
    bool blockSummary = false;  // GetMailSummary waits until Release()
    int summaryCalls = 0;
    std::vector<int> summaryFolders;     // the folder index of each GetMailSummary
    std::vector<std::string> fetched;    // GetMail locators
    std::vector<std::string> deleted;    // DeleteMail locators
    std::vector<CMailMessage> sent;      // SendMail messages
    bool sendResult = true;
    bool blockSend = false;  // SendMail waits until Release()

    void Release();
    void AddMail(int folder, FakeMail mail);
    // Copies of the counters, read under the lock.
    int SummaryCalls();
    std::vector<std::string> Fetched();
    std::vector<std::string> Deleted();
};

class FakeProvider : public CMailProvider {
public:
    FakeProvider(std::string name, std::shared_ptr<FakeProviderScript> script);
    void SetUserProfile(std::string user, std::string password) override;
    bool DoLogin() override;
    void GetAddressBook(CAddressArray& book) override;
    bool GetMail(std::string locator, std::string& body, CMailMessage& message) override;
    bool SendMail(CMailMessage message) override;
    bool DeleteMail(std::string locator) override;
    bool GetFolders(CStringArray& names) override;
    bool GetMailSummary(CSummaryArray& list, int folder) override;
    int GetVersion() override { return 7; }

private:
    std::shared_ptr<FakeProviderScript> script_;
    std::string password_;
};

// Paths of the program, all inside root.
PlatformPaths PathsUnder(const std::filesystem::path& root);

// The folder holding testgate.so and notaplugin.so.
std::filesystem::path TestPluginFolder();

class TestBed {
public:
    TestBed();
    ~TestBed();

    // A provider made of FakeProvider objects, appended to the provider list.
    ProviderEntry& AddFakeProvider(const std::string& name, bool hidden = false);
    std::shared_ptr<FakeProviderScript> Script(const std::string& name) { return scripts_.at(name); }

    // A fresh engine over the same files, as when the program starts again.
    void Restart();
    // Copies the named test plug-ins into a folder of their own and returns it.
    std::filesystem::path PluginFolder(const std::vector<std::string>& files);

    TempDir dir;
    PlatformPaths paths;
    FakeUiPort ui;
    std::unique_ptr<Engine> engine;
    std::vector<std::tm> times;  // local times handed to the log, one per line, then the last again
    CoreHooks* hooks = nullptr;  // used by the next Restart()
    PasswordKeyring* keyring = nullptr;  // used by the next Restart()

    // The engine's clock (offline times): set by the test.
    void AdvanceClock(std::chrono::milliseconds step);
    OnlineState::Clock::time_point Now();

private:
    std::filesystem::path previousDirectory_;
    std::mutex clockMutex_;
    OnlineState::Clock::time_point now_ = OnlineState::Clock::now();
    std::map<std::string, std::shared_ptr<FakeProviderScript>> scripts_;
};

}  // namespace korvalin::test
