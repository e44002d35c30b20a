#include "Backup.h"

#include "FileErrors.h"
#include "ListFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <filesystem>
#include <system_error>

namespace seiran {

namespace {

namespace fs = std::filesystem;

fs::path fsPath(const QString& path)
{
    return fs::path(path.toStdU16String());
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool taken(const QString& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(fsPath(path), ec));
}

// A name beside `target` that nothing uses, for the old file while the set is replaced.
QString freeUndoPath(const QString& target)
{
    QString candidate = target + QStringLiteral(".undo");
    for (int n = 2; taken(candidate); ++n)
        candidate = target + QStringLiteral(".undo") + QString::number(n);
    return candidate;
}

// Keeps the old target under `keep`: a second name for the same file where the file system
// allows it, a checked copy otherwise.
Result keepOldTarget(const QString& target, const QString& keep)
{
    std::error_code ec;
    fs::create_hard_link(fsPath(target), fsPath(keep), ec);
    if (!ec) return Result::success();
    QByteArray bytes;
    if (Result r = ReadWholeFile(target, bytes); !r) return r;
    return WriteWholeFile(keep, bytes);
}

struct Replaced
{
    QString target;
    QString keep; // empty when the target did not exist
};

// Puts back what `done` replaced, last first. Returns the files that could not be restored.
QStringList undoReplacements(const QList<Replaced>& done)
{
    QStringList failed;
    for (auto it = done.crbegin(); it != done.crend(); ++it) {
        std::error_code ec;
        if (it->keep.isEmpty())
            fs::remove(fsPath(it->target), ec);
        else
            fs::rename(fsPath(it->keep), fsPath(it->target), ec);
        if (ec) failed.append(it->keep.isEmpty() ? shown(it->target) : shown(it->keep));
    }
    return failed;
}

void removeKeeps(const QList<Replaced>& done)
{
    for (const Replaced& r : done) {
        std::error_code ec;
        if (!r.keep.isEmpty()) fs::remove(fsPath(r.keep), ec);
    }
}

} // namespace

QString FreeBackupPath(const QString& path)
{
    QString candidate = path + QStringLiteral(".bak");
    for (int n = 2; taken(candidate); ++n)
        candidate = path + QStringLiteral(".bak") + QString::number(n);
    return candidate;
}

Result KeepNumberedBackup(const QString& path, QString* backupPath)
{
    QByteArray bytes;
    if (Result r = ReadWholeFile(path, bytes); !r)
        return Result::failure(QStringLiteral("控えを作成できません。") + r.message);
    const QString backup = FreeBackupPath(path);
    if (Result r = WriteWholeFile(backup, bytes); !r)
        return Result::failure(QStringLiteral("%1 の控えを作成できません。").arg(shown(path)) + r.message);
    if (backupPath) *backupPath = backup;
    return Result::success();
}

void RemoveBackupsOfUnchangedFiles(const QStringList& originals, const QStringList& backups)
{
    for (qsizetype i = 0; i < backups.size() && i < originals.size(); ++i) {
        const QString& backup = backups.at(i);
        if (backup.isEmpty()) continue;
        QByteArray kept;
        QByteArray now;
        if (ReadWholeFile(backup, kept) && ReadWholeFile(originals.at(i), now) && kept == now) QFile::remove(backup);
    }
}

Result ReplaceFiles(const QList<FileReplacement>& files)
{
    QList<Replaced> done;
    const auto fail = [&done](const QString& message) {
        const QStringList stuck = undoReplacements(done);
        QString text = message;
        if (!stuck.isEmpty())
            text += QStringLiteral("\r\n次のファイルを元に戻せませんでした: ") + stuck.join(QStringLiteral(", "));
        else if (!done.isEmpty())
            text += QStringLiteral("\r\nすでに置き換えたファイルは元に戻しました。");
        return Result::failure(text);
    };
    for (const FileReplacement& f : files) {
        Replaced step{f.target, QString()};
        if (taken(f.target)) {
            step.keep = freeUndoPath(f.target);
            if (Result r = keepOldTarget(f.target, step.keep); !r) {
                std::error_code ec;
                fs::remove(fsPath(step.keep), ec);
                return fail(QStringLiteral("ファイル %1 を置き換えられません。").arg(shown(f.target)) + r.message);
            }
        }
        std::error_code ec;
        fs::rename(fsPath(f.source), fsPath(f.target), ec);
        if (ec) {
            std::error_code ignored;
            if (!step.keep.isEmpty()) fs::remove(fsPath(step.keep), ignored);
            return fail(QStringLiteral("ファイル %1 を置き換えられません。%2")
                            .arg(shown(f.target), FileErrorReason(ec.value(), FileAccess::Write)));
        }
        done.append(step);
    }
    removeKeeps(done);
    return Result::success();
}

} // namespace seiran
