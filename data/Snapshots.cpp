#include "Snapshots.h"

#include "Backup.h"
#include "GradeLock.h"
#include "HostIdentity.h"
#include "ListFiles.h"
#include "RosterFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

namespace seiran {

namespace {

QDateTime& clockOverride()
{
    static QDateTime t;
    return t;
}

QDateTime localNow()
{
    return clockOverride().isValid() ? clockOverride() : QDateTime::currentDateTime();
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString nn(int grade)
{
    return QString::number(grade + 1000).right(2);
}

// The files a snapshot keeps, as they are named in the data folder now (existing ones only).
QStringList gradeFilesNow(const QString& folder, int grade, bool highSchools)
{
    QStringList names{QStringLiteral("dtfile%1.rnd").arg(nn(grade)), QStringLiteral("kyoka%1.seq").arg(nn(grade)),
                      QStringLiteral("test%1.seq").arg(nn(grade)), QStringLiteral("tannin%1.seq").arg(nn(grade))};
    if (highSchools) names << QStringLiteral("hischool.txt") << QStringLiteral("hischool.seq");
    QStringList found;
    for (const QString& name : names) {
        const QString path = PathIgnoringCase(folder, name);
        if (QFileInfo(path).isFile()) found.append(QFileInfo(path).fileName());
    }
    return found;
}

bool isHighSchoolFile(const QString& name)
{
    return name.startsWith(QLatin1String("hischool."), Qt::CaseInsensitive);
}

QString randomTag()
{
    return QString::number(QRandomGenerator::global()->generate64(), 16);
}

QByteArray manifestBytes(const SnapshotInfo& s)
{
    QString text = QStringLiteral("seiran-snapshot\t1\n");
    text += QStringLiteral("reason\t%1\nuser\t%2\nhost\t%3\ntime\t%4\n")
                .arg(s.reason, s.user, s.host, LockTimeText(s.time));
    for (const SnapshotFile& f : s.files)
        text += QStringLiteral("file\t%1\t%2\t%3\n").arg(f.name).arg(f.size).arg(QString::fromLatin1(f.sha256));
    return text.toUtf8();
}

bool parseManifest(const QByteArray& bytes, SnapshotInfo& s)
{
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
    if (lines.value(0) != QLatin1String("seiran-snapshot\t1")) return false;
    for (const QString& line : lines.mid(1)) {
        const QStringList f = line.split(u'\t');
        const QString key = f.value(0);
        if (key == QLatin1String("reason"))
            s.reason = f.value(1);
        else if (key == QLatin1String("user"))
            s.user = f.value(1);
        else if (key == QLatin1String("host"))
            s.host = f.value(1);
        else if (key == QLatin1String("time"))
            s.time = ParseLockTime(f.value(1));
        else if (key == QLatin1String("file") && f.size() == 4) {
            bool ok = false;
            SnapshotFile file{f.at(1), f.at(2).toLongLong(&ok), f.at(3).toLatin1()};
            // A name is a plain file name of the data folder, never a path.
            if (!ok || file.name.isEmpty() || file.name.contains(u'/') || file.name.contains(u'\\') ||
                file.name.startsWith(u'.'))
                return false;
            s.files.append(file);
        }
    }
    return !s.reason.isEmpty() && s.time.isValid();
}

QByteArray sha256Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

Result writePlain(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        return Result::failure(QStringLiteral("ファイル %1 を書き込めません。").arg(shown(path)));
    return Result::success();
}

// Removes the ".partial-" folders left by an interrupted snapshot and the oldest complete ones
// beyond what is kept. Runs under the guard, when no snapshot is being built.
void prune(const QString& folder)
{
    QDir dir(folder);
    for (const QString& partial : dir.entryList({QStringLiteral(".partial-*")}, QDir::Dirs | QDir::Hidden))
        QDir(folder + partial).removeRecursively();
    QStringList daily;
    QStringList others;
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (name.startsWith(u'.')) continue;
        (name.endsWith(QLatin1String("-daily")) ? daily : others).append(name);
    }
    // The names begin with the date and time: the name order is the time order.
    const auto dropOldest = [&folder](QStringList& names, int keep) {
        while (names.size() > keep)
            QDir(folder + names.takeFirst()).removeRecursively();
    };
    dropOldest(daily, SnapshotKeep::Daily);
    dropOldest(others, SnapshotKeep::Others);
}

} // namespace

void SetSnapshotClock(const QDateTime& localNow)
{
    clockOverride() = localNow;
}

QString SnapshotInfo::reasonText() const
{
    static const QList<QPair<QString, QString>> texts{
        {QStringLiteral("daily"), QStringLiteral("毎日")},
        {QStringLiteral("new-roster"), QStringLiteral("新しい名簿の作成")},
        {QStringLiteral("roster"), QStringLiteral("名簿の修正")},
        {QStringLiteral("promotion"), QStringLiteral("進級処理")},
        {QStringLiteral("next-year"), QStringLiteral("新学年の作成")},
        {QStringLiteral("subjects"), QStringLiteral("教科の変更")},
        {QStringLiteral("tests"), QStringLiteral("テストの変更")},
        {QStringLiteral("high-schools"), QStringLiteral("高校名の変更")},
        {QStringLiteral("restore"), QStringLiteral("戻す前の状態")},
        {QStringLiteral("manual"), QStringLiteral("手動")},
    };
    for (const auto& [key, text] : texts)
        if (key == reason) return text;
    return reason;
}

QString SnapshotFolder(const QString& dataFolder, int grade)
{
    return GradeLockFolder(dataFolder, grade) + QStringLiteral("snapshots/");
}

Result TakeSnapshot(const QString& dataFolder, int grade, const QString& reason, QString* name)
{
    if (name) name->clear();
    const QString folder = QDir(dataFolder).absolutePath() + u'/';
    const QStringList files = gradeFilesNow(folder, grade, true);
    if (std::none_of(files.begin(), files.end(), [](const QString& f) { return !isHighSchoolFile(f); }))
        return Result::success();
    GradeGuard guard(folder, grade);
    if (!guard) return guard.result();
    const QString root = SnapshotFolder(folder, grade);
    const auto fail = [&](const QString& partial, const QString& why) {
        if (!partial.isEmpty()) QDir(partial).removeRecursively();
        return Result::failure(QStringLiteral("スナップショット（%1）を作成できません。%2").arg(reason, why));
    };
    if (!QDir().mkpath(root)) return fail(QString(), QStringLiteral("フォルダ %1 を作成できません。").arg(shown(root)));
    prune(root);

    SnapshotInfo info;
    info.reason = reason;
    info.user = LockUserName();
    info.host = CurrentHostIdentity().host;
    info.time = localNow().toUTC();
    const QString partial = root + QStringLiteral(".partial-") + randomTag() + u'/';
    if (!QDir().mkpath(partial))
        return fail(QString(), QStringLiteral("フォルダ %1 を作成できません。").arg(shown(partial)));
    for (const QString& file : files) {
        QByteArray bytes;
        if (Result r = ReadWholeFile(folder + file, bytes); !r) return fail(partial, r.message);
        if (Result r = writePlain(partial + file, bytes); !r) return fail(partial, r.message);
        info.files.append({file, bytes.size(), sha256Hex(bytes)});
    }
    if (Result r = writePlain(partial + QStringLiteral("manifest.txt"), manifestBytes(info)); !r)
        return fail(partial, r.message);
    QString base = localNow().toString(QStringLiteral("yyyyMMdd-HHmmss")) + u'-' + reason;
    QString final = base;
    for (int n = 2; QFileInfo::exists(root + final); ++n)
        final = base + u'-' + QString::number(n);
    if (!QDir().rename(partial, root + final))
        return fail(partial, QStringLiteral("フォルダ %1 の名前を変えられません。").arg(shown(partial)));
    prune(root);
    if (name) *name = final;
    return Result::success();
}

void TakeDailySnapshotIfDue(const QString& dataFolder, int grade)
{
    const QString folder = QDir(dataFolder).absolutePath() + u'/';
    if (gradeFilesNow(folder, grade, false).isEmpty()) return;
    GradeGuard guard(folder, grade);
    if (!guard) return; // the write that follows reports it
    const QString record = GradeLockFolder(folder, grade) + QStringLiteral("last-daily");
    const QByteArray today = localNow().date().toString(Qt::ISODate).toLatin1();
    QByteArray last;
    QFile file(record);
    if (file.open(QIODevice::ReadOnly)) last = file.readAll().trimmed();
    file.close();
    if (last == today) return;
    if (Result r = TakeSnapshot(folder, grade, QStringLiteral("daily")); !r) {
        NoticeOfLock(r.message + QStringLiteral("\r\n保存は続けます。"));
        return;
    }
    if (!writePlain(record, today + '\n'))
        NoticeOfLock(QStringLiteral("ファイル %1 を書き込めません。").arg(shown(record)));
}

Result ListSnapshots(const QString& dataFolder, int grade, QList<SnapshotInfo>& snapshots)
{
    snapshots.clear();
    const QString root = SnapshotFolder(dataFolder, grade);
    const QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
    for (const QString& name : names) {
        if (name.startsWith(u'.')) continue;
        QByteArray bytes;
        QFile manifest(root + name + QStringLiteral("/manifest.txt"));
        if (!manifest.open(QIODevice::ReadOnly)) continue;
        SnapshotInfo info;
        if (!parseManifest(manifest.readAll(), info)) continue;
        info.name = name;
        snapshots.append(info);
    }
    return Result::success();
}

Result RestoreSnapshot(const QString& dataFolder, int grade, const QString& name, bool highSchools,
                       QString* restoreName)
{
    const QString folder = QDir(dataFolder).absolutePath() + u'/';
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name.startsWith(u'.'))
        return Result::failure(QStringLiteral("スナップショット「%1」はありません。").arg(name));
    const QString source = SnapshotFolder(folder, grade) + name + u'/';
    QFile manifestFile(source + QStringLiteral("manifest.txt"));
    if (!manifestFile.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("スナップショット「%1」はありません。").arg(name));
    SnapshotInfo info;
    if (!parseManifest(manifestFile.readAll(), info))
        return Result::failure(QStringLiteral("スナップショット「%1」の manifest.txt が読めません。").arg(name));
    manifestFile.close();

    // Every file is checked against the manifest before anything changes.
    QList<QPair<QString, QByteArray>> contents;
    for (const SnapshotFile& f : info.files) {
        if (isHighSchoolFile(f.name) && !highSchools) continue;
        QByteArray bytes;
        if (Result r = ReadWholeFile(source + f.name, bytes); !r) return r;
        if (bytes.size() != f.size || sha256Hex(bytes) != f.sha256)
            return Result::failure(
                QStringLiteral("スナップショット「%1」のファイル %2 が壊れています（大きさかハッシュが"
                               "記録と違います）。何も戻していません。")
                    .arg(name, f.name));
        contents.append({f.name, bytes});
    }
    if (contents.isEmpty())
        return Result::failure(QStringLiteral("スナップショット「%1」に戻すファイルがありません。").arg(name));

    AddressingWrite write(folder, grade);
    if (!write) return write.result();
    QString replaced;
    if (Result r = TakeSnapshot(folder, grade, QStringLiteral("restore"), &replaced); !r) return r;
    if (restoreName) *restoreName = replaced;
    QList<FileReplacement> replacements;
    QStringList temporaries;
    const QString tag = randomTag();
    for (const auto& [file, bytes] : contents) {
        // The file keeps the name it has in the folder now (the high-school files' case varies).
        const QString target = PathIgnoringCase(folder, file);
        const QString temporary = folder + file + QStringLiteral(".restore-") + tag;
        if (Result r = WriteWholeFile(temporary, bytes, target); !r) {
            for (const QString& t : temporaries)
                QFile::remove(t);
            return r;
        }
        temporaries.append(temporary);
        replacements.append({temporary, target});
    }
    if (Result r = ReplaceFiles(replacements); !r) {
        for (const QString& t : temporaries)
            QFile::remove(t);
        return r;
    }
    return Result::success();
}

} // namespace seiran
