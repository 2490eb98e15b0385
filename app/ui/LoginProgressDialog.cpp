#include "LoginProgressDialog.h"

#include "BusyAnimation.h"
#include "LoginProgressBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvalin::ui {

LoginProgressDialog::LoginProgressDialog(LoginProgressBox& box, QWidget* parent) : QDialog(parent), box_(box)
{
    setWindowTitle("Logging in...");
    setObjectName("loginProgress");
    setModal(true);

    animation_ = new BusyAnimation(this);
    text_ = new QLabel(QString::fromStdString(box_.Text()), this);
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setMinimumWidth(320);
    cancel_ = new QPushButton(QString::fromStdString(box_.CancelText()), this);
    cancel_->setObjectName("cancelButton");
    connect(cancel_, &QPushButton::clicked, this, &LoginProgressDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(animation_);
    row->addWidget(text_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    animation_->Start();
    pollTimer_.setInterval(100);
    connect(&pollTimer_, &QTimer::timeout, this, &LoginProgressDialog::Poll);
    pollTimer_.start();
    secondTimer_.setInterval(1000);
    connect(&secondTimer_, &QTimer::timeout, this, &LoginProgressDialog::Second);
    secondTimer_.start();
}

QString LoginProgressDialog::CancelText() const
{
    return cancel_->text();
}

void LoginProgressDialog::Poll()
{
    box_.OnPoll();
    text_->setText(QString::fromStdString(box_.Text()));
    if (box_.Closed()) {
        pollTimer_.stop();
        secondTimer_.stop();
        done(QDialog::Accepted);
    }
}

void LoginProgressDialog::Second()
{
    box_.OnSecond();
    cancel_->setText(QString::fromStdString(box_.CancelText()));
    Poll();
}

void LoginProgressDialog::reject()
{
    box_.OnCancel();
    Poll();
}

}  // namespace korvalin::ui
