#pragma once

#include "Result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace seiran {

class PageCanvas;
struct GradeData;

// Top score and band width of the frequency graphs: one pair for the five-subject total
// (item 1), one for every other item.
struct GraphSettings
{
    int totalMaximum = 500;
    int totalBand = 50;
    int subjectMaximum = 100;
    int subjectBand = 10;

    // The presets of the buttons "５０点" and "１００点".
    static GraphSettings FiftyPoints() { return {250, 10, 50, 5}; }
    static GraphSettings HundredPoints() { return {500, 50, 100, 10}; }

    int maximum(int item) const { return item == 1 ? totalMaximum : subjectMaximum; }
    int band(int item) const { return item == 1 ? totalBand : subjectBand; }

    bool operator==(const GraphSettings&) const = default;
};

inline constexpr char16_t BandSettingsProblemText[] =
    u"最高点と間隔を確かめてください。間隔は1以上で、帯は101本までです。";

// Refuses a band width or maximum below 1 and more than 101 bands (the band table has 0..100).
Result CheckGraphSettings(const GraphSettings& settings);
// The value of a setting's text box: half- or full-width digits (surrounding blanks allowed);
// any other text reads 0, which the check then refuses.
int SettingValue(const QString& text);

// Number of the top band: (M + 1) \ w.
int TopBand(int maximum, int band);
// Rows a graph needs in the print run of the graphs (title, summary, bands and a gap) and on
// the handout (caption, bands and one blank row).
int GraphPrintRows(int maximum, int band);
int HandoutGraphRows(int maximum, int band);

// The counts of one item: pupils taking part (as the rank table counts them), those without a
// score, the sum of the scores and the pupils per band 0..top. A score above the top band
// counts in the numbers and the sum but in no band.
struct BandCounts
{
    int top = 0;
    std::vector<int> counts;
    int taking = 0;
    int absent = 0;
    long long sum = 0;

    int scored() const { return taking - absent; }
    std::optional<double> average() const;
    int largest() const;
};
BandCounts CountBands(const GradeData& gd, int item, int maximum, int band);

// Labels of band b: its lower end "##0-" (empty when the band holds one score only) and its
// upper end "##0:" (not above the maximum).
QString BandLowLabel(int b, int band, int maximum);
QString BandHighLabel(int b, int band, int maximum);

// Half a column per pupil, unless the longest bar and its count would pass `rightEdge`: then a
// factor below 1 that makes the longest one fit. `countWidth` is the width of a count text.
double BarFactor(int largest, double x, double countWidth, double rightEdge);

// The frequency graph of an item with its top-left corner at (x, y), in the canvas's current
// font: title, summary (or the line saying there is no score), and the bands from the top.
void MakeGraph(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, int item, double x, double y);
// The same graph four times as large (font and every coordinate), for the clipboard picture.
void MakeGraph2(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, int item, double x, double y);
// The handout's variant: caption in the Gothic font and the average in the proportional Mincho
// font on the first line, the bands right under it; bars stay left of `rightEdge`.
void MakeHandoutGraph(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, int item, double x,
                      double y, double rightEdge);

// The print run of "印刷": the chosen items stacked down the sheets inside the paper margins,
// a new sheet when the next graph does not fit. A graph taller than a sheet is skipped and
// named in `skipped`. Ends the job when a sheet was drawn; returns the number of sheets.
struct GraphPrintResult
{
    int sheets = 0;
    QStringList skipped;
};
GraphPrintResult PrintDistributionGraphs(PageCanvas& printer, const GradeData& gd, const GraphSettings& settings,
                                         const QList<int>& items);
// The warning after a run that skipped graphs.
QString SkippedGraphsText(const QStringList& captions);

// The handout (テストのまとめ).
struct HandoutTitles
{
    QString first;  // "第２学年 中間テスト 集計結果"
    QString second; // the date, mm-dd-yyyy
};
HandoutTitles DefaultHandoutTitles(const GradeData& gd, const QDate& today);

inline constexpr char16_t HandoutTooTallText[] = u"グラフが用紙に収まりません。最高点と間隔を見直してください。";

// Whether the graphs of the first sheet stay above the bottom of a sheet `sheetRows` high.
Result CheckHandoutFits(const GradeData& gd, const GraphSettings& settings, double sheetRows, bool landscape);

// The whole first sheet of the handout for the grade (pupil 0) or for pupil s, on a canvas in
// character cells with its origin at the corner of the printable area: portrait and landscape.
void matome1(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, const HandoutTitles& titles,
             int pupil);
void matome2(PageCanvas& canvas, const GradeData& gd, const GraphSettings& settings, const HandoutTitles& titles,
             int pupil);

// Prints the handout: the grade version (its items 7.. on further sheets) when `pupils` is
// empty, otherwise one sheet per pupil and never the further sheets. Sets the orientation
// before the first sheet and ends the job. Returns the number of sheets.
int PrintHandout(PageCanvas& printer, const GradeData& gd, const GraphSettings& settings, const HandoutTitles& titles,
                 bool landscape, const QList<int>& pupils);

// Full-width forms used on the handout: digits, and an upper-case class label.
QString FullWidthText(const QString& text);

} // namespace seiran
