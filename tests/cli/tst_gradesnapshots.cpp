// seiran-grade's snapshots: taken by hand, listed newest first, a promotion undone by a restore
// that leaves the grade byte for byte as before it, and a restore refused while others use the grade.
#include "GradeCommand.h"
#include "GradeLock.h"
#include "Snapshots.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace seiran;

namespace {

test::CommandRun grade(const QStringList& args)
{
    return test::RunCommand(RunGradeCommand, QStringLiteral("seiran-grade"), args);
}

QStringList base(const QString& data)
{
    return {QStringLiteral("--data"), data, QStringLiteral("--grade"), QStringLiteral("2")};
}

} // namespace

class TestGradeSnapshots : public QObject
{
    Q_OBJECT
private slots:
    void snapshotListAndRestoreThroughTheCommand();
    void restoreWaitsForNobodyAndRefusesBadNames();
};

void TestGradeSnapshots::snapshotListAndRestoreThroughTheCommand()
{
    QTemporaryDir dir;
    const QString data = dir.path();
    QVERIFY(test::WriteSample(data, 2, 2, 20).ok);
    const QMap<QString, QByteArray> before = test::FolderFiles(data);

    const test::CommandRun taken =
        grade(base(data) + QStringList{QStringLiteral("--snapshot"), QStringLiteral("--user"), QStringLiteral("田中")});
    QCOMPARE(taken.status, 0);
    QVERIFY2(taken.out.startsWith(QStringLiteral("snapshot\t")) && taken.out.endsWith(QStringLiteral("-manual\n")),
             qPrintable(taken.out));
    const QString name = taken.out.section(u'\t', 1).trimmed();

    // Something destructive afterwards: the roster rewritten and the test list replaced.
    QByteArray roster = test::ReadFileBytes(data + QStringLiteral("/dtfile02.rnd"));
    roster[600] = char(roster[600] ^ 0x55);
    test::WriteFileBytes(data + QStringLiteral("/dtfile02.rnd"), roster);
    test::WriteFileBytes(data + QStringLiteral("/test02.seq"), "0\r\n");

    const test::CommandRun list = grade(base(data) + QStringList{QStringLiteral("--snapshots")});
    QCOMPARE(list.status, 0);
    const QStringList fields = list.out.split(u'\n', Qt::SkipEmptyParts).first().split(u'\t');
    QCOMPARE(fields.size(), 6);
    QCOMPARE(fields.at(0), name);
    QCOMPARE(fields.at(1), QStringLiteral("manual"));
    QVERIFY(fields.at(2).endsWith(u'Z'));
    QCOMPARE(fields.at(3), QStringLiteral("田中"));
    QVERIFY(fields.at(5).contains(QStringLiteral("dtfile02.rnd")));

    const test::CommandRun restored = grade(base(data) + QStringList{QStringLiteral("--restore"), name});
    QVERIFY2(restored.status == 0, qPrintable(restored.err));
    QVERIFY(restored.out.startsWith(QStringLiteral("restored\t%1\nsnapshot\t").arg(name)));
    QCOMPARE(test::FolderFiles(data), before);
    // Nobody is left registered.
    QVERIFY(grade(base(data) + QStringList{QStringLiteral("--status")}).out.count(QStringLiteral("holder")) == 0);
}

void TestGradeSnapshots::restoreWaitsForNobodyAndRefusesBadNames()
{
    QTemporaryDir dir;
    const QString data = dir.path();
    QVERIFY(test::WriteSample(data, 2, 1, 10).ok);
    const test::CommandRun taken = grade(base(data) + QStringList{QStringLiteral("--snapshot")});
    const QString name = taken.out.section(u'\t', 1).trimmed();
    const QMap<QString, QByteArray> before = test::FolderFiles(data);

    GradeLock entry(data, 2);
    QVERIFY(entry.acquire(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin")).granted);
    const test::CommandRun refused = grade(base(data) + QStringList{QStringLiteral("--restore"), name});
    QCOMPARE(refused.status, 2);
    QVERIFY2(refused.err.contains(QStringLiteral("「内申点の入力」")), qPrintable(refused.err));
    entry.release();

    for (const QStringList& args :
         {QStringList{QStringLiteral("--restore"), QStringLiteral("nothing")},
          QStringList{QStringLiteral("--restore"), QStringLiteral("../seiran02")},
          QStringList{QStringLiteral("--snapshots"), QStringLiteral("--user"), QStringLiteral("x")},
          QStringList{QStringLiteral("--snapshot"), QStringLiteral("--status")}, QStringList{}}) {
        const test::CommandRun run = grade(base(data) + args);
        QCOMPARE(run.status, 2);
        QVERIFY(!run.err.isEmpty());
        QVERIFY(run.out.isEmpty());
    }
    QCOMPARE(test::FolderFiles(data), before);
}

QTEST_GUILESS_MAIN(TestGradeSnapshots)
#include "tst_gradesnapshots.moc"
