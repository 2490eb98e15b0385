#include "QtUiPort.h"

#include "AccountDialogs.h"
#include "LoginProgressBox.h"
#include "LoginProgressDialog.h"
#include "MainFrame.h"
#include "UiThread.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace korvalin::ui {

QtUiPort::QtUiPort(QObject* parent) : QObject(parent), presenter_(RunMessageBox) {}

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
    if (MustNotWait()) {
        MessageBoxReply reply;
        reply.answer = request.buttons == MessageButtons::YesNo ? MessageAnswer::No
                       : request.buttons == MessageButtons::Ok  ? MessageAnswer::Ok
                                                                : MessageAnswer::Cancel;
        return reply;
    }
    return RunOnUiThread(this, [&] { return presenter_(DialogParent(), request); });
}

void QtUiPort::FatalError(const std::string& text)
{
    std::fprintf(stderr, "korvalin: %s\n", text.c_str());
    if (!MustNotWait()) {
        RunOnUiThread(this, [&] {
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
    return RunOnUiThread(this, [&] { return RunLoginBox(DialogParent(), form); });
}

bool QtUiPort::AskNewAccount(NewAccountForm& form)
{
    if (MustNotWait())
        return false;
    return RunOnUiThread(this, [&] { return RunNewAccountBox(DialogParent(), form); });
}

bool QtUiPort::AskPopSettings(PopSettings& settings)
{
    if (MustNotWait())
        return false;
    return RunOnUiThread(this, [&] { return RunPopSettingsBox(DialogParent(), settings); });
}

SetupWizardChoices QtUiPort::RunSetupWizard()
{
    // The first-run wizard's pages are not part of this version: the first
    // run starts with its defaults, and accounts are added from the tree.
    return SetupWizardChoices{};
}

void QtUiPort::OpenOptionsSheet()
{
    if (MustNotWait())
        return;
    RunOnUiThread(this, [this] {
        if (frame_ != nullptr)
            frame_->ShowOptionsPlaceholder();
    });
}

std::optional<std::string> QtUiPort::AskSaveFileName()
{
    if (MustNotWait())
        return std::nullopt;
    return RunOnUiThread(this, [this]() -> std::optional<std::string> {
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
    RunOnUiThread(this, [&] {
        LoginProgressDialog dialog(box, DialogParent());
        dialog.exec();
    });
}

bool QtUiPort::OpenUrl(const std::string& url)
{
    if (MustNotWait())
        return false;
    return RunOnUiThread(this, [&] { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); });
}

void QtUiPort::TreeChanged(const TreeChange& change)
{
    if (MustNotWait())
        return;
    // Waits: the change names objects that may go away once it is applied.
    RunOnUiThread(this, [&] {
        if (frame_ != nullptr)
            frame_->ApplyTreeChange(change);
    });
}

void QtUiPort::OpenFolderWindow(MailFolder& folder)
{
    if (MustNotWait())
        return;
    RunOnUiThread(this, [&] {
        if (frame_ != nullptr)
            frame_->OpenFolderWindow(folder);
    });
}

void QtUiPort::CloseFolderWindow(MailFolder& folder)
{
    if (MustNotWait())
        return;
    RunOnUiThread(this, [&] {
        if (frame_ != nullptr)
            frame_->CloseFolderWindow(folder);
    });
}

void QtUiPort::OpenComposeWindow(const ComposeRequest& request)
{
    if (MustNotWait())
        return;
    RunOnUiThread(this, [&] {
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
    PostToUiThread(this, [this, minutes] {
        if (frame_ != nullptr)
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
    });
}

}  // namespace korvalin::ui
