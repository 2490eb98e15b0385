#include "QtUiPort.h"

#include "AccountDialogs.h"
#include "LoginProgressBox.h"
#include "LoginProgressDialog.h"
#include "MainFrame.h"
#include "SummaryView.h"
#include "SummaryWindow.h"
#include "UiThread.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace korvalin::ui {

QtUiPort::QtUiPort(QObject* parent) : QObject(parent), presenter_(RunMessageBox) {}

void QtUiPort::SetFrame(MainFrame* frame)
{
    frame_ = frame;
}

Teller QtUiPort::MessageTeller()
{
    return [this](const std::string& text) { korvalin::Tell(*this, text); };
}

bool QtUiPort::MustNotWait() const
{
    return closing_.load() && !OnUiThread();
}

QWidget* QtUiPort::DialogParent() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (frame_ != nullptr && frame_->isVisible())
        return frame_;
    return nullptr;
}

MessageBoxReply QtUiPort::ShowMessage(const MessageBoxRequest& request)
{
    MessageBoxReply cancel;
    cancel.answer = request.buttons == MessageButtons::YesNo ? MessageAnswer::No
                    : request.buttons == MessageButtons::Ok  ? MessageAnswer::Ok
                                                             : MessageAnswer::Cancel;
    if (MustNotWait())
        return cancel;
    return calls_.Run(this, [&] { return presenter_(DialogParent(), request); }, cancel);
}

void QtUiPort::FatalError(const std::string& text)
{
    std::fprintf(stderr, "korvalin: %s\n", text.c_str());
    if (!MustNotWait()) {
        calls_.Run(this, [&] {
            MessageBoxRequest request;
            request.text = text;
            request.icon = MessageIcon::Warning;
            presenter_(DialogParent(), request);
        });
    }
    if (fatalHandler_)
        fatalHandler_(text);
    // The process ends at once, saving nothing.
    std::_Exit(-1);
}

void QtUiPort::SetStatusText(int pane, const std::string& text)
{
    PostToUiThread(this, [this, pane, text = QString::fromStdString(text)] {
        if (frame_ != nullptr)
            frame_->SetStatusText(pane, text);
    });
}

bool QtUiPort::AskLogin(LoginForm& form)
{
    if (MustNotWait())
        return false;
    // The engine asks at a login from the login's own thread, and for
    // "&Properties" from the UI thread; the form does not say which.
    const LoginBoxMode mode = OnUiThread() ? LoginBoxMode::Properties : LoginBoxMode::Login;
    return calls_.Run(this, [&] { return RunLoginBox(DialogParent(), form, mode, MessageTeller()); });
}

bool QtUiPort::AskNewAccount(NewAccountForm& form)
{
    if (MustNotWait())
        return false;
    return calls_.Run(this, [&] { return RunNewAccountBox(DialogParent(), form); });
}

bool QtUiPort::AskPopSettings(PopSettings& settings)
{
    if (MustNotWait())
        return false;
    return calls_.Run(this, [&] { return RunPopSettingsBox(DialogParent(), settings, MessageTeller()); });
}

SetupWizardChoices QtUiPort::RunSetupWizard()
{
    if (MustNotWait())
        return SetupWizardChoices{};
    return calls_.Run(this, [this] { return frame_ != nullptr ? frame_->RunSetupWizard() : SetupWizardChoices{}; });
}

void QtUiPort::OpenOptionsSheet()
{
    if (MustNotWait())
        return;
    calls_.Run(this, [this] {
        if (frame_ != nullptr)
            frame_->OpenOptionsSheet();
    });
}

std::optional<std::string> QtUiPort::AskSaveFileName()
{
    if (MustNotWait())
        return std::nullopt;
    return calls_.Run(this, [this]() -> std::optional<std::string> {
        if (saveFileAsker_)
            return saveFileAsker_();
        const QString name = QFileDialog::getSaveFileName(DialogParent(), "Save Log");
        if (name.isEmpty())
            return std::nullopt;
        return name.toStdString();
    });
}

void QtUiPort::RunLoginProgress(LoginProgressBox& box)
{
    if (MustNotWait()) {
        box.OnCancel();
        return;
    }
    const bool shown = calls_.Run(this, [&] {
        LoginProgressDialog dialog(box, DialogParent());
        dialog.exec();
        return true;
    });
    if (!shown)
        box.OnCancel();
}

bool QtUiPort::OpenUrl(const std::string& url)
{
    if (MustNotWait())
        return false;
    return calls_.Run(this, [&] { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); });
}

void QtUiPort::TreeChanged(const TreeChange& change)
{
    if (MustNotWait())
        return;
    // Waits: the change names objects that may go away once it is applied.
    calls_.Run(this, [&] {
        if (frame_ != nullptr)
            frame_->ApplyTreeChange(change);
    });
}

void QtUiPort::OpenFolderWindow(MailFolder& folder)
{
    if (MustNotWait())
        return;
    calls_.Run(this, [&] {
        if (frame_ != nullptr)
            frame_->OpenFolderWindow(folder);
    });
}

void QtUiPort::CloseFolderWindow(MailFolder& folder)
{
    if (MustNotWait())
        return;
    calls_.Run(this, [&] {
        if (frame_ != nullptr)
            frame_->CloseFolderWindow(folder);
    });
}

void QtUiPort::OpenComposeWindow(const ComposeRequest& request)
{
    if (MustNotWait())
        return;
    calls_.Run(this, [&] {
        if (frame_ != nullptr)
            frame_->OpenComposeWindow(request);
    });
}

void QtUiPort::ShowHomePage(const std::string& url)
{
    PostToUiThread(this, [this, url = QString::fromStdString(url)] {
        if (frame_ != nullptr)
            frame_->ShowHomePage(QUrl(url));
    });
}

void QtUiPort::ShowHomeWindow()
{
    PostToUiThread(this, [this] {
        if (frame_ != nullptr)
            frame_->ShowHomeWindow();
    });
}

void QtUiPort::ShowMainWindow(bool visible)
{
    PostToUiThread(this, [this, visible] {
        if (frame_ != nullptr)
            frame_->ShowMainWindow(visible);
    });
}

void QtUiPort::ShowDebugWindow(bool visible)
{
    PostToUiThread(this, [this, visible] {
        if (frame_ != nullptr)
            frame_->ShowDebugWindow(visible);
    });
}

void QtUiPort::CreateTrayIcon()
{
    PostToUiThread(this, [this] {
        if (frame_ != nullptr)
            frame_->CreateTrayIcon();
    });
}

void QtUiPort::StartCheckTimer(int minutes)
{
    // For measurements (bench/idle.sh): a period in seconds instead.
    const char* seconds = std::getenv("KORVALIN_CHECK_SECONDS");
    const int periodSeconds = seconds != nullptr ? std::atoi(seconds) : 0;
    PostToUiThread(this, [this, minutes, periodSeconds] {
        if (frame_ == nullptr)
            return;
        if (periodSeconds > 0)
            frame_->CheckTimer().start(periodSeconds * 1000);
        else
            frame_->StartCheckTimer(minutes);
    });
}

void QtUiPort::SetWaitCursor(bool waiting)
{
    PostToUiThread(this, [this, waiting] {
        if (waiting == waitCursor_)
            return;
        waitCursor_ = waiting;
        if (waiting)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    });
}

void QtUiPort::StopBusyAnimation()
{
    PostToUiThread(this, [this] {
        if (frame_ != nullptr)
            frame_->StopBusyAnimation();
        if (busyEnded_)
            busyEnded_();
    });
}

void QtUiPort::StartBusyAnimation()
{
    PostToUiThread(this, [this] {
        if (frame_ != nullptr)
            frame_->StartBusyAnimation();
    });
}

void QtUiPort::SummaryChanged(const std::shared_ptr<FolderSummary>& summary)
{
    PostToUiThread(this, [this, summary] {
        if (frame_ != nullptr)
            frame_->RefreshSummary(summary);
    });
}

void QtUiPort::TreeLabelChanged(const std::shared_ptr<CAccount>& account, const std::shared_ptr<MailFolder>& folder,
                                const std::string& label)
{
    // The shared pointers keep both alive until the label is set.
    PostToUiThread(this, [this, account, folder, label = QString::fromStdString(label)] {
        if (frame_ != nullptr)
            frame_->SetTreeLabel(account.get(), folder.get(), label);
    });
}

void QtUiPort::OpenMailWindow(const MailWindowRequest& request)
{
    PostToUiThread(this, [this, request] {
        if (frame_ != nullptr)
            frame_->OpenMailWindow(request);
    });
}

void QtUiPort::SelectMail(const std::shared_ptr<FolderSummary>& summary, const std::string& messageId)
{
    PostToUiThread(this, [this, summary, id = QString::fromStdString(messageId)] {
        SummaryWindow* window = frame_ != nullptr ? frame_->FolderWindow(summary->Folder()) : nullptr;
        if (window != nullptr && window->Summary() == summary)
            window->View().SelectMail(id);
    });
}

void QtUiPort::NewMailListChanged()
{
    PostToUiThread(this, [this] {
        if (frame_ != nullptr)
            frame_->NewMailListChanged();
    });
}

void QtUiPort::StartTrayAnimation()
{
    PostToUiThread(this, [this] {
        if (frame_ != nullptr)
            frame_->StartTrayAnimation();
    });
}

void QtUiPort::StopTrayAnimation()
{
    PostToUiThread(this, [this] {
        if (frame_ != nullptr)
            frame_->StopTrayAnimation();
    });
}

void QtUiPort::PlaySound(const std::string& file)
{
    PostToUiThread(this, [this, file = QString::fromStdString(file)] {
        if (frame_ != nullptr)
            frame_->PlaySound(file);
    });
}

void QtUiPort::ReturnUnsentMail(const UnsentMail& mail)
{
    if (MustNotWait())
        return;
    PostToUiThread(this, [this, mail] {
        if (frame_ != nullptr)
            frame_->ReturnUnsentMail(mail);
    });
}

void QtUiPort::KeepAliveUntil(const std::function<bool()>& done)
{
    if (!OnUiThread()) {
        UiPort::KeepAliveUntil(done);
        return;
    }
    // The windows keep working while the engine waits.
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    if (done())
        return;
    poll.start();
    loop.exec();
}

}  // namespace korvalin::ui
