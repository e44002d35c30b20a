// seiran-report hyotei: the options of the setup screen, the hand edits, the copy texts, the
// printouts and the errors.
#include "EvaluationTestData.h"
#include "ReportCommon.h"
#include "ReportFonts.h"
#include "ScoreCells.h"
#include "SeiranReport.h"
#include "TestSupport.h"

#include <QFile>
#include <QTextStream>

using namespace seiran;
using namespace seiran::test;

namespace {
using Run = test::CommandRun;

Run seiranReport(const QStringList& args)
{
    return test::RunCommand(RunSeiranReport, QStringLiteral("seiran-report"), args);
}
} // namespace

class HyoteiCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MapReportFonts();
        WriteEvalGrade(mGrade, {
                                   {1, 5, "山田太郎", 1, {80, -1, 70}},
                                   {1, 6, "鈴木花子", 2, {90, -60, 60}},
                                   {2, 1, "佐藤一", 1, {40, 30, 20}},
                                   {2, 2, "高橋", 2, {70, 70, 70}},
                               });
    }
    void init() { mClock = std::make_unique<ScopedReportClock>(QDateTime(QDate(2005, 4, 1), QTime(13, 5, 9))); }
    void cleanup() { mClock.reset(); }

    void helpListsTheEvaluation()
    {
        const Run all = seiranReport({QStringLiteral("--help")});
        QCOMPARE(all.status, 0);
        for (const char* word : {"soten", "jun", "hyotei", "--weights", "--levels", "--tsv"})
            QVERIFY2(all.out.contains(QLatin1String(word)), word);
        const Run own = seiranReport({QStringLiteral("hyotei"), QStringLiteral("--help")});
        QCOMPARE(own.status, 0);
        QVERIFY(own.out.contains(QStringLiteral("--subject")));
    }

    void tsvIsWhatCopyPutsOnTheClipboard()
    {
        const Run score = hyotei({"--weights", "1=1,3=0.5", "--tsv"});
        QCOMPARE(score.status, 0);
        QCOMPARE(score.err, QString());
        // Totals: 山田 80 + 35 = 115, 鈴木 90 + 30 = 120, 佐藤 40 + 10 = 50, 高橋 70 + 35 = 105.
        QCOMPARE(score.out, QStringLiteral("\t\t\t\t\t\t\t1\t2\r\n"
                                           "組\t番\t氏　　名\t\t評定\t\t計\tx1\tx0.5\r\n"
                                           "1\t6\t鈴木花子\t女\t4\t \t120\t90\t60\r\n"
                                           "1\t5\t山田太郎\t男\t3\t \t115\t80\t70\r\n"
                                           "2\t2\t高橋\t女\t3\t \t105\t70\t70\r\n"
                                           "2\t1\t佐藤一\t男\t2\t \t50\t40\t20\r\n"));

        const Run number = hyotei(
            {"--weights", "2=1.50", "--tsv", "--view", "number", "--levels", "1-5=2,2-1=10", "--marks", "1-6=2"});
        QCOMPARE(number.status, 0);
        const QStringList lines = number.out.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(1), QStringLiteral("組\t番\t氏　　名\t\t評定\t\t計\tx1.5"));
        // 山田's typed 2 equals the computed level and shows plain; 佐藤's 10 in brackets.
        QCOMPARE(lines.at(2), QStringLiteral("1\t5\t山田太郎\t男\t2\t \t0\t欠"));
        QCOMPARE(lines.at(3), QStringLiteral("1\t6\t鈴木花子\t女\t3\t△\t75\t(50)"));
        QCOMPARE(lines.at(4), QStringLiteral("2\t1\t佐藤一\t男\t(10)\t \t45\t30"));

        const Run names = hyotei({"--weights", "1=1", "--tsv", "--view", "number", "--names"});
        QCOMPARE(names.status, 0);
        const QStringList named = names.out.split(QStringLiteral("\r\n"));
        QVERIFY(named.at(2).startsWith(QStringLiteral("3105\t山田太郎\t1\t5\t")));
        // The heading rows name no pupil: an empty identifier, then the name column's heading.
        QCOMPARE(named.at(0), QStringLiteral("\t\t\t\t\t\t\t\t\t1"));
        QCOMPARE(named.at(1), QStringLiteral("\t氏　　名\t組\t番\t氏　　名\t\t評定\t\t計\tx1"));

        const Run dist = hyotei({"--weights", "1=1", "--classes", "2", "--tsv", "--view", "distribution"});
        QCOMPARE(dist.status, 0);
        const QStringList rows = dist.out.split(QStringLiteral("\r\n"));
        QCOMPARE(rows.size(), 12);
        QCOMPARE(rows.at(0), QStringLiteral("評定\t合計\t1組\t2組"));
        QCOMPARE(rows.at(8), QStringLiteral("3\t2\t\t2"));
    }

    void optionsOfTheSetupScreen()
    {
        const Run boys = hyotei({"--weights", "1=1", "--sex", "1", "--tsv"});
        QCOMPARE(boys.status, 0);
        QCOMPARE(boys.out.count(QStringLiteral("\r\n")), 4);
        const Run typed =
            hyotei({"--weights", "1=1", "--method", "2", "--counts", "9=1,1=2", "--tsv", "--view", "number"});
        QCOMPARE(typed.status, 0);
        QVERIFY(typed.out.contains(QStringLiteral("鈴木花子\t女\t9\t")));
        QVERIFY(typed.out.contains(QStringLiteral("高橋\t女\t1\t")));
        QVERIFY(typed.out.contains(QStringLiteral("山田太郎\t男\t1\t")));
        QVERIFY(typed.out.contains(QStringLiteral("佐藤一\t男\t0\t")));
        const Run none = hyotei({"--weights", "1=1", "--classes", "none", "--tsv"});
        QCOMPARE(none.status, 0);
        QCOMPARE(none.out.count(QStringLiteral("\r\n")), 2);
        const Run ten = hyotei({"--weights", "1=1", "--method", "1", "--tsv", "--view", "distribution"});
        QCOMPARE(ten.status, 0);
        QVERIFY(ten.out.contains(QStringLiteral("\r\n6\t1\t1\t0\r\n")));
    }

    void dumpAndPdf()
    {
        const Run dump = hyotei({"--weights", "1=1,3=1", "--dump", "--print", "14"});
        QCOMPARE(dump.status, 0);
        QVERIFY(dump.out.startsWith(QStringLiteral("T\t1\t3.00\t3.00\t")));
        QVERIFY(dump.out.contains(QStringLiteral("評定の算出　３年 国語(点数順)")));
        QVERIFY(dump.out.contains(QStringLiteral("(人数分布)")));
        QVERIFY(!dump.out.contains(QStringLiteral("(出席番号順)")));
        QCOMPARE(dump.out.count(QStringLiteral("N\t")), 1);

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("hyotei.pdf"));
        const Run written = hyotei({"--weights", "1=1", "--pdf", pdf});
        QCOMPARE(written.status, 0);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        QVERIFY(file.size() > 1000);

        const QString nothing = dir.filePath(QStringLiteral("none.pdf"));
        const Run empty = hyotei({"--weights", "1=1", "--classes", "none", "--pdf", nothing});
        QCOMPARE(empty.status, 2);
        QVERIFY(empty.err.contains(QStringLiteral("描くページがありません。")));
        QVERIFY(!QFile::exists(nothing));
    }

    void errorsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unknown subject") << QStringList{"--subject", "12", "--weights", "1=1", "--tsv"} << "教科 12";
        QTest::newRow("unknown test") << QStringList{"--subject", "1", "--weights", "4=1", "--tsv"} << "テスト 4";
        QTest::newRow("test without the subject")
            << QStringList{"--subject", "7", "--weights", "1=1", "--tsv"} << "教科「美術」がありません";
        QTest::newRow("bad weight") << QStringList{"--subject", "1", "--weights", "1=1x", "--tsv"} << "1=1x";
        QTest::newRow("negative weight") << QStringList{"--subject", "1", "--weights", "1=-1", "--tsv"} << "1=-1";
        QTest::newRow("same test twice") << QStringList{"--subject", "1", "--weights", "1=1,1=2", "--tsv"}
                                         << "テスト 1 が二度指定されています。";
        QTest::newRow("no weight above 0")
            << QStringList{"--subject", "1", "--weights", "1=0,2=", "--tsv"} << "0 より大きい";
        QTest::newRow("unknown class") << QStringList{"--subject", "1", "--weights", "1=1", "--classes", "3", "--tsv"}
                                       << "3組";
        QTest::newRow("unknown pupil") << QStringList{"--subject", "1",     "--weights", "1=1",
                                                      "--levels",  "1-7=3", "--tsv"}
                                       << "1組7番";
        QTest::newRow("pupil outside the population")
            << QStringList{"--subject", "1", "--weights", "1=1", "--classes", "2", "--marks", "1-5=1", "--tsv"}
            << "1組5番";
        QTest::newRow("bad level") << QStringList{"--subject", "1", "--weights", "1=1", "--levels", "1-5=11", "--tsv"}
                                   << "11";
        QTest::newRow("bad mark") << QStringList{"--subject", "1", "--weights", "1=1", "--marks", "1-5=3", "--tsv"}
                                  << "3";
        QTest::newRow("same pupil twice")
            << QStringList{"--subject", "1", "--weights", "1=1", "--levels", "1-5=3,1-5=4", "--tsv"} << "二度";
        QTest::newRow("bad count") << QStringList{"--subject", "1",        "--weights", "1=1",  "--method",
                                                  "2",         "--counts", "5=401",     "--tsv"}
                                   << "5=401";
        QTest::newRow("counts without method 2")
            << QStringList{"--subject", "1", "--weights", "1=1", "--counts", "5=1", "--tsv"} << "--method 2";
        QTest::newRow("overflow") << QStringList{"--subject", "1", "--weights", "1=400", "--tsv"}
                                  << "重み付き合計が範囲（-32768～32767）を超えます（1組6番 鈴木花子）";
        QTest::newRow("test option") << QStringList{"--subject", "1", "--weights", "1=1", "--test", "1", "--tsv"}
                                     << "--test";
        QTest::newRow("no output") << QStringList{"--subject", "1", "--weights", "1=1"} << "--tsv";
        QTest::newRow("bad view") << QStringList{"--subject", "1", "--weights", "1=1", "--tsv", "--view", "x"}
                                  << "--view";
        QTest::newRow("bad print") << QStringList{"--subject", "1", "--weights", "1=1", "--dump", "--print", "5"}
                                   << "--print";
        QTest::newRow("nothing to draw") << QStringList{"--subject", "1",         "--weights", "1=1",   "--sex",
                                                        "1",         "--classes", "none",      "--dump"}
                                         << "描くページがありません。";
    }
    void errorsExitWithTwo()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        const Run r = seiranReport(QStringList{"--data", mGrade.folder(), "--grade", "3", "hyotei"} + args);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
    }

private:
    Run hyotei(const QStringList& args)
    {
        return seiranReport(QStringList{"--data", mGrade.folder(), "--grade", "3", "hyotei", "--subject", "1"} + args);
    }

    GradeFixture mGrade{3, 2};
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(HyoteiCommandTest)
#include "tst_hyoteicommand.moc"
