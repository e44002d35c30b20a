#pragma once

#include <QList>
#include <QStringList>
#include <optional>

namespace seiran {

class PageCanvas;
struct GradeData;

// Counts of one column over a group of pupils, kept as integers so that a perfect square stays
// exact: N valid scores (>= 0), S their sum and Q the sum of their squares. A year group is the
// whole population: the deviation is the population standard deviation.
struct DeviationStats
{
    qint64 n = 0;
    qint64 s = 0;
    qint64 q = 0;

    void add(int score);
    std::optional<double> mean() const;
    // √(N·Q − S²) / N; none without a score.
    std::optional<double> standardDeviation() const;
    // 50 + 10 (N·x − S) / √(N·Q − S²); 50 when every score is the same; none for a score that
    // is not valid (absent, bracketed, not entered) or a group without scores.
    std::optional<double> deviationValue(int score) const;
};

// The statistics of the current test (scores and totals loaded and aggregated): columns 1..n
// the subjects, n + 1 the five-subject total; the grade's and each class's.
struct DeviationTable
{
    int subjectCount = 0;
    QList<DeviationStats> grade;          // index = column (0 unused)
    QList<QList<DeviationStats>> classes; // [class][column], class 0 unused

    const DeviationStats& of(int classNo, int column) const
    {
        return classNo == 0 ? grade.at(column) : classes.at(classNo).at(column);
    }
};
DeviationTable ComputeDeviationTable(const GradeData& gd);

// "##0.0" as the averages table prints it (halves away from zero), blanks trimmed: 38.75 -> "38.8".
QString DeviationText(double value);

// Column of subject j (1..n) on the sheets: subjects 1..5 before the total, the rest after it.
int DeviationColumnX(int subject);
inline constexpr int DeviationTotalX = 54;
int DeviationRuleEnd(int subjectCount);

// The part of a class's table one sheet holds: pupils first..last of the class and, when
// `footer` is set, the averages, the grade's deviation and count, and the stamp.
struct DeviationSheet
{
    int first = 1;
    int last = 0;
    bool footer = true;

    bool operator==(const DeviationSheet&) const = default;
};
// The sheets of a class when `depth` rows fit below a sheet's origin: ⌊(⌊depth⌋ − 2) / 2⌋ pupils
// a sheet, the footer on the last sheet or on one of its own when it does not fit there; an
// empty class one sheet.
QList<DeviationSheet> PlanDeviationSheets(int classSize, double depth);

// 偏差値一覧表 of one sheet of a class: each pupil's scores and, under them, the 偏差値 against
// the grade.
void DrawDeviationSheet(PageCanvas& canvas, const GradeData& gd, const DeviationTable& table, int classNo,
                        const DeviationSheet& sheet);
// The whole class on one page (the preview).
void DrawDeviationPage(PageCanvas& canvas, const GradeData& gd, const DeviationTable& table, int classNo);
// Rows a whole class takes on the preview.
double DeviationPageDepth(int pupils);
// 学年集計: each class's and the grade's count, mean and standard deviation per column.
void DrawDeviationGradeSheet(PageCanvas& canvas, const GradeData& gd, const DeviationTable& table);

// The print run: the sheets of the given classes, then the grade sheet when `withGrade`.
// Returns the number of sheets.
int PrintDeviationReport(PageCanvas& printer, const GradeData& gd, const QList<int>& classes, bool withGrade);

// The table as CSV rows: 組, 番, 氏名, then each subject and its 偏差値, then 5教科 and its
// 偏差値; a row per pupil, then three rows (人数, 平均, 標準偏差) per class and for the grade.
QList<QStringList> DeviationCsvRows(const GradeData& gd, const DeviationTable& table);

} // namespace seiran
