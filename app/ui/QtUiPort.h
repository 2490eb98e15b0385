// The engine's port to the person, over Qt: every call runs on the UI
// thread. Calls that need an answer wait for it (the UI thread keeps its
// event loop running meanwhile); calls that only change what is shown are
// posted. Once the program is closing, calls from other threads that would
// wait return their "cancel" answer at once, so no thread can block the end.
#pragma once

#include "AccountDialogs.h"
#include "MessageBoxes.h"
#include "UiPort.h"
#include "UiThread.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>

class QWidget;

namespace korvalin::ui {

class MainFrame;

class QtUiPort : public QObject, public UiPort {
    Q_OBJECT
public:
    explicit QtUiPort(QObject* parent = nullptr);

    void SetFrame(MainFrame* frame);
    void SetMessagePresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }
    // Who picks the file "Save Log" writes to; by default a save-file dialog.
    void SetSaveFileAsker(std::function<std::optional<std::string>()> asker) { saveFileAsker_ = std::move(asker); }
    // What FatalError does after its message (tests); by default the process ends.
    void SetFatalHandler(std::function<void(const std::string&)> handler) { fatalHandler_ = std::move(handler); }
    // The program ends: calls from other threads get their cancel answer.
    void BeginShutdown()
    {
        closing_.store(true);
        calls_.Close();
    }
    UiCallGate& Calls() { return calls_; }
    // Called on the UI thread each time the busy animation stops (a check
    // pass, a login or a download ended).
    void SetBusyEndedListener(std::function<void()> listener) { busyEnded_ = std::move(listener); }
    bool Closing() const { return closing_.load(); }

    MessageBoxReply ShowMessage(const MessageBoxRequest& request) override;
    [[noreturn]] void FatalError(const std::string& text) override;
    void SetStatusText(int pane, const std::string& text) override;
    bool AskLogin(LoginForm& form) override;
    bool AskNewAccount(NewAccountForm& form) override;
    bool AskPopSettings(PopSettings& settings) override;
    SetupWizardChoices RunSetupWizard() override;
    void OpenOptionsSheet() override;
    std::optional<std::string> AskSaveFileName() override;
    void RunLoginProgress(LoginProgressBox& box) override;
    bool OpenUrl(const std::string& url) override;
    void TreeChanged(const TreeChange& change) override;
    void OpenFolderWindow(MailFolder& folder) override;
    void CloseFolderWindow(MailFolder& folder) override;
    void OpenComposeWindow(const ComposeRequest& request) override;
    void ShowHomePage(const std::string& url) override;
    void ShowHomeWindow() override;
    void ShowMainWindow(bool visible) override;
    void ShowDebugWindow(bool visible) override;
    void CreateTrayIcon() override;
    void StartCheckTimer(int minutes) override;
    void SetWaitCursor(bool waiting) override;
    void StopBusyAnimation() override;
    void StartBusyAnimation() override;
    void SummaryChanged(const std::shared_ptr<FolderSummary>& summary) override;
    void TreeLabelChanged(const std::shared_ptr<CAccount>& account, const std::shared_ptr<MailFolder>& folder,
                          const std::string& label) override;
    void OpenMailWindow(const MailWindowRequest& request) override;
    void SelectMail(const std::shared_ptr<FolderSummary>& summary, const std::string& messageId) override;
    void NewMailListChanged() override;
    void StartTrayAnimation() override;
    void StopTrayAnimation() override;
    void PlaySound(const std::string& file) override;
    void ReturnUnsentMail(const UnsentMail& mail) override;
    void KeepAliveUntil(const std::function<bool()>& done) override;

    // The window a dialog should sit over: the active modal window, else the
    // main frame while it is visible, else none.
    QWidget* DialogParent() const;

private:
    // True when a waiting call must not wait (closing, from another thread).
    bool MustNotWait() const;
    // The dialogs' way to tell the person something: this port's message boxes.
    korvalin::ui::Teller MessageTeller();

    QPointer<MainFrame> frame_;
    MessagePresenter presenter_;
    std::function<void(const std::string&)> fatalHandler_;
    std::function<std::optional<std::string>()> saveFileAsker_;
    std::function<void()> busyEnded_;
    std::atomic<bool> closing_{false};
    UiCallGate calls_;
    bool waitCursor_ = false;
};

}  // namespace korvalin::ui
