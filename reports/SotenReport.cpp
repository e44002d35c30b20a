#include "SotenReport.h"

#include "GradeData.h"
#include "PageCanvas.h"
#include "ReportCommon.h"

#include <algorithm>

namespace seiran {

namespace {
constexpr int TotalX = 40;
constexpr int TotalAverageX = 41;

int subjectCountOf(const GradeData& gd)
{
    return std::clamp(gd.currentTestSubjectCount(), 0, Limits::TestSubjects);
}

void printScoreCell(PageCanvas& canvas, int subject, int value, double y)
{
    const int x = SotenSubjectX(subject);
    if (value == ScoreCode::NotEntered)
        canvas.PrintAt(QStringLiteral("  －"), x, y);
    else if (value < 0)
        canvas.PrintAt(subject <= 5 ? QStringLiteral("  欠") : QStringLiteral("欠席"), x, y);
    else
        PrintRightAligned(canvas, x, y, 4, QStringLiteral("###0"), value);
}

void printAverage(PageCanvas& canvas, const std::optional<double>& value, double x, double y, int width)
{
    // A group without any score has no average; its cell stays blank.
    if (value) PrintRightAligned(canvas, x, y, width, QStringLiteral("##0.0"), *value);
}

// Three rows of averages (all, boys, girls) of class `group` (0 = the grade) from row `top`.
void printAverageBlock(PageCanvas& canvas, const GradeData& gd, int group, int top, const QString (&labels)[3])
{
    const int n = subjectCountOf(gd);
    for (int x = 0; x <= 2; ++x) {
        const int y = top + x;
        canvas.PrintAt(labels[x], 0, y);
        for (int i = 1; i <= n; ++i)
            printAverage(canvas, gd.average(group, i, x), SotenSubjectX(i) + 1, y, 4);
        printAverage(canvas, gd.average(group, n + 1, x), TotalAverageX, y, 5);
    }
}
} // namespace

int SotenSubjectX(int subject)
{
    return subject <= 5 ? 10 + 5 * subject : 16 + 5 * subject;
}

int SotenRuleEnd(int subjectCount)
{
    return 5 * std::max(subjectCount, 5) + 30;
}

int SotenGradeRankX(int subjectCount)
{
    return 21 + 5 * std::max(subjectCount, 5);
}

int SotenClassRankX(int subjectCount)
{
    return 26 + 5 * std::max(subjectCount, 5);
}

void DrawSotenPage(PageCanvas& canvas, const GradeData& gd, int classNo)
{
    if (classNo < 1 || classNo > std::min(gd.classCount, Limits::Classes)) return;
    const int n = subjectCountOf(gd);
    const double ruleEnd = SotenRuleEnd(n);
    const int test = gd.currentTest;
    const QString testName = test >= 1 && test <= Limits::Tests ? gd.testNames[test] : QString();

    // Title, then the header row starts where the line end leaves the position.
    canvas.SetCurrentX(0);
    canvas.SetCurrentY(0);
    canvas.PrintLine(QStringLiteral("素点一覧表     ") + testName + QStringLiteral("      ") + u' ' +
                     QString::number(gd.currentGrade) + u' ' + QStringLiteral("年 ") + gd.classLabel(classNo) +
                     QStringLiteral(" 組"));
    canvas.Print(QStringLiteral("No.氏名"));
    for (int i = 1; i <= n; ++i)
        canvas.PrintAt(gd.subjectNames[i].trimmed(), SotenSubjectX(i), 1);
    canvas.PrintAt(QStringLiteral("5教科"), TotalX, 1);
    canvas.PrintAt(QStringLiteral("年順"), SotenGradeRankX(n), 1);
    canvas.PrintAt(QStringLiteral("組順"), SotenClassRankX(n), 1);
    canvas.PrintLine();

    const int first = gd.classStart[classNo];
    const int size = std::clamp(gd.classSize[classNo], 0, std::max(0, Limits::Students - first + 1));
    for (int j = 1; j <= size; ++j) {
        const int s = first + j - 1;
        const int row = j + 1;
        const int number = gd.studentNumber[s];
        // Rules after every fifth pupil and before numbers 1, 6, 11, ...
        if (number % 5 == 0) canvas.Line(0, row + 0.9, ruleEnd, row + 0.9);
        if (number % 5 == 1) canvas.Line(0, row - 0.1, ruleEnd, row - 0.1);
        PrintRightAligned(canvas, 0, row, 2, QStringLiteral("##"), number);
        canvas.PrintAt(gd.studentName[s], 3, row);
        for (int i = 1; i <= n; ++i)
            printScoreCell(canvas, i, gd.scores(i, s), row);
        const int total = gd.scores(n + 1, s);
        if (total < 0) {
            canvas.PrintAt(QStringLiteral("  －"), TotalX, row);
            canvas.PrintAt(QStringLiteral("  －"), SotenGradeRankX(n), row);
            canvas.PrintAt(QStringLiteral("  －"), SotenClassRankX(n), row);
        } else {
            PrintRightAligned(canvas, TotalX, row, 5, QStringLiteral("###0"), total);
            PrintRightAligned(canvas, SotenGradeRankX(n), row, 4, QStringLiteral("###0"), gd.scores(n + 2, s));
            PrintRightAligned(canvas, SotenClassRankX(n), row, 4, QStringLiteral("###0"), gd.scores(n + 3, s));
        }
        canvas.PrintLine();
    }

    const int last = size + 1;
    canvas.Line(0, 0.9, ruleEnd, 0.9);
    canvas.Line(0, last + 0.9, ruleEnd, last + 0.9);

    static const QString classLabels[3] = {QStringLiteral("クラス平均点　全体"), QStringLiteral("　　　　　　　男子"),
                                           QStringLiteral("　　　　　　　女子")};
    static const QString gradeLabels[3] = {QStringLiteral("学年　平均点　全体"), QStringLiteral("　　　　　　　男子"),
                                           QStringLiteral("　　　　　　　女子")};
    printAverageBlock(canvas, gd, classNo, last + 1, classLabels);
    canvas.Line(0, last + 3.9, ruleEnd, last + 3.9);
    printAverageBlock(canvas, gd, 0, last + 4, gradeLabels);
    canvas.Line(0, last + 6.9, ruleEnd, last + 6.9);

    canvas.PrintLine();
    canvas.PrintLine(PrintStampText(StampWording::Bracketed, ReportClockNow()));
}

int PrintSotenClasses(PageCanvas& printer, const GradeData& gd, const QList<int>& classes)
{
    PrintRun run(printer, gd);
    for (int c : classes) {
        if (c < 1 || c > gd.classCount) continue;
        run.startSheet();
        DrawSotenPage(printer, gd, c);
    }
    run.finish();
    return run.sheets();
}

} // namespace seiran
