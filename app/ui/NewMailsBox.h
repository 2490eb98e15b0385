// The New Mails box the tray's left button opens: the senders and subjects
// of the new-mail list side by side, one line per mail, the selection kept on
// the same line in both lists. "Read" (or a double click) opens the selected
// mail, "Korvalin" brings the main window up, "Delete" deletes the mail, and
// closing the box stops the tray animation and empties the list.
#pragma once

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace korvalin {
class Engine;
}

namespace korvalin::ui {

class NewMailsBox : public QDialog {
    Q_OBJECT
public:
    NewMailsBox(Engine& engine, std::function<void()> showMainWindow, QWidget* parent = nullptr);
    ~NewMailsBox() override;

    // Fills the lists from the new-mail list again.
    void Refresh();

    QListWidget& Senders() const { return *senders_; }
    QListWidget& Subjects() const { return *subjects_; }
    QPushButton& ReadButton() const { return *read_; }
    QPushButton& DeleteButton() const { return *delete_; }
    QPushButton& ShowButton() const { return *show_; }

protected:
    void reject() override;

private:
    void ReadSelected();
    void DeleteSelected();
    void SelectLine(int line);

    Engine& engine_;
    std::function<void()> showMainWindow_;
    QListWidget* senders_ = nullptr;
    QListWidget* subjects_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* show_ = nullptr;
    QPushButton* delete_ = nullptr;
    bool syncing_ = false;
};

}  // namespace korvalin::ui
