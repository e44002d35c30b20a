#include "TrendReport.h"

#include "GradeData.h"
#include "Helpers.h"
#include "PageCanvas.h"
#include "TestSeries.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace seiran {

namespace {
constexpr int Graphs = 6;

void printCentredInCell(PageCanvas& canvas, const QString& text, double left, double right, double y)
{
    canvas.PrintAt(text, left + (right - left - canvas.TextWidth(text)) / 2, y);
}

QString averageText(const std::optional<double>& value)
{
    if (!value) return QStringLiteral("-");
    return FormatRightAligned(QStringLiteral("####0.0"), *value).remove(u' ');
}

// The pupil's value of graph g (0 the total, 1..5 a subject) in test k; none when missing.
std::optional<int> pupilValue(const TestSeries& series, const SeriesPupil& pupil, int k, int g)
{
    if (g == 0) {
        const SeriesTotal& total = pupil.total(k);
        if (!total.present()) return std::nullopt;
        return total.value;
    }
    if (g > series.subjectCount(k)) return std::nullopt;
    const int v = pupil.score(k, g);
    if (v < 0) return std::nullopt;
    return v;
}

std::optional<double> averageValue(const TestSeries& series, int k, int g)
{
    return g == 0 ? series.totalAverage(k) : series.average(k, g);
}

void drawTable(PageCanvas& canvas, const GradeData& gd, const TestSeries& series, const SeriesPupil& pupil, double y)
{
    const int n = series.testCount();
    canvas.PrintAt(QStringLiteral("テスト名"), 3, y + 1);
    for (int s = 1; s <= TestSeries::MainSubjects; ++s)
        printCentredInCell(canvas, gd.subjectNames[s], 11 + 5 * s, 16 + 5 * s, y + 1);
    printCentredInCell(canvas, QStringLiteral("合計"), 41, 47, y + 1);

    for (int k = 0; k < n; ++k) {
        const int t = k + 1;
        canvas.PrintAt(gd.testNames[series.tests.at(k)].trimmed(), 3, y + 2 * t + 0.5);
        // A subject the test does not have leaves its cells empty.
        for (int s = 1; s <= series.subjectCount(k); ++s) {
            const int v = pupil.score(k, s);
            printCentredInCell(canvas, v >= 0 ? QString::number(v) : QStringLiteral("-"), 11 + 5 * s, 16 + 5 * s,
                               y + 2 * t);
            printCentredInCell(canvas, averageText(series.average(k, s)), 11 + 5 * s, 16 + 5 * s, y + 2 * t + 1);
        }
        const SeriesTotal& total = pupil.total(k);
        printCentredInCell(canvas, total.present() ? QString::number(total.value) : QStringLiteral("-"), 41, 47,
                           y + 2 * t);
        printCentredInCell(canvas, averageText(series.totalAverage(k)), 41, 47, y + 2 * t + 1);
    }

    canvas.Line(2, y + 0.9, 47, y + 0.9);
    for (int t = 1; t <= n; ++t)
        canvas.Line(2, y + 2 * t + 1.9, 47, y + 2 * t + 1.9);
    for (double x : {2.0, 47.0, 16.0, 21.0, 26.0, 31.0, 36.0, 41.0})
        canvas.LineStep(x, y + 0.9, 0, 2 * n + 1);
}

void drawGraph(PageCanvas& canvas, const GradeData& gd, const TestSeries& series, const SeriesPupil& pupil, int g,
               double y, int tableRows, int scaleMaximum)
{
    const int n = series.testCount();
    const double gx = (g % 3) * (3 * n + 5);
    const double gy = y + tableRows + 6 * (g / 3);
    const double top = g == 0 ? 5.0 * scaleMaximum : double(scaleMaximum);
    auto height = [&](double v) { return gy + 6.5 - 5 * v / top; };
    auto column = [&](int k) { return gx + 3 * (k + 1) + 5; };

    for (int N = 1; N <= 5; ++N) {
        const QString label = QString::number(int(top) * N / 5);
        canvas.PrintAt(label, gx + 6 - canvas.TextWidth(label), gy + 6.1 - N);
    }

    // The pupil's line joins the tests with a score, bridging the others.
    canvas.SetDrawWidth(2);
    QList<QPointF> points;
    for (int k = 0; k < n; ++k) {
        const auto v = pupilValue(series, pupil, k, g);
        if (!v) continue;
        const QPointF p(column(k), height(*v));
        if (points.isEmpty())
            canvas.PSet(p.x(), p.y());
        else
            canvas.LineTo(p.x(), p.y());
        points.append(p);
    }
    canvas.SetFillStyle(FillPattern::Solid);
    canvas.SetFillColor(Qt::white);
    for (const QPointF& p : points)
        canvas.Circle(p.x(), p.y(), 0.4);
    canvas.SetFillStyle(FillPattern::Transparent);
    canvas.SetDrawWidth(1);

    bool first = true;
    for (int k = 0; k < n; ++k) {
        const auto a = averageValue(series, k, g);
        if (!a) continue;
        if (first)
            canvas.PSet(column(k), height(*a));
        else
            canvas.LineTo(column(k), height(*a));
        first = false;
    }

    canvas.PrintAt(g == 0 ? QStringLiteral("５教科合計") : gd.subjectNames[g], gx + 7, gy + 0.6);

    const double width = 3 * n;
    canvas.SetCurrentX(gx + 6.5);
    canvas.SetCurrentY(gy + 1.5);
    canvas.LineStepTo(width, 0);
    canvas.LineStepTo(0, 5);
    canvas.LineStepTo(-width, 0);
    canvas.LineStepTo(0, -5);
    canvas.SetDrawStyle(LinePattern::Dot);
    for (int N = 1; N <= 4; ++N)
        canvas.LineStep(gx + 6.5, gy + 1.5 + N, width, 0);
    canvas.SetDrawStyle(LinePattern::Solid);
}
} // namespace

int TrendScaleMaximum(const TestSeries& series)
{
    QList<int> all;
    for (int k = 0; k < series.testCount(); ++k)
        all.append(k);
    return series.highestScore(all).value_or(0) > 50 ? 100 : 50;
}

int TrendTableRows(int tests, bool rawScoreTable)
{
    return rawScoreTable ? 2 * tests + 2 : 1;
}

int TrendBlockHeight(int tests, bool rawScoreTable)
{
    return TrendTableRows(tests, rawScoreTable) + 14;
}

double TrendPanelRight(int tests)
{
    return 9.0 * tests + 18;
}

Result CheckTrendFits(int tests, bool rawScoreTable, const QSizeF& sheetCells)
{
    auto fits = [&](int n) {
        return TrendPanelRight(n) <= sheetCells.width() &&
               1 + TrendBlockHeight(n, rawScoreTable) <= sheetCells.height();
    };
    if (fits(tests)) return Result::success();
    int most = 0;
    while (most < Limits::Tests && fits(most + 1))
        ++most;
    return Result::failure(
        QStringLiteral("選んだテストが多すぎて用紙に収まりません（この用紙では%1テストまでです）。").arg(most));
}

void DrawTrendBlock(PageCanvas& canvas, const GradeData& gd, const TestSeries& series, int pupil, double y,
                    bool rawScoreTable, int scaleMaximum)
{
    if (pupil < 0 || pupil >= series.pupils.size()) return;
    const SeriesPupil& p = series.pupils.at(pupil);
    const int n = series.testCount();
    const int tableRows = TrendTableRows(n, rawScoreTable);

    canvas.SetFontName(gd.fontGothic);
    canvas.PrintAt(QString::number(gd.currentGrade) + QStringLiteral("年") + gd.classLabel(p.classNo) +
                       QStringLiteral("組") + QString::number(p.number) + QStringLiteral("番 ") + p.name,
                   2, y);
    canvas.SetFontName(gd.fontMincho);
    if (!rawScoreTable) {
        QStringList shortNames;
        for (int t : series.tests)
            shortNames.append(gd.testShortNames[t].trimmed());
        canvas.Print(QStringLiteral("  （ ") + shortNames.join(QStringLiteral(" , ")) + QStringLiteral(" ）"));
    } else {
        drawTable(canvas, gd, series, p, y);
    }

    for (int g = 0; g < Graphs; ++g)
        drawGraph(canvas, gd, series, p, g, y, tableRows, scaleMaximum);
    canvas.LineStep(2, y + tableRows + 0.3, 9 * n + 16, 13, LineShape::Box);
}

int PrintTrendGraphs(PageCanvas& printer, const GradeData& gd, const TestSeries& series, const TrendOptions& options,
                     const std::function<void(int)>& progress)
{
    const int n = series.testCount();
    if (n == 0) return 0;
    const int scale = TrendScaleMaximum(series);
    const int block = TrendBlockHeight(n, options.rawScoreTable);
    const int classes = std::clamp(gd.classCount, 1, Limits::Classes);
    int sheets = 0;
    double y = -1; // -1: the next block begins a sheet
    for (int k = 1; k <= classes; ++k) {
        if (!options.classes.contains(k)) continue;
        for (int r = 1; r <= Limits::NumbersPerClass; ++r) {
            if (progress) progress(((k - 1) * 60 + r - 1) * 100 / 60 / classes);
            const int pupil = series.pupilAt(k, r);
            if (pupil < 0) continue;
            // A sheet begins only when a block is about to be drawn.
            if (y < 0 || y + block > printer.ScaleHeight()) {
                if (sheets > 0) printer.NewPage();
                ++sheets;
                printer.SetCharacterCells();
                y = 1;
            }
            DrawTrendBlock(printer, gd, series, pupil, y, options.rawScoreTable, scale);
            y += block + 2;
        }
        y = -1;
    }
    if (sheets > 0) printer.EndDoc();
    if (progress) progress(0);
    return sheets;
}

} // namespace seiran
