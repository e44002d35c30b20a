#include "GraphReport.h"

#include "GradeData.h"
#include "Helpers.h"
#include "PageCanvas.h"
#include "RankReport.h"
#include "ReportCommon.h"

#include <algorithm>

namespace seiran {

namespace {
constexpr int MaxTopBand = 100;

bool validBands(int maximum, int band)
{
    return maximum >= 1 && band >= 1 && TopBand(maximum, band) <= MaxTopBand;
}

// A number as the reports print counts and the grade: a blank where a minus sign would go.
QString withSignPlace(long long value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

QString noDataLine(const GradeData& gd, int item)
{
    return gd.itemCaption[item] + QStringLiteral("　は入力されたデータがありません");
}

QString countText(int count)
{
    return FormatRightAligned(QStringLiteral("###0"), count) + QStringLiteral("人");
}

// The bands from the top one down, the top one on row `firstRow`, every position times `scale`.
void drawBands(PageCanvas& canvas, const BandCounts& counts, int maximum, int band, double x, double firstRow,
               double rightEdge, double scale)
{
    const double factor =
        BarFactor(counts.largest(), x, canvas.TextWidth(countText(counts.largest())) / scale, rightEdge);
    const int fillStyle = canvas.FillStyle();
    const QColor fillColor = canvas.FillColor();
    for (int b = counts.top; b >= 0; --b) {
        const double row = firstRow + counts.top - b;
        const QString low = BandLowLabel(b, band, maximum);
        if (!low.isEmpty()) canvas.PrintAt(low, scale * (x + 2), scale * row);
        canvas.PrintAt(BandHighLabel(b, band, maximum), scale * (x + 6), scale * row);
        canvas.SetFillStyle(FillPattern::Solid);
        canvas.Print(QStringLiteral(" "));
        canvas.SetFillStyle(FillPattern::DownwardDiagonal);
        canvas.SetFillColor(Qt::black);
        const int n = counts.counts[std::size_t(b)];
        const double length = n * factor / 2.0;
        canvas.LineStep(scale * (x + 10), scale * row, scale * length, scale * 0.8, LineShape::FilledBox);
        canvas.PrintAt(countText(n), scale * (x + 11 + length), scale * row);
    }
    canvas.SetFillStyle(fillStyle);
    canvas.SetFillColor(fillColor);
}

void drawGraph(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, int item, double x, double y,
               double rightEdge, double scale)
{
    if (item < 1 || item > gd.itemCount) return;
    const int maximum = settings.maximum(item);
    const int band = settings.band(item);
    if (!validBands(maximum, band)) return;
    const BandCounts counts = CountBands(gd, item, maximum, band);

    const double size = canvas.FontSize();
    if (scale != 1.0) canvas.SetFontSize(size * scale);
    canvas.PrintAt(QStringLiteral("教科別度数分布表    ") + withSignPlace(gd.currentGrade) + QStringLiteral("年　") +
                       CurrentTestName(gd),
                   scale * x, scale * y);
    if (counts.scored() == 0) {
        canvas.PrintAt(noDataLine(gd, item), scale * x, scale * (y + 1));
    } else {
        canvas.PrintAt(gd.itemCaption[item] + QStringLiteral(" 平均 ") +
                           FormatRightAligned(QStringLiteral("###.0"), *counts.average()) +
                           QStringLiteral("点（生徒数") + withSignPlace(counts.taking) + QStringLiteral("人　欠席") +
                           withSignPlace(counts.absent) + QStringLiteral("人）"),
                       scale * x, scale * (y + 1));
        drawBands(canvas, counts, maximum, band, x, y + 2, rightEdge, scale);
    }
    if (scale != 1.0) canvas.SetFontSize(size);
}

double rightEdgeOf(const PageCanvas& canvas)
{
    return canvas.ScaleLeft() + canvas.ScaleWidth();
}
} // namespace

Result CheckGraphSettings(const GraphSettings& settings)
{
    if (validBands(settings.totalMaximum, settings.totalBand) &&
        validBands(settings.subjectMaximum, settings.subjectBand))
        return Result::success();
    return Result::failure(QString::fromUtf16(BandSettingsProblemText));
}

int SettingValue(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 6) return 0;
    int value = 0;
    for (QChar c : t) {
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (c >= u'０' && c <= u'９')
            digit = c.unicode() - u'０';
        if (digit < 0) return 0;
        value = value * 10 + digit;
    }
    return value;
}

int TopBand(int maximum, int band)
{
    if (band < 1) return 0;
    return (maximum + 1) / band;
}

int GraphPrintRows(int maximum, int band)
{
    return band < 1 ? 0 : 5 + maximum / band;
}

int HandoutGraphRows(int maximum, int band)
{
    return band < 1 ? 0 : 3 + maximum / band;
}

std::optional<double> BandCounts::average() const
{
    if (scored() <= 0) return std::nullopt;
    return double(sum) / scored();
}

int BandCounts::largest() const
{
    return counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
}

BandCounts CountBands(const GradeData& gd, int item, int maximum, int band)
{
    BandCounts result;
    if (!validBands(maximum, band) || item < 1 || item > gd.itemCount) return result;
    result.top = TopBand(maximum, band);
    result.counts.assign(std::size_t(result.top) + 1, 0);
    const int column = gd.itemColumn[item];
    if (column < 1 || column > 13) return result;
    const int pupils = std::clamp(gd.studentCount, 0, Limits::Students);
    for (int s = 1; s <= pupils; ++s) {
        if (!TakesPart(gd, item, s)) continue;
        ++result.taking;
        const int v = gd.scores(column, s);
        if (v < 0) {
            ++result.absent;
            continue;
        }
        result.sum += v;
        const int b = v / band;
        if (b <= result.top) ++result.counts[std::size_t(b)];
    }
    return result;
}

QString BandLowLabel(int b, int band, int maximum)
{
    const int low = band * b;
    const int high = std::min(band * (b + 1) - 1, maximum);
    if (low >= high) return QString();
    return FormatRightAligned(QStringLiteral("##0"), low) + u'-';
}

QString BandHighLabel(int b, int band, int maximum)
{
    const int high = std::min(band * (b + 1) - 1, maximum);
    return FormatRightAligned(QStringLiteral("##0"), high) + u':';
}

double BarFactor(int largest, double x, double countWidth, double rightEdge)
{
    if (largest <= 0) return 1.0;
    const double half = largest / 2.0;
    if (x + 11 + half + countWidth <= rightEdge) return 1.0;
    return std::max(0.0, (rightEdge - x - 11 - countWidth) / half);
}

void MakeGraph(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, int item, double x, double y)
{
    drawGraph(canvas, gd, settings, item, x, y, rightEdgeOf(canvas), 1.0);
}

void MakeGraph2(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, int item, double x, double y)
{
    drawGraph(canvas, gd, settings, item, x, y, rightEdgeOf(canvas) / 4.0, 4.0);
}

void MakeHandoutGraph(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, int item, double x,
                      double y, double rightEdge)
{
    if (item < 1 || item > gd.itemCount) return;
    const int maximum = settings.maximum(item);
    const int band = settings.band(item);
    if (!validBands(maximum, band)) return;
    const BandCounts counts = CountBands(gd, item, maximum, band);
    if (counts.scored() == 0) {
        canvas.PrintAt(noDataLine(gd, item), x, y);
        return;
    }
    canvas.SetFontName(gd.fontGothic);
    canvas.PrintAt(gd.itemCaption[item], x, y);
    canvas.SetFontName(gd.fontPMincho);
    canvas.PrintLine(QStringLiteral("   平均") + FormatRightAligned(QStringLiteral("###.0"), *counts.average()) +
                     QStringLiteral("点  (欠席") + QString::number(counts.absent) + QStringLiteral("人）"));
    canvas.SetFontName(gd.fontMincho);
    drawBands(canvas, counts, maximum, band, x, y + 1, rightEdge, 1.0);
}

GraphPrintResult PrintDistributionGraphs(PageCanvas& printer, const GradeData& gd, const GraphSettings& settings,
                                         const QList<int>& items)
{
    GraphPrintResult result;
    if (!CheckGraphSettings(settings)) return result;
    PrintRun run(printer, gd);
    const double usable = printer.ScaleHeight() - gd.printMarginTop;
    double y = 1;
    for (int item = 1; item <= gd.itemCount; ++item) {
        if (!items.contains(item)) continue;
        const int h = GraphPrintRows(settings.maximum(item), settings.band(item));
        if (h >= usable) {
            result.skipped.append(gd.itemCaption[item]);
            continue;
        }
        if (run.sheets() == 0 || y + h > usable) {
            run.startSheet();
            y = 1;
        }
        MakeGraph(printer, gd, settings, item, 1, y);
        y += h;
    }
    run.finish();
    result.sheets = run.sheets();
    return result;
}

QString SkippedGraphsText(const QStringList& captions)
{
    return QStringLiteral("次のグラフは用紙に収まらないため印刷しませんでした。最高点と間隔を見直してください。\n") +
           captions.join(QStringLiteral("、"));
}

// ---------------------------------------------------------------------------------------------
// The handout

namespace {
// Where the elements of the handout's first sheet go. `left` is the table's left edge; the
// subject columns, the total and the row labels are centred in the table's 10-column cells.
struct HandoutGeometry
{
    bool landscape = false;
    double width = 0;
    double left = 0;
    double pointsRow = 8.7;     // "点　数"
    double pupilScoreRow = 8.5; // the pupil's own scores
    double averageRow = 10.15;  // "平均点" and the averages
    double countRow = 11.15;    // "(生徒数 ...人)"
    double lowerRule = 10;      // the rule between the two rows
    double tableHeight = 4.1;
    double graphTop = 13;

    double subjectCentre(int j) const { return left + 5 + 10 * j; }
    double totalCentre() const { return left + 65; }
    double labelCentre() const { return left + 5; }
};

HandoutGeometry handoutGeometry(const PageCanvas& canvas, bool landscape)
{
    HandoutGeometry g;
    g.landscape = landscape;
    g.width = canvas.ScaleWidth();
    if (!landscape) {
        g.left = g.width / 2 - 35;
        return g;
    }
    g.left = 5;
    g.pointsRow = 8.9;
    g.pupilScoreRow = 8.6;
    g.averageRow = 10.65;
    g.countRow = 11.65;
    g.lowerRule = 10.5;
    g.tableHeight = 4.6;
    g.graphTop = 14;
    return g;
}

// A graph of the first sheet: its item, position and the right edge of its column.
struct GraphPlace
{
    int item;
    double x;
    double y;
    double rightEdge;
};

QList<GraphPlace> firstSheetGraphs(const GradeData& gd, const GraphSettings& settings, const HandoutGeometry& g)
{
    QList<GraphPlace> places;
    const int items = std::min(gd.itemCount, 6);
    auto column = [&](int first, int last, double x, double top, double rightEdge) {
        double y = top;
        for (int item = first; item <= std::min(last, items); ++item) {
            places.append({item, x, y, rightEdge});
            y += HandoutGraphRows(settings.maximum(item), settings.band(item));
        }
    };
    if (!g.landscape) {
        const double m = g.width / 2;
        column(1, 3, 3, g.graphTop, m);
        column(4, 6, m, g.graphTop, g.width);
    } else {
        const double t = g.width / 3;
        column(1, 1, 3, g.graphTop, t);
        column(2, 3, t, g.graphTop, 2 * t - 3);
        column(4, 6, 2 * t - 3, 1, g.width);
    }
    return places;
}

void printCentred(PageCanvas& canvas, const QString& text, double centre, double y)
{
    canvas.PrintAt(text, centre - canvas.TextWidth(text) / 2, y);
}

QString averageText(const std::optional<double>& value)
{
    if (!value) return QStringLiteral("－");
    return FormatRightAligned(QStringLiteral("###.0"), *value).trimmed();
}

QString fullWidthScore(int value)
{
    return value < 0 ? QStringLiteral("－") : FullWidthText(QString::number(value));
}

void drawHandout(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, const HandoutTitles& titles,
                 int pupil, bool landscape)
{
    const HandoutGeometry g = handoutGeometry(canvas, landscape);
    const double m = g.width / 2;
    const double t = g.width / 3;
    const int n = std::clamp(gd.currentTestSubjectCount(), 0, Limits::TestSubjects);
    const int mainSubjects = std::min(n, 5);
    const QString grade = FullWidthText(QString::number(gd.currentGrade));

    canvas.SetFontBold(false);
    canvas.SetFontName(gd.fontPGothic);
    canvas.SetFontSize(20);
    if (landscape)
        canvas.PrintAt(titles.first, 5, 1);
    else
        printCentred(canvas, titles.first, m, 1);

    canvas.SetFontName(gd.fontMincho);
    canvas.SetFontSize(landscape ? 13 : 12);
    canvas.SetCurrentX(landscape ? t + 10 : m + 10);
    canvas.SetCurrentY(4);
    canvas.PrintLine(titles.second);

    canvas.SetFontSize(10);
    if (pupil == 0) {
        canvas.PrintAt(grade + QStringLiteral("年    組    番 氏名"), g.left, 6);
    } else {
        canvas.SetFontSize(13);
        canvas.PrintAt(grade + QStringLiteral(" 年 ") + FullWidthText(gd.classLabel(gd.studentClass[pupil]).toUpper()) +
                           QStringLiteral(" 組 ") + FullWidthText(QString::number(gd.studentNumber[pupil])) +
                           QStringLiteral(" 番 氏名 ") + gd.studentName[pupil].trimmed(),
                       g.left, 5.7);
        canvas.SetFontSize(10);
    }

    // The table: the test's first five subjects and the five-subject total.
    for (int j = 1; j <= mainSubjects; ++j)
        printCentred(canvas, gd.subjectNames[j], g.subjectCentre(j), 7.12);
    printCentred(canvas, QStringLiteral("合計"), g.totalCentre(), 7.12);
    printCentred(canvas, QStringLiteral("点　数"), g.labelCentre(), g.pointsRow);
    if (pupil != 0) {
        canvas.SetFontName(gd.fontPGothic);
        canvas.SetFontSize(13);
        for (int j = 1; j <= mainSubjects; ++j)
            printCentred(canvas, fullWidthScore(gd.scores(j, pupil)), g.subjectCentre(j), g.pupilScoreRow);
        printCentred(canvas, fullWidthScore(n > 0 ? gd.scores(n + 1, pupil) : -1), g.totalCentre(), g.pupilScoreRow);
        canvas.SetFontName(gd.fontMincho);
        canvas.SetFontSize(10);
    }
    printCentred(canvas, QStringLiteral("平均点"), g.labelCentre(), g.averageRow);
    canvas.SetFontName(gd.fontPMincho);
    for (int j = 1; j <= mainSubjects; ++j)
        printCentred(canvas, averageText(gd.average(0, j, 0)), g.subjectCentre(j), g.averageRow);
    printCentred(canvas, averageText(n > 0 ? gd.average(0, n + 1, 0) : std::nullopt), g.totalCentre(), g.averageRow);
    const QString pupils = QStringLiteral("(生徒数 ") + QString::number(gd.studentCount) + QStringLiteral("人)");
    canvas.PrintAt(pupils, g.left + 70 - canvas.TextWidth(pupils), g.countRow);
    canvas.SetFontName(gd.fontMincho);

    for (double row : {8.0, 8.1, g.lowerRule})
        canvas.LineStep(g.left, row, 70, 0);
    for (int k = 0; k <= 7; ++k)
        canvas.LineStep(g.left + 10 * k, 7, 0, g.tableHeight);
    canvas.SetDrawWidth(5);
    canvas.SetCurrentX(g.left);
    canvas.SetCurrentY(7);
    canvas.LineStepTo(70, 0);
    canvas.LineStepTo(0, g.tableHeight);
    canvas.LineStepTo(-70, 0);
    canvas.LineStepTo(0, -g.tableHeight);
    canvas.SetDrawWidth(1);

    for (const GraphPlace& place : firstSheetGraphs(gd, settings, g))
        MakeHandoutGraph(canvas, gd, settings, place.item, place.x, place.y, place.rightEdge);
}
} // namespace

HandoutTitles DefaultHandoutTitles(const GradeData& gd, const QDate& today)
{
    HandoutTitles titles;
    titles.first = QStringLiteral("第") + FullWidthText(QString::number(gd.currentGrade)) + QStringLiteral("学年 ") +
                   CurrentTestName(gd) + QStringLiteral(" 集計結果");
    titles.second = today.toString(QStringLiteral("MM-dd-yyyy"));
    return titles;
}

Result CheckHandoutFits(const GradeData& gd, const GraphSettings& settings, double sheetRows, bool landscape)
{
    if (Result r = CheckGraphSettings(settings); !r) return r;
    // Only the geometry matters here: a recorder of the sheet's height stands in for the sheet.
    HandoutGeometry g;
    g.landscape = landscape;
    g.graphTop = landscape ? 14 : 13;
    for (const GraphPlace& place : firstSheetGraphs(gd, settings, g))
        if (place.y + HandoutGraphRows(settings.maximum(place.item), settings.band(place.item)) > sheetRows)
            return Result::failure(QString::fromUtf16(HandoutTooTallText));
    return Result::success();
}

void matome1(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, const HandoutTitles& titles,
             int pupil)
{
    drawHandout(canvas, gd, settings, titles, pupil, false);
}

void matome2(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, const HandoutTitles& titles,
             int pupil)
{
    drawHandout(canvas, gd, settings, titles, pupil, true);
}

int PrintHandout(PageCanvas& printer, const GradeData& gd, const GraphSettings& settings, const HandoutTitles& titles,
                 bool landscape, const QList<int>& pupils)
{
    if (!CheckGraphSettings(settings)) return 0;
    printer.SetOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    int sheets = 0;
    auto startSheet = [&] {
        if (sheets > 0) printer.NewPage();
        ++sheets;
        printer.SetCharacterCells();
    };
    auto draw = [&](int pupil) {
        startSheet();
        if (landscape)
            matome2(printer, gd, settings, titles, pupil);
        else
            matome1(printer, gd, settings, titles, pupil);
    };

    if (pupils.isEmpty()) {
        draw(0);
        // Items beyond the sixth go on further sheets, in columns from row 5.
        if (gd.itemCount > 6) {
            const double width = printer.ScaleWidth();
            const int columns = landscape ? 3 : 2;
            const double columnWidth = width / columns;
            startSheet();
            int column = 0;
            double y = 5;
            const int h = HandoutGraphRows(settings.subjectMaximum, settings.subjectBand);
            for (int item = 7; item <= gd.itemCount; ++item) {
                if (y > 5 && y + h > printer.ScaleHeight()) {
                    y = 5;
                    if (++column == columns) {
                        startSheet();
                        column = 0;
                    }
                }
                // Portrait: the left margin, then the middle; landscape: a third further each.
                auto columnX = [&](int k) { return landscape ? 3 + columnWidth * k : (k == 0 ? 3 : columnWidth); };
                const double x = columnX(column);
                const double rightEdge = column == columns - 1 ? width : columnX(column + 1);
                printer.SetFontName(gd.fontMincho);
                printer.SetFontSize(10);
                MakeHandoutGraph(printer, gd, settings, item, x, y, rightEdge);
                y += h;
            }
        }
    } else {
        for (int s : pupils)
            if (s >= 1 && s <= gd.studentCount) draw(s);
    }
    if (sheets > 0) printer.EndDoc();
    return sheets;
}

QString FullWidthText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
            out += QChar(char16_t(u - 0x20 + 0xFF00));
        else
            out += c;
    }
    return out;
}

} // namespace seiran
