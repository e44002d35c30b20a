// High-school lists that once locked a grade out: an old list's fourth field, a 100th school,
// and a save that fails halfway.
#include "Cp932.h"
#include "FailingDisk.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "Notice.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace seiran;
using seiran::test::GradeFixture;
using seiran::test::ReadFileBytes;
using seiran::test::StdFilesFolder;
using seiran::test::WriteFileBytes;

namespace {

void fillSchools(GradeData& gd, int count)
{
    gd.highSchoolCount = count;
    for (int i = 1; i <= count; ++i) {
        gd.highSchoolShortNames[i] = QStringLiteral("高%1").arg(i);
        gd.highSchoolNames[i] = QStringLiteral("県立第%1高等学校").arg(i);
        gd.highSchoolCourses[i] = QStringLiteral("普通科");
    }
}

} // namespace

class ListFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void oldListWithAFourthFieldLoadsEveryTime();
    void atMostNinetyNineSchoolsAreSaved();
    void failedSaveKeepsBothFiles();
    void endOfFileMarkEndsTheList();
};

void ListFaultsTest::oldListWithAFourthFieldLoadsEveryTime()
{
    GradeFixture fx(1, 1);
    fx.writeSubjects({QStringLiteral("国語"), QStringLiteral("数学")});
    WriteFileBytes(fx.folder() + QStringLiteral("hischool.seq"),
                   Cp932::encode(QStringLiteral(" 2 \r\n\"北原\",\"県立北原高等学校\",\"普通科\",3\r\n"
                                                "\"南台\",\"県立南台高等学校\",\"普通科\",12\r\n")));
    SilentNotice notice;
    for (int load = 1; load <= 2; ++load) {
        const Result r = LoadHighSchoolList(fx.gd(), StdFilesFolder(), notice);
        QVERIFY2(r.ok, qPrintable(QStringLiteral("load %1: %2").arg(load).arg(r.message)));
        QCOMPARE(fx.gd().highSchoolCount, 3);
        QCOMPARE(fx.gd().highSchoolShortNames[2], QStringLiteral("南台"));
        QCOMPARE(fx.gd().highSchoolWeightCount[2], 0);
        QCOMPARE(fx.gd().highSchoolWeights(2, 1), 1); // the subjects' own weights
    }
    QCOMPARE(ReadFileBytes(fx.folder() + QStringLiteral("Hischool.Txt")),
             Cp932::encode(QStringLiteral(" 2 \r\n\"北原\",\"県立北原高等学校\",\"普通科\",0\r\n"
                                          "\"南台\",\"県立南台高等学校\",\"普通科\",0\r\n")));
}

void ListFaultsTest::atMostNinetyNineSchoolsAreSaved()
{
    GradeFixture fx(1, 1);
    RecordingNotice notice;
    fillSchools(fx.gd(), 100);
    QTemporaryDir program;
    const Result refused = SaveHighSchoolList(fx.gd(), program.path(), notice);
    QVERIFY(!refused.ok);
    QVERIFY2(refused.message.contains(QStringLiteral("99")), qPrintable(refused.message));
    QVERIFY(notice.texts.isEmpty());
    QVERIFY(QDir(fx.folder()).entryList(QDir::Files).isEmpty());
    QVERIFY(QDir(program.path()).entryList(QDir::Files).isEmpty()); // not even the standard list

    fillSchools(fx.gd(), 99);
    QVERIFY(SaveHighSchoolList(fx.gd(), program.path(), notice).ok);
    QVERIFY(LoadHighSchoolList(fx.gd(), program.path(), notice).ok);
    QCOMPARE(fx.gd().highSchoolCount, 100);
    QCOMPARE(fx.gd().highSchoolShortNames[99], QStringLiteral("高99"));
    QCOMPARE(fx.gd().highSchoolShortNames[100], QStringLiteral("その他"));
}

void ListFaultsTest::failedSaveKeepsBothFiles()
{
    GradeFixture fx(1, 1);
    SilentNotice notice;
    QTemporaryDir program;
    fillSchools(fx.gd(), 2);
    QVERIFY(SaveHighSchoolList(fx.gd(), program.path(), notice).ok);
    const QByteArray seq = ReadFileBytes(fx.folder() + QStringLiteral("hischool.seq"));
    const QByteArray txt = ReadFileBytes(fx.folder() + QStringLiteral("Hischool.txt"));

    // The longer list does not fit: the data folder keeps both old files, nothing half-written,
    // and the fall-back to the program folder fails the same way and says so.
    fillSchools(fx.gd(), 60);
    Result r;
    {
        test::FileSizeLimit limit(qMax(seq.size(), txt.size()) + 16);
        r = SaveHighSchoolList(fx.gd(), program.path(), notice);
    }
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("容量不足")), qPrintable(r.message));
    QCOMPARE(ReadFileBytes(fx.folder() + QStringLiteral("hischool.seq")), seq);
    QCOMPARE(ReadFileBytes(fx.folder() + QStringLiteral("Hischool.txt")), txt);
    QCOMPARE(QDir(fx.folder()).entryList(QDir::Files).size(), 2);
    QVERIFY(QDir(program.path()).entryList(QDir::Files).isEmpty());
}

void ListFaultsTest::endOfFileMarkEndsTheList()
{
    // Lists written by old programs end with 0x1A; the names missing before it stay empty.
    GradeFixture fx(1, 3);
    fx.writeTests({{QStringLiteral("中間"), 5}});
    WriteFileBytes(fx.folder() + QStringLiteral("tannin01.seq"),
                   Cp932::encode(QStringLiteral(" 3 \r\n\"佐藤\"\r\n")) + QByteArray("\x1A\x1A", 2));
    QVERIFY(LoadTestList(fx.gd()).ok);
    QCOMPARE(fx.gd().classCount, 3);
    QCOMPARE(fx.gd().teacherNames[1], QStringLiteral("佐藤"));
    QCOMPARE(fx.gd().teacherNames[2], QString());
    QCOMPARE(fx.gd().teacherNames[3], QString());
}

QTEST_GUILESS_MAIN(ListFaultsTest)
#include "tst_listfaults.moc"
