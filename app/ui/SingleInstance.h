// One running copy per user and data folder. The first copy holds a lock file
// and listens on a local socket; a later copy hands its work over through
// that socket and ends: "show" brings the first copy's main window up, a
// recipient makes it open one compose window addressed to it.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace korvalin::ui {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // key tells copies apart that must not share (for instance the path of
    // the user store); the socket and lock names are made from it and the
    // user id.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Role { First, Duplicate, Failed };

    // Becomes the first copy, or finds the running one. A lock left behind by
    // a copy that died is taken over.
    Role Claim();

    // Duplicate only: hands recipient (empty: "show") to the first copy.
    // False when it could not be reached.
    bool HandOver(const QString& recipient, int timeoutMs = 5000);

    QString ServerName() const { return serverName_; }
    QString Error() const { return error_; }

signals:
    void ShowRequested();
    void RecipientReceived(const QString& recipient);

private:
    void OnConnection();

    QString serverName_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    QString error_;
};

// The wire format of one hand-over: a line "show" or "to <recipient>".
QByteArray EncodeHandOver(const QString& recipient);
// False when line is not a hand-over; an empty *recipient means "show".
bool DecodeHandOver(const QByteArray& line, QString* recipient);

}  // namespace korvalin::ui
