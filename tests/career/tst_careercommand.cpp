// seiran-report's career lists: every report dumped and written as a PDF, the options they
// take and the errors.
#include "CareerReportCommand.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "ReportCommon.h"
#include "SampleGrade.h"
#include "SeiranReport.h"
#include "TestSupport.h"
#include "reports/ReportTestData.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace seiran;

namespace {
using Run = test::CommandRun;

Run report(const QStringList& args)
{
    return test::RunCommand(RunSeiranReport, QStringLiteral("seiran-report"), args);
}

int sheets(const QString& dump)
{
    int n = 1;
    for (const QString& line : dump.split(u'\n'))
        if (line.startsWith(QLatin1String("N\t"))) ++n;
    return n;
}

QStringList texts(const QString& dump)
{
    QStringList out;
    for (const QString& line : dump.split(u'\n'))
        if (line.startsWith(QLatin1String("T\t"))) out.append(line.section(u'\t', 6));
    return out;
}
} // namespace

class CareerCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MapReportFonts();
        QVERIFY(mDir.isValid());
        mFolder = mDir.filePath(QStringLiteral("grade"));
        const Result r = test::WriteSample(mFolder, 3, 3, 30);
        QVERIFY2(r.ok, qPrintable(r.message));
    }
    void init() { mClock = std::make_unique<ScopedReportClock>(test::FixedStampTime()); }
    void cleanup() { mClock.reset(); }

    void helpListsTheCareerReports()
    {
        const Run r = report({QStringLiteral("--help")});
        QCOMPARE(r.status, 0);
        for (const char* name : {"sibo-class", "sibo-points", "sibo-schools", "sinro-class", "sinro-grade",
                                 "sinro-school", "--tests", "--second", "--no-naishin", "--no-school-weights"})
            QVERIFY2(r.out.contains(QLatin1String(name)), name);
        // One line of the list of reports.
        QCOMPARE(r.out.count(QStringLiteral("\n  sinro-grade ")), 1);
    }

    void everyReportDumpsAndWritesAPdf_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("sheets");
        QTest::newRow("sibo-class") << QStringList{"sibo-class"} << "志望校・内申点　一覧表　　3年1組" << 3;
        QTest::newRow("sibo-class one") << QStringList{"sibo-class", "--class", "2"}
                                        << "志望校・内申点　一覧表　　3年2組" << 1;
        QTest::newRow("sibo-points") << QStringList{"sibo-points"} << "内申点別人数一覧表" << 1;
        QTest::newRow("sibo-schools") << QStringList{"sibo-schools"} << "志望校別人数一覧表(第１志望校)" << 1;
        QTest::newRow("sinro-class") << QStringList{"sinro-class", "--tests", "1,3"}
                                     << "クラス別 得点・内申点・志望校一覧　　　3年1組" << 3;
        QTest::newRow("sinro-class one") << QStringList{"sinro-class", "--class", "3", "--no-naishin", "--tests", "2"}
                                         << "クラス別 得点・内申点・志望校一覧　　　3年3組" << 1;
        QTest::newRow("sinro-grade") << QStringList{"sinro-grade", "--tests", "3,1,2"} << "学年全体順位表" << 2;
        QTest::newRow("sinro-grade no tests") << QStringList{"sinro-grade"} << "学年全体順位表" << 2;
        QTest::newRow("sinro-school") << QStringList{"sinro-school", "--tests", "1", "--second", "--no-school-weights"}
                                      << "志望校別 順位表" << -1;
    }
    void everyReportDumpsAndWritesAPdf()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, title);
        QFETCH(int, sheets);
        const QStringList common{QStringLiteral("--data"), mFolder, QStringLiteral("--grade"), QStringLiteral("3")};
        const Run dump = report(common + args + QStringList{QStringLiteral("--dump")});
        QVERIFY2(dump.status == 0, qPrintable(dump.err));
        const QStringList drawn = texts(dump.out);
        if (title == QStringLiteral("志望校別 順位表"))
            QVERIFY(drawn.contains(QStringLiteral("県立青嵐高等学校 普通科")));
        else
            QCOMPARE(drawn.first(), title);
        if (sheets > 0) QCOMPARE(::sheets(dump.out), sheets);

        const QString pdf = mDir.filePath(args.first() + QString::number(args.size()) + QStringLiteral(".pdf"));
        const Run written = report(common + args + QStringList{QStringLiteral("--pdf"), pdf});
        QVERIFY2(written.status == 0, qPrintable(written.err));
        QVERIFY(QFileInfo(pdf).size() > 0);
        if (test::PdfPages(pdf) >= 0) QCOMPARE(test::PdfPages(pdf), ::sheets(dump.out));
        if (test::HavePdfText() && title != QStringLiteral("志望校別 順位表"))
            QVERIFY(test::PdfText(pdf).contains(title.left(5)));
    }

    void testsAreTakenInListOrder()
    {
        const QStringList common{QStringLiteral("--data"),      mFolder,
                                 QStringLiteral("--grade"),     QStringLiteral("3"),
                                 QStringLiteral("sinro-grade"), QStringLiteral("--dump"),
                                 QStringLiteral("--tests")};
        const Run a = report(common + QStringList{QStringLiteral("3,1")});
        const Run b = report(common + QStringList{QStringLiteral("1,3")});
        QCOMPARE(a.status, 0);
        QCOMPARE(a.out, b.out);
        // A test named twice is refused, not merged.
        const Run twice = report(common + QStringList{QStringLiteral("1,3,1")});
        QCOMPARE(twice.status, 2);
        QCOMPARE(twice.err, QStringLiteral("seiran-report: テスト 1 が二度指定されています。\n"));
        QVERIFY(twice.out.isEmpty());
        QVERIFY(texts(a.out).contains(QStringLiteral("1中")));
        QVERIFY(texts(a.out).indexOf(QStringLiteral("1中")) < texts(a.out).indexOf(QStringLiteral("2中")));
    }

    void errorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("test zero") << QStringList{"sinro-grade", "--tests", "0"} << "0";
        QTest::newRow("no such test") << QStringList{"sinro-class", "--tests", "1,9"} << "9";
        QTest::newRow("not a number") << QStringList{"sinro-class", "--tests", "1,x"} << "x";
        QTest::newRow("second with points") << QStringList{"sibo-points", "--second"} << "--second";
        QTest::newRow("tests with sibo") << QStringList{"sibo-class", "--tests", "1"} << "--tests";
        QTest::newRow("test with career") << QStringList{"sinro-grade", "--test", "1"} << "--test";
        QTest::newRow("class with grade ranking") << QStringList{"sinro-grade", "--class", "1"} << "--class";
        QTest::newRow("no such class") << QStringList{"sibo-class", "--class", "4"} << "4組";
        QTest::newRow("nothing to rank") << QStringList{"sinro-grade", "--no-naishin"}
                                         << "処理するテストを選んでください。";
        QTest::newRow("career option with soten") << QStringList{"soten", "--test", "1", "--second"} << "--second";
    }
    void errorsExitWithTwo()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        const Run r = report(QStringList{QStringLiteral("--data"), mFolder, QStringLiteral("--grade"),
                                         QStringLiteral("3"), QStringLiteral("--dump")} +
                             args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void fourteenTestsAreRefused()
    {
        QTemporaryDir dir;
        SampleOptions options;
        options.grade = 1;
        options.classes = 1;
        options.pupils = 5;
        QVERIFY(WriteSampleGrade(dir.path(), options).ok);
        GradeData gd;
        gd.dataFolder = dir.path() + u'/';
        gd.currentGrade = 1;
        QVERIFY(LoadTestList(gd).ok);
        gd.testCount = 14;
        for (int t = 1; t <= 14; ++t) {
            gd.testNames[t] = QStringLiteral("テスト%1").arg(t);
            gd.testShortNames[t] = QString::number(t);
            gd.testSubjectCount[t] = 5;
        }
        QVERIFY(SaveTestList(gd).ok);
        const QStringList common{QStringLiteral("--data"),       dir.path(),
                                 QStringLiteral("--grade"),      QStringLiteral("1"),
                                 QStringLiteral("sinro-school"), QStringLiteral("--dump"),
                                 QStringLiteral("--tests")};
        const Run r = report(common + QStringList{QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14")});
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains(QStringLiteral("処理できるテストは13までです。")));
        const Run ok = report(common + QStringList{QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13")});
        QVERIFY2(ok.status == 0, qPrintable(ok.err));
    }

    void theHighSchoolListFallsBackWithANotice()
    {
        QTemporaryDir dir;
        SampleOptions options;
        options.grade = 2;
        options.classes = 1;
        options.pupils = 5;
        QVERIFY(WriteSampleGrade(dir.path(), options).ok);
        for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("*ischool*")}, QDir::Files))
            QVERIFY(QFile::remove(dir.filePath(name)));
        const Run r = report({QStringLiteral("--data"), dir.path(), QStringLiteral("--grade"), QStringLiteral("2"),
                              QStringLiteral("sibo-schools"), QStringLiteral("--dump")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("データフォルダに高校名がありません。標準高校名を読み込みます")));
        QVERIFY(texts(r.out).contains(QStringLiteral("その他")));
    }

private:
    QTemporaryDir mDir;
    QString mFolder;
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(CareerCommandTest)
#include "tst_careercommand.moc"
