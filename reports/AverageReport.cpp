#include "AverageReport.h"

#include "DeviationReport.h"

#include "GradeData.h"
#include "PageCanvas.h"
#include "ReportCommon.h"

#include <algorithm>

namespace seiran {

namespace {
// Rows y, y + 1, y + 2: the sex labels and the averages of class `group` (0 = the grade).
void printGroup(PageCanvas& canvas, const GradeData& gd, int group, int y, int n)
{
    static const QString sexLabels[3] = {QStringLiteral("全体"), QStringLiteral("男子"), QStringLiteral("女子")};
    for (int x = 0; x <= 2; ++x) {
        canvas.PrintAt(sexLabels[x], 5, y + x);
        for (int i = 1; i <= n; ++i)
            PrintAverageCell(canvas, gd.average(group, i, x), 5 + 5 * i, y + x, 4);
        PrintAverageCell(canvas, gd.average(group, n + 1, x), 10 + 5 * n, y + x, 5);
    }
}

// The grade's highest value of column j. The aggregation keeps only maxima above 0, so a column
// whose scores are all 0 has an average but no maximum: its maximum is 0, not a blank. A column
// without any score stays blank.
void printMaximum(PageCanvas& canvas, const GradeData& gd, int j, double x, double y, int width)
{
    if (gd.gradeMax[j])
        PrintRightAligned(canvas, x, y, width, QStringLiteral("####0"), *gd.gradeMax[j]);
    else if (gd.average(0, j, 0))
        PrintRightAligned(canvas, x, y, width, QStringLiteral("####0"), 0);
}
} // namespace

void DrawAveragePage(PageCanvas& canvas, const GradeData& gd, bool withDeviation)
{
    const int n = std::clamp(gd.currentTestSubjectCount(), 0, Limits::TestSubjects);
    const int classes = std::clamp(gd.classCount, 0, Limits::Classes);

    // The grade is printed with a sign position: " 1".
    canvas.PrintAt(QStringLiteral("平均点・最高点一覧表    ") + u' ' + QString::number(gd.currentGrade) +
                       QStringLiteral("年　") + CurrentTestName(gd),
                   0, 0);
    for (int i = 1; i <= n; ++i)
        canvas.PrintAt(gd.subjectNames[i], 5 + 5 * i, 1);
    canvas.PrintAt(QStringLiteral("5教科"), 10 + 5 * n, 1);

    for (int c = 1; c <= classes; ++c) {
        canvas.PrintAt(u' ' + gd.classLabel(c) + QStringLiteral("組"), 0, 3 * c - 1);
        printGroup(canvas, gd, c, 3 * c - 1, n);
    }
    const int C = classes;
    canvas.PrintAt(QStringLiteral("学年"), 0, 3 * C + 2);
    printGroup(canvas, gd, 0, 3 * C + 2, n);

    // A maximum stands one column left of the averages above it, so that its last digit lies
    // under their units digit.
    canvas.PrintAt(QStringLiteral("最高点"), 0, 3 * C + 5);
    for (int i = 1; i <= n; ++i)
        printMaximum(canvas, gd, i, 4 + 5 * i, 3 * C + 5, 4);
    printMaximum(canvas, gd, n + 1, 9 + 5 * n, 3 * C + 5, 5);

    const double end = 5 * n + 15;
    if (withDeviation) {
        const DeviationTable table = ComputeDeviationTable(gd);
        canvas.PrintAt(QStringLiteral("標準偏差"), 0, 3 * C + 6);
        for (int i = 1; i <= n; ++i)
            PrintAverageCell(canvas, table.grade.at(i).standardDeviation(), 5 + 5 * i, 3 * C + 6, 4);
        PrintAverageCell(canvas, table.grade.at(n + 1).standardDeviation(), 10 + 5 * n, 3 * C + 6, 5);
        canvas.Line(0, 3 * C + 6.9, end, 3 * C + 6.9);
    }
    canvas.PrintAt(PrintStampText(StampWording::Plain, ReportClockNow()), 1, withDeviation ? 3 * C + 8 : 3 * C + 7);

    canvas.Line(0, 0.9, end, 0.9);
    for (int k = 0; k <= C + 1; ++k)
        canvas.Line(0, 3 * k + 1.9, end, 3 * k + 1.9);
    canvas.Line(0, 3 * C + 5.9, end, 3 * C + 5.9);
}

int PrintAverage(PageCanvas& printer, const GradeData& gd, bool withDeviation)
{
    PrintRun run(printer, gd);
    run.startSheet();
    DrawAveragePage(printer, gd, withDeviation);
    run.finish();
    return run.sheets();
}

} // namespace seiran
