#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace korvalin::ui {
namespace {

constexpr qint64 kMaxHandOverBytes = 4096;

QString RuntimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

}  // namespace

QByteArray EncodeHandOver(const QString& recipient)
{
    QString line = recipient;
    line.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    return line.isEmpty() ? QByteArray("show\n") : "to " + line.toUtf8() + "\n";
}

bool DecodeHandOver(const QByteArray& line, QString* recipient)
{
    const QByteArray text = line.trimmed();
    if (text == "show") {
        recipient->clear();
        return true;
    }
    if (text.startsWith("to ") && text.size() > 3) {
        *recipient = QString::fromUtf8(text.mid(3));
        return true;
    }
    return false;
}

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    const QString name = QStringLiteral("korvalin-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
    serverName_ = name;
    lockPath_ = QDir(RuntimeFolder()).filePath(name + ".lock");
}

SingleInstance::~SingleInstance()
{
    if (server_ != nullptr)
        server_->close();
}

SingleInstance::Role SingleInstance::Claim()
{
    lock_ = std::make_unique<QLockFile>(lockPath_);
    lock_->setStaleLockTime(0);  // only a dead owner makes a lock stale
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError)
            return Role::Duplicate;
        error_ = QStringLiteral("cannot create the lock file %1").arg(lockPath_);
        return Role::Failed;
    }
    // The lock is ours, so a socket of that name was left by a copy that died.
    QLocalServer::removeServer(serverName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        error_ = QStringLiteral("cannot listen on %1: %2").arg(serverName_, server_->errorString());
        return Role::Failed;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
    return Role::First;
}

bool SingleInstance::HandOver(const QString& recipient, int timeoutMs)
{
    // The first copy may still be starting: retry until it listens.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(500)) {
            socket.write(EncodeHandOver(recipient));
            const bool sent = socket.waitForBytesWritten(timeoutMs);
            // Wait for the first copy's acknowledgement, so the hand-over is
            // known to have arrived before this copy ends.
            const bool acknowledged = sent && socket.waitForReadyRead(timeoutMs) && socket.readLine().trimmed() == "ok";
            socket.disconnectFromServer();
            if (acknowledged)
                return true;
            error_ = QStringLiteral("the running copy did not acknowledge the hand-over");
            return false;
        }
        QThread::msleep(100);
    }
    error_ = QStringLiteral("the running copy cannot be reached on %1").arg(serverName_);
    return false;
}

void SingleInstance::OnConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxHandOverBytes)
                    socket->abort();
                return;
            }
            QString recipient;
            const bool valid = DecodeHandOver(socket->readLine(kMaxHandOverBytes), &recipient);
            socket->write(valid ? "ok\n" : "error\n");
            socket->flush();
            if (!valid)
                return;
            if (recipient.isEmpty())
                emit ShowRequested();
            else
                emit RecipientReceived(recipient);
        });
    }
}

}  // namespace korvalin::ui
