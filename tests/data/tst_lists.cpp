#include "Cp932.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "Notice.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace seiran;
using namespace seiran::test;

namespace {
QByteArray sjis(const QString& text)
{
    return Cp932::encode(text);
}
} // namespace

class ListsTest : public QObject
{
    Q_OBJECT
private slots:
    void readerFieldSemantics();
    void subjectListPlainLayoutRoundTrip();
    void subjectListWithNaishinOrder();
    void subjectOfAnUnknownKindIsKept();
    void testListSlotsAndHomeroom();
    void malformedListsAreRefusedWithTheirName();
    void highSchoolListFromTextFile();
    void highSchoolFallBackChain();
    void highSchoolSaveLayoutAndFallBack();
    void standardListsLoad();
};

void ListsTest::readerFieldSemantics()
{
    ListReader in(QStringLiteral(" 3 \r\n\"a,b\" ,  12 ,\"x\"\r\n  -4.5\r\n\r\n\"last\""));
    QCOMPARE(in.nextInt(), std::optional<int>(3));
    QCOMPARE(in.nextString(), std::optional<QString>(QStringLiteral("a,b")));
    QCOMPARE(in.nextInt(), std::optional<int>(12));
    QCOMPARE(in.nextString(), std::optional<QString>(QStringLiteral("x")));
    QCOMPARE(in.nextNumber(), std::optional<double>(-4.5));
    QVERIFY(!in.atEnd());
    QCOMPARE(in.nextString(), std::optional<QString>(QStringLiteral("last")));
    QVERIFY(in.atEnd());
    QVERIFY(!in.nextString());

    ListReader bad(QStringLiteral("abc"));
    QVERIFY(!bad.nextInt());

    ListWriter w;
    w.printed(5).comma().printed(-5).comma().quoted(QStringLiteral("国語")).comma().written(1.5).endLine();
    QCOMPARE(w.text(), QStringLiteral(" 5 ,-5 ,\"国語\",1.5\r\n"));
}

void ListsTest::subjectListPlainLayoutRoundTrip()
{
    GradeFixture fx(1, 1);
    GradeData& gd = fx.gd();
    gd.subjectCount = 3;
    gd.subjectNames[1] = QStringLiteral("国語");
    gd.subjectNames[2] = QStringLiteral("保体");
    gd.subjectKind[2] = 1;
    gd.naishinWeight[2] = 2;
    gd.subjectNames[3] = QStringLiteral("技家");
    gd.subjectKind[3] = 2;
    gd.naishinWeight[3] = 1;
    gd.subjectGroup[3] = QStringLiteral("1組2組");
    QVERIFY(SaveSubjectList(gd).ok);
    const QByteArray expected = sjis(QStringLiteral(" 3 \r\n\"国語\", 0 , 0 \r\n\"保体\", 1 , 2 \r\n"
                                                    "\"技家\", 2 , 1 ,\"1組2組\"\r\n"));
    QCOMPARE(ReadFileBytes(fx.folder() + QStringLiteral("kyoka01.seq")), expected);

    auto gd2 = std::make_unique<GradeData>();
    gd2->dataFolder = fx.folder();
    gd2->currentGrade = 1;
    QVERIFY(LoadSubjectList(*gd2).ok);
    QCOMPARE(gd2->subjectCount, 3);
    QCOMPARE(gd2->subjectKind[2], 1);
    QCOMPARE(gd2->naishinWeight[2], 2.0);
    QCOMPARE(gd2->subjectGroup[3], QStringLiteral("1組2組"));
    QCOMPARE(gd2->subjectGroup[2], QString());
    const int order[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 5};
    for (int j = 1; j <= 9; ++j)
        QCOMPARE(gd2->naishinSlot[j], order[j]);
}

void ListsTest::subjectListWithNaishinOrder()
{
    GradeFixture fx(2, 1);
    QString text = QStringLiteral("-1\r\n 9 \r\n");
    for (int j = 1; j <= 9; ++j)
        text += QStringLiteral(" %1 \r\n").arg(j);
    for (int k = 1; k <= 9; ++k)
        text += QStringLiteral("\"教科%1\", 0 , 1 \r\n").arg(k);
    WriteFileBytes(fx.folder() + QStringLiteral("kyoka02.seq"), sjis(text));
    GradeData& gd = fx.gd();
    QVERIFY(LoadSubjectList(gd).ok);
    for (int j = 1; j <= 9; ++j)
        QCOMPARE(gd.naishinSlot[j], j);
    QCOMPARE(gd.subjectNames[9], QStringLiteral("教科9"));
    // Saving writes the plain layout, which brings back the default order.
    QVERIFY(SaveSubjectList(gd).ok);
    QVERIFY(ReadFileBytes(fx.folder() + QStringLiteral("kyoka02.seq")).startsWith(" 9 \r\n\""));
    QVERIFY(LoadSubjectList(gd).ok);
    QCOMPARE(gd.naishinSlot[5], 6);
    QCOMPARE(gd.naishinSlot[9], 5);
}

void ListsTest::subjectOfAnUnknownKindIsKept()
{
    // A kind beyond 0-2 no longer locks the grade out: it loads, and saving writes it back as
    // it stood (with no group field, which only kind 2 has).
    GradeFixture fx(1, 1);
    const QByteArray text = sjis(QStringLiteral(" 3 \r\n\"国語\", 7 , 1 \r\n\"数学\",-1 , 2 \r\n\"英語\", 0 , 1 \r\n"));
    WriteFileBytes(fx.folder() + QStringLiteral("kyoka01.seq"), text);
    GradeData& gd = fx.gd();
    const Result r = LoadSubjectList(gd);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(gd.subjectCount, 3);
    QCOMPARE(gd.subjectKind[1], 7);
    QCOMPARE(gd.subjectKind[2], -1);
    QCOMPARE(gd.subjectNames[3], QStringLiteral("英語"));
    QCOMPARE(gd.naishinWeight[3], 1.0);
    QVERIFY(SaveSubjectList(gd).ok);
    QCOMPARE(ReadFileBytes(fx.folder() + QStringLiteral("kyoka01.seq")), text);
}

void ListsTest::testListSlotsAndHomeroom()
{
    GradeFixture fx(3, 4);
    fx.writeTests({{QStringLiteral("1学期中間"), 5}, {QStringLiteral("1学期期末"), 9}, {QStringLiteral("学年末"), 5}});
    QCOMPARE(
        ReadFileBytes(fx.folder() + QStringLiteral("test03.seq")),
        sjis(QStringLiteral(" 3 \r\n\"1学期中間\",\"1\", 5 \r\n\"1学期期末\",\"1\", 9 \r\n\"学年末\",\"学\", 5 \r\n")));
    fx.writeHomeroom();
    QCOMPARE(ReadFileBytes(fx.folder() + QStringLiteral("tannin03.seq")),
             QByteArray(" 4 \r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n"));
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = fx.folder();
    gd->currentGrade = 3;
    QVERIFY(LoadTestList(*gd).ok);
    QCOMPARE(gd->testCount, 3);
    QCOMPARE(gd->testFirstSlot[1], 1);
    QCOMPARE(gd->testFirstSlot[2], 6);
    QCOMPARE(gd->testFirstSlot[3], 15);
    QCOMPARE(gd->testShortNames[3], QStringLiteral("学"));
    QCOMPARE(gd->classCount, 4);
}

void ListsTest::malformedListsAreRefusedWithTheirName()
{
    GradeFixture fx(1, 1);
    GradeData& gd = fx.gd();
    gd.subjectCount = 2;
    Result r = LoadSubjectList(gd);
    QVERIFY(!r.ok);
    QVERIFY(r.message.contains(QStringLiteral("kyoka01.seq")));
    QCOMPARE(gd.subjectCount, 2); // untouched

    struct Case
    {
        const char* file;
        QString text;
    };
    const Case cases[] = {
        {"kyoka01.seq", QStringLiteral(" 11 \r\n")},                     // more subjects than the table holds
        {"kyoka01.seq", QStringLiteral(" 2 \r\n\"国語\", 0 , 1 \r\n")},  // truncated
        {"kyoka01.seq", QStringLiteral("-1\r\n 2 \r\n 1 \r\n 13 \r\n")}, // naishin slot beyond 12
        {"test01.seq", QStringLiteral(" 31 \r\n")},
        {"test01.seq", QStringLiteral(" 1 \r\n\"a\",\"b\", 11 \r\n")},
    };
    for (const Case& c : cases) {
        WriteFileBytes(fx.folder() + QLatin1String(c.file), sjis(c.text));
        r = QLatin1String(c.file).startsWith(QLatin1String("kyoka")) ? LoadSubjectList(gd) : LoadTestList(gd);
        QVERIFY2(!r.ok, qPrintable(c.text));
        QVERIFY(r.message.contains(QLatin1String(c.file)));
        QFile::remove(fx.folder() + QLatin1String(c.file));
    }

    // More than 200 slots in all.
    QString many = QStringLiteral(" 21 \r\n");
    for (int t = 1; t <= 21; ++t)
        many += QStringLiteral("\"t\",\"t\", 10 \r\n");
    WriteFileBytes(fx.folder() + QStringLiteral("test01.seq"), sjis(many));
    fx.writeHomeroom();
    r = LoadTestList(gd);
    QVERIFY(!r.ok);
    QVERIFY(r.message.contains(QStringLiteral("200")));

    // A homeroom file with ten classes.
    fx.writeTests({{QStringLiteral("a"), 5}});
    WriteFileBytes(fx.folder() + QStringLiteral("tannin01.seq"), QByteArray(" 10 \r\n"));
    r = LoadTestList(gd);
    QVERIFY(!r.ok);
    QVERIFY(r.message.contains(QStringLiteral("tannin01.seq")));
    QFile::remove(fx.folder() + QStringLiteral("tannin01.seq"));
    r = LoadTestList(gd);
    QVERIFY(r.message.contains(QStringLiteral("tannin01.seq")));
}

void ListsTest::highSchoolListFromTextFile()
{
    GradeFixture fx(1, 1);
    GradeData& gd = fx.gd();
    gd.subjectCount = 9;
    for (int j = 1; j <= 9; ++j)
        gd.naishinWeight[j] = j == 3 ? 2.5 : 1; // 2.5 rounds to 2 (halves to even)
    WriteFileBytes(
        fx.folder() + QStringLiteral("hischool.txt"),
        sjis(QStringLiteral(" 2 \r\n\"青嵐\",\"県立青嵐高等学校\",\"普通科\", 0 \r\n"
                            "\"東山\",\"県立東山高等学校\",\"理数科\", 9 , 1 , 1 , 3 , 3 , 1 , 1 , 1 , 1 , 1 \r\n")));
    RecordingNotice notice;
    QVERIFY(LoadHighSchoolList(gd, StdFilesFolder(), notice).ok);
    QVERIFY(notice.texts.isEmpty());
    QCOMPARE(gd.highSchoolCount, 3);
    QCOMPARE(gd.highSchoolNames[1], QStringLiteral("県立青嵐高等学校"));
    QCOMPARE(gd.highSchoolWeights(1, 3), 2);
    QCOMPARE(gd.highSchoolWeights(1, 1), 1);
    QCOMPARE(gd.highSchoolWeights(2, 3), 3);
    QCOMPARE(gd.highSchoolWeightCount[2], 9);
    QCOMPARE(gd.highSchoolShortNames[3], QStringLiteral("その他"));
    QCOMPARE(gd.highSchoolNames[3], QStringLiteral("その他"));
    QCOMPARE(gd.highSchoolCourses[3], QString());
}

void ListsTest::highSchoolFallBackChain()
{
    GradeFixture fx(1, 1);
    GradeData& gd = fx.gd();
    RecordingNotice notice;
    // Nothing in the data folder: the standard list, with the message once.
    QVERIFY(LoadHighSchoolList(gd, StdFilesFolder(), notice).ok);
    QCOMPARE(notice.texts, QStringList{QStringLiteral("データフォルダに高校名がありません。標準高校名を読み込みます")});
    QVERIFY(gd.highSchoolCount > 15);
    QCOMPARE(gd.highSchoolShortNames[gd.highSchoolCount], QStringLiteral("その他"));
    const QString converted = fx.folder() + QStringLiteral("Hischool.Txt");
    QVERIFY(QFile::exists(converted));
    // The converted file has the four-field lines and reads directly next time.
    QVERIFY(Cp932::decode(ReadFileBytes(converted)).contains(QStringLiteral("\",0\r\n")));
    const int count = gd.highSchoolCount;
    notice.texts.clear();
    QVERIFY(LoadHighSchoolList(gd, StdFilesFolder(), notice).ok);
    QVERIFY(notice.texts.isEmpty());
    QCOMPARE(gd.highSchoolCount, count);

    // An old hischool.seq in the data folder is converted without a message.
    GradeFixture fx2(1, 1);
    WriteFileBytes(fx2.folder() + QStringLiteral("hischool.seq"),
                   sjis(QStringLiteral(" 1 \r\n\"北原\",\"県立北原高等学校\",\"普通科\",0\r\n")));
    QVERIFY(LoadHighSchoolList(fx2.gd(), StdFilesFolder(), notice).ok);
    QVERIFY(notice.texts.isEmpty());
    QCOMPARE(fx2.gd().highSchoolCount, 2);
    QCOMPARE(ReadFileBytes(fx2.folder() + QStringLiteral("Hischool.Txt")),
             sjis(QStringLiteral(" 1 \r\n\"北原\",\"県立北原高等学校\",\"普通科\",0\r\n")));

    // No standard list either: an error that names it.
    GradeFixture fx3(1, 1);
    const Result r = LoadHighSchoolList(fx3.gd(), fx3.folder() + QStringLiteral("nowhere"), notice);
    QVERIFY(!r.ok);
    QVERIFY(r.message.contains(QStringLiteral("hischool.seq")));
}

void ListsTest::highSchoolSaveLayoutAndFallBack()
{
    GradeFixture fx(1, 1);
    GradeData& gd = fx.gd();
    gd.highSchoolCount = 2;
    gd.highSchoolShortNames[1] = QStringLiteral("青嵐");
    gd.highSchoolNames[1] = QStringLiteral("県立青嵐高等学校");
    gd.highSchoolCourses[1] = QStringLiteral("普通科");
    gd.highSchoolShortNames[2] = QStringLiteral("東山");
    gd.highSchoolNames[2] = QStringLiteral("県立東山高等学校");
    gd.highSchoolCourses[2] = QStringLiteral("理数科");
    for (int j = 1; j <= 9; ++j)
        gd.highSchoolWeights(2, j) = j == 3 ? 2 : 1;
    RecordingNotice notice;
    QVERIFY(SaveHighSchoolList(gd, StdFilesFolder(), notice).ok);
    QCOMPARE(ReadFileBytes(fx.folder() + QStringLiteral("hischool.seq")),
             sjis(QStringLiteral(" 2 \r\n\"青嵐\",\"県立青嵐高等学校\",\"普通科\",0\r\n"
                                 "\"東山\",\"県立東山高等学校\",\"理数科\",0\r\n")));
    QCOMPARE(
        ReadFileBytes(fx.folder() + QStringLiteral("Hischool.txt")),
        sjis(QStringLiteral(" 2 \r\n\"青嵐\",\"県立青嵐高等学校\",\"普通科\", 0 \r\n"
                            "\"東山\",\"県立東山高等学校\",\"理数科\", 9 , 1 , 1 , 2 , 1 , 1 , 1 , 1 , 1 , 1 \r\n")));

    // A data folder that cannot be written: the standard list of the program folder is updated.
    QTemporaryDir program;
    gd.dataFolder = fx.folder() + QStringLiteral("missing/folder/");
    QVERIFY(SaveHighSchoolList(gd, program.path(), notice).ok);
    QCOMPARE(notice.texts,
             QStringList{QStringLiteral("データフォルダに高校名を書き込めません｡標準高校名を更新します ")});
    QVERIFY(QFile::exists(program.path() + QStringLiteral("/hischool.seq")));
}

void ListsTest::standardListsLoad()
{
    // The lists that ship with the program are what a new grade starts from.
    GradeFixture fx(1, 1);
    for (const char* name : {"kyoka", "test"}) {
        QVERIFY(QFile::copy(StdFilesFolder() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".seq"),
                            fx.folder() + QLatin1String(name) + QStringLiteral("01.seq")));
    }
    fx.writeHomeroom();
    QVERIFY(fx.loadLists());
    QCOMPARE(fx.gd().subjectCount, 9);
    QCOMPARE(fx.gd().subjectNames[1], QStringLiteral("国語"));
    QCOMPARE(fx.gd().subjectNames[9], QStringLiteral("技家"));
    QVERIFY(fx.gd().testCount >= 5);
    QCOMPARE(fx.gd().testSubjectCount[1], 5);
    const QByteArray raw = ReadFileBytes(StdFilesFolder() + QStringLiteral("/hischool.seq"));
    QVERIFY(raw.endsWith("\r\n"));
    QVERIFY(!raw.contains("\n\n"));
}

QTEST_GUILESS_MAIN(ListsTest)
#include "tst_lists.moc"
