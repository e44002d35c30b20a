// Frequency graphs and the test summary handout: band counting, settings, the graph drawings,
// the print run of the graphs and the handout's sheets.
#include "GraphReport.h"
#include "RankReport.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ReportTestData.h"

#include <QtTest>
#include <cmath>
#include <numeric>

using namespace seiran;
using seiran::test::ReportPupil;

namespace {
const CanvasFont Preview{QStringLiteral("ＭＳ ゴシック"), 9.75, false};
const CanvasFont Paper{QStringLiteral("ＭＳ 明朝"), 10.0, false};

QPageLayout sheetOf(double columns, double rows)
{
    return QPageLayout(QPageSize(QSizeF(columns / 12.0, rows / 6.0), QPageSize::Inch, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF());
}

// Pupils in one class with the given scores of subject 1 (the others 60).
std::unique_ptr<GradeData> gradeWithSubject1(const QList<int>& scores, int subjects = 5)
{
    QList<ReportPupil> pupils;
    int k = 0;
    for (int v : scores) {
        ++k;
        QList<int> row(subjects, 60);
        row[0] = v;
        pupils.append({1, k, QString(), k % 2 == 1 ? 1 : 2, row});
    }
    auto gd = test::MakeReportGrade(1, subjects, pupils);
    BuildReportItemList(*gd);
    return gd;
}

QList<CanvasOp> opsOf(const RecordingCanvas& c, CanvasOp::Kind kind, int page = 0)
{
    QList<CanvasOp> out;
    for (const CanvasOp& op : c.ops())
        if (op.kind == kind && (page == 0 || op.page == page)) out.append(op);
    return out;
}

const CanvasOp* textStarting(const RecordingCanvas& c, const QString& start, double y, int page = 0)
{
    for (const CanvasOp& op : c.ops())
        if (op.kind == CanvasOp::Text && op.text.startsWith(start) && qAbs(op.y1 - y) < 0.01 &&
            (page == 0 || op.page == page))
            return &op;
    return nullptr;
}

// Texts in the Gothic font (the handout's graph captions) as (text, page, x, y).
QList<CanvasOp> captions(const RecordingCanvas& c, const GradeData& gd)
{
    QList<CanvasOp> out;
    for (const CanvasOp& op : c.texts())
        if (op.font.name == gd.fontGothic) out.append(op);
    return out;
}
} // namespace

class GraphTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }

    void hundredPointBands()
    {
        auto gd = gradeWithSubject1({100, 95, 90, 5, -1, -12});
        const BandCounts counts = CountBands(*gd, 2, 100, 10);
        QCOMPARE(counts.top, 10);
        QCOMPARE(int(counts.counts.size()), 11);
        QCOMPARE(counts.counts[10], 1);
        QCOMPARE(counts.counts[9], 2);
        QCOMPARE(counts.counts[0], 1);
        QCOMPARE(counts.taking, 6);
        QCOMPARE(counts.absent, 2); // absent and a bracketed score
        QCOMPARE(*counts.average(), 72.5);

        QCOMPARE(BandLowLabel(10, 10, 100), QString());
        QCOMPARE(BandHighLabel(10, 10, 100), QStringLiteral("100:"));
        QCOMPARE(BandLowLabel(9, 10, 100), QStringLiteral(" 90-"));
        QCOMPARE(BandHighLabel(9, 10, 100), QStringLiteral(" 99:"));
        QCOMPARE(BandLowLabel(0, 10, 100), QStringLiteral("  0-"));
        QCOMPARE(BandHighLabel(0, 10, 100), QStringLiteral("  9:"));
        QCOMPARE(GraphPrintRows(100, 10), 15);

        RecordingCanvas c(120, 60, Preview);
        MakeGraph(c, *gd, GraphSettings(), 2, 1, 1);
        QVERIFY(c.textAt(1, 1)->text.startsWith(QStringLiteral("教科別度数分布表     2年　中間テスト")));
        QCOMPARE(c.textAt(1, 2)->text, QStringLiteral("国語 平均  72.5点（生徒数 6人　欠席 2人）"));
        QCOMPARE(c.textAt(7, 3)->text, QStringLiteral("100:"));
        QVERIFY(!c.textAt(3, 3)); // the top band has no lower end
        QCOMPARE(c.textAt(3, 4)->text, QStringLiteral(" 90-"));
        QCOMPARE(c.textAt(7, 13)->text, QStringLiteral("  9:")); // rows y .. y + 12
        const QList<CanvasOp> bars = opsOf(c, CanvasOp::FilledBox);
        QCOMPARE(bars.size(), 11);
        QCOMPARE(bars.at(0).x1, 11.0);
        QCOMPARE(bars.at(0).x2, 11.5); // half a column per pupil
        QCOMPARE(bars.at(0).y2 - bars.at(0).y1, 0.8);
        QCOMPARE(bars.at(1).x2, 12.0);
        QCOMPARE(c.textAt(12.5, 3)->text, QStringLiteral("   1人"));
        QCOMPARE(c.textAt(13, 4)->text, QStringLiteral("   2人"));
        QCOMPARE(c.FillStyle(), FillPattern::Transparent); // the canvas's fill is given back
    }

    void fiftyPointPreset()
    {
        const GraphSettings fifty = GraphSettings::FiftyPoints();
        QCOMPARE(fifty, (GraphSettings{250, 10, 50, 5}));
        QCOMPARE(GraphSettings::HundredPoints(), GraphSettings());
        QCOMPARE(TopBand(fifty.totalMaximum, fifty.totalBand) + 1, 26);
        QCOMPARE(BandHighLabel(25, 10, 250), QStringLiteral("250:"));
        QCOMPARE(BandLowLabel(25, 10, 250), QString());
        QCOMPARE(HandoutGraphRows(fifty.totalMaximum, fifty.totalBand), 28);

        // A 100 under the 50-point settings counts in the numbers and the average, in no band.
        auto gd = gradeWithSubject1({100, 40, 20});
        const BandCounts counts = CountBands(*gd, 2, fifty.subjectMaximum, fifty.subjectBand);
        QCOMPARE(counts.top, 10);
        QCOMPARE(counts.taking, 3);
        QCOMPARE(std::accumulate(counts.counts.begin(), counts.counts.end(), 0), 2);
        QCOMPARE(*counts.average(), 160.0 / 3);
        RecordingCanvas c(120, 60, Preview);
        MakeGraph(c, *gd, fifty, 2, 1, 1);
        QCOMPARE(opsOf(c, CanvasOp::FilledBox).size(), 11);
    }

    void itemWithoutScores()
    {
        auto gd = gradeWithSubject1({-1, -5, -1});
        RecordingCanvas c(120, 60, Preview);
        MakeGraph(c, *gd, GraphSettings(), 2, 1, 1);
        const QList<CanvasOp> texts = c.texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts.at(1).text, QStringLiteral("国語　は入力されたデータがありません"));
        QCOMPARE(opsOf(c, CanvasOp::FilledBox).size(), 0);

        RecordingCanvas h(120, 60, Paper);
        MakeHandoutGraph(h, *gd, GraphSettings(), 2, 3, 13, 60);
        QCOMPARE(h.texts().size(), 1);
        QCOMPARE(h.textAt(3, 13)->text, QStringLiteral("国語　は入力されたデータがありません"));
    }

    void whoTakesPart()
    {
        // Sex 1, 2 and 0 (not entered) in four classes; subject 1 by sex, subject 2 by the
        // group "12".
        QList<ReportPupil> pupils;
        for (int c = 1; c <= 4; ++c)
            for (int k = 1; k <= 3; ++k)
                pupils.append({c, k, QString(), k - 1 == 0 ? 0 : k - 1, {10 * c + k, 50}});
        auto gd = test::MakeReportGrade(4, 2, pupils);
        gd->subjectKind[1] = 1;
        gd->subjectKind[2] = 2;
        gd->subjectGroup[2] = QStringLiteral("12");
        QVERIFY(BuildReportItemList(*gd));
        QCOMPARE(gd->itemCount, 5);
        QCOMPARE(CountBands(*gd, 1, 500, 50).taking, 12);
        QCOMPARE(CountBands(*gd, 2, 100, 10).taking, 4); // boys only
        QCOMPARE(CountBands(*gd, 3, 100, 10).taking, 4); // girls only
        QCOMPARE(gd->itemCaption[4], QStringLiteral("社会(1組2組)"));
        QCOMPARE(CountBands(*gd, 4, 100, 10).taking, 6); // classes 1 and 2, every sex
        QCOMPARE(CountBands(*gd, 5, 100, 10).taking, 6);
        // Boys of class 1..4 scored 12, 22, 32, 42.
        const BandCounts boys = CountBands(*gd, 2, 100, 10);
        QCOMPARE(boys.counts[1], 1);
        QCOMPARE(boys.counts[4], 1);
    }

    void settingsAreChecked()
    {
        QVERIFY(CheckGraphSettings(GraphSettings()));
        QVERIFY(CheckGraphSettings(GraphSettings{500, 5, 99, 1}));    // 101 bands each
        QVERIFY(!CheckGraphSettings(GraphSettings{500, 50, 100, 1})); // 0..101: 102 bands
        const Result zeroBand = CheckGraphSettings(GraphSettings{500, 50, 100, 0});
        QVERIFY(!zeroBand);
        QCOMPARE(zeroBand.message, QString::fromUtf16(BandSettingsProblemText));
        QVERIFY(!CheckGraphSettings(GraphSettings{500, 50, 101, 1})); // 102 bands
        QVERIFY(!CheckGraphSettings(GraphSettings{0, 50, 100, 10}));
        QVERIFY(!CheckGraphSettings(GraphSettings{500, -5, 100, 10}));

        QCOMPARE(SettingValue(QStringLiteral("250")), 250);
        QCOMPARE(SettingValue(QStringLiteral("２５０")), 250);
        QCOMPARE(SettingValue(QStringLiteral(" 10 ")), 10);
        QCOMPARE(SettingValue(QStringLiteral("1O")), 0);
        QCOMPARE(SettingValue(QStringLiteral("abc")), 0);
        QCOMPARE(SettingValue(QStringLiteral("-5")), 0);
        QCOMPARE(SettingValue(QString()), 0);
        QCOMPARE(SettingValue(QStringLiteral("99999999999")), 0); // never wraps

        // Refused settings draw nothing and print nothing.
        auto gd = gradeWithSubject1({50});
        RecordingCanvas c(120, 60, Preview);
        MakeGraph(c, *gd, GraphSettings{500, 50, 100, 0}, 2, 1, 1);
        QVERIFY(c.ops().isEmpty());
        RecordingCanvas printer(sheetOf(100, 53), Paper);
        QCOMPARE(PrintDistributionGraphs(printer, *gd, GraphSettings{500, 50, 101, 1}, {1, 2}).sheets, 0);
        QVERIFY(printer.ops().isEmpty());
    }

    void printRunStacksGraphs()
    {
        auto gd = gradeWithSubject1({50, 60, 70});
        RecordingCanvas printer(sheetOf(100, 53), Paper); // 50 rows below the top margin
        const GraphPrintResult result = PrintDistributionGraphs(printer, *gd, GraphSettings(), {2, 3, 4, 5});
        QCOMPARE(result.sheets, 2);
        QVERIFY(result.skipped.isEmpty());
        QList<QPair<int, double>> titles;
        for (const CanvasOp& op : printer.texts())
            if (op.text.startsWith(QStringLiteral("教科別度数分布表"))) titles.append({op.page, op.y1});
        QCOMPARE(titles, (QList<QPair<int, double>>{{1, 1}, {1, 16}, {1, 31}, {2, 1}}));
        QCOMPARE(printer.ScaleLeft(), -5.0); // inside the margins
        QCOMPARE(opsOf(printer, CanvasOp::EndDoc).size(), 1);

        // A graph taller than the sheet is left out and named; the others still print.
        RecordingCanvas small(sheetOf(100, 53), Paper);
        const GraphPrintResult skipped = PrintDistributionGraphs(small, *gd, GraphSettings{500, 50, 100, 2}, {1, 2});
        QCOMPARE(skipped.sheets, 1);
        QCOMPARE(skipped.skipped, QStringList{QStringLiteral("国語")});
        QVERIFY(SkippedGraphsText(skipped.skipped).contains(QStringLiteral("国語")));

        // Nothing chosen: no sheet, no job.
        RecordingCanvas none(sheetOf(100, 53), Paper);
        QCOMPARE(PrintDistributionGraphs(none, *gd, GraphSettings(), {}).sheets, 0);
        QVERIFY(none.ops().isEmpty());
    }

    void longBarsShrinkToFit()
    {
        QList<int> scores(90, 55);
        scores.append(5);
        auto gd = gradeWithSubject1(scores);
        RecordingCanvas c(40, 60, Preview);
        MakeGraph(c, *gd, GraphSettings(), 2, 1, 1);
        const CanvasOp* count = textStarting(c, QStringLiteral("  90人"), 3 + 10 - 5);
        QVERIFY(count);
        QVERIFY(count->x1 + RecordingCanvas::ModelTextWidth(count->text, Preview.size) <= 40.0001);
        // Every bar shrinks by the same factor: the band of one pupil is 1/90 of the long one.
        const QList<CanvasOp> bars = opsOf(c, CanvasOp::FilledBox);
        const CanvasOp& longest = bars.at(5);
        const CanvasOp& one = bars.at(10);
        QVERIFY(longest.x2 - longest.x1 < 45);
        QVERIFY(qFuzzyCompare((longest.x2 - longest.x1) / 90, one.x2 - one.x1));
        // On a wide canvas the bar keeps half a column per pupil.
        RecordingCanvas wide(120, 60, Preview);
        MakeGraph(wide, *gd, GraphSettings(), 2, 1, 1);
        QCOMPARE(opsOf(wide, CanvasOp::FilledBox).at(5).x2, 11.0 + 45);
    }

    void clipboardGraphIsFourTimesLarger()
    {
        auto gd = gradeWithSubject1({100, 95, 40, 40, -1});
        RecordingCanvas small(120, 60, Preview);
        MakeGraph(small, *gd, GraphSettings(), 2, 1, 1);
        RecordingCanvas large(480, 240, Preview);
        MakeGraph2(large, *gd, GraphSettings(), 2, 1, 1);
        QCOMPARE(large.FontSize(), Preview.size);
        QCOMPARE(large.ops().size(), small.ops().size());
        for (qsizetype i = 0; i < small.ops().size(); ++i) {
            const CanvasOp& a = small.ops().at(i);
            const CanvasOp& b = large.ops().at(i);
            QCOMPARE(b.kind, a.kind);
            QCOMPARE(b.text, a.text);
            QCOMPARE(b.x1, 4 * a.x1);
            QCOMPARE(b.y1, 4 * a.y1);
            QCOMPARE(b.x2, 4 * a.x2);
            QCOMPARE(b.y2, 4 * a.y2);
            if (a.kind == CanvasOp::Text) QCOMPARE(b.font.size, 4 * a.font.size);
        }
    }

    void handoutPortrait()
    {
        auto gd = test::MakeReportGrade(2, 5, test::EvenPupils(2, 20, 5, 70));
        gd->scores(2, 1) = ScoreCode::Absent; // pupil 1 missed 社会
        AggregateTest(*gd);
        BuildReportItemList(*gd);
        RecordingCanvas printer(PrintableAreaPaperLayout(), Paper);
        const HandoutTitles titles = DefaultHandoutTitles(*gd, QDate(2026, 12, 7));
        QCOMPARE(titles.first, QStringLiteral("第２学年 中間テスト 集計結果"));
        QCOMPARE(titles.second, QStringLiteral("12-07-2026"));
        QCOMPARE(PrintHandout(printer, *gd, GraphSettings(), titles, false, {}), 1);
        const double m = printer.ScaleWidth() / 2;
        QCOMPARE(printer.ScaleLeft(), 0.0); // no margins

        const CanvasOp* title = printer.findText(titles.first);
        QVERIFY(title);
        QCOMPARE(title->font, (CanvasFont{gd->fontPGothic, 20, false}));
        QVERIFY(qAbs(title->x1 + RecordingCanvas::ModelTextWidth(title->text, 20) / 2 - m) < 0.01);
        QCOMPARE(printer.textAt(m + 10, 4)->text, titles.second);
        QCOMPARE(printer.textAt(m - 35, 6)->text, QStringLiteral("２年    組    番 氏名"));
        // Headings are the subjects' names, centred in their cells; the total under "合計".
        const CanvasOp* heading = printer.findText(QStringLiteral("数学"));
        QVERIFY(qAbs(heading->x1 + RecordingCanvas::ModelTextWidth(heading->text, 10) / 2 - (m - 30 + 30)) < 0.01);
        QCOMPARE(heading->y1, 7.12);
        QVERIFY(textStarting(printer, QStringLiteral("合計"), 7.12));
        QVERIFY(textStarting(printer, QStringLiteral("点　数"), 8.7));
        QVERIFY(textStarting(printer, QStringLiteral("平均点"), 10.15));
        QVERIFY(textStarting(printer, QStringLiteral("70.0"), 10.15));
        QVERIFY(textStarting(printer, QStringLiteral("350.0"), 10.15)); // average of the totals
        const CanvasOp* count = printer.findText(QStringLiteral("(生徒数 20人)"));
        QVERIFY(qAbs(count->x1 + RecordingCanvas::ModelTextWidth(count->text, 10) - (m + 35)) < 0.01);
        // Rules, then the thick frame.
        QCOMPARE(printer.lines().size(), 3 + 8 + 4);
        QCOMPARE(printer.lines().at(3).x1, m - 35);
        for (int i = 11; i < 15; ++i)
            QCOMPARE(printer.lines().at(i).drawWidth, 5);
        QCOMPARE(printer.DrawWidth(), 1);

        // Graphs: items 1..3 at x 3 from row 13, items 4..6 at the middle.
        const QList<CanvasOp> graphs = captions(printer, *gd);
        QCOMPARE(graphs.size(), 6);
        const QList<QPointF> expected{{3, 13}, {3, 26}, {3, 39}, {m, 13}, {m, 26}, {m, 39}};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(graphs.at(i).text, gd->itemCaption[i + 1]);
            QCOMPARE(QPointF(graphs.at(i).x1, graphs.at(i).y1), expected.at(i));
        }
        QVERIFY(printer.findText(QStringLiteral("   平均 70.0点  (欠席1人）")));

        // The pupil version: name line and own scores, "－" for the missed subject and the total.
        RecordingCanvas pupil(PrintableAreaPaperLayout(), Paper);
        QCOMPARE(PrintHandout(pupil, *gd, GraphSettings(), titles, false, {1, 2}), 2);
        QCOMPARE(pupil.textAt(m - 35, 5.7, 1)->text, QStringLiteral("２ 年 １ 組 １ 番 氏名 生徒1"));
        QList<QString> own;
        for (const CanvasOp& op : pupil.texts(1))
            if (qAbs(op.y1 - 8.5) < 0.01) own.append(op.text);
        QCOMPARE(own, (QList<QString>{"７０", "－", "７０", "７０", "７０", "－"}));
        QCOMPARE(pupil.texts(2).at(0).text, titles.first);
        QVERIFY(pupil.findText(QStringLiteral("３５０")));
    }

    void handoutLandscape()
    {
        auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 10, 5, 40));
        BuildReportItemList(*gd);
        RecordingCanvas printer(PrintableAreaPaperLayout(), Paper);
        const HandoutTitles titles{QStringLiteral("まとめ"), QStringLiteral("日付")};
        QCOMPARE(PrintHandout(printer, *gd, GraphSettings(), titles, true, {}), 1);
        QVERIFY(printer.ScaleWidth() > printer.ScaleHeight()); // the job turned the sheet
        const double t = printer.ScaleWidth() / 3;
        QCOMPARE(printer.textAt(5, 1)->text, titles.first);
        QCOMPARE(printer.textAt(t + 10, 4)->text, titles.second);
        QCOMPARE(printer.textAt(t + 10, 4)->font.size, 13.0);
        QVERIFY(textStarting(printer, QStringLiteral("点　数"), 8.9));
        QVERIFY(textStarting(printer, QStringLiteral("平均点"), 10.65));
        QVERIFY(textStarting(printer, QStringLiteral("(生徒数 10人)"), 11.65));
        QCOMPARE(printer.lines().at(2).y1, 10.5);
        QCOMPARE(printer.lines().at(3).y2 - printer.lines().at(3).y1, 4.6);
        const QList<CanvasOp> graphs = captions(printer, *gd);
        const QList<QPointF> expected{{3, 14}, {t, 14}, {t, 27}, {2 * t - 3, 1}, {2 * t - 3, 14}, {2 * t - 3, 27}};
        QCOMPARE(graphs.size(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(QPointF(graphs.at(i).x1, graphs.at(i).y1), expected.at(i));
    }

    void handoutFurtherSheets()
    {
        // Eight subjects: nine items, the last three on a second sheet from row 5.
        auto gd = test::MakeReportGrade(1, 8, test::EvenPupils(1, 10, 8, 40));
        BuildReportItemList(*gd);
        QCOMPARE(gd->itemCount, 9);
        RecordingCanvas printer(PrintableAreaPaperLayout(), Paper);
        QCOMPARE(PrintHandout(printer, *gd, GraphSettings(), HandoutTitles(), false, {}), 2);
        QList<QPointF> second;
        for (const CanvasOp& op : captions(printer, *gd))
            if (op.page == 2) second.append({op.x1, op.y1});
        QCOMPARE(second, (QList<QPointF>{{3, 5}, {3, 18}, {3, 31}}));
        // One sheet per pupil, never the further sheet.
        RecordingCanvas each(PrintableAreaPaperLayout(), Paper);
        QCOMPARE(PrintHandout(each, *gd, GraphSettings(), HandoutTitles(), false, {3, 5}), 2);
        QCOMPARE(each.texts(2).size(), each.texts(1).size());

        // A short sheet: two columns, then a new sheet at (3, 5) instead of drawing over.
        auto ten = test::MakeReportGrade(1, 10, test::EvenPupils(1, 5, 10, 40));
        BuildReportItemList(*ten);
        RecordingCanvas shortSheet(sheetOf(100, 40), Paper);
        PrintHandout(shortSheet, *ten, GraphSettings(), HandoutTitles(), false, {});
        QList<QPair<int, QPointF>> placed;
        for (const CanvasOp& op : captions(shortSheet, *ten))
            if (op.page >= 2) placed.append({op.page, QPointF(std::round(op.x1), op.y1)});
        QCOMPARE(placed,
                 (QList<QPair<int, QPointF>>{{2, {3, 5}}, {2, {3, 18}}, {2, {50, 5}}, {2, {50, 18}}, {3, {3, 5}}}));
    }

    void handoutTable()
    {
        // A subject split by sex among the first five keeps the subject names in the table;
        // a subject nobody has a score in shows "－", and so does the total.
        auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 6, 5, 60));
        gd->subjectKind[2] = 1;
        for (int s = 1; s <= 6; ++s)
            gd->scores(3, s) = ScoreCode::NotEntered;
        AggregateTest(*gd);
        BuildReportItemList(*gd);
        RecordingCanvas printer(PrintableAreaPaperLayout(), Paper);
        matome1(printer, *gd, GraphSettings(), HandoutTitles(), 0);
        QStringList headings;
        for (const CanvasOp& op : printer.texts())
            if (qAbs(op.y1 - 7.12) < 0.01) headings.append(op.text);
        QCOMPARE(headings, (QStringList{"国語", "社会", "数学", "理科", "英語", "合計"}));
        QStringList averages;
        for (const CanvasOp& op : printer.texts())
            if (qAbs(op.y1 - 10.15) < 0.01 && op.font.name == gd->fontPMincho) averages.append(op.text);
        QCOMPARE(averages, (QStringList{"60.0", "60.0", "－", "60.0", "60.0", "－"}));
        QCOMPARE(printer.findText(QStringLiteral("社会(男子)"))->font.name, gd->fontGothic);
        QVERIFY(printer.findText(QStringLiteral("５教科合計　は入力されたデータがありません")));

        // A test of three subjects leaves the last two columns empty.
        auto three = test::MakeReportGrade(1, 3, test::EvenPupils(1, 4, 3, 30));
        BuildReportItemList(*three);
        RecordingCanvas small(PrintableAreaPaperLayout(), Paper);
        matome1(small, *three, GraphSettings(), HandoutTitles(), 1);
        QStringList cells;
        for (const CanvasOp& op : small.texts())
            if (qAbs(op.y1 - 8.5) < 0.01) cells.append(op.text);
        QCOMPARE(cells, (QStringList{"３０", "３０", "３０", "９０"}));
    }

    void handoutMustFit()
    {
        auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 6, 5, 60));
        BuildReportItemList(*gd);
        const double height = SheetCells(PrintableAreaPaperLayout()).height();
        QVERIFY(CheckHandoutFits(*gd, GraphSettings(), height, false));
        QVERIFY(CheckHandoutFits(*gd, GraphSettings::FiftyPoints(), height, false));
        QVERIFY(CheckHandoutFits(*gd, GraphSettings::FiftyPoints(),
                                 SheetCells(PrintableAreaPaperLayout(QPageLayout::Landscape)).height(), true));
        const Result tall = CheckHandoutFits(*gd, GraphSettings{500, 50, 100, 4}, height, false);
        QVERIFY(!tall);
        QCOMPARE(tall.message, QString::fromUtf16(HandoutTooTallText));
        QVERIFY(!CheckHandoutFits(*gd, GraphSettings{500, 0, 100, 10}, height, false));
    }

    void fullWidthTexts()
    {
        QCOMPARE(FullWidthText(QStringLiteral("2A15b")), QStringLiteral("２Ａ１５ｂ"));
        QCOMPARE(FullWidthText(QStringLiteral("組-")), QStringLiteral("組-"));
    }
};

QTEST_MAIN(GraphTest)
#include "tst_graphs.moc"
