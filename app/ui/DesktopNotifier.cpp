#include "DesktopNotifier.h"

#include "Engine.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <algorithm>

namespace korvalin::ui {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kFieldLength = 80;
constexpr int kCallTimeoutMs = 5000;

// A sender or subject as one short line of plain text: no control
// characters (a mail's header is hostile input), cut to a readable length.
QString OneLine(const std::string& text)
{
    QString line = QString::fromStdString(text);
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    line = line.simplified();
    if (line.size() > kFieldLength)
        line = line.left(kFieldLength - 1) + QChar(0x2026);
    return line;
}

bool SameMail(const std::shared_ptr<FolderSummary>& summary, const std::string& messageId,
              const std::vector<std::pair<const FolderSummary*, std::string>>& among)
{
    return std::any_of(among.begin(), among.end(),
                       [&](const auto& known) { return known.first == summary.get() && known.second == messageId; });
}

}  // namespace

NotificationContent DescribeNewMail(const std::vector<NewMailEntry>& fresh, bool sound)
{
    NotificationContent content;
    content.summary = fresh.size() == 1 ? QStringLiteral("New mail")
                                        : QStringLiteral("%1 new mails").arg(static_cast<qulonglong>(fresh.size()));
    QStringList lines;
    for (size_t i = 0; i < fresh.size() && i < kNotifiedMailLines; ++i) {
        QString from = OneLine(fresh[i].from);
        QString subject = OneLine(fresh[i].subject);
        lines << (from.isEmpty() ? subject : subject.isEmpty() ? from : from + QStringLiteral(": ") + subject)
                     .toHtmlEscaped();
    }
    if (fresh.size() > kNotifiedMailLines)
        lines << QStringLiteral("and %1 more").arg(static_cast<qulonglong>(fresh.size() - kNotifiedMailLines));
    content.body = lines.join(QLatin1Char('\n'));
    content.actions = {QStringLiteral("default"), QStringLiteral("Open"),        QStringLiteral("open"),
                       QStringLiteral("Open"),    QStringLiteral("mark-read"),   QStringLiteral("Mark as read")};
    content.hints.insert(QStringLiteral("category"), QStringLiteral("email.arrived"));
    content.hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("korvalin"));
    content.hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
    if (!sound)
        content.hints.insert(QStringLiteral("suppress-sound"), true);
    return content;
}

DesktopNotifier::DesktopNotifier(Engine& engine, QDBusConnection bus, Actions actions, QObject* parent)
    : QObject(parent), engine_(engine), bus_(std::move(bus)), actions_(std::move(actions))
{
    if (!bus_.isConnected())
        return;
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
}

void DesktopNotifier::PassEnded()
{
    if (engine_.Checks().RunningChecks() != 0)
        return;
    const std::vector<NewMailEntry> entries = engine_.NewMail().Entries();
    std::vector<std::pair<const FolderSummary*, std::string>> known;
    for (const Announced& mail : known_) {
        if (auto summary = mail.summary.lock())
            known.emplace_back(summary.get(), mail.messageId);
    }
    std::vector<NewMailEntry> fresh;
    known_.clear();
    for (const NewMailEntry& entry : entries) {
        if (!SameMail(entry.summary, entry.messageId, known))
            fresh.push_back(entry);
        known_.push_back({entry.summary, entry.messageId});
    }
    if (fresh.empty() || engine_.Settings().Flag(setting::kNoDesktopNotifications) || !bus_.isConnected())
        return;
    lastFresh_.clear();
    for (const NewMailEntry& entry : fresh)
        lastFresh_.push_back({entry.summary, entry.messageId});
    Send(DescribeNewMail(fresh, engine_.Settings().Flag(setting::kPlaySound)));
}

void DesktopNotifier::Send(const NotificationContent& content)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Korvalin Mail") << lastId_ << QStringLiteral("korvalin") << content.summary
         << content.body << content.actions << content.hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError()) {
            // No notification server: the tray and the sound still tell.
            if (!failureLogged_)
                engine_.Log().Info(kCommon, "No desktop notification: %s",
                                   reply.error().message().toStdString().c_str());
            failureLogged_ = true;
            return;
        }
        lastId_ = reply.value();
    });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action)
{
    if (id == 0 || id != lastId_)
        return;
    if (action == QLatin1String("mark-read"))
        MarkAsRead();
    else if (action == QLatin1String("open") || action == QLatin1String("default"))
        Open();
}

void DesktopNotifier::OnClosed(uint id, uint /*reason*/)
{
    if (id == lastId_)
        lastId_ = 0;
}

void DesktopNotifier::Open()
{
    std::vector<std::pair<std::shared_ptr<FolderSummary>, int>> open;
    for (const Announced& mail : lastFresh_) {
        auto summary = mail.summary.lock();
        if (!summary || summary->Closed())
            continue;
        if (int row = summary->FindRow(mail.messageId); row > 0)
            open.emplace_back(summary, row);
    }
    if (open.size() == 1 && actions_.openMail)
        actions_.openMail(open.front().first, open.front().second);
    else if (!open.empty() && actions_.openNewMailsBox)
        actions_.openNewMailsBox();
}

void DesktopNotifier::MarkAsRead()
{
    for (const Announced& mail : lastFresh_) {
        auto summary = mail.summary.lock();
        if (!summary || summary->Closed())
            continue;
        if (int row = summary->FindRow(mail.messageId); row > 0)
            summary->MarkAsRead({row});
    }
}

}  // namespace korvalin::ui
