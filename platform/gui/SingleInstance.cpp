#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QWidget>

namespace seiran {

namespace {

const QByteArray kShowRequest = "show\n";
const QByteArray kShown = "shown\n";

} // namespace

SingleInstance::SingleInstance(const QString& lockPath, QObject* parent)
    : QObject(parent), mLock(std::make_unique<QLockFile>(lockPath)), mLockPath(lockPath)
{
    // A running instance keeps its lock however long it runs.
    mLock->setStaleLockTime(0);
    mFirst = mLock->tryLock(0) || mLock->error() != QLockFile::LockFailedError;
    if (!mFirst) return;

    mServer = new QLocalServer(this);
    mServer->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours, so a socket left by an instance that crashed belongs to nobody.
    QLocalServer::removeServer(serverName(lockPath));
    // Without the socket the program still runs; a later start then says that one is running.
    mServer->listen(serverName(lockPath));
    connect(mServer, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& lockPath)
{
    // A short name of its own for every lock file: a socket path has a small length limit, and a
    // Windows pipe name takes no folder.
    const QByteArray key = QFileInfo(lockPath).absoluteFilePath().toUtf8();
    return QStringLiteral("seiran-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

bool SingleInstance::askFirstToShow(int timeoutMs) const
{
    if (mFirst) return false;
    QLocalSocket socket;
    socket.connectToServer(serverName(mLockPath));
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
        answer += socket.readAll();
    }
    return answer == kShown;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = mServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Only the one request is understood; anything else is dropped unanswered.
            if (socket->bytesAvailable() < kShowRequest.size()) return;
            if (socket->read(kShowRequest.size()) != kShowRequest) {
                socket->disconnectFromServer();
                return;
            }
            emit showRequested();
            socket->write(kShown);
            socket->flush();
        });
    }
}

void BringWindowToFront(QWidget* window)
{
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace seiran
