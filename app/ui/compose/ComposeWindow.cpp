#include "ComposeWindow.h"

#include "AddressBookWindow.h"
#include "Artwork.h"
#include "Engine.h"
#include "MailSubmission.h"
#include "RecipientExpansion.h"
#include "UserInformation.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QFontDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace korvalin::ui {
namespace {

constexpr qint64 kMaxQuotedBytes = 8 * 1024 * 1024;
constexpr const char* kNoRecipient = "Please enter a recepient";
constexpr const char* kCannotQuote = "Error opening the message to reply";
constexpr const char* kCancelQuestion = "Are you sure you want to cancel this mail?";

QAction* Command(QWidget* owner, const QString& text, const QKeySequence& shortcut = {})
{
    auto* action = new QAction(text, owner);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    // Several compose and mail windows share the frame: each one's keys
    // work only inside it.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
    return action;
}

QString SenderName(const CAccount& account)
{
    return QString::fromStdString(account.LogName());
}

}  // namespace

ComposeWindow::ComposeWindow(Engine& engine, AddressBooks* books, ComposeSetup setup, QWidget* parent)
    : QMainWindow(parent), engine_(engine), books_(books), setup_(std::move(setup)), sender_(setup_.sender)
{
    setObjectName("composeWindow");
    setWindowTitle(setup_.title);
    setAttribute(Qt::WA_DeleteOnClose, false);
    options_ = ComposeOptions::FromSettings(engine_.Settings());
    BuildHeader();
    BuildMenus();
    engine_.Log().Info(kCommon, "Created a blank mail");
}

ComposeWindow::~ComposeWindow() = default;

void ComposeWindow::BuildHeader()
{
    auto* central = new QWidget(this);
    to_ = new QLineEdit(setup_.to, central);
    to_->setObjectName("to");
    cc_ = new QLineEdit(setup_.cc, central);
    cc_->setObjectName("cc");
    bcc_ = new QLineEdit(setup_.bcc, central);
    bcc_->setObjectName("bcc");
    subject_ = new QLineEdit(setup_.subject, central);
    subject_->setObjectName("subject");
    senders_ = new QComboBox(central);
    senders_->setObjectName("sender");
    senders_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    body_ = new QTextEdit(central);
    body_->setObjectName("body");
    body_->setAcceptRichText(false);
    body_->setFont(QFont("Arial", 10));
    body_->setTabChangesFocus(false);

    auto* header = new QGridLayout;
    auto addRow = [&](int row, const QString& text, QWidget* field) {
        auto* label = new QLabel(text, central);
        label->setBuddy(field);
        header->addWidget(label, row, 0);
        header->addWidget(field, row, 1);
    };
    addRow(0, "&To:", to_);
    addRow(1, "&Cc:", cc_);
    addRow(2, "&BCc:", bcc_);
    addRow(3, "S&ubject:", subject_);
    auto* senderLabel = new QLabel("Sen&der:", central);
    senderLabel->setBuddy(senders_);
    auto* senderRow = new QHBoxLayout;
    senderRow->addWidget(senders_);
    senderRow->addStretch(1);
    header->addWidget(senderLabel, 4, 0);
    header->addLayout(senderRow, 4, 1);
    header->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(header);
    layout->addWidget(body_, 1);
    setCentralWidget(central);

    setTabOrder(to_, cc_);
    setTabOrder(cc_, bcc_);
    setTabOrder(bcc_, subject_);
    setTabOrder(subject_, senders_);
    setTabOrder(senders_, body_);
    for (QWidget* field : std::initializer_list<QWidget*>{to_, cc_, bcc_, subject_, senders_, body_})
        field->installEventFilter(this);
    connect(senders_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!fillingSenders_)
            ChooseSender(index);
    });
}

void ComposeWindow::BuildMenus()
{
    QAction* send = Command(this, "&Send", QKeySequence(Qt::CTRL | Qt::Key_S));
    send->setIcon(ActionIcon("compose"));
    send->setStatusTip("Send this mail");
    QAction* addressBook = Command(this, "&Address Book", QKeySequence(Qt::CTRL | Qt::Key_A));
    addressBook->setIcon(ActionIcon("addressbook"));
    addressBook->setEnabled(books_ != nullptr);
    saveCopy_ = Command(this, "Sa&ve before sending", QKeySequence(Qt::CTRL | Qt::Key_V));
    saveCopy_->setCheckable(true);
    saveCopy_->setChecked(options_.saveCopy);
    QAction* exit = Command(this, "&Exit", QKeySequence(Qt::ALT | Qt::Key_F4));
    QAction* remove = Command(this, "Delete", QKeySequence(Qt::Key_Delete));
    QAction* font = Command(this, "&Font");

    QMenu* mail = menuBar()->addMenu("&Mail");
    mail->addAction(send);
    mail->addAction(addressBook);
    mail->addAction(saveCopy_);
    mail->addSeparator();
    mail->addAction(exit);
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction(remove);
    edit->addAction(font);

    QToolBar* tools = addToolBar("Compose");
    tools->setObjectName("composeToolBar");
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tools->addAction(send);
    tools->addAction(addressBook);
    tools->addAction(font);

    connect(send, &QAction::triggered, this, [this] { Send(); });
    connect(addressBook, &QAction::triggered, this, &ComposeWindow::PickFromAddressBook);
    connect(exit, &QAction::triggered, this, [this] {
        if (AskToCancel())
            CloseConfirmed();
    });
    connect(remove, &QAction::triggered, this, &ComposeWindow::DeleteInField);
    connect(font, &QAction::triggered, this, &ComposeWindow::ChooseFont);
}

bool ComposeWindow::Start()
{
    QString body;
    bool quoted = true;
    if (setup_.typedBody) {
        body = *setup_.typedBody;
    } else {
        body = QString::fromStdString(StartingBody(options_));
        if (!setup_.quotedFile.isEmpty())
            quoted = QuoteOriginal(body);
    }
    body_->setPlainText(body);
    body_->moveCursor(QTextCursor::Start);
    body_->ensureCursorVisible();
    // Without the mail to quote, the person may give up the reply at once.
    const bool keep = quoted || !AskToCancel();
    FillSenderList();
    if (!keep)
        CloseConfirmed();
    return keep;
}

bool ComposeWindow::QuoteOriginal(QString& body)
{
    QFile file(setup_.quotedFile);
    if (!file.open(QIODevice::ReadOnly)) {
        engine_.Log().Error(kCommon, "The mail to quote (%s) cannot be read: %s",
                            setup_.quotedFile.toStdString().c_str(), file.errorString().toStdString().c_str());
        Tell(engine_.Ui(), kCannotQuote);
        return false;
    }
    const QByteArray text = file.read(kMaxQuotedBytes);
    const std::string prefix = QuotePrefix(options_, setup_.subject.toStdString());
    body += QString::fromStdString(QuotedOriginal(text.toStdString(), prefix, &engine_.Log()));
    return true;
}

void ComposeWindow::FillSenderList()
{
    fillingSenders_ = true;
    senders_->clear();
    senderAccounts_.clear();
    for (const auto& account : engine_.Accounts().AllAccounts()) {
        if (account->LoggedIn() || account == sender_) {
            senderAccounts_.push_back(account);
            senders_->addItem(SenderName(*account));
        }
    }
    for (size_t i = 0; i < senderAccounts_.size(); ++i) {
        if (senderAccounts_[i] == sender_)
            senders_->setCurrentIndex(static_cast<int>(i));
    }
    fillingSenders_ = false;
    if (to_->text().isEmpty())
        to_->setFocus();
    else
        body_->setFocus();
}

void ComposeWindow::ChooseSender(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= senderAccounts_.size())
        return;
    sender_ = senderAccounts_[static_cast<size_t>(index)];
    setWindowTitle("Sent From: " + SenderName(*sender_));
}

void ComposeWindow::PutRecipient(const QString& recipient)
{
    to_->setText(recipient);
    subject_->setFocus();
    if (QWidget* frame = parentWidget())
        frame->raise();
    raise();
    activateWindow();
}

bool ComposeWindow::SaveCopy() const
{
    return saveCopy_->isChecked();
}

void ComposeWindow::ExpandField(QLineEdit& field)
{
    if (books_ == nullptr || sender_ == nullptr || field.text().isEmpty())
        return;
    const QString expanded =
        QString::fromStdString(ExpandRecipients(engine_, *books_, *sender_, field.text().toStdString()));
    if (expanded != field.text())
        field.setText(expanded);
}

bool ComposeWindow::Send()
{
    if (FirstRecipientLine(to_->text().toStdString()).empty()) {
        Tell(engine_.Ui(), kNoRecipient);
        return false;
    }
    if (sender_ == nullptr) {
        Tell(engine_.Ui(), "Please choose the account to send this mail from.");
        return false;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // A name typed just before sending has not left its field yet.
    for (QLineEdit* field : {to_, cc_, bcc_})
        ExpandField(*field);
    ComposedMail mail;
    mail.to = to_->text().toStdString();
    mail.cc = cc_->text().toStdString();
    mail.bcc = bcc_->text().toStdString();
    mail.subject = subject_->text().toStdString();
    mail.body = body_->toPlainText().toStdString();
    mail.saveCopy = SaveCopy();
    mail.repliedMessageId = setup_.repliedMessageId;
    const bool pop = sender_->State().isPop;
    CMailMessage message = BuildOutgoingMail(mail, VendorWeb(engine_.Paths()), pop, &engine_.Log());
    const Submission submitted = SubmitMail(engine_, sender_, std::move(message), mail.body);
    QGuiApplication::restoreOverrideCursor();
    if (submitted == Submission::Failed)
        return false;
    CloseConfirmed();
    return true;
}

void ComposeWindow::PickFromAddressBook()
{
    if (books_ == nullptr || sender_ == nullptr)
        return;
    if (picker_) {
        picker_(*this);
        return;
    }
    RecipientFields fields{to_->text().toStdString(), cc_->text().toStdString(), bcc_->text().toStdString()};
    if (std::optional<RecipientFields> picked =
            AddressBookWindow::PickRecipients(engine_, *books_, *sender_, std::move(fields), this)) {
        to_->setText(QString::fromStdString(picked->to));
        cc_->setText(QString::fromStdString(picked->cc));
        bcc_->setText(QString::fromStdString(picked->bcc));
    }
}

void ComposeWindow::ChooseFont()
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, body_->font(), this, "Font");
    if (chosen)
        body_->setFont(font);
}

QLineEdit* ComposeWindow::FieldEdit(Field field) const
{
    switch (field) {
    case Field::To:
        return to_;
    case Field::Cc:
        return cc_;
    case Field::Bcc:
        return bcc_;
    case Field::Subject:
        return subject_;
    case Field::None:
        break;
    }
    return nullptr;
}

void ComposeWindow::DeleteInField()
{
    if (QLineEdit* field = FieldEdit(lastField_)) {
        field->del();
        return;
    }
    QTextCursor cursor = body_->textCursor();
    cursor.deleteChar();
    body_->setTextCursor(cursor);
}

bool ComposeWindow::AskToCancel()
{
    if (closeConfirmed_)
        return true;
    if (AskYesNo(engine_.Ui(), kCancelQuestion, MessageAnswer::No) == MessageAnswer::Yes)
        return true;
    if (QWidget* frame = parentWidget())
        frame->raise();
    raise();
    return false;
}

void ComposeWindow::CloseConfirmed()
{
    closeConfirmed_ = true;
    // The window sits in the main frame's MDI area, which takes it down.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        QTimer::singleShot(0, frame, &QWidget::close);
    else
        QTimer::singleShot(0, this, &QWidget::close);
}

void ComposeWindow::closeEvent(QCloseEvent* event)
{
    if (!AskToCancel()) {
        event->ignore();
        return;
    }
    closeConfirmed_ = true;
    event->accept();
}

bool ComposeWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (watched == senders_ && lastField_ == Field::Subject && reason == Qt::TabFocusReason) {
            // From Subject the Tab key goes on into the body.
            QTimer::singleShot(0, body_, [this] { body_->setFocus(Qt::TabFocusReason); });
        }
        if (watched == to_)
            lastField_ = Field::To;
        else if (watched == cc_)
            lastField_ = Field::Cc;
        else if (watched == bcc_)
            lastField_ = Field::Bcc;
        else if (watched == subject_)
            lastField_ = Field::Subject;
        else if (watched == body_)
            lastField_ = Field::None;
    } else if (event->type() == QEvent::FocusOut) {
        const bool popup = static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason;
        if (!popup && (watched == to_ || watched == cc_ || watched == bcc_))
            ExpandField(*static_cast<QLineEdit*>(watched));
    } else if (event->type() == QEvent::ShortcutOverride &&
               static_cast<QKeyEvent*>(event)->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_A)) {
        // Ctrl+A is the address book here, not the fields' Select All.
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace korvalin::ui
