#pragma once

#include "PageCanvas.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <memory>

class QFrame;
class QLabel;
class QScrollBar;
class QWheelEvent;

namespace seiran {

class PainterCanvas;

// One preview canvas (mCanvases): a bordered picture whose inside is the PageCanvas of the
// preview.
class PreviewCanvasWidget : public QWidget
{
    Q_OBJECT
public:
    // `outer` is the size with the border; the picture is the inside.
    PreviewCanvasWidget(QWidget* parent, const QSize& outer, int border, int dpi, const CanvasFont& font);
    ~PreviewCanvasWidget() override;

    PainterCanvas& canvas() { return *mCanvas; }
    // The picture as drawn so far (closes the canvas's painter first).
    const QImage& picture();
    // A new outer size; the picture is blank again at the new size.
    void resizeOuter(const QSize& outer);
    int border() const { return mBorder; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage mImage;
    std::unique_ptr<PainterCanvas> mCanvas;
    int mBorder;
    int mDotsPerMeter = 0;
};

// The viewport, canvases and scroll bars every report window shows its page in. The window
// places the viewport and tells the pane when it was resized; the pane keeps the scroll bars
// beside the viewport, their ranges in step with the canvas, and moves every canvas when a bar
// moves.
class PreviewPane : public QObject
{
    Q_OBJECT
public:
    // Builds the controls on `window`: the viewport at `viewport` (outer geometry), `canvasCount`
    // canvases of columns x rows character cells on the same spot, and the invisible mMinSizeLabel
    // at `minimumSize` (the window's smallest width and height).
    PreviewPane(QWidget* window, const QRect& viewport, int canvasCount, int columns, int rows,
                const CanvasFont& canvasFont, const QPoint& minimumSize);

    QFrame* mFrame = nullptr;
    QList<PreviewCanvasWidget*> mCanvases;
    QScrollBar* mVerticalBar = nullptr;
    QScrollBar* mHorizontalBar = nullptr;
    QLabel* mMinSizeLabel = nullptr;

    PainterCanvas& canvas(int index = 0);
    // Rows of every canvas. A report whose page is longer than the usual canvas makes it taller
    // so that nothing is cut off; the scroll ranges follow.
    int canvasRows() const { return mRows; }
    void SetCanvasRows(int rows);
    // Columns and rows together: a report whose canvas is a sheet follows its orientation.
    int canvasColumns() const { return mColumns; }
    void SetCanvasCells(int columns, int rows);
    // Half the difference between the viewport's outer and inner width (height).
    int borderX() const { return mBorderX; }
    int borderY() const { return mBorderY; }
    // The part of the viewport the canvases are seen through.
    QWidget* viewportInside() const { return mInside; }

    // The window was resized: keep it no smaller than mMinSizeLabel, fit the viewport and the bars
    // to it, recompute the ranges.
    void fitToWindow();
    void UpdateScrollRanges();
    void ResetScroll();
    void BringToFront(int index);
    // Shows what was drawn on the canvases.
    void Refresh();

    void onVerticalScrolled(int value);
    void onHorizontalScrolled(int value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scrollByWheel(const QWheelEvent& event);
    void placeInside();
    QSize canvasOuterSize() const;

    QWidget* mWindow;
    int mColumns;
    int mRows;
    QWidget* mInside = nullptr;
    int mBorderX = 0;
    int mBorderY = 0;
    int mWheelRestX = 0; // parts of a notch from high-resolution wheels
    int mWheelRestY = 0;
};

} // namespace seiran
