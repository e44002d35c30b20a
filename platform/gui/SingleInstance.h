#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLockFile;
class QSocketNotifier;
class QWidget;

namespace seiran {

// One running instance of the program per user. The first start holds a lock file and listens on
// a local socket named after it; a later start finds the lock taken and asks the first, through
// that socket, to bring its window to the front, so that a teacher who starts the program twice
// sees the window already open. The socket is a plain Unix socket in the temporary folder (where
// earlier versions had theirs, so that they understand each other): the program need not load a
// network library at every start for it. Elsewhere than on Linux there is no socket, and a later
// start only says that the program runs.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // Takes the lock at `lockPath`. A lock that cannot be made there at all (no such folder, no
    // permission) counts as the first instance: the program runs rather than refuse to start.
    explicit SingleInstance(const QString& lockPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Whether this is the first instance (it then listens for later starts).
    bool isFirst() const { return mFirst; }
    // For a later instance: asks the first one to show its window and waits up to `timeoutMs` for
    // its answer. False when it does not answer (it hangs, or runs a version without the socket).
    bool askFirstToShow(int timeoutMs = 3000) const;

    // The local socket's name for a lock file, and the socket's path.
    static QString serverName(const QString& lockPath);
    static QString socketPath(const QString& lockPath);

signals:
    // A later start asked for the window.
    void showRequested();

private:
    void onNewConnection();

    void listen();
    void closeServer();

    std::unique_ptr<QLockFile> mLock;
    int mServerSocket = -1;
    QSocketNotifier* mServerNotifier = nullptr;
    QString mSocketPath;
    QString mLockPath;
    bool mFirst = false;
};

// Shows `window` in front of the others: restored when minimised, raised and activated.
void BringWindowToFront(QWidget* window);

} // namespace seiran
