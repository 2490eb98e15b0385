// A scripted stand-in for the person: answers questions and dialogs from
// queues the test fills, and records every call with its text. Safe to call
// from several threads (logins ask from their worker thread).
#pragma once

#include "LoginProgressBox.h"
#include "UiPort.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvalin::test {

// What FatalError throws in tests, so the test can see the process would end.
struct FatalErrorRaised : std::runtime_error {
    explicit FatalErrorRaised(const std::string& text) : std::runtime_error(text) {}
};

class FakeUiPort : public UiPort {
public:
    using LoginAnswer = std::function<bool(LoginForm&)>;
    using ProgressDriver = std::function<void(LoginProgressBox&)>;

    // Forgets every script and record.
    void Reset();

    // Scripts. An empty queue answers with the default button, or cancels.
    void QueueReply(MessageAnswer answer, bool checkBox = false);
    void QueueLogin(const std::string& login, const std::string& password);
    void QueueLoginCancel();
    void QueueNewAccount(std::optional<NewAccountForm> form);
    void QueuePopSettings(std::optional<PopSettings> settings);
    SetupWizardChoices wizardChoices;
    std::optional<std::string> saveFileName;
    bool openUrlSucceeds = true;
    // How the "Logging in..." box runs; by default it polls until the login ends.
    ProgressDriver driveLoginProgress;

    // Drivers for the login box.
    static void WaitForWorker(LoginProgressBox& box);
    static void PressCancel(LoginProgressBox& box);

    // Records.
    std::vector<MessageBoxRequest> Messages() const;
    std::vector<std::string> MessageTexts() const;
    std::vector<std::string> StatusTexts(int pane) const;
    std::vector<TreeChange> TreeChanges() const;
    std::vector<LoginForm> LoginBoxesShown() const;
    std::vector<ComposeRequest> ComposeRequests() const;
    std::vector<std::string> Calls() const;  // every other call, as text
    size_t CountCalls(const std::string& call) const;
    std::vector<std::string> firstCancelTexts;
    std::vector<std::string> openedUrls;
    // "Inbox (2)" for a folder's label, "joe (2)" for an account's: the last of each.
    std::map<std::string, std::string> LastLabels() const;
    std::vector<MailWindowRequest> MailWindows() const;
    std::vector<UnsentMail> UnsentMails() const;
    size_t SummaryChanges() const;

    MessageBoxReply ShowMessage(const MessageBoxRequest& request) override;
    [[noreturn]] void FatalError(const std::string& text) override;
    void SetStatusText(int pane, const std::string& text) override;
    bool AskLogin(LoginForm& form) override;
    bool AskNewAccount(NewAccountForm& form) override;
    bool AskPopSettings(PopSettings& settings) override;
    SetupWizardChoices RunSetupWizard() override;
    void OpenOptionsSheet() override { Record("OpenOptionsSheet"); }
    std::optional<std::string> AskSaveFileName() override;
    void RunLoginProgress(LoginProgressBox& box) override;
    bool OpenUrl(const std::string& url) override;
    void TreeChanged(const TreeChange& change) override;
    void OpenFolderWindow(MailFolder& folder) override;
    void CloseFolderWindow(MailFolder& folder) override;
    void OpenComposeWindow(const ComposeRequest& request) override;
    void ShowHomePage(const std::string& url) override { Record("ShowHomePage " + url); }
    void ShowHomeWindow() override { Record("ShowHomeWindow"); }
    void ShowMainWindow(bool visible) override { Record(visible ? "ShowMainWindow" : "HideMainWindow"); }
    void ShowDebugWindow(bool visible) override { Record(visible ? "ShowDebugWindow" : "HideDebugWindow"); }
    void CreateTrayIcon() override { Record("CreateTrayIcon"); }
    void StartCheckTimer(int minutes) override { Record("StartCheckTimer " + std::to_string(minutes)); }
    void SetWaitCursor(bool waiting) override { Record(waiting ? "WaitCursor" : "ArrowCursor"); }
    void StopBusyAnimation() override { Record("StopBusyAnimation"); }
    void StartBusyAnimation() override { Record("StartBusyAnimation"); }
    void SummaryChanged(const std::shared_ptr<FolderSummary>& summary) override;
    void TreeLabelChanged(const std::shared_ptr<CAccount>& account, const std::shared_ptr<MailFolder>& folder,
                          const std::string& label) override;
    void OpenMailWindow(const MailWindowRequest& request) override;
    void SelectMail(const std::shared_ptr<FolderSummary>&, const std::string& id) override { Record("SelectMail " + id); }
    void NewMailListChanged() override
    {
        if (onNewMailListChanged)
            onNewMailListChanged();
    }
    // Runs at each NewMailListChanged (set it while no other thread calls the port).
    std::function<void()> onNewMailListChanged;
    void StartTrayAnimation() override { Record("StartTrayAnimation"); }
    void StopTrayAnimation() override { Record("StopTrayAnimation"); }
    void PlaySound(const std::string& file) override { Record("PlaySound " + file); }
    void ReturnUnsentMail(const UnsentMail& mail) override;

private:
    void Record(const std::string& call);

    mutable std::mutex mutex_;
    std::deque<MessageBoxReply> replies_;
    std::deque<LoginAnswer> logins_;
    std::deque<std::optional<NewAccountForm>> newAccounts_;
    std::deque<std::optional<PopSettings>> popSettings_;
    std::vector<MessageBoxRequest> messages_;
    std::map<int, std::vector<std::string>> status_;
    std::vector<TreeChange> tree_;
    std::vector<LoginForm> loginBoxes_;
    std::vector<ComposeRequest> composes_;
    std::vector<std::string> calls_;
    std::map<std::string, std::string> labels_;
    std::vector<MailWindowRequest> mailWindows_;
    std::vector<UnsentMail> unsent_;
    size_t summaryChanges_ = 0;
};

}  // namespace korvalin::test
