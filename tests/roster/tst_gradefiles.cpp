#include "NewRoster.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "TestSupport.h"
#include "support/FailingDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace seiran;
using seiran::test::ReadFileBytes;
using seiran::test::WriteFileBytes;

namespace {

QString stdFolder()
{
    return test::StdFilesFolder();
}

void enrol(const QString& roster, int record, int flag, const QString& name)
{
    RosterFile file(roster);
    QVERIFY(file.open().ok);
    StudentRecord rec;
    QVERIFY(file.read(record, rec).ok);
    rec.setFlag(flag);
    rec.setName(name);
    QVERIFY(file.write(record, rec).ok);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class GradeFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void rosterHoldsDataOnlyWithAPupil();
    void makingANewRosterTwiceKeepsTheOnlyBackup();
    void replacedListsAreKeptToo();
    void aFileThatCannotBeReplacedLeavesTheFolderAsItWas();
};

void GradeFilesTest::rosterHoldsDataOnlyWithAPupil()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(!RosterHoldsData(folder, 1)); // no file
    NullProgress progress;
    QVERIFY(CreateGradeFiles(folder, 1, 3, stdFolder(), progress).ok);
    const QString roster = GradeFiles(folder, 1).roster;
    QVERIFY(!RosterHoldsData(folder, 1)); // 180 blank records are no data
    enrol(roster, 150, StudentRecord::TransferredOut, QStringLiteral("転出した生徒"));
    QVERIFY(RosterHoldsData(folder, 1)); // a pupil who left is still a pupil's record
    enrol(roster, 150, StudentRecord::Free, QString());
    QVERIFY(!RosterHoldsData(folder, 1));
    enrol(roster, 1, StudentRecord::InUse, QStringLiteral("山田太郎"));
    QVERIFY(RosterHoldsData(folder, 1));
}

void GradeFilesTest::makingANewRosterTwiceKeepsTheOnlyBackup()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    NullProgress progress;
    QVERIFY(CreateGradeFiles(folder, 2, 2, stdFolder(), progress).ok);
    const GradeFileSet files = GradeFiles(folder, 2);
    enrol(files.roster, 61, StudentRecord::InUse, QStringLiteral("山田太郎"));
    const QByteArray real = ReadFileBytes(files.roster);

    // First re-creation keeps the real roster; the second, over a blank roster, keeps nothing
    // more and above all does not replace that backup.
    QVERIFY(CreateGradeFiles(folder, 2, 3, stdFolder(), progress).ok);
    QCOMPARE(ReadFileBytes(files.roster + QStringLiteral(".bak")), real);
    QVERIFY(CreateGradeFiles(folder, 2, 3, stdFolder(), progress).ok);
    QCOMPARE(ReadFileBytes(files.roster + QStringLiteral(".bak")), real);
    QCOMPARE(filesIn(folder), (QStringList{QStringLiteral("dtfile02.rnd"), QStringLiteral("dtfile02.rnd.bak"),
                                           QStringLiteral("kyoka02.seq"), QStringLiteral("tannin02.seq"),
                                           QStringLiteral("tannin02.seq.bak"), QStringLiteral("test02.seq")}));

    // A second real roster goes beside the first.
    enrol(files.roster, 2, StudentRecord::InUse, QStringLiteral("鈴木花子"));
    const QByteArray second = ReadFileBytes(files.roster);
    QVERIFY(CreateGradeFiles(folder, 2, 3, stdFolder(), progress).ok);
    QCOMPARE(ReadFileBytes(files.roster + QStringLiteral(".bak")), real);
    QCOMPARE(ReadFileBytes(files.roster + QStringLiteral(".bak2")), second);
    QCOMPARE(ReadFileBytes(files.roster).size(), 180 * StudentRecord::Size);
    QVERIFY(!RosterHoldsData(folder, 2));
}

void GradeFilesTest::replacedListsAreKeptToo()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    NullProgress progress;
    QVERIFY(CreateGradeFiles(folder, 1, 2, stdFolder(), progress).ok);
    const GradeFileSet files = GradeFiles(folder, 1);
    const QByteArray tests = "1\r\n\"中間\",\"中\", 5 \r\n";
    const QByteArray subjects = "1\r\n\"国語\", 0 , 1 \r\n";
    WriteFileBytes(files.tests, tests);
    WriteFileBytes(files.subjects, subjects);
    QVERIFY(CreateGradeFiles(folder, 1, 2, stdFolder(), progress).ok);
    QCOMPARE(ReadFileBytes(files.tests + QStringLiteral(".bak")), tests);
    QCOMPARE(ReadFileBytes(files.subjects + QStringLiteral(".bak")), subjects);
    QVERIFY(!QFile::exists(files.roster + QStringLiteral(".bak")));   // blank: nothing to keep
    QVERIFY(!QFile::exists(files.homeroom + QStringLiteral(".bak"))); // the same two classes
    QCOMPARE(ReadFileBytes(files.tests), CopyLines(ReadFileBytes(stdFolder() + QStringLiteral("/test.seq"))));
}

void GradeFilesTest::aFileThatCannotBeReplacedLeavesTheFolderAsItWas()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    NullProgress progress;
    QVERIFY(CreateGradeFiles(folder, 3, 2, stdFolder(), progress).ok);
    const GradeFileSet files = GradeFiles(folder, 3);
    enrol(files.roster, 1, StudentRecord::InUse, QStringLiteral("山田太郎"));
    QVERIFY(QFile::remove(files.tests));
    QVERIFY(QDir().mkpath(files.tests + QStringLiteral("/inside"))); // a folder where the list goes
    const QStringList before = filesIn(folder);
    const QByteArray roster = ReadFileBytes(files.roster);
    const QByteArray homeroom = ReadFileBytes(files.homeroom);

    const Result r = CreateGradeFiles(folder, 3, 4, stdFolder(), progress);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("test03.seq")) &&
                 r.message.contains(QStringLiteral("学年のファイルは作成しませんでした")),
             qPrintable(r.message));
    QCOMPARE(ReadFileBytes(files.roster), roster);
    QCOMPARE(ReadFileBytes(files.homeroom), homeroom);
    // The copies made before the failure went with it.
    QCOMPARE(filesIn(folder), before);

    // The same when the disk fails at the second copy (the sync of the homeroom file's backup,
    // after the four new files and the roster's backup).
    QVERIFY(QDir(files.tests).removeRecursively());
    WriteFileBytes(files.tests, "1\r\n\"中間\",\"中\", 5 \r\n");
    const QStringList intact = filesIn(folder);
    Result failed;
    {
        test::FailingSync sync(EIO, 6);
        failed = CreateGradeFiles(folder, 3, 4, stdFolder(), progress);
        QCOMPARE(test::FailingSync::calls(), 6);
    }
    QVERIFY(!failed.ok);
    QVERIFY2(failed.message.contains(QStringLiteral("tannin03.seq")), qPrintable(failed.message));
    QCOMPARE(filesIn(folder), intact);
    QCOMPARE(ReadFileBytes(files.roster), roster);
}

QTEST_MAIN(GradeFilesTest)
#include "tst_gradefiles.moc"
