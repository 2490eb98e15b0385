// The "Logging in..." box: the engine's progress text, the busy animation
// and a Cancel button that counts down to the automatic abort. It polls the
// engine's box every 100 ms and ticks it every second, and closes when the
// box closes.
#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QPushButton;

namespace korvalin {
class LoginProgressBox;
}

namespace korvalin::ui {

class BusyAnimation;

class LoginProgressDialog : public QDialog {
    Q_OBJECT
public:
    LoginProgressDialog(LoginProgressBox& box, QWidget* parent = nullptr);

    QString CancelText() const;

protected:
    void reject() override;

private:
    void Poll();
    void Second();

    LoginProgressBox& box_;
    QLabel* text_ = nullptr;
    QPushButton* cancel_ = nullptr;
    BusyAnimation* animation_ = nullptr;
    QTimer pollTimer_;
    QTimer secondTimer_;
};

}  // namespace korvalin::ui
