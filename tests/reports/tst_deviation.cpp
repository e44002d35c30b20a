// 偏差値一覧表: the statistics against hand-worked figures, the sheets on the recording canvas,
// and the command's CSV.
#include "AverageReport.h"
#include "AveragesReportWindow.h"
#include "CsvFile.h"
#include "DeviationReport.h"
#include "DeviationReportWindow.h"
#include "Helpers.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RankReport.h"
#include "RankTableWindow.h"
#include "RawScoreReportWindow.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ReportTestData.h"
#include "SampleGrade.h"
#include "SeiranReport.h"
#include "Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace seiran;
using seiran::test::ReportPupil;

Q_DECLARE_METATYPE(seiran::DeviationSheet)

namespace {
const CanvasFont Preview9{QStringLiteral("ＭＳ ゴシック"), 9.0, false};

DeviationStats statsOf(const QList<int>& scores)
{
    DeviationStats st;
    for (int x : scores)
        st.add(x);
    return st;
}

QString deviationOf(const QList<int>& scores, int x)
{
    const std::optional<double> d = statsOf(scores).deviationValue(x);
    return d ? DeviationText(*d) : QStringLiteral("<none>");
}

QString textAt(const RecordingCanvas& c, double x, double y, int page = 0)
{
    const CanvasOp* op = c.textAt(x, y, page);
    return op ? op->text : QStringLiteral("<nothing>");
}

// One class of five pupils with the hand-worked scores in subject 1.
std::unique_ptr<GradeData> handWorkedGrade(int subjects)
{
    QList<ReportPupil> pupils;
    const QList<int> first{48, 58, 66, 50, 54};
    for (int k = 1; k <= 5; ++k) {
        QList<int> scores(subjects, 70);
        scores[0] = first.at(k - 1);
        pupils.append({1, k, QStringLiteral("生徒%1").arg(k), 1, scores});
    }
    pupils[4].scores[1] = -1;  // absent
    pupils[3].scores[1] = -12; // bracketed
    return test::MakeReportGrade(2, subjects, pupils);
}
} // namespace

class DeviationTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { mClock = std::make_unique<ScopedReportClock>(test::FixedStampTime()); }
    void cleanup() { mClock.reset(); }

    void figuresMatchAHandCalculation()
    {
        const QList<int> a{48, 58, 66, 50, 54};
        QCOMPARE(DeviationText(*statsOf(a).mean()), QStringLiteral("55.2"));
        QCOMPARE(DeviationText(*statsOf(a).standardDeviation()), QStringLiteral("6.4"));
        QCOMPARE(deviationOf(a, 48), QStringLiteral("38.8")); // exactly 38.75
        QCOMPARE(deviationOf({54, 57, 54, 58, 56}, 56), QStringLiteral("51.3"));
        QCOMPARE(deviationOf({78, 75, 78, 74, 76}, 76), QStringLiteral("48.8"));
        QCOMPARE(DeviationText(*statsOf({60, 80}).standardDeviation()), QStringLiteral("10.0")); // population
        QCOMPARE(deviationOf({70, 70, 70}, 70), QStringLiteral("50.0"));
        QCOMPARE(deviationOf({42}, 42), QStringLiteral("50.0"));
        // Absent, not entered and bracketed scores count for nothing.
        const DeviationStats withMarks = statsOf({60, 80, -1, -5, -17});
        QCOMPARE(withMarks.n, 2);
        QCOMPARE(withMarks.s, 140);
        QVERIFY(!withMarks.deviationValue(-1));
        QVERIFY(!withMarks.deviationValue(-17));
        QVERIFY(!DeviationStats{}.mean());
        QVERIFY(!DeviationStats{}.deviationValue(50));
        // One rounding, halves away from zero, the binary error of a decimal half absorbed.
        QCOMPARE(DeviationText(50.25), QStringLiteral("50.3"));
        QCOMPARE(DeviationText(50.15), QStringLiteral("50.2"));
        QCOMPARE(DeviationText(50.75), QStringLiteral("50.8"));
        QCOMPARE(DeviationText(37.45), QStringLiteral("37.5"));
    }

    void classSheetRowsAndCells_data()
    {
        QTest::addColumn<int>("subjects");
        QTest::newRow("3 subjects") << 3;
        QTest::newRow("9 subjects") << 9;
    }
    void classSheetRowsAndCells()
    {
        QFETCH(int, subjects);
        auto gd = handWorkedGrade(subjects);
        const DeviationTable table = ComputeDeviationTable(*gd);
        RecordingCanvas c(120, 60, Preview9);
        DrawDeviationPage(c, *gd, table, 1);
        QVERIFY(textAt(c, 0, 0).startsWith(QStringLiteral("偏差値一覧表     中間テスト")));
        QCOMPARE(textAt(c, 0, 1), QStringLiteral("No.氏名"));
        QCOMPARE(textAt(c, 24, 1), QStringLiteral("国語"));
        QCOMPARE(textAt(c, DeviationTotalX, 1), QStringLiteral("5教科"));
        if (subjects == 9) QCOMPARE(textAt(c, 24 + 6 * 6, 1), QStringLiteral("音楽"));
        // Pupil 1: scores on row 2, 偏差値 on row 3.
        QCOMPARE(textAt(c, 0, 2), QStringLiteral(" 1"));
        QCOMPARE(textAt(c, 17, 2), QStringLiteral("得点"));
        QCOMPARE(textAt(c, 17, 3), QStringLiteral("偏差値"));
        QCOMPARE(textAt(c, 24, 2), QStringLiteral("    48"));
        QCOMPARE(textAt(c, 24, 3), QStringLiteral("  38.8"));
        // Pupil 5 absent in subject 2, pupil 4 bracketed: marks in both rows; no total.
        QCOMPARE(textAt(c, 30, 10), QStringLiteral("    欠"));
        QCOMPARE(textAt(c, 30, 11), QStringLiteral("    欠"));
        QCOMPARE(textAt(c, 30, 8), QStringLiteral("    欠"));
        if (subjects >= 5) {
            QCOMPARE(textAt(c, DeviationTotalX, 10), QStringLiteral("    －"));
            QCOMPARE(textAt(c, DeviationTotalX, 11), QStringLiteral("    －"));
        }
        // The footer under pupil 5 (rows 12..15), the stamp two rows under it.
        QCOMPARE(textAt(c, 0, 12), QStringLiteral("クラス平均"));
        QCOMPARE(textAt(c, 24, 12), QStringLiteral("  55.2"));
        QCOMPARE(textAt(c, 24, 14), QStringLiteral("   6.4"));
        QCOMPARE(textAt(c, 24, 15), QStringLiteral("     5"));
        QCOMPARE(textAt(c, 30, 15), QStringLiteral("     3"));
        QVERIFY(textAt(c, 0, 17).contains(QStringLiteral("印刷日時")));
        const CanvasOp* rule = nullptr;
        for (const CanvasOp& op : c.lines())
            if (std::abs(op.y1 - 0.9) < 0.01) rule = &op;
        QVERIFY(rule);
        QCOMPARE(rule->x2, double(30 + 6 * std::max(subjects, 5)));
    }

    void gradeSheetAndEmptyClass()
    {
        auto gd = handWorkedGrade(5);
        const DeviationTable table = ComputeDeviationTable(*gd);
        RecordingCanvas c(120, 60, Preview9);
        DrawDeviationGradeSheet(c, *gd, table);
        QVERIFY(textAt(c, 0, 0).startsWith(QStringLiteral("偏差値一覧表（学年集計）")));
        QCOMPARE(textAt(c, 0, 2), QStringLiteral(" 1組"));
        QCOMPARE(textAt(c, 6, 2), QStringLiteral("人数"));
        QCOMPARE(textAt(c, 24, 3), QStringLiteral("  55.2"));
        QCOMPARE(textAt(c, 0, 5), QStringLiteral(" 2組"));
        QCOMPARE(textAt(c, 24, 5), QStringLiteral("     0")); // class 2 is empty
        QCOMPARE(textAt(c, 24, 6), QStringLiteral("<nothing>"));
        QCOMPARE(textAt(c, 0, 8), QStringLiteral("学年"));
        QVERIFY(textAt(c, 0, 12).contains(QStringLiteral("印刷日時")));

        RecordingCanvas empty(120, 60, Preview9);
        DrawDeviationPage(empty, *gd, table, 2);
        QCOMPARE(textAt(empty, 0, 2), QStringLiteral("クラス平均"));
        QCOMPARE(textAt(empty, 24, 2), QStringLiteral("<nothing>"));
        QCOMPARE(textAt(empty, 24, 3), QStringLiteral("  55.2"));
    }

    void averagesTableWithAndWithoutDeviation()
    {
        auto gd = handWorkedGrade(5);
        AggregateTest(*gd);
        RecordingCanvas plain(120, 60, Preview9);
        DrawAveragePage(plain, *gd);
        QVERIFY(!plain.findText(QStringLiteral("標準偏差")));
        QVERIFY(textAt(plain, 1, 13).contains(QStringLiteral("印刷日時"))); // 3C + 7 with two classes
        RecordingCanvas withSd(120, 60, Preview9);
        DrawAveragePage(withSd, *gd, true);
        QCOMPARE(textAt(withSd, 0, 12), QStringLiteral("標準偏差"));
        QCOMPARE(textAt(withSd, 10, 12), QStringLiteral(" 6.4"));
        QVERIFY(textAt(withSd, 1, 14).contains(QStringLiteral("印刷日時")));
        // Everything above the new row is the same page.
        QCOMPARE(withSd.texts().size(), plain.texts().size() + 1 + 6);
    }

    void sheetsOfALargeClass()
    {
        QCOMPARE(PlanDeviationSheets(0, 60), (QList<DeviationSheet>{{1, 0, true}}));
        QCOMPARE(PlanDeviationSheets(20, 60), (QList<DeviationSheet>{{1, 20, true}}));
        // 29 pupils a sheet at depth 60; 40 pupils: 29 + 11 with the footer.
        QCOMPARE(PlanDeviationSheets(40, 60), (QList<DeviationSheet>{{1, 29, false}, {30, 40, true}}));
        // 58 pupils fill two sheets: the footer gets its own.
        QCOMPARE(PlanDeviationSheets(58, 60), (QList<DeviationSheet>{{1, 29, false}, {30, 58, false}, {59, 58, true}}));

        QList<ReportPupil> pupils;
        for (int k = 1; k <= 40; ++k)
            pupils.append({1, k, QString(), 1, {50 + k % 7, 60, 70}});
        auto gd = test::MakeReportGrade(1, 3, pupils);
        RecordingCanvas paper(StandardPaperLayout(), PrinterStartFont(*gd));
        const int sheets = PrintDeviationReport(paper, *gd, {1}, true);
        QCOMPARE(sheets, paper.pageCount());
        QVERIFY(sheets >= 3); // two class sheets and the grade sheet
        QVERIFY(paper.findText(QStringLiteral("偏差値一覧表（学年集計）     中間テスト       2 年")));
    }

    void commandWritesCsvAndSheets()
    {
        MapReportFonts();
        QTemporaryDir dir;
        SampleOptions options;
        options.grade = 1;
        options.classes = 2;
        options.pupils = 8;
        QVERIFY(WriteSampleGrade(dir.path() + u'/', options).ok);
        const QStringList base{QStringLiteral("seiran-report"),
                               QStringLiteral("--data"),
                               dir.path(),
                               QStringLiteral("--grade"),
                               QStringLiteral("1"),
                               QStringLiteral("--test"),
                               QStringLiteral("1"),
                               QStringLiteral("hensa")};
        QString out;
        QString err;
        {
            QTextStream o(&out);
            QTextStream e(&err);
            QCOMPARE(RunSeiranReport(base + QStringList{QStringLiteral("--csv"), QStringLiteral("-")}, o, e), 0);
        }
        QVERIFY(out.startsWith(QChar(0xFEFF)));
        QList<CsvRecord> records;
        QVERIFY(ParseCsvText(out.mid(1), records).ok);
        const QStringList header = records.first().fields;
        QCOMPARE(header.mid(0, 5), (QStringList{"組", "番", "氏名", "国語", "国語偏差値"}));
        QCOMPARE(header.mid(header.size() - 2), (QStringList{"5教科", "5教科偏差値"}));
        QCOMPARE(records.last().fields.mid(0, 3), (QStringList{"学年", "", "標準偏差"}));

        out.clear();
        QTextStream o(&out);
        QTextStream e(&err);
        QCOMPARE(RunSeiranReport(base + QStringList{QStringLiteral("--dump")}, o, e), 0);
        o.flush();
        QVERIFY(out.contains(QStringLiteral("偏差値一覧表（学年集計）")));
        out.clear();
        QCOMPARE(
            RunSeiranReport(
                base + QStringList{QStringLiteral("--class"), QStringLiteral("2"), QStringLiteral("--dump")}, o, e),
            0);
        o.flush();
        QVERIFY(!out.contains(QStringLiteral("学年集計")));
        // The other tables of the test reports.
        const auto csvOf = [&](const QStringList& report) {
            QString text;
            QTextStream to(&text);
            const int status = RunSeiranReport(base.mid(0, 7) + report + QStringList{"--csv", "-"}, to, e);
            to.flush();
            QList<CsvRecord> rows;
            if (status == 0) ParseCsvText(text.mid(1), rows);
            return rows;
        };
        const QList<CsvRecord> soten = csvOf({"soten"});
        QCOMPARE(soten.first().fields.mid(0, 4), (QStringList{"組", "番", "氏名", "国語"}));
        QCOMPARE(soten.first().fields.mid(soten.first().fields.size() - 3),
                 (QStringList{"5教科", "学年順位", "組順位"}));
        QCOMPARE(soten.size(), records.size() - 9); // a row per pupil, without the 3 x 3 summary rows
        const QList<CsvRecord> average = csvOf({"average", "--sd"});
        QCOMPARE(average.at(1).fields.mid(0, 2), (QStringList{"1組", "全体"}));
        QCOMPARE(average.at(average.size() - 2).fields.mid(0, 2), (QStringList{"学年", "最高点"}));
        QCOMPARE(average.last().fields.mid(0, 2), (QStringList{"学年", "標準偏差"}));
        const QList<CsvRecord> jun = csvOf({"jun", "--item", "1"});
        QCOMPARE(jun.first().fields, (QStringList{"項目", "順位", "組", "番", "氏名", "点数"}));
        QCOMPARE(jun.at(1).fields.at(1), QStringLiteral("1"));
        QCOMPARE(RunSeiranReport(base.mid(0, 7) + QStringList{"soten", "--sd", "--dump"}, o, e), 2);
    }

    void windowShowsClassesThenTheGradeAndSavesCsv()
    {
        MapReportFonts();
        auto gd = handWorkedGrade(5);
        QTemporaryDir dir;
        gd->dataFolder = dir.path() + u'/';
        SilentNotice notice;
        Session session{*gd, NullProgress::instance(), notice, QString()};
        DeviationReportWindow w(session);
        QCOMPARE(w.mClassCombo->count(), 3);
        QCOMPARE(w.mClassCombo->itemText(2), QStringLiteral("学年集計"));
        QCOMPARE(w.currentClass(), 1);
        w.mClassCombo->setCurrentIndex(2);
        QCOMPARE(w.currentClass(), 0);

        ScriptedMessages messages;
        const QString path = dir.filePath(QStringLiteral("hensa.csv"));
        w.chooseCsvFile = [&path](const QString&) { return path; };
        w.onCsvClicked();
        QList<CsvRecord> records;
        CsvEncoding used = CsvEncoding::Auto;
        QVERIFY(ReadCsvFile(path, CsvEncoding::Auto, records, used).ok);
        QCOMPARE(records.at(1).fields.mid(0, 5), (QStringList{"1", "1", "生徒1", "48", "38.8"}));
        QCOMPARE(messages.asked().size(), 1);
        // A cancelled file choice writes nothing and asks nothing.
        w.chooseCsvFile = [](const QString&) { return QString(); };
        w.onCsvClicked();
        QCOMPARE(messages.asked().size(), 1);
        // Nothing chosen in the class picker starts no job.
        w.selectClasses = [&gd] { gd->classSelected.fill(0); };
        w.onPrintClicked();
        QVERIFY(w.isVisible() || w.result() == 0);
    }

    void reportWindowsSaveTheirTables()
    {
        MapReportFonts();
        auto gd = handWorkedGrade(5);
        QVERIFY(BuildReportItemList(*gd).ok);
        QTemporaryDir dir;
        gd->dataFolder = dir.path() + u'/';
        SilentNotice notice;
        Session session{*gd, NullProgress::instance(), notice, QString()};
        ScriptedMessages messages;
        const auto firstLine = [](const QString& path) {
            QList<CsvRecord> records;
            CsvEncoding used = CsvEncoding::Auto;
            ReadCsvFile(path, CsvEncoding::Auto, records, used);
            return records.isEmpty() ? QStringList() : records.first().fields;
        };
        const QString path = dir.filePath(QStringLiteral("t.csv"));
        QString suggested;
        const auto choose = [&](const QString& name) {
            suggested = name;
            return path;
        };
        {
            RawScoreReportWindow w(session);
            w.chooseCsvFile = choose;
            w.onCsvClicked();
            QCOMPARE(suggested, QStringLiteral("素点一覧表.csv"));
            QCOMPARE(firstLine(path).mid(0, 4), (QStringList{"組", "番", "氏名", "国語"}));
        }
        {
            AveragesReportWindow w(session);
            w.chooseCsvFile = choose;
            w.mDeviationCheck->setChecked(true);
            w.onCsvClicked();
            QCOMPARE(firstLine(path).mid(0, 2), (QStringList{"組", "区分"}));
        }
        {
            RankTableWindow w(session);
            w.chooseCsvFile = choose;
            w.onCsvClicked();
            QCOMPARE(firstLine(path), (QStringList{"項目", "順位", "組", "番", "氏名", "点数"}));
        }
        QCOMPARE(messages.asked().size(), 3);
    }

private:
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(DeviationTest)
#include "tst_deviation.moc"
