#pragma once

#include <QList>
#include <QPageLayout>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <functional>
#include <optional>

namespace seiran {

class PageCanvas;
struct GradeData;
struct TestSeries;

// Progress of a card print run in percent (0..100), for the window's progress bar.
using CardProgress = std::function<void(int percent)>;

// Which pupils a print run prints: every pupil of the listed classes, or, with `chosenOnly`,
// only the chosen pupils of every class.
struct CardPupils
{
    QList<int> classes;
    bool chosenOnly = false;
    QSet<int> chosen; // CardSeat(class, number) of each chosen pupil

    static int seat(int classNo, int number) { return (classNo - 1) * 60 + number; }
};

// The sheet the notification cards are drawn on when no printer decides: JIS B5 portrait less
// 5 mm on every side. The test report cards use PrintableAreaPaperLayout (A4 less 5 mm).
QPageLayout NotificationCardPaperLayout();

// A score or total as a card shows it: the digits, "欠" for an absent pupil, "－" when not
// entered.
QString CardScoreText(int value);
// An average "##0.0" without blanks, "－" when there is none.
QString CardAverageText(const std::optional<double>& value);

// --- The test report card: several pupils to a sheet ---

// Rows a pupil block takes before the gap of two rows.
int TestCardBlockHeight(int tests, bool graph);
// The total graph's scale: 500 when a grade average total of the tests exceeds 250, else 250.
int TestCardGraphScale(const TestSeries& series);
// The pupil block of series pupil `pupil` with its top row at y.
void DrawTestCardBlock(PageCanvas& canvas, const GradeData& gd, const TestSeries& series, int pupil, double y,
                       bool graph, int scale);
// Empty when `tests` tests fit a sheet of this many columns and rows; otherwise the message
// that says how many fit.
QString TestCardFitProblem(QSizeF sheet, int tests, bool graph);
// The print run: each printed class from a new sheet, blocks two rows apart, a new sheet only
// when a block is about to be drawn. Ends the job when a sheet was drawn and returns the number
// of sheets (0 when nothing fits or nobody was printed).
int PrintTestCards(PageCanvas& printer, const GradeData& gd, const TestSeries& series, const CardPupils& pupils,
                   bool graph, const CardProgress& progress = {});

// --- The report card for notification forms: one B5 sheet per pupil ---

// The subject scale of the small graphs: 100 when a score of any pupil in the graphed tests
// (positions in the series) exceeds 50, else 50. The total graph uses five times it.
int NotificationGraphScale(const TestSeries& series, const QList<int>& graphed);
// The horizontal step of the small graphs per graphed test.
double NotificationGraphStep(int printedTests);
// The sheet of series pupil `pupil`; `graphed` holds the positions (in the series) of the
// graphed tests, in series order.
void DrawNotificationSheet(PageCanvas& canvas, const GradeData& gd, const TestSeries& series, int pupil,
                           const QList<int>& graphed, int scale);
// Empty when `tests` printed tests, `graphed` of them graphed, fit the sheet; otherwise the message.
QString NotificationCardFitProblem(QSizeF sheet, int tests, int graphed);
// The print run: JIS B5 portrait from the first sheet, one sheet per printed pupil.
int PrintNotificationCards(PageCanvas& printer, const GradeData& gd, const TestSeries& series,
                           const QList<int>& graphed, const CardPupils& pupils, const CardProgress& progress = {});

// One test row of the notification card's choice: the test and its two marks.
struct NotificationTestRow
{
    int test = 0;
    bool print = false;
    bool graph = false;
};
// The printed tests in row order and the positions among them of the graphed ones. A test
// marked for the graph but not for printing is neither printed nor graphed.
void SplitNotificationRows(const QList<NotificationTestRow>& rows, QList<int>& tests, QList<int>& graphed);

// The circled number of a graph position: "①" … "⑳"; empty beyond 20.
QString CircledNumber(int n);

} // namespace seiran
