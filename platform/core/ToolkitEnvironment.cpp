#include "ToolkitEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QtGlobal>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace seiran {

void PrepareToolkitEnvironment()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const uid_t uid = geteuid();
    const passwd* user = getpwuid(uid);
    const QString name = user && user->pw_name ? QFile::decodeName(user->pw_name) : QString::number(uid);
    const QString folder = QDir::tempPath() + QStringLiteral("/runtime-") + name;
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700); // an existing folder is checked below
    // Only a folder of our own that nobody else can enter will do; otherwise the toolkit decides.
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != uid ||
        (info.st_mode & 0777) != 0700)
        return;
    qputenv("XDG_RUNTIME_DIR", path);
#endif
}

} // namespace seiran
