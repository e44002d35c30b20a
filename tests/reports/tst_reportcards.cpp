// The test report card and the card for notification forms on the recording canvas.
#include "GradeData.h"
#include "Progress.h"
#include "RecordingCanvas.h"
#include "ReportCards.h"
#include "ReportCommon.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "TestSeries.h"
#include "TestSupport.h"

#include <QMap>
#include <QtTest>

using namespace seiran;
using namespace seiran::test;

namespace {

constexpr double Eps = 0.005;

struct CardPupil
{
    int classNo = 1;
    int number = 1;
    QString name;
    QMap<int, QList<int>> scores; // by test number
};

// A grade of three classes and the tests "前期" (5 subjects), "期末" (9), "小テスト" (3), "後期" (5).
class CardGrade
{
public:
    explicit CardGrade(const QList<CardPupil>& pupils, int classes = 3) : mFx(2, classes)
    {
        mFx.writeSubjects({QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"),
                           QStringLiteral("理科"), QStringLiteral("英語"), QStringLiteral("音楽")});
        mFx.writeTests({{QStringLiteral("前期"), 5},
                        {QStringLiteral("期末"), 9},
                        {QStringLiteral("小テスト"), 3},
                        {QStringLiteral("後期"), 5}});
        mFx.writeHomeroom();
        mFx.writeRoster({});
        for (const CardPupil& p : pupils) {
            StudentRecord rec = StudentRecord::blank();
            rec.setFlag(StudentRecord::InUse);
            rec.setName(p.name.isEmpty() ? QStringLiteral("生徒%1-%2").arg(p.classNo).arg(p.number) : p.name);
            rec.setSex(1);
            for (auto it = p.scores.cbegin(); it != p.scores.cend(); ++it)
                for (int j = 1; j <= it.value().size(); ++j)
                    rec.setScoreSlot(mFx.gd().testFirstSlot[it.key()] + j - 1, it.value().at(j - 1));
            mFx.writeRecord(RosterFile::recordNumber(p.classNo, p.number), rec);
        }
    }

    GradeData& gd() { return mFx.gd(); }

    TestSeries series(const QList<int>& tests)
    {
        TestSeries s;
        const Result r = ReadTestSeries(mFx.gd(), tests, s, NullProgress::instance());
        if (!r) qWarning() << r.message;
        return s;
    }

private:
    GradeFixture mFx;
};

CardPupils classes(const QList<int>& list)
{
    CardPupils p;
    p.classes = list;
    return p;
}

QList<double> headingRows(const RecordingCanvas& canvas, const QString& start)
{
    QList<double> rows;
    for (const CanvasOp& op : canvas.texts())
        if (op.text.startsWith(start)) rows.append(op.y1);
    return rows;
}

QList<CanvasOp> ofKind(const RecordingCanvas& canvas, CanvasOp::Kind kind)
{
    QList<CanvasOp> result;
    for (const CanvasOp& op : canvas.ops())
        if (op.kind == kind) result.append(op);
    return result;
}

// The centre of a text drawn in the recording canvas's fixed-pitch model.
double centreX(const CanvasOp& op)
{
    return op.x1 + RecordingCanvas::ModelTextWidth(op.text, op.font.size) / 2.0;
}

const CanvasOp* textOnRow(const RecordingCanvas& canvas, const QString& text, double row)
{
    for (const CanvasOp& op : canvas.ops())
        if (op.kind == CanvasOp::Text && op.text == text && qAbs(op.y1 - row) < Eps) return &op;
    return nullptr;
}

} // namespace

class ReportCardsTest : public QObject
{
    Q_OBJECT
private slots:
    void testCardBlockHeights_data();
    void testCardBlockHeights();
    void testCardBlockLayout();
    void absentAndNotEnteredScores();
    void totalGraphScaleAtTheBoundary();
    void testOrderGivesRowsAndGraphPoints();
    void eachClassOnNewSheetWithoutBlankSheets();
    void testCardRefusesWhatTheSheetCannotHold();

    void notificationSheetLayout();
    void notificationOneB5SheetPerPupil();
    void notificationGraphLabelsUpToTwenty();
    void notificationGraphStepAndScale();
    void notificationRowsGraphAloneIsIgnored();
    void notificationChosenPupils();
};

void ReportCardsTest::testCardBlockHeights_data()
{
    QTest::addColumn<QList<int>>("tests");
    QTest::addColumn<bool>("graph");
    QTest::addColumn<double>("second");
    QTest::newRow("3 tests with graph") << QList<int>{1, 2, 4} << true << 11.0;
    QTest::newRow("3 tests without graph") << QList<int>{1, 2, 4} << false << 11.0;
    QTest::newRow("2 tests without graph") << QList<int>{1, 4} << false << 9.0;
    QTest::newRow("1 test with graph") << QList<int>{1} << true << 11.0;
    QTest::newRow("4 tests with graph") << QList<int>{1, 2, 3, 4} << true << 13.0;
}

void ReportCardsTest::testCardBlockHeights()
{
    QFETCH(QList<int>, tests);
    QFETCH(bool, graph);
    QFETCH(double, second);
    // Seats 1, 2 and 5: a free seat leaves no gap.
    CardGrade grade({{1, 1, {}, {{1, {50, 50, 50, 50, 50}}}},
                     {1, 2, {}, {{1, {60, 60, 60, 60, 60}}}},
                     {1, 5, {}, {{1, {70, 70, 70, 70, 70}}}}});
    const TestSeries series = grade.series(tests);
    RecordingCanvas canvas(PrintableAreaPaperLayout(), PrinterStartFont(grade.gd()));
    QCOMPARE(PrintTestCards(canvas, grade.gd(), series, classes({1, 2, 3}), graph), 1);
    const QList<double> rows = headingRows(canvas, QStringLiteral("2年1組"));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0), 1.0);
    QCOMPARE(rows.at(1), second);
    QCOMPARE(rows.at(2), 2 * second - 1);
}

void ReportCardsTest::testCardBlockLayout()
{
    CardGrade grade({{1, 3, QStringLiteral("山田太郎"), {{1, {80, 7, 100, 64, 55}}, {4, {50, 50, 50, 50, 50}}}},
                     {2, 1, {}, {{1, {60, 9, 50, 36, 45}}, {4, {40, 40, 40, 40, 40}}}}});
    const TestSeries series = grade.series({1, 4});
    RecordingCanvas canvas(200, 100, PrinterStartFont(grade.gd()));
    DrawTestCardBlock(canvas, grade.gd(), series, 0, 3, false, 250);

    const CanvasOp* heading = canvas.findText(QStringLiteral("2年1組3番  山田太郎      "));
    QVERIFY(heading);
    QCOMPARE(heading->x1, 2.0);
    QCOMPARE(heading->y1, 3.0);
    QCOMPARE(heading->font.name, grade.gd().fontGothic);
    // Header row, then test k's name half a row below its score row.
    QVERIFY(canvas.textAt(1, 4));
    QCOMPARE(canvas.textAt(1, 4)->text, QStringLiteral("テスト名"));
    QCOMPARE(canvas.textAt(1, 4)->font.name, grade.gd().fontMincho);
    QCOMPARE(canvas.textAt(20, 4)->text, QStringLiteral("国語"));
    QCOMPARE(canvas.textAt(40, 4)->text, QStringLiteral("英語"));
    QCOMPARE(canvas.textAt(45.5, 4)->text, QStringLiteral("合計"));
    QCOMPARE(canvas.textAt(1, 5.5)->text, QStringLiteral("前期"));
    QCOMPARE(canvas.textAt(1, 7.5)->text, QStringLiteral("後期"));
    // Scores centred in the 5-column cells from 19, the total in the 6-column cell from 44.
    const CanvasOp* score = textOnRow(canvas, QStringLiteral("80"), 5);
    QVERIFY(score);
    QCOMPARE(centreX(*score), 21.5);
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("7"), 5)), 26.5);
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("306"), 5)), 47.0);
    // Grade averages below: subject 1 (80 + 60) / 2, total 70 + 8 + 75 + 50 + 50.
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("70.0"), 6)), 21.5);
    QVERIFY(textOnRow(canvas, QStringLiteral("8.0"), 6));
    QVERIFY(textOnRow(canvas, QStringLiteral("253.0"), 6));
    QVERIFY(textOnRow(canvas, QStringLiteral("45.0"), 8));

    // The frame from (0, y + 0.9) to (50, y + 2n + 1.9) as four joined lines, a rule above
    // each test and the six column rules.
    const QList<CanvasOp> lines = canvas.lines();
    QCOMPARE(lines.size(), 4 + 2 + 6);
    auto same = [](const CanvasOp& op, double x1, double y1, double x2, double y2) {
        return qAbs(op.x1 - x1) < Eps && qAbs(op.y1 - y1) < Eps && qAbs(op.x2 - x2) < Eps && qAbs(op.y2 - y2) < Eps;
    };
    QVERIFY(same(lines.at(0), 0, 3.9, 50, 3.9));
    QVERIFY(same(lines.at(1), 50, 3.9, 50, 8.9));
    QVERIFY(same(lines.at(2), 50, 8.9, 0, 8.9));
    QVERIFY(same(lines.at(3), 0, 8.9, 0, 3.9));
    QVERIFY(same(lines.at(4), 0, 4.9, 50, 4.9));
    QVERIFY(same(lines.at(5), 0, 6.9, 50, 6.9));
    for (int j = 1; j <= 6; ++j)
        QVERIFY(same(lines.at(5 + j), 14 + 5 * j, 3.9, 14 + 5 * j, 8.9));
    QVERIFY(ofKind(canvas, CanvasOp::Circle).isEmpty());
}

void ReportCardsTest::absentAndNotEnteredScores()
{
    // Pupil 1: absent from subject 2 of the second test; pupil 2: subject 3 of the first
    // test never typed in; pupil 3 bracketed in the last test.
    CardGrade grade({{1, 1, {}, {{1, {50, 50, 50, 50, 50}}, {2, {60, -1, 60, 60, 60}}, {4, {70, 70, 70, 70, 70}}}},
                     {1, 2, {}, {{1, {50, 50, -5, 50, 50}}, {2, {60, 60, 60, 60, 60}}, {4, {70, 70, -1, 70, 70}}}},
                     {1, 3, {}, {{1, {50, 50, 50, 50, 50}}, {2, {60, 60, 60, 60, 60}}, {4, {-22, 70, 70, -5, 70}}}}});
    const TestSeries series = grade.series({1, 2, 4});
    RecordingCanvas canvas(200, 100, PrinterStartFont(grade.gd()));

    DrawTestCardBlock(canvas, grade.gd(), series, 0, 1, true, 250);
    // Row of test 2 is y + 4: "欠" in subject 2 and in the total.
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("欠"), 5)), 26.5);
    int absentOnRow = 0;
    for (const CanvasOp& op : canvas.texts())
        if (op.text == QStringLiteral("欠") && qAbs(op.y1 - 5) < Eps) ++absentOnRow;
    QCOMPARE(absentOnRow, 2);
    // The pupil line skips the second test: points at x 58 and 64 only.
    const QList<CanvasOp> circles = ofKind(canvas, CanvasOp::Circle);
    QCOMPARE(circles.size(), 2);
    QCOMPARE(circles.at(0).x1, 58.0);
    QCOMPARE(circles.at(1).x1, 64.0);
    QCOMPARE(circles.at(0).x2, 0.4);
    QCOMPARE(circles.at(0).fillStyle, FillPattern::Solid);
    QCOMPARE(circles.at(0).fillColor, QColor(Qt::white));
    // y = (y + 6.5) - 5 * 250 / 250
    QCOMPARE(circles.at(0).y1, 2.5);
    const QList<CanvasOp> wide = [&] {
        QList<CanvasOp> l;
        for (const CanvasOp& op : canvas.lines())
            if (op.drawWidth == 2) l.append(op);
        return l;
    }();
    QCOMPARE(wide.size(), 1);
    QCOMPARE(wide.at(0).x1, 58.0);
    QCOMPARE(wide.at(0).x2, 64.0);

    canvas.clearOps();
    DrawTestCardBlock(canvas, grade.gd(), series, 1, 1, false, 250);
    // Not entered: "－" in the cell and the total; the test is still not in the line.
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("－"), 3)), 31.5);
    QVERIFY(textOnRow(canvas, QStringLiteral("－"), 3));
    int dashes = 0;
    for (const CanvasOp& op : canvas.texts())
        if (op.text == QStringLiteral("－") && qAbs(op.y1 - 3) < Eps) ++dashes;
    QCOMPARE(dashes, 2);
    // Absent and not entered in one test: the total is "欠".
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("欠"), 7)), 31.5);
    canvas.clearOps();
    DrawTestCardBlock(canvas, grade.gd(), series, 2, 1, false, 250);
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("欠"), 7)), 21.5);
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("－"), 7)), 36.5);
    QVERIFY(textOnRow(canvas, QStringLiteral("欠"), 7));
    int totalAbsent = 0;
    for (const CanvasOp& op : canvas.texts())
        if (op.text == QStringLiteral("欠") && qAbs(op.y1 - 7) < Eps && qAbs(centreX(op) - 47) < Eps) ++totalAbsent;
    QCOMPARE(totalAbsent, 1);
}

void ReportCardsTest::totalGraphScaleAtTheBoundary()
{
    // Grade average total exactly 250: the scale stays 250.
    CardGrade at({{1, 1, {}, {{1, {50, 50, 50, 50, 50}}}}});
    TestSeries series = at.series({1});
    QCOMPARE(TestCardGraphScale(series), 250);
    CardGrade above({{1, 1, {}, {{1, {50, 50, 50, 50, 50}}}}, {1, 2, {}, {{1, {50, 50, 50, 50, 51}}}}});
    series = above.series({1});
    QCOMPARE(TestCardGraphScale(series), 500);

    RecordingCanvas canvas(200, 100, PrinterStartFont(above.gd()));
    DrawTestCardBlock(canvas, above.gd(), series, 0, 10, true, 500);
    // Labels 100..500 end at x 56 on rows y + 6.1 - m.
    for (int m = 1; m <= 5; ++m) {
        const CanvasOp* label = canvas.findText(QString::number(100 * m));
        QVERIFY(label);
        QCOMPARE(label->x1 + RecordingCanvas::ModelTextWidth(label->text, label->font.size), 56.0);
        QCOMPARE(label->y1, 16.1 - m);
    }
    // The box at (56.5, y + 1.5), 3n wide and 5 high, and four dotted rules inside.
    const QList<CanvasOp> boxes = ofKind(canvas, CanvasOp::Box);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).x1, 56.5);
    QCOMPARE(boxes.at(0).y1, 11.5);
    QCOMPARE(boxes.at(0).x2, 59.5);
    QCOMPARE(boxes.at(0).y2, 16.5);
    int dotted = 0;
    for (const CanvasOp& op : canvas.lines())
        if (op.drawStyle == LinePattern::Dot) {
            ++dotted;
            QCOMPARE(op.x1, 56.5);
            QCOMPARE(op.x2, 59.5);
        }
    QCOMPARE(dotted, 4);
}

void ReportCardsTest::testOrderGivesRowsAndGraphPoints()
{
    CardGrade grade({{1, 1, {}, {{1, {10, 10, 10, 10, 10}}, {4, {40, 40, 40, 40, 40}}}}});
    for (const QList<int>& order : {QList<int>{1, 4}, QList<int>{4, 1}}) {
        const TestSeries series = grade.series(order);
        RecordingCanvas canvas(200, 100, PrinterStartFont(grade.gd()));
        DrawTestCardBlock(canvas, grade.gd(), series, 0, 1, true, 250);
        QCOMPARE(canvas.textAt(1, 3.5)->text, grade.gd().testNames[order.at(0)]);
        QCOMPARE(canvas.textAt(1, 5.5)->text, grade.gd().testNames[order.at(1)]);
        const QList<CanvasOp> circles = ofKind(canvas, CanvasOp::Circle);
        QCOMPARE(circles.size(), 2);
        // Total 50 is one row above the bottom, total 200 four rows.
        const double first = order.at(0) == 1 ? 6.5 : 3.5;
        QCOMPARE(circles.at(0).x1, 58.0);
        QCOMPARE(circles.at(0).y1, first);
    }
}

void ReportCardsTest::eachClassOnNewSheetWithoutBlankSheets()
{
    // Six blocks of 8 + 2 rows fit an A4 sheet (rows 1..61). Class 1 has six pupils and free
    // seats after them, class 2 none, class 3 seven.
    QList<CardPupil> pupils;
    for (int a = 1; a <= 6; ++a)
        pupils.append({1, a * 2, {}, {{1, {1, 2, 3, 4, 5}}}});
    for (int a = 1; a <= 7; ++a)
        pupils.append({3, a, {}, {{1, {1, 2, 3, 4, 5}}}});
    CardGrade grade(pupils);
    const TestSeries series = grade.series({1});
    RecordingCanvas canvas(PrintableAreaPaperLayout(), PrinterStartFont(grade.gd()));
    RecordingProgress progress;
    QList<int> percents;
    const int sheets =
        PrintTestCards(canvas, grade.gd(), series, classes({1, 2, 3}), true, [&](int p) { percents.append(p); });
    QCOMPARE(sheets, 3);
    QCOMPARE(canvas.pageCount(), 3);
    QCOMPARE(headingRows(canvas, QStringLiteral("2年1組")).size(), 6);
    for (const CanvasOp& op : canvas.texts()) {
        if (op.text.startsWith(QStringLiteral("2年1組"))) QCOMPARE(op.page, 1);
        if (op.text.startsWith(QStringLiteral("2年3組1番"))) QCOMPARE(op.page, 2);
        if (op.text.startsWith(QStringLiteral("2年3組7番"))) {
            QCOMPARE(op.page, 3);
            QCOMPARE(op.y1, 1.0);
        }
    }
    QCOMPARE(ofKind(canvas, CanvasOp::EndDoc).size(), 1);
    // Progress by seat, (c - 1) * 60 + a - 1 over 60 * classCount, and 0 at the end.
    QCOMPARE(percents.first(), 0);
    QCOMPARE(percents.at(60), 33);
    QCOMPARE(percents.last(), 0);

    // Only the empty class: nothing at all.
    RecordingCanvas empty(PrintableAreaPaperLayout(), PrinterStartFont(grade.gd()));
    QCOMPARE(PrintTestCards(empty, grade.gd(), series, classes({2}), false), 0);
    QVERIFY(empty.ops().isEmpty());
}

void ReportCardsTest::testCardRefusesWhatTheSheetCannotHold()
{
    const QSizeF a4 = SheetCells(PrintableAreaPaperLayout());
    QVERIFY(TestCardFitProblem(a4, 12, true).isEmpty());
    QCOMPARE(TestCardFitProblem(a4, 13, true),
             QStringLiteral("選んだテストが多すぎて用紙に収まりません（この用紙では12テストまでです）。"));
    QVERIFY(TestCardFitProblem(a4, 30, false).isEmpty());
    QVERIFY(TestCardFitProblem(QSizeF(94, 20), 9, false).contains(QStringLiteral("8テストまで")));
    QVERIFY(!TestCardFitProblem(QSizeF(40, 60), 1, false).isEmpty());

    QList<int> thirteen;
    for (int k = 0; k < 13; ++k)
        thirteen.append(1 + k % 4);
    CardGrade grade({{1, 1, {}, {{1, {1, 2, 3, 4, 5}}}}});
    const TestSeries series = grade.series(thirteen);
    RecordingCanvas canvas(PrintableAreaPaperLayout(), PrinterStartFont(grade.gd()));
    QCOMPARE(PrintTestCards(canvas, grade.gd(), series, classes({1}), true), 0);
    QVERIFY(canvas.ops().isEmpty());
}

void ReportCardsTest::notificationSheetLayout()
{
    CardGrade grade({{1, 4, QStringLiteral("佐藤花子"), {{1, {80, 7, 100, -1, 55}}, {3, {30, 40, 50}}}},
                     {2, 1, {}, {{1, {60, 9, 50, 36, 45}}, {3, {10, 20, 30}}}}});
    const TestSeries series = grade.series({1, 3});
    RecordingCanvas canvas(100, 80, PrinterStartFont(grade.gd()));
    DrawNotificationSheet(canvas, grade.gd(), series, 0, {}, 100);

    const CanvasOp* title = canvas.findText(QStringLiteral("テスト成績一覧表"));
    QVERIFY(title);
    QCOMPARE(title->x1, 2.0);
    QCOMPARE(title->y1, 1.0);
    QCOMPARE(title->font, (CanvasFont{grade.gd().fontGothic, 17, false}));
    const CanvasOp* name = canvas.findText(QStringLiteral("2 年 1 組 4 番  佐藤花子      "));
    QVERIFY(name);
    QCOMPARE(name->y1, 4.0);
    QCOMPARE(name->font, (CanvasFont{grade.gd().fontMincho, 13, false}));
    QCOMPARE(canvas.textAt(1, 5.5)->text, QStringLiteral("テスト名"));
    QCOMPARE(canvas.textAt(28, 5.5)->text, QStringLiteral("国語"));
    QCOMPARE(canvas.textAt(56, 5.5)->text, QStringLiteral("英語"));
    QCOMPARE(canvas.textAt(64, 5.5)->text, QStringLiteral("合計"));
    QCOMPARE(canvas.textAt(1, 7)->text, QStringLiteral("前期")); // not graphed: no circled number
    QCOMPARE(canvas.textAt(21, 6.5)->text, QStringLiteral("点数"));
    QCOMPARE(canvas.textAt(21, 7.5)->text, QStringLiteral("平均"));
    const CanvasOp* score = textOnRow(canvas, QStringLiteral("80"), 6.5);
    QVERIFY(score);
    QCOMPARE(score->font.name, grade.gd().fontGothic);
    QCOMPARE(centreX(*score), 29.5);
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("欠"), 6.5)), 50.5);
    // Absent in subject 4: the total is "欠" in the 9-column cell from 61.
    int absent = 0;
    for (const CanvasOp& op : canvas.texts())
        if (op.text == QStringLiteral("欠") && qAbs(centreX(op) - 65.5) < Eps) ++absent;
    QCOMPARE(absent, 1);
    QCOMPARE(centreX(*textOnRow(canvas, QStringLiteral("70.0"), 7.5)), 29.5);
    // The three-subject test leaves subjects 4 and 5 empty; its total is the three.
    QVERIFY(textOnRow(canvas, QStringLiteral("120"), 8.5));
    int onShortRow = 0;
    for (const CanvasOp& op : canvas.texts())
        if (qAbs(op.y1 - 8.5) < Eps && op.x1 > 19) ++onShortRow;
    QCOMPARE(onShortRow, 4 + 1); // 点数, three scores and the total

    // Frame (0, 5.4)-(70, 10.4); rules above each test and between 点数 and 平均; verticals.
    const QList<CanvasOp> boxes = ofKind(canvas, CanvasOp::Box);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0).y1, 5.4);
    QCOMPARE(boxes.at(0).x2, 70.0);
    QCOMPARE(boxes.at(0).y2, 10.4);
    const QList<CanvasOp> lines = canvas.lines();
    QCOMPARE(lines.size(), 2 * 2 + 7);
    QCOMPARE(lines.at(0).y1, 6.4);
    QCOMPARE(lines.at(1).x1, 19.0);
    QCOMPARE(lines.at(1).y1, 7.4);
    QCOMPARE(lines.at(4).x1, 19.0);
    QCOMPARE(lines.at(10).x1, 61.0);
    QCOMPARE(lines.at(10).y2, 10.4);
    QVERIFY(ofKind(canvas, CanvasOp::Circle).isEmpty());
}

void ReportCardsTest::notificationOneB5SheetPerPupil()
{
    CardGrade grade(
        {{1, 1, {}, {{1, {1, 2, 3, 4, 5}}}}, {1, 9, {}, {{1, {1, 2, 3, 4, 5}}}}, {3, 2, {}, {{1, {1, 2, 3, 4, 5}}}}});
    const TestSeries series = grade.series({1});
    // The canvas starts on A4; the run sets B5 before its first sheet.
    RecordingCanvas canvas(PrintableAreaPaperLayout(), PrinterStartFont(grade.gd()));
    QCOMPARE(PrintNotificationCards(canvas, grade.gd(), series, {0}, classes({1, 3})), 3);
    QCOMPARE(canvas.pageCount(), 3);
    QCOMPARE(ofKind(canvas, CanvasOp::NewPage).size(), 2);
    QCOMPARE(canvas.ScaleHeight(), SheetCells(NotificationCardPaperLayout()).height());
    QCOMPARE(canvas.texts(3).first().text, QStringLiteral("テスト成績一覧表"));

    // Twenty graphed tests fit A4 but not B5: refused before any sheet, so B5 came first.
    QList<int> twenty;
    QList<int> graphed;
    for (int k = 0; k < 20; ++k) {
        twenty.append(1 + k % 4);
        graphed.append(k);
    }
    QVERIFY(NotificationCardFitProblem(SheetCells(PrintableAreaPaperLayout()), 20, 20).isEmpty());
    const QString problem = NotificationCardFitProblem(SheetCells(NotificationCardPaperLayout()), 20, 20);
    QVERIFY2(problem.contains(QStringLiteral("19テストまで")), qPrintable(problem));
    QVERIFY(NotificationCardFitProblem(SheetCells(NotificationCardPaperLayout()), 20, 0).isEmpty());
    const TestSeries many = grade.series(twenty);
    RecordingCanvas refused(PrintableAreaPaperLayout(), PrinterStartFont(grade.gd()));
    QCOMPARE(PrintNotificationCards(refused, grade.gd(), many, graphed, classes({1})), 0);
    QVERIFY(refused.ops().isEmpty());
}

void ReportCardsTest::notificationGraphLabelsUpToTwenty()
{
    QList<int> tests;
    QList<int> graphed;
    for (int k = 0; k < 21; ++k) {
        tests.append(1 + k % 4);
        graphed.append(k);
    }
    CardGrade grade(
        {{1, 1, {}, {{1, {10, 20, 30, 40, 50}}, {2, {1, 2, 3, 4, 5}}, {3, {5, 5, 5}}, {4, {9, 9, 9, 9, 9}}}}});
    const TestSeries series = grade.series(tests);
    RecordingCanvas canvas(120, 100, PrinterStartFont(grade.gd()));
    DrawNotificationSheet(canvas, grade.gd(), series, 0, graphed, 50);
    for (int k = 1; k <= 20; ++k) {
        const CanvasOp* label = canvas.textAt(1, 4.5 + 2 * k + 0.5);
        QVERIFY(label);
        QVERIFY2(label->text.startsWith(CircledNumber(k) + u' '), qPrintable(label->text));
    }
    QCOMPARE(canvas.textAt(1, 4.5 + 42 + 0.5)->text, grade.gd().testNames[1]);
    QCOMPARE(CircledNumber(1), QStringLiteral("①"));
    QCOMPARE(CircledNumber(20), QStringLiteral("⑳"));
    QVERIFY(CircledNumber(21).isEmpty());
    // The 21st circle still shows 21, at 0.7 times the font size.
    const CanvasOp* number = canvas.findText(QStringLiteral("21"));
    QVERIFY(number);
    QCOMPARE(number->font.size, 7.0);
    // Six graphs, one circle per graphed test and quantity (test 3 has no subjects 4 and 5).
    QCOMPARE(ofKind(canvas, CanvasOp::Circle).size(), 21 * 4 + 16 * 2);
}

void ReportCardsTest::notificationGraphStepAndScale()
{
    CardGrade grade({{1, 1, {}, {{1, {10, 20, 30, 40, 50}}, {4, {50, 50, 50, 50, 50}}, {2, {90, 90, 90, 90, 90}}}}});
    QList<int> tests{1, 4, 2, 1, 4, 2, 1, 4};
    const TestSeries series = grade.series(tests);
    QCOMPARE(NotificationGraphStep(7), 3.0);
    QCOMPARE(NotificationGraphStep(8), 21.0 / 8);
    // The scale counts the graphed tests only: 90 in an ungraphed test leaves it at 50.
    QCOMPARE(NotificationGraphScale(series, {0, 1}), 50);
    QCOMPARE(NotificationGraphScale(series, {0, 2}), 100);

    RecordingCanvas canvas(120, 100, PrinterStartFont(grade.gd()));
    DrawNotificationSheet(canvas, grade.gd(), series, 0, {0, 1}, 50);
    // Below the table at base 4.5 + 16 + 2 = 22.5: graph 0 from x 0, graph 1 from 5 + 2 * 21/8.
    const double step = 21.0 / 8;
    const QList<CanvasOp> circles = ofKind(canvas, CanvasOp::Circle);
    QCOMPARE(circles.size(), 12);
    QCOMPARE(circles.at(0).x1, 5 + step);
    QCOMPARE(circles.at(1).x1, 5 + 2 * step);
    QCOMPARE(circles.at(0).x2, 0.5);
    // Total 150 on 250: (y0 + 6.5) - 5 * 150 / 250.
    QCOMPARE(circles.at(0).y1, 22.5 + 6.5 - 3);
    QCOMPARE(circles.at(2).x1, (5 + 2 * step) + 5 + step);
    QCOMPARE(circles.at(2).y1, 22.5 + 6.5 - 1); // 国語 10 on 50
    QCOMPARE(circles.at(6).y1, 28.5 + 6.5 - 3); // 数学 (first of the second band) 30 on 50
    QCOMPARE(circles.at(6).x1, 5 + step);
    QVERIFY(canvas.findText(QStringLiteral("５教科合計")));
    QCOMPARE(canvas.findText(QStringLiteral("５教科合計"))->x1, 7.0);
    QVERIFY(canvas.findText(QStringLiteral("250")));
    QCOMPARE(canvas.textAt(1, 4.5 + 2 + 0.5)->text, QStringLiteral("① 前期"));
    QCOMPARE(canvas.textAt(1, 4.5 + 4 + 0.5)->text, QStringLiteral("② 後期"));
    QCOMPARE(canvas.textAt(1, 4.5 + 6 + 0.5)->text, QStringLiteral("期末"));
}

void ReportCardsTest::notificationRowsGraphAloneIsIgnored()
{
    QList<int> tests;
    QList<int> graphed;
    SplitNotificationRows({{3, true, true}, {1, false, true}, {2, true, false}, {4, true, true}}, tests, graphed);
    QCOMPARE(tests, (QList<int>{3, 2, 4}));
    QCOMPARE(graphed, (QList<int>{0, 2}));
    SplitNotificationRows({{1, false, true}}, tests, graphed);
    QVERIFY(tests.isEmpty());
    QVERIFY(graphed.isEmpty());
}

void ReportCardsTest::notificationChosenPupils()
{
    CardGrade grade(
        {{1, 1, {}, {{1, {1, 2, 3, 4, 5}}}}, {1, 2, {}, {{1, {1, 2, 3, 4, 5}}}}, {3, 2, {}, {{1, {1, 2, 3, 4, 5}}}}});
    const TestSeries series = grade.series({1});
    CardPupils chosen;
    chosen.chosenOnly = true;
    chosen.chosen = {CardPupils::seat(1, 2), CardPupils::seat(3, 2)};
    RecordingCanvas canvas(NotificationCardPaperLayout(), PrinterStartFont(grade.gd()));
    QCOMPARE(PrintNotificationCards(canvas, grade.gd(), series, {}, chosen), 2);
    QVERIFY(canvas.findText(QStringLiteral("2 年 1 組 2 番  生徒1-2       ")));
    QVERIFY(canvas.findText(QStringLiteral("2 年 3 組 2 番  生徒3-2       ")));

    chosen.chosen.clear();
    RecordingCanvas nobody(NotificationCardPaperLayout(), PrinterStartFont(grade.gd()));
    QCOMPARE(PrintNotificationCards(nobody, grade.gd(), series, {}, chosen), 0);
    QVERIFY(nobody.ops().isEmpty());
}

QTEST_MAIN(ReportCardsTest)
#include "tst_reportcards.moc"
