#include "Backup.h"

#include "Crc32.h"
#include "FileErrors.h"
#include "GradeLock.h"
#include "ListFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>
#include <filesystem>
#include <system_error>
#include <unistd.h>

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

namespace {

int& replacePause()
{
    static int pause = qEnvironmentVariableIntValue("SEIRAN_TEST_WRITE_PAUSE_MS");
    return pause;
}

const QByteArray PlanMagic = "seiran-replace\t1\n";

bool syncedWrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool ok = file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    if (!ok) QFile::remove(path);
    return ok;
}

QString planField(const QString& path)
{
    return QString::fromUtf8(path.toUtf8().toPercentEncoding("/:\\ "));
}

} // namespace

void SetReplacePause(int ms)
{
    replacePause() = ms;
}

QString ReplacementPlanPath(const QString& target)
{
    const int grade = GradeOfGradeFile(target);
    const QString folder = QFileInfo(target).absolutePath();
    if (grade > 0) return GradeLockFolder(folder, grade) + QStringLiteral("replace.plan");
    return folder + QStringLiteral("/.seiran-replace.plan");
}

Result RecoverInterruptedReplacement(const QString& planPath, bool* undone)
{
    if (undone) *undone = false;
    QFile file(planPath);
    if (!file.open(QIODevice::ReadOnly)) return Result::success();
    const QByteArray bytes = file.readAll();
    file.close();
    const qsizetype crcAt = bytes.lastIndexOf("crc ");
    const bool complete = bytes.startsWith(PlanMagic) && crcAt > 0 && bytes.endsWith('\n') &&
                          Crc32Text(bytes.left(crcAt)).toLatin1() == bytes.mid(crcAt + 4, 8);
    if (!complete) {
        // Cut short while the plan was written: no file had been renamed yet.
        QFile::remove(planPath);
        return Result::success();
    }
    struct Step
    {
        QString source;
        QString target;
        QString keep;
    };
    QList<Step> steps;
    QStringList backups;
    for (const QByteArray& line : bytes.left(crcAt).split('\n')) {
        const QList<QByteArray> f = line.split('\t');
        const auto field = [&f](int i) { return QString::fromUtf8(QByteArray::fromPercentEncoding(f.value(i))); };
        if (f.value(0) == "file" && f.size() == 4) steps.append({field(1), field(2), field(3)});
        if (f.value(0) == "backup" && f.size() == 2) backups.append(field(1));
    }
    QStringList stuck;
    for (auto it = steps.crbegin(); it != steps.crend(); ++it) {
        std::error_code ec;
        if (!it->keep.isEmpty()) {
            // The old file under its kept name comes back (when it was never replaced, the kept
            // name is a second name of the same file).
            if (taken(it->keep)) {
                fs::rename(fsPath(it->keep), fsPath(it->target), ec);
                if (ec) stuck.append(shown(it->target));
            }
        } else if (!taken(it->source) && taken(it->target)) {
            // A file that did not exist before and was already renamed into place goes again.
            fs::remove(fsPath(it->target), ec);
            if (ec) stuck.append(shown(it->target));
        }
        std::error_code ignored;
        if (taken(it->source)) fs::remove(fsPath(it->source), ignored);
    }
    if (!stuck.isEmpty())
        return Result::failure(QStringLiteral("途中で終わったファイルの置き換えを元に戻せません: %1")
                                   .arg(stuck.join(QStringLiteral(", "))));
    for (const QString& backup : backups) {
        std::error_code ignored;
        fs::remove(fsPath(backup), ignored);
    }
    QFile::remove(planPath);
    if (undone) *undone = true;
    return Result::success();
}

void RecoverInterruptedReplacements(const QString& dataFolder, int grade)
{
    const QString folder = QDir(dataFolder).absolutePath();
    for (const QString& plan : {GradeLockFolder(folder, grade) + QStringLiteral("replace.plan"),
                                folder + QStringLiteral("/.seiran-replace.plan")}) {
        if (!QFileInfo::exists(plan)) continue;
        GradeGuard guard(folder, grade);
        if (!guard) {
            NoticeOfLock(guard.result().message);
            continue;
        }
        bool undone = false;
        const Result r = RecoverInterruptedReplacement(plan, &undone);
        if (!r)
            NoticeOfLock(r.message);
        else if (undone)
            NoticeOfLock(
                QStringLiteral("前回途中で終わったファイルの置き換えを元に戻しました（%1）。").arg(shown(folder)));
    }
}

Result ReplaceFiles(const QList<FileReplacement>& files, const QStringList& backups)
{
    QList<Replaced> done;
    QString planPath;
    QStringList keeps;
    if (files.size() > 1) {
        planPath = ReplacementPlanPath(files.first().target);
        if (Result r = RecoverInterruptedReplacement(planPath); !r) return r;
        QByteArray plan = PlanMagic;
        for (const FileReplacement& f : files) {
            // The kept names are chosen now so that the plan can name them.
            QString keep;
            if (taken(f.target)) {
                keep = freeUndoPath(f.target);
                for (int n = 2; keeps.contains(keep); ++n)
                    keep = f.target + QStringLiteral(".undo") + QString::number(n);
            }
            keeps.append(keep);
            plan += "file\t" + planField(f.source).toUtf8() + '\t' + planField(f.target).toUtf8() + '\t' +
                    planField(keep).toUtf8() + '\n';
        }
        for (const QString& b : backups)
            if (!b.isEmpty()) plan += "backup\t" + planField(b).toUtf8() + '\n';
        plan += "crc " + Crc32Text(plan).toLatin1() + '\n';
        QDir().mkpath(QFileInfo(planPath).absolutePath());
        if (!syncedWrite(planPath, plan))
            return Result::failure(
                QStringLiteral("置き換えの予定 %1 を書き込めません。ファイルはそのままです。").arg(shown(planPath)));
    }
    const auto endPlan = [&planPath] {
        if (!planPath.isEmpty()) QFile::remove(planPath);
    };
    const auto fail = [&done, &endPlan](const QString& message) {
        const QStringList stuck = undoReplacements(done);
        // A set that could not be put back keeps its plan, so the next use of the folder tries again.
        if (stuck.isEmpty()) endPlan();
        QString text = message;
        if (!stuck.isEmpty())
            text += QStringLiteral("\r\n次のファイルを元に戻せませんでした: ") + stuck.join(QStringLiteral(", "));
        else if (!done.isEmpty())
            text += QStringLiteral("\r\nすでに置き換えたファイルは元に戻しました。");
        return Result::failure(text);
    };
    for (qsizetype i = 0; i < files.size(); ++i) {
        const FileReplacement& f = files.at(i);
        Replaced step{f.target, QString()};
        if (replacePause() > 0) QThread::msleep(ulong(replacePause()));
        if (taken(f.target)) {
            step.keep = keeps.isEmpty() || keeps.at(i).isEmpty() ? freeUndoPath(f.target) : keeps.at(i);
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
    // The plan goes first: once it is gone the new set stands, and the kept old files are only leftovers.
    endPlan();
    removeKeeps(done);
    return Result::success();
}

} // namespace seiran
