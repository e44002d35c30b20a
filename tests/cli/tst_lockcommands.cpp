// The commands on a grade that several PCs use: imports that merge field by field, clashes told on
// standard error, exclusive commands that wait for the others, and seiran-grade --status. The
// tests that need two processes start the built commands beside this test.
#include "EntryCommand.h"
#include "GradeCommand.h"
#include "GradeData.h"
#include "GradeLock.h"
#include "ListFiles.h"
#include "Progress.h"
#include "RosterCsvImport.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace seiran;

namespace {

using Run = test::CommandRun;

Run runEntry(const QStringList& args)
{
    return test::RunCommand([](const QStringList& argv, QTextStream& out,
                               QTextStream& err) { return RunEntryCommand(argv, test::StdFilesFolder(), out, err); },
                            QStringLiteral("seiran-entry"), args);
}

Run runGrade(const QStringList& args)
{
    return test::RunCommand(RunGradeCommand, QStringLiteral("seiran-grade"), args);
}

QString program(const QString& name)
{
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

// A grid as the export writes it: rows of Tab-separated fields, CR LF after each.
using Grid = QList<QStringList>;

Grid parseGrid(const QString& text)
{
    Grid grid;
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        grid.append(line.split(u'\t'));
    return grid;
}

QByteArray gridBytes(const Grid& grid)
{
    QString text;
    for (const QStringList& row : grid)
        text += row.join(u'\t') + QStringLiteral("\r\n");
    return text.toUtf8();
}

// The lock's registry of a grade, as written.
LockRegistry registryOf(const QString& data, int grade)
{
    LockRegistry registry;
    QStringList problems;
    LockRegistry::parse(test::ReadFileBytes(GradeLockFolder(data, grade) + QStringLiteral("lock.txt")), registry,
                        problems);
    return registry;
}

// The user's name of the lock for one test, put back after.
struct LockUser
{
    QString previous = LockUserName();
    explicit LockUser(const QString& name) { SetLockUserName(name); }
    ~LockUser() { SetLockUserName(previous); }
};

} // namespace

class TestLockCommands : public QObject
{
    Q_OBJECT
private slots:
    void twoProcessesSavingOtherFieldsLoseNothing();
    void clashesAreSettledByTheRule_data();
    void clashesAreSettledByTheRule();
    void untouchedCellsKeepTheirStoredValue();
    void naishinZeroAndEmptyAreOneValue();
    void exclusiveCommandsWaitForSharedHolders();
    void sharedImportsAreRefusedByAnExclusiveHolder();
    void statusListsLiveAndStaleHolders();
    void statusRepairsAGarbageRegistryAndRefusesBadArguments_data();
    void statusRepairsAGarbageRegistryAndRefusesBadArguments();
    void helpTellsToImportWithTheBase();
};

// Two teachers import the same 400 pupils at once, one the 国語 column and the other the 社会
// column, each file edited from the one it imported before: every round, every cell of both.
void TestLockCommands::twoProcessesSavingOtherFieldsLoseNothing()
{
    if (!QFileInfo::exists(program(QStringLiteral("seiran-entry")))) QSKIP("seiran-entry is not built");
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    SampleOptions options;
    options.grade = 2;
    options.classes = 8;
    options.pupils = 50;
    QVERIFY(WriteSampleGrade(data, options));
    const QStringList common{QStringLiteral("--data"), data, QStringLiteral("--grade"), QStringLiteral("2"),
                             QStringLiteral("naishin")};
    const Run exported = runEntry(common + QStringList{QStringLiteral("--export")});
    QCOMPARE(exported.status, 0);
    const Grid start = parseGrid(exported.out);
    QVERIFY(start.size() > 380);
    const int japanese = int(start.first().indexOf(QStringLiteral("国語")));
    const int social = int(start.first().indexOf(QStringLiteral("社会")));
    QVERIFY(japanese >= 4 && social >= 4);

    Grid baseA = start;
    Grid baseB = start;
    const QString baseFileA = dir.filePath(QStringLiteral("a-base.tsv"));
    const QString baseFileB = dir.filePath(QStringLiteral("b-base.tsv"));
    const QString fileA = dir.filePath(QStringLiteral("a.tsv"));
    const QString fileB = dir.filePath(QStringLiteral("b.tsv"));
    auto value = [](int round, int row, int step) { return QString::number((round + row * step) % 10 + 1); };
    for (int round = 1; round <= 50; ++round) {
        Grid a = baseA;
        Grid b = baseB;
        for (int row = 1; row < a.size(); ++row) {
            a[row][japanese] = value(round, row, 3);
            b[row][social] = value(round, row, 7);
        }
        test::WriteFileBytes(baseFileA, gridBytes(baseA));
        test::WriteFileBytes(baseFileB, gridBytes(baseB));
        test::WriteFileBytes(fileA, gridBytes(a));
        test::WriteFileBytes(fileB, gridBytes(b));
        QProcess first;
        QProcess second;
        first.start(program(QStringLiteral("seiran-entry")),
                    common + QStringList{QStringLiteral("--import"), fileA, QStringLiteral("--base"), baseFileA,
                                         QStringLiteral("--user"), QStringLiteral("国語の先生")});
        second.start(program(QStringLiteral("seiran-entry")),
                     common + QStringList{QStringLiteral("--import"), fileB, QStringLiteral("--base"), baseFileB,
                                          QStringLiteral("--user"), QStringLiteral("社会の先生")});
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        const QString errors =
            QString::fromUtf8(first.readAllStandardError()) + QString::fromUtf8(second.readAllStandardError());
        QVERIFY2(first.exitCode() == 0 && second.exitCode() == 0, qPrintable(errors));
        QVERIFY2(!errors.contains(QStringLiteral("競合")), qPrintable(errors));

        const Grid now = parseGrid(runEntry(common + QStringList{QStringLiteral("--export")}).out);
        QCOMPARE(now.size(), start.size());
        int lost = 0;
        for (int row = 1; row < now.size(); ++row) {
            lost += now[row][japanese] != value(round, row, 3);
            lost += now[row][social] != value(round, row, 7);
            // Every other column stays as it was.
            for (int col = 4; col < now[row].size(); ++col)
                if (col != japanese && col != social) lost += now[row][col] != start[row][col];
        }
        QVERIFY2(lost == 0, qPrintable(QStringLiteral("round %1: %2 cells lost").arg(round).arg(lost)));
        baseA = a;
        baseB = b;
    }
    // Both ran as holders of the grade and left it.
    QVERIFY(registryOf(data, 2).holders.isEmpty());
}

// The same-cell clash through the command: the other teacher saved 77 where the file says 50.
void TestLockCommands::clashesAreSettledByTheRule_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("clashed"); // the clashing cell afterwards
    QTest::addColumn<int>("free");    // a cell only this import changed
    QTest::newRow("refuse (the default)") << QString() << 2 << 77 << 30;
    QTest::newRow("refuse") << QStringLiteral("refuse") << 2 << 77 << 30;
    QTest::newRow("mine") << QStringLiteral("mine") << 0 << 50 << 40;
    QTest::newRow("theirs") << QStringLiteral("theirs") << 0 << 77 << 40;
}

void TestLockCommands::clashesAreSettledByTheRule()
{
    QFETCH(QString, rule);
    QFETCH(int, status);
    QFETCH(int, clashed);
    QFETCH(int, free);
    test::GradeFixture f(1, 2);
    f.writeStandard({{1, 1, QStringLiteral("青木　一郎"), 1, {60, 61, 62, 63, 64}},
                     {1, 2, QStringLiteral("石井　二郎"), 1, {20, 21, 22, 23, 24}},
                     {2, 1, QStringLiteral("上田　花子"), 2, {30, 31, 32, 33, 34}}});
    const QStringList common{QStringLiteral("--data"),  f.folder(),
                             QStringLiteral("--grade"), QStringLiteral("1"),
                             QStringLiteral("test"),    QStringLiteral("--test"),
                             QStringLiteral("1")};
    const Grid base = parseGrid(runEntry(common + QStringList{QStringLiteral("--export")}).out);
    QCOMPARE(base.size(), 4);
    const QString baseFile = f.folder() + QStringLiteral("../base.tsv");
    test::WriteFileBytes(baseFile, gridBytes(base));

    // Someone else saves pupil 1's 国語 and pupil 2's 社会 meanwhile.
    StudentRecord one = f.readRecord(RosterFile::recordNumber(1, 1));
    one.setScoreSlot(1, 77);
    f.writeRecord(RosterFile::recordNumber(1, 1), one);
    StudentRecord two = f.readRecord(RosterFile::recordNumber(1, 2));
    two.setScoreSlot(2, 88);
    f.writeRecord(RosterFile::recordNumber(1, 2), two);

    // This teacher's file, edited from the base: pupil 1's 国語 (a clash) and pupil 3's 国語.
    Grid mine = base;
    mine[1][4] = QStringLiteral("50");
    mine[3][4] = QStringLiteral("40");
    const QString file = f.folder() + QStringLiteral("../mine.tsv");
    test::WriteFileBytes(file, gridBytes(mine));
    QStringList args = common + QStringList{QStringLiteral("--import"), file, QStringLiteral("--base"), baseFile};
    if (!rule.isEmpty()) args << QStringLiteral("--on-conflict") << rule;
    const QByteArray before = f.rosterBytes();
    const Run run = runEntry(args);
    QCOMPARE(run.status, status);
    // One line for the one clash, without the program's name: line 2 of the file is pupil 1.
    const QStringList clashLines = run.err.split(u'\n').filter(QRegularExpression(QStringLiteral("^競合")));
    QCOMPARE(clashLines, QStringList{QStringLiteral("競合\t2\t1\t1\t%1\t60\t50\t77").arg(base[0][4])});
    if (status != 0) QCOMPARE(f.rosterBytes(), before);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 1)).scoreSlot(1), clashed);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(2, 1)).scoreSlot(1), free);
    // What the other saved in a field this file did not touch stays, whatever the rule.
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 2)).scoreSlot(2), 88);
    // A settled clash is logged beside the lock.
    const QByteArray log = test::ReadFileBytes(GradeLockFolder(f.folder(), 1) + QStringLiteral("conflicts.txt"));
    QCOMPARE(log.isEmpty(), status != 0);
    if (status == 0) QVERIFY(log.contains(rule == QLatin1String("mine") ? "\tmine\n" : "\ttheirs\n"));
}

// Codes no key gives and the bracketed zero read back through their cell texts: untouched, they
// keep the stored value, whether the grid still shows the base or someone saved since.
void TestLockCommands::untouchedCellsKeepTheirStoredValue()
{
    test::GradeFixture f(1, 2);
    f.writeStandard({{1, 1, QStringLiteral("青木　一郎"), 1, {-3, -10, 62, 63, 64}},
                     {1, 2, QStringLiteral("石井　二郎"), 1, {-3, -10, 22, 23, 24}}});
    const QStringList common{QStringLiteral("--data"),  f.folder(),
                             QStringLiteral("--grade"), QStringLiteral("1"),
                             QStringLiteral("test"),    QStringLiteral("--test"),
                             QStringLiteral("1")};
    const Grid base = parseGrid(runEntry(common + QStringList{QStringLiteral("--export")}).out);
    QCOMPARE(base[1][5], QStringLiteral("-0")); // -10 is a bracketed zero
    const QString baseFile = f.folder() + QStringLiteral("../base.tsv");
    test::WriteFileBytes(baseFile, gridBytes(base));
    // Pupil 2's -3 and -10 were replaced by someone else since the export.
    StudentRecord two = f.readRecord(RosterFile::recordNumber(1, 2));
    two.setScoreSlot(1, 45);
    two.setScoreSlot(2, 46);
    f.writeRecord(RosterFile::recordNumber(1, 2), two);

    Grid mine = base;
    mine[1][6] = QStringLiteral("70"); // one real change, so that the save writes pupil 1's record
    mine[2][6] = QStringLiteral("71");
    const QString file = f.folder() + QStringLiteral("../mine.tsv");
    test::WriteFileBytes(file, gridBytes(mine));
    const Run run =
        runEntry(common + QStringList{QStringLiteral("--import"), file, QStringLiteral("--base"), baseFile});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.err, QString());
    const StudentRecord one = f.readRecord(RosterFile::recordNumber(1, 1));
    QCOMPARE(one.scoreSlot(1), -3);
    QCOMPARE(one.scoreSlot(2), -10);
    QCOMPARE(one.scoreSlot(3), 70);
    const StudentRecord after = f.readRecord(RosterFile::recordNumber(1, 2));
    QCOMPARE(after.scoreSlot(1), 45);
    QCOMPARE(after.scoreSlot(2), 46);
    QCOMPARE(after.scoreSlot(3), 71);

    // Without --base the loaded grid is the base: the old file's "-3" puts back no -13 either,
    // but it does put back what the other saved (the reason --base exists).
    const Run old = runEntry(common + QStringList{QStringLiteral("--import"), baseFile});
    QVERIFY2(old.status == 0, qPrintable(old.err));
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 1)).scoreSlot(1), -3);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 2)).scoreSlot(1), -13);
}

// A 内申点 0 shows an empty cell: "0" and "" are the same value, never a change or a clash.
void TestLockCommands::naishinZeroAndEmptyAreOneValue()
{
    test::GradeFixture f(1, 2);
    f.writeStandard({{1, 1, QStringLiteral("青木　一郎"), 1, {}},
                     {1, 2, QStringLiteral("石井　二郎"), 1, {}},
                     {1, 3, QStringLiteral("上田　三郎"), 1, {}}});
    QVERIFY(f.loadLists());
    const int slot = f.gd().naishinSlot[1];
    for (int n = 1; n <= 3; ++n) {
        StudentRecord rec = f.readRecord(RosterFile::recordNumber(1, n));
        rec.setNaishinSlot(slot, n == 3 ? -2 : 0);
        f.writeRecord(RosterFile::recordNumber(1, n), rec);
    }
    const QStringList common{QStringLiteral("--data"), f.folder(), QStringLiteral("--grade"), QStringLiteral("1"),
                             QStringLiteral("naishin")};
    const Grid base = parseGrid(runEntry(common + QStringList{QStringLiteral("--export")}).out);
    QCOMPARE(base[1][4], QString());
    QCOMPARE(base[3][4], QString());
    const QString baseFile = f.folder() + QStringLiteral("../base.tsv");
    test::WriteFileBytes(baseFile, gridBytes(base));
    // Someone saves 7 for pupils 1 and 2 meanwhile.
    for (int n = 1; n <= 2; ++n) {
        StudentRecord rec = f.readRecord(RosterFile::recordNumber(1, n));
        rec.setNaishinSlot(slot, 7);
        f.writeRecord(RosterFile::recordNumber(1, n), rec);
    }
    Grid mine = base;
    mine[1][4] = QStringLiteral("0"); // the value of the base: nothing to write
    mine[2][4] = QStringLiteral("5"); // a clash with the 7
    mine[3][4] = QStringLiteral("");  // untouched: the -2 stays
    const QString file = f.folder() + QStringLiteral("../mine.tsv");
    test::WriteFileBytes(file, gridBytes(mine));
    const Run run = runEntry(common + QStringList{QStringLiteral("--import"), file, QStringLiteral("--base"), baseFile,
                                                  QStringLiteral("--on-conflict"), QStringLiteral("theirs")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.err.split(u'\n', Qt::SkipEmptyParts),
             QStringList{QStringLiteral("競合\t3\t1\t2\t%1\t\t5\t7").arg(base[0][4])});
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 1)).naishinSlot(slot), 7);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 2)).naishinSlot(slot), 7);
    QCOMPARE(f.readRecord(RosterFile::recordNumber(1, 3)).naishinSlot(slot), -2);
}

// seiran-promote --save is exclusive: refused at once while an entry screen holds the grade,
// and with --wait it goes on by itself when the screen closes.
void TestLockCommands::exclusiveCommandsWaitForSharedHolders()
{
    if (!QFileInfo::exists(program(QStringLiteral("seiran-promote")))) QSKIP("seiran-promote is not built");
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    QVERIFY(test::WriteSample(data, 2, 2, 20));
    const QByteArray roster = test::ReadFileBytes(data + QStringLiteral("/dtfile02.rnd"));
    LockUser user(QStringLiteral("山田"));
    auto screen = std::make_unique<GradeLock>(data, 2);
    QVERIFY(screen->acquire(LockMode::Shared, QStringLiteral("点数の入力（テスト別）"), QStringLiteral("slots 1-5"))
                .granted);
    const qint64 generation = registryOf(data, 2).generation;
    const QStringList promote{QStringLiteral("--data"),  data,
                              QStringLiteral("--grade"), QStringLiteral("2"),
                              QStringLiteral("--sort"),  QStringLiteral("old"),
                              QStringLiteral("--save")};

    QProcess refused;
    refused.start(program(QStringLiteral("seiran-promote")), promote);
    QVERIFY(refused.waitForFinished(60000));
    QCOMPARE(refused.exitCode(), 2);
    const QString why = QString::fromUtf8(refused.readAllStandardError());
    QVERIFY2(why.contains(QStringLiteral("山田（%1）").arg(QSysInfo::machineHostName())) &&
                 why.contains(QStringLiteral("点数の入力（テスト別）")),
             qPrintable(why));
    QCOMPARE(test::ReadFileBytes(data + QStringLiteral("/dtfile02.rnd")), roster);

    QProcess waiting;
    QElapsedTimer clock;
    clock.start();
    waiting.start(program(QStringLiteral("seiran-promote")),
                  promote + QStringList{QStringLiteral("--wait"), QStringLiteral("60"), QStringLiteral("--user"),
                                        QStringLiteral("学年主任")});
    QVERIFY(waiting.waitForStarted());
    QVERIFY(!waiting.waitForFinished(2000));
    QVERIFY(QString::fromUtf8(waiting.readAllStandardError()).contains(QStringLiteral("待ちます")));
    screen.reset(); // the screen closes
    QVERIFY(waiting.waitForFinished(30000));
    QVERIFY2(waiting.exitCode() == 0, waiting.readAllStandardError().constData());
    QVERIFY(clock.elapsed() >= 2000);
    // It wrote the roster, raised the generation and left the grade.
    const LockRegistry after = registryOf(data, 2);
    QVERIFY(after.generation > generation);
    QVERIFY(after.holders.isEmpty());
}

// While a roster import holds the grade exclusively, an entry import is refused and writes
// nothing; an export is never refused.
void TestLockCommands::sharedImportsAreRefusedByAnExclusiveHolder()
{
    RegisterRosterEntryScreen();
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    QVERIFY(test::WriteSample(data, 1, 2, 10));
    const QStringList common{QStringLiteral("--data"), data, QStringLiteral("--grade"), QStringLiteral("1"),
                             QStringLiteral("naishin")};
    const Run exported = runEntry(common + QStringList{QStringLiteral("--export")});
    Grid grid = parseGrid(exported.out);
    grid[1][4] = grid[1][4] == QLatin1String("5") ? QStringLiteral("4") : QStringLiteral("5");
    const QString file = dir.filePath(QStringLiteral("n.tsv"));
    test::WriteFileBytes(file, gridBytes(grid));
    const QByteArray roster = test::ReadFileBytes(data + QStringLiteral("/dtfile01.rnd"));

    GradeLock roll(data, 1);
    {
        LockUser user(QStringLiteral("担任"));
        QVERIFY(roll.acquire(LockMode::Exclusive, QStringLiteral("名簿の編集"), QStringLiteral("all")).granted);
    }
    const Run refused = runEntry(common + QStringList{QStringLiteral("--import"), file});
    QCOMPARE(refused.status, 2);
    QVERIFY2(refused.err.contains(QStringLiteral("担任（%1）「名簿の編集」").arg(QSysInfo::machineHostName())),
             qPrintable(refused.err));
    QCOMPARE(test::ReadFileBytes(data + QStringLiteral("/dtfile01.rnd")), roster);
    QCOMPARE(runEntry(common + QStringList{QStringLiteral("--export")}).out, exported.out);
    // An exclusive import is refused by the exclusive holder as well.
    const QString csv = dir.filePath(QStringLiteral("meibo.csv"));
    test::WriteFileBytes(csv, "組,番,氏名\r\n1,1,新井　太郎\r\n");
    const Run meibo = runEntry({QStringLiteral("--data"), data, QStringLiteral("--grade"), QStringLiteral("1"),
                                QStringLiteral("meibo"), QStringLiteral("--import-csv"), csv});
    QCOMPARE(meibo.status, 2);
    QCOMPARE(test::ReadFileBytes(data + QStringLiteral("/dtfile01.rnd")), roster);

    QVERIFY(roll.release());
    const QString userBefore = LockUserName();
    const Run saved = runEntry(
        common + QStringList{QStringLiteral("--import"), file, QStringLiteral("--user"), QStringLiteral("教科担任")});
    QVERIFY2(saved.status == 0, qPrintable(saved.err));
    QCOMPARE(parseGrid(runEntry(common + QStringList{QStringLiteral("--export")}).out), grid);
    QCOMPARE(LockUserName(), userBefore); // --user does not outlive the run
}

void TestLockCommands::statusListsLiveAndStaleHolders()
{
    QTemporaryDir dir;
    const QString data = dir.path();
    QVERIFY(test::WriteSample(data, 3, 1, 10));
    // A folder written by an older version has no lock folder.
    QDir(GradeLockFolder(data, 3)).removeRecursively();
    // A grade never used with the lock: generation 0, and no lock folder made to look.
    const QStringList status{QStringLiteral("--data"), data, QStringLiteral("--grade"), QStringLiteral("3"),
                             QStringLiteral("--status")};
    const Run empty = runGrade(status);
    QCOMPARE(empty.status, 0);
    QCOMPARE(empty.out, QStringLiteral("generation\t0\n"));
    QVERIFY(!QFileInfo::exists(GradeLockFolder(data, 3)));

    LockUser user(QStringLiteral("鈴木"));
    GradeLock screen(data, 3);
    QVERIFY(screen.acquire(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin")).granted);
    // A holder of this PC whose program has ended.
    LockRegistry registry = registryOf(data, 3);
    LockHolder dead = registry.holders.first();
    dead.id = QStringLiteral("deadbeef00000000");
    dead.user = QStringLiteral("高橋");
    dead.pid = 2147483000;
    dead.screen = QStringLiteral("名簿の編集");
    dead.mode = LockMode::Exclusive;
    registry.holders.append(dead);
    test::WriteFileBytes(GradeLockFolder(data, 3) + QStringLiteral("lock.txt"), registry.serialize());

    const Run run = runGrade(status);
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("generation\t%1").arg(registry.generation));
    const QString host = QSysInfo::machineHostName();
    const QString since = LockTimeText(registry.holders.first().since);
    QCOMPARE(lines.at(1), QStringLiteral("holder\t%1\tS\t鈴木\t%2\t%3\t%4\t内申点の入力\tlive")
                              .arg(screen.holderId(), host)
                              .arg(QCoreApplication::applicationPid())
                              .arg(since));
    QCOMPARE(
        lines.at(2),
        QStringLiteral("holder\tdeadbeef00000000\tX\t高橋\t%1\t2147483000\t%2\t名簿の編集\tstale").arg(host, since));
    QVERIFY2(run.err.contains(QStringLiteral("高橋")), qPrintable(run.err));
    // The stale one is gone from the registry; the live one stays.
    const LockRegistry after = registryOf(data, 3);
    QCOMPARE(after.holders.size(), 1);
    QCOMPARE(after.holders.first().id, screen.holderId());
}

void TestLockCommands::statusRepairsAGarbageRegistryAndRefusesBadArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no --status") << QStringList{"--data", "DIR", "--grade", "1"}
                                 << "--status、--snapshot、--snapshots、--restore のどれか一つが要ります";
    QTest::newRow("grade 4") << QStringList{"--data", "DIR", "--grade", "4", "--status"} << "学年「4」はありません";
    QTest::newRow("no folder") << QStringList{"--data", "DIR/none", "--grade", "1", "--status"}
                               << "データフォルダ「DIR/none」がありません";
    QTest::newRow("unknown option") << QStringList{"--data", "DIR", "--grade", "1", "--status", "--all"}
                                    << "不明なオプション --all";
    QTest::newRow("a stray word") << QStringList{"--data", "DIR", "--grade", "1", "status"} << "「status」";
}

void TestLockCommands::statusRepairsAGarbageRegistryAndRefusesBadArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QDir().mkpath(GradeLockFolder(dir.path(), 1));
    const QString registry = GradeLockFolder(dir.path(), 1) + QStringLiteral("lock.txt");
    test::WriteFileBytes(registry, QByteArray("\x00\xff garbage\nholder\tx\n", 20));
    args.replaceInStrings(QStringLiteral("DIR"), dir.path());
    message.replace(QStringLiteral("DIR"), dir.path());
    const Run refused = runGrade(args);
    QCOMPARE(refused.status, 2);
    QVERIFY2(refused.err.startsWith(QStringLiteral("seiran-grade: ")) && refused.err.contains(message),
             qPrintable(refused.err));
    QCOMPARE(refused.out, QString());

    // With good arguments the garbage is replaced by a registry of nobody, said on standard error.
    const Run repaired = runGrade({QStringLiteral("--data"), dir.path(), QStringLiteral("--grade"), QStringLiteral("1"),
                                   QStringLiteral("--status")});
    QCOMPARE(repaired.status, 0);
    QVERIFY(repaired.out.startsWith(QStringLiteral("generation\t")));
    QCOMPARE(repaired.out.count(u'\n'), 1);
    QVERIFY2(repaired.err.contains(QStringLiteral("作り直しました")), qPrintable(repaired.err));
    QVERIFY(test::ReadFileBytes(registry).startsWith("seiran-lock\t1\t"));
}

void TestLockCommands::helpTellsToImportWithTheBase()
{
    const Run help = runEntry({QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    for (const char* option : {"--base FILE", "--on-conflict RULE", "--wait SECONDS", "--user NAME"})
        QVERIFY2(help.out.contains(QString::fromLatin1(option)), option);
    QVERIFY(help.out.contains(QStringLiteral("--import FILE --base")));
    const Run grade = runGrade({QStringLiteral("--help")});
    QCOMPARE(grade.status, 0);
    QVERIFY2(grade.out.startsWith(QStringLiteral("使い方: seiran-grade --data DIR --grade G (--status | --snapshot")),
             qPrintable(grade.out));
    for (const char* action : {"--status", "--snapshots", "--restore NAME", "--high-schools"})
        QVERIFY2(grade.out.contains(QString::fromLatin1(action)), action);
}

QTEST_GUILESS_MAIN(TestLockCommands)
#include "tst_lockcommands.moc"
