#include "RecordingCanvas.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

namespace seiran {

namespace {
bool isHalfWidth(QChar c)
{
    const ushort u = c.unicode();
    return u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F);
}

QString cells(double v)
{
    // Avoid "-0.00" for values that round to zero.
    if (std::fabs(v) < 0.005) v = 0.0;
    return QString::number(v, 'f', 2);
}
} // namespace

RecordingCanvas::RecordingCanvas(double scaleWidth, double scaleHeight, const CanvasFont& font)
    : PageCanvas(false, font), mWidth(scaleWidth), mHeight(scaleHeight)
{
}

RecordingCanvas::RecordingCanvas(const QPageLayout& paper, const CanvasFont& font)
    : PageCanvas(true, font), mHasPaper(true), mPaper(paper)
{
}

double RecordingCanvas::ScaleWidth() const
{
    if (mHasPaper) return SheetCells(mPaper).width();
    return mWidth;
}

double RecordingCanvas::ScaleHeight() const
{
    if (mHasPaper) return SheetCells(mPaper).height();
    return mHeight;
}

void RecordingCanvas::SetOrientation(QPageLayout::Orientation orientation)
{
    if (mHasPaper) mPaper.setOrientation(orientation);
}

void RecordingCanvas::SetPaperSize(QPageSize::PageSizeId size)
{
    if (mHasPaper) mPaper.setPageSize(QPageSize(size));
}

double RecordingCanvas::ModelTextWidth(const QString& text, double pointSize)
{
    double ems = 0.0;
    for (QChar c : text) {
        if (c.isLowSurrogate()) continue;
        ems += isHalfWidth(c) ? 0.5 : 1.0;
    }
    return ems * pointSize / 6.0;
}

CanvasOp RecordingCanvas::make(CanvasOp::Kind kind) const
{
    CanvasOp op;
    op.kind = kind;
    op.page = page();
    op.font = Font();
    op.drawWidth = DrawWidth();
    op.drawStyle = DrawStyle();
    op.fillStyle = FillStyle();
    op.fillColor = FillColor();
    return op;
}

void RecordingCanvas::drawText(double x, double y, const QString& text)
{
    CanvasOp op = make(CanvasOp::Text);
    op.x1 = x;
    op.y1 = y;
    op.text = text;
    op.color = Qt::black;
    mOps.append(op);
}

double RecordingCanvas::measureText(const QString& text) const
{
    return ModelTextWidth(text, FontSize());
}

double RecordingCanvas::fontHeight() const
{
    return FontSize() / 12.0;
}

void RecordingCanvas::drawLine(double x1, double y1, double x2, double y2, LineShape shape, const QColor& color)
{
    const CanvasOp::Kind kind = shape == LineShape::Box         ? CanvasOp::Box
                                : shape == LineShape::FilledBox ? CanvasOp::FilledBox
                                                                : CanvasOp::Line;
    CanvasOp op = make(kind);
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = color;
    mOps.append(op);
}

void RecordingCanvas::drawPoint(double x, double y, const QColor& color)
{
    CanvasOp op = make(CanvasOp::Point);
    op.x1 = x;
    op.y1 = y;
    op.color = color;
    mOps.append(op);
}

void RecordingCanvas::drawCircle(double x, double y, double r, const QColor& color)
{
    CanvasOp op = make(CanvasOp::Circle);
    op.x1 = x;
    op.y1 = y;
    op.x2 = r;
    op.color = color;
    mOps.append(op);
}

void RecordingCanvas::clearSurface()
{
    mOps.append(make(CanvasOp::Clear));
}

void RecordingCanvas::startNextPage()
{
    CanvasOp op = make(CanvasOp::NewPage);
    op.page = page() + 1;
    mOps.append(op);
}

void RecordingCanvas::finishDocument()
{
    mOps.append(make(CanvasOp::EndDoc));
}

QList<CanvasOp> RecordingCanvas::texts(int onPage) const
{
    QList<CanvasOp> out;
    for (const CanvasOp& op : mOps)
        if (op.kind == CanvasOp::Text && (onPage == 0 || op.page == onPage)) out.append(op);
    return out;
}

QList<CanvasOp> RecordingCanvas::lines(int onPage) const
{
    QList<CanvasOp> out;
    for (const CanvasOp& op : mOps)
        if (op.kind == CanvasOp::Line && (onPage == 0 || op.page == onPage)) out.append(op);
    return out;
}

const CanvasOp* RecordingCanvas::findText(const QString& text) const
{
    for (const CanvasOp& op : mOps)
        if (op.kind == CanvasOp::Text && op.text == text) return &op;
    return nullptr;
}

const CanvasOp* RecordingCanvas::textAt(double x, double y, int onPage) const
{
    for (const CanvasOp& op : mOps)
        if (op.kind == CanvasOp::Text && (onPage == 0 || op.page == onPage) && std::fabs(op.x1 - x) < 0.005 &&
            std::fabs(op.y1 - y) < 0.005)
            return &op;
    return nullptr;
}

int RecordingCanvas::pageCount() const
{
    int pages = 0;
    for (const CanvasOp& op : mOps)
        pages = std::max(pages, op.page);
    return pages;
}

QStringList RecordingCanvas::dump() const
{
    QStringList out;
    for (const CanvasOp& op : mOps) {
        const QString line = DumpLine(op);
        if (!line.isEmpty()) out.append(line);
    }
    return out;
}

QString DumpLine(const CanvasOp& op)
{
    const QChar tab(u'\t');
    const QString page = QString::number(op.page);
    switch (op.kind) {
    case CanvasOp::Text:
        return QStringList{QStringLiteral("T"),           page,   cells(op.x1), cells(op.y1), op.font.name,
                           QString::number(op.font.size), op.text}
            .join(tab);
    case CanvasOp::Line:
    case CanvasOp::Box:
    case CanvasOp::FilledBox: {
        const QString kind = op.kind == CanvasOp::Line  ? QStringLiteral("L")
                             : op.kind == CanvasOp::Box ? QStringLiteral("B")
                                                        : QStringLiteral("F");
        return QStringList{kind,
                           page,
                           cells(op.x1),
                           cells(op.y1),
                           cells(op.x2),
                           cells(op.y2),
                           QString::number(op.drawWidth),
                           QString::number(op.drawStyle)}
            .join(tab);
    }
    case CanvasOp::Circle:
        return QStringList{
            QStringLiteral("C"),          page, cells(op.x1), cells(op.y1), cells(op.x2), QString::number(op.drawWidth),
            QString::number(op.drawStyle)}
            .join(tab);
    case CanvasOp::Point:
        return QStringList{QStringLiteral("P"), page, cells(op.x1), cells(op.y1)}.join(tab);
    case CanvasOp::NewPage:
        return QStringList{QStringLiteral("N"), page}.join(tab);
    case CanvasOp::Clear:
    case CanvasOp::EndDoc:
        break;
    }
    return QString();
}

} // namespace seiran
