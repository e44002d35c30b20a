// Layouts of the raw score table and the averages and maxima table, checked operation by
// operation on the recording canvas.
#include "AverageReport.h"
#include "RawScoreReport.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ReportTestData.h"

#include <QtTest>

using namespace seiran;
using seiran::test::ReportPupil;

Q_DECLARE_METATYPE(seiran::RawScoreSheet)

namespace {
const CanvasFont Preview9{QStringLiteral("ＭＳ ゴシック"), 9.0, false};

QString textAt(const RecordingCanvas& c, double x, double y)
{
    const CanvasOp* op = c.textAt(x, y);
    return op ? op->text : QStringLiteral("<nothing>");
}

QList<double> ruleRows(const RecordingCanvas& c)
{
    QList<double> rows;
    for (const CanvasOp& op : c.lines()) {
        if (op.y1 != op.y2) continue;
        rows.append(std::round(op.y1 * 100) / 100);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}
} // namespace

class TableLayoutsTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { mClock = std::make_unique<ScopedReportClock>(test::FixedStampTime()); }
    void cleanup() { mClock.reset(); }

    void rawScoreRowsAndCells()
    {
        // Class 1 holds numbers 1..7 (rules before 1 and 6, after 5); class 2 starts at 2.
        QList<ReportPupil> pupils;
        for (int k = 1; k <= 7; ++k)
            pupils.append({1, k, QStringLiteral("一組%1").arg(k), 1, {60 + k, 50, 40, 30, 20, 10, 5}});
        pupils[1].scores = {70, 60, -1, 40, 30, -1, -12}; // absent in a main and an extra subject
        pupils[2].scores = {70, 60, 50, -5, 30, -5, 8};   // not entered
        pupils[3].scores = {70, 60, 50, -12, 30, 20, 8};  // a bracketed score
        pupils.append({2, 2, QStringLiteral("二組"), 2, {90, 90, 90, 90, 90, 90, 90}});
        pupils.append({2, 3, QStringLiteral("二組b"), 2, {80, 80, 80, 80, 80, 80, 80}});
        auto gd = test::MakeReportGrade(2, 7, pupils);
        gd->classLabels = QStringLiteral("ABCDEFGHI");

        RecordingCanvas c(120, 60, Preview9);
        DrawRawScorePage(c, *gd, 1);
        QCOMPARE(textAt(c, 0, 0), QStringLiteral("素点一覧表     中間テスト       2 年 A 組"));
        QCOMPARE(textAt(c, 0, 1), QStringLiteral("No.氏名")); // where the title's line end left off
        QCOMPARE(textAt(c, 15, 1), QStringLiteral("国語"));
        QCOMPARE(textAt(c, 40, 1), QStringLiteral("5教科"));
        QCOMPARE(textAt(c, 46, 1), QStringLiteral("音楽")); // subject 6 after the total
        QCOMPARE(textAt(c, 51, 1), QStringLiteral("美術"));
        QCOMPARE(textAt(c, 56, 1), QStringLiteral("年順")); // 21 + 5n, n = 7
        QCOMPARE(textAt(c, 61, 1), QStringLiteral("組順"));

        // Pupil j on row j + 1.
        QCOMPARE(textAt(c, 0, 2), QStringLiteral(" 1"));
        QCOMPARE(textAt(c, 3, 2), QStringLiteral("一組1"));
        QCOMPARE(textAt(c, 15, 2), QStringLiteral("  61"));
        QCOMPARE(textAt(c, 40, 2), QStringLiteral("  201")); // total in five columns
        QCOMPARE(textAt(c, 51, 2), QStringLiteral("   5"));
        // Absent: "  欠" in the five main subjects, "欠席" after them; -5 is "  －".
        QCOMPARE(textAt(c, 25, 3), QStringLiteral("  欠"));
        QCOMPARE(textAt(c, 46, 3), QStringLiteral("欠席"));
        QCOMPARE(textAt(c, 51, 3), QStringLiteral("欠席"));
        QCOMPARE(textAt(c, 30, 4), QStringLiteral("  －"));
        QCOMPARE(textAt(c, 46, 4), QStringLiteral("  －"));
        QCOMPARE(textAt(c, 30, 5), QStringLiteral("  欠"));
        // A missing main subject: the total and both ranks show "  －", the other cells their own.
        for (int row : {3, 4, 5}) {
            QCOMPARE(textAt(c, 40, row), QStringLiteral("  －"));
            QCOMPARE(textAt(c, 56, row), QStringLiteral("  －"));
            QCOMPARE(textAt(c, 61, row), QStringLiteral("  －"));
        }
        QCOMPARE(textAt(c, 15, 3), QStringLiteral("  70"));
        // Ranks of complete pupils: grade rank after class 2's two better pupils.
        QCOMPARE(textAt(c, 56, 2), QStringLiteral("   6"));
        QCOMPARE(textAt(c, 61, 2), QStringLiteral("   4"));

        // Rules: under the title, before number 1, after 5, before 6, after the last pupil,
        // under the class and the grade averages; all 5n + 30 long.
        QCOMPARE(ruleRows(c), (QList<double>{0.9, 1.9, 6.9, 8.9, 11.9, 14.9}));
        for (const CanvasOp& op : c.lines()) {
            QCOMPARE(op.x1, 0.0);
            QCOMPARE(op.x2, 65.0);
        }

        // Averages one column right of the scores; the rows after the last pupil (row 8).
        QCOMPARE(textAt(c, 0, 9), QStringLiteral("クラス平均点　全体"));
        QCOMPARE(textAt(c, 0, 10), QStringLiteral("　　　　　　　男子"));
        QCOMPARE(textAt(c, 0, 12), QStringLiteral("学年　平均点　全体"));
        QCOMPARE(textAt(c, 0, 14), QStringLiteral("　　　　　　　女子"));
        QCOMPARE(textAt(c, 16, 9), QStringLiteral("67.0"));   // (61 + 70 * 3 + 65 + 66 + 67) / 7
        QCOMPARE(textAt(c, 47, 9), QStringLiteral("12.0"));   // subject 6 without the -1 and -5: 60 / 5
        QVERIFY(!c.textAt(16, 11));                           // no girls in class 1: blank, not "0.0"
        QCOMPARE(textAt(c, 41, 12), QStringLiteral("278.2")); // complete totals of the grade: 1669 / 6

        // The stamp after a line end below the last rule.
        const CanvasOp* stamp = c.findText(QStringLiteral("　　（印刷日時04-01-2005 13:05:09)"));
        QVERIFY(stamp);
        QCOMPARE(stamp->x1, 0.0);
        QVERIFY(stamp->y1 > 14.9 && stamp->y1 < 17.0);

        // Class 2 starts at number 2: no rule before its first pupil.
        RecordingCanvas second(120, 60, Preview9);
        DrawRawScorePage(second, *gd, 2);
        QCOMPARE(ruleRows(second), (QList<double>{0.9, 3.9, 6.9, 9.9}));
        QCOMPARE(textAt(second, 0, 0), QStringLiteral("素点一覧表     中間テスト       2 年 B 組"));
    }

    void namesEndBeforeTheScores()
    {
        // The longest name a roster holds fits the raw score table at 10 points; a larger font
        // shrinks it to end before the first score column (15) instead of running into it.
        auto gd = test::MakeReportGrade(1, 5, {{1, 1, QStringLiteral("長谷川　さくら"), 2, {80, 70, 60, 50, 40}}});
        RecordingCanvas paper(StandardPaperLayout(), PrinterStartFont(*gd));
        DrawRawScorePage(paper, *gd, 1);
        QCOMPARE(paper.findText(QStringLiteral("長谷川　さくら"))->font.size, 10.0);
        RecordingCanvas large(120, 60, CanvasFont{gd->fontMincho, 12.0, false});
        DrawRawScorePage(large, *gd, 1);
        const CanvasOp* name = large.findText(QStringLiteral("長谷川　さくら"));
        QVERIFY(name);
        QCOMPARE(name->font.size, 10.0);
        QCOMPARE(name->x1, 3.0);
        QCOMPARE(textAt(large, 15, 2), QStringLiteral("  80"));
        QCOMPARE(large.textAt(15, 2)->font.size, 12.0);

        // A font already below the smallest size keeps its size and only cuts.
        RecordingCanvas tiny(120, 60, CanvasFont{gd->fontMincho, 6.0, false});
        tiny.SetCurrentX(0);
        tiny.SetCurrentY(5);
        PrintFitted(tiny, QStringLiteral("あいうえお"), 3.0);
        QCOMPARE(tiny.texts().last().text, QStringLiteral("あいう")); // 1 column each at 6 points
        QCOMPARE(tiny.texts().last().font.size, 6.0);
        QCOMPARE(tiny.CurrentX(), 3.0);
        QCOMPARE(tiny.CurrentY(), 5.0);
        QCOMPARE(tiny.FontSize(), 6.0);
        // No room at all: nothing is drawn over the next column.
        const qsizetype drawn = tiny.texts().size();
        PrintFitted(tiny, QStringLiteral("あ"), 0.5);
        QCOMPARE(tiny.texts().size(), drawn);
        QCOMPARE(tiny.CurrentX(), 3.0); // where the text would have started
    }

    void rawScoreColumnsFollowTheSubjectCount_data()
    {
        QTest::addColumn<int>("subjects");
        QTest::addColumn<int>("gradeRankX");
        QTest::addColumn<int>("classRankX");
        QTest::addColumn<double>("ruleEnd");
        QTest::newRow("5 subjects") << 5 << 46 << 51 << 55.0;
        QTest::newRow("9 subjects") << 9 << 66 << 71 << 75.0;
        // Fewer than five: the first block shows the test's own subjects only and keeps its width.
        QTest::newRow("3 subjects") << 3 << 46 << 51 << 55.0;
    }
    void rawScoreColumnsFollowTheSubjectCount()
    {
        QFETCH(int, subjects);
        QFETCH(int, gradeRankX);
        QFETCH(int, classRankX);
        QFETCH(double, ruleEnd);
        auto gd = test::MakeReportGrade(1, subjects, test::EvenPupils(1, 6, subjects, 70));
        RecordingCanvas c(120, 60, Preview9);
        DrawRawScorePage(c, *gd, 1);
        QCOMPARE(textAt(c, gradeRankX, 1), QStringLiteral("年順"));
        QCOMPARE(textAt(c, classRankX, 1), QStringLiteral("組順"));
        QCOMPARE(textAt(c, gradeRankX, 2), QStringLiteral("   1"));
        QCOMPARE(c.lines().first().x2, ruleEnd);
        int headings = 0;
        for (int i = 1; i <= 10; ++i)
            if (test::StandardSubjectNames().contains(textAt(c, RawScoreSubjectX(i), 1))) ++headings;
        QCOMPARE(headings, subjects);
        if (subjects == 9) QCOMPARE(textAt(c, 61, 1), QStringLiteral("技家"));
    }

    void rawScoreOfAnEmptyClass()
    {
        auto gd = test::MakeReportGrade(2, 5, test::EvenPupils(1, 3, 5));
        gd->classCount = 2; // class 2 has nobody
        RecordingCanvas c(120, 60, Preview9);
        DrawRawScorePage(c, *gd, 2);
        QCOMPARE(ruleRows(c), (QList<double>{0.9, 1.9, 4.9, 7.9}));
        QVERIFY(c.findText(QStringLiteral("クラス平均点　全体")));
        // A class that does not exist draws nothing.
        RecordingCanvas none(120, 60, Preview9);
        DrawRawScorePage(none, *gd, 3);
        QVERIFY(none.ops().isEmpty());
    }

    void longClassesContinueOnTheNextSheet_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("depth");
        QTest::addColumn<QList<RawScoreSheet>>("sheets");
        // A4 without hardware margins: 67.15 rows below the origin.
        QTest::newRow("57 fit") << 57 << 67.15 << QList<RawScoreSheet>{{1, 57, true}};
        QTest::newRow("60: averages on a second sheet")
            << 60 << 67.15 << QList<RawScoreSheet>{{1, 60, false}, {61, 60, true}};
        QTest::newRow("70 rows: pupils continue")
            << 70 << 40.0 << QList<RawScoreSheet>{{1, 38, false}, {39, 70, false}, {71, 70, true}};
        QTest::newRow("45 on 40 rows") << 45 << 40.0 << QList<RawScoreSheet>{{1, 38, false}, {39, 45, true}};
        QTest::newRow("empty class") << 0 << 67.15 << QList<RawScoreSheet>{{1, 0, true}};
        // A sheet too small even for the averages: the class stays on one sheet.
        QTest::newRow("tiny sheet") << 5 << 9.0 << QList<RawScoreSheet>{{1, 5, true}};
    }
    void longClassesContinueOnTheNextSheet()
    {
        QFETCH(int, size);
        QFETCH(double, depth);
        QFETCH(QList<RawScoreSheet>, sheets);
        QCOMPARE(PlanRawScoreSheets(size, depth), sheets);
    }

    void classOfSixtyStaysOnThePaper()
    {
        QList<ReportPupil> pupils = test::EvenPupils(1, 60, 9, 70);
        for (int k = 1; k <= 57; ++k)
            pupils.append({2, k, QString(), 1, QList<int>(9, 60)});
        auto gd = test::MakeReportGrade(2, 9, pupils);
        RecordingCanvas paper(StandardPaperLayout(), PrinterStartFont(*gd));
        QCOMPARE(PrintRawScoreClasses(paper, *gd, {1, 2}), 3);
        // Nothing below the bottom of the sheet or right of its edge.
        const double bottom = paper.ScaleTop() + paper.ScaleHeight();
        const double right = paper.ScaleLeft() + paper.ScaleWidth();
        for (const CanvasOp& op : paper.ops()) {
            if (op.kind == CanvasOp::Text) {
                QVERIFY2(op.y1 + 1 <= bottom, qPrintable(op.text));
                QVERIFY2(op.x1 + RecordingCanvas::ModelTextWidth(op.text, op.font.size) <= right, qPrintable(op.text));
            } else if (op.kind == CanvasOp::Line) {
                QVERIFY(op.y1 <= bottom && op.x2 <= right);
            }
        }
        // Sheet 1 holds all 60 pupils of class 1 and no averages; sheet 2 the same title and
        // headings, a rule under them, the averages and the stamp.
        QCOMPARE(paper.textAt(0, 61, 1)->text, QStringLiteral("60"));
        QCOMPARE(paper.textAt(0, 0, 2)->text, paper.textAt(0, 0, 1)->text);
        QCOMPARE(paper.textAt(0, 1, 2)->text, QStringLiteral("No.氏名"));
        QCOMPARE(paper.textAt(0, 2, 2)->text, QStringLiteral("クラス平均点　全体"));
        QCOMPARE(paper.textAt(0, 5, 2)->text, QStringLiteral("学年　平均点　全体"));
        int stamps = 0;
        for (const CanvasOp& op : paper.texts(2))
            if (op.text.contains(QStringLiteral("印刷日時"))) ++stamps;
        QCOMPARE(stamps, 1);
        for (const CanvasOp& op : paper.texts(1))
            QVERIFY(!op.text.contains(QStringLiteral("印刷日時")) && !op.text.contains(QStringLiteral("平均点")));
        QList<double> rules;
        for (const CanvasOp& op : paper.lines(2))
            rules.append(op.y1);
        QCOMPARE(rules, (QList<double>{0.9, 1.9, 4.9, 7.9}));
        // Class 2 (57 pupils) fits: one sheet with its averages.
        QCOMPARE(paper.textAt(0, 0, 3)->text.right(3), QStringLiteral("2 組"));
        QCOMPARE(paper.textAt(0, 59, 3)->text, QStringLiteral("クラス平均点　全体"));
        QCOMPARE(paper.pageCount(), 3);

        // The preview page is never cut: the whole class on one page, as deep as it needs.
        RecordingCanvas preview(120, 60, Preview9);
        DrawRawScorePage(preview, *gd, 1);
        double deepest = 0;
        for (const CanvasOp& op : preview.texts())
            deepest = std::max(deepest, op.y1 + 1);
        QCOMPARE(deepest, RawScorePageDepth(60));
    }

    void averagesThreeClassesNineSubjects()
    {
        QList<ReportPupil> pupils;
        for (int c = 1; c <= 3; ++c) {
            pupils.append({c, 1, QString(), 1, {60, 61, 62, 63, 64, 65, 66, 67, 68}});
            pupils.append({c, 2, QString(), 2, {70, 71, 72, 73, 74, 75, 76, 77, 100}});
        }
        pupils[5].scores[0] = -1; // class 3's girl is absent in subject 1
        auto gd = test::MakeReportGrade(3, 9, pupils);
        gd->currentGrade = 3;

        RecordingCanvas c(120, 60, Preview9);
        DrawAveragePage(c, *gd);
        QCOMPARE(textAt(c, 0, 0), QStringLiteral("平均点・最高点一覧表     3年　中間テスト"));
        QCOMPARE(textAt(c, 10, 1), QStringLiteral("国語"));
        QCOMPARE(textAt(c, 50, 1), QStringLiteral("技家"));
        QCOMPARE(textAt(c, 55, 1), QStringLiteral("5教科"));
        // Class rows 2..10, grade rows 11..13, maxima on 14, stamp on 16.
        for (int k = 1; k <= 3; ++k) {
            QCOMPARE(textAt(c, 0, 3 * k - 1), QStringLiteral(" %1組").arg(k));
            QCOMPARE(textAt(c, 5, 3 * k - 1), QStringLiteral("全体"));
            QCOMPARE(textAt(c, 5, 3 * k), QStringLiteral("男子"));
            QCOMPARE(textAt(c, 5, 3 * k + 1), QStringLiteral("女子"));
        }
        QCOMPARE(textAt(c, 10, 2), QStringLiteral("65.0"));
        QCOMPARE(textAt(c, 10, 3), QStringLiteral("60.0"));
        QCOMPARE(textAt(c, 10, 4), QStringLiteral("70.0"));
        QCOMPARE(textAt(c, 10, 8), QStringLiteral("60.0"));  // the absent girl is left out
        QVERIFY(!c.textAt(10, 10));                          // and class 3's girls have no average
        QCOMPARE(textAt(c, 55, 2), QStringLiteral("335.0")); // total of subjects 1..5 in 5 columns
        QCOMPARE(textAt(c, 0, 11), QStringLiteral("学年"));
        QCOMPARE(textAt(c, 5, 13), QStringLiteral("女子"));
        QCOMPARE(textAt(c, 10, 11), QStringLiteral("64.0"));
        QCOMPARE(textAt(c, 0, 14), QStringLiteral("最高点"));
        QCOMPARE(textAt(c, 9, 14), QStringLiteral("  70")); // one column left of the averages
        QCOMPARE(textAt(c, 49, 14), QStringLiteral(" 100"));
        QCOMPARE(textAt(c, 54, 14), QStringLiteral("  360"));
        QCOMPARE(textAt(c, 1, 16), QStringLiteral("印刷日時　04-01-2005 13:05:09"));

        QCOMPARE(ruleRows(c), (QList<double>{0.9, 1.9, 4.9, 7.9, 10.9, 13.9, 14.9}));
        for (const CanvasOp& op : c.lines()) {
            QCOMPARE(op.x1, 0.0);
            QCOMPARE(op.x2, 60.0);
        }
    }

    void maximaOfAllZeroAndOfNoScores()
    {
        // Everybody scored 0 in subject 2 and nobody has a score in subject 3.
        auto gd = test::MakeReportGrade(
            1, 5, {{1, 1, QString(), 1, {50, 0, -1, 40, 30}}, {1, 2, QString(), 2, {60, 0, -5, 20, 10}}});
        RecordingCanvas c(120, 60, Preview9);
        DrawAveragePage(c, *gd);
        QCOMPARE(textAt(c, 9, 8), QStringLiteral("  60"));
        QCOMPARE(textAt(c, 14, 8), QStringLiteral("   0"));
        QVERIFY(!c.textAt(19, 8));
        QCOMPARE(textAt(c, 15, 5), QStringLiteral(" 0.0"));
        QVERIFY(!c.textAt(20, 5));
    }

    void printRunPutsEachClassOnASheetInsideTheMargins()
    {
        auto gd = test::MakeReportGrade(3, 5, test::EvenPupils(3, 9, 5));
        RecordingCanvas paper(StandardPaperLayout(), PrinterStartFont(*gd));
        QCOMPARE(PrintRawScoreClasses(paper, *gd, {1, 3, 7}), 2); // 7 is no class
        QCOMPARE(paper.pageCount(), 2);
        QCOMPARE(paper.ScaleLeft(), -5.0);
        QCOMPARE(paper.ScaleTop(), -3.0);
        QCOMPARE(paper.ops().last().kind, CanvasOp::EndDoc);
        const QStringList dump = paper.dump();
        QCOMPARE(dump.first(),
                 QStringLiteral("T\t1\t0.00\t0.00\tＭＳ 明朝\t10\t素点一覧表     中間テスト       2 年 1 組"));
        QVERIFY(dump.contains(QStringLiteral("N\t2")));
        QVERIFY(paper.textAt(0, 0, 2)->text.endsWith(QStringLiteral("3 組")));

        RecordingCanvas averages(StandardPaperLayout(), PrinterStartFont(*gd));
        QCOMPARE(PrintAverage(averages, *gd), 1);
        QCOMPARE(averages.pageCount(), 1);

        // Nothing chosen: no sheet and no end of job.
        RecordingCanvas idle(StandardPaperLayout(), PrinterStartFont(*gd));
        QCOMPARE(PrintRawScoreClasses(idle, *gd, {}), 0);
        QVERIFY(idle.ops().isEmpty());
    }

private:
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(TableLayoutsTest)
#include "tst_tablelayouts.moc"
