#include "ReportCommon.h"

#include "GradeData.h"
#include "Helpers.h"

#include <QPageSize>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace seiran {

namespace {
std::optional<QDateTime>& fixedClock()
{
    static std::optional<QDateTime> fixed;
    return fixed;
}
} // namespace

QString CurrentTestName(const GradeData& gd)
{
    const int test = gd.currentTest;
    return test >= 1 && test <= Limits::Tests ? gd.testNames[test] : QString();
}

CanvasFont PrinterStartFont(const GradeData& gd)
{
    return CanvasFont{gd.fontMincho, 10.0, false};
}

CanvasFont PreviewFont(const GradeData& gd, double pointSize)
{
    return CanvasFont{gd.fontGothic, pointSize, false};
}

QPageLayout StandardPaperLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QPageLayout PrintableAreaPaperLayout(QPageLayout::Orientation orientation, QPageSize::PageSizeId size)
{
    return QPageLayout(QPageSize(size), orientation, QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
}

QDateTime ReportClockNow()
{
    if (fixedClock()) return *fixedClock();
    return QDateTime::currentDateTime();
}

ScopedReportClock::ScopedReportClock(const QDateTime& fixed) : mPrevious(fixedClock())
{
    fixedClock() = fixed;
}

ScopedReportClock::~ScopedReportClock()
{
    fixedClock() = mPrevious;
}

QString PrintStampText(StampWording wording, const QDateTime& when)
{
    const QString stamp =
        when.date().toString(QStringLiteral("MM-dd-yyyy")) + u' ' + when.time().toString(QStringLiteral("HH:mm:ss"));
    if (wording == StampWording::Plain) return QStringLiteral("印刷日時　") + stamp;
    return QStringLiteral("　　（印刷日時") + stamp + u')';
}

QString RightAlignedNumber(const QString& pattern, double value, int width)
{
    // Widening the pattern by optional digits changes nothing for a number that fits, and
    // keeps the leading digits of one that does not.
    const QString wide = FormatRightAligned(QStringLiteral("######") + pattern, value);
    qsizetype start = 0;
    while (start < wide.size() && wide.at(start) == u' ')
        ++start;
    const QString digits = wide.mid(start);
    if (digits.size() >= width) return digits;
    return QString(width - digits.size(), u' ') + digits;
}

void PrintRightAligned(PageCanvas& canvas, double x, double y, int width, const QString& pattern, double value)
{
    const QString text = RightAlignedNumber(pattern, value, width);
    canvas.PrintAt(text, x - (text.size() - width), y);
}

void PrintAverageCell(PageCanvas& canvas, const std::optional<double>& value, double x, double y, int width)
{
    if (value) PrintRightAligned(canvas, x, y, width, QStringLiteral("##0.0"), *value);
}

void PrintFitted(PageCanvas& canvas, const QString& text, double limit, FitClearance clearance)
{
    const double x = canvas.CurrentX();
    const double y = canvas.CurrentY();
    const double gap = clearance == FitClearance::Space ? canvas.TextWidth(QStringLiteral(" ")) : 0.0;
    const double room = limit - gap - x;
    if (canvas.TextWidth(text) <= room) {
        canvas.Print(text);
        return;
    }
    const double size = canvas.FontSize();
    const double height = canvas.TextHeight();
    // Half points below the current size down to the smallest; a font already smaller than
    // that keeps its size and only cuts.
    const double smallest = std::min(size, FittedTextMinSize);
    double fitted = (std::ceil(size * 2.0) - 1.0) / 2.0;
    while (fitted > smallest) {
        canvas.SetFontSize(fitted);
        if (canvas.TextWidth(text) <= room) break;
        fitted -= 0.5;
    }
    fitted = std::max(fitted, smallest);
    canvas.SetFontSize(fitted);
    QString shown = text;
    if (canvas.TextWidth(shown) > room) {
        // Cut between graphemes, never inside a surrogate pair or before a combining mark.
        QTextBoundaryFinder bounds(QTextBoundaryFinder::Grapheme, text);
        bounds.toEnd();
        while (bounds.toPreviousBoundary() > 0) {
            shown = text.left(bounds.position());
            if (canvas.TextWidth(shown) <= room) break;
        }
        if (canvas.TextWidth(shown) > room) shown.clear();
    }
    // Bottoms on one line keep the smaller text on the row's baseline.
    if (shown.isEmpty())
        canvas.SetCurrentX(x);
    else
        canvas.PrintAt(shown, x, y + (height - canvas.TextHeight()));
    canvas.SetCurrentY(y);
    canvas.SetFontSize(size);
}

PrintRun::PrintRun(PageCanvas& printer, const GradeData& gd) : mPrinter(printer), mGd(gd) {}

void PrintRun::startSheet()
{
    if (mSheets > 0) mPrinter.NewPage();
    ++mSheets;
    mPrinter.SetCharacterCells();
    SetPaperOrigin(mPrinter, mGd);
}

bool PrintRun::finish()
{
    if (mSheets > 0) mPrinter.EndDoc();
    return !mPrinter.failed();
}

void SetPaperOrigin(PageCanvas& printer, const GradeData& gd)
{
    printer.SetScaleLeft(-gd.printMarginLeft);
    printer.SetScaleTop(-gd.printMarginTop);
}

} // namespace seiran
