// seiran-report dosu, matome and suii: the sheets they draw, their PDF files and their errors.
#include "ReportCommon.h"
#include "ReportTestData.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "SeiranReport.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace seiran;

namespace {
struct Run
{
    int status = -1;
    QStringList out;
    QString err;
};

Run report(const QString& folder, const QStringList& args)
{
    const test::CommandRun run = test::RunCommand(
        RunSeiranReport, QStringLiteral("seiran-report"),
        QStringList{QStringLiteral("--data"), folder, QStringLiteral("--grade"), QStringLiteral("1")} + args);
    return {run.status, run.out.split(u'\n', Qt::SkipEmptyParts), run.err};
}

int count(const QStringList& lines, const QString& start)
{
    int n = 0;
    for (const QString& line : lines)
        if (line.startsWith(start)) ++n;
    return n;
}
} // namespace

class GraphCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MapReportFonts();
        QVERIFY(mDir.isValid());
        mFolder = mDir.filePath(QStringLiteral("grade"));
        const Result r = test::WriteSample(mFolder, 1, 3, 12);
        QVERIFY2(r.ok, qPrintable(r.message));
    }
    void init() { mClock = std::make_unique<ScopedReportClock>(test::FixedStampTime()); }
    void cleanup() { mClock.reset(); }

    void helpNamesTheGraphReports()
    {
        QString out;
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        QCOMPARE(RunSeiranReport({QStringLiteral("seiran-report"), QStringLiteral("--help")}, o, e), 0);
        o.flush();
        for (const char* name : {"  dosu ", "  matome ", "  suii ", "--total-max", "--no-table", "--landscape"})
            QVERIFY2(out.contains(QLatin1String(name)), name);
    }

    void dumps()
    {
        const Run dosu = report(mFolder, {"--test", "1", "dosu", "--dump"});
        QCOMPARE(dosu.status, 0);
        QVERIFY(count(dosu.out, QStringLiteral("T\t1\t1.00\t1.00\t")) == 1);
        QVERIFY(count(dosu.out, QStringLiteral("F\t")) > 10);
        QVERIFY(dosu.out.join(u'\n').contains(QStringLiteral("教科別度数分布表")));

        const Run one = report(
            mFolder, {"--test", "1", "dosu", "--item", "2", "--subject-max", "50", "--subject-band", "5", "--dump"});
        QCOMPARE(one.status, 0);
        QCOMPARE(count(one.out, QStringLiteral("F\t")), 11);
        QCOMPARE(count(one.out, QStringLiteral("N\t")), 0);

        const Run matome = report(mFolder, {"--test", "1", "matome", "--title1", "まとめ", "--dump"});
        QCOMPARE(matome.status, 0);
        QVERIFY(matome.out.join(u'\n').contains(QStringLiteral("まとめ")));
        QVERIFY(matome.out.join(u'\n').contains(QStringLiteral("04-01-2005"))); // the report clock's date

        const Run each = report(mFolder, {"--test", "1", "matome", "--each", "--classes", "2", "--dump"});
        QCOMPARE(each.status, 0);
        int names = 0; // one sheet per pupil of class 2
        for (const QString& line : each.out)
            if (line.contains(QStringLiteral(" ２ 組 ")) && line.contains(QStringLiteral(" 番 氏名 "))) ++names;
        QVERIFY(names > 5);
        QCOMPARE(count(each.out, QStringLiteral("N\t")) + 1, names);
        const Run two = report(mFolder, {"--test", "1", "matome", "--each", "--pupils", "1-2,3-1", "--dump"});
        QCOMPARE(two.status, 0);
        QCOMPARE(count(two.out, QStringLiteral("N\t")), 1);

        const Run suii = report(mFolder, {"suii", "--tests", "2,1", "--classes", "3", "--dump"});
        QCOMPARE(suii.status, 0);
        QVERIFY(count(suii.out, QStringLiteral("C\t")) > 0);
        const Run plain = report(mFolder, {"suii", "--tests", "1", "--no-table", "--dump"});
        QCOMPARE(plain.status, 0);
        QVERIFY(!plain.out.join(u'\n').contains(QStringLiteral("テスト名")));
    }

    void tallGraphIsNamed()
    {
        const Run r = report(mFolder, {"--test", "1", "dosu", "--subject-max", "150", "--subject-band", "2", "--dump"});
        QCOMPARE(r.status, 0); // the total's graph was drawn
        QVERIFY(r.err.contains(QStringLiteral("国語")));
        const Run none = report(
            mFolder, {"--test", "1", "dosu", "--item", "2", "--subject-max", "150", "--subject-band", "2", "--dump"});
        QCOMPARE(none.status, 2);
        QVERIFY(none.out.isEmpty());
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("suii with --test") << QStringList{"--test", "1", "suii", "--tests", "1", "--dump"} << "--test";
        QTest::newRow("suii without --tests") << QStringList{"suii", "--dump"} << "--tests";
        QTest::newRow("dosu with --tests") << QStringList{"--tests", "1", "dosu", "--dump"} << "--tests";
        QTest::newRow("dosu without --test") << QStringList{"dosu", "--dump"} << "--test";
        QTest::newRow("unknown test") << QStringList{"--test", "40", "matome", "--dump"} << "40";
        QTest::newRow("unknown test in list") << QStringList{"suii", "--tests", "1,40", "--dump"} << "40";
        QTest::newRow("repeated test") << QStringList{"suii", "--tests", "1,2,1", "--dump"}
                                       << "テスト 1 が二度指定されています。";
        QTest::newRow("bad list") << QStringList{"suii", "--tests", "1,x", "--dump"} << "1,x";
        QTest::newRow("unknown class") << QStringList{"suii", "--tests", "1", "--classes", "4", "--dump"} << "4組";
        QTest::newRow("unknown pupil") << QStringList{"--test", "1", "matome", "--each", "--pupils", "1-59", "--dump"}
                                       << "1組59番";
        QTest::newRow("bad pupil") << QStringList{"--test", "1", "matome", "--each", "--pupils", "15", "--dump"}
                                   << "15";
        QTest::newRow("pupils without --each")
            << QStringList{"--test", "1", "matome", "--pupils", "1-1", "--dump"} << "--each";
        QTest::newRow("zero band") << QStringList{"--test", "1", "dosu", "--total-band", "0", "--dump"} << "間隔";
        QTest::newRow("too many bands") << QStringList{"--test",         "1", "matome", "--subject-max", "101",
                                                       "--subject-band", "1", "--dump"}
                                        << "101本";
        QTest::newRow("band not a number")
            << QStringList{"--test", "1", "dosu", "--total-max", "abc", "--dump"} << "abc";
        QTest::newRow("handout too tall")
            << QStringList{"--test", "1", "matome", "--subject-band", "3", "--dump"} << "収まりません";
        QTest::newRow("too many tests") << QStringList{"suii", "--tests", "1,2,3,4,5,6,7,8,9", "--dump"} << "テスト";
        QTest::newRow("no output") << QStringList{"--test", "1", "dosu"} << "--pdf";
    }

    void errors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        const Run r = report(mFolder, args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void missingRosterIsNotCreated()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("g"));
        QVERIFY(QDir().mkpath(folder));
        for (const QString& name : QDir(mFolder).entryList(QDir::Files))
            if (!name.startsWith(QStringLiteral("dtfile"))) QFile::copy(mFolder + u'/' + name, folder + u'/' + name);
        const QString pdf = dir.filePath(QStringLiteral("x.pdf"));
        for (const QStringList& args :
             {QStringList{"--test", "1", "dosu", "--pdf", pdf}, QStringList{"suii", "--tests", "1", "--pdf", pdf}}) {
            const Run r = report(folder, args);
            QCOMPARE(r.status, 2);
            QVERIFY2(r.err.contains(QStringLiteral("名簿ファイル")), qPrintable(r.err));
        }
        QVERIFY(!QFile::exists(folder + QStringLiteral("/dtfile01.rnd")));
        QVERIFY(!QFile::exists(pdf));
    }

    void pdfFiles()
    {
        if (!test::HavePdfText()) QSKIP("pdftotext is not installed");
        QTemporaryDir dir;
        struct Case
        {
            QStringList args;
            QStringList texts;
        };
        const QList<Case> cases{
            {{"--test", "1", "dosu"}, {"教科別度数分布表", "５教科合計"}},
            {{"--test", "1", "matome", "--landscape"}, {"集計結果", "平均点", "合計"}},
            {{"--test", "1", "matome", "--each", "--pupils", "2-1"}, {"１ 年 ２ 組 １ 番"}},
            {{"suii", "--tests", "1,2"}, {"テスト名", "５教科合計"}},
        };
        int k = 0;
        for (const Case& c : cases) {
            const QString pdf = dir.filePath(QStringLiteral("r%1.pdf").arg(++k));
            const Run r = report(mFolder, c.args + QStringList{"--pdf", pdf});
            QCOMPARE(r.status, 0);
            const QString text = test::PdfText(pdf);
            for (const QString& t : c.texts)
                QVERIFY2(text.contains(t), qPrintable(t + u'\n' + text.left(400)));
        }
    }

private:
    QTemporaryDir mDir;
    QString mFolder;
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(GraphCommandTest)
#include "tst_graphcommand.moc"
