#include "ReportCards.h"

#include "GradeData.h"
#include "PageCanvas.h"
#include "ReportCommon.h"
#include "TestSeries.h"

#include <QHash>
#include <QMarginsF>
#include <QPageSize>
#include <array>
#include <bit>

namespace seiran {

namespace {

// Test report card: columns of the table and the total graph.
constexpr double TestCardWidth = 50.0;
constexpr double TestCardTotalX = 44.0;
constexpr double TestCardGraphLeft = 56.5;

// Notification card: the base row under the name line and the table's columns.
constexpr double NoticeBaseRow = 4.5;
constexpr double NoticeWidth = 70.0;
constexpr double NoticeTotalX = 61.0;
constexpr double NoticeGraphRows = 12.0;

QString pupilName(const TestSeries& series, int pupil)
{
    return series.pupils.at(pupil).name;
}

// The cards measure through the canvas, which shapes each (font, text) once a run: a grade's
// cards repeat the same averages, scores and labels hundreds of times.
class TextWidths
{
public:
    explicit TextWidths(PageCanvas& canvas) : canvas(canvas) {}
    double operator()(const QString& text) const { return canvas.TextWidth(text); }
    PageCanvas& canvas;
};

void printCentred(TextWidths& widths, const QString& text, double cellX, double cellWidth, double y)
{
    if (text.isEmpty()) return;
    widths.canvas.PrintAt(text, cellX + (cellWidth - widths(text)) / 2.0, y);
}

QString totalText(const SeriesTotal& total)
{
    switch (total.missing) {
    case MissingReason::None:
        return QString::number(total.value);
    case MissingReason::Absent:
        return QStringLiteral("欠");
    case MissingReason::NotEntered:
        break;
    }
    return QStringLiteral("－");
}

// The value a graph plots for quantity q of test position k: q = 0 the total, else subject q.
std::optional<int> pupilValue(const TestSeries& series, int pupil, int k, int q)
{
    const SeriesPupil& p = series.pupils.at(pupil);
    if (q == 0) return p.total(k).present() ? std::optional<int>(p.total(k).value) : std::nullopt;
    if (q > series.subjectCount(k)) return std::nullopt;
    const int v = p.score(k, q);
    return v >= 0 ? std::optional<int>(v) : std::nullopt;
}

std::optional<double> gradeValue(const TestSeries& series, int k, int q)
{
    return q == 0 ? series.totalAverage(k) : series.average(k, q);
}

// Joins the points in order with lines (a missing point is bridged).
void joinPoints(PageCanvas& canvas, const QList<QPointF>& points)
{
    for (int i = 1; i < points.size(); ++i)
        canvas.Line(points.at(i - 1).x(), points.at(i - 1).y(), points.at(i).x(), points.at(i).y());
}

void fiveDottedRules(PageCanvas& canvas, double left, double top, double width)
{
    canvas.SetDrawStyle(LinePattern::Dot);
    for (int i = 1; i <= 4; ++i)
        canvas.Line(left, top + i, left + width, top + i);
    canvas.SetDrawStyle(LinePattern::Solid);
}

void scaleLabels(TextWidths& widths, int scale, double right, double y)
{
    for (int m = 1; m <= 5; ++m) {
        const QString text = QString::number(scale * m / 5);
        widths.canvas.PrintAt(text, right - widths(text), y + 6.1 - m);
    }
}

// Pupils by seat (class, number) so that a print run walks the seats in order.
QList<int> pupilsBySeat(const TestSeries& series)
{
    QList<int> bySeat(CardPupils::seat(9, 60) + 1, -1);
    for (int i = 0; i < series.pupils.size(); ++i) {
        const SeriesPupil& p = series.pupils.at(i);
        if (p.classNo >= 1 && p.classNo <= 9 && p.number >= 1 && p.number <= 60)
            bySeat[CardPupils::seat(p.classNo, p.number)] = i;
    }
    return bySeat;
}

void report(const CardProgress& progress, int percent)
{
    if (progress) progress(percent);
}

QString tooManyTests(int fitting)
{
    if (fitting < 1) return QStringLiteral("この用紙には成績表が収まりません。");
    return QStringLiteral("選んだテストが多すぎて用紙に収まりません（この用紙では%1テストまでです）。").arg(fitting);
}

} // namespace

QPageLayout NotificationCardPaperLayout()
{
    return PrintableAreaPaperLayout(QPageLayout::Portrait, QPageSize::JisB5);
}

QString CardScoreText(int value)
{
    switch (ScoreMissingReason(value)) {
    case MissingReason::None:
        return QString::number(value);
    case MissingReason::Absent:
        return QStringLiteral("欠");
    case MissingReason::NotEntered:
        break;
    }
    return QStringLiteral("－");
}

QString CardAverageText(const std::optional<double>& value)
{
    if (!value) return QStringLiteral("－");
    // Every card of a grade prints the same few averages: each is formatted once.
    thread_local QHash<quint64, QString> formatted;
    const quint64 key = std::bit_cast<quint64>(*value);
    if (const auto it = formatted.constFind(key); it != formatted.cend()) return *it;
    if (formatted.size() >= 4096) formatted.clear();
    return *formatted.insert(key, RightAlignedNumber(QStringLiteral("##0.0"), *value, 0));
}

QString CircledNumber(int n)
{
    if (n < 1 || n > 20) return QString();
    return QString(QChar(0x2460 + n - 1));
}

// --- Test report card ---

int TestCardBlockHeight(int tests, bool graph)
{
    return graph && tests <= 3 ? 8 : 2 * tests + 2;
}

int TestCardGraphScale(const TestSeries& series)
{
    QList<int> all;
    for (int k = 0; k < series.testCount(); ++k)
        all.append(k);
    const auto highest = series.highestTotalAverage(all);
    return highest && *highest > 250.0 ? 500 : 250;
}

namespace {
void drawTestCardBlock(TextWidths& widths, const GradeData& gd, const TestSeries& series, int pupil, double y,
                       bool graph, int scale)
{
    PageCanvas& canvas = widths.canvas;
    const SeriesPupil& p = series.pupils.at(pupil);
    const int n = series.testCount();

    canvas.SetFontName(gd.fontGothic);
    canvas.SetCurrentX(2);
    canvas.SetCurrentY(y);
    canvas.PrintLine(QString::number(gd.currentGrade) + QStringLiteral("年") + gd.classLabel(p.classNo) +
                     QStringLiteral("組") + QString::number(p.number) + QStringLiteral("番  ") +
                     pupilName(series, pupil));
    canvas.SetFontName(gd.fontMincho);

    canvas.PrintAt(QStringLiteral("テスト名"), 1, y + 1);
    for (int j = 1; j <= TestSeries::MainSubjects; ++j)
        canvas.PrintAt(gd.subjectNames[j], 15 + 5 * j, y + 1);
    canvas.PrintAt(QStringLiteral("合計"), 45.5, y + 1);

    for (int k = 1; k <= n; ++k) {
        const int pos = k - 1;
        const double row = y + 2 * k;
        canvas.PrintAt(gd.testNames[series.tests.at(pos)], 1, row + 0.5);
        for (int j = 1; j <= series.subjectCount(pos); ++j) {
            printCentred(widths, CardScoreText(p.score(pos, j)), 14 + 5 * j, 5, row);
            printCentred(widths, CardAverageText(series.average(pos, j)), 14 + 5 * j, 5, row + 1);
        }
        printCentred(widths, totalText(p.total(pos)), TestCardTotalX, 6, row);
        printCentred(widths, CardAverageText(series.totalAverage(pos)), TestCardTotalX, 6, row + 1);
    }

    // The frame, a rule above each test and the column rules.
    const double depth = 2 * n + 1;
    canvas.LineStep(0, y + 0.9, TestCardWidth, 0);
    canvas.LineStepTo(0, depth);
    canvas.LineStepTo(-TestCardWidth, 0);
    canvas.LineStepTo(0, -depth);
    for (int k = 1; k <= n; ++k)
        canvas.Line(0, y + 2 * k - 0.1, TestCardWidth, y + 2 * k - 0.1);
    for (int j = 1; j <= 6; ++j)
        canvas.LineStep(14 + 5 * j, y + 0.9, 0, depth);

    if (!graph) return;
    auto pointY = [&](double v) { return (y + 6.5) - 5.0 * v / scale; };
    QList<QPointF> pupilPoints;
    QList<QPointF> gradePoints;
    for (int k = 1; k <= n; ++k) {
        if (p.total(k - 1).present()) pupilPoints.append(QPointF(3 * k + 55, pointY(p.total(k - 1).value)));
        if (const auto a = series.totalAverage(k - 1)) gradePoints.append(QPointF(3 * k + 55, pointY(*a)));
    }
    canvas.SetDrawWidth(2);
    joinPoints(canvas, pupilPoints);
    canvas.SetFillStyle(FillPattern::Solid);
    canvas.SetFillColor(Qt::white);
    for (const QPointF& pt : pupilPoints)
        canvas.Circle(pt.x(), pt.y(), 0.4);
    canvas.SetFillStyle(FillPattern::Transparent);
    canvas.SetDrawWidth(1);
    joinPoints(canvas, gradePoints);

    canvas.LineStep(TestCardGraphLeft, y + 1.5, 3 * n, 5, LineShape::Box);
    fiveDottedRules(canvas, TestCardGraphLeft, y + 1.5, 3 * n);
    scaleLabels(widths, scale, 56, y);
}
} // namespace

void DrawTestCardBlock(PageCanvas& canvas, const GradeData& gd, const TestSeries& series, int pupil, double y,
                       bool graph, int scale)
{
    TextWidths widths(canvas);
    drawTestCardBlock(widths, gd, series, pupil, y, graph, scale);
}

QString TestCardFitProblem(QSizeF sheet, int tests, bool graph)
{
    auto fits = [&](int n) {
        if (1 + TestCardBlockHeight(n, graph) > sheet.height()) return false;
        return !graph || TestCardGraphLeft + 3 * n <= sheet.width();
    };
    if (sheet.width() < TestCardWidth) return tooManyTests(0);
    if (fits(tests)) return QString();
    int fitting = 0;
    while (fitting < tests && fits(fitting + 1))
        ++fitting;
    return tooManyTests(fitting);
}

int PrintTestCards(PageCanvas& printer, const GradeData& gd, const TestSeries& series, const CardPupils& pupils,
                   bool graph, const CardProgress& progress)
{
    const int n = series.testCount();
    if (n == 0 || gd.classCount < 1 || gd.classCount > Limits::Classes) return 0;
    if (!TestCardFitProblem(QSizeF(printer.ScaleWidth(), printer.ScaleHeight()), n, graph).isEmpty()) return 0;
    const int h = TestCardBlockHeight(n, graph);
    const int scale = TestCardGraphScale(series);
    const QList<int> bySeat = pupilsBySeat(series);
    TextWidths widths(printer);

    int sheets = 0;
    double y = -1;
    for (int c = 1; c <= gd.classCount; ++c) {
        if (!pupils.chosenOnly && !pupils.classes.contains(c)) continue;
        for (int a = 1; a <= 60; ++a) {
            report(progress, ((c - 1) * 60 + a - 1) * 100 / 60 / gd.classCount);
            const int pupil = bySeat.at(CardPupils::seat(c, a));
            if (pupil < 0) continue;
            if (pupils.chosenOnly && !pupils.chosen.contains(CardPupils::seat(c, a))) continue;
            // A sheet is started only for a block that is drawn on it: no blank sheets.
            if (sheets == 0 || y < 0 || y + h > printer.ScaleHeight()) {
                if (sheets > 0) printer.NewPage();
                ++sheets;
                printer.SetCharacterCells();
                y = 1;
            }
            drawTestCardBlock(widths, gd, series, pupil, y, graph, scale);
            y += h + 2;
        }
        y = -1; // the next class begins on a new sheet
    }
    if (sheets > 0) printer.EndDoc();
    report(progress, 0);
    return sheets;
}

// --- Notification card ---

int NotificationGraphScale(const TestSeries& series, const QList<int>& graphed)
{
    const auto highest = series.highestScore(graphed);
    return highest && *highest > 50 ? 100 : 50;
}

double NotificationGraphStep(int printedTests)
{
    return printedTests > 7 ? 21.0 / printedTests : 3.0;
}

namespace {
void drawNotificationSheet(TextWidths& widths, const GradeData& gd, const TestSeries& series, int pupil,
                           const QList<int>& graphed, int scale)
{
    PageCanvas& canvas = widths.canvas;
    const SeriesPupil& p = series.pupils.at(pupil);
    const int n = series.testCount();
    const double size = canvas.FontSize();

    canvas.SetFontName(gd.fontGothic);
    canvas.SetFontSize(17);
    canvas.SetCurrentX(2);
    canvas.SetCurrentY(1);
    canvas.PrintLine(QStringLiteral("テスト成績一覧表"));
    canvas.SetFontSize(size);

    canvas.SetFontName(gd.fontMincho);
    canvas.SetFontSize(size * 1.3);
    canvas.SetCurrentX(2);
    canvas.SetCurrentY(4);
    canvas.PrintLine(QString::number(gd.currentGrade) + QStringLiteral(" 年 ") + gd.classLabel(p.classNo) +
                     QStringLiteral(" 組 ") + QString::number(p.number) + QStringLiteral(" 番  ") +
                     pupilName(series, pupil));
    canvas.SetFontSize(size);

    double base = NoticeBaseRow;
    canvas.PrintAt(QStringLiteral("テスト名"), 1, base + 1);
    for (int j = 1; j <= TestSeries::MainSubjects; ++j)
        canvas.PrintAt(gd.subjectNames[j], 21 + 7 * j, base + 1);
    canvas.PrintAt(QStringLiteral("合計"), 64, base + 1);

    // The Mincho texts of the table first, then the pupil's scores in Gothic: a font change
    // costs more on paper than the text itself.
    for (int k = 1; k <= n; ++k) {
        const int pos = k - 1;
        const double row = base + 2 * k;
        const QString circled = CircledNumber(int(graphed.indexOf(pos)) + 1);
        const QString label = circled.isEmpty() ? QString() : circled + u' ';
        canvas.PrintAt(label + gd.testNames[series.tests.at(pos)], 1, row + 0.5);
        canvas.PrintAt(QStringLiteral("点数"), 21, row);
        canvas.PrintAt(QStringLiteral("平均"), 21, row + 1);
        for (int j = 1; j <= series.subjectCount(pos); ++j)
            printCentred(widths, CardAverageText(series.average(pos, j)), 19 + 7 * j, 7, row + 1);
        printCentred(widths, CardAverageText(series.totalAverage(pos)), NoticeTotalX, 9, row + 1);
    }
    canvas.SetFontName(gd.fontGothic);
    for (int k = 1; k <= n; ++k) {
        const int pos = k - 1;
        const double row = base + 2 * k;
        for (int j = 1; j <= series.subjectCount(pos); ++j)
            printCentred(widths, CardScoreText(p.score(pos, j)), 19 + 7 * j, 7, row);
        printCentred(widths, totalText(p.total(pos)), NoticeTotalX, 9, row);
    }
    canvas.SetFontName(gd.fontMincho);

    const double bottom = base + 2 * n + 1.9;
    canvas.Line(0, base + 0.9, NoticeWidth, bottom, LineShape::Box);
    for (int k = 1; k <= n; ++k) {
        canvas.Line(0, base + 2 * k - 0.1, NoticeWidth, base + 2 * k - 0.1);
        canvas.Line(19, base + 2 * k + 0.9, NoticeWidth, base + 2 * k + 0.9);
    }
    for (int j = 0; j <= 6; ++j)
        canvas.Line(19 + 7 * j, base + 0.9, 19 + 7 * j, bottom);

    const int g = int(graphed.size());
    if (g == 0) return;
    base += 2 * n + 2;
    const double step = NotificationGraphStep(n);
    const double width = g * step;
    for (int q = 0; q <= 5; ++q) {
        const double x0 = (q % 3) * (5 + width);
        const double y0 = base + 6 * (q / 3);
        const int qScale = q == 0 ? 5 * scale : scale;
        canvas.PrintAt(q == 0 ? QStringLiteral("５教科合計") : gd.subjectNames[q], x0 + 7, y0 + 0.6);
        canvas.LineStep(x0 + 6.5, y0 + 1.5, width, 0);
        canvas.LineStepTo(0, 5);
        canvas.LineStepTo(-width, 0);
        canvas.LineStepTo(0, -5);
        fiveDottedRules(canvas, x0 + 6.5, y0 + 1.5, width);
        scaleLabels(widths, qScale, x0 + 6, y0);

        auto pointY = [&](double v) { return (y0 + 6.5) - 5.0 * v / qScale; };
        QList<QPointF> pupilPoints;
        QList<int> pointLabels;
        QList<QPointF> gradePoints;
        for (int i = 1; i <= g; ++i) {
            const int pos = graphed.at(i - 1);
            const double x = x0 + 5 + i * step;
            if (const auto v = pupilValue(series, pupil, pos, q)) {
                pupilPoints.append(QPointF(x, pointY(*v)));
                pointLabels.append(i);
            }
            if (const auto a = gradeValue(series, pos, q)) gradePoints.append(QPointF(x, pointY(*a)));
        }
        canvas.SetDrawWidth(2);
        joinPoints(canvas, pupilPoints);
        canvas.SetFillStyle(FillPattern::Solid);
        canvas.SetFillColor(Qt::white);
        for (const QPointF& pt : pupilPoints)
            canvas.Circle(pt.x(), pt.y(), 0.5);
        // The graph numbers in the circles, all in one small font.
        canvas.SetFontSize(size * 0.7);
        const double half = canvas.TextHeight() / 2.0;
        for (int i = 0; i < pupilPoints.size(); ++i) {
            const QPointF pt = pupilPoints.at(i);
            const QString number = QString::number(pointLabels.at(i));
            canvas.PrintAt(number, pt.x() - widths(number) / 2.0, pt.y() - half);
        }
        canvas.SetFontSize(size);
        canvas.SetFillStyle(FillPattern::Transparent);
        canvas.SetDrawWidth(1);
        joinPoints(canvas, gradePoints);
    }
}
} // namespace

void DrawNotificationSheet(PageCanvas& canvas, const GradeData& gd, const TestSeries& series, int pupil,
                           const QList<int>& graphed, int scale)
{
    TextWidths widths(canvas);
    drawNotificationSheet(widths, gd, series, pupil, graphed, scale);
}

namespace {
double noticeGraphWidth(int tests, int graphed)
{
    if (graphed < 1) return 0;
    const double width = graphed * NotificationGraphStep(tests);
    return 2 * (5 + width) + 6.5 + width;
}
} // namespace

QString NotificationCardFitProblem(QSizeF sheet, int tests, int graphed)
{
    auto fits = [&](int n) {
        const int g = qMin(graphed, n);
        const double depth = NoticeBaseRow + 2 * n + 2 + (g > 0 ? NoticeGraphRows : 0);
        return depth <= sheet.height() && noticeGraphWidth(n, g) <= sheet.width();
    };
    if (sheet.width() < NoticeWidth) return tooManyTests(0);
    if (fits(tests)) return QString();
    int fitting = 0;
    while (fitting < tests && fits(fitting + 1))
        ++fitting;
    return tooManyTests(fitting);
}

void SplitNotificationRows(const QList<NotificationTestRow>& rows, QList<int>& tests, QList<int>& graphed)
{
    tests.clear();
    graphed.clear();
    for (const NotificationTestRow& row : rows) {
        if (!row.print) continue;
        if (row.graph) graphed.append(int(tests.size()));
        tests.append(row.test);
    }
}

int PrintNotificationCards(PageCanvas& printer, const GradeData& gd, const TestSeries& series,
                           const QList<int>& graphed, const CardPupils& pupils, const CardProgress& progress)
{
    printer.SetPaperSize(QPageSize::JisB5);
    printer.SetOrientation(QPageLayout::Portrait);
    const int n = series.testCount();
    if (n == 0 || gd.classCount < 1 || gd.classCount > Limits::Classes) return 0;
    if (!NotificationCardFitProblem(QSizeF(printer.ScaleWidth(), printer.ScaleHeight()), n, int(graphed.size()))
             .isEmpty())
        return 0;
    const int scale = NotificationGraphScale(series, graphed);
    const QList<int> bySeat = pupilsBySeat(series);
    TextWidths widths(printer);

    int sheets = 0;
    for (int c = 1; c <= gd.classCount; ++c) {
        if (!pupils.chosenOnly && !pupils.classes.contains(c)) continue;
        for (int a = 1; a <= 60; ++a) {
            report(progress, ((c - 1) * 60 + a - 1) * 100 / 60 / gd.classCount);
            const int pupil = bySeat.at(CardPupils::seat(c, a));
            if (pupil < 0) continue;
            if (pupils.chosenOnly && !pupils.chosen.contains(CardPupils::seat(c, a))) continue;
            if (sheets > 0) printer.NewPage();
            ++sheets;
            printer.SetCharacterCells();
            drawNotificationSheet(widths, gd, series, pupil, graphed, scale);
        }
    }
    if (sheets > 0) printer.EndDoc();
    report(progress, 0);
    return sheets;
}

} // namespace seiran
