// Dated snapshots of a grade: what they hold, when they are taken, how many are kept, and restores
// that can themselves be undone.
#include "GradeLock.h"
#include "ListFiles.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "Snapshots.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QtTest>

using namespace seiran;
using namespace seiran::test;

namespace {

QMap<QString, QByteArray> gradeState(const QString& folder)
{
    // The data folder's own files (the lock folder below it is not the grade's state).
    return FolderFiles(folder, false);
}

struct ClockScope
{
    explicit ClockScope(const QDateTime& t) { SetSnapshotClock(t); }
    ~ClockScope() { SetSnapshotClock({}); }
};

} // namespace

class SnapshotsTest : public QObject
{
    Q_OBJECT
private slots:
    void snapshotHoldsTheFilesWithTheirHashes();
    void dailyOncePerDayAndBeforeTheWrite();
    void pruningKeepsTheNewestAndDropsPartials();
    void failedSnapshotRefusesTheDestructiveWrite();
    void restoreIsCheckedAndCanBeUndone();
};

void SnapshotsTest::snapshotHoldsTheFilesWithTheirHashes()
{
    QTemporaryDir dir;
    const QString data = dir.path() + u'/';
    QString name;
    QVERIFY(TakeSnapshot(data, 2, QStringLiteral("manual"), &name).ok);
    QVERIFY(name.isEmpty()); // an empty folder has nothing to keep
    QVERIFY(WriteSample(dir.path(), 2, 2, 20).ok);
    ClockScope clock(QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)));
    QVERIFY(TakeSnapshot(data, 2, QStringLiteral("manual"), &name).ok);
    QCOMPARE(name, QStringLiteral("20261207-140509-manual"));
    const QString folder = SnapshotFolder(data, 2) + name + u'/';
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    QVERIFY(files.contains(QStringLiteral("dtfile02.rnd")));
    QVERIFY(files.contains(QStringLiteral("test02.seq")));
    QVERIFY(files.contains(QStringLiteral("manifest.txt")));
    QCOMPARE(ReadFileBytes(folder + QStringLiteral("dtfile02.rnd")),
             ReadFileBytes(data + QStringLiteral("dtfile02.rnd")));
    const QString manifest = QString::fromUtf8(ReadFileBytes(folder + QStringLiteral("manifest.txt")));
    const QByteArray roster = ReadFileBytes(data + QStringLiteral("dtfile02.rnd"));
    QVERIFY(manifest.startsWith(QStringLiteral("seiran-snapshot\t1\nreason\tmanual\n")));
    QVERIFY(manifest.contains(
        QStringLiteral("file\tdtfile02.rnd\t%1\t%2\n")
            .arg(roster.size())
            .arg(QString::fromLatin1(QCryptographicHash::hash(roster, QCryptographicHash::Sha256).toHex()))));
    // A second one in the same second gets a name of its own.
    QString second;
    QVERIFY(TakeSnapshot(data, 2, QStringLiteral("manual"), &second).ok);
    QCOMPARE(second, QStringLiteral("20261207-140509-manual-2"));
    QList<SnapshotInfo> list;
    QVERIFY(ListSnapshots(data, 2, list).ok);
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[0].reason, QStringLiteral("manual"));
    QCOMPARE(list[0].reasonText(), QStringLiteral("手動"));
}

void SnapshotsTest::dailyOncePerDayAndBeforeTheWrite()
{
    QTemporaryDir dir;
    QVERIFY(WriteSample(dir.path(), 1, 2, 20).ok);
    const QString data = dir.path() + u'/';
    const QByteArray before = ReadFileBytes(data + QStringLiteral("dtfile01.rnd"));
    GradeData gd;
    gd.dataFolder = data;
    gd.currentGrade = 1;
    QVERIFY(LoadTestList(gd).ok);
    QVERIFY(LoadSubjectList(gd).ok);
    const auto dailies = [&] {
        QList<SnapshotInfo> list;
        ListSnapshots(data, 1, list);
        QStringList names;
        for (const SnapshotInfo& s : list)
            if (s.reason == QLatin1String("daily")) names << s.name;
        return names;
    };
    const int already = int(dailies().size());
    {
        ClockScope clock(QDateTime(QDate(2026, 12, 8), QTime(8, 0)));
        QVERIFY(LoadNaishin(gd, NullProgress::instance()).ok);
        gd.naishin(1, 1) = gd.naishin(1, 1) == 3 ? 4 : 3;
        QVERIFY(SaveNaishin(gd, NullProgress::instance()).ok);
        QCOMPARE(dailies().size(), already + 1);
        // The daily snapshot holds the roster as it was before the day's first write.
        QCOMPARE(ReadFileBytes(SnapshotFolder(data, 1) + dailies().first() + QStringLiteral("/dtfile01.rnd")), before);
        gd.naishin(1, 2) = gd.naishin(1, 2) == 3 ? 4 : 3;
        QVERIFY(SaveNaishin(gd, NullProgress::instance()).ok);
        QCOMPARE(dailies().size(), already + 1); // once a day
    }
    ClockScope nextDay(QDateTime(QDate(2026, 12, 9), QTime(7, 59)));
    gd.naishin(1, 3) = gd.naishin(1, 3) == 3 ? 4 : 3;
    QVERIFY(SaveNaishin(gd, NullProgress::instance()).ok);
    QCOMPARE(dailies().size(), already + 2);
}

void SnapshotsTest::pruningKeepsTheNewestAndDropsPartials()
{
    QTemporaryDir dir;
    QVERIFY(WriteSample(dir.path(), 3, 1, 10).ok);
    const QString data = dir.path() + u'/';
    QDateTime t(QDate(2026, 1, 1), QTime(9, 0));
    for (int i = 0; i < 14; ++i) {
        ClockScope clock(t.addDays(i));
        QVERIFY(TakeSnapshot(data, 3, QStringLiteral("daily")).ok);
    }
    for (int i = 0; i < 23; ++i) {
        ClockScope clock(t.addSecs(i));
        QVERIFY(TakeSnapshot(data, 3, i % 2 ? QStringLiteral("roster") : QStringLiteral("tests")).ok);
    }
    QDir().mkpath(SnapshotFolder(data, 3) + QStringLiteral(".partial-dead"));
    {
        ClockScope clock(t.addDays(20));
        QVERIFY(TakeSnapshot(data, 3, QStringLiteral("manual")).ok);
    }
    QList<SnapshotInfo> list;
    QVERIFY(ListSnapshots(data, 3, list).ok);
    int daily = 0;
    int others = 0;
    for (const SnapshotInfo& s : list)
        ++(s.reason == QLatin1String("daily") ? daily : others);
    QCOMPARE(daily, SnapshotKeep::Daily);
    QCOMPARE(others, SnapshotKeep::Others);
    QVERIFY2(list.first().reason == QLatin1String("manual"),
             qPrintable(list.first().name + u' ' + list.last().name));       // newest first
    QVERIFY(!list.last().name.startsWith(QLatin1String("20260101-090000"))); // the oldest went
    QVERIFY(!QFileInfo::exists(SnapshotFolder(data, 3) + QStringLiteral(".partial-dead")));
}

void SnapshotsTest::failedSnapshotRefusesTheDestructiveWrite()
{
    QTemporaryDir dir;
    QVERIFY(WriteSample(dir.path(), 1, 2, 20).ok);
    const QString data = dir.path() + u'/';
    GradeData gd;
    gd.dataFolder = data;
    gd.currentGrade = 1;
    QVERIFY(LoadTestList(gd).ok);
    // The snapshot folder cannot be made (a file is in its way, as a full or read-only share would).
    QDir(SnapshotFolder(data, 1)).removeRecursively();
    WriteFileBytes(GradeLockFolder(data, 1) + QStringLiteral("snapshots"), "in the way");
    const QByteArray testList = ReadFileBytes(TestListPath(gd));
    gd.testNames[1] = QStringLiteral("変更");
    const Result r = SaveTestList(gd);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("スナップショット")), qPrintable(r.message));
    QCOMPARE(ReadFileBytes(TestListPath(gd)), testList);

    // A daily one that fails only warns: the save goes on.
    RecordingNotice notice;
    SetLockNotice(&notice);
    QVERIFY(LoadSubjectList(gd).ok);
    QVERIFY(LoadNaishin(gd, NullProgress::instance()).ok);
    gd.naishin(1, 1) = gd.naishin(1, 1) == 3 ? 4 : 3;
    QVERIFY(SaveNaishin(gd, NullProgress::instance()).ok);
    SetLockNotice(nullptr);
    QCOMPARE(notice.texts.size(), 1);
    QVERIFY(notice.texts[0].contains(QStringLiteral("保存は続けます")));
}

void SnapshotsTest::restoreIsCheckedAndCanBeUndone()
{
    QTemporaryDir dir;
    QVERIFY(WriteSample(dir.path(), 2, 2, 20).ok);
    const QString data = dir.path() + u'/';
    QString kept;
    {
        ClockScope clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
        QVERIFY(TakeSnapshot(data, 2, QStringLiteral("manual"), &kept).ok);
    }
    const QMap<QString, QByteArray> original = gradeState(data);
    // The grade changes afterwards (a roster and a list).
    WriteFileBytes(data + QStringLiteral("test02.seq"), "1\r\n\"x\",\"x\",1\r\n");
    QByteArray roster = ReadFileBytes(data + QStringLiteral("dtfile02.rnd"));
    roster[100] = 'Z';
    WriteFileBytes(data + QStringLiteral("dtfile02.rnd"), roster);
    const QMap<QString, QByteArray> changed = gradeState(data);
    const qint64 generation = ReadGradeGeneration(data, 2);

    QString undo;
    {
        ClockScope clock(QDateTime(QDate(2026, 12, 7), QTime(11, 0)));
        QVERIFY(RestoreSnapshot(data, 2, kept, false, &undo).ok);
    }
    QCOMPARE(gradeState(data), original);
    QVERIFY(ReadGradeGeneration(data, 2) > generation);
    QCOMPARE(undo, QStringLiteral("20261207-110000-restore"));
    // The restore itself is undone from the snapshot it took.
    {
        ClockScope clock(QDateTime(QDate(2026, 12, 7), QTime(11, 1)));
        QVERIFY(RestoreSnapshot(data, 2, undo, false).ok);
    }
    QCOMPARE(gradeState(data), changed);

    // A damaged snapshot is refused and changes nothing; so are names that are not snapshots.
    QByteArray copy = ReadFileBytes(SnapshotFolder(data, 2) + kept + QStringLiteral("/dtfile02.rnd"));
    copy[10] = char(copy[10] ^ 1);
    WriteFileBytes(SnapshotFolder(data, 2) + kept + QStringLiteral("/dtfile02.rnd"), copy);
    const Result damaged = RestoreSnapshot(data, 2, kept, false);
    QVERIFY(!damaged.ok);
    QVERIFY(damaged.message.contains(QStringLiteral("壊れています")));
    QCOMPARE(gradeState(data), changed);
    QVERIFY(!RestoreSnapshot(data, 2, QStringLiteral("../seiran02"), false).ok);
    QVERIFY(!RestoreSnapshot(data, 2, QStringLiteral("none"), false).ok);
}

QTEST_GUILESS_MAIN(SnapshotsTest)
#include "tst_snapshots.moc"
