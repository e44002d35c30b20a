#include "HostIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace seiran {

HostIdentity CurrentHostIdentity()
{
    // Read once: none of them changes while the process runs.
    static const HostIdentity id = [] {
        HostIdentity h;
        h.host = QSysInfo::machineHostName();
        h.machineId = QString::fromLatin1(QSysInfo::machineUniqueId()).trimmed();
        h.bootId = QString::fromLatin1(QSysInfo::bootUniqueId()).trimmed();
        h.pid = QCoreApplication::applicationPid();
        return h;
    }();
    return id;
}

bool SeiranProcessRuns(qint64 pid)
{
    if (pid <= 0) return false;
    if (pid == QCoreApplication::applicationPid()) return true;
    // A process of another user cannot be signalled but still exists (EPERM).
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM) return false;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    QFile comm(proc + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly)) {
        // No /proc (another system): the process exists, which is all that can be told.
        return !QFileInfo::exists(QStringLiteral("/proc/self"));
    }
    const QString name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    if (name.startsWith(QLatin1String("seiran"))) return true;
    // The executable of another user's process cannot be read; only the name tells then.
    const QString exe = QFileInfo(proc + QStringLiteral("/exe")).symLinkTarget();
    if (exe.isEmpty()) return false;
    const QString own = QCoreApplication::applicationDirPath();
    return !own.isEmpty() && QFileInfo(exe).absolutePath() == QDir(own).absolutePath();
}

QString LoginUserName()
{
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString name = qEnvironmentVariable(variable).trimmed();
        if (!name.isEmpty()) return name;
    }
    return QString();
}

} // namespace seiran
