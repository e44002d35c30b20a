#include "DeviationReport.h"

#include "GradeData.h"
#include "Helpers.h"
#include "PageCanvas.h"
#include "RawScoreReport.h"
#include "ReportCommon.h"

#include <algorithm>
#include <cmath>

namespace seiran {

namespace {
constexpr int ValueWidth = 6;
// Footer rows under the last pupil: class mean, grade mean, grade deviation, grade count, and
// the stamp two rows under the last of them.
constexpr int FooterRows = 4;
constexpr int StampGap = 2;

int subjectCountOf(const GradeData& gd)
{
    return std::clamp(gd.currentTestSubjectCount(), 0, Limits::TestSubjects);
}

int classCountOf(const GradeData& gd)
{
    return std::clamp(gd.classCount, 0, Limits::Classes);
}

double columnX(int column, int n)
{
    return column == n + 1 ? DeviationTotalX : DeviationColumnX(column);
}

bool validScore(int score)
{
    return score >= 0;
}

// A score or a mark, six columns wide at its column.
void printScore(PageCanvas& canvas, double x, double y, int value)
{
    if (value == ScoreCode::NotEntered)
        canvas.PrintAt(QStringLiteral("    －"), x, y);
    else if (value < 0)
        canvas.PrintAt(QStringLiteral("    欠"), x, y);
    else
        PrintRightAligned(canvas, x, y, ValueWidth, QStringLiteral("####0"), value);
}

void printDeviation(PageCanvas& canvas, double x, double y, int value, const DeviationStats& stats)
{
    if (value == ScoreCode::NotEntered) {
        canvas.PrintAt(QStringLiteral("    －"), x, y);
        return;
    }
    if (value < 0) {
        canvas.PrintAt(QStringLiteral("    欠"), x, y);
        return;
    }
    if (const std::optional<double> d = stats.deviationValue(value))
        PrintRightAligned(canvas, x, y, ValueWidth, QStringLiteral("##0.0"), *d);
}

void printOptional(PageCanvas& canvas, double x, double y, const std::optional<double>& value)
{
    if (value) PrintRightAligned(canvas, x, y, ValueWidth, QStringLiteral("##0.0"), *value);
}

void printHeadings(PageCanvas& canvas, const GradeData& gd, int n, const QString& title)
{
    canvas.SetCurrentX(0);
    canvas.SetCurrentY(0);
    canvas.PrintLine(title);
    canvas.PrintAt(QStringLiteral("No.氏名"), 0, 1);
    for (int j = 1; j <= n; ++j)
        canvas.PrintAt(gd.subjectNames[j].trimmed(), DeviationColumnX(j), 1);
    canvas.PrintAt(QStringLiteral("5教科"), DeviationTotalX, 1);
    canvas.Line(0, 0.9, DeviationRuleEnd(n), 0.9);
}

int classSizeOf(const GradeData& gd, int classNo)
{
    return RawScoreClassSize(gd, classNo);
}
} // namespace

void DeviationStats::add(int score)
{
    if (!validScore(score)) return;
    ++n;
    s += score;
    q += qint64(score) * score;
}

std::optional<double> DeviationStats::mean() const
{
    if (n == 0) return std::nullopt;
    return double(s) / double(n);
}

std::optional<double> DeviationStats::standardDeviation() const
{
    if (n == 0) return std::nullopt;
    return std::sqrt(double(n * q - s * s)) / double(n);
}

std::optional<double> DeviationStats::deviationValue(int score) const
{
    if (!validScore(score) || n == 0) return std::nullopt;
    const qint64 spread = n * q - s * s;
    if (spread <= 0) return 50.0;
    return 50.0 + 10.0 * double(n * qint64(score) - s) / std::sqrt(double(spread));
}

DeviationTable ComputeDeviationTable(const GradeData& gd)
{
    DeviationTable table;
    const int n = subjectCountOf(gd);
    const int classes = classCountOf(gd);
    table.subjectCount = n;
    table.grade = QList<DeviationStats>(n + 2);
    table.classes = QList<QList<DeviationStats>>(classes + 1, QList<DeviationStats>(n + 2));
    for (int c = 1; c <= classes; ++c) {
        const int first = gd.classStart[c];
        for (int k = 0; k < classSizeOf(gd, c); ++k) {
            const int s = first + k;
            for (int j = 1; j <= n + 1; ++j) {
                table.grade[j].add(gd.scores(j, s));
                table.classes[c][j].add(gd.scores(j, s));
            }
        }
    }
    return table;
}

QString DeviationText(double value)
{
    return FormatRightAligned(QStringLiteral("##0.0"), value).trimmed();
}

int DeviationColumnX(int subject)
{
    return subject <= 5 ? 18 + 6 * subject : 24 + 6 * subject;
}

int DeviationRuleEnd(int subjectCount)
{
    return 30 + 6 * std::max(subjectCount, 5);
}

double DeviationPageDepth(int pupils)
{
    return 2 + 2 * std::max(0, pupils) + FooterRows + StampGap + 1;
}

QList<DeviationSheet> PlanDeviationSheets(int classSize, double depth)
{
    const int size = std::max(0, classSize);
    const int perSheet = (int(std::floor(depth)) - 2) / 2;
    if (perSheet < 1 || DeviationPageDepth(size) <= depth) return {DeviationSheet{1, size, true}};
    QList<DeviationSheet> sheets;
    for (int first = 1; first <= size; first += perSheet)
        sheets.append(DeviationSheet{first, std::min(size, first + perSheet - 1), false});
    DeviationSheet& last = sheets.last();
    if (DeviationPageDepth(last.last - last.first + 1) <= depth)
        last.footer = true;
    else
        sheets.append(DeviationSheet{size + 1, size, true});
    return sheets;
}

void DrawDeviationSheet(PageCanvas& canvas, const GradeData& gd, const DeviationTable& table, int classNo,
                        const DeviationSheet& sheet)
{
    if (classNo < 1 || classNo > classCountOf(gd) || classNo >= table.classes.size()) return;
    const int n = table.subjectCount;
    const double ruleEnd = DeviationRuleEnd(n);
    printHeadings(canvas, gd, n,
                  QStringLiteral("偏差値一覧表     ") + CurrentTestName(gd) + QStringLiteral("      ") + u' ' +
                      QString::number(gd.currentGrade) + u' ' + QStringLiteral("年 ") + gd.classLabel(classNo) +
                      QStringLiteral(" 組"));

    const int first = std::max(1, sheet.first);
    const int last = std::min(sheet.last, classSizeOf(gd, classNo));
    int k = 0;
    for (int p = first; p <= last; ++p) {
        ++k;
        const int s = gd.classStart[classNo] + p - 1;
        const int scoreRow = 2 * k;
        const int deviationRow = 2 * k + 1;
        PrintRightAligned(canvas, 0, scoreRow, 2, QStringLiteral("##"), gd.studentNumber[s]);
        canvas.SetCurrentX(3);
        canvas.SetCurrentY(scoreRow);
        PrintFitted(canvas, gd.studentName[s], 17);
        canvas.PrintAt(QStringLiteral("得点"), 17, scoreRow);
        canvas.PrintAt(QStringLiteral("偏差値"), 17, deviationRow);
        for (int j = 1; j <= n + 1; ++j) {
            const int value = gd.scores(j, s);
            printScore(canvas, columnX(j, n), scoreRow, value);
            printDeviation(canvas, columnX(j, n), deviationRow, value, table.grade.at(j));
        }
        canvas.Line(0, deviationRow + 0.9, ruleEnd, deviationRow + 0.9);
    }
    if (!sheet.footer) return;

    const int top = 2 * k + 2;
    canvas.PrintAt(QStringLiteral("クラス平均"), 0, top);
    canvas.PrintAt(QStringLiteral("学年平均"), 0, top + 1);
    canvas.PrintAt(QStringLiteral("学年標準偏差"), 0, top + 2);
    canvas.PrintAt(QStringLiteral("学年人数"), 0, top + 3);
    for (int j = 1; j <= n + 1; ++j) {
        const double x = columnX(j, n);
        const DeviationStats& grade = table.grade.at(j);
        printOptional(canvas, x, top, table.classes.at(classNo).at(j).mean());
        printOptional(canvas, x, top + 1, grade.mean());
        printOptional(canvas, x, top + 2, grade.standardDeviation());
        PrintRightAligned(canvas, x, top + 3, ValueWidth, QStringLiteral("###0"), double(grade.n));
    }
    canvas.Line(0, top + 3.9, ruleEnd, top + 3.9);
    canvas.PrintAt(PrintStampText(StampWording::Bracketed, ReportClockNow()), 0, top + 3 + StampGap);
}

void DrawDeviationPage(PageCanvas& canvas, const GradeData& gd, const DeviationTable& table, int classNo)
{
    DrawDeviationSheet(canvas, gd, table, classNo, DeviationSheet{1, classSizeOf(gd, classNo), true});
}

void DrawDeviationGradeSheet(PageCanvas& canvas, const GradeData& gd, const DeviationTable& table)
{
    const int n = table.subjectCount;
    const int classes = int(table.classes.size()) - 1;
    const double ruleEnd = DeviationRuleEnd(n);
    printHeadings(canvas, gd, n,
                  QStringLiteral("偏差値一覧表（学年集計）     ") + CurrentTestName(gd) + QStringLiteral("       ") +
                      QString::number(gd.currentGrade) + QStringLiteral(" 年"));
    const auto block = [&](int top, const QString& label, const QList<DeviationStats>& stats) {
        canvas.PrintAt(label, 0, top);
        canvas.PrintAt(QStringLiteral("人数"), 6, top);
        canvas.PrintAt(QStringLiteral("平均"), 6, top + 1);
        canvas.PrintAt(QStringLiteral("標準偏差"), 6, top + 2);
        for (int j = 1; j <= n + 1; ++j) {
            const double x = columnX(j, n);
            PrintRightAligned(canvas, x, top, ValueWidth, QStringLiteral("###0"), double(stats.at(j).n));
            printOptional(canvas, x, top + 1, stats.at(j).mean());
            printOptional(canvas, x, top + 2, stats.at(j).standardDeviation());
        }
    };
    for (int c = 1; c <= classes; ++c)
        block(3 * c - 1, u' ' + gd.classLabel(c) + QStringLiteral("組"), table.classes.at(c));
    block(3 * classes + 2, QStringLiteral("学年"), table.grade);
    for (int k = 0; k <= classes + 1; ++k)
        canvas.Line(0, 3 * k + 1.9, ruleEnd, 3 * k + 1.9);
    canvas.PrintAt(PrintStampText(StampWording::Plain, ReportClockNow()), 0, 3 * classes + 6);
}

int PrintDeviationReport(PageCanvas& printer, const GradeData& gd, const QList<int>& classes, bool withGrade)
{
    const DeviationTable table = ComputeDeviationTable(gd);
    const double depth = printer.ScaleHeight() - gd.printMarginTop;
    PrintRun run(printer, gd);
    for (int c : classes) {
        if (c < 1 || c > classCountOf(gd)) continue;
        for (const DeviationSheet& sheet : PlanDeviationSheets(classSizeOf(gd, c), depth)) {
            run.startSheet();
            DrawDeviationSheet(printer, gd, table, c, sheet);
        }
    }
    if (withGrade) {
        run.startSheet();
        DrawDeviationGradeSheet(printer, gd, table);
    }
    run.finish();
    return run.sheets();
}

QList<QStringList> DeviationCsvRows(const GradeData& gd, const DeviationTable& table)
{
    const int n = table.subjectCount;
    QStringList header{QStringLiteral("組"), QStringLiteral("番"), QStringLiteral("氏名")};
    for (int j = 1; j <= n + 1; ++j) {
        const QString name = j <= n ? gd.subjectNames[j].trimmed() : QStringLiteral("5教科");
        header << name << name + QStringLiteral("偏差値");
    }
    QList<QStringList> rows{header};
    const int classes = int(table.classes.size()) - 1;
    for (int c = 1; c <= classes; ++c) {
        for (int k = 0; k < classSizeOf(gd, c); ++k) {
            const int s = gd.classStart[c] + k;
            QStringList row{gd.classLabel(c), QString::number(gd.studentNumber[s]), gd.studentName[s].trimmed()};
            for (int j = 1; j <= n + 1; ++j) {
                const int value = gd.scores(j, s);
                row << (value >= 0                       ? QString::number(value)
                        : value == ScoreCode::NotEntered ? QString()
                                                         : QStringLiteral("欠"));
                const std::optional<double> d = table.grade.at(j).deviationValue(value);
                row << (d ? DeviationText(*d) : QString());
            }
            rows << row;
        }
    }
    const auto summary = [&](const QString& label, const QList<DeviationStats>& stats) {
        const QStringList names{QStringLiteral("人数"), QStringLiteral("平均"), QStringLiteral("標準偏差")};
        for (int line = 0; line < 3; ++line) {
            QStringList row{label, QString(), names.at(line)};
            for (int j = 1; j <= n + 1; ++j) {
                const DeviationStats& st = stats.at(j);
                const std::optional<double> v = line == 1 ? st.mean() : st.standardDeviation();
                row << (line == 0 ? QString::number(st.n) : v ? DeviationText(*v) : QString()) << QString();
            }
            rows << row;
        }
    };
    for (int c = 1; c <= classes; ++c)
        summary(gd.classLabel(c) + QStringLiteral("組"), table.classes.at(c));
    summary(QStringLiteral("学年"), table.grade);
    return rows;
}

} // namespace seiran
