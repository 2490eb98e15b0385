#include "TrayIcon.h"

#include "PlainText.h"
#include "Artwork.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace korvalin::ui {

namespace {
std::optional<bool> availabilityOverride;
}

QString TrayTip(const QString& text)
{
    return text.left(kTrayTipLimit);
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), menu_(std::make_unique<QMenu>()), tip_(kRestingTip)
{
    menu_->setObjectName("trayMenu");
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
        if (fillMenu_)
            fillMenu_(*menu_);
    });
    timer_.setInterval(kFrameInterval);
    connect(&timer_, &QTimer::timeout, this, &TrayIcon::Advance);
}

TrayIcon::~TrayIcon()
{
    delete icon_;
}

bool TrayIcon::Available()
{
    return availabilityOverride.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void TrayIcon::OverrideAvailability(std::optional<bool> available)
{
    availabilityOverride = available;
}

void TrayIcon::Create()
{
    if (icon_ != nullptr)
        return;
    icon_ = new QSystemTrayIcon(TrayFrame(0));
    icon_->setToolTip(PlainToolTip(tip_));
    icon_->setContextMenu(menu_.get());
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit LeftClicked();
        else if (reason == QSystemTrayIcon::DoubleClick)
            emit DoubleClicked();
    });
    icon_->show();
    if (animating_ && Available())
        timer_.start();
}

void TrayIcon::SetIcon(int step, const QString& tip)
{
    step_ = step;
    tip_ = TrayTip(tip);
    if (icon_ == nullptr)
        return;
    icon_->setIcon(TrayFrame(step));
    icon_->setToolTip(PlainToolTip(tip_));
}

void TrayIcon::StartAnimation()
{
    if (animating_)
        return;
    animating_ = true;
    Advance();
    if (icon_ != nullptr && Available())
        timer_.start();
}

void TrayIcon::StopAnimation()
{
    animating_ = false;
    timer_.stop();
    SetIcon(0, kRestingTip);
}

void TrayIcon::Advance()
{
    const int count = newMailCount_ ? newMailCount_() : 0;
    SetIcon(step_ % 4 + 1, QStringLiteral("You have %1 new mails").arg(count));
}

}  // namespace korvalin::ui
