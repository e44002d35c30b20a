#include "PainterCanvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace seiran {

PainterCanvas::PainterCanvas(QImage* image, const CanvasFont& font)
    : PageCanvas(false, font), mImage(image), mDpiX(image->logicalDpiX()), mDpiY(image->logicalDpiY())
{
}

PainterCanvas::PainterCanvas(QPrinter* printer, const CanvasFont& font)
    : PageCanvas(true, font), mPaged(printer), mPrinter(printer), mDpiX(printer->logicalDpiX()),
      mDpiY(printer->logicalDpiY())
{
}

PainterCanvas::PainterCanvas(QPdfWriter* writer, const QString& fileName, const CanvasFont& font)
    : PageCanvas(true, font), mPaged(writer), mPdfFileName(fileName), mDpiX(writer->logicalDpiX()),
      mDpiY(writer->logicalDpiY())
{
}

bool PainterCanvas::writesPdf() const
{
    return mPaged && (!mPrinter || mPrinter->outputFormat() == QPrinter::PdfFormat);
}

QString PainterCanvas::pdfFileName() const
{
    return mPrinter ? mPrinter->outputFileName() : mPdfFileName;
}

PainterCanvas::~PainterCanvas()
{
    if (mPainter.isActive()) {
        flushText();
        mPainter.end();
    }
}

QPaintDevice* PainterCanvas::device() const
{
    if (mPaged) return mPaged;
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
    if (mPaged) return SheetCells(mPaged->pageLayout()).width();
    return mImage->width() / columnPixels();
}

double PainterCanvas::ScaleHeight() const
{
    if (mPaged) return SheetCells(mPaged->pageLayout()).height();
    return mImage->height() / rowPixels();
}

void PainterCanvas::SetOrientation(QPageLayout::Orientation orientation)
{
    // While a job runs the printer applies it from the next sheet on.
    if (mPaged) mPaged->setPageOrientation(orientation);
}

void PainterCanvas::SetPaperSize(QPageSize::PageSizeId size)
{
    if (mPaged) mPaged->setPageSize(QPageSize(size));
}

void PainterCanvas::finish()
{
    if (!mPaged && mPainter.isActive()) {
        flushText();
        mPainter.end();
    }
}

bool PainterCanvas::ensurePainter()
{
    if (mPainter.isActive()) return true;
    if (failed() || (mPaged && mJobEnded)) return false;
    if (!mPainter.begin(device())) {
        if (writesPdf())
            setError(QStringLiteral("PDFファイル「%1」を作成できませんでした。").arg(pdfFileName()));
        else if (mPaged)
            setError(QStringLiteral("プリンターで印刷を開始できませんでした。"));
        else
            setError(QStringLiteral("プレビューを描けませんでした。"));
        return false;
    }
    if (mPaged) mJobStarted = true;
    // A painter begins with the device's default font, pen and brush: the report's are set again.
    mPainterFontSet = false;
    mPenSet = false;
    mBrushSet = false;
    mPainter.setRenderHint(QPainter::TextAntialiasing, true);
    mPainter.setRenderHint(QPainter::Antialiasing, mPaged != nullptr);
    return true;
}

QPointF PainterCanvas::toDevice(double x, double y) const
{
    return QPointF((x - ScaleLeft()) * columnPixels(), (y - ScaleTop()) * rowPixels());
}

QFont PainterCanvas::qfont() const
{
    // A report font's name is a Windows name ("ＭＳ 明朝") that stands for a face of its own here:
    // asked for by that face's name, the toolkit finds it at once instead of first searching the
    // whole font configuration for a face of a name that is not there.
    QString family = FontName();
    if (!QFontDatabase::hasFamily(family))
        for (const QString& substitute : QFont::substitutes(family))
            if (QFontDatabase::hasFamily(substitute)) {
                family = substitute;
                break;
            }
    QFont f(family);
    f.setPointSizeF(FontSize());
    f.setBold(FontBold());
    return f;
}

PainterCanvas::ResolvedFont& PainterCanvas::resolved() const
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
    const QFontMetricsF metrics(font, device());
    // The font resolved for the device once: a layout given the bare font and the device would
    // resolve it, and look up its font engines, for every text again.
    mFonts.push_back(ResolvedFont{Font(), font, QFont(font, device()), metrics, metrics.ascent(), {}});
    mCurrentFont = mFonts.size() - 1;
    return mFonts.back();
}

const PainterCanvas::ShapedText* PainterCanvas::shaped(const QString& text) const
{
    ResolvedFont& font = resolved();
    const auto found = font.texts.constFind(text);
    if (found != font.texts.cend()) return &*found;
    // Tabs, line ends and the like are laid out by the painter as it always did.
    for (QChar c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0)) return nullptr;
    // A run prints a few thousand distinct texts; a bound keeps a preview left open from growing.
    if (font.texts.size() >= 20000) font.texts.clear();
    ShapedText shape;
    if (!composeNumber(font, text, shape)) shape = layOutText(font.deviceFont, text);
    return &*font.texts.insert(text, std::move(shape));
}

PainterCanvas::ShapedText PainterCanvas::layOutText(const QFont& deviceFont, const QString& text)
{
    QTextLayout layout(text, deviceFont);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setPosition(QPointF(0.0, 0.0));
    layout.endLayout();

    ShapedText shape;
    shape.advance = line.horizontalAdvance();
    const double baseline = line.ascent();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    shape.runs.reserve(runs.size());
    for (QGlyphRun run : runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions)
            p.ry() -= baseline;
        run.setPositions(positions);
        shape.runs.push_back(std::move(run));
    }
    return shape;
}

namespace {

// The characters numbers are written with, in the order of their slots.
constexpr char16_t NumberCharacters[] = u"0123456789 .-+";
constexpr int NumberCharacterCount = 14;

int numberSlot(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u == u' ') return 10;
    if (u == u'.') return 11;
    if (u == u'-') return 12;
    if (u == u'+') return 13;
    return -1;
}

bool sameShape(const std::vector<QGlyphRun>& a, double advanceA, const std::vector<QGlyphRun>& b, double advanceB)
{
    if (advanceA != advanceB || a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i].rawFont() == b[i].rawFont()) || a[i].glyphIndexes() != b[i].glyphIndexes() ||
            a[i].positions() != b[i].positions())
            return false;
    return true;
}

} // namespace

bool PainterCanvas::composeNumber(ResolvedFont& font, const QString& text, ShapedText& shape) const
{
    if (text.isEmpty()) return false;
    for (QChar c : text)
        if (numberSlot(c) < 0) return false;
    NumberGlyphs& numbers = font.numbers;
    // Puts a text of number characters together from the characters' shapes.
    const auto compose = [&numbers](const QString& t, ShapedText& out) {
        QList<quint32> glyphs;
        QList<QPointF> positions;
        double x = 0.0;
        for (QChar c : t) {
            const int slot = numberSlot(c);
            if (numbers.glyph[slot] >= 0) {
                glyphs.append(quint32(numbers.glyph[slot]));
                positions.append(QPointF(x, 0.0));
            }
            x += numbers.advance[slot];
        }
        out.runs.clear();
        if (!glyphs.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(numbers.rawFont);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            out.runs.push_back(std::move(run));
        }
        out.advance = x;
    };
    if (numbers.state == NumberGlyphs::State::Unknown) {
        numbers.state = NumberGlyphs::State::Shaped;
        // Each character alone: one glyph of one face, or (a blank) none.
        for (int i = 0; i < NumberCharacterCount; ++i) {
            const ShapedText alone = layOutText(font.deviceFont, QString(QChar(NumberCharacters[i])));
            if (alone.runs.size() > 1) return false;
            numbers.advance[i] = alone.advance;
            numbers.glyph[i] = -1;
            if (alone.runs.empty()) continue;
            const QGlyphRun& run = alone.runs.front();
            if (run.glyphIndexes().size() != 1 || run.positions().front() != QPointF(0.0, 0.0)) return false;
            if (numbers.rawFont.isValid() && !(numbers.rawFont == run.rawFont())) return false;
            numbers.rawFont = run.rawFont();
            numbers.glyph[i] = run.glyphIndexes().front();
        }
        // Every character after every other, and blanks at either end: put together, each must
        // come out exactly as the toolkit shapes it.
        QString pairs;
        for (int i = 0; i < NumberCharacterCount; ++i)
            for (int j = 0; j < NumberCharacterCount; ++j) {
                pairs += QChar(NumberCharacters[i]);
                pairs += QChar(NumberCharacters[j]);
            }
        for (const QString& check : {pairs, QStringLiteral(" 1"), QStringLiteral("1 "), QStringLiteral("  "),
                                     QStringLiteral(" -12.5  ")}) {
            ShapedText composed;
            compose(check, composed);
            const ShapedText laidOut = layOutText(font.deviceFont, check);
            if (!sameShape(composed.runs, composed.advance, laidOut.runs, laidOut.advance)) return false;
        }
        numbers.state = NumberGlyphs::State::Composed;
    }
    if (numbers.state != NumberGlyphs::State::Composed) return false;
    compose(text, shape);
    return true;
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

void PainterCanvas::usePen(const QPen& pen)
{
    if (mPenSet && mPen == pen) return;
    mPainter.setPen(pen);
    mPen = pen;
    mPenSet = true;
}

void PainterCanvas::useBrush(const QBrush& brush)
{
    if (mBrushSet && mBrush == brush) return;
    mPainter.setBrush(brush);
    mBrush = brush;
    mBrushSet = true;
}

void PainterCanvas::flushText()
{
    if (mPendingGlyphs.isEmpty()) return;
    usePen(QPen(Qt::black));
    QGlyphRun run;
    run.setRawFont(mPendingFont);
    run.setGlyphIndexes(mPendingGlyphs);
    run.setPositions(mPendingPositions);
    mPainter.drawGlyphRun(QPointF(0.0, 0.0), run);
    mPendingGlyphs.clear();
    mPendingPositions.clear();
}

namespace {

// The toolkit places a text at its position cut towards zero to 1/64 of a device pixel, and each
// glyph at that point plus the advances before it. Glyphs placed from the same cut point land
// where a text drawn whole would, to the bit; placed from the uncut point, a sum such as
// 2086.4999… + 0.0156… could cross the next 1/64 and move a glyph.
double toFixedPoint(double v)
{
    return double(static_cast<int>(v * 64.0)) / 64.0;
}

// Whether the PDF writer puts down a glyph position v exactly. It writes nine digits in all, cut,
// and each glyph after the first of a run as a step from the one before: a run whose first
// position loses its last digits carries that loss to all its glyphs. A text drawn on its own
// starts a run of its own, so texts are joined into one run only where no loss can arise, and a
// joined page looks like one drawn a text at a time, to the pixel.
bool writtenExactly(double v)
{
    v = std::fabs(v);
    if (v >= 1e9) return false;
    const double whole = std::floor(v);
    int decimals = 9;
    for (double w = whole; w >= 1.0; w = std::floor(w / 10.0))
        --decimals;
    double fraction = (v - whole);
    for (int i = 0; i < decimals; ++i)
        fraction *= 10.0;
    return fraction == std::floor(fraction);
}

} // namespace

void PainterCanvas::drawText(double x, double y, const QString& text)
{
    if (!ensurePainter()) return;
    const ResolvedFont& font = resolved();
    // The text hangs from its top: the glyphs of row y stay inside the band [y, y + 1).
    const QPointF top = toDevice(x, y);
    const QPointF baseline(toFixedPoint(top.x()), toFixedPoint(top.y() + font.ascent));
    const ShapedText* shape = shaped(text);
    if (!shape) {
        flushText();
        // Setting a font on the painter is dear: only when it changes.
        if (!mPainterFontSet || !(mPainterFont == Font())) {
            mPainter.setFont(font.font);
            mPainterFont = Font();
            mPainterFontSet = true;
        }
        usePen(QPen(Qt::black));
        mPainter.drawText(baseline, text);
        return;
    }
    for (const QGlyphRun& run : shape->runs) {
        const QRawFont raw = run.rawFont();
        const QList<QPointF> positions = run.positions();
        const bool exact = positions.isEmpty() || writtenExactly(baseline.x() + positions.first().x());
        if (!mPendingGlyphs.isEmpty() &&
            (!(raw == mPendingFont) || baseline.y() != mPendingBaseline || !exact || !mPendingExact))
            flushText();
        if (mPendingGlyphs.isEmpty()) {
            mPendingFont = raw;
            mPendingBaseline = baseline.y();
            mPendingExact = exact;
        }
        mPendingGlyphs.append(run.glyphIndexes());
        for (const QPointF& p : positions)
            mPendingPositions.append(baseline + p);
    }
}

double PainterCanvas::measureText(const QString& text) const
{
    if (const ShapedText* shape = shaped(text)) return shape->advance / columnPixels();
    return metrics().horizontalAdvance(text) / columnPixels();
}

double PainterCanvas::fontHeight() const
{
    return metrics().height() / rowPixels();
}

void PainterCanvas::drawLine(double x1, double y1, double x2, double y2, LineShape shape, const QColor& color)
{
    if (!ensurePainter()) return;
    flushText();
    const QPointF a = toDevice(x1, y1);
    const QPointF b = toDevice(x2, y2);
    usePen(pen(color));
    switch (shape) {
    case LineShape::Line:
        useBrush(Qt::NoBrush);
        mPainter.drawLine(a, b);
        break;
    case LineShape::Box:
        useBrush(fillBrush());
        mPainter.drawRect(QRectF(a, b).normalized());
        break;
    case LineShape::FilledBox:
        useBrush(QBrush(color));
        mPainter.drawRect(QRectF(a, b).normalized());
        break;
    }
}

void PainterCanvas::drawPoint(double x, double y, const QColor& color)
{
    if (!ensurePainter()) return;
    flushText();
    QPen p = pen(color);
    p.setStyle(Qt::SolidLine);
    p.setCapStyle(Qt::SquareCap);
    usePen(p);
    mPainter.drawPoint(toDevice(x, y));
}

void PainterCanvas::drawCircle(double x, double y, double r, const QColor& color)
{
    if (!ensurePainter()) return;
    flushText();
    const double radius = r * columnPixels();
    usePen(pen(color));
    useBrush(fillBrush());
    mPainter.drawEllipse(toDevice(x, y), radius, radius);
}

void PainterCanvas::clearSurface()
{
    if (!mImage) return;
    if (mPainter.isActive()) {
        // Glyphs not yet drawn belong to the picture being cleared.
        mPendingGlyphs.clear();
        mPendingPositions.clear();
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
    flushText();
    if (!mPaged->newPage()) setError(QStringLiteral("次のページを始められませんでした。"));
}

void PainterCanvas::finishDocument()
{
    if (!mPaged || !mJobStarted || mJobEnded) return;
    mJobEnded = true;
    flushText();
    const bool ended = mPainter.end();
    if (!ended || (mPrinter && mPrinter->printerState() == QPrinter::Error)) {
        if (writesPdf())
            setError(QStringLiteral("PDFファイル「%1」を書き込めませんでした。").arg(pdfFileName()));
        else
            setError(QStringLiteral("印刷を完了できませんでした。"));
    }
}

} // namespace seiran
