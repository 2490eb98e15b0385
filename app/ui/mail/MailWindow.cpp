#include "MailWindow.h"

#include "AddressBooks.h"
#include "Artwork.h"
#include "CommandChangeWatch.h"
#include "ComposeText.h"
#include "ComposeWindow.h"
#include "Engine.h"
#include "MailReader.h"
#include "NewAddressDialog.h"
#include "SavedMailFile.h"
#include "TextFormat.h"

#include <QAction>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QUrlQuery>
#include <QToolBar>

namespace korvalin::ui {
namespace {

constexpr const char* kCopyNotice =
    "SORRY: Copy data is not implemented yet. Right click on the selection and choose Copy to copy the data to "
    "clipboard";
constexpr const char* kNoDeleteWhileNewMails =
    "Sorry. You cannot delete a mail from here while the new mail summary is open. Please close the new mail summary "
    "and then try again";

QAction* Command(QWidget* owner, const QString& text, const QKeySequence& shortcut = {}, const QIcon& icon = {})
{
    auto* action = new QAction(icon, text, owner);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    // Several mail and compose windows share the frame: each one's keys
    // work only inside it.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
    return action;
}

std::optional<QString> AskSaveFileDefault(QWidget* parent)
{
    QFileDialog dialog(parent, "Save Mail");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix("htm");
    dialog.setNameFilters({"HTML Files (*.htm *.html)", "All Files (*)"});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

}  // namespace

MailWindow::MailWindow(Engine& engine, AddressBooks* books, const MailWindowRequest& request, MailWindowLinks links,
                       QWidget* parent)
    : QMainWindow(parent), engine_(engine), books_(books), request_(request), links_(std::move(links))
{
    setObjectName("mailWindow");
    setWindowTitle(QString::fromStdString(request_.title));
    if (!links_.askSaveFile)
        links_.askSaveFile = [this] { return AskSaveFileDefault(this); };
    if (!links_.askNewAddress)
        links_.askNewAddress = [this](const QString& email) { return NewAddressDialog::Ask(this, email); };
    if (request_.summary) {
        if (std::optional<SummaryEntry> entry = request_.summary->Entry(request_.row))
            messageId_ = entry->MessageId;
    }
    reader_ = new MailReader(request_, this);
    reader_->SetComposeHook([this](const QUrl& mailto) { ComposeTo(mailto); });
    setCentralWidget(reader_);
    setFocusProxy(&reader_->Body());
    BuildCommands();
    UpdateCommands();
    auto* updates = new QTimer(this);
    connect(updates, &QTimer::timeout, this, &MailWindow::UpdateCommands);
    new CommandChangeWatch(*updates, {}, this);
    engine_.Log().Info(kCommon, "Created a new mail body.");
    const QString address = QUrl::fromLocalFile(QString::fromStdString(request_.cachedFile)).toString();
    engine_.Log().Info(kCommon, "Mail is stored at: %s", address.toStdString().c_str());
}

MailWindow::~MailWindow() = default;

void MailWindow::BuildCommands()
{
    QStyle* look = style();
    QAction* reply = Command(this, "&Reply", QKeySequence(Qt::CTRL | Qt::Key_R), ActionIcon("reply"));
    QAction* replyAll = Command(this, "Reply &All", QKeySequence(Qt::CTRL | Qt::Key_A), ActionIcon("reply"));
    QAction* forward = Command(this, "&Forward", QKeySequence(Qt::CTRL | Qt::Key_F), ActionIcon("forward"));
    previous_ = Command(this, "Previous Mail", {}, look->standardIcon(QStyle::SP_ArrowUp));
    next_ = Command(this, "Next Mail", {}, look->standardIcon(QStyle::SP_ArrowDown));
    saveAddress_ = Command(this, "Sa&ve Address", {}, ActionIcon("addressbook"));
    saveAddress_->setEnabled(books_ != nullptr && request_.account != nullptr);
    QAction* print = Command(this, "&Print");
    QAction* save = Command(this, "&Save Mail", {}, look->standardIcon(QStyle::SP_DialogSaveButton));
    QAction* copy = Command(this, "&Copy");
    delete_ = Command(this, "&Delete", {}, ActionIcon("delete"));
    QAction* close = Command(this, "&Close", QKeySequence(Qt::ALT | Qt::Key_F4));

    QMenu* mail = menuBar()->addMenu("&Mail");
    mail->addAction(reply);
    mail->addAction(replyAll);
    mail->addAction(forward);
    mail->addSeparator();
    mail->addAction(previous_);
    mail->addAction(next_);
    mail->addSeparator();
    mail->addAction(save);
    mail->addAction(saveAddress_);
    mail->addAction(print);
    mail->addSeparator();
    mail->addAction(delete_);
    mail->addAction(close);
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction(copy);

    QToolBar* tools = addToolBar("Mail");
    tools->setObjectName("mailToolBar");
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tools->setIconSize(QSize(16, 16));
    for (QAction* action : {reply, replyAll, forward})
        tools->addAction(action);
    tools->addSeparator();
    tools->addAction(previous_);
    tools->addAction(next_);
    tools->addSeparator();
    tools->addAction(delete_);

    connect(reply, &QAction::triggered, this, &MailWindow::Reply);
    connect(replyAll, &QAction::triggered, this, &MailWindow::ReplyAll);
    connect(forward, &QAction::triggered, this, &MailWindow::Forward);
    connect(previous_, &QAction::triggered, this, &MailWindow::PreviousMail);
    connect(next_, &QAction::triggered, this, &MailWindow::NextMail);
    connect(saveAddress_, &QAction::triggered, this, &MailWindow::SaveAddress);
    connect(print, &QAction::triggered, this, &MailWindow::Print);
    connect(save, &QAction::triggered, this, &MailWindow::SaveMail);
    connect(copy, &QAction::triggered, this, &MailWindow::Copy);
    connect(delete_, &QAction::triggered, this, &MailWindow::Delete);
    connect(close, &QAction::triggered, this, &MailWindow::CloseWindow);
}

int MailWindow::CurrentRow() const
{
    if (request_.summary && !messageId_.empty()) {
        const int row = request_.summary->FindRow(messageId_);
        if (row >= 1)
            return row;
    }
    return request_.row;
}

void MailWindow::UpdateCommands()
{
    const bool listed = request_.summary && !request_.summary->Closed();
    const int row = CurrentRow();
    const int rows = listed ? static_cast<int>(request_.summary->RowCount()) : 0;
    previous_->setEnabled(listed && row > 1);
    next_->setEnabled(listed && row < rows - 1);
    delete_->setEnabled(listed && !(links_.newMailsBoxOpen && links_.newMailsBoxOpen()));
}

void MailWindow::OpenCompose(const std::string& to, const std::string& cc, const std::string& subject, bool reply)
{
    if (!links_.compose)
        return;
    ComposeSetup setup;
    setup.title = windowTitle();
    setup.to = QString::fromStdString(to);
    setup.cc = QString::fromStdString(cc);
    setup.subject = QString::fromStdString(subject);
    setup.quotedFile = QString::fromStdString(request_.cachedFile);
    setup.sender = request_.account;
    if (reply)
        setup.repliedMessageId = messageId_;
    links_.compose(setup);
}

void MailWindow::ComposeTo(const QUrl& mailto)
{
    if (!links_.compose)
        return;
    ComposeSetup setup;
    setup.title = windowTitle();
    setup.to = mailto.path();
    const QUrlQuery query(mailto);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key.compare("subject", Qt::CaseInsensitive) == 0)
            setup.subject = value;
        else if (key.compare("cc", Qt::CaseInsensitive) == 0)
            setup.cc = value;
    }
    setup.sender = request_.account;
    links_.compose(setup);
}

void MailWindow::Reply()
{
    OpenCompose(request_.from, "", ReplySubject(request_.subject), true);
}

void MailWindow::ReplyAll()
{
    std::string to = request_.from;
    if (!request_.to.empty())
        to += (to.empty() ? "" : ",") + request_.to;
    OpenCompose(to, request_.cc, ReplySubject(request_.subject), true);
}

void MailWindow::Forward()
{
    OpenCompose("", "", ForwardSubject(request_.subject), false);
}

void MailWindow::OpenNeighbour(int step)
{
    const int row = CurrentRow();
    const bool listed = request_.summary && !request_.summary->Closed();
    const int rows = listed ? static_cast<int>(request_.summary->RowCount()) : 0;
    if (step < 0 && row <= 1) {
        Tell("No previous item", MessageIcon::Information);
        return;
    }
    if (step > 0 && row >= rows - 1) {
        Tell("No next item", MessageIcon::Information);
        return;
    }
    if (!listed)
        return;
    const QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    const QRect where = frame->geometry();
    request_.summary->RememberMailWindowRect({where.x(), where.y(), where.width(), where.height()});
    request_.summary->OpenMail(row + step);
    // Also when no window opened: the place was for this step only.
    request_.summary->ForgetMailWindowRect();
    CloseWindow();
}

void MailWindow::PreviousMail()
{
    OpenNeighbour(-1);
}

void MailWindow::NextMail()
{
    OpenNeighbour(1);
}

void MailWindow::SaveMail()
{
    const std::optional<QString> target = links_.askSaveFile();
    if (!target || target->isEmpty())
        return;
    if (int error = CopyMailFile(request_.cachedFile, target->toStdString())) {
        engine_.Log().Error(kCommon, "Saving the mail to %s failed: error %d", target->toStdString().c_str(), error);
        Tell(Format("Error %d saving file. File won't be saved", error));
    }
}

void MailWindow::SaveAddress()
{
    if (books_ == nullptr || !request_.account)
        return;
    if (std::optional<NewAddress> entered = links_.askNewAddress(QString::fromStdString(request_.from)))
        books_->SaveAddress(*request_.account, entered->name, entered->address);
}

void MailWindow::Print()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle("Print Mail");
    if (dialog.exec() == QDialog::Accepted)
        reader_->Body().print(&printer);
}

void MailWindow::Copy()
{
    Tell(kCopyNotice, MessageIcon::Information);
}

void MailWindow::Delete()
{
    if (links_.newMailsBoxOpen && links_.newMailsBoxOpen()) {
        Tell(kNoDeleteWhileNewMails);
        return;
    }
    if (request_.summary && !request_.summary->Closed()) {
        const int row = request_.summary->FindRow(messageId_);
        // A mail that is no longer listed has nothing left to delete.
        if (row >= 1)
            request_.summary->DeleteMailAt(row, true);
    }
    CloseWindow();
}

void MailWindow::CloseWindow()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        QTimer::singleShot(0, frame, &QWidget::close);
    else
        QTimer::singleShot(0, this, &QWidget::close);
}

void MailWindow::focusInEvent(QFocusEvent* event)
{
    QMainWindow::focusInEvent(event);
    reader_->Body().setFocus();
}

void MailWindow::Tell(const std::string& text, MessageIcon icon)
{
    korvalin::Tell(engine_.Ui(), text, icon);
}

}  // namespace korvalin::ui
