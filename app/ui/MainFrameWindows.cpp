// The main frame's document windows besides the folder lists: compose
// windows and mail windows, and which keys are theirs while they are active.
#include "ComposeWindow.h"
#include "Engine.h"
#include "FeatureHooks.h"
#include "MailWindow.h"
#include "MainFrame.h"
#include "NewMailsBox.h"
#include "QtUiPort.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace korvalin::ui {
namespace {

QMdiSubWindow* AddDocument(QMdiArea& mdi, QWidget* document, const QSize& size)
{
    QMdiSubWindow* window = mdi.addSubWindow(document);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(document->windowIcon());
    window->resize(size);
    return window;
}

}  // namespace

void MainFrame::OpenComposeWindow(const ComposeRequest& request)
{
    if (composeHandler_) {
        composeHandler_(request);
        return;
    }
    if (engine_ == nullptr || request.sender == nullptr)
        return;
    ComposeSetup setup;
    setup.title = QString::fromStdString(request.senderText);
    setup.sender = request.sender->shared_from_this();
    ComposeWindow* window = OpenComposer(setup);
    if (window != nullptr && !request.recipient.empty())
        window->PutRecipient(QString::fromStdString(request.recipient));
}

ComposeWindow* MainFrame::OpenComposer(const ComposeSetup& setup)
{
    if (engine_ == nullptr)
        return nullptr;
    AddressBooks* books = features_ != nullptr ? &features_->Books() : nullptr;
    auto* compose = new ComposeWindow(*engine_, books, setup);
    QMdiSubWindow* window = AddDocument(*mdi_, compose, QSize(620, 480));
    window->show();
    mdi_->setActiveSubWindow(window);
    if (!compose->Start())
        return nullptr;
    return compose;
}

void MainFrame::ReturnUnsentMail(const UnsentMail& mail)
{
    Tell(QString::fromStdString(mail.text));
    if (engine_ == nullptr || !mail.account)
        return;
    ComposeSetup setup;
    setup.title = QString::fromStdString("Sender: " + mail.account->LogName());
    setup.to = QString::fromStdString(mail.message.To);
    setup.cc = QString::fromStdString(mail.message.CC);
    setup.bcc = QString::fromStdString(mail.message.BCC);
    setup.subject = QString::fromStdString(mail.message.Subject);
    setup.sender = mail.account;
    setup.typedBody = QString::fromStdString(mail.typedText);
    OpenComposer(setup);
}

void MainFrame::OpenMailWindow(const MailWindowRequest& request)
{
    if (engine_ == nullptr)
        return;
    MailWindowLinks links;
    links.compose = [this](const ComposeSetup& setup) { OpenComposer(setup); };
    links.newMailsBoxOpen = [this] { return newMailsBox_ != nullptr; };
    AddressBooks* books = features_ != nullptr ? &features_->Books() : nullptr;
    auto* mail = new MailWindow(*engine_, books, request, std::move(links));
    QMdiSubWindow* window = AddDocument(*mdi_, mail, QSize(640, 460));
    if (request.rect)
        window->setGeometry(request.rect->x, request.rect->y, request.rect->width, request.rect->height);
    window->show();
    mdi_->setActiveSubWindow(window);
    mail->setFocus();
}

bool MainFrame::CloseComposeWindows()
{
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        if (qobject_cast<ComposeWindow*>(window->widget()) == nullptr)
            continue;
        mdi_->setActiveSubWindow(window);
        if (!window->close())
            return false;
    }
    return true;
}

void MainFrame::ArbitrateShortcuts()
{
    QList<QKeySequence> taken;
    if (QMdiSubWindow* active = mdi_->activeSubWindow(); active != nullptr && active->widget() != nullptr) {
        for (const QAction* action : active->widget()->actions()) {
            if (!action->shortcut().isEmpty())
                taken << action->shortcut();
        }
    }
    for (auto rest = restingShortcuts_.begin(); rest != restingShortcuts_.end();) {
        if (!taken.contains(rest.value())) {
            rest.key()->setShortcut(rest.value());
            rest = restingShortcuts_.erase(rest);
        } else {
            ++rest;
        }
    }
    for (QAction* action : findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!action->shortcut().isEmpty() && taken.contains(action->shortcut())) {
            restingShortcuts_.insert(action, action->shortcut());
            action->setShortcut(QKeySequence());
        }
    }
}

}  // namespace korvalin::ui
