#include "FileErrors.h"

#include <QFileDevice>
#include <QFileInfo>
#include <cerrno>

namespace seiran {

namespace {

enum class Cause { NoSpace, NoPermission, NotFound, IsFolder, DiskError, Other };

struct KnownError
{
    int number;
    Cause cause;
};

// The errors a teacher can act on. A file too large for the medium is a lack of space too.
const KnownError kKnown[] = {
    {ENOSPC, Cause::NoSpace},
#ifdef EDQUOT
    {EDQUOT, Cause::NoSpace},
#endif
    {EFBIG, Cause::NoSpace},      {EACCES, Cause::NoPermission}, {EPERM, Cause::NoPermission},
    {EROFS, Cause::NoPermission}, {ENOENT, Cause::NotFound},     {ENOTDIR, Cause::NotFound},
    {EISDIR, Cause::IsFolder},    {EIO, Cause::DiskError},
};

QString causeText(Cause cause, FileAccess access)
{
    switch (cause) {
    case Cause::NoSpace:
        return QStringLiteral("容量不足です");
    case Cause::NoPermission:
        return access == FileAccess::Write ? QStringLiteral("書き込み権限がありません")
                                           : QStringLiteral("読み取り権限がありません");
    case Cause::NotFound:
        return QStringLiteral("見つかりません");
    case Cause::IsFolder:
        return QStringLiteral("同じ名前のフォルダがあります");
    case Cause::DiskError:
        return QStringLiteral("ディスクの読み書きに失敗しました");
    case Cause::Other:
        break;
    }
    return access == FileAccess::Write ? QStringLiteral("書き込みに失敗しました")
                                       : QStringLiteral("読み込みに失敗しました");
}

QString withDetail(const QString& reason, const QString& detail)
{
    return detail.isEmpty() ? reason : reason + QStringLiteral("（") + detail + QStringLiteral("）");
}

} // namespace

QString FileErrorReason(int errorNumber, FileAccess access)
{
    for (const KnownError& known : kKnown) {
        if (known.number == errorNumber)
            return withDetail(causeText(known.cause, access), qt_error_string(errorNumber));
    }
    return withDetail(causeText(Cause::Other, access), errorNumber > 0 ? qt_error_string(errorNumber) : QString());
}

QString FileErrorReason(const QString& systemText, FileAccess access)
{
    // Qt and the standard library report a failure with the system's text of the error number;
    // comparing the texts finds the number again on every platform.
    const QString text = systemText.trimmed();
    for (const KnownError& known : kKnown) {
        if (text.compare(qt_error_string(known.number), Qt::CaseInsensitive) == 0)
            return withDetail(causeText(known.cause, access), text);
    }
    return withDetail(causeText(Cause::Other, access), text);
}

QString FileErrorReason(const QFileDevice& file, FileAccess access, int errorNumber)
{
    for (const KnownError& known : kKnown) {
        if (known.number == errorNumber) return FileErrorReason(errorNumber, access);
    }
    return FileErrorReason(file.errorString(), access);
}

QString NotRegularFileReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile()) return QString();
    if (info.isDir()) return QStringLiteral("フォルダです");
    return QStringLiteral("通常のファイルではありません");
}

} // namespace seiran
