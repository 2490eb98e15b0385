// The mail window: a cached mail shown with its header bar, and the commands
// on it — Reply, Reply All, Forward, Previous and Next Mail, Save Mail, Save
// Address, Print, Copy, Delete and Close.
#pragma once

#include "UiPort.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;

namespace korvalin {
class AddressBooks;
class Engine;
}  // namespace korvalin

namespace korvalin::ui {

class MailReader;
struct ComposeSetup;
struct NewAddress;

// What a mail window needs from the main frame.
struct MailWindowLinks {
    // Opens a compose window (reply, reply all, forward).
    std::function<void(const ComposeSetup&)> compose;
    // Whether the New Mails box is open (no deleting from here then).
    std::function<bool()> newMailsBoxOpen;
    // The file "&Save Mail" writes to; nothing when the person cancelled.
    std::function<std::optional<QString>()> askSaveFile;
    // The name and address "Sa&ve Address" adds; nothing when cancelled.
    std::function<std::optional<NewAddress>(const QString& email)> askNewAddress;
};

class MailWindow : public QMainWindow {
    Q_OBJECT
public:
    // books may be null (no address books: "Sa&ve Address" is disabled).
    MailWindow(Engine& engine, AddressBooks* books, const MailWindowRequest& request, MailWindowLinks links,
               QWidget* parent = nullptr);
    ~MailWindow() override;

    void Reply();
    void ReplyAll();
    void Forward();
    void PreviousMail();
    void NextMail();
    void SaveMail();
    void SaveAddress();
    void Print();
    void Copy();
    void Delete();
    // Asks the main frame to close this window.
    void CloseWindow();

    MailReader& Reader() const { return *reader_; }
    const MailWindowRequest& Request() const { return request_; }
    // The mail's row in its list now (it moves when the list is sorted).
    int CurrentRow() const;
    // The update pass of the window's commands.
    void UpdateCommands();

    QAction& PreviousAction() const { return *previous_; }
    QAction& NextAction() const { return *next_; }
    QAction& DeleteAction() const { return *delete_; }

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void BuildCommands();
    void OpenCompose(const std::string& to, const std::string& cc, const std::string& subject, bool reply);
    // A new mail for a mailto link of the mail.
    void ComposeTo(const QUrl& mailto);
    void OpenNeighbour(int step);
    void Tell(const std::string& text, MessageIcon icon = MessageIcon::Warning);

    Engine& engine_;
    AddressBooks* books_;
    MailWindowRequest request_;
    MailWindowLinks links_;
    std::string messageId_;
    MailReader* reader_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* next_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* saveAddress_ = nullptr;
};

}  // namespace korvalin::ui
