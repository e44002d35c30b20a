// seiran-report seiseki and tsuchi: argument errors, the dump and the PDF files.
#include "ReportCommon.h"
#include "ReportTestData.h"
#include "SampleGrade.h"
#include "SeiranReport.h"
#include "TestSupport.h"

#include <QFile>
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

QStringList linesOf(const Run& r, const QString& kind)
{
    QStringList result;
    for (const QString& line : r.out.split(u'\n', Qt::SkipEmptyParts))
        if (line.startsWith(kind + u'\t')) result.append(line);
    return result;
}

} // namespace

class ReportCardCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MapReportFonts();
        QVERIFY(mDir.isValid());
        mFolder = mDir.filePath(QStringLiteral("grade"));
        const Result r = test::WriteSample(mFolder, 1, 3, 8);
        QVERIFY2(r.ok, qPrintable(r.message));
    }

    void helpListsBothCards()
    {
        const Run r = report({QStringLiteral("--help")});
        QCOMPARE(r.status, 0);
        bool seiseki = false;
        bool tsuchi = false;
        for (const QString& line : r.out.split(u'\n')) {
            seiseki = seiseki || line.trimmed().startsWith(QLatin1String("seiseki "));
            tsuchi = tsuchi || line.trimmed().startsWith(QLatin1String("tsuchi "));
        }
        QVERIFY(seiseki && tsuchi);
        QVERIFY(r.out.contains(QLatin1String("--graph-tests")));
    }

    void errorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unknown test") << QStringList{"seiseki", "--tests", "1,99", "--dump"} << "99";
        QTest::newRow("repeated test") << QStringList{"seiseki", "--tests", "2,1,2", "--dump"}
                                       << "テスト 2 が二度指定されています。";
        QTest::newRow("repeated graph test")
            << QStringList{"tsuchi", "--tests", "1,2", "--graph-tests", "2,2", "--dump"}
            << "テスト 2 が二度指定されています。";
        QTest::newRow("not a list") << QStringList{"seiseki", "--tests", "1,x", "--dump"} << "1,x";
        QTest::newRow("no tests") << QStringList{"tsuchi", "--dump"} << "--tests";
        QTest::newRow("single --test") << QStringList{"seiseki", "--test", "1", "--tests", "1", "--dump"} << "--test";
        QTest::newRow("graph test not printed")
            << QStringList{"tsuchi", "--tests", "1,2", "--graph-tests", "3", "--dump"} << "3";
        QTest::newRow("unknown class") << QStringList{"seiseki", "--tests", "1", "--classes", "1,4", "--dump"} << "4組";
        QTest::newRow("pupil not enrolled")
            << QStringList{"tsuchi", "--tests", "1", "--pupils", "1-2,2-59", "--dump"} << "2組59番";
        QTest::newRow("pupil not class-number")
            << QStringList{"tsuchi", "--tests", "1", "--pupils", "7", "--dump"} << "組-番";
        QTest::newRow("pupils and classes")
            << QStringList{"tsuchi", "--tests", "1", "--pupils", "1-1", "--classes", "1", "--dump"} << "--pupils";
        QTest::newRow("graph on tsuchi") << QStringList{"tsuchi", "--tests", "1", "--graph", "--dump"} << "--graph";
        QTest::newRow("graph tests on seiseki")
            << QStringList{"seiseki", "--tests", "1", "--graph-tests", "1", "--dump"} << "--graph-tests";
        QTest::newRow("pdf and dump") << QStringList{"seiseki", "--tests", "1", "--dump", "--pdf", "x.pdf"} << "--pdf";
    }
    void errorsExitWithTwo()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        const Run r = report(QStringList{QStringLiteral("--data"), mFolder, QStringLiteral("--grade"), "1"} + args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void missingRosterIsReportedNotCreated()
    {
        QTemporaryDir dir;
        for (const QString& name :
             {QStringLiteral("test01.seq"), QStringLiteral("kyoka01.seq"), QStringLiteral("tannin01.seq")})
            QVERIFY(QFile::copy(QDir(mFolder).filePath(name), dir.filePath(name)));
        const Run r = report({QStringLiteral("--data"), dir.path(), QStringLiteral("--grade"), QStringLiteral("1"),
                              QStringLiteral("tsuchi"), QStringLiteral("--tests"), QStringLiteral("1"),
                              QStringLiteral("--dump")});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QStringLiteral("dtfile01.rnd")), qPrintable(r.err));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("dtfile01.rnd"))));
    }

    void dumpOfTheCards()
    {
        const QStringList common{QStringLiteral("--data"), mFolder, QStringLiteral("--grade"), QStringLiteral("1")};
        const Run seiseki =
            report(common + QStringList{QStringLiteral("seiseki"), QStringLiteral("--tests"), QStringLiteral("2,1,3"),
                                        QStringLiteral("--classes"), QStringLiteral("2"), QStringLiteral("--graph"),
                                        QStringLiteral("--dump")});
        QCOMPARE(seiseki.status, 0);
        // Six blocks to an A4 sheet.
        int headings = 0;
        for (const QString& line : linesOf(seiseki, QStringLiteral("T")))
            if (line.section(u'\t', 6).startsWith(QStringLiteral("1年2組"))) ++headings;
        QVERIFY(headings > 0);
        QCOMPARE(linesOf(seiseki, QStringLiteral("N")).size(), (headings - 1) / 6);
        QVERIFY(seiseki.out.startsWith(QStringLiteral("T\t1\t2.00\t1.00\tＭＳ ゴシック\t10\t1年2組")));
        QVERIFY(!linesOf(seiseki, QStringLiteral("C")).isEmpty());
        QVERIFY(linesOf(seiseki, QStringLiteral("C")).first().contains(QStringLiteral("\t0.40\t2\t0")));
        // The card order: test 2 first.
        QVERIFY(seiseki.out.contains(QStringLiteral("T\t1\t1.00\t3.50\tＭＳ 明朝\t10\t1学期期末")));

        const Run tsuchi = report(common + QStringList{QStringLiteral("tsuchi"), QStringLiteral("--tests"),
                                                       QStringLiteral("1,2,3"), QStringLiteral("--graph-tests"),
                                                       QStringLiteral("3,1"), QStringLiteral("--pupils"),
                                                       QStringLiteral("1-3,3-1"), QStringLiteral("--dump")});
        QCOMPARE(tsuchi.status, 0);
        QCOMPARE(linesOf(tsuchi, QStringLiteral("N")).size(), 1); // two pupils, two sheets
        // Graph numbers follow the order of --tests.
        QVERIFY(tsuchi.out.contains(QStringLiteral("\t① 1学期中間")));
        QVERIFY(tsuchi.out.contains(QStringLiteral("\t1学期期末\n")));
        QVERIFY(tsuchi.out.contains(QStringLiteral("\t② 2学期中間")));
        QVERIFY(tsuchi.out.contains(QStringLiteral(" 年 3 組 1 番  ")));
    }

    void pdfFiles()
    {
        const QStringList common{QStringLiteral("--data"), mFolder, QStringLiteral("--grade"), QStringLiteral("1")};
        const QString b5 = mDir.filePath(QStringLiteral("tsuchi.pdf"));
        const Run t = report(common + QStringList{QStringLiteral("tsuchi"), QStringLiteral("--tests"),
                                                  QStringLiteral("1,2"), QStringLiteral("--graph-tests"),
                                                  QStringLiteral("1,2"), QStringLiteral("--pdf"), b5});
        QCOMPARE(t.status, 0);
        QVERIFY(QFileInfo(b5).size() > 0);
        const QString a4 = mDir.filePath(QStringLiteral("seiseki.pdf"));
        const Run s =
            report(common + QStringList{QStringLiteral("seiseki"), QStringLiteral("--tests"), QStringLiteral("1,2"),
                                        QStringLiteral("--graph"), QStringLiteral("--pdf"), a4});
        QCOMPARE(s.status, 0);
        if (test::PdfPages(b5) < 0) QSKIP("pdfinfo is not installed");
        // The same sheets as the dumps: one per pupil on B5.
        const Run b5Dump = report(common + QStringList{QStringLiteral("tsuchi"), QStringLiteral("--tests"),
                                                       QStringLiteral("1,2"), QStringLiteral("--dump")});
        const Run a4Dump =
            report(common + QStringList{QStringLiteral("seiseki"), QStringLiteral("--tests"), QStringLiteral("1,2"),
                                        QStringLiteral("--graph"), QStringLiteral("--dump")});
        QCOMPARE(test::PdfPages(b5), linesOf(b5Dump, QStringLiteral("N")).size() + 1);
        QCOMPARE(test::PdfPages(a4), linesOf(a4Dump, QStringLiteral("N")).size() + 1);
        QVERIFY(test::PdfPages(b5) > 20);
        // JIS B5 is 182 x 257 mm = 516 x 729 points.
        QVERIFY2(test::PdfPageSize(b5).startsWith(QLatin1String("515.9")) ||
                     test::PdfPageSize(b5).startsWith(QLatin1String("516")),
                 qPrintable(test::PdfPageSize(b5)));
        if (!test::HavePdfText()) QSKIP("pdftotext is not installed");
        const QString text = test::PdfText(b5);
        QVERIFY2(text.contains(QStringLiteral("テスト成績一覧表")), qPrintable(text.left(300)));
        QVERIFY(text.contains(QStringLiteral("５教科合計")));
        // The first pupil's name, as the dump has it.
        const Run dump = report(common + QStringList{QStringLiteral("tsuchi"), QStringLiteral("--tests"),
                                                     QStringLiteral("1"), QStringLiteral("--dump")});
        const QString nameLine = dump.out.section(u'\n', 1, 1).section(u'\t', 6);
        // The family name (pdftotext turns the full-width blank into spaces).
        const QString name = nameLine.section(QStringLiteral("番  "), 1).trimmed().section(u'　', 0, 0);
        QVERIFY(!name.isEmpty());
        QVERIFY2(text.contains(name), qPrintable(name));
        QVERIFY(test::PdfText(a4).contains(name));
    }

private:
    QTemporaryDir mDir;
    QString mFolder;
};

QTEST_MAIN(ReportCardCommandTest)
#include "tst_reportcardcommand.moc"
