// Shared pieces of the Qt program's tests: the offscreen QApplication, a
// temporary data folder, a fake provider, and the real main frame and port
// over a real engine, with the message boxes answered by a script.
#pragma once

#include "Engine.h"
#include "MailProvider.h"
#include "MainFrame.h"
#include "QtUiPort.h"

#include <gtest/gtest.h>

#include <QString>

#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvalin::ui::test {

// What every object of one fake provider answers.
// Set before a check runs; read by the check threads.
struct FakeScript {
    std::string acceptedPassword = "secret";
    CStringArray folders{"Sent", "Trash"};
    CSummaryArray summary;  // what GetMailSummary lists
    std::atomic<int> loginCalls{0};
    std::atomic<int> deleted{0};
    std::atomic<bool> acceptSend{true};
    // The mails handed to SendMail, in order (written by the request worker).
    std::vector<CMailMessage> Sent() const;
    void RecordSent(const CMailMessage& message);

private:
    mutable std::mutex sentMutex_;
    std::vector<CMailMessage> sent_;
};

class FakeProvider : public CMailProvider {
public:
    FakeProvider(std::string name, std::shared_ptr<FakeScript> script);
    void SetUserProfile(std::string user, std::string password) override;
    bool DoLogin() override;
    void GetAddressBook(CAddressArray&) override {}
    // The mail of a listed entry: its sender and subject, a one-line body.
    bool GetMail(std::string locator, std::string& body, CMailMessage& message) override;
    bool SendMail(CMailMessage message) override;
    bool DeleteMail(std::string) override;
    bool GetFolders(CStringArray& names) override;
    bool GetMailSummary(CSummaryArray& list, int folder) override;
    int GetVersion() override { return 1; }

private:
    std::shared_ptr<FakeScript> script_;
    std::string password_;
};

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Waits (serving the event loop) until done() holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// The main frame, its port and an engine over a temporary data folder.
class FrameTest : public ::testing::Test {
protected:
    FrameTest();
    ~FrameTest() override;

    ProviderEntry& AddProvider(const std::string& name);
    // An account with the password "secret" saved, checked with its inbox.
    std::shared_ptr<CAccount> AddAccount(ProviderEntry& provider, const std::string& login, uint16_t mask = 1);
    // A mail for the fake service to list.
    static SummaryEntry Mail(const std::string& id, const std::string& from, const std::string& subject,
                             const std::string& date = "", bool isNew = true);

    // Answers for the next message boxes, in order; then the default button.
    void Answer(MessageAnswer answer) { answers_.push_back(answer); }
    std::vector<std::string> MessageTexts() const;
    size_t CountMessages(const std::string& text) const;

    TempFolder folder;
    PlatformPaths paths;
    QtUiPort port;
    std::unique_ptr<MainFrame> frame;
    std::unique_ptr<Engine> engine;
    std::vector<MessageBoxRequest> messages;
    std::vector<ComposeRequest> composes;
    std::shared_ptr<FakeScript> script = std::make_shared<FakeScript>();

private:
    std::deque<MessageAnswer> answers_;
};

}  // namespace korvalin::ui::test
