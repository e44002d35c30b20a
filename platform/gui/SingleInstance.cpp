#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QWidget>
#include <algorithm>
#include <functional>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace seiran {

namespace {

const QByteArray kShowRequest = "show\n";
const QByteArray kShown = "shown\n";

#ifdef Q_OS_LINUX
// The address of a socket path; false when the path is too long for one.
bool socketAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || std::size_t(bytes.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, bytes.constData(), std::size_t(bytes.size()));
    return true;
}

// One later start talking to the first: it sends its request, is answered and hung up on.
class ShowConnection final : public QObject
{
public:
    ShowConnection(int socket, SingleInstance* instance, std::function<void()> onRequest)
        : QObject(instance), mSocket(socket), mNotifier(new QSocketNotifier(socket, QSocketNotifier::Read, this)),
          mOnRequest(std::move(onRequest))
    {
        connect(mNotifier, &QSocketNotifier::activated, this, &ShowConnection::onReadable);
    }
    ~ShowConnection() override { hangUp(); }

private:
    void onReadable()
    {
        char buffer[64];
        const ssize_t got = ::read(mSocket, buffer, sizeof buffer);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (got <= 0) return finish();
        mReceived.append(buffer, got);
        if (mReceived.size() < kShowRequest.size()) return;
        // Only the one request is understood; anything else is dropped unanswered.
        if (mReceived.left(kShowRequest.size()) == kShowRequest) {
            mOnRequest();
            (void)::send(mSocket, kShown.constData(), std::size_t(kShown.size()), MSG_NOSIGNAL);
        }
        finish();
    }
    void finish()
    {
        hangUp();
        deleteLater();
    }
    void hangUp()
    {
        if (mSocket < 0) return;
        mNotifier->setEnabled(false);
        ::close(mSocket);
        mSocket = -1;
    }

    int mSocket;
    QSocketNotifier* mNotifier;
    std::function<void()> mOnRequest;
    QByteArray mReceived;
};
#endif

} // namespace

SingleInstance::SingleInstance(const QString& lockPath, QObject* parent)
    : QObject(parent), mLock(std::make_unique<QLockFile>(lockPath)), mSocketPath(socketPath(lockPath)),
      mLockPath(lockPath)
{
    // A running instance keeps its lock however long it runs.
    mLock->setStaleLockTime(0);
    mFirst = mLock->tryLock(0) || mLock->error() != QLockFile::LockFailedError;
    // Without the socket the program still runs; a later start then says that one is running.
    if (mFirst) listen();
}

SingleInstance::~SingleInstance()
{
    closeServer();
}

QString SingleInstance::serverName(const QString& lockPath)
{
    // A short name of its own for every lock file: a socket path has a small length limit.
    const QByteArray key = QFileInfo(lockPath).absoluteFilePath().toUtf8();
    return QStringLiteral("seiran-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

QString SingleInstance::socketPath(const QString& lockPath)
{
    return QDir(QDir::tempPath()).filePath(serverName(lockPath));
}

void SingleInstance::listen()
{
#ifdef Q_OS_LINUX
    sockaddr_un address;
    if (!socketAddress(mSocketPath, address)) return;
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server < 0) return;
    // The lock is ours, so a socket left by an instance that crashed belongs to nobody.
    ::unlink(address.sun_path);
    if (::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, S_IRWXU) != 0 || ::listen(server, 8) != 0) {
        ::close(server);
        return;
    }
    mServerSocket = server;
    mServerNotifier = new QSocketNotifier(server, QSocketNotifier::Read, this);
    connect(mServerNotifier, &QSocketNotifier::activated, this, &SingleInstance::onNewConnection);
#endif
}

void SingleInstance::closeServer()
{
#ifdef Q_OS_LINUX
    if (mServerSocket < 0) return;
    delete mServerNotifier;
    mServerNotifier = nullptr;
    ::close(mServerSocket);
    mServerSocket = -1;
    ::unlink(QFile::encodeName(mSocketPath).constData());
#endif
}

bool SingleInstance::askFirstToShow(int timeoutMs) const
{
    if (mFirst) return false;
#ifdef Q_OS_LINUX
    sockaddr_un address;
    if (!socketAddress(mSocketPath, address)) return false;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0) return false;
    const QDeadlineTimer deadline(timeoutMs);
    // Waits until the socket is ready for `events`; false at the deadline or on an error.
    const auto wait = [&](short events) {
        for (;;) {
            pollfd entry{socket, events, 0};
            const int ready = ::poll(&entry, 1, int(std::max<qint64>(0, deadline.remainingTime())));
            if (ready > 0) return (entry.revents & events) != 0;
            if (ready == 0 || errno != EINTR) return false;
        }
    };
    bool answered = false;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        (errno == EINPROGRESS || errno == EAGAIN)) {
        QByteArray request = kShowRequest;
        while (!request.isEmpty() && wait(POLLOUT)) {
            const ssize_t sent = ::send(socket, request.constData(), std::size_t(request.size()), MSG_NOSIGNAL);
            if (sent < 0 && errno != EAGAIN && errno != EINTR) break;
            if (sent > 0) request.remove(0, sent);
        }
        QByteArray answer;
        while (request.isEmpty() && !answer.contains('\n') && wait(POLLIN)) {
            char buffer[64];
            const ssize_t got = ::read(socket, buffer, sizeof buffer);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) break;
            if (got > 0) answer.append(buffer, got);
        }
        answered = answer == kShown;
    }
    ::close(socket);
    return answered;
#else
    Q_UNUSED(timeoutMs);
    return false;
#endif
}

void SingleInstance::onNewConnection()
{
#ifdef Q_OS_LINUX
    for (;;) {
        const int client = ::accept4(mServerSocket, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) return;
        new ShowConnection(client, this, [this] { emit showRequested(); });
    }
#endif
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
