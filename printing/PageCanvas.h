#pragma once

#include <QColor>
#include <QPageLayout>
#include <QPageSize>
#include <QPointF>
#include <QSizeF>
#include <QString>

namespace seiran {

// The font a canvas draws its texts in: one of the four report font names, a size in points
// and the bold flag.
struct CanvasFont
{
    QString name;
    double size = 10.0;
    bool bold = false;

    bool operator==(const CanvasFont&) const = default;
};

// How a `Line` call draws: a straight line, the outline of a box (filled by FillStyle and
// FillColor like a circle), or a box filled with the line's own colour.
enum class LineShape { Line, Box, FilledBox };

// Fill patterns as the reports number them (FillStyle).
namespace FillPattern {
constexpr int Solid = 0;
constexpr int Transparent = 1;
constexpr int Horizontal = 2;
constexpr int Vertical = 3;
constexpr int UpwardDiagonal = 4;
constexpr int DownwardDiagonal = 5;
constexpr int Cross = 6;
constexpr int DiagonalCross = 7;
} // namespace FillPattern

// Line styles as the reports number them (DrawStyle).
namespace LinePattern {
constexpr int Solid = 0;
constexpr int Dash = 1;
constexpr int Dot = 2;
constexpr int DashDot = 3;
constexpr int DashDotDot = 4;
constexpr int Invisible = 5;
constexpr int InsideSolid = 6;
} // namespace LinePattern

// The usable area of a sheet of this layout (its paint rectangle) in character cells: columns
// across and rows down.
QSizeF SheetCells(const QPageLayout& layout);

// The drawing surface every report draws on: a preview picture, a printer job or a recorder.
//
// All coordinates are character cells: one column is 1/12 inch, one row 1/6 inch, whatever the
// font. (ScaleLeft, ScaleTop) is the coordinate of the surface's top-left corner: (0, 0) on a
// preview, (-5, -3) on a printed sheet so that the report's (0, 0) lies inside the margins.
// CurrentX/CurrentY is the drawing position: the top-left corner of the next text, and the
// start of a `Line` given without a start point. Texts, lines and points all move it.
//
// The base class keeps the state and the text flow; a device only draws at positions given in
// the report's own coordinates and measures texts.
class PageCanvas
{
public:
    static constexpr double ColumnsPerInch = 12.0;
    static constexpr double RowsPerInch = 6.0;

    virtual ~PageCanvas();
    PageCanvas(const PageCanvas&) = delete;
    PageCanvas& operator=(const PageCanvas&) = delete;

    // A printer has sheets, margins, NewPage and EndDoc; a preview is cleared with Cls.
    bool isPrinter() const { return mPrinter; }

    // Character cells with the origin at the surface's corner (what the reports call
    // ScaleMode 4).
    void SetCharacterCells();
    double ScaleLeft() const { return mScaleLeft; }
    double ScaleTop() const { return mScaleTop; }
    void SetScaleLeft(double left) { mScaleLeft = left; }
    void SetScaleTop(double top) { mScaleTop = top; }
    // Usable width and height of the surface (the printable area of a sheet).
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;

    double CurrentX() const { return mCurrentX; }
    double CurrentY() const { return mCurrentY; }
    void SetCurrentX(double x) { mCurrentX = x; }
    void SetCurrentY(double y) { mCurrentY = y; }

    const CanvasFont& Font() const { return mFont; }
    QString FontName() const { return mFont.name; }
    double FontSize() const { return mFont.size; }
    bool FontBold() const { return mFont.bold; }
    void SetFontName(const QString& name) { mFont.name = name; }
    void SetFontSize(double size);
    void SetFontBold(bool bold) { mFont.bold = bold; }
    void SetFont(const CanvasFont& font);

    // Draws the text at the drawing position; CurrentX advances by its width, CurrentY stays.
    void Print(const QString& text);
    // The same, then a line end: CurrentX back to column 0 and CurrentY one line further.
    // Without a text it only ends the line.
    void PrintLine(const QString& text = QString());
    // Moves the drawing position to (x, y) and prints the text without a line end.
    void PrintAt(const QString& text, double x, double y);
    // One line of the current font: exactly one row for fonts up to 12 points, so that ruled
    // tables keep their rows; the font's own height above that.
    double LineAdvance() const;

    double TextWidth(const QString& text) const;
    double TextHeight() const;

    // Line (x1, y1)-(x2, y2): absolute start and end.
    void Line(double x1, double y1, double x2, double y2, LineShape shape = LineShape::Line,
              const QColor& color = Qt::black);
    // Line -(x2, y2): from the drawing position to an absolute end.
    void LineTo(double x2, double y2, LineShape shape = LineShape::Line, const QColor& color = Qt::black);
    // Line (x1, y1)-Step(dx, dy): the end point as an offset from the start.
    void LineStep(double x1, double y1, double dx, double dy, LineShape shape = LineShape::Line,
                  const QColor& color = Qt::black);
    // Line -Step(dx, dy): from the drawing position by an offset.
    void LineStepTo(double dx, double dy, LineShape shape = LineShape::Line, const QColor& color = Qt::black);
    // Sets one point and moves the drawing position there.
    void PSet(double x, double y, const QColor& color = Qt::black);
    // A circle of radius r (in columns) around (x, y), outlined in the line colour and filled
    // by FillStyle and FillColor.
    void Circle(double x, double y, double r, const QColor& color = Qt::black);

    int DrawWidth() const { return mDrawWidth; }
    void SetDrawWidth(int width) { mDrawWidth = width < 1 ? 1 : width; }
    int DrawStyle() const { return mDrawStyle; }
    void SetDrawStyle(int style) { mDrawStyle = style; }
    int FillStyle() const { return mFillStyle; }
    void SetFillStyle(int style) { mFillStyle = style; }
    QColor FillColor() const { return mFillColor; }
    void SetFillColor(const QColor& color) { mFillColor = color; }

    // Erases a preview (a printer ignores it) and moves the drawing position to the corner.
    void Cls();
    // Closes the current sheet and starts the next one (printers only).
    void NewPage();
    // Closes the last sheet and hands the job over (printers only).
    void EndDoc();
    // Sheet number of a printer job, from 1.
    int page() const { return mPage; }

    // Paper of the following sheets (printers only).
    virtual void SetOrientation(QPageLayout::Orientation orientation) = 0;
    virtual void SetPaperSize(QPageSize::PageSizeId size) = 0;

    // A device that could not start or finish its job says so here; drawing after a failure
    // does nothing.
    bool failed() const { return !mError.isEmpty(); }
    QString errorText() const { return mError; }

protected:
    PageCanvas(bool printer, const CanvasFont& font);

    // Device hooks. Positions are in the report's own coordinates; the device subtracts
    // ScaleLeft/ScaleTop itself.
    virtual void drawText(double x, double y, const QString& text) = 0;
    virtual double measureText(const QString& text) const = 0; // in columns
    virtual double fontHeight() const = 0;                     // in rows
    virtual void drawLine(double x1, double y1, double x2, double y2, LineShape shape, const QColor& color) = 0;
    virtual void drawPoint(double x, double y, const QColor& color) = 0;
    virtual void drawCircle(double x, double y, double r, const QColor& color) = 0;
    virtual void clearSurface() = 0;
    virtual void startNextPage() = 0;
    virtual void finishDocument() = 0;

    void setError(const QString& message)
    {
        if (mError.isEmpty()) mError = message;
    }

private:
    bool mPrinter;
    double mScaleLeft = 0.0;
    double mScaleTop = 0.0;
    double mCurrentX = 0.0;
    double mCurrentY = 0.0;
    CanvasFont mFont;
    int mDrawWidth = 1;
    int mDrawStyle = LinePattern::Solid;
    int mFillStyle = FillPattern::Transparent;
    QColor mFillColor = Qt::black;
    int mPage = 1;
    QString mError;
};

} // namespace seiran
