// Desktop notifications (org.freedesktop.Notifications on the session bus):
// at the end of a check pass that found new mail, one notification with the
// count and the newest senders and subjects. It replaces the previous one
// instead of stacking, offers "Open" (the mail, or the New Mails box for
// several) and "Mark as read", and asks the server for no sound when the
// program's sound is off. Without a bus or a notification server nothing
// else changes. Options > General turns it off.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvalin {
class Engine;
class FolderSummary;
struct NewMailEntry;
}  // namespace korvalin

namespace korvalin::ui {

// What one notification says.
struct NotificationContent {
    QString summary;  // plain text
    QString body;     // escaped for the notification markup
    QStringList actions;
    QVariantMap hints;
};

inline constexpr int kNotifiedMailLines = 3;  // senders and subjects shown

// The notification for fresh (newest first); sound says whether the program's sound is on.
NotificationContent DescribeNewMail(const std::vector<NewMailEntry>& fresh, bool sound);

class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const std::shared_ptr<FolderSummary>&, int row)> openMail;
        std::function<void()> openNewMailsBox;
    };

    DesktopNotifier(Engine& engine, QDBusConnection bus, Actions actions, QObject* parent = nullptr);

    // Called whenever the busy animation stops: once no check runs any more,
    // the mails noted since the last notification are announced.
    void PassEnded();

    uint LastId() const { return lastId_; }

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    struct Announced {
        std::weak_ptr<FolderSummary> summary;
        std::string messageId;
    };
    void Send(const NotificationContent& content);
    void Open();
    void MarkAsRead();

    Engine& engine_;
    QDBusConnection bus_;
    Actions actions_;
    std::vector<Announced> known_;      // every mail of the new-mail list already announced
    std::vector<Announced> lastFresh_;  // the mails of the notification on screen
    uint lastId_ = 0;
    bool failureLogged_ = false;
};

}  // namespace korvalin::ui
