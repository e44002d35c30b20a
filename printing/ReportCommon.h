#pragma once

#include "PageCanvas.h"

#include <QDateTime>
#include <QPageLayout>
#include <QString>
#include <optional>

namespace seiran {

struct GradeData;

// Message shown after a print job has been handed to the printer.
inline constexpr char16_t PrintCompletedText[] = u"印刷が終了しました";

// The name of the current test; empty when no test is chosen.
QString CurrentTestName(const GradeData& gd);

// The fonts a canvas starts with. A print job starts in the printer font of start-up (the
// Mincho font at 10 points), whatever an earlier job left; previews start in the font of
// their window.
CanvasFont PrinterStartFont(const GradeData& gd);
CanvasFont PreviewFont(const GradeData& gd, double pointSize); // the Gothic font

// The sheet the command-line reports and PDF files are drawn on: A4 portrait, the whole sheet
// usable (the report's own margins of 5 columns and 3 rows keep it off the edges).
QPageLayout StandardPaperLayout();
// The sheet of the reports that keep no margins of their own (the test summary handout, the
// trend graph, the report cards): A4 (or the given size) less 5 mm on every side, their
// coordinates starting at the corner of that printable area.
QPageLayout PrintableAreaPaperLayout(QPageLayout::Orientation orientation = QPageLayout::Portrait,
                                     QPageSize::PageSizeId size = QPageSize::A4);

// The moment printed in the PrintStamp. Tests fix it with ScopedReportClock.
QDateTime ReportClockNow();
class ScopedReportClock
{
public:
    explicit ScopedReportClock(const QDateTime& fixed);
    ~ScopedReportClock();
    ScopedReportClock(const ScopedReportClock&) = delete;
    ScopedReportClock& operator=(const ScopedReportClock&) = delete;

private:
    std::optional<QDateTime> mPrevious;
};

// The line that records the moment of printing, date mm-dd-yyyy and time hh:mm:ss.
enum class StampWording {
    Bracketed, // raw score table, rank table: "　　（印刷日時" date time ")"
    Plain,     // averages table: "印刷日時　" date time
};
QString PrintStampText(StampWording wording, const QDateTime& when);

// A number formatted with a pattern of FormatRightAligned and right-aligned in `width`
// columns. A number that needs more room than the column keeps all its digits (the text is
// then longer than the width) instead of losing its leftmost ones.
QString RightAlignedNumber(const QString& pattern, double value, int width);
// An average formatted "##0.0" and right-aligned in `width` columns at (x, y); a group without
// any score has no average and its cell stays blank.
void PrintAverageCell(PageCanvas& canvas, const std::optional<double>& value, double x, double y, int width);
// Prints RightAlignedNumber at (x, y); an over-long text starts further left so that its
// right edge stays where the column ends.
void PrintRightAligned(PageCanvas& canvas, double x, double y, int width, const QString& pattern, double value);

// Prints a text of variable length (a pupil's name) at the drawing position so that it ends by
// column `limit`, where the next column of the table begins: in the current font when it fits,
// else in the largest smaller size of the same font that fits (half-point steps, not below
// FittedTextMinSize), on the row's baseline; at that smallest size a text still too long is
// cut at a character boundary. The font size is restored afterwards; the drawing position
// ends after the text as drawn.
//
// A next column whose numbers are right-aligned begins with blanks, so the text may run up to
// `limit` (Flush); where the next column's text starts right at `limit` ("欠席", a school name)
// or a rule stands there, the text keeps the width of a half-width space clear of it (Space).
inline constexpr double FittedTextMinSize = 7.0;
enum class FitClearance { Flush, Space };
void PrintFitted(PageCanvas& canvas, const QString& text, double limit, FitClearance clearance = FitClearance::Flush);

// The standard print run: every sheet but the first begins with NewPage; every sheet gets
// character cells and the paper margins before the report draws it.
class PrintRun
{
public:
    PrintRun(PageCanvas& printer, const GradeData& gd);
    void startSheet();
    int sheets() const { return mSheets; }
    // Ends the job when a sheet was drawn. False when the device failed.
    bool finish();

private:
    PageCanvas& mPrinter;
    const GradeData& mGd;
    int mSheets = 0;
};

// Puts the origin of a printed sheet inside its margins: ScaleLeft = -printMarginLeft,
// ScaleTop = -printMarginTop, in character cells.
void SetPaperOrigin(PageCanvas& printer, const GradeData& gd);

} // namespace seiran
