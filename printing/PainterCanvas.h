#pragma once

#include "PageCanvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <memory>
#include <vector>

class QImage;
class QPrinter;

namespace seiran {

// The canvas that really draws: on a QImage (the preview picture) or on a QPrinter (the system
// printer or a PDF file). A cell is 1/12 by 1/6 inch of the device's resolution. The painter
// is opened on the first drawing operation, so that paper settings made before it still apply
// to the first sheet.
class PainterCanvas final : public PageCanvas
{
public:
    // A preview picture. The image keeps its size; its resolution sets the cell size.
    PainterCanvas(QImage* image, const CanvasFont& font);
    // A print job on the printer (which must outlive the canvas).
    PainterCanvas(QPrinter* printer, const CanvasFont& font);
    ~PainterCanvas() override;

    double ScaleWidth() const override;
    double ScaleHeight() const override;
    void SetOrientation(QPageLayout::Orientation orientation) override;
    void SetPaperSize(QPageSize::PageSizeId size) override;

    // Closes the painter of a preview picture so that the picture can be shown; the next
    // drawing opens it again.
    void finish();
    // True while a printer job has been started and not yet ended.
    bool jobStarted() const { return mJobStarted; }

protected:
    void drawText(double x, double y, const QString& text) override;
    double measureText(const QString& text) const override;
    double fontHeight() const override;
    void drawLine(double x1, double y1, double x2, double y2, LineShape shape, const QColor& color) override;
    void drawPoint(double x, double y, const QColor& color) override;
    void drawCircle(double x, double y, double r, const QColor& color) override;
    void clearSurface() override;
    void startNextPage() override;
    void finishDocument() override;

private:
    bool ensurePainter();
    QPaintDevice* device() const;
    double columnPixels() const;
    double rowPixels() const;
    QPointF toDevice(double x, double y) const;
    QFont qfont() const;
    QPen pen(const QColor& color) const;
    QBrush fillBrush() const;

    QImage* mImage = nullptr;
    QPrinter* mPrinter = nullptr;
    QPainter mPainter;
    double mDpiX;
    double mDpiY;
    CanvasFont mPainterFont;
    bool mPainterFontSet = false;
    bool mJobStarted = false;
    bool mJobEnded = false;
    // Resolved fonts and their measurements, for the few fonts a report switches between (the
    // rank table changes font twice on every row).
    struct ResolvedFont
    {
        CanvasFont key;
        QFont font;
        QFontMetricsF metrics;
    };
    mutable std::vector<ResolvedFont> mFonts;
    mutable std::size_t mCurrentFont = 0;
    const ResolvedFont& resolved() const;
    const QFontMetricsF& metrics() const { return resolved().metrics; }
};

} // namespace seiran
