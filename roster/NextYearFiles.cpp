#include "Backup.h"
#include "GradeLock.h"
#include "ListFiles.h"
#include "PromotionTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace seiran {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

const QString kNotCreated = QStringLiteral("\r\n新学年のファイルは作成しませんでした。");

// A temporary name beside `path` that nothing uses.
QString freeTemporaryPath(const QString& path)
{
    QString candidate = path + QStringLiteral(".tmp");
    for (int n = 2; QFileInfo(candidate).exists() || QFileInfo(candidate).isSymLink(); ++n)
        candidate = path + QStringLiteral(".tmp") + QString::number(n);
    return candidate;
}

} // namespace

Result CheckNextYearFiles(const QList<NextYearFile>& files)
{
    for (const NextYearFile& f : files) {
        const QFileInfo info(f.path);
        const QFileInfo folder(info.absolutePath());
        if (folder.exists() && !folder.isDir())
            return Result::failure(QStringLiteral("%1 はフォルダではありません。").arg(shown(folder.filePath())) +
                                   kNotCreated);
        if (info.exists() && !info.isFile())
            return Result::failure(
                QStringLiteral("%1 はふつうのファイルではないため、置き換えられません。").arg(shown(f.path)) +
                kNotCreated);
    }
    return Result::success();
}

Result WriteNextYearFiles(const QList<NextYearFile>& files, const std::function<void()>& beforeReplace,
                          QStringList* keptBackups)
{
    if (files.isEmpty()) return Result::success();
    if (Result r = CheckNextYearFiles(files); !r) return r;
    const QString folder = QFileInfo(files.first().path).absolutePath();
    // The folders made here go again when the command gives up, deepest first, so a failed
    // creation leaves the disk as it found it.
    QStringList madeFolders;
    for (QString f = folder; !QFileInfo::exists(f) && !QFileInfo(f).isSymLink();) {
        madeFolders.append(f);
        const QString parent = QFileInfo(f).absolutePath();
        if (parent == f) break;
        f = parent;
    }
    auto removeMadeFolders = [&madeFolders] {
        for (const QString& f : std::as_const(madeFolders))
            QDir().rmdir(f);
    };
    if (!QDir().mkpath(folder)) {
        removeMadeFolders();
        return Result::failure(QStringLiteral("フォルダ %1 を作成できません。").arg(shown(folder)) + kNotCreated);
    }

    QStringList backups;
    QStringList temporaries;
    QList<FileReplacement> replacements;
    auto undo = [&](const QString& message) {
        for (const QString& t : temporaries)
            QFile::remove(t);
        // A backup goes only when the file it keeps is back as it was.
        QStringList originals;
        for (const NextYearFile& f : files)
            originals.append(f.path);
        RemoveBackupsOfUnchangedFiles(originals, backups);
        removeMadeFolders();
        return Result::failure(message + kNotCreated);
    };

    for (const NextYearFile& f : files) {
        QString backup;
        if (QFileInfo::exists(f.path)) {
            if (Result r = KeepNumberedBackup(f.path, &backup); !r) return undo(r.message);
        }
        backups.append(backup);
    }
    for (const NextYearFile& f : files) {
        const QString temporary = freeTemporaryPath(f.path);
        temporaries.append(temporary);
        if (Result r = WriteWholeFile(temporary, f.bytes, f.path); !r) return undo(r.message);
        replacements.append({temporary, f.path});
    }
    QList<int> grades;
    for (const NextYearFile& f : files)
        if (const int grade = GradeOfGradeFile(f.path)) grades.append(grade);
    AddressingWrite write(folder, grades, QStringLiteral("next-year"));
    if (!write) return undo(write.result().message);
    if (beforeReplace) beforeReplace();
    if (Result r = ReplaceFiles(replacements, backups); !r) return undo(r.message);
    if (keptBackups) {
        keptBackups->clear();
        for (const QString& backup : std::as_const(backups))
            if (!backup.isEmpty()) keptBackups->append(backup);
    }
    return Result::success();
}

} // namespace seiran
