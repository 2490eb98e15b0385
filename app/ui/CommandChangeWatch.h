// Keeps the enable states of commands up to date without polling: whatever
// can change them reaches the UI thread as an event (input, focus, windows
// shown, hidden or activated, and the engine's notifications, which arrive as
// queued calls), so each such event starts a zero-time single-shot timer
// whose timeout runs the update once for the whole burst. Between events
// nothing runs.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace korvalin::ui {

class CommandChangeWatch : public QObject {
public:
    // Watches every event of the application; starts timer while active() holds.
    CommandChangeWatch(QTimer& timer, std::function<bool()> active, QObject* parent);

    // Whether an event of this type may change what the commands allow.
    static bool MayChangeCommands(int eventType);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QTimer> timer_;
    std::function<bool()> active_;
};

}  // namespace korvalin::ui
