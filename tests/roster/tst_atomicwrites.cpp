// Saves are all or nothing on disk: a write error at any record, or a writer killed at any point
// of a roster save or of next year's files, leaves the old state or the new one, never a mix.
#include "Backup.h"
#include "Crc32.h"
#include "GradeLock.h"
#include "ListFiles.h"
#include "Progress.h"
#include "RosterFile.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <cerrno>
#include <cstring>

using namespace seiran;
using namespace seiran::test;

namespace {

QString command(const QString& name)
{
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

// Runs a command to its end; its exit status.
int run(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(command(program), args);
    p.waitForFinished(120000);
    if (out) *out = p.readAllStandardOutput();
    return p.exitCode();
}

// The grade files of grade `g` in `folder`, with their bytes (missing ones empty).
QMap<QString, QByteArray> gradeFiles(const QString& folder, int g)
{
    QMap<QString, QByteArray> files;
    const QString nn = QString::number(g + 100).right(2);
    for (const QString& name : {QStringLiteral("dtfile%1.rnd"), QStringLiteral("kyoka%1.seq"),
                                QStringLiteral("test%1.seq"), QStringLiteral("tannin%1.seq")}) {
        const QString path = folder + u'/' + name.arg(nn);
        files.insert(name.arg(nn), QFileInfo::exists(path) ? ReadFileBytes(path) : QByteArray("(none)"));
    }
    return files;
}

// Uses the grade as the program does when it opens it: an interrupted write is undone.
void useGrade(const QString& folder, int grade)
{
    GradeData gd;
    gd.dataFolder = folder + u'/';
    gd.currentGrade = grade;
    LoadTestList(gd);
}

} // namespace

class AtomicWritesTest : public QObject
{
    Q_OBJECT
private slots:
    void writeErrorAtAnyRecordKeepsTheOldRoster();
    void killedRosterSaveIsRolledBack();
    void killedNextYearFilesAreUndone();
    void tornJournalAndPlanAreOnlyRemoved();
    void saveAfterACutShortWriteMergesWithTheRolledBackRoster();
};

void AtomicWritesTest::writeErrorAtAnyRecordKeepsTheOldRoster()
{
    QTemporaryDir dir;
    QVERIFY(WriteSample(dir.path(), 1, 2, 30).ok);
    GradeData gd;
    gd.dataFolder = dir.path() + u'/';
    gd.currentGrade = 1;
    QVERIFY(LoadTestList(gd).ok);
    QVERIFY(LoadSubjectList(gd).ok);
    QVERIFY(LoadNaishin(gd, NullProgress::instance()).ok);
    const QByteArray before = ReadFileBytes(RosterFile::pathFor(gd));
    for (int s = 1; s <= gd.studentCount; ++s)
        gd.naishin(1, s) = gd.naishin(1, s) == 5 ? 4 : 5;
    for (const int nth : {1, 2, gd.studentCount / 2, gd.studentCount}) {
        SetRosterWriteFault(nth, ENOSPC);
        GradeData attempt = gd;
        const Result r = SaveNaishin(attempt, NullProgress::instance());
        QVERIFY(!r.ok);
        QVERIFY2(r.message.startsWith(QStringLiteral("保存できませんでした。名簿は保存前の状態のままです。")),
                 qPrintable(r.message));
        QCOMPARE(ReadFileBytes(RosterFile::pathFor(gd)), before);
        QVERIFY(!QFileInfo::exists(RosterUndoPath(RosterFile::pathFor(gd))));
        // The screen still holds what was typed, to be saved again.
        QCOMPARE(attempt.naishin(1, 1), gd.naishin(1, 1));
    }
    SetRosterWriteFault(0, 0);
    QVERIFY(SaveNaishin(gd, NullProgress::instance()).ok);
    QVERIFY(ReadFileBytes(RosterFile::pathFor(gd)) != before);
}

void AtomicWritesTest::killedRosterSaveIsRolledBack()
{
    if (!QFileInfo::exists(command(QStringLiteral("seiran-entry")))) QSKIP("seiran-entry is not built");
    QTemporaryDir dir;
    QVERIFY(WriteSample(dir.path(), 1, 9, 44).ok);
    const QStringList common{QStringLiteral("--data"), dir.path(), QStringLiteral("--grade"), QStringLiteral("1"),
                             QStringLiteral("naishin")};
    QByteArray exported;
    QCOMPARE(run(QStringLiteral("seiran-entry"), common + QStringList{QStringLiteral("--export")}, &exported), 0);
    // Every pupil's 国語 changes: every record is written.
    QList<QByteArray> lines = exported.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QList<QByteArray> f = lines[i].split('\t');
        if (f.size() < 5) continue;
        f[4] = f[4].trimmed() == "5" ? "4" : "5";
        lines[i] = f.join('\t');
    }
    const QString import = dir.path() + QStringLiteral("/import.tsv");
    WriteFileBytes(import, lines.join('\n'));
    const QString roster = dir.path() + QStringLiteral("/dtfile01.rnd");
    const QByteArray oldState = ReadFileBytes(roster);

    // Every record write paused 3 ms: killed at staggered points, the grade reads old or new.
    QByteArray newState;
    int mixedOrTorn = 0;
    int rolledBack = 0;
    for (int trial = 0; trial < 8; ++trial) {
        WriteFileBytes(roster, oldState);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SEIRAN_TEST_WRITE_PAUSE_MS"), QStringLiteral("3"));
        p.setProcessEnvironment(env);
        p.start(command(QStringLiteral("seiran-entry")), common + QStringList{QStringLiteral("--import"), import});
        QVERIFY(p.waitForStarted());
        QTest::qWait(150 + trial * 120);
        p.kill();
        p.waitForFinished();
        if (QFileInfo::exists(RosterUndoPath(roster))) ++rolledBack;
        useGrade(dir.path(), 1);
        QVERIFY(!QFileInfo::exists(RosterUndoPath(roster)));
        const QByteArray now = ReadFileBytes(roster);
        if (now == oldState) continue;
        if (newState.isEmpty()) {
            // The complete save, for comparison.
            WriteFileBytes(roster, oldState);
            QCOMPARE(run(QStringLiteral("seiran-entry"), common + QStringList{QStringLiteral("--import"), import}), 0);
            newState = ReadFileBytes(roster);
        }
        if (now != newState) ++mixedOrTorn;
    }
    QCOMPARE(mixedOrTorn, 0);
    // The staggered kills did land inside the writes at least once.
    QVERIFY(rolledBack > 0);
}

void AtomicWritesTest::killedNextYearFilesAreUndone()
{
    if (!QFileInfo::exists(command(QStringLiteral("seiran-promote")))) QSKIP("seiran-promote is not built");
    QTemporaryDir dir;
    const QString now = dir.path() + QStringLiteral("/this");
    const QString next = dir.path() + QStringLiteral("/next");
    QVERIFY(WriteSample(now, 1, 3, 30).ok);
    QVERIFY(WriteSample(next, 2, 2, 20).ok);
    const QMap<QString, QByteArray> oldState = gradeFiles(next, 2);
    // Every pupil gets a new class (the listing's fifth column); kana numbers them.
    QByteArray listing;
    QCOMPARE(
        run(QStringLiteral("seiran-promote"),
            {QStringLiteral("--data"), now, QStringLiteral("--grade"), QStringLiteral("1"), QStringLiteral("--list")},
            &listing),
        0);
    QList<QByteArray> rows = listing.split('\n');
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QList<QByteArray> f = rows[i].split('\t');
        if (f.size() < 6) continue;
        f[4] = QByteArray::number(1 + i % 2);
        rows[i] = f.join('\t');
    }
    const QString assign = dir.path() + QStringLiteral("/assign.tsv");
    WriteFileBytes(assign, rows.join('\n'));
    const QStringList args{QStringLiteral("--data"),   now,    QStringLiteral("--grade"),  QStringLiteral("1"),
                           QStringLiteral("--assign"), assign, QStringLiteral("--sort"),   QStringLiteral("kana"),
                           QStringLiteral("--create"), next,   QStringLiteral("--replace")};
    QCOMPARE(run(QStringLiteral("seiran-promote"), args), 0);
    const QMap<QString, QByteArray> newState = gradeFiles(next, 2);
    QVERIFY(newState != oldState);
    int undone = 0;
    for (int trial = 0; trial < 8; ++trial) {
        for (auto it = oldState.cbegin(); it != oldState.cend(); ++it)
            WriteFileBytes(next + u'/' + it.key(), it.value());
        for (const QString& name : QDir(next).entryList(QDir::Files))
            if (name.contains(QStringLiteral(".bak"))) QFile::remove(next + u'/' + name);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SEIRAN_TEST_WRITE_PAUSE_MS"), QStringLiteral("100"));
        p.setProcessEnvironment(env);
        p.start(command(QStringLiteral("seiran-promote")), args);
        QVERIFY(p.waitForStarted());
        QTest::qWait(150 + trial * 100);
        p.kill();
        p.waitForFinished();
        const bool planned = QFileInfo::exists(ReplacementPlanPath(next + QStringLiteral("/dtfile02.rnd")));
        if (planned) ++undone;
        useGrade(next, 2);
        const QMap<QString, QByteArray> state = gradeFiles(next, 2);
        if (state == oldState) {
            // Killed before the plan: the copies made so far stay, the grade is as it was.
            if (!planned) {
                for (const QString& name : QDir(next).entryList(QDir::Files))
                    if (name.contains(QStringLiteral(".bak")) || name.contains(QStringLiteral(".tmp")))
                        QFile::remove(next + u'/' + name);
                continue;
            }
            // An undone replacement leaves none of its copies or temporaries behind.
            for (const QString& name : QDir(next).entryList(QDir::Files | QDir::Hidden))
                QVERIFY2(!name.contains(QStringLiteral(".bak")) && !name.contains(QStringLiteral(".undo")) &&
                             !name.contains(QStringLiteral(".tmp")) && !name.contains(QStringLiteral("plan")),
                         qPrintable(name));
            continue;
        }
        QCOMPARE(state, newState);
    }
    QVERIFY(undone > 0);
}

void AtomicWritesTest::tornJournalAndPlanAreOnlyRemoved()
{
    QTemporaryDir dir;
    QVERIFY(WriteSample(dir.path(), 3, 1, 10).ok);
    const QString roster = dir.path() + QStringLiteral("/dtfile03.rnd");
    const QByteArray before = ReadFileBytes(roster);
    // A journal cut short while it was written: no record had been written, nothing to put back.
    QDir().mkpath(GradeLockFolder(dir.path(), 3));
    WriteFileBytes(RosterUndoPath(roster), "seiran-roster-undo\t1\tdtfile03.rnd\t5120\t1\t1\th\n\x01\x00");
    WriteFileBytes(ReplacementPlanPath(roster), "seiran-replace\t1\nfile\tx\ty\t");
    useGrade(dir.path(), 3);
    QCOMPARE(ReadFileBytes(roster), before);
    QVERIFY(!QFileInfo::exists(RosterUndoPath(roster)));
    QVERIFY(!QFileInfo::exists(ReplacementPlanPath(roster)));
}

void AtomicWritesTest::saveAfterACutShortWriteMergesWithTheRolledBackRoster()
{
    QTemporaryDir dir;
    QVERIFY(WriteSample(dir.path(), 1, 1, 10).ok);
    GradeData gd;
    gd.dataFolder = dir.path() + u'/';
    gd.currentGrade = 1;
    QVERIFY(LoadTestList(gd).ok);
    QVERIFY(LoadSubjectList(gd).ok);
    QVERIFY(LoadNaishin(gd, NullProgress::instance()).ok);
    const QString roster = RosterFile::pathFor(gd);
    const QByteArray before = ReadFileBytes(roster);
    const int record = RosterFile::recordNumber(gd.studentClass[1], gd.studentNumber[1]);
    const auto slot5 = [record](const QByteArray& bytes) {
        StudentRecord r;
        std::memcpy(r.bytes().data(), bytes.constData() + (record - 1) * StudentRecord::Size, StudentRecord::Size);
        return r.naishinSlot(5);
    };
    const int oldSlot5 = slot5(before);

    // Another writer died after writing half of its save into this pupil's record: its rollback
    // journal still holds the old image.
    QByteArray journal = "seiran-roster-undo\t1\tdtfile01.rnd\t" + QByteArray::number(before.size()) + "\t1\t1\th\n";
    const char number[4] = {char(record & 0xFF), char((record >> 8) & 0xFF), 0, 0};
    journal.append(number, 4);
    journal.append(before.mid((record - 1) * StudentRecord::Size, StudentRecord::Size));
    journal += "crc " + Crc32Text(journal).toLatin1() + '\n';
    QDir().mkpath(GradeLockFolder(dir.path(), 1));
    WriteFileBytes(RosterUndoPath(roster), journal);
    QByteArray half = before;
    half[(record - 1) * StudentRecord::Size + 16 + 2 * 5] = char(oldSlot5 == 9 ? 8 : 9);
    half[(record - 1) * StudentRecord::Size + 16 + 2 * 5 + 1] = 0;
    WriteFileBytes(roster, half);

    // Our save of the same record merges with the roster as it was before the cut-short write.
    gd.naishin(1, 1) = gd.naishin(1, 1) == 3 ? 4 : 3;
    QVERIFY(SaveNaishin(gd, NullProgress::instance()).ok);
    const QByteArray after = ReadFileBytes(roster);
    QCOMPARE(slot5(after), oldSlot5);
    QVERIFY(!QFileInfo::exists(RosterUndoPath(roster)));
}

QTEST_GUILESS_MAIN(AtomicWritesTest)
#include "tst_atomicwrites.moc"
