#pragma once

#include <QLineEdit>

namespace seiran {

class FlexGrid;

// An edit box laid over one cell of a grid while the cell's text is typed. It tells the window
// when the typing is over (Enter, the focus going elsewhere, a mouse press in it when the window
// wants that) and when an arrow key asks for the row above or below; the window decides what
// the text does to the cell.
class CellEditBox : public QLineEdit
{
    Q_OBJECT
public:
    // `window` is the widget the box lies on (the grid's window).
    CellEditBox(FlexGrid* grid, QWidget* window);

    // The grid the box lies over (a window with one grid per class switches it).
    void setGrid(FlexGrid* grid) { mGrid = grid; }
    FlexGrid* grid() const { return mGrid; }

    // Shows the box over cell (row, col) with `text`, in front and focused. A cell scrolled out
    // of view is scrolled back first.
    void open(int row, int col, const QString& text);
    // Hides the box without a word.
    void dismiss();
    bool isOpen() const { return isVisible(); }
    int row() const { return mRow; }
    int col() const { return mCol; }
    // Puts the box over its cell again (after a resize).
    void place();
    // Whether a mouse press in the box ends the typing as Enter does.
    void setFinishOnMousePress(bool finish) { mFinishOnMousePress = finish; }

signals:
    // Enter (swallowed, without a sound), the focus leaving the box, or a mouse press in it.
    void finished();
    // The up or down arrow.
    void arrowPressed(bool up);
    // Escape: the box is closed and its text dropped.
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    FlexGrid* mGrid;
    int mRow = 0;
    int mCol = 0;
    bool mFinishOnMousePress = false;
};

} // namespace seiran
