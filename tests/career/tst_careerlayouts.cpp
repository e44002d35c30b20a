// The career sheets through the recording canvas: positions, fonts, rules, counts and pages of
// the target-school lists and the guidance materials.
#include "CareerCommon.h"
#include "CareerTestData.h"
#include "GuidanceMaterials.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "TargetSchoolLists.h"

#include <QtTest>
#include <algorithm>
#include <cmath>

using namespace seiran;
using namespace seiran::test;

namespace {
// A half-width character is 5/12 of a column at 10 points, a full-width one 5/3.
constexpr double Half = 10.0 / 12.0;
constexpr double Full = 10.0 / 6.0;

QString textAt(const RecordingCanvas& canvas, double x, double y, int page = 1)
{
    const CanvasOp* op = canvas.textAt(x, y, page);
    return op ? op->text : QStringLiteral("<none>");
}

// The rules of a page as (y, x1, x2).
QList<std::array<double, 3>> rules(const RecordingCanvas& canvas, int page = 1)
{
    QList<std::array<double, 3>> out;
    for (const CanvasOp& op : canvas.lines(page))
        out.append({op.y1, op.x1, op.x2});
    return out;
}

QList<double> ruleRows(const RecordingCanvas& canvas, int page = 1)
{
    QList<double> out;
    for (const CanvasOp& op : canvas.lines(page))
        out.append(std::round(op.y1 * 100) / 100);
    return out;
}

// Texts of one page on row y, left to right as drawn.
QStringList rowTexts(const RecordingCanvas& canvas, double y, int page = 1)
{
    QStringList out;
    for (const CanvasOp& op : canvas.texts(page))
        if (std::fabs(op.y1 - y) < 0.005) out.append(op.text);
    return out;
}

RecordingCanvas printer(const GradeData& gd)
{
    return RecordingCanvas(StandardPaperLayout(), PrinterStartFont(gd));
}

QList<CareerSchool> schools()
{
    return {{QStringLiteral("青嵐"),
             QStringLiteral("県立青嵐高等学校"),
             QStringLiteral("普通科"),
             {2, 1, 1, 1, 1, 1, 1, 1, 1}},
            {QStringLiteral("青嵐理"), QStringLiteral("県立青嵐高等学校"), QStringLiteral("理数科"), {}},
            {QStringLiteral("東山"), QStringLiteral("県立東山高等学校"), QStringLiteral("普通科"), {}}};
}

// Class 1: numbers 1, 2, 3 and 6 (a boy, a girl, a pupil without sex, a boy); class 2 empty;
// class 3 one pupil. 保体 (position 7) is kept for boys and girls apart.
std::unique_ptr<GradeData> sheetGrade()
{
    auto gd = MakeCareerGrade(3,
                              {{1, 1, 1, {3, 4, 5, 0, 0, 0, 2}, {1, 2, 3, 1}, QStringLiteral("青木")},
                               {1, 2, 2, {3, 4, 0, 0, 0, 0, 2}, {3, 9, 0, 0}},
                               {1, 3, 0, {10, 4, 11, 0, 0, 0, 2}, {2, 0, 0, 0}},
                               {1, 6, 1, {1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 0, 0, 0}},
                               {3, 1, 2, {5, 5, 5, 5, 5, 5, 5, 5, 5}, {4, 0, 0, 0}}},
                              schools());
    gd->subjectKind[8] = 1;
    gd->naishinWeight[1] = 1.5;
    return gd;
}
} // namespace

class CareerLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { mClock = std::make_unique<ScopedReportClock>(QDateTime(QDate(2005, 4, 1), QTime(13, 5, 9))); }
    void cleanup() { mClock.reset(); }

    void pointDistributionCounts()
    {
        auto gd = sheetGrade();
        const PointDistribution d = PointDistribution::Build(*gd);
        // Position 2 (社会): three pupils of class 1 with 4; the pupil without sex is in the
        // totals only.
        QCOMPARE(d.count(1, 2, 4, 0), 3);
        QCOMPARE(d.count(1, 2, 4, 1), 1);
        QCOMPARE(d.count(1, 2, 4, 2), 1);
        QCOMPARE(d.count(0, 2, 4, 0), 3);
        QCOMPARE(d.count(0, 2, 5, 0), 1); // class 3
        QCOMPARE(d.count(3, 2, 4, 0), 0);
        // Position 3 (数学): 0, 11 and an empty slot are counted nowhere.
        int counted = 0;
        for (int v = 1; v <= 10; ++v)
            counted += d.count(0, 3, v, 0);
        QCOMPARE(counted, 3); // 5, 1 and 5
        QCOMPARE(d.count(1, 1, 10, 0), 1);
        QCOMPARE(d.count(1, 1, 11, 0), 0);

        const QList<ApplicantCount> a = CountFirstChoices(*gd);
        QCOMPARE(a.size(), 5);
        QCOMPARE(a[1].total, 2);
        QCOMPARE(a[1].boys, 2);
        QCOMPARE(a[2].total, 1);
        QCOMPARE(a[2].boys + a[2].girls, 0); // the pupil without sex
        QCOMPARE(a[3].girls, 1);
        QCOMPARE(a[4].total, 1); // その他

        QCOMPARE(NaishinPointSum(*gd, 1), 14);
        QCOMPARE(PlainDecimal(WeightedNaishinSum(*gd, 1)), QStringLiteral("15.5"));
        QCOMPARE(PlainDecimal(WeightedNaishinSum(*gd, 5)), QStringLiteral("47.5"));
        QCOMPARE(PlainDecimal(36.0), QStringLiteral("36"));
    }

    void targetClassSheet()
    {
        auto gd = sheetGrade();
        RecordingCanvas canvas = printer(*gd);
        TargetSchoolSelection selection;
        selection.pointTable = selection.applicants = false;
        selection.classes = {1};
        QCOMPARE(PrintTargetSchoolLists(canvas, *gd, selection), 1);

        const CanvasOp* title = canvas.textAt(1, 0.8);
        QVERIFY(title);
        QCOMPARE(title->text, QStringLiteral("志望校・内申点　一覧表　　3年1組"));
        QCOMPARE(title->font, (CanvasFont{gd->fontGothic, 12, false}));
        const CanvasOp* stamp = canvas.findText(QStringLiteral("　　　     (印刷日時 04-01-2005 13:05:09)"));
        QVERIFY(stamp);
        QCOMPARE(stamp->y1, 0.8);
        QCOMPARE(stamp->font, (CanvasFont{gd->fontMincho, 10, false}));
        QVERIFY(stamp->x1 > title->x1 + 20);

        QCOMPARE(textAt(canvas, 1, 2), QStringLiteral("No. 氏　名"));
        QCOMPARE(textAt(canvas, 16, 2), QStringLiteral("第１志望"));
        QCOMPARE(textAt(canvas, 40, 2), QStringLiteral("推　　薦"));
        QCOMPARE(textAt(canvas, 47.5 + (4 - Full) / 2, 2), QStringLiteral("国"));
        QCOMPARE(textAt(canvas, 79.5 + (4 - Full) / 2, 2), QStringLiteral("英")); // the fifth subject last
        QCOMPARE(textAt(canvas, 84, 2), QStringLiteral("合計"));
        QCOMPARE(textAt(canvas, 88, 2), QStringLiteral("内申"));

        QCOMPARE(textAt(canvas, 1, 3), QStringLiteral(" 1 青木"));
        QCOMPARE(rowTexts(canvas, 3).mid(1, 4), (QStringList{QStringLiteral("青嵐"), QStringLiteral("青嵐理"),
                                                             QStringLiteral("東山"), QStringLiteral("青嵐")}));
        QCOMPARE(textAt(canvas, 47.5 + (4 - Half) / 2, 3), QStringLiteral("3"));
        QCOMPARE(textAt(canvas, 84, 3), QStringLiteral("14"));
        QCOMPARE(textAt(canvas, 88, 3), QStringLiteral("15.5"));
        // A point of 0 prints blank, so does a choice outside the list; 11 is printed as stored.
        QCOMPARE(textAt(canvas, 59.5 + (4 - Half) / 2, 4), QStringLiteral("<none>"));
        QCOMPARE(textAt(canvas, 24, 4), QStringLiteral("<none>"));
        QCOMPARE(textAt(canvas, 55.5 + (4 - 2 * Half) / 2, 5), QStringLiteral("11"));
        QCOMPARE(textAt(canvas, 1, 6), QStringLiteral(" 6 生徒4"));

        // Rules: the header's, under number 3 (the last of 1-5) and under number 6.
        QCOMPARE(ruleRows(canvas), (QList<double>{1.9, 2.9, 5.9, 6.9}));
        for (const auto& r : rules(canvas)) {
            QCOMPARE(r[1], 1.0);
            QCOMPARE(r[2], 91.0);
        }

        // The distribution from the line after the last pupil: 10 down to 1.
        QCOMPARE(textAt(canvas, 4, 7), QStringLiteral("内申点分布"));
        QCOMPARE(textAt(canvas, 43 + (4 - 2 * Half) / 2, 7), QStringLiteral("10"));
        QCOMPARE(textAt(canvas, 43 + (4 - Half) / 2, 16), QStringLiteral("1"));
        // 社会 has three 4s in the class (value 4 on row 13); 国語 one 10.
        QCOMPARE(textAt(canvas, 51.5 + (4 - Half) / 2, 13), QStringLiteral("3"));
        QCOMPARE(textAt(canvas, 47.5 + (4 - Half) / 2, 7), QStringLiteral("1"));
        QCOMPARE(textAt(canvas, 47.5 + (4 - Half) / 2, 8), QStringLiteral("0"));
        // 保体 (boys and girls apart): value 2 on row 15 has two boys... one boy, one girl and
        // the pupil without sex: boys left of the centre, girls right.
        const double centre = 43.5 + 4 * 7 + 2;
        QCOMPARE(textAt(canvas, centre - 1 - Half / 2, 15), QStringLiteral("1"));
        QCOMPARE(textAt(canvas, centre + 1 - Half / 2, 15), QStringLiteral("1"));
        QCOMPARE(textAt(canvas, centre - Half / 2, 15), QStringLiteral("<none>"));
        QCOMPARE(canvas.texts().last().y1, 16.0);
    }

    void classBoxesGovernOnlyTheClassSheets()
    {
        auto gd = sheetGrade();
        RecordingCanvas canvas = printer(*gd);
        TargetSchoolSelection selection;
        selection.classes = {2, 3};
        QCOMPARE(PrintTargetSchoolLists(canvas, *gd, selection), 4);
        // An empty class still gets its sheet: header, no pupils, a distribution of zeros.
        QCOMPARE(textAt(canvas, 1, 0.8, 1), QStringLiteral("志望校・内申点　一覧表　　3年2組"));
        QCOMPARE(textAt(canvas, 4, 3, 1), QStringLiteral("内申点分布"));
        QCOMPARE(textAt(canvas, 47.5 + (4 - Half) / 2, 3, 1), QStringLiteral("0"));
        QCOMPARE(ruleRows(canvas, 1), (QList<double>{1.9, 2.9}));
        QCOMPARE(textAt(canvas, 1, 0.8, 2), QStringLiteral("志望校・内申点　一覧表　　3年3組"));

        // The point table counts the whole grade: 社会 4 three times (value 4 on row 9).
        QCOMPARE(textAt(canvas, 1, 0.8, 3), QStringLiteral("内申点別人数一覧表"));
        QVERIFY(canvas.findText(QStringLiteral("　　(印刷日時 04-01-2005 13:05:09)")));
        QCOMPARE(textAt(canvas, 7, 2, 3), QStringLiteral("国語"));
        QCOMPARE(textAt(canvas, 13, 2, 3), QStringLiteral("社会"));
        QCOMPARE(textAt(canvas, 49, 2, 3), QStringLiteral("技家"));
        QCOMPARE(textAt(canvas, 55, 2, 3), QStringLiteral("英語"));
        const CanvasOp* ten = canvas.textAt(2, 3, 3);
        QVERIFY(ten);
        QCOMPARE(ten->text, QStringLiteral(" 10"));
        QCOMPARE(ten->font.name, gd->fontGothic);
        QCOMPARE(textAt(canvas, 2, 12, 3), QStringLiteral("  1"));
        QCOMPARE(textAt(canvas, 13 + (6 - Half) / 2, 9, 3), QStringLiteral("3"));
        // 保体 (position 7, column [43, 49)): boys in the left half, girls in the right.
        QCOMPARE(textAt(canvas, 43 + (3 - Half) / 2, 11, 3), QStringLiteral("1"));
        QCOMPARE(textAt(canvas, 46 + (3 - Half) / 2, 11, 3), QStringLiteral("1"));
        QCOMPARE(ruleRows(canvas, 3), (QList<double>{1.9, 2.9, 12.9}));
        QCOMPARE(rules(canvas, 3).first()[2], 60.0);

        // The applicant list: one school of two courses shares its name and has no rule
        // between them.
        QCOMPARE(textAt(canvas, 1, 0.8, 4), QStringLiteral("志望校別人数一覧表(第１志望校)"));
        QCOMPARE(textAt(canvas, 2, 3, 4), QStringLiteral("県立青嵐高等学校"));
        QCOMPARE(textAt(canvas, 2, 4, 4), QStringLiteral("<none>"));
        QCOMPARE(textAt(canvas, 20, 4, 4), QStringLiteral("理数科"));
        QCOMPARE(textAt(canvas, 2, 5, 4), QStringLiteral("県立東山高等学校"));
        QCOMPARE(textAt(canvas, 2, 6, 4), QStringLiteral("その他"));
        QCOMPARE(ruleRows(canvas, 4), (QList<double>{1.9, 2.9, 4.9, 5.9, 6.9}));
        QCOMPARE(rules(canvas, 4).last()[2], 55.0);
        QCOMPARE(rowTexts(canvas, 3, 4).mid(2),
                 (QStringList{QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("0")}));
        QCOMPARE(textAt(canvas, 40.5 + (5 - Half) / 2, 3, 4), QStringLiteral("2"));
        QCOMPARE(textAt(canvas, 50.5 + (5 - Half) / 2, 5, 4), QStringLiteral("1"));
    }

    void longListsContinueOnNewSheets()
    {
        QCOMPARE(PlanTargetClassSheets(54, 67), (QList<TargetClassSheet>{{1, 54, true}}));
        QCOMPARE(PlanTargetClassSheets(55, 67), (QList<TargetClassSheet>{{1, 55, false}, {56, 55, true}}));
        QCOMPARE(PlanTargetClassSheets(70, 67), (QList<TargetClassSheet>{{1, 64, false}, {65, 70, true}}));
        QCOMPARE(PlanTargetClassSheets(0, 67), (QList<TargetClassSheet>{{1, 0, true}}));

        // 99 schools and "その他": 64 lines on the first sheet, the rest on the second.
        QList<CareerSchool> many;
        for (int h = 1; h <= 99; ++h)
            many.append({QStringLiteral("高%1").arg(h), QStringLiteral("高校%1").arg(h), QStringLiteral("普通科"), {}});
        auto gd = MakeCareerGrade(1, {}, many);
        RecordingCanvas canvas = printer(*gd);
        TargetSchoolSelection selection;
        selection.classSheets = selection.pointTable = false;
        QCOMPARE(PrintTargetSchoolLists(canvas, *gd, selection), 2);
        QCOMPARE(textAt(canvas, 2, 66, 1), QStringLiteral("高校64"));
        QCOMPARE(textAt(canvas, 1, 0.8, 2), QStringLiteral("志望校別人数一覧表(第１志望校)"));
        QCOMPARE(textAt(canvas, 2, 3, 2), QStringLiteral("高校65"));
        QCOMPARE(textAt(canvas, 2, 38, 2), QStringLiteral("その他"));
        QCOMPARE(ruleRows(canvas, 2).last(), 38.9);
    }

    void nothingChosenPrintsNothing()
    {
        auto gd = sheetGrade();
        RecordingCanvas canvas = printer(*gd);
        TargetSchoolSelection none;
        none.pointTable = none.applicants = false;
        none.classes = {1, 2, 3};
        none.classSheets = false;
        QCOMPARE(PrintTargetSchoolLists(canvas, *gd, none), 0);
        none.classSheets = true;
        none.classes.clear();
        QCOMPARE(PrintTargetSchoolLists(canvas, *gd, none), 0);
        QVERIFY(canvas.ops().isEmpty());
        GuidanceSelection nothing;
        nothing.gradeRanking = nothing.schoolRankings = false;
        QVERIFY(!nothing.anything());
        QCOMPARE(PrintGuidanceMaterials(canvas, *gd, GuidanceOptions{}, GuidanceScores{}, nothing), 0);
        QVERIFY(canvas.ops().isEmpty());
    }

    void guidanceClassSheetColumns_data()
    {
        QTest::addColumn<bool>("testsOnly");
        QTest::addColumn<int>("c");
        QTest::newRow("with 内申点") << false << 8;
        QTest::newRow("tests only") << true << 0;
    }
    void guidanceClassSheetColumns()
    {
        QFETCH(bool, testsOnly);
        QFETCH(int, c);
        auto gd = sheetGrade();
        SetCareerTests(*gd, {5, 5, 5});
        GuidanceOptions options;
        options.tests = {1, 2, 3}; // T = 12
        options.testsOnly = testsOnly;
        const GuidanceScores scores = ComputeGuidanceScores(
            *gd, options, SlotsOf(*gd, {{80, 80, 80, 80, 80, -1, -1, -1, -1, -1, 70, 70, 70, 70, 70}, {}, {}, {}, {}}));
        RecordingCanvas canvas = printer(*gd);
        GuidanceSelection selection;
        selection.gradeRanking = selection.schoolRankings = false;
        selection.classes = {1, 2};
        QCOMPARE(PrintGuidanceMaterials(canvas, *gd, options, scores, selection), 2);

        const CanvasOp* title = canvas.textAt(1, 1);
        QVERIFY(title);
        QCOMPARE(title->text, QStringLiteral("クラス別 得点・内申点・志望校一覧　　　3年1組"));
        QCOMPARE(title->font.name, gd->fontGothic);
        QVERIFY(canvas.findText(QStringLiteral("     (印刷日時 04-01-2005 13:05:09)")));
        QCOMPARE(textAt(canvas, 14, 2), c == 8 ? QStringLiteral("合計") : QStringLiteral("平均"));
        QCOMPARE(textAt(canvas, 18, 2), c == 8 ? QStringLiteral("内申") : QStringLiteral("<none>"));
        QCOMPARE(textAt(canvas, 14 + c, 2), QStringLiteral("平均"));
        for (int k = 1; k <= 3; ++k)
            QCOMPARE(textAt(canvas, 14 + c + 4 * k + (4 - 2 * Half) / 2, 2), QStringLiteral("T%1").arg(k));
        QCOMPARE(textAt(canvas, 31 + c, 2), QStringLiteral("第１志望"));
        QCOMPARE(textAt(canvas, 39 + c, 2), QStringLiteral("第２志望"));
        QCOMPARE(textAt(canvas, 47 + c, 2), QStringLiteral("併　　願"));
        QCOMPARE(textAt(canvas, 54 + c + (2 - Full) / 2, 2), QStringLiteral("国"));
        QCOMPARE(textAt(canvas, 70 + c + (2 - Full) / 2, 2), QStringLiteral("英"));
        for (const auto& r : rules(canvas))
            QCOMPARE(r[2], double(71 + c));

        // 青木: tests 400, absent, 350 -> 375; 内申 3 x 1.5 + 4 + 5 + 2 = 15.5 -> 16.
        auto cell = [&](const QString& text, double left, double width) {
            return textAt(canvas, left + (width - RecordingCanvas::ModelTextWidth(text, 10)) / 2, 3);
        };
        if (c == 8) {
            QCOMPARE(cell(QStringLiteral("391"), 14, 4), QStringLiteral("391"));
            QCOMPARE(cell(QStringLiteral("16"), 18, 4), QStringLiteral("16"));
        }
        QCOMPARE(cell(QStringLiteral("375"), 14 + c, 4), QStringLiteral("375"));
        QCOMPARE(cell(QStringLiteral("400"), 18 + c, 4), QStringLiteral("400"));
        QCOMPARE(cell(QStringLiteral("欠"), 22 + c, 4), QStringLiteral("欠"));
        QCOMPARE(textAt(canvas, 31 + c, 3), QStringLiteral("青嵐"));
        QCOMPARE(textAt(canvas, 47 + c, 3), QStringLiteral("東山"));
        QCOMPARE(cell(QStringLiteral("3"), 54 + c, 2), QStringLiteral("3"));
        // The points are printed without 内申点 too.
        QCOMPARE(cell(QStringLiteral("2"), 66 + c, 2), QStringLiteral("2"));
        QCOMPARE(ruleRows(canvas), (QList<double>{1.9, 2.9, 5.9, 6.9}));

        // The empty class: title, header and rules only.
        QCOMPARE(textAt(canvas, 1, 1, 2), QStringLiteral("クラス別 得点・内申点・志望校一覧　　　3年2組"));
        QCOMPARE(ruleRows(canvas, 2), (QList<double>{1.9, 2.9}));
        QCOMPARE(textAt(canvas, 1, 3, 2), QStringLiteral("<none>"));
    }

    void gradeRankingPages()
    {
        // 60 pupils: 59 lines on the first sheet of A4 portrait (67 rows), the last on the next.
        QList<CareerPupil> pupils;
        for (int n = 1; n <= 60; ++n)
            pupils.append({n <= 30 ? 1 : 2, (n - 1) % 30 + 1, 1, {n % 10 + 1}, {1, 2, 3, 0}});
        auto gd = MakeCareerGrade(2, pupils, schools());
        const GuidanceScores scores = ComputeGuidanceScores(*gd, GuidanceOptions{}, {});
        RecordingCanvas canvas = printer(*gd);
        GuidanceSelection selection;
        selection.classSheets = selection.schoolRankings = false;
        QCOMPARE(SheetRows(canvas, *gd), 67);
        QCOMPARE(PrintGuidanceMaterials(canvas, *gd, GuidanceOptions{}, scores, selection), 2);

        const CanvasOp* title = canvas.textAt(1, 1 - 1.65);
        QVERIFY(title);
        QCOMPARE(title->text, QStringLiteral("学年全体順位表"));
        QCOMPARE(title->font, (CanvasFont{gd->fontGothic, 13, false}));
        QCOMPARE(textAt(canvas, 1, 1), QStringLiteral(" Page 1　生徒数60人"));
        QVERIFY(canvas.findText(QStringLiteral("      印刷日時 04-01-2005 13:05:09")));
        QCOMPARE(textAt(canvas, 1, 1, 2), QStringLiteral(" Page 2　生徒数60人"));
        QCOMPARE(textAt(canvas, 2, 2), QStringLiteral("No."));
        QCOMPARE(textAt(canvas, 21, 2), QStringLiteral("合計"));
        QCOMPARE(textAt(canvas, 29, 2), QStringLiteral("平均"));
        QCOMPARE(textAt(canvas, 34, 2), QStringLiteral("第１志望"));
        QCOMPARE(textAt(canvas, 58, 2), QStringLiteral("内５ 内４ 内９"));
        QCOMPARE(rules(canvas).first(), (std::array<double, 3>{1.9, 2, 70}));

        const CanvasOp* first = canvas.textAt(2, 3);
        QVERIFY(first);
        QCOMPARE(first->text, QStringLiteral("  1"));
        QCOMPARE(first->font.name, gd->fontGothic);
        QCOMPARE(textAt(canvas, 2, 61), QStringLiteral(" 59"));
        QCOMPARE(textAt(canvas, 2, 3, 2), QStringLiteral(" 60"));
        QCOMPARE(textAt(canvas, 2, 4, 2), QStringLiteral("<none>"));
        // Class label, number centred in two columns, name.
        const int s = GradeRanking(scores).first();
        QCOMPARE(textAt(canvas, 5.2, 3), gd->classLabel(gd->studentClass[s]));
        QCOMPARE(textAt(canvas, 10, 3), gd->studentName[s]);
    }

    void schoolBlocksOnSheets()
    {
        QList<SchoolBlock> blocks(3);
        for (int i = 0; i < 50; ++i)
            blocks[0].pupils.append(i + 1);
        for (int i = 0; i < 20; ++i)
            blocks[1].pupils.append(i + 1);
        for (int i = 0; i < 70; ++i)
            blocks[2].pupils.append(i + 1);
        // The second block does not fit under the first (57 + 20 + 4 > 67) and moves to a new
        // sheet; the third is longer than a sheet and goes on over two.
        QCOMPARE(PlanSchoolBlocks(blocks, 67, false),
                 (QList<BlockPiece>{{0, 1, 1, 1, 50}, {1, 2, 1, 1, 20}, {2, 3, 1, 1, 62}, {2, 4, 1, 63, 70}}));
        blocks[1].pupils.resize(6);
        QCOMPARE(PlanSchoolBlocks(blocks, 67, false).at(1), (BlockPiece{1, 1, 57, 1, 6}));
        // The line of multipliers makes every block one line deeper: the next one starts at
        // 1 + 1 + 50 + 6 = 58, where six pupils no longer fit (58 + 6 + 4 > 67) but five do.
        QCOMPARE(PlanSchoolBlocks(blocks, 67, true).at(1), (BlockPiece{1, 2, 1, 1, 6}));
        blocks[1].pupils.resize(5);
        QCOMPARE(PlanSchoolBlocks(blocks, 67, true).at(1), (BlockPiece{1, 1, 58, 1, 5}));
        QCOMPARE(PlanSchoolBlocks(blocks, 67, true).at(2), (BlockPiece{2, 2, 1, 1, 62}));
    }

    void schoolRankingBlocks()
    {
        // 青嵐 (国語 doubled): pupils 1 and 3 by their first choice, 2 by the second.
        auto gd = MakeCareerGrade(1,
                                  {{1, 1, 1, {5}, {1, 3, 2, 1}},
                                   {1, 2, 2, {3}, {3, 1, 9, 0}},
                                   {1, 3, 1, {4}, {1, 1, 0, 3}},
                                   {1, 4, 1, {4}, {9, 1, 0, 0}}},
                                  schools());
        gd->naishinWeight[1] = 1.5;
        SetCareerTests(*gd, {1});
        GuidanceOptions options;
        options.tests = {1};
        options.secondChoices = true;
        const GuidanceScores scores = ComputeGuidanceScores(*gd, options, SlotsOf(*gd, {{100}, {100}, {90}, {-1}}));
        RecordingCanvas canvas = printer(*gd);
        GuidanceSelection selection;
        selection.classSheets = selection.gradeRanking = false;
        QCOMPARE(PrintGuidanceMaterials(canvas, *gd, options, scores, selection), 1);

        // First block from s = 1.
        const CanvasOp* title = canvas.textAt(1, 0.7);
        QVERIFY(title);
        QCOMPARE(title->text, QStringLiteral("県立青嵐高等学校 普通科"));
        QCOMPARE(title->font, (CanvasFont{gd->fontGothic, 13, false}));
        const CanvasOp* count =
            canvas.findText(QStringLiteral("　4人（第２志望2人）      印刷日時 04-01-2005 13:05:09"));
        QVERIFY(count);
        QCOMPARE(count->y1, 1.0);
        QCOMPARE(count->x1, 1 + RecordingCanvas::ModelTextWidth(title->text, 13));
        QCOMPARE(textAt(canvas, 1, 2), QStringLiteral("内申点倍率  国:2 社:1 数:1 理:1 英:1 音:1 美:1 保:1 技:1 "));
        QCOMPARE(textAt(canvas, 38, 3), QStringLiteral("第２志望"));
        QCOMPARE(textAt(canvas, 46, 3), QStringLiteral("併　　願"));
        QCOMPARE(textAt(canvas, 54, 3), QStringLiteral("内５ 内４ 内９"));
        QCOMPARE(ruleRows(canvas).mid(0, 2), (QList<double>{2.9, 3.9}));
        QCOMPARE(rules(canvas).first()[2], 66.0);

        // 110 (1), 106 (2, added), 98 (3), 8 (4, added, no test score).
        QCOMPARE(textAt(canvas, 1, 4), QStringLiteral("推"));
        QCOMPARE(textAt(canvas, 2, 4), QStringLiteral("  1"));
        QCOMPARE(textAt(canvas, 10, 4), QStringLiteral("生徒1"));
        QCOMPARE(textAt(canvas, 38, 4), QStringLiteral("東山"));
        QCOMPARE(textAt(canvas, 46, 4), QStringLiteral("青嵐理"));
        QCOMPARE(textAt(canvas, 10, 5), QStringLiteral("生徒2"));
        QCOMPARE(textAt(canvas, 38, 5), QStringLiteral("(東山)"));
        QCOMPARE(textAt(canvas, 46, 5), QStringLiteral("<none>")); // 併願 outside the list
        QCOMPARE(textAt(canvas, 1, 6), QStringLiteral("<none>"));  // recommended elsewhere
        QCOMPARE(textAt(canvas, 10, 7), QStringLiteral("生徒4"));
        QCOMPARE(textAt(canvas, 38, 7), QStringLiteral("<none>")); // first choice outside the list
        auto cell = [&](const QString& text, double left, double y) {
            return textAt(canvas, left + (4 - RecordingCanvas::ModelTextWidth(text, 10)) / 2, y);
        };
        QCOMPARE(cell(QStringLiteral("110"), 21, 4), QStringLiteral("110"));
        QCOMPARE(cell(QStringLiteral("10"), 25, 4), QStringLiteral("10"));
        QCOMPARE(cell(QStringLiteral("100"), 29, 4), QStringLiteral("100"));
        QCOMPARE(cell(QStringLiteral("8"), 21, 7), QStringLiteral("8"));
        QCOMPARE(cell(QStringLiteral("欠"), 29, 7), QStringLiteral("欠"));
        QCOMPARE(cell(QStringLiteral("欠"), 33, 7), QStringLiteral("欠"));
        QCOMPARE(cell(QStringLiteral("5"), 54, 4), QStringLiteral("5"));

        // The next block (東山, by its first and second choices) starts at s = 1 + 1 + 4 + 6:
        // the line of multipliers moved the first block's header and pupils a line down, and
        // the next block keeps the same four blank lines after them.
        const CanvasOp* next = canvas.textAt(1, 11.7);
        QVERIFY(next);
        QCOMPARE(next->text, QStringLiteral("県立東山高等学校 普通科"));
        QCOMPARE(textAt(canvas, 1, 13), QStringLiteral("内申点倍率  国:2 社:1 数:1 理:1 英:1 音:1 美:1 保:1 技:1 "));
        // Pupil 1 is recommended for 青嵐: no "推" here.
        QCOMPARE(textAt(canvas, 10, 15), QStringLiteral("生徒1"));
        QCOMPARE(textAt(canvas, 1, 15), QStringLiteral("<none>"));
        QCOMPARE(textAt(canvas, 38, 15), QStringLiteral("(青嵐)"));

        // Without school multipliers the line shows the subjects' own; without 内申点 there is
        // no such line and the header moves up.
        options.subjectMultipliers = true;
        RecordingCanvas plain = printer(*gd);
        PrintGuidanceMaterials(plain, *gd, options, scores, selection);
        QCOMPARE(textAt(plain, 1, 2), QStringLiteral("内申点倍率  国:1.5 社:1 数:1 理:1 英:1 音:1 美:1 保:1 技:1 "));
        options.testsOnly = true;
        RecordingCanvas testsOnly = printer(*gd);
        PrintGuidanceMaterials(testsOnly, *gd, options, scores, selection);
        QCOMPARE(textAt(testsOnly, 21, 2), QStringLiteral("平均"));
        QCOMPARE(textAt(testsOnly, 30, 2), QStringLiteral("第２志望"));
        QCOMPARE(textAt(testsOnly, 1, 10.7), QStringLiteral("県立東山高等学校 普通科")); // s = 1 + 4 + 6
        QVERIFY(!testsOnly.findText(QStringLiteral("内５ 内４ 内９")));
        QCOMPARE(rules(testsOnly).first(), (std::array<double, 3>{1.9, 2, 58}));
    }

    void recommendationMarkClearsThreeDigitRanks()
    {
        // 120 pupils choose 青嵐 first and every third is recommended for it; pupil i has the
        // i-th best score, so his position in the block is i.
        QList<CareerPupil> pupils;
        QList<QList<int>> values;
        for (int i = 1; i <= 120; ++i) {
            pupils.append(CareerPupil((i - 1) / 60 + 1, (i - 1) % 60 + 1, 1, {3}, {1, 0, 0, i % 3 == 0 ? 1 : 0}));
            values.append(QList<int>{300 - i});
        }
        auto gd = MakeCareerGrade(2, pupils, schools());
        SetCareerTests(*gd, {1});
        GuidanceOptions options;
        options.tests = {1};
        const GuidanceScores scores = ComputeGuidanceScores(*gd, options, SlotsOf(*gd, values));
        RecordingCanvas canvas = printer(*gd);
        GuidanceSelection selection;
        selection.classSheets = selection.gradeRanking = false;
        QCOMPARE(PrintGuidanceMaterials(canvas, *gd, options, scores, selection), 2);

        // Every "推" ends before the first digit of its line's position, also from 100 on,
        // and all of them stand in one column inside the sheet.
        int marks = 0;
        int threeDigits = 0;
        QList<double> xs;
        for (const CanvasOp& mark : canvas.texts()) {
            if (mark.text != QStringLiteral("推")) continue;
            ++marks;
            const CanvasOp* rank = canvas.textAt(2, mark.y1, mark.page);
            QVERIFY(rank);
            const qsizetype blanks = rank->text.size() - rank->text.trimmed().size();
            const double digitsLeft = rank->x1 + blanks * Half;
            QVERIFY2(mark.x1 + RecordingCanvas::ModelTextWidth(mark.text, mark.font.size) < digitsLeft - 0.1,
                     qPrintable(rank->text));
            QVERIFY(mark.x1 >= 0);
            if (rank->text.trimmed().size() == 3) ++threeDigits;
            xs.append(mark.x1);
        }
        QCOMPARE(marks, 40);
        QCOMPARE(threeDigits, 7); // 102, 105, ... 120
        QCOMPARE(std::count(xs.cbegin(), xs.cend(), xs.first()), xs.size());
    }

    void longChoicesShrinkBeforeTheNextColumn()
    {
        // Pupil 2 is taken by his second choice and shows his first in brackets, wider than the
        // eight columns up to 併願; pupil 1's 併願 is longer than its column up to 内５.
        QList<CareerSchool> list = schools();
        list.append(CareerSchool{
            QStringLiteral("若葉工電"), QStringLiteral("県立若葉工業高等学校"), QStringLiteral("電気科"), {}});
        list.append(CareerSchool{
            QStringLiteral("若葉工業電気"), QStringLiteral("県立若葉工業高等学校"), QStringLiteral("電子科"), {}});
        auto gd = MakeCareerGrade(
            1, {{1, 1, 1, {5}, {1, 3, 5, 0}, QStringLiteral("長谷川　さくら")}, {1, 2, 1, {4}, {4, 1, 6, 0}}}, list);
        SetCareerTests(*gd, {1});
        GuidanceOptions options;
        options.tests = {1};
        options.secondChoices = true;
        const GuidanceScores scores = ComputeGuidanceScores(*gd, options, SlotsOf(*gd, {{100}, {90}}));
        RecordingCanvas canvas = printer(*gd);
        GuidanceSelection selection;
        selection.classSheets = selection.gradeRanking = false;
        PrintGuidanceMaterials(canvas, *gd, options, scores, selection);

        const auto rightEdge = [](const CanvasOp& op) {
            return op.x1 + RecordingCanvas::ModelTextWidth(op.text, op.font.size);
        };
        // 第２志望 at 38, 併願 at 46, 内５ at 54 (one test, with 内申点).
        const CanvasOp* bracketed = canvas.findText(QStringLiteral("(若葉工電)"));
        QVERIFY(bracketed);
        QCOMPARE(bracketed->x1, 38.0);
        QCOMPARE(bracketed->font.name, gd->fontMincho);
        QVERIFY(bracketed->font.size < 10.0 && bracketed->font.size >= FittedTextMinSize);
        QVERIFY(rightEdge(*bracketed) <= 46.0 - Half);
        QVERIFY(bracketed->y1 > 5.0 && bracketed->y1 < 5.2); // on the row's baseline
        QCOMPARE(textAt(canvas, 46, 5), QStringLiteral("その他"));
        QCOMPARE(canvas.textAt(46, 5)->font.size, 10.0);

        const CanvasOp* plain = canvas.textAt(38, 4);
        QVERIFY(plain);
        QCOMPARE(plain->text, QStringLiteral("東山"));
        QCOMPARE(plain->font.size, 10.0);
        bool longFound = false;
        for (const CanvasOp& op : canvas.texts()) {
            if (op.x1 != 46.0 || op.y1 < 4.0 || op.y1 >= 5.0) continue;
            longFound = true;
            QVERIFY(QStringLiteral("若葉工業電気").startsWith(op.text));
            QVERIFY(rightEdge(op) <= 54.0 - Half);
        }
        QVERIFY(longFound);

        // A seven-character name keeps clear of the combined score at 21.
        const CanvasOp* name = canvas.findText(QStringLiteral("長谷川　さくら"));
        QVERIFY(name);
        QCOMPARE(name->x1, 10.0);
        QVERIFY(name->font.size < 10.0);
        QVERIFY(rightEdge(*name) <= 21.0 - Half);
        QCOMPARE(canvas.findText(QStringLiteral("生徒2"))->font.size, 10.0);
    }

    void sevenTestsPrintLandscape()
    {
        auto gd = sheetGrade();
        SetCareerTests(*gd, QList<int>(7, 5));
        GuidanceOptions options;
        for (int t = 1; t <= 7; ++t)
            options.tests.append(t);
        const GuidanceScores scores = ComputeGuidanceScores(*gd, options, {});
        GuidanceSelection classesOnly;
        classesOnly.gradeRanking = classesOnly.schoolRankings = false;
        classesOnly.classes = {1};
        QCOMPARE(GuidanceRunWidth(options, classesOnly), 95);

        RecordingCanvas canvas = printer(*gd);
        QCOMPARE(SheetRows(canvas, *gd), 67);
        QCOMPARE(PrintGuidanceMaterials(canvas, *gd, options, scores, classesOnly), 1);
        QCOMPARE(SheetRows(canvas, *gd), 46);
        QVERIFY(SheetColumns(canvas, *gd) > 130);
        QCOMPARE(rules(canvas).first()[2], 95.0);

        // Six tests fit a portrait sheet, the rankings too (94 columns).
        options.tests.removeLast();
        GuidanceSelection all;
        all.classes = {1};
        QCOMPARE(GuidanceRunWidth(options, all), 94);
        RecordingCanvas portrait = printer(*gd);
        PrintGuidanceMaterials(portrait, *gd, options, scores, all);
        QCOMPARE(SheetRows(portrait, *gd), 67);
    }

private:
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(CareerLayoutTest)
#include "tst_careerlayouts.moc"
