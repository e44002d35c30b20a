#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class QPainter;

namespace seiran {

// The editable grid of every grid screen: cells of text addressed by row and column, fixed
// rows and columns that stay in view, cell-wise scrolling, a current cell with a rectangular
// selection, and events as signals. It is not a text editor: screens change cell texts in
// their key handlers. Rows and columns count from 0; fixed rows/columns come first.
class FlexGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    // Size
    int Rows() const { return mRows; }
    int Cols() const { return mCols; }
    void setRows(int rows);
    void setCols(int cols);
    int FixedRows() const { return mFixedRows; }
    int FixedCols() const { return mFixedCols; }
    void setFixedRows(int n);
    void setFixedCols(int n);

    // Cells
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // Text of the current cell.
    QString Text() const { return TextMatrix(mRow, mCol); }
    void setText(const QString& text) { setTextMatrix(mRow, mCol, text); }
    void clearCells(); // every cell's text becomes empty

    // Column widths (pixels) and alignment; row height is one for all rows.
    int ColWidth(int col) const;
    void setColWidth(int col, int width);
    // Sets every column to the same width.
    void setAllColWidths(int width);
    int RowHeight() const { return mRowHeight; }
    void setRowHeight(int height);
    Qt::Alignment ColAlignment(int col) const;
    void setColAlignment(int col, Qt::Alignment alignment);

    // Background colour of one cell; an invalid colour means the default.
    QColor CellBackColor(int row, int col) const;
    void setCellBackColor(int row, int col, const QColor& color);
    // Foreground colour of one cell; an invalid colour means the default.
    QColor CellForeColor(int row, int col) const;
    void setCellForeColor(int row, int col, const QColor& color);
    // Tooltip of one cell, shown when the mouse rests on it; empty for none.
    QString CellToolTip(int row, int col) const;
    void setCellToolTip(int row, int col, const QString& text);

    // The outer size that shows every column and the first `rows` rows (all rows when
    // negative) without a horizontal scroll bar: the columns, the frame and, when rows stay
    // hidden, the vertical scroll bar beside them.
    QSize fullSize(int rows = -1) const;
    // Every column and up to SizeHintRows rows: what a window opens at to show the whole grid
    // width.
    static constexpr int SizeHintRows = 20;
    QSize sizeHint() const override;

    // Current cell and the other corner of the selection. setRow/setCol collapse the
    // selection to the current cell, as the toolkit grid does. Code may put the current cell
    // on a fixed row or column; the keyboard and the mouse only reach the other cells. A change
    // made by code sends leaveCell/rowColChange/selChange like a user's move but does not
    // scroll: screens scroll themselves (setTopRow, setLeftCol) where they need to.
    int Row() const { return mRow; }
    int Col() const { return mCol; }
    int RowSel() const { return mRowSel; }
    int ColSel() const { return mColSel; }
    void setRow(int row);
    void setCol(int col);
    void setRowSel(int row);
    void setColSel(int col);
    // Normalised selection rectangle.
    int selTop() const { return qMin(mRow, mRowSel); }
    int selBottom() const { return qMax(mRow, mRowSel); }
    int selLeft() const { return qMin(mCol, mColSel); }
    int selRight() const { return qMax(mCol, mColSel); }
    // Whether dragging or Shift+arrows extend the selection (default true).
    void setAllowSelection(bool allow) { mAllowSelection = allow; }

    // Scrolling in whole cells: the first non-fixed row/column in view. TopRow stays between
    // FixedRows and the first row of the last full page, so the grid never scrolls into blank
    // space below the last row (near the end a requested top row stops short); LeftCol likewise.
    int TopRow() const { return mTopRow; }
    int LeftCol() const { return mLeftCol; }
    void setTopRow(int row);
    void setLeftCol(int col);
    // Number of non-fixed rows/columns from TopRow/LeftCol on that are wholly in view.
    int visibleRows() const;
    int visibleCols() const;

    // Geometry of the current cell, in the coordinates of this widget (for overlay edit
    // boxes and the Enter-movement checks of the entry screens). A cell scrolled out of view
    // gets the position it would have if the rows and columns went on beyond the edges.
    // Width and height include the grid line on the right and bottom edge.
    int CellLeft() const;
    int CellTop() const;
    int CellWidth() const;
    int CellHeight() const;
    QRect cellRect(int row, int col) const; // in this widget's coordinates; empty when hidden
    // Bottom and right edge of the cell area in this widget's coordinates, so that
    // CellTop() + CellHeight() > visibleHeight() says "the current cell is not wholly in view".
    int visibleHeight() const;
    int visibleWidth() const;
    // The cell at a point of this widget as QPoint(column, row), or (-1, -1).
    QPoint cellAt(const QPoint& pos) const;

    // Whether the wheel scrolls by itself; screens that take the wheel signal switch this off.
    void setWheelScrolls(bool scrolls) { mWheelScrolls = scrolls; }

    // Places an input method's candidate window at the current cell.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // A typed character: 3 Ctrl+C, 22 Ctrl+V, 8 Backspace, 13 Enter, 32 Space, or the
    // character's code. The grid itself never changes a cell on a key.
    void keyPress(int keyAscii);
    // A key before the grid handles it (Delete, Insert ...), with its modifiers.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    // The current cell is about to change (sent before the move).
    void leaveCell();
    // The current cell changed (after the move).
    void rowColChange();
    // The selection changed.
    void selChange();
    // A click or double click on a non-fixed cell, sent once that cell is current. Clicks on
    // the fixed cells or beside the cells only take the focus and send nothing.
    void clicked();
    void doubleClicked();
    // TopRow or LeftCol changed.
    void scrolled();
    // One signal per wheel notch (120 units, partial turns add up): 1 away from the user, -1
    // towards the user. With setWheelScrolls(true) the grid has already moved 3 rows.
    void wheel(int direction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    QColor colorAt(const QList<QColor>& colors, int row, int col) const;
    void setColorAt(QList<QColor>& colors, int row, int col, const QColor& color);
    void updateScrollBars();
    void moveCurrent(int row, int col, bool extend);
    void ensureVisible(int row, int col);
    int colX(int col) const;
    int rowY(int row) const;

    // Fixed rows/columns in use: the set counts may exceed the grid while it is being built.
    int fixedRowsInUse() const { return qMin(mFixedRows, mRows); }
    int fixedColsInUse() const { return qMin(mFixedCols, mCols); }
    int fixedHeight() const { return fixedRowsInUse() * mRowHeight; }
    int fixedWidth() const { return mColPos.at(fixedColsInUse()); }
    int rowCapacity() const;
    int maxTopRow() const;
    int maxLeftCol() const;
    int cellIndex(int row, int col) const { return row * mCols + col; }
    bool validCell(int row, int col) const { return row >= 0 && row < mRows && col >= 0 && col < mCols; }
    void resizeStorage(int rows, int cols);
    void updateColumnPositions();
    void clampAfterResize();
    void setCurrentCell(int row, int col, bool scroll);
    void setSelectionEnd(int row, int col);
    void navigateKey(int key, Qt::KeyboardModifiers modifiers);
    QPoint cellAtViewport(const QPoint& pos) const;
    QRect viewportCellRect(int row, int col) const;
    QRect viewportRangeRect(int top, int left, int bottom, int right) const;
    void updateRange(int top, int left, int bottom, int right);
    void paintCell(QPainter& painter, int row, int col, const QRect& rect, bool focused) const;
    void emitCharacters(const QString& text);

    int mRows = 2;
    int mCols = 2;
    int mFixedRows = 1;
    int mFixedCols = 1;
    int mRow = 1;
    int mCol = 1;
    int mRowSel = 1;
    int mColSel = 1;
    int mTopRow = 1;
    int mLeftCol = 1;
    int mRowHeight = 0;
    int mWheelDelta = 0;
    bool mAllowSelection = true;
    bool mWheelScrolls = true;
    bool mDragging = false;
    bool mSyncingScrollBars = false;
    bool mRowHeightSet = false; // false: the height follows the font
    bool mClickPending = false; // a press on a cell waits for its release
    QList<int> mColPos;         // left edge of every column from column 0, and the total width
    QList<QString> mText;
    QList<int> mColWidth;
    QList<Qt::Alignment> mColAlign;
    QList<QColor> mBack;
    QList<QColor> mFore;
    QList<QString> mTips; // kept only once a cell has a tooltip, as the colours
};

} // namespace seiran
