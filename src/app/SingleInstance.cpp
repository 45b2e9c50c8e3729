#include "app/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

namespace tolvane {
namespace {

constexpr char kRequest[] = "activate\n";
constexpr char kAnswer[] = "ok\n";

// True when the peer of a connected local socket runs as this user.
bool PeerIsThisUser(qintptr fd) {
    struct ucred cred {};
    socklen_t len = sizeof cred;
    if (::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) {
        return false;
    }
    return cred.uid == ::getuid();
}

} // namespace

TSingleInstance::TSingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent), folder_(dataFolder) {}

TSingleInstance::~TSingleInstance() {
    if (server_) {
        server_->close();
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

QString TSingleInstance::ServerName(const QString& dataFolder) {
    const QByteArray path = QFile::encodeName(QDir(dataFolder).canonicalPath());
    const QByteArray hash = QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(16);
    const QString name = QStringLiteral("tolvane-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
    // The user's private runtime folder when there is one; socket paths are limited to 107 bytes.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString full = runtime + QLatin1Char('/') + name;
    return !runtime.isEmpty() && QFile::encodeName(full).size() < 100 ? full : name;
}

bool TSingleInstance::TryBecomeFirst() {
    const QByteArray lockName = QFile::encodeName(QDir(folder_).filePath(QStringLiteral("tolvane.lock")));
    lockFd_ = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        // No lock file is possible (a read-only folder): run without the guard.
        return true;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd_);
        lockFd_ = -1;
        return false;
    }
    const QString name = ServerName(folder_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of that name is left over from a copy that died.
    QLocalServer::removeServer(name);
    server_->listen(name);
    connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::OnNewConnection);
    return true;
}

QString TSingleInstance::ListeningPath() const {
    return server_ && server_->isListening() ? server_->fullServerName() : QString();
}

void TSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!PeerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            if (socket->readLine() == kRequest) {
                socket->write(kAnswer);
                socket->flush();
                emit ActivationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool TSingleInstance::ActivateRunningCopy(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const QString name = ServerName(folder_);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kRequest);
            socket.flush();
            while (!socket.canReadLine() &&
                   socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            }
            return socket.canReadLine() && socket.readLine() == kAnswer;
        }
        QThread::msleep(50);
    }
    return false;
}

void BringToFront(QWidget& window) {
    if (window.isMinimized()) {
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    }
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace tolvane
