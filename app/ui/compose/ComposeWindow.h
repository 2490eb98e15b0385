// The compose window: To, Cc, BCc, Subject, the Sender drop-down and the
// body editor, for a new mail, a reply, a forward, or a mail handed back
// because it could not be sent. Sending hands the mail to the engine (queued
// online, a pending action offline) and closes the window.
#pragma once

#include "ComposeText.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QLineEdit;
class QTextEdit;

namespace korvalin {
class AddressBooks;
class CAccount;
class Engine;
}  // namespace korvalin

namespace korvalin::ui {

struct ComposeSetup {
    QString title;
    QString to, cc, bcc, subject;
    QString quotedFile;  // the cached mail to quote; empty: none
    std::shared_ptr<CAccount> sender;
    std::optional<QString> typedBody;  // a mail handed back: the person's own text
    std::string repliedMessageId;       // the Message-ID of the mail answered; empty: none
};

class ComposeWindow : public QMainWindow {
    Q_OBJECT
public:
    // books may be null (no address books: names are not expanded).
    ComposeWindow(Engine& engine, AddressBooks* books, ComposeSetup setup, QWidget* parent = nullptr);
    ~ComposeWindow() override;

    // Fills the body (quoting the original mail) and the sender list. False
    // when the mail to quote could not be read and the person chose to give
    // up the new mail; the window has then asked to be closed.
    bool Start();

    // "&Send": true when the mail was handed over and the window asked to close.
    bool Send();
    // "&Address Book": the recipient picker over the sender's book.
    void PickFromAddressBook();
    void ChooseFont();
    // "Delete": in the header field that last had the focus, else in the body.
    void DeleteInField();
    // A recipient handed over by a mail link: into To, the focus on Subject.
    void PutRecipient(const QString& recipient);
    // The person chose entry index of the Sender drop-down.
    void ChooseSender(int index);
    // Closes without the cancel question (after sending, or a confirmed cancel).
    void CloseConfirmed();

    CAccount* Sender() const { return sender_.get(); }
    bool SaveCopy() const;
    QLineEdit& ToField() const { return *to_; }
    QLineEdit& CcField() const { return *cc_; }
    QLineEdit& BccField() const { return *bcc_; }
    QLineEdit& SubjectField() const { return *subject_; }
    QComboBox& SenderList() const { return *senders_; }
    QTextEdit& Editor() const { return *body_; }
    QAction& SaveCopyAction() const { return *saveCopy_; }

    // Who picks the recipients from the address book (tests answer instead).
    using RecipientPicker = std::function<void(ComposeWindow&)>;
    void SetRecipientPicker(RecipientPicker picker) { picker_ = std::move(picker); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Field { None, To, Cc, Bcc, Subject };

    void BuildMenus();
    void BuildHeader();
    void FillSenderList();
    bool QuoteOriginal(QString& body);
    void ExpandField(QLineEdit& field);
    bool AskToCancel();
    QLineEdit* FieldEdit(Field field) const;

    Engine& engine_;
    AddressBooks* books_;
    ComposeSetup setup_;
    std::shared_ptr<CAccount> sender_;
    std::vector<std::shared_ptr<CAccount>> senderAccounts_;
    ComposeOptions options_;
    QLineEdit* to_ = nullptr;
    QLineEdit* cc_ = nullptr;
    QLineEdit* bcc_ = nullptr;
    QLineEdit* subject_ = nullptr;
    QComboBox* senders_ = nullptr;
    QTextEdit* body_ = nullptr;
    QAction* saveCopy_ = nullptr;
    Field lastField_ = Field::None;
    bool closeConfirmed_ = false;
    bool fillingSenders_ = false;
    RecipientPicker picker_;
};

}  // namespace korvalin::ui
