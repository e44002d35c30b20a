// The score trend graph: scale, blocks, the raw-score table, the lines and markers of the six
// graphs, the sheets of the print run and the check of the paper.
#include "GradeData.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ReportFonts.h"
#include "TestSeries.h"
#include "TrendReport.h"

#include <QtTest>

using namespace seiran;

namespace {
const CanvasFont Paper{QStringLiteral("ＭＳ 明朝"), 10.0, false};

struct Pupil
{
    int classNo;
    int number;
    QList<QList<int>> scores; // per test, per subject of that test
};

std::unique_ptr<GradeData> grade(int classes)
{
    auto gd = std::make_unique<GradeData>();
    gd->currentGrade = 3;
    gd->classCount = classes;
    gd->testCount = 4;
    const QStringList names{"国語", "社会", "数学", "理科", "英語"};
    for (int j = 1; j <= 5; ++j)
        gd->subjectNames[j] = names.at(j - 1);
    const QStringList tests{"1学期中間", "1学期期末", "2学期中間", "1学期中間"};
    for (int t = 1; t <= 4; ++t) {
        gd->testNames[t] = tests.at(t - 1);
        gd->testShortNames[t] = QStringLiteral("T%1").arg(t);
        gd->testSubjectCount[t] = 5;
    }
    return gd;
}

// A series as ReadTestSeries would build it from these pupils.
TestSeries series(const QList<int>& tests, const QList<int>& subjectCounts, const QList<Pupil>& pupils)
{
    TestSeries s;
    s.tests = tests;
    s.subjectCounts = subjectCounts;
    for (qsizetype k = 0; k < tests.size(); ++k) {
        s.sums.append(std::array<double, 5>{});
        s.counts.append(std::array<int, 5>{});
        s.highest.append(std::array<int, 5>{-1, -1, -1, -1, -1});
    }
    for (const Pupil& p : pupils) {
        SeriesPupil sp;
        sp.classNo = p.classNo;
        sp.number = p.number;
        sp.name = QStringLiteral("生徒%1-%2").arg(p.classNo).arg(p.number).leftJustified(12);
        for (int k = 0; k < tests.size(); ++k) {
            std::array<int, 5> row;
            row.fill(ScoreCode::NotEntered);
            SeriesTotal total;
            for (int j = 1; j <= subjectCounts.at(k); ++j) {
                const int v = p.scores.at(k).at(j - 1);
                row[std::size_t(j - 1)] = v;
                if (v >= 0) {
                    total.value += v;
                    s.sums[k][std::size_t(j - 1)] += v;
                    s.counts[k][std::size_t(j - 1)] += 1;
                    s.highest[k][std::size_t(j - 1)] = std::max(s.highest[k][std::size_t(j - 1)], v);
                } else {
                    total.missing = MissingReason::Absent;
                }
            }
            if (!total.present()) total.value = 0;
            sp.scores.append(row);
            sp.totals.append(total);
        }
        s.pupils.append(sp);
    }
    return s;
}

QList<CanvasOp> opsOf(const RecordingCanvas& c, CanvasOp::Kind kind)
{
    QList<CanvasOp> out;
    for (const CanvasOp& op : c.ops())
        if (op.kind == kind) out.append(op);
    return out;
}

} // namespace

class TrendTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }

    void oneTest()
    {
        auto gd = grade(1);
        const TestSeries s = series({1}, {5}, {{1, 1, {{40, 30, 20, 10, 50}}}});
        QCOMPARE(TrendScaleMaximum(s), 50);
        RecordingCanvas c(100, 100, Paper);
        DrawTrendBlock(c, *gd, s, 0, 1, true, 50);
        // Heading in the Gothic font, then the table.
        const CanvasOp* heading = c.textAt(2, 1);
        QCOMPARE(heading->text, QStringLiteral("3年1組1番 ") + QStringLiteral("生徒1-1").leftJustified(12));
        QCOMPARE(heading->font.name, gd->fontGothic);
        QCOMPARE(c.textAt(3, 2)->text, QStringLiteral("テスト名"));
        QCOMPARE(c.textAt(3, 3.5)->text, QStringLiteral("1学期中間"));
        QVERIFY(c.findText(QStringLiteral("150")));   // the total
        QVERIFY(c.findText(QStringLiteral("150.0"))); // the total average
        // Every plot frame is three columns wide; a block is 4 + 14 rows.
        const int tableRows = TrendTableRows(1, true);
        QCOMPARE(tableRows, 4);
        QCOMPARE(TrendBlockHeight(1, true), 18);
        const QList<CanvasOp> lines = c.lines();
        int frames = 0;
        for (const CanvasOp& op : lines)
            if (op.y1 == op.y2 && op.drawStyle == LinePattern::Solid && op.x2 - op.x1 == 3.0) ++frames;
        QCOMPARE(frames, 6);
        // One point and one marker per graph; the total's axis runs to 250.
        QCOMPARE(opsOf(c, CanvasOp::Circle).size(), 6);
        QVERIFY(c.findText(QStringLiteral("250")));
        const CanvasOp marker = opsOf(c, CanvasOp::Circle).at(0);
        QCOMPARE(marker.x1, 0 + 3 + 5.0);
        QCOMPARE(marker.y1, 1 + tableRows + 6.5 - 5 * 150.0 / 250);
        QCOMPARE(marker.x2, 0.4);
        QCOMPARE(marker.fillStyle, FillPattern::Solid);
        QCOMPARE(marker.fillColor, QColor(Qt::white));
        // Four dotted lines per graph and the panel around them.
        int dotted = 0;
        for (const CanvasOp& op : lines)
            if (op.drawStyle == LinePattern::Dot) ++dotted;
        QCOMPARE(dotted, 24);
        const CanvasOp panel = opsOf(c, CanvasOp::Box).at(0);
        QCOMPARE(panel.x1, 2.0);
        QCOMPARE(panel.y1, 1 + tableRows + 0.3);
        QCOMPARE(panel.x2 - panel.x1, 9.0 + 16);
        QCOMPARE(panel.y2 - panel.y1, 13.0);
    }

    void scaleFollowsTheHighestScore()
    {
        QCOMPARE(TrendScaleMaximum(series({1, 2}, {5, 5}, {{1, 1, {{50, 0, 0, 0, 0}, {-1, 1, 2, 3, 4}}}})), 50);
        QCOMPARE(TrendScaleMaximum(series({1, 2}, {5, 5}, {{1, 1, {{50, 0, 0, 0, 0}, {-1, 51, 2, 3, 4}}}})), 100);
        auto gd = grade(1);
        RecordingCanvas c(100, 100, Paper);
        DrawTrendBlock(c, *gd, series({1}, {5}, {{1, 1, {{51, 0, 0, 0, 0}}}}), 0, 1, false, 100);
        QVERIFY(c.findText(QStringLiteral("500")));
        QVERIFY(c.findText(QStringLiteral("100")));
        // Without the table the short names follow the heading; graphs start one row lower.
        QVERIFY(c.findText(QStringLiteral("  （ T1 ）")));
        QVERIFY(!c.findText(QStringLiteral("テスト名")));
        QCOMPARE(opsOf(c, CanvasOp::Box).at(0).y1, 1 + 1 + 0.3);
    }

    void missingScoreIsBridged()
    {
        auto gd = grade(1);
        const TestSeries s = series({1, 2, 3}, {5, 5, 5},
                                    {{1, 1, {{40, 40, 40, 40, 40}, {-1, 40, 40, 40, 40}, {20, 40, 40, 40, 40}}},
                                     {1, 2, {{20, 20, 20, 20, 20}, {30, 30, 30, 30, 30}, {20, 20, 20, 20, 20}}}});
        RecordingCanvas c(100, 100, Paper);
        DrawTrendBlock(c, *gd, s, 0, 1, true, 50);
        // Table: "-" for the missed subject and the total of the second test.
        const int y = 1;
        QCOMPARE(c.textAt(16 + (5 - RecordingCanvas::ModelTextWidth("-", 10)) / 2, y + 4)->text, QStringLiteral("-"));
        QCOMPARE(c.textAt(41 + (6 - RecordingCanvas::ModelTextWidth("-", 10)) / 2, y + 4)->text, QStringLiteral("-"));
        // The 国語 graph (g = 1, origin x 14): the line goes from the first test to the third.
        const double gx = 3 * 3 + 5;
        const double gy = y + TrendTableRows(3, true);
        auto height = [&](double v) { return gy + 6.5 - 5 * v / 50; };
        bool pset = false;
        bool bridged = false;
        for (const CanvasOp& op : c.ops()) {
            if (op.kind == CanvasOp::Point && op.x1 == gx + 8 && op.y1 == height(40) && op.drawWidth == 2) pset = true;
            if (op.kind == CanvasOp::Line && op.drawWidth == 2 && op.x1 == gx + 8 && op.x2 == gx + 14 &&
                op.y2 == height(20))
                bridged = true;
        }
        QVERIFY(pset);
        QVERIFY(bridged);
        int markers = 0;
        for (const CanvasOp& op : opsOf(c, CanvasOp::Circle))
            if (op.x1 > gx && op.x1 < gx + 17 && op.y1 < gy + 7) ++markers;
        QCOMPARE(markers, 2);
        // The grade's line for 国語 passes the second test (30, the one score there).
        bool average = false;
        for (const CanvasOp& op : c.ops())
            if (op.kind == CanvasOp::Line && op.drawWidth == 1 && op.x2 == gx + 11 && op.y2 == height(30))
                average = true;
        QVERIFY(average);
    }

    void testsWithFewerSubjects()
    {
        // Test 1 has three subjects: subjects 4 and 5 have empty cells and no points there.
        auto gd = grade(1);
        const TestSeries s = series(
            {1, 2}, {3, 5}, {{1, 1, {{10, 20, 30}, {10, 20, 30, 40, 50}}}, {1, 2, {{-1, 20, 30}, {1, 2, 3, 4, 5}}}});
        RecordingCanvas c(100, 100, Paper);
        DrawTrendBlock(c, *gd, s, 0, 1, true, 50);
        QStringList row;
        for (const CanvasOp& op : c.texts())
            if (op.y1 == 1 + 2 && op.x1 > 14) row.append(op.text);
        QCOMPARE(row, (QStringList{"10", "20", "30", "60"}));
        QStringList averages;
        for (const CanvasOp& op : c.texts())
            if (op.y1 == 1 + 3 && op.x1 > 14) averages.append(op.text);
        QCOMPARE(averages, (QStringList{"10.0", "20.0", "30.0", "60.0"}));
        // 理科 and 英語 get a point for the second test only; 数学 for both.
        QCOMPARE(opsOf(c, CanvasOp::Circle).size(), 2 + 2 + 2 + 2 + 1 + 1);
        int lower = 0;
        for (const CanvasOp& op : opsOf(c, CanvasOp::Circle))
            if (op.y1 > 1 + 6 + 6) ++lower;
        QCOMPARE(lower, 2 + 1 + 1);
        QCOMPARE(opsOf(c, CanvasOp::Circle).at(8).x1, 11 + 3 * 2 + 5.0);
    }

    void printRunSheets()
    {
        auto gd = grade(3);
        // Class 1 one pupil, class 2 nobody, class 3 one pupil.
        const TestSeries s = series(
            {1, 2}, {5, 5}, {{1, 4, {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}}}, {3, 7, {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}}}});
        RecordingCanvas printer(PrintableAreaPaperLayout(), Paper);
        QList<int> progress;
        TrendOptions options;
        options.classes = {1, 2, 3};
        QCOMPARE(PrintTrendGraphs(printer, *gd, s, options, [&](int p) { progress.append(p); }), 2);
        QVERIFY(printer.textAt(2, 1, 1)->text.startsWith(QStringLiteral("3年1組4番 ")));
        QVERIFY(printer.textAt(2, 1, 2)->text.startsWith(QStringLiteral("3年3組7番 ")));
        QCOMPARE(progress.first(), 0);
        QCOMPARE(progress.at(60), 33);
        QCOMPARE(progress.last(), 0);
        // Blocks of one class follow each other table rows + 16 apart.
        TestSeries many = s;
        for (int r = 1; r <= 3; ++r) {
            SeriesPupil p = many.pupils.at(0);
            p.number = 10 + r;
            many.pupils.insert(r, p);
        }
        RecordingCanvas sheet(PrintableAreaPaperLayout(), Paper);
        options.classes = {1};
        QCOMPARE(PrintTrendGraphs(sheet, *gd, many, options, nullptr), 2);
        QVERIFY(sheet.textAt(2, 1, 1));
        QVERIFY(sheet.textAt(2, 1 + 6 + 16, 1));
        QVERIFY(sheet.textAt(2, 1 + 2 * 22, 1));
        QVERIFY(sheet.textAt(2, 1, 2));
        // No class chosen: nothing at all.
        RecordingCanvas none(PrintableAreaPaperLayout(), Paper);
        options.classes = {2};
        QCOMPARE(PrintTrendGraphs(none, *gd, s, options, nullptr), 0);
        QVERIFY(none.ops().isEmpty());
    }

    void testOrderAlongTheAxis()
    {
        auto gd = grade(1);
        const Pupil p{1, 1, {{10, 10, 10, 10, 10}, {40, 40, 40, 40, 40}}};
        const TestSeries forward = series({1, 3}, {5, 5}, {p});
        const Pupil q{1, 1, {{40, 40, 40, 40, 40}, {10, 10, 10, 10, 10}}};
        const TestSeries backward = series({3, 1}, {5, 5}, {q});
        RecordingCanvas a(100, 100, Paper);
        DrawTrendBlock(a, *gd, forward, 0, 1, true, 50);
        RecordingCanvas b(100, 100, Paper);
        DrawTrendBlock(b, *gd, backward, 0, 1, true, 50);
        QCOMPARE(a.textAt(3, 3.5)->text, QStringLiteral("1学期中間"));
        QCOMPARE(b.textAt(3, 3.5)->text, QStringLiteral("2学期中間"));
        QVERIFY(opsOf(a, CanvasOp::Circle).at(0).y1 > opsOf(a, CanvasOp::Circle).at(1).y1);
        QVERIFY(opsOf(b, CanvasOp::Circle).at(0).y1 < opsOf(b, CanvasOp::Circle).at(1).y1);
    }

    void paperMustHoldTheTests()
    {
        const QSizeF a4 = SheetCells(PrintableAreaPaperLayout());
        QVERIFY(CheckTrendFits(8, true, a4));
        const Result nine = CheckTrendFits(9, true, a4);
        QVERIFY(!nine);
        QCOMPARE(nine.message,
                 QStringLiteral("選んだテストが多すぎて用紙に収まりません（この用紙では8テストまでです）。"));
        QCOMPARE(TrendPanelRight(8), 90.0);
        // A low sheet limits the tests by the block's height.
        QVERIFY(!CheckTrendFits(5, true, QSizeF(200, 20)));
        QVERIFY(CheckTrendFits(5, false, QSizeF(200, 20)));
    }
};

QTEST_MAIN(TrendTest)
#include "tst_trend.moc"
