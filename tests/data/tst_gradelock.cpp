// The grade lock's rules (guard, registry, holders and their staleness) with a clock, host and
// process probe of the test's own, and the field-by-field merge of the entry screens' saves.
#include "GradeLock.h"
#include "ListFiles.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace seiran;
using namespace seiran::test;

namespace {

// A PC of the test's making: its clock, its processes and the file server's clock.
class FakeEnvironment final : public LockEnvironment
{
public:
    HostIdentity identity{QStringLiteral("pc-a"), QStringLiteral("machine-a"), QStringLiteral("boot-a"), 4242};
    QList<qint64> running{4242};
    QDateTime clock = QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
    QDateTime server; // invalid: the file's own time
    mutable qint64 monotonic = 1000;

    HostIdentity self() const override { return identity; }
    bool processRuns(qint64 pid) const override { return running.contains(pid); }
    QDateTime utcNow() const override { return clock; }
    qint64 monotonicMs() const override { return monotonic; }
    void sleepMs(int ms) const override { monotonic += ms; }
    QDateTime fileTime(const QString& path) const override
    {
        return server.isValid() ? server : LockEnvironment::fileTime(path);
    }
};

struct EnvironmentScope
{
    explicit EnvironmentScope(FakeEnvironment& e) { LockEnvironment::setCurrent(&e); }
    ~EnvironmentScope()
    {
        LockEnvironment::setCurrent(nullptr);
        SetGuardWaitPolicy({});
        SetLockNotice(nullptr);
    }
};

LockHolder otherHolder(const QString& id, LockMode mode, const QString& host, qint64 pid, const QDateTime& beatAt,
                       qint64 beat = 1)
{
    LockHolder h;
    h.id = id;
    h.mode = mode;
    h.user = QStringLiteral("佐藤");
    h.host = host;
    h.machine = host == QLatin1String("pc-a") ? QStringLiteral("machine-a") : QStringLiteral("machine-b");
    h.boot = host == QLatin1String("pc-a") ? QStringLiteral("boot-a") : QStringLiteral("boot-b");
    h.pid = pid;
    h.since = beatAt;
    h.beat = beat;
    h.beatAt = beatAt;
    h.screen = QStringLiteral("内申点の入力");
    h.fields = QStringLiteral("naishin");
    return h;
}

void writeRegistry(const QString& dataFolder, int grade, const LockRegistry& registry)
{
    QDir().mkpath(GradeLockFolder(dataFolder, grade));
    WriteFileBytes(GradeLockFolder(dataFolder, grade) + QStringLiteral("lock.txt"), registry.serialize());
}

LockRegistry readRegistry(const QString& dataFolder, int grade)
{
    LockRegistry registry;
    QStringList problems;
    LockRegistry::parse(ReadFileBytes(GradeLockFolder(dataFolder, grade) + QStringLiteral("lock.txt")), registry,
                        problems);
    return registry;
}

QList<FixturePupil> pupils()
{
    return {{1, 1, QStringLiteral("青木　一郎"), 1, {60, -3, 70, 80, 90}},
            {1, 2, QStringLiteral("井上　花子"), 2, {55, 65, 75, 85, 95}},
            {2, 1, QStringLiteral("上田　次郎"), 1, {40, 50, -10, 70, 80}}};
}

} // namespace

class GradeLockTest : public QObject
{
    Q_OBJECT
private slots:
    void registryTextRoundTripsAndDropsGarbage();
    void modesAndOverlaps();
    void staleHoldersAreRemovedByTheirRules();
    void garbageRegistryIsRebuiltWithAnUnseenGeneration();
    void guardIsExclusiveReentrantAndBrokenWhenStale();
    void guardWaitEndsNamingTheHolder();
    void addressingWritesRaiseTheGeneration();
    void threeWayMergeTable();
    void clashesAreAskedThenDecided();
    void gradeChangedRefusesTheSave();
};

void GradeLockTest::registryTextRoundTripsAndDropsGarbage()
{
    const QDateTime t(QDate(2026, 12, 7), QTime(8, 30, 5), Qt::UTC);
    LockRegistry registry;
    registry.generation = 17;
    registry.holders << otherHolder(QStringLiteral("a1"), LockMode::Shared, QStringLiteral("pc-b"), 10, t)
                     << otherHolder(QStringLiteral("b2"), LockMode::Exclusive, QStringLiteral("pc-c"), 11, t, 9);
    registry.holders[1].machine.clear();
    registry.holders[1].boot.clear();
    registry.holders[1].user = QStringLiteral("tab\there");
    const QByteArray text = registry.serialize();
    QVERIFY(text.startsWith("seiran-lock\t1\t17\nholder\ta1\tS\t"));
    QVERIFY(text.contains("\t2026-12-07T08:30:05Z\t"));
    QVERIFY(!text.contains('\r'));

    LockRegistry back;
    QStringList problems;
    QVERIFY(LockRegistry::parse(text, back, problems));
    QVERIFY(problems.isEmpty());
    QCOMPARE(back.generation, 17);
    QCOMPARE(back.holders.size(), 2);
    QCOMPARE(back.holders[1].mode, LockMode::Exclusive);
    QCOMPARE(back.holders[1].beat, 9);
    QCOMPARE(back.holders[1].user, QStringLiteral("tab here")); // a Tab would split the line
    QCOMPARE(back.holders[1].machine, QString());
    QCOMPARE(back.holders[0].since, t);

    // A line cut short, a bad mode, a repeated id and a bad time are dropped and named.
    QByteArray damaged = text;
    damaged += "holder\tc3\tS\tx\n";
    damaged += "holder\td4\tQ\tu\th\tm\tb\t1\t2026-12-07T08:30:05Z\t1\t2026-12-07T08:30:05Z\ts\tf\n";
    damaged += "holder\ta1\tS\tu\th\tm\tb\t1\t2026-12-07T08:30:05Z\t1\t2026-12-07T08:30:05Z\ts\tf\n";
    damaged += "holder\te5\tS\tu\th\tm\tb\t1\tyesterday\t1\t2026-12-07T08:30:05Z\ts\tf\n";
    QVERIFY(LockRegistry::parse(damaged, back, problems));
    QCOMPARE(back.holders.size(), 2);
    QCOMPARE(problems.size(), 4);

    for (const QByteArray& bad : {QByteArray(), QByteArray("seiran-lock\t2\t5\n"), QByteArray("\xff\xfe garbage"),
                                  QByteArray("seiran-lock\t1\t-4\n")}) {
        QVERIFY(!LockRegistry::parse(bad, back, problems));
        QCOMPARE(back.generation, 0);
    }
    QCOMPARE(ParseLockTime(QStringLiteral("2026-12-07T08:30:05")), QDateTime()); // no Z: not ours
}

void GradeLockTest::modesAndOverlaps()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    QTemporaryDir dir;
    const QString data = dir.path() + u'/';

    GradeLock first(data, 3);
    GradeLock::Outcome a =
        first.acquire(LockMode::Shared, QStringLiteral("点数の入力（テスト別）"), QStringLiteral("slots 6-14"));
    QVERIFY(a.result.ok);
    QVERIFY(a.granted);
    QVERIFY(QFileInfo::exists(data + QStringLiteral("seiran03/lock.txt")));
    QVERIFY(!QFileInfo::exists(data + QStringLiteral("seiran03/guard"))); // held only while it changes

    // S with S; the overlapping fields are told, the others are not.
    GradeLock second(data, 3);
    GradeLock::Outcome b =
        second.acquire(LockMode::Shared, QStringLiteral("点数の入力（教科別）"), QStringLiteral("slots 3,8,13"));
    QVERIFY(b.granted);
    QCOMPARE(b.overlapping.size(), 1);
    GradeLock third(data, 3);
    QVERIFY(third.acquire(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin"))
                .overlapping.isEmpty());

    // X with nothing: refused, naming each holder.
    GradeLock editor(data, 3);
    GradeLock::Outcome x =
        editor.acquire(LockMode::Exclusive, QStringLiteral("名簿の入力・修正"), QStringLiteral("all"));
    QVERIFY(x.result.ok);
    QVERIFY(!x.granted);
    QCOMPARE(x.refusedBy.size(), 3);
    QVERIFY(x.refusedBy[0].describe().contains(QStringLiteral("「点数の入力（テスト別）」")));
    QVERIFY(!editor.held());

    // Waiting: polls every 5 s and proceeds once the others have gone.
    int polls = 0;
    GradeLock::Outcome waited = editor.acquireWaiting(LockMode::Exclusive, QStringLiteral("名簿の入力・修正"),
                                                      QStringLiteral("all"), 60000, [&](const GradeLock::Outcome&) {
                                                          if (++polls == 2) {
                                                              first.release();
                                                              second.release();
                                                              third.release();
                                                          }
                                                          return true;
                                                      });
    QVERIFY(waited.granted);
    QCOMPARE(polls, 2);
    QCOMPARE(readRegistry(data, 3).holders.size(), 1);
    QCOMPARE(readRegistry(data, 3).holders[0].mode, LockMode::Exclusive);

    // And nothing goes with X.
    QVERIFY(!first.acquire(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin")).granted);
    // Waiting gives up when the time is over.
    const qint64 before = env.monotonic;
    QVERIFY(!first.acquireWaiting(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin"), 12000)
                 .granted);
    QVERIFY(env.monotonic - before >= 12000);

    // Beats raise the count; release removes the line; a grade is its own.
    QVERIFY(editor.beat().ok);
    QCOMPARE(readRegistry(data, 3).holders[0].beat, 2);
    GradeLock otherGrade(data, 2);
    QVERIFY(otherGrade.acquire(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin")).granted);
    QVERIFY(editor.release().ok);
    QVERIFY(readRegistry(data, 3).holders.isEmpty());

    QVERIFY(LockFieldsOverlap(QStringLiteral("all"), QStringLiteral("naishin")));
    QVERIFY(!LockFieldsOverlap(QStringLiteral("slots 1-5"), QStringLiteral("slots 6-9")));
    QVERIFY(!LockFieldsOverlap(QStringLiteral("naishin"), QStringLiteral("choices")));
}

void GradeLockTest::staleHoldersAreRemovedByTheirRules()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    RecordingNotice notice;
    SetLockNotice(&notice);
    QTemporaryDir dir;
    const QString data = dir.path() + u'/';
    const QDateTime now = env.clock;
    env.server = now;

    LockRegistry registry;
    registry.generation = 4;
    registry.holders << otherHolder(QStringLiteral("dead"), LockMode::Exclusive, QStringLiteral("pc-a"), 777, now)
                     << otherHolder(QStringLiteral("reboot"), LockMode::Shared, QStringLiteral("pc-a"), 4242, now)
                     << otherHolder(QStringLiteral("alive"), LockMode::Shared, QStringLiteral("pc-a"), 4242, now)
                     << otherHolder(QStringLiteral("old"), LockMode::Shared, QStringLiteral("pc-b"), 1,
                                    now.addSecs(-25 * 3600))
                     << otherHolder(QStringLiteral("skewed"), LockMode::Shared, QStringLiteral("pc-c"), 1,
                                    now.addSecs(-23 * 3600))
                     << otherHolder(QStringLiteral("quiet"), LockMode::Shared, QStringLiteral("pc-d"), 1, now);
    registry.holders[1].boot = QStringLiteral("boot-before");
    writeRegistry(data, 1, registry);

    GradeLock watcher(data, 1);
    QList<LockHolder> others;
    QVERIFY(watcher.others(others).ok);
    QStringList ids;
    for (const LockHolder& h : others)
        ids << h.id;
    // A dead pid and another boot on this PC; another PC 25 h behind the server's clock.
    QCOMPARE(ids, (QStringList{QStringLiteral("alive"), QStringLiteral("skewed"), QStringLiteral("quiet")}));
    QCOMPARE(notice.texts.size(), 3);
    QVERIFY(notice.texts.join(u'\n').contains(QStringLiteral("佐藤（pc-b）")));
    QCOMPARE(readRegistry(data, 1).generation, 4);

    // The local clock a day off changes nothing: only the server's clock counts.
    env.clock = now.addDays(3);
    QVERIFY(watcher.others(others).ok);
    QCOMPARE(others.size(), 3);

    // Another PC whose beat stays the same for 90 s of our own time goes; one that beats stays.
    env.monotonic += 60000;
    LockRegistry r = readRegistry(data, 1);
    r.holders[r.indexOf(QStringLiteral("skewed"))].beat += 1;
    writeRegistry(data, 1, r);
    QVERIFY(watcher.others(others).ok);
    QCOMPARE(others.size(), 3);
    env.monotonic += 31000;
    QVERIFY(watcher.others(others).ok);
    ids.clear();
    for (const LockHolder& h : others)
        ids << h.id;
    QCOMPARE(ids, (QStringList{QStringLiteral("alive"), QStringLiteral("skewed")}));

    // An empty machine or boot id is never compared.
    LockHolder h = otherHolder(QStringLiteral("x"), LockMode::Shared, QStringLiteral("pc-a"), 4242, now);
    h.boot.clear();
    h.machine.clear();
    QCOMPARE(StaleHolderReason(h, env.identity, env, now, 0), QString());
    h.pid = 99;
    QVERIFY(!StaleHolderReason(h, env.identity, env, now, 0).isEmpty());
    // Same host name, another machine: judged as another PC (its pid means nothing here).
    h.machine = QStringLiteral("machine-z");
    QCOMPARE(StaleHolderReason(h, env.identity, env, now, 0), QString());
}

void GradeLockTest::garbageRegistryIsRebuiltWithAnUnseenGeneration()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    RecordingNotice notice;
    SetLockNotice(&notice);
    QTemporaryDir dir;
    const QString data = dir.path() + u'/';
    QDir().mkpath(GradeLockFolder(data, 2));
    WriteFileBytes(GradeLockFolder(data, 2) + QStringLiteral("lock.txt"), QByteArray("\x00\x01garbage\n", 10));
    GradeLock lock(data, 2);
    QVERIFY(lock.acquire(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin")).granted);
    QCOMPARE(notice.texts.size(), 1);
    const LockRegistry registry = readRegistry(data, 2);
    QCOMPARE(registry.holders.size(), 1);
    // Not 0 nor any small count a screen may have seen before the damage.
    QVERIFY(registry.generation > 1000000);
    QCOMPARE(lock.generationAtStart(), registry.generation);
}

void GradeLockTest::guardIsExclusiveReentrantAndBrokenWhenStale()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    QTemporaryDir dir;
    const QString data = dir.path() + u'/';
    const QString guardPath = GradeLockFolder(data, 1) + QStringLiteral("guard");
    {
        GradeGuard outer(data, 1);
        QVERIFY(outer.result().ok);
        const QByteArray held = ReadFileBytes(guardPath);
        QVERIFY(held.startsWith("seiran-guard\t1\t"));
        QVERIFY(held.contains("\t4242\tpc-a\tmachine-a\tboot-a\t"));
        {
            GradeGuard inner(data, 1); // the same process again: no wait
            QVERIFY(inner.result().ok);
        }
        QCOMPARE(ReadFileBytes(guardPath), held); // still ours until the outer scope ends
    }
    QVERIFY(!QFileInfo::exists(guardPath));

    // A guard left by a process of this PC that is gone is broken at once.
    QDir().mkpath(GradeLockFolder(data, 1));
    WriteFileBytes(guardPath, "seiran-guard\t1\tdeadbeef\t777\tpc-a\tmachine-a\tboot-a\t2026-12-07T08:00:00Z\tx\n");
    const qint64 before = env.monotonic;
    {
        GradeGuard g(data, 1);
        QVERIFY(g.result().ok);
        QVERIFY(env.monotonic - before < 1000);
    }
    // Another PC's guard is broken after its token has been seen for 120 s.
    WriteFileBytes(guardPath, "seiran-guard\t1\tcafe\t1\tpc-b\tmachine-b\tboot-b\t2026-12-07T08:00:00Z\tx\n");
    {
        GradeGuard g(data, 1);
        QVERIFY(g.result().ok);
        QVERIFY(env.monotonic - before >= 120000);
        QVERIFY(env.monotonic - before < 150000);
    }
    // Nothing of the broken guards is left behind.
    QCOMPARE(QDir(GradeLockFolder(data, 1)).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void GradeLockTest::guardWaitEndsNamingTheHolder()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    QTemporaryDir dir;
    const QString data = dir.path() + u'/';
    const QString guardPath = GradeLockFolder(data, 1) + QStringLiteral("guard");
    QDir().mkpath(GradeLockFolder(data, 1));
    const QByteArray other = "seiran-guard\t1\tbeef\t1\tpc-b\tmachine-b\tboot-b\t2026-12-07T08:00:00Z\t鈴木\n";
    WriteFileBytes(guardPath, other);

    // A cancelled wait writes nothing and leaves the other's guard.
    QString seen;
    SetGuardWaitPolicy({LockTiming::GuardWaitMs, [&seen](const QString& holder, int waited) {
                            seen = holder;
                            return waited < 2000;
                        }});
    {
        GradeGuard g(data, 1);
        QVERIFY(!g.result().ok);
        QVERIFY(g.result().message.contains(QStringLiteral("鈴木（pc-b）")));
    }
    QCOMPARE(seen, QStringLiteral("鈴木（pc-b）"));
    QCOMPARE(ReadFileBytes(guardPath), other);

    // A short timeout ends the wait with the holder's name; the guard is never broken before 120 s.
    SetGuardWaitPolicy({5000, {}});
    GradeGuard g(data, 1);
    QVERIFY(!g.result().ok);
    QVERIFY(g.result().message.contains(QStringLiteral("鈴木（pc-b）")));
    QCOMPARE(ReadFileBytes(guardPath), other);
    // The save of a screen waits the same way and writes nothing.
    SetGuardWaitPolicy({3000, {}});
    GradeFixture f(1);
    f.writeStandard(pupils());
    QVERIFY(f.loadLists());
    QVERIFY(LoadNaishin(f.gd(), NullProgress::instance()).ok);
    const QByteArray roster = f.rosterBytes();
    f.gd().naishin(1, 1) = 5;
    QDir().mkpath(GradeLockFolder(f.folder(), 1));
    WriteFileBytes(GradeLockFolder(f.folder(), 1) + QStringLiteral("guard"), other);
    QVERIFY(!SaveNaishin(f.gd(), NullProgress::instance()).ok);
    QCOMPARE(f.rosterBytes(), roster);
}

void GradeLockTest::addressingWritesRaiseTheGeneration()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    GradeFixture f(2);
    f.writeStandard(pupils());
    QVERIFY(f.loadLists());
    QCOMPARE(ReadGradeGeneration(f.folder(), 1), 0); // a folder without a registry
    const qint64 start = ReadGradeGeneration(f.folder(), 2);
    QVERIFY(SaveTestList(f.gd()).ok);
    QCOMPARE(ReadGradeGeneration(f.folder(), 2), start + 1);
    {
        AddressingWrite write(f.rosterPath());
        QVERIFY(write.result().ok);
        QVERIFY(QFileInfo::exists(GradeLockFolder(f.folder(), 2) + QStringLiteral("guard")));
    }
    QCOMPARE(ReadGradeGeneration(f.folder(), 2), start + 2);
    QCOMPARE(GradeOfGradeFile(QStringLiteral("/x/DTFILE03.RND")), 3);
    QCOMPARE(GradeOfGradeFile(QStringLiteral("/x/kyoka02.seq")), 2);
    QCOMPARE(GradeOfGradeFile(QStringLiteral("/x/hischool.txt")), 0);
    QCOMPARE(GradeOfGradeFile(QStringLiteral("/x/test07.seq")), 0);
}

void GradeLockTest::threeWayMergeTable()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    GradeFixture f(1);
    f.writeStandard(pupils());
    QVERIFY(f.loadLists());
    GradeData& mine = f.gd();
    mine.currentTest = 1;
    QVERIFY(LoadTestScores(mine, NullProgress::instance()).ok);
    QCOMPARE(mine.scores(2, 1), -3); // an odd stored code, untouched below
    QCOMPARE(mine.scores(3, 3), -10);

    // Another teacher saves first: pupil 1 subject 1 (we do not touch it), pupil 2 subject 1 (we
    // change it to another value: a clash), pupil 2 subject 2 (we set the same value), pupil 3
    // subject 3 from "-0" to 44 (we change it too: a clash).
    GradeData other = mine;
    other.scores(1, 1) = 61;
    other.scores(1, 2) = 56;
    other.scores(2, 2) = 66;
    other.scores(3, 3) = 44;
    QVERIFY(SaveTestScores(other, NullProgress::instance()).ok);

    mine.scores(1, 2) = 57; // L 55, D 56, M 57: clash
    mine.scores(2, 2) = 66; // L 65, D 66, M 66: nothing to write
    mine.scores(4, 1) = 81; // L 80, D 80: written
    mine.scores(3, 3) = -1; // L -10, D 44, M absent: clash
    mine.scores(5, 3) = -5; // L 80 → empty, D 80: written
    const QByteArray before = f.rosterBytes();
    SaveControl ask;
    Result r = SaveTestScores(mine, NullProgress::instance(), ask);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, ConflictMessage());
    QCOMPARE(ask.conflicts.size(), 2);
    QCOMPARE(ask.conflicts[0].student, 2);
    QCOMPARE(ask.conflicts[0].column, 1);
    QCOMPARE(ask.conflicts[0].base, 55);
    QCOMPARE(ask.conflicts[0].mine, 57);
    QCOMPARE(ask.conflicts[0].saved, 56);
    QCOMPARE(ask.conflicts[1].base, -10);
    QCOMPARE(f.rosterBytes(), before); // nothing written while a clash is open

    // Keep theirs: every other change is written, the clashes keep the saved values.
    {
        GradeData copy = mine;
        SaveControl theirs;
        theirs.rule = ConflictRule::Theirs;
        QVERIFY(SaveTestScores(copy, NullProgress::instance(), theirs).ok);
        QCOMPARE(theirs.settled.size(), 2);
        const StudentRecord p1 = f.readRecord(RosterFile::recordNumber(1, 1));
        const StudentRecord p2 = f.readRecord(RosterFile::recordNumber(1, 2));
        const StudentRecord p3 = f.readRecord(RosterFile::recordNumber(2, 1));
        const int first = mine.testFirstSlot[1];
        QCOMPARE(p1.scoreSlot(first), 61);     // theirs, untouched by us
        QCOMPARE(p1.scoreSlot(first + 1), -3); // untouched odd code stays
        QCOMPARE(p1.scoreSlot(first + 3), 81);
        QCOMPARE(p1.scoreSlot(first + 4), 90);
        QCOMPARE(p3.scoreSlot(first + 4), -5);
        QCOMPARE(p2.scoreSlot(first), 56);
        QCOMPARE(p2.scoreSlot(first + 1), 66);
        QCOMPARE(p3.scoreSlot(first + 2), 44);
        // The screen's values now hold what the file holds.
        QCOMPARE(copy.scores(1, 2), 56);
        QCOMPARE(copy.scoresAsLoaded(1, 2), 56);
        QCOMPARE(copy.scores(3, 3), 44);
        // Logged with who decided what.
        const QString log =
            QString::fromUtf8(ReadFileBytes(GradeLockFolder(f.folder(), 1) + QStringLiteral("conflicts.txt")));
        QCOMPARE(log.count(u'\n'), 2);
        QVERIFY(log.contains(QStringLiteral("\t井上　花子\t55\t57\t56\ttheirs\n")));
    }
    // Keep mine (on the state before): the clashes take our values.
    WriteFileBytes(f.rosterPath(), before);
    SaveControl keepMine;
    keepMine.rule = ConflictRule::Mine;
    QVERIFY(SaveTestScores(mine, NullProgress::instance(), keepMine).ok);
    const int first = mine.testFirstSlot[1];
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 2)).scoreSlot(first), 57);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(2, 1)).scoreSlot(first + 2), -1);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 1)).scoreSlot(first), 61);

    // 内申点: a 0 (shown empty) left as it was loaded is no change, whatever another saved since.
    QVERIFY(LoadNaishin(mine, NullProgress::instance()).ok);
    QCOMPARE(mine.naishin(1, 1), 0);
    GradeData otherN = mine;
    otherN.naishin(1, 1) = 3;
    QVERIFY(SaveNaishin(otherN, NullProgress::instance()).ok);
    mine.naishin(1, 1) = 0;
    mine.naishin(2, 1) = 4;
    SaveControl n;
    QVERIFY(SaveNaishin(mine, NullProgress::instance(), n).ok);
    QVERIFY(n.conflicts.isEmpty());
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 1)).naishinSlot(mine.naishinSlot[1]), 3);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 1)).naishinSlot(mine.naishinSlot[2]), 4);
}

void GradeLockTest::clashesAreAskedThenDecided()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    GradeFixture f(1);
    f.writeStandard(pupils());
    QVERIFY(f.loadLists());
    GradeData& mine = f.gd();
    QVERIFY(LoadCareerChoices(mine, NullProgress::instance()).ok);
    GradeData other = mine;
    other.careerChoice(1, 1) = 4;
    QVERIFY(SaveCareerChoices(other, NullProgress::instance()).ok);
    mine.careerChoice(1, 1) = 5;
    mine.careerChoice(2, 2) = 6;

    SaveControl control;
    QVERIFY(!SaveCareerChoices(mine, NullProgress::instance(), control).ok);
    QCOMPARE(control.conflicts.size(), 1);
    // The user keeps their own value; meanwhile the other saves the cell again: a new clash, asked
    // again, and still nothing written.
    control.decisions.append(
        {control.conflicts[0].student, control.conflicts[0].column, control.conflicts[0].saved, true});
    other.careerChoice(1, 1) = 7;
    other.careerChoiceAsLoaded(1, 1) = 4;
    QVERIFY(SaveCareerChoices(other, NullProgress::instance()).ok);
    const QByteArray before = f.rosterBytes();
    QVERIFY(!SaveCareerChoices(mine, NullProgress::instance(), control).ok);
    QCOMPARE(control.conflicts.size(), 1);
    QCOMPARE(control.conflicts[0].saved, 7);
    QCOMPARE(f.rosterBytes(), before);
    control.decisions.append({control.conflicts[0].student, control.conflicts[0].column, 7, true});
    QVERIFY(SaveCareerChoices(mine, NullProgress::instance(), control).ok);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 1)).choice(1), 5);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 2)).choice(2), 6);
}

void GradeLockTest::gradeChangedRefusesTheSave()
{
    FakeEnvironment env;
    EnvironmentScope scope(env);
    GradeFixture f(1);
    f.writeStandard(pupils());
    QVERIFY(f.loadLists());
    GradeData& gd = f.gd();

    GradeLock lock(f.folder(), 1);
    QVERIFY(lock.acquire(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin")).granted);
    QVERIFY(LoadNaishin(gd, NullProgress::instance()).ok);
    SaveControl control;
    control.stamp = TakeGradeStamp(gd, lock.generationAtStart());
    gd.naishin(2, 2) = 4;
    const QByteArray before = f.rosterBytes();

    // The test list written meanwhile (by a copy that ignored the lock): refused, nothing written.
    {
        GradeData copy = gd;
        copy.testNames[1] = QStringLiteral("改名");
        QVERIFY(SaveTestList(copy).ok);
    }
    Result r = SaveNaishin(gd, NullProgress::instance(), control);
    QVERIFY(!r.ok);
    QVERIFY(control.gradeChanged);
    QCOMPARE(r.message, GradeChangedMessage());
    QCOMPARE(f.rosterBytes(), before);
    QCOMPARE(gd.naishin(2, 2), 4); // the input stays for the window

    // A list changed by hand without the generation: the hash catches it.
    control.stamp = TakeGradeStamp(gd, ReadGradeGeneration(f.folder(), 1));
    WriteFileBytes(HomeroomPath(gd), ReadFileBytes(HomeroomPath(gd)) + "\r\n");
    QVERIFY(!SaveNaishin(gd, NullProgress::instance(), control).ok);
    QVERIFY(control.gradeChanged);

    // Another pupil in the seat: refused too.
    control.stamp = TakeGradeStamp(gd, ReadGradeGeneration(f.folder(), 1));
    StudentRecord rec = f.readRecord(RosterFile::recordNumber(1, 2));
    rec.setName(QStringLiteral("別の生徒"));
    f.writeRecord(RosterFile::recordNumber(1, 2), rec);
    const QByteArray replaced = f.rosterBytes();
    control.gradeChanged = false;
    QVERIFY(!SaveNaishin(gd, NullProgress::instance(), control).ok);
    QVERIFY(control.gradeChanged);
    QCOMPARE(f.rosterBytes(), replaced);
}

QTEST_GUILESS_MAIN(GradeLockTest)
#include "tst_gradelock.moc"
