#include "RawScoreReport.h"

#include "GradeData.h"
#include "PageCanvas.h"
#include "ReportCommon.h"

#include <algorithm>
#include <cmath>

namespace seiran {

namespace {
constexpr int TotalX = 40;
constexpr int TotalAverageX = 41;
// Rows of the summary below the last pupil row: three of class averages, three of grade
// averages, a line end and the stamp, which hangs one line under the last rule (r + 6.9).
constexpr double SummaryDepth = 7.9;

int subjectCountOf(const GradeData& gd)
{
    return std::clamp(gd.currentTestSubjectCount(), 0, Limits::TestSubjects);
}

bool validClass(const GradeData& gd, int classNo)
{
    return classNo >= 1 && classNo <= std::min(gd.classCount, Limits::Classes);
}

void printScoreCell(PageCanvas& canvas, int subject, int value, double y)
{
    const int x = RawScoreSubjectX(subject);
    if (value == ScoreCode::NotEntered)
        canvas.PrintAt(QStringLiteral("  －"), x, y);
    else if (value < 0)
        canvas.PrintAt(subject <= 5 ? QStringLiteral("  欠") : QStringLiteral("欠席"), x, y);
    else
        PrintRightAligned(canvas, x, y, 4, QStringLiteral("###0"), value);
}

// Three rows of averages (all, boys, girls) of class `group` (0 = the grade) from row `top`.
void printAverageBlock(PageCanvas& canvas, const GradeData& gd, int group, int top, const QString (&labels)[3])
{
    const int n = subjectCountOf(gd);
    for (int x = 0; x <= 2; ++x) {
        const int y = top + x;
        canvas.PrintAt(labels[x], 0, y);
        for (int i = 1; i <= n; ++i)
            PrintAverageCell(canvas, gd.average(group, i, x), RawScoreSubjectX(i) + 1, y, 4);
        PrintAverageCell(canvas, gd.average(group, n + 1, x), TotalAverageX, y, 5);
    }
}
} // namespace

int RawScoreSubjectX(int subject)
{
    return subject <= 5 ? 10 + 5 * subject : 16 + 5 * subject;
}

int RawScoreRuleEnd(int subjectCount)
{
    return 5 * std::max(subjectCount, 5) + 30;
}

int RawScoreGradeRankX(int subjectCount)
{
    return 21 + 5 * std::max(subjectCount, 5);
}

int RawScoreClassRankX(int subjectCount)
{
    return 26 + 5 * std::max(subjectCount, 5);
}

int RawScoreClassSize(const GradeData& gd, int classNo)
{
    if (!validClass(gd, classNo)) return 0;
    const int first = gd.classStart[classNo];
    return std::clamp(gd.classSize[classNo], 0, std::max(0, Limits::Students - first + 1));
}

double RawScorePageDepth(int pupils)
{
    // Title and header on rows 0 and 1, the pupils on rows 2 .. pupils + 1.
    return 2 + pupils + SummaryDepth;
}

QList<RawScoreSheet> PlanRawScoreSheets(int classSize, double depth)
{
    const int size = std::max(0, classSize);
    const int perSheet = int(std::floor(depth)) - 2;
    if (RawScorePageDepth(size) <= depth || RawScorePageDepth(0) > depth || perSheet < 1)
        return {RawScoreSheet{1, size, true}};
    QList<RawScoreSheet> sheets;
    int next = 1;
    while (next <= size) {
        const int remaining = size - next + 1;
        if (RawScorePageDepth(remaining) <= depth) {
            sheets.append(RawScoreSheet{next, size, true});
            return sheets;
        }
        const int take = std::min(remaining, perSheet);
        sheets.append(RawScoreSheet{next, next + take - 1, false});
        next += take;
    }
    // The last pupils filled their sheet: the averages follow on a sheet of their own.
    sheets.append(RawScoreSheet{size + 1, size, true});
    return sheets;
}

void DrawRawScorePage(PageCanvas& canvas, const GradeData& gd, int classNo)
{
    DrawRawScoreSheet(canvas, gd, classNo, RawScoreSheet{1, RawScoreClassSize(gd, classNo), true});
}

void DrawRawScoreSheet(PageCanvas& canvas, const GradeData& gd, int classNo, const RawScoreSheet& sheet)
{
    if (!validClass(gd, classNo)) return;
    const int n = subjectCountOf(gd);
    const double ruleEnd = RawScoreRuleEnd(n);

    // Title, then the header row starts where the line end leaves the position.
    canvas.SetCurrentX(0);
    canvas.SetCurrentY(0);
    canvas.PrintLine(QStringLiteral("素点一覧表     ") + CurrentTestName(gd) + QStringLiteral("      ") + u' ' +
                     QString::number(gd.currentGrade) + u' ' + QStringLiteral("年 ") + gd.classLabel(classNo) +
                     QStringLiteral(" 組"));
    canvas.Print(QStringLiteral("No.氏名"));
    for (int i = 1; i <= n; ++i)
        canvas.PrintAt(gd.subjectNames[i].trimmed(), RawScoreSubjectX(i), 1);
    canvas.PrintAt(QStringLiteral("5教科"), TotalX, 1);
    canvas.PrintAt(QStringLiteral("年順"), RawScoreGradeRankX(n), 1);
    canvas.PrintAt(QStringLiteral("組順"), RawScoreClassRankX(n), 1);
    canvas.PrintLine();

    const int classStart = gd.classStart[classNo];
    const int first = std::max(1, sheet.first);
    const int last = std::min(sheet.last, RawScoreClassSize(gd, classNo));
    int row = 1;
    for (int j = first; j <= last; ++j) {
        const int s = classStart + j - 1;
        row = j - first + 2;
        const int number = gd.studentNumber[s];
        // Rules after every fifth pupil and before numbers 1, 6, 11, ...
        if (number % 5 == 0) canvas.Line(0, row + 0.9, ruleEnd, row + 0.9);
        if (number % 5 == 1) canvas.Line(0, row - 0.1, ruleEnd, row - 0.1);
        PrintRightAligned(canvas, 0, row, 2, QStringLiteral("##"), number);
        // A name ends before the first score column, in a smaller size if it must.
        canvas.SetCurrentX(3);
        canvas.SetCurrentY(row);
        PrintFitted(canvas, gd.studentName[s], RawScoreSubjectX(1));
        for (int i = 1; i <= n; ++i)
            printScoreCell(canvas, i, gd.scores(i, s), row);
        const int total = gd.scores(n + 1, s);
        if (total < 0) {
            canvas.PrintAt(QStringLiteral("  －"), TotalX, row);
            canvas.PrintAt(QStringLiteral("  －"), RawScoreGradeRankX(n), row);
            canvas.PrintAt(QStringLiteral("  －"), RawScoreClassRankX(n), row);
        } else {
            PrintRightAligned(canvas, TotalX, row, 5, QStringLiteral("###0"), total);
            PrintRightAligned(canvas, RawScoreGradeRankX(n), row, 4, QStringLiteral("###0"), gd.scores(n + 2, s));
            PrintRightAligned(canvas, RawScoreClassRankX(n), row, 4, QStringLiteral("###0"), gd.scores(n + 3, s));
        }
        canvas.PrintLine();
    }

    canvas.Line(0, 0.9, ruleEnd, 0.9);
    canvas.Line(0, row + 0.9, ruleEnd, row + 0.9);
    if (!sheet.summary) return;

    static const QString classLabels[3] = {QStringLiteral("クラス平均点　全体"), QStringLiteral("　　　　　　　男子"),
                                           QStringLiteral("　　　　　　　女子")};
    static const QString gradeLabels[3] = {QStringLiteral("学年　平均点　全体"), QStringLiteral("　　　　　　　男子"),
                                           QStringLiteral("　　　　　　　女子")};
    printAverageBlock(canvas, gd, classNo, row + 1, classLabels);
    canvas.Line(0, row + 3.9, ruleEnd, row + 3.9);
    printAverageBlock(canvas, gd, 0, row + 4, gradeLabels);
    canvas.Line(0, row + 6.9, ruleEnd, row + 6.9);

    // The rule left the drawing position on its own row: the stamp comes one line under it.
    canvas.PrintLine();
    canvas.PrintLine(PrintStampText(StampWording::Bracketed, ReportClockNow()));
}

int PrintRawScoreClasses(PageCanvas& printer, const GradeData& gd, const QList<int>& classes)
{
    // The rows below the origin of a sheet, inside the paper margins.
    const double depth = printer.ScaleHeight() - gd.printMarginTop;
    PrintRun run(printer, gd);
    for (int c : classes) {
        if (!validClass(gd, c)) continue;
        for (const RawScoreSheet& sheet : PlanRawScoreSheets(RawScoreClassSize(gd, c), depth)) {
            run.startSheet();
            DrawRawScoreSheet(printer, gd, c, sheet);
        }
    }
    run.finish();
    return run.sheets();
}

} // namespace seiran
