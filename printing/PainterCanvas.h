#pragma once

#include "PageCanvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <array>
#include <memory>
#include <vector>

class QImage;
class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace seiran {

// The canvas that really draws: on a QImage (the preview picture), on a QPrinter (the system
// printer, or a PDF file the print dialog chose) or on a QPdfWriter (a PDF file written
// directly). A cell is 1/12 by 1/6 inch of the device's resolution. The painter
// is opened on the first drawing operation, so that paper settings made before it still apply
// to the first sheet.
class PainterCanvas final : public PageCanvas
{
public:
    // A preview picture. The image keeps its size; its resolution sets the cell size.
    PainterCanvas(QImage* image, const CanvasFont& font);
    // A print job on the printer (which must outlive the canvas).
    PainterCanvas(QPrinter* printer, const CanvasFont& font);
    // A PDF file written by `writer` (which must outlive the canvas) to `fileName`, the name the
    // messages give.
    PainterCanvas(QPdfWriter* writer, const QString& fileName, const CanvasFont& font);
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
    void usePen(const QPen& pen);
    void useBrush(const QBrush& brush);
    void flushText();

    // Whether this canvas writes a PDF file (through a writer or a printer set to PDF), and its
    // name for the messages.
    bool writesPdf() const;
    QString pdfFileName() const;

    QImage* mImage = nullptr;
    // The sheets of a job: the printer or the PDF writer; null for a preview picture.
    QPagedPaintDevice* mPaged = nullptr;
    QPrinter* mPrinter = nullptr;
    QString mPdfFileName; // for a PDF writer
    QPainter mPainter;
    double mDpiX;
    double mDpiY;
    CanvasFont mPainterFont;
    bool mPainterFontSet = false;
    bool mJobStarted = false;
    bool mJobEnded = false;
    // The last pen and brush given to the painter: setting an equal one again would still make
    // the PDF engine write the state out.
    QPen mPen;
    QBrush mBrush;
    bool mPenSet = false;
    bool mBrushSet = false;

    // A text shaped once for measuring and drawing: its glyphs with their positions relative to
    // the baseline at the text's left end, and its advance in device pixels.
    struct ShapedText
    {
        std::vector<QGlyphRun> runs;
        double advance = 0.0;
    };
    // Resolved fonts with their measurements and shaped texts, for the few fonts a report
    // switches between (the rank table changes font twice on every row). Names, headings and
    // numbers recur on every card and row, so each (font, text) is shaped only once a run.
    // How a font draws the characters numbers are written with (digits, blank, point, signs),
    // each shaped once on its own. Where the font places them as they come, whatever stands
    // beside them (checked against the shaping of every pair), a number is put together from
    // them instead of being shaped: most of the texts a report prints are numbers.
    struct NumberGlyphs
    {
        enum class State { Unknown, Composed, Shaped };
        State state = State::Unknown;
        QRawFont rawFont;
        std::array<qint64, 16> glyph{}; // -1 for a character drawn as space only
        std::array<double, 16> advance{};
    };
    struct ResolvedFont
    {
        CanvasFont key;
        QFont font;
        QFont deviceFont;
        QFontMetricsF metrics;
        double ascent = 0.0;
        QHash<QString, ShapedText> texts;
        NumberGlyphs numbers{};
    };
    mutable std::vector<ResolvedFont> mFonts;
    mutable std::size_t mCurrentFont = 0;
    ResolvedFont& resolved() const;
    const QFontMetricsF& metrics() const { return resolved().metrics; }
    // The shaped form of the text in the current font; nullptr for a text the painter must lay
    // out itself (control characters).
    const ShapedText* shaped(const QString& text) const;
    // The text laid out and shaped by the toolkit, its glyphs relative to the baseline.
    static ShapedText layOutText(const QFont& deviceFont, const QString& text);
    // A number's shape put together from its characters' shapes; false where the font cannot
    // be trusted to place them so, or the text is not a number's.
    bool composeNumber(ResolvedFont& font, const QString& text, ShapedText& shape) const;

    // Glyphs drawn but not yet handed to the painter: consecutive texts in one font go to the
    // device as one run, which the PDF engine writes as one text object instead of one each.
    QRawFont mPendingFont;
    double mPendingBaseline = 0.0;
    bool mPendingExact = false; // the first glyph of the pending run is placed exactly on paper
    QList<quint32> mPendingGlyphs;
    QList<QPointF> mPendingPositions;
};

} // namespace seiran
