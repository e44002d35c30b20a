// The four printed documents of an evaluation on the recording canvas: sheets, positions,
// fonts, cell texts and rules.
#include "EvaluationTestData.h"
#include "HyoteiPrint.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ReportFonts.h"

#include <cmath>

using namespace seiran;
using namespace seiran::test;

namespace {
QString textAt(const RecordingCanvas& canvas, double x, double y, int page)
{
    const CanvasOp* op = canvas.textAt(x, y, page);
    return op ? op->text : QStringLiteral("<none>");
}

int countOps(const RecordingCanvas& canvas, CanvasOp::Kind kind)
{
    int n = 0;
    for (const CanvasOp& op : canvas.ops())
        if (op.kind == kind) ++n;
    return n;
}

bool hasLine(const RecordingCanvas& canvas, double x1, double y1, double x2, double y2, int page)
{
    for (const CanvasOp& op : canvas.lines(page))
        if (qAbs(op.x1 - x1) < 0.01 && qAbs(op.y1 - y1) < 0.01 && qAbs(op.x2 - x2) < 0.01 && qAbs(op.y2 - y2) < 0.01)
            return true;
    return false;
}

HyoteiPrintSet only(int digit)
{
    HyoteiPrintSet set;
    HyoteiPrintSet::fromDigits(QString::number(digit), set);
    return set;
}
} // namespace

class PrintoutsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }
    void init() { mClock = std::make_unique<ScopedReportClock>(QDateTime(QDate(2005, 4, 1), QTime(13, 5, 9))); }
    void cleanup() { mClock.reset(); }

    void listsBreakByHeightOrByClass()
    {
        QList<EvalPupil> pupils;
        for (int n = 1; n <= 40; ++n)
            pupils.append(EvalPupil{1, n, QStringLiteral("一組%1").arg(n), 1, {100 - n}});
        for (int n = 1; n <= 21; ++n)
            pupils.append(EvalPupil{2, n, QStringLiteral("二組%1").arg(n), 2, {99 - n}});
        GradeFixture f(1, 2);
        WriteEvalGrade(f, pupils);
        auto run = Evaluate(f.gd());
        QVERIFY(run);
        QCOMPARE(run->pupilCount, 61);

        RecordingCanvas score(StandardPaperLayout(), PrinterStartFont(f.gd()));
        QCOMPARE(HyoteiLinesPerSheet(score), 60);
        QCOMPARE(PrintHyoteiDocuments(score, f.gd(), *run, only(1), NullProgress::instance()), 2);
        QCOMPARE(countOps(score, CanvasOp::NewPage), 1);
        QCOMPARE(countOps(score, CanvasOp::EndDoc), 1);
        QCOMPARE(textAt(score, 9, 65, 1), run->pupilName[run->sortIndex[60]]);
        QCOMPARE(textAt(score, 9, 6, 2), run->pupilName[run->sortIndex[61]]);
        QCOMPARE(textAt(score, 3, 3, 2), QStringLiteral("評定の算出　１年 国語(点数順)"));

        // Attendance order: every class on a sheet of its own.
        RecordingCanvas number(StandardPaperLayout(), PrinterStartFont(f.gd()));
        QCOMPARE(PrintHyoteiDocuments(number, f.gd(), *run, only(2), NullProgress::instance()), 2);
        QCOMPARE(textAt(number, 9, 45, 1), QStringLiteral("一組40"));
        QCOMPARE(textAt(number, 9, 46, 1), QStringLiteral("<none>"));
        QCOMPARE(textAt(number, 9, 6, 2), QStringLiteral("二組1"));
        QCOMPARE(textAt(number, 3, 3, 1), QStringLiteral("評定の算出　１年 国語(出席番号順)"));

        // All four documents are one job: only its first sheet lacks a new page.
        RecordingCanvas all(StandardPaperLayout(), PrinterStartFont(f.gd()));
        const int sheets =
            PrintHyoteiDocuments(all, f.gd(), *run, HyoteiPrintSet{true, true, true, true}, NullProgress::instance());
        QCOMPARE(sheets, 2 + 2 + 1 + 1);
        QCOMPARE(countOps(all, CanvasOp::NewPage), sheets - 1);
        QCOMPARE(all.pageCount(), sheets);
    }

    void listLineLayout()
    {
        GradeFixture f(2, 2);
        WriteEvalGrade(f,
                       {
                           {1, 3, "山田太郎", 1, {80, -1, -60}},
                           {1, 7, "鈴木花子", 2, {90, 40, 30}},
                           {2, 12, "佐藤一", 1, {12345, 0, 0}},
                       },
                       {1.0, 0.5, 1.5});
        GradeData& gd = f.gd();
        gd.testShortNames[1] = QStringLiteral("中間");
        auto run = Evaluate(gd);
        QVERIFY(run);
        // Ranks: 佐藤 12345, 鈴木 155, 山田 155 (80 + 75).
        QCOMPARE(run->sortIndex[1], 3);
        QString cell;
        ApplyLevelKey(*run, 1, '4', cell);
        CycleMark(*run, 1);
        RecordingCanvas canvas(StandardPaperLayout(), PrinterStartFont(gd));
        QCOMPARE(PrintHyoteiDocuments(canvas, gd, *run, only(1), NullProgress::instance()), 1);

        const CanvasOp* title = canvas.textAt(3, 3, 1);
        QVERIFY(title);
        QCOMPARE(title->text, QStringLiteral("評定の算出　２年 国語(点数順)"));
        QCOMPARE(title->font.name, gd.fontGothic);
        QCOMPARE(title->font.size, 10.0);
        const QList<CanvasOp> texts = canvas.texts(1);
        QCOMPARE(texts.first().text, title->text);
        const CanvasOp& date = texts.at(1);
        QCOMPARE(date.text, QStringLiteral("    印刷日時　04-01-2005 13:05:09"));
        QCOMPARE(date.font.name, gd.fontMincho);
        QCOMPARE(date.y1, 3.0);
        QVERIFY(qAbs(date.x1 - (3 + RecordingCanvas::ModelTextWidth(title->text, 10))) < 0.01);

        // Weights other than 1 over their columns; the headings.
        QCOMPARE(textAt(canvas, 34, 4, 1), QStringLiteral("<none>"));
        QCOMPARE(textAt(canvas, 39, 4, 1), QStringLiteral("x0.5"));
        QCOMPARE(textAt(canvas, 44, 4, 1), QStringLiteral("x1.5"));
        for (const auto& [x, text] :
             QList<QPair<double, QString>>{{3, "組"}, {6, "番"}, {9, "氏名"}, {24, "評定"}, {29, "合計"}, {34, "中間"}})
            QCOMPARE(textAt(canvas, x, 5, 1), text);
        QVERIFY(hasLine(canvas, 3, 6, 49, 6, 1));

        // The wide total keeps its digits and starts further left.
        QCOMPARE(textAt(canvas, 3, 6, 1), QStringLiteral(" 2"));
        QCOMPARE(textAt(canvas, 6, 6, 1), QStringLiteral("12"));
        QCOMPARE(textAt(canvas, 28, 6, 1), QStringLiteral("12345"));
        QCOMPARE(textAt(canvas, 23, 6, 1), QStringLiteral("  4 "));
        QCOMPARE(textAt(canvas, 2, 6, 1), QStringLiteral("<none>"));

        // 山田: changed level with its mark, absent and bracketed tests, the star.
        const int yamada = run->sortIndex[2] == 1 ? 7 : 8;
        QCOMPARE(textAt(canvas, 23, yamada, 1), QStringLiteral("( 4○)"));
        QCOMPARE(textAt(canvas, 29, yamada, 1), QStringLiteral(" 155"));
        QCOMPARE(textAt(canvas, 34, yamada, 1), QStringLiteral("  80"));
        QCOMPARE(textAt(canvas, 39, yamada, 1), QStringLiteral("  欠"));
        QCOMPARE(textAt(canvas, 44, yamada, 1), QStringLiteral(" (50)"));
        QCOMPARE(textAt(canvas, 2, yamada, 1), QStringLiteral("*"));
        QCOMPARE(textAt(canvas, 2, 15 - yamada, 1), QStringLiteral("<none>"));
        for (const CanvasOp& op : texts)
            if (op.y1 >= 6) QCOMPARE(op.font, PrinterStartFont(gd));

        // Attendance order puts the level one column further right.
        RecordingCanvas number(StandardPaperLayout(), PrinterStartFont(gd));
        PrintHyoteiDocuments(number, gd, *run, only(2), NullProgress::instance());
        QCOMPARE(textAt(number, 24, 6, 1), QStringLiteral("( 4○)"));
        QCOMPARE(textAt(number, 9, 7, 1), QStringLiteral("鈴木花子"));
        QCOMPARE(number.pageCount(), 2);
    }

    void scoreCellTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("text");
        QTest::newRow("score") << 75 << 29.0 << "  75";
        QTest::newRow("zero") << 0 << 29.0 << "   0";
        QTest::newRow("not entered") << -5 << 29.0 << "  －";
        QTest::newRow("absent") << -1 << 29.0 << "  欠";
        QTest::newRow("bracket 50") << -60 << 29.0 << " (50)";
        QTest::newRow("bracket 0") << -10 << 29.0 << "  (0)";
        QTest::newRow("bracket 999") << -1009 << 29.0 << "(999)";
        QTest::newRow("bracket 1000") << -1010 << 28.0 << "(1000)";
        QTest::newRow("other code") << -3 << 29.0 << " (-7)";
        QTest::newRow("wide") << 12345 << 28.0 << "12345";
    }
    void scoreCellTexts()
    {
        QFETCH(int, code);
        QFETCH(double, x);
        QFETCH(QString, text);
        RecordingCanvas canvas(StandardPaperLayout(), CanvasFont{QStringLiteral("ＭＳ 明朝"), 10, false});
        PrintHyoteiScoreCell(canvas, 29, 6, code);
        QCOMPARE(canvas.texts().size(), 1);
        QCOMPARE(canvas.texts().first().text, text);
        QCOMPARE(canvas.texts().first().x1, x);
    }

    void classListsSideBySide()
    {
        GradeFixture f(3, 6);
        QList<EvalPupil> pupils;
        for (int c = 1; c <= 5; ++c) {
            pupils.append(EvalPupil{c, 3, QStringLiteral("組%1の三番").arg(c), 1, {50 + c}});
            if (c == 2) pupils.append(EvalPupil{c, 12, QStringLiteral("二組十二番"), 2, {90}});
        }
        WriteEvalGrade(f, pupils);
        GradeData& gd = f.gd();
        gd.evalClassSelected[6] = 0;
        auto run = Evaluate(gd);
        QVERIFY(run);
        QCOMPARE(HyoteiNumberGroups(*run), QList<int>({1, 3}));
        QString cell;
        ApplyLevelKey(*run, run->pupilAt(2, 12), '0', cell);

        RecordingCanvas canvas(StandardPaperLayout(), PrinterStartFont(gd));
        QCOMPARE(HyoteiBlocksPerSheet(canvas), 4);
        QCOMPARE(PrintHyoteiDocuments(canvas, gd, *run, only(3), NullProgress::instance()), 2);
        const CanvasOp* title = canvas.textAt(3, 3, 1);
        QVERIFY(title);
        QCOMPARE(title->text, QStringLiteral("評定の算出　３年　国語（クラス別）"));
        QCOMPARE(title->font.name, gd.fontGothic);
        QCOMPARE(canvas.texts(1).at(1).text, QStringLiteral("　印刷日時04-01-2005 13:05:09"));
        for (int j = 0; j < 4; ++j)
            QCOMPARE(textAt(canvas, 10 + 22 * j, 5, 1), QString::number(j + 1) + QStringLiteral("   組"));
        QCOMPARE(textAt(canvas, 10, 5, 2), QStringLiteral("5   組"));
        QCOMPARE(textAt(canvas, 32, 5, 2), QStringLiteral("<none>"));

        // Groups 1-5 and 11-15: ten lines, the number in every block, names only where a pupil is.
        QCOMPARE(textAt(canvas, 3, 6, 1), QStringLiteral(" 1"));
        QCOMPARE(textAt(canvas, 69, 15, 1), QStringLiteral("15"));
        QCOMPARE(textAt(canvas, 3, 11, 1), QStringLiteral("11"));
        QCOMPARE(textAt(canvas, 3, 16, 1), QStringLiteral("<none>"));
        QCOMPARE(textAt(canvas, 6, 8, 1), QStringLiteral("組1の三番"));
        QCOMPARE(textAt(canvas, 6, 6, 1), QStringLiteral("<none>"));
        QCOMPARE(textAt(canvas, 28, 12, 1), QStringLiteral("二組十二番"));
        QCOMPARE(textAt(canvas, 41, 12, 1), QStringLiteral("(10 )"));
        const int level = run->evalLevel[run->pupilAt(1, 3)];
        QCOMPARE(textAt(canvas, 19, 8, 1), QStringLiteral("  %1 ").arg(level));

        // Rules: four blocks, two groups.
        for (int j = 0; j <= 4; ++j)
            QVERIFY(hasLine(canvas, 2.5 + 22 * j, 4.9, 2.5 + 22 * j, 15.9, 1));
        for (double y : {4.9, 5.9, 10.9, 15.9})
            QVERIFY(hasLine(canvas, 2.5, y, 90.5, y, 1));
        QVERIFY(hasLine(canvas, 2.5, 4.9, 24.5, 4.9, 2));
        QVERIFY(hasLine(canvas, 24.5, 4.9, 24.5, 15.9, 2));
        QVERIFY(!hasLine(canvas, 46.5, 4.9, 46.5, 15.9, 2));
    }

    void changedLevelsStayInsideTheirBlock()
    {
        // A changed level with a mark, "( 1○)", is a full-width character wider than the
        // plain level and would reach the rule at the block's right edge; it gets smaller.
        GradeFixture f(3, 2);
        QList<EvalPupil> pupils;
        for (int c = 1; c <= 2; ++c)
            for (int n = 1; n <= 3; ++n)
                pupils.append(EvalPupil{c, n, QStringLiteral("生徒%1%2").arg(c).arg(n), 1, {40 + 10 * n + c}});
        WriteEvalGrade(f, pupils);
        auto run = Evaluate(f.gd());
        QVERIFY(run);
        QString cell;
        const auto change = [&](int classNo, int number) {
            const int p = run->pupilAt(classNo, number);
            QVERIFY(ApplyLevelKey(*run, p, run->evalLevelComputed[p] == 1 ? '2' : '1', cell));
        };
        change(1, 1);
        CycleMark(*run, run->pupilAt(1, 1)); // changed with ○
        change(2, 2);
        CycleMark(*run, run->pupilAt(2, 2));
        CycleMark(*run, run->pupilAt(2, 2)); // changed with △
        change(2, 3);                        // changed, no mark
        CycleMark(*run, run->pupilAt(1, 2)); // unchanged with ○

        RecordingCanvas canvas(StandardPaperLayout(), PrinterStartFont(f.gd()));
        QCOMPARE(PrintHyoteiDocuments(canvas, f.gd(), *run, only(3), NullProgress::instance()), 1);
        int levels = 0;
        for (const CanvasOp& op : canvas.texts()) {
            const int block = int(std::floor((op.x1 - 2.5) / 22));
            if (op.y1 < 6 || op.x1 < 19 + 22 * block) continue;
            ++levels;
            const double rule = 2.5 + 22 * (block + 1);
            const bool wide = op.text.startsWith(u'(') && !op.text.endsWith(QStringLiteral(" )"));
            QVERIFY2(op.x1 + RecordingCanvas::ModelTextWidth(op.text, op.font.size) <= rule - 10.0 / 12.0,
                     qPrintable(op.text));
            QCOMPARE(op.font.name, f.gd().fontMincho);
            QCOMPARE(op.font.size < 10.0, wide);
            if (wide) QVERIFY(op.y1 > std::floor(op.y1) + 0.01); // on the row's baseline
        }
        QCOMPARE(levels, 6);
        QVERIFY(canvas.findText(QStringLiteral("( 1○)")) || canvas.findText(QStringLiteral("( 2○)")));
        QVERIFY(canvas.findText(QStringLiteral("( 1△)")) || canvas.findText(QStringLiteral("( 2△)")));
    }

    void classListsOnNarrowAndShortPaper()
    {
        GradeFixture f(1, 2);
        QList<EvalPupil> pupils;
        for (int n = 1; n <= 60; n += 5)
            pupils.append(EvalPupil{1, n, QStringLiteral("生徒"), 1, {n}});
        pupils.append(EvalPupil{2, 1, QStringLiteral("二組"), 1, {1}});
        WriteEvalGrade(f, pupils);
        auto run = Evaluate(f.gd());
        QVERIFY(run);
        // A slip 60 mm wide (28 columns) and 148 mm high (35 rows).
        const QPageLayout card(QPageSize(QSizeF(60, 148), QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF());
        RecordingCanvas canvas(card, PrinterStartFont(f.gd()));
        QCOMPARE(HyoteiBlocksPerSheet(canvas), 1);
        // 35 rows less the margin of 3 and the 6 heading rows: five groups of five a sheet.
        QCOMPARE(PrintHyoteiDocuments(canvas, f.gd(), *run, only(3), NullProgress::instance()), 2 * 3);
        QCOMPARE(textAt(canvas, 3, 6, 2), QStringLiteral("26"));
        QCOMPARE(textAt(canvas, 10, 5, 2), QStringLiteral("1   組"));
        QCOMPARE(textAt(canvas, 10, 5, 4), QStringLiteral("2   組"));

        // The lists on paper shorter than the headings still take one pupil a sheet.
        const QPageLayout tiny(QPageSize(QSizeF(50, 20), QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF());
        RecordingCanvas small(tiny, PrinterStartFont(f.gd()));
        QCOMPARE(HyoteiLinesPerSheet(small), 1);
        QCOMPARE(HyoteiBlocksPerSheet(small), 1);
        QCOMPARE(PrintHyoteiDocuments(small, f.gd(), *run, only(1), NullProgress::instance()), run->pupilCount);
    }

    void distributionHasALevelZeroLine()
    {
        GradeFixture f(1, 3);
        QList<EvalPupil> pupils = PupilsWithScores(1, {90, 80, 70, 60});
        pupils.append(EvalPupil{3, 1, QStringLiteral("三組"), 1, {50}});
        WriteEvalGrade(f, pupils);
        GradeData& gd = f.gd();
        gd.evalClassSelected[2] = 0;
        gd.evalMethod = EvaluationMethod::TypedCounts;
        gd.evalLevelCounts.fill(0);
        gd.evalLevelCounts[5] = 1;
        gd.evalLevelCounts[3] = 2;
        auto run = Evaluate(gd);
        QVERIFY(run);
        RecordingCanvas canvas(StandardPaperLayout(), PrinterStartFont(gd));
        QCOMPARE(PrintHyoteiDocuments(canvas, gd, *run, only(4), NullProgress::instance()), 1);
        QCOMPARE(textAt(canvas, 5, 3, 1), QStringLiteral("評定の算出　１年 国語(人数分布)"));
        QCOMPARE(canvas.texts(1).at(1).text, QStringLiteral("    印刷日時　04-01-2005 13:05:09"));
        QCOMPARE(textAt(canvas, 5, 5, 1), QStringLiteral("評定"));
        QCOMPARE(textAt(canvas, 10, 5, 1), QStringLiteral("合計"));
        QCOMPARE(textAt(canvas, 20, 5, 1), QStringLiteral("2組"));
        QCOMPARE(textAt(canvas, 5, 6, 1), QStringLiteral("  10"));
        QCOMPARE(textAt(canvas, 10, 6, 1), QStringLiteral("    "));
        QCOMPARE(textAt(canvas, 5, 16, 1), QStringLiteral("   0"));
        QCOMPARE(textAt(canvas, 10, 16, 1), QStringLiteral("   2"));
        QCOMPARE(textAt(canvas, 15, 16, 1), QStringLiteral("   1"));
        QCOMPARE(textAt(canvas, 25, 16, 1), QStringLiteral("   1"));
        QCOMPARE(textAt(canvas, 10, 11, 1), QStringLiteral("   1"));
        QCOMPARE(textAt(canvas, 10, 13, 1), QStringLiteral("   2"));
        for (int y = 6; y <= 16; ++y)
            QCOMPARE(textAt(canvas, 20, y, 1), QStringLiteral("<none>"));
        for (int i = 0; i <= 12; ++i)
            QVERIFY(hasLine(canvas, 4.5, 4.9 + i, 29.5, 4.9 + i, 1));
        for (int c = 1; c <= 6; ++c)
            QVERIFY(hasLine(canvas, 5 * c - 0.5, 4.9, 5 * c - 0.5, 16.9, 1));
        QCOMPARE(canvas.lines(1).size(), 13 + 6);
    }

    void nothingToPrint()
    {
        GradeFixture f(1, 1);
        WriteEvalGrade(f, PupilsWithScores(1, {50}));
        auto run = Evaluate(f.gd());
        RecordingCanvas none(StandardPaperLayout(), PrinterStartFont(f.gd()));
        RecordingProgress progress;
        QCOMPARE(PrintHyoteiDocuments(none, f.gd(), *run, HyoteiPrintSet{false, false, false, false}, progress), 0);
        QVERIFY(none.ops().isEmpty());
        QVERIFY(!progress.visible);

        // An empty population draws no sheet in any document.
        f.gd().evalClassSelected.fill(0);
        run = Evaluate(f.gd());
        RecordingCanvas empty(StandardPaperLayout(), PrinterStartFont(f.gd()));
        QCOMPARE(PrintHyoteiDocuments(empty, f.gd(), *run, HyoteiPrintSet{true, true, true, true}, progress), 0);
        QVERIFY(empty.ops().isEmpty());

        HyoteiPrintSet set;
        QVERIFY(HyoteiPrintSet::fromDigits(QStringLiteral("24"), set));
        QVERIFY(!set.scoreOrder && set.numberOrder && !set.classLists && set.distribution);
        QVERIFY(!HyoteiPrintSet::fromDigits(QStringLiteral("15"), set));
    }

    void printingReportsItsProgress()
    {
        GradeFixture f(1, 1);
        WriteEvalGrade(f, PupilsWithScores(1, {50, 60, 70}));
        auto run = Evaluate(f.gd());
        RecordingCanvas canvas(StandardPaperLayout(), PrinterStartFont(f.gd()));
        RecordingProgress progress;
        PrintHyoteiDocuments(canvas, f.gd(), *run, HyoteiPrintSet{true, true, true, true}, progress);
        QCOMPARE(progress.statusTexts, QStringList({"点数順", "出席番号順", "クラス別", "人数分布", ""}));
        QCOMPARE(progress.lastMaximum, 3);
        QCOMPARE(progress.lastValue, 3);
        QVERIFY(!progress.visible);
    }

private:
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(PrintoutsTest)
#include "tst_printouts.moc"
