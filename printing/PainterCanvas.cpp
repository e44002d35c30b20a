#include "PainterCanvas.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPrinter>
#include <algorithm>

namespace seiran {

PainterCanvas::PainterCanvas(QImage* image, const CanvasFont& font)
    : PageCanvas(false, font), mImage(image), mDpiX(image->logicalDpiX()), mDpiY(image->logicalDpiY())
{
}

PainterCanvas::PainterCanvas(QPrinter* printer, const CanvasFont& font)
    : PageCanvas(true, font), mPrinter(printer), mDpiX(printer->logicalDpiX()), mDpiY(printer->logicalDpiY())
{
}

PainterCanvas::~PainterCanvas()
{
    if (mPainter.isActive()) mPainter.end();
}

QPaintDevice* PainterCanvas::device() const
{
    if (mPrinter) return mPrinter;
    return mImage;
}

double PainterCanvas::columnPixels() const
{
    return mDpiX / ColumnsPerInch;
}

double PainterCanvas::rowPixels() const
{
    return mDpiY / RowsPerInch;
}

double PainterCanvas::ScaleWidth() const
{
    if (mPrinter) return SheetCells(mPrinter->pageLayout()).width();
    return mImage->width() / columnPixels();
}

double PainterCanvas::ScaleHeight() const
{
    if (mPrinter) return SheetCells(mPrinter->pageLayout()).height();
    return mImage->height() / rowPixels();
}

void PainterCanvas::SetOrientation(QPageLayout::Orientation orientation)
{
    // While a job runs the printer applies it from the next sheet on.
    if (mPrinter) mPrinter->setPageOrientation(orientation);
}

void PainterCanvas::SetPaperSize(QPageSize::PageSizeId size)
{
    if (mPrinter) mPrinter->setPageSize(QPageSize(size));
}

void PainterCanvas::finish()
{
    if (!mPrinter && mPainter.isActive()) mPainter.end();
}

bool PainterCanvas::ensurePainter()
{
    if (mPainter.isActive()) return true;
    if (failed() || (mPrinter && mJobEnded)) return false;
    if (!mPainter.begin(device())) {
        if (mPrinter && mPrinter->outputFormat() == QPrinter::PdfFormat)
            setError(QStringLiteral("PDFファイル「%1」を作成できませんでした。").arg(mPrinter->outputFileName()));
        else if (mPrinter)
            setError(QStringLiteral("プリンターで印刷を開始できませんでした。"));
        else
            setError(QStringLiteral("プレビューを描けませんでした。"));
        return false;
    }
    if (mPrinter) mJobStarted = true;
    // A painter begins with the device's default font: the report's font is set again.
    mPainterFontSet = false;
    mPainter.setRenderHint(QPainter::TextAntialiasing, true);
    mPainter.setRenderHint(QPainter::Antialiasing, mPrinter != nullptr);
    return true;
}

QPointF PainterCanvas::toDevice(double x, double y) const
{
    return QPointF((x - ScaleLeft()) * columnPixels(), (y - ScaleTop()) * rowPixels());
}

QFont PainterCanvas::qfont() const
{
    QFont f(FontName());
    f.setPointSizeF(FontSize());
    f.setBold(FontBold());
    return f;
}

const PainterCanvas::ResolvedFont& PainterCanvas::resolved() const
{
    if (mCurrentFont < mFonts.size() && mFonts[mCurrentFont].key == Font()) return mFonts[mCurrentFont];
    for (std::size_t i = 0; i < mFonts.size(); ++i)
        if (mFonts[i].key == Font()) {
            mCurrentFont = i;
            return mFonts[i];
        }
    // Reports use a handful of fonts; a report that keeps changing sizes starts the list again.
    if (mFonts.size() >= 16) mFonts.clear();
    const QFont font = qfont();
    mFonts.push_back(ResolvedFont{Font(), font, QFontMetricsF(font, device())});
    mCurrentFont = mFonts.size() - 1;
    return mFonts.back();
}

QPen PainterCanvas::pen(const QColor& color) const
{
    // One unit of DrawWidth is a screen pixel on the preview and half a point on paper.
    const double unit = std::max(1.0, mDpiX / 144.0);
    QPen p(color, DrawWidth() * unit);
    switch (DrawStyle()) {
    case LinePattern::Dash:
        p.setStyle(Qt::DashLine);
        break;
    case LinePattern::Dot:
        p.setStyle(Qt::DotLine);
        break;
    case LinePattern::DashDot:
        p.setStyle(Qt::DashDotLine);
        break;
    case LinePattern::DashDotDot:
        p.setStyle(Qt::DashDotDotLine);
        break;
    case LinePattern::Invisible:
        p.setStyle(Qt::NoPen);
        break;
    default:
        p.setStyle(Qt::SolidLine);
        break;
    }
    p.setCapStyle(Qt::FlatCap);
    return p;
}

QBrush PainterCanvas::fillBrush() const
{
    Qt::BrushStyle style = Qt::NoBrush;
    switch (FillStyle()) {
    case FillPattern::Solid:
        style = Qt::SolidPattern;
        break;
    case FillPattern::Horizontal:
        style = Qt::HorPattern;
        break;
    case FillPattern::Vertical:
        style = Qt::VerPattern;
        break;
    case FillPattern::UpwardDiagonal:
        style = Qt::BDiagPattern;
        break;
    case FillPattern::DownwardDiagonal:
        style = Qt::FDiagPattern;
        break;
    case FillPattern::Cross:
        style = Qt::CrossPattern;
        break;
    case FillPattern::DiagonalCross:
        style = Qt::DiagCrossPattern;
        break;
    default:
        break;
    }
    QBrush brush(FillColor(), style);
    // Hatching keeps the spacing it has on screen whatever the device's resolution.
    const double scale = mDpiX / 96.0;
    if (scale > 1.0 && style != Qt::SolidPattern && style != Qt::NoBrush)
        brush.setTransform(QTransform::fromScale(scale, scale));
    return brush;
}

void PainterCanvas::drawText(double x, double y, const QString& text)
{
    if (!ensurePainter()) return;
    const ResolvedFont& font = resolved();
    const QFontMetricsF& fm = font.metrics;
    // Setting a font on the painter is dear: only when it changes.
    if (!mPainterFontSet || !(mPainterFont == Font())) {
        mPainter.setFont(font.font);
        mPainterFont = Font();
        mPainterFontSet = true;
    }
    mPainter.setPen(QPen(Qt::black));
    // The text hangs from its top: the glyphs of row y stay inside the band [y, y + 1).
    const QPointF top = toDevice(x, y);
    mPainter.drawText(QPointF(top.x(), top.y() + fm.ascent()), text);
}

double PainterCanvas::measureText(const QString& text) const
{
    return metrics().horizontalAdvance(text) / columnPixels();
}

double PainterCanvas::fontHeight() const
{
    return metrics().height() / rowPixels();
}

void PainterCanvas::drawLine(double x1, double y1, double x2, double y2, LineShape shape, const QColor& color)
{
    if (!ensurePainter()) return;
    const QPointF a = toDevice(x1, y1);
    const QPointF b = toDevice(x2, y2);
    mPainter.setPen(pen(color));
    switch (shape) {
    case LineShape::Line:
        mPainter.setBrush(Qt::NoBrush);
        mPainter.drawLine(a, b);
        break;
    case LineShape::Box:
        mPainter.setBrush(fillBrush());
        mPainter.drawRect(QRectF(a, b).normalized());
        break;
    case LineShape::FilledBox:
        mPainter.setBrush(QBrush(color));
        mPainter.drawRect(QRectF(a, b).normalized());
        break;
    }
}

void PainterCanvas::drawPoint(double x, double y, const QColor& color)
{
    if (!ensurePainter()) return;
    QPen p = pen(color);
    p.setStyle(Qt::SolidLine);
    p.setCapStyle(Qt::SquareCap);
    mPainter.setPen(p);
    mPainter.drawPoint(toDevice(x, y));
}

void PainterCanvas::drawCircle(double x, double y, double r, const QColor& color)
{
    if (!ensurePainter()) return;
    const double radius = r * columnPixels();
    mPainter.setPen(pen(color));
    mPainter.setBrush(fillBrush());
    mPainter.drawEllipse(toDevice(x, y), radius, radius);
}

void PainterCanvas::clearSurface()
{
    if (!mImage) return;
    if (mPainter.isActive()) {
        mPainter.save();
        mPainter.setCompositionMode(QPainter::CompositionMode_Source);
        mPainter.fillRect(mImage->rect(), Qt::white);
        mPainter.restore();
    } else {
        mImage->fill(Qt::white);
    }
}

void PainterCanvas::startNextPage()
{
    if (!ensurePainter()) return;
    if (!mPrinter->newPage()) setError(QStringLiteral("次のページを始められませんでした。"));
}

void PainterCanvas::finishDocument()
{
    if (!mPrinter || !mJobStarted || mJobEnded) return;
    mJobEnded = true;
    const bool ended = mPainter.end();
    if (!ended || mPrinter->printerState() == QPrinter::Error) {
        if (mPrinter->outputFormat() == QPrinter::PdfFormat)
            setError(QStringLiteral("PDFファイル「%1」を書き込めませんでした。").arg(mPrinter->outputFileName()));
        else
            setError(QStringLiteral("印刷を完了できませんでした。"));
    }
}

} // namespace seiran
