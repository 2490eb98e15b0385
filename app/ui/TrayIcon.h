// The tray icon: the resting icon with the tip "Korvalin Mail", and while new
// mail waits the four-frame animation every 250 ms with the tip "You have %d
// new mails". Its menu is rebuilt each time it opens. Where the desktop has
// no tray, nothing is shown and the main window must stay reachable.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;

namespace korvalin::ui {

inline constexpr int kTrayTipLimit = 64;
// A tray tip of at most 64 characters.
QString TrayTip(const QString& text);

class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int kFrameInterval = 250;
    static constexpr const char* kRestingTip = "Korvalin Mail";

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Puts the icon into the tray (once).
    void Create();
    bool Created() const { return icon_ != nullptr; }
    static bool Available();
    // Tests decide whether a tray exists; nothing: ask the desktop.
    static void OverrideAvailability(std::optional<bool> available);

    // The number shown in the animated tip.
    void SetNewMailCounter(std::function<int()> count) { newMailCount_ = std::move(count); }
    // Fills the menu just before it opens.
    void SetMenuFiller(std::function<void(QMenu&)> fill) { fillMenu_ = std::move(fill); }

    void StartAnimation();
    // Stops the animation, back to the resting icon and tip.
    void StopAnimation();
    // The frames turn only where an icon sits in a tray: without one the
    // animation is only a state, and nothing wakes up for it.
    bool Animating() const { return animating_; }
    bool Turning() const { return timer_.isActive(); }
    int Step() const { return step_; }
    QString Tip() const { return tip_; }
    QMenu* Menu() const { return menu_.get(); }

    // One animation step (the timer's work).
    void Advance();

signals:
    void LeftClicked();
    void DoubleClicked();

private:
    void SetIcon(int step, const QString& tip);

    QSystemTrayIcon* icon_ = nullptr;
    std::unique_ptr<QMenu> menu_;
    QTimer timer_;
    bool animating_ = false;
    int step_ = 0;
    QString tip_;
    std::function<int()> newMailCount_;
    std::function<void(QMenu&)> fillMenu_;
};

}  // namespace korvalin::ui
