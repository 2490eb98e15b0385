#include "BusyAnimation.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace korvalin::ui {

BusyAnimation::BusyAnimation(QWidget* parent) : QWidget(parent)
{
    setFixedWidth(kWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    timer_.setInterval(110);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrameCount;
        update();
    });
}

void BusyAnimation::Start()
{
    if (!timer_.isActive())
        timer_.start();
}

void BusyAnimation::Stop()
{
    timer_.stop();
    frame_ = 0;
    update();
}

QSize BusyAnimation::sizeHint() const
{
    return {kWidth, 28};
}

void BusyAnimation::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = std::min(width(), height()) / 2.0 - 5.0;
    const double dot = std::max(1.5, radius / 3.2);
    const QColor active = palette().color(QPalette::Highlight);
    const QColor resting = palette().color(QPalette::Mid);
    for (int i = 0; i < kFrameCount; ++i) {
        const double angle = 2.0 * M_PI * i / kFrameCount - M_PI / 2.0;
        const QPointF at = centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
        // The dots behind the bright one fade, so the ring seems to turn.
        const int behind = (frame_ - i + kFrameCount) % kFrameCount;
        QColor colour = Running() ? active : resting;
        if (Running())
            colour.setAlphaF(std::max(0.15, 1.0 - behind * 0.2));
        else if (i == 0)
            colour = active;
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(at, dot, dot);
    }
}

}  // namespace korvalin::ui
