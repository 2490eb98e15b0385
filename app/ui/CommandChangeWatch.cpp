#include "CommandChangeWatch.h"

#include <QCoreApplication>
#include <QEvent>

namespace korvalin::ui {

CommandChangeWatch::CommandChangeWatch(QTimer& timer, std::function<bool()> active, QObject* parent)
    : QObject(parent), timer_(&timer), active_(std::move(active))
{
    timer.setSingleShot(true);
    timer.setInterval(0);
    QCoreApplication::instance()->installEventFilter(this);
}

bool CommandChangeWatch::MayChangeCommands(int eventType)
{
    switch (eventType) {
    case QEvent::MetaCall:  // the engine's notifications, queued to the UI thread
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Close:
    case QEvent::WindowActivate:
    case QEvent::WindowStateChange:
    case QEvent::ChildRemoved:
        return true;
    default:
        return false;
    }
}

bool CommandChangeWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (timer_ && !timer_->isActive() && MayChangeCommands(event->type()) && (!active_ || active_()))
        timer_->start();
    return QObject::eventFilter(watched, event);
}

}  // namespace korvalin::ui
