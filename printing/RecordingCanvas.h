#pragma once

#include "PageCanvas.h"

#include <QList>
#include <QStringList>

namespace seiran {

// One drawing operation as the recorder saw it, in the report's own coordinates.
struct CanvasOp
{
    enum Kind { Text, Line, Box, FilledBox, Circle, Point, NewPage, Clear, EndDoc };

    Kind kind = Text;
    int page = 1;
    // Text: (x1, y1) top-left. Lines and boxes: (x1, y1)-(x2, y2). Circle: centre (x1, y1),
    // radius x2. Point: (x1, y1).
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    CanvasFont font;
    QString text;
    int drawWidth = 1;
    int drawStyle = 0;
    int fillStyle = 1;
    QColor color;
    QColor fillColor;
};

// A canvas that draws nothing and remembers every operation, so that layouts can be checked
// exactly and `seiran-report --dump` can list them. Text widths follow the fixed-pitch report
// fonts: a half-width character is half an em, any other character a whole em, and an em of
// s points is s / 6 columns.
class RecordingCanvas final : public PageCanvas
{
public:
    // A preview of the given size in character cells.
    RecordingCanvas(double scaleWidth, double scaleHeight, const CanvasFont& font);
    // A printer whose sheets have the given layout (its paint rectangle is the usable area).
    RecordingCanvas(const QPageLayout& paper, const CanvasFont& font);

    double ScaleWidth() const override;
    double ScaleHeight() const override;
    void SetOrientation(QPageLayout::Orientation orientation) override;
    void SetPaperSize(QPageSize::PageSizeId size) override;

    const QList<CanvasOp>& ops() const { return mOps; }
    void clearOps() { mOps.clear(); }
    // The texts drawn, in order (optionally of one page only).
    QList<CanvasOp> texts(int page = 0) const;
    // The lines (not boxes) drawn, in order (optionally of one page only).
    QList<CanvasOp> lines(int page = 0) const;
    // The first text operation whose text is exactly `text`; nullptr when none.
    const CanvasOp* findText(const QString& text) const;
    // The first text at (x, y) (to 1/100 of a cell); nullptr when none.
    const CanvasOp* textAt(double x, double y, int page = 0) const;
    int pageCount() const;

    // One tab-separated line per drawing operation (see DumpLine).
    QStringList dump() const;

    // Width of a text in columns under the fixed-pitch model.
    static double ModelTextWidth(const QString& text, double pointSize);

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
    CanvasOp make(CanvasOp::Kind kind) const;

    bool mHasPaper = false;
    QPageLayout mPaper;
    double mWidth = 0.0;
    double mHeight = 0.0;
    QList<CanvasOp> mOps;
};

// The dump form of one operation, fields separated by tabs, coordinates in cells with two
// decimals:
//   T page x y font size text        a text, (x, y) its top-left corner
//   L page x1 y1 x2 y2 width style   a line; B a box, F a filled box
//   C page x y r width style         a circle
//   P page x y                       a point
//   N page                           a new sheet begins (its number)
// Clearing and the end of the job print nothing (an empty string).
QString DumpLine(const CanvasOp& op);

} // namespace seiran
