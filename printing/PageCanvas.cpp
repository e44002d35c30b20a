#include "PageCanvas.h"

#include <QRectF>

namespace seiran {

QSizeF SheetCells(const QPageLayout& layout)
{
    // Millimetres keep the exact size of metric paper; inches are rounded to two decimals.
    const QRectF area = layout.paintRect(QPageLayout::Millimeter);
    return QSizeF(area.width() / 25.4 * PageCanvas::ColumnsPerInch, area.height() / 25.4 * PageCanvas::RowsPerInch);
}

PageCanvas::PageCanvas(bool printer, const CanvasFont& font) : mPrinter(printer), mFont(font) {}

PageCanvas::~PageCanvas() = default;

void PageCanvas::SetCharacterCells()
{
    mScaleLeft = 0.0;
    mScaleTop = 0.0;
}

void PageCanvas::SetFontSize(double size)
{
    // A size the device cannot draw is kept from reaching it.
    if (size > 0.0 && size < 1000.0) mFont.size = size;
}

void PageCanvas::SetFont(const CanvasFont& font)
{
    SetFontName(font.name);
    SetFontSize(font.size);
    SetFontBold(font.bold);
}

void PageCanvas::Print(const QString& text)
{
    if (text.isEmpty()) return;
    if (!failed()) drawText(mCurrentX, mCurrentY, text);
    mCurrentX += measureText(text);
}

void PageCanvas::PrintLine(const QString& text)
{
    Print(text);
    mCurrentX = 0.0;
    mCurrentY += LineAdvance();
}

void PageCanvas::PrintAt(const QString& text, double x, double y)
{
    mCurrentX = x;
    mCurrentY = y;
    Print(text);
}

double PageCanvas::LineAdvance() const
{
    if (mFont.size <= 12.0) return 1.0;
    return fontHeight();
}

double PageCanvas::TextWidth(const QString& text) const
{
    return measureText(text);
}

double PageCanvas::TextHeight() const
{
    return fontHeight();
}

void PageCanvas::Line(double x1, double y1, double x2, double y2, LineShape shape, const QColor& color)
{
    if (!failed()) drawLine(x1, y1, x2, y2, shape, color);
    mCurrentX = x2;
    mCurrentY = y2;
}

void PageCanvas::LineTo(double x2, double y2, LineShape shape, const QColor& color)
{
    Line(mCurrentX, mCurrentY, x2, y2, shape, color);
}

void PageCanvas::LineStep(double x1, double y1, double dx, double dy, LineShape shape, const QColor& color)
{
    Line(x1, y1, x1 + dx, y1 + dy, shape, color);
}

void PageCanvas::LineStepTo(double dx, double dy, LineShape shape, const QColor& color)
{
    Line(mCurrentX, mCurrentY, mCurrentX + dx, mCurrentY + dy, shape, color);
}

void PageCanvas::PSet(double x, double y, const QColor& color)
{
    if (!failed()) drawPoint(x, y, color);
    mCurrentX = x;
    mCurrentY = y;
}

void PageCanvas::Circle(double x, double y, double r, const QColor& color)
{
    if (!failed() && r > 0.0) drawCircle(x, y, r, color);
    mCurrentX = x;
    mCurrentY = y;
}

void PageCanvas::Cls()
{
    if (!mPrinter && !failed()) clearSurface();
    mCurrentX = mScaleLeft;
    mCurrentY = mScaleTop;
}

void PageCanvas::NewPage()
{
    if (!mPrinter) return;
    if (!failed()) startNextPage();
    ++mPage;
    mCurrentX = mScaleLeft;
    mCurrentY = mScaleTop;
}

void PageCanvas::EndDoc()
{
    if (!mPrinter) return;
    if (!failed()) finishDocument();
}

} // namespace seiran
