#include "FlexGrid.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

namespace seiran {

namespace {

constexpr int kDefaultColWidth = 64;
constexpr int kTextMargin = 3;
constexpr int kWheelNotch = 120;
constexpr int kWheelRows = 3;
// Enough for every grid of the program (401 x 14 at most) with a wide margin; a bigger request
// is cut down instead of exhausting memory.
constexpr qsizetype kMaxCells = 1 << 21;
constexpr int kMaxCols = 4096;

// Copies a row-major table into a new shape, keeping what lies in both.
template <typename T> QList<T> reshaped(const QList<T>& old, int oldRows, int oldCols, int rows, int cols)
{
    QList<T> out(qsizetype(rows) * cols);
    const int keepRows = qMin(oldRows, rows);
    const int keepCols = qMin(oldCols, cols);
    for (int r = 0; r < keepRows; ++r) {
        for (int c = 0; c < keepCols; ++c)
            out[qsizetype(r) * cols + c] = old.at(qsizetype(r) * oldCols + c);
    }
    return out;
}

// A column alignment without a vertical part is centred vertically, as grid cells are.
Qt::Alignment withVertical(Qt::Alignment alignment)
{
    if (!(alignment & Qt::AlignVertical_Mask)) alignment |= Qt::AlignVCenter;
    if (!(alignment & Qt::AlignHorizontal_Mask)) alignment |= Qt::AlignLeft;
    return alignment;
}

} // namespace

FlexGrid::FlexGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mRowHeight = fontMetrics().height() + 6;
    mText.resize(qsizetype(mRows) * mCols);
    mColWidth = QList<int>(mCols, kDefaultColWidth);
    mColAlign = QList<Qt::Alignment>(mCols, Qt::AlignLeft | Qt::AlignVCenter);
    updateColumnPositions();
    updateScrollBars();
}

FlexGrid::~FlexGrid() = default;

// ---------------------------------------------------------------------------------------------
// Size

void FlexGrid::resizeStorage(int rows, int cols)
{
    cols = qBound(0, cols, kMaxCols);
    rows = qBound(0, rows, cols > 0 ? int(kMaxCells / cols) : int(kMaxCells));
    if (rows == mRows && cols == mCols) return;
    mText = reshaped(mText, mRows, mCols, rows, cols);
    if (!mBack.isEmpty()) mBack = reshaped(mBack, mRows, mCols, rows, cols);
    if (!mFore.isEmpty()) mFore = reshaped(mFore, mRows, mCols, rows, cols);
    if (!mTips.isEmpty()) mTips = reshaped(mTips, mRows, mCols, rows, cols);
    mColWidth.resize(cols, kDefaultColWidth);
    mColAlign.resize(cols, Qt::AlignLeft | Qt::AlignVCenter);
    mRows = rows;
    mCols = cols;
    updateColumnPositions();
    clampAfterResize();
}

void FlexGrid::setRows(int rows)
{
    resizeStorage(rows, mCols);
}

void FlexGrid::setCols(int cols)
{
    resizeStorage(mRows, cols);
}

void FlexGrid::setFixedRows(int n)
{
    // A view that started at the first scrolling row starts at the new first one.
    if (mTopRow <= fixedRowsInUse()) mTopRow = qMin(qMax(0, n), mRows);
    mFixedRows = qMax(0, n);
    // The current cell leaves the new fixed area when there is a row to go to.
    if (mRow < mFixedRows && mFixedRows < mRows) mRow = mRowSel = mFixedRows;
    clampAfterResize();
}

void FlexGrid::setFixedCols(int n)
{
    // A view that started at the first scrolling column starts at the new first one, so that
    // columns that stop being fixed are shown rather than left out of the view.
    if (mLeftCol <= fixedColsInUse()) mLeftCol = qMin(qMax(0, n), mCols);
    mFixedCols = qMax(0, n);
    if (mCol < mFixedCols && mFixedCols < mCols) mCol = mColSel = mFixedCols;
    clampAfterResize();
}

// Structural changes move the current cell and the scroll position silently: they happen while
// a screen builds its grid, before anybody listens for moves.
void FlexGrid::clampAfterResize()
{
    const int lastRow = qMax(0, mRows - 1);
    const int lastCol = qMax(0, mCols - 1);
    mRow = qBound(0, mRow, lastRow);
    mRowSel = qBound(0, mRowSel, lastRow);
    mCol = qBound(0, mCol, lastCol);
    mColSel = qBound(0, mColSel, lastCol);
    const int top = qBound(fixedRowsInUse(), mTopRow, maxTopRow());
    const int left = qBound(fixedColsInUse(), mLeftCol, maxLeftCol());
    const bool scrolledNow = top != mTopRow || left != mLeftCol;
    mTopRow = top;
    mLeftCol = left;
    updateScrollBars();
    viewport()->update();
    if (scrolledNow) emit scrolled();
}

// ---------------------------------------------------------------------------------------------
// Cells

QString FlexGrid::TextMatrix(int row, int col) const
{
    if (!validCell(row, col)) return QString();
    return mText.at(cellIndex(row, col));
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text)
{
    if (!validCell(row, col)) return;
    QString& cell = mText[cellIndex(row, col)];
    if (cell == text) return;
    cell = text;
    const QRect rect = viewportCellRect(row, col);
    if (!rect.isEmpty()) viewport()->update(rect);
}

void FlexGrid::clearCells()
{
    for (QString& text : mText)
        text.clear();
    viewport()->update();
}

int FlexGrid::ColWidth(int col) const
{
    return col >= 0 && col < mCols ? mColWidth.at(col) : 0;
}

void FlexGrid::setColWidth(int col, int width)
{
    if (col < 0 || col >= mCols) return;
    mColWidth[col] = qBound(0, width, 10000);
    updateColumnPositions();
    clampAfterResize();
}

void FlexGrid::setAllColWidths(int width)
{
    mColWidth.fill(qBound(0, width, 10000));
    updateColumnPositions();
    clampAfterResize();
}

void FlexGrid::setRowHeight(int height)
{
    mRowHeight = qBound(1, height, 1000);
    mRowHeightSet = true;
    clampAfterResize();
}

Qt::Alignment FlexGrid::ColAlignment(int col) const
{
    return col >= 0 && col < mCols ? mColAlign.at(col) : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= mCols) return;
    mColAlign[col] = withVertical(alignment);
    viewport()->update();
}

// Cell colours are kept only once a cell has one, so large grids without colours cost nothing.
QColor FlexGrid::colorAt(const QList<QColor>& colors, int row, int col) const
{
    return validCell(row, col) && !colors.isEmpty() ? colors.at(cellIndex(row, col)) : QColor();
}

void FlexGrid::setColorAt(QList<QColor>& colors, int row, int col, const QColor& color)
{
    if (!validCell(row, col)) return;
    if (colors.isEmpty()) {
        if (!color.isValid()) return;
        colors.resize(qsizetype(mRows) * mCols);
    }
    colors[cellIndex(row, col)] = color;
    viewport()->update(viewportCellRect(row, col));
}

QColor FlexGrid::CellBackColor(int row, int col) const
{
    return colorAt(mBack, row, col);
}

void FlexGrid::setCellBackColor(int row, int col, const QColor& color)
{
    setColorAt(mBack, row, col, color);
}

QColor FlexGrid::CellForeColor(int row, int col) const
{
    return colorAt(mFore, row, col);
}

void FlexGrid::setCellForeColor(int row, int col, const QColor& color)
{
    setColorAt(mFore, row, col, color);
}

QString FlexGrid::CellToolTip(int row, int col) const
{
    return validCell(row, col) && !mTips.isEmpty() ? mTips.at(cellIndex(row, col)) : QString();
}

void FlexGrid::setCellToolTip(int row, int col, const QString& text)
{
    if (!validCell(row, col)) return;
    if (mTips.isEmpty()) {
        if (text.isEmpty()) return;
        mTips.resize(qsizetype(mRows) * mCols);
    }
    mTips[cellIndex(row, col)] = text;
}

bool FlexGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QPoint cell = cellAtViewport(help->pos());
        const QString tip = CellToolTip(cell.y(), cell.x());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport(), viewportCellRect(cell.y(), cell.x()));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Current cell and selection

void FlexGrid::setRow(int row)
{
    if (mRows > 0) setCurrentCell(qBound(0, row, mRows - 1), mCol, false);
}

void FlexGrid::setCol(int col)
{
    if (mCols > 0) setCurrentCell(mRow, qBound(0, col, mCols - 1), false);
}

void FlexGrid::setRowSel(int row)
{
    if (mRows > 0) setSelectionEnd(qBound(0, row, mRows - 1), mColSel);
}

void FlexGrid::setColSel(int col)
{
    if (mCols > 0) setSelectionEnd(mRowSel, qBound(0, col, mCols - 1));
}

void FlexGrid::setCurrentCell(int row, int col, bool scroll)
{
    if (!validCell(row, col)) return;
    QPointer<FlexGrid> self(this);
    const bool moved = row != mRow || col != mCol;
    if (moved) {
        emit leaveCell();
        // A handler may have closed the window or reshaped the grid.
        if (!self || !validCell(row, col)) return;
    }
    const int oldTop = selTop(), oldLeft = selLeft(), oldBottom = selBottom(), oldRight = selRight();
    const bool selectionChanged = moved || mRowSel != row || mColSel != col;
    mRow = mRowSel = row;
    mCol = mColSel = col;
    if (scroll) ensureVisible(row, col);
    updateRange(oldTop, oldLeft, oldBottom, oldRight);
    updateRange(row, col, row, col);
    if (moved) {
        emit rowColChange();
        if (!self) return;
    }
    if (selectionChanged) emit selChange();
}

void FlexGrid::setSelectionEnd(int row, int col)
{
    if (row == mRowSel && col == mColSel) return;
    const int oldTop = selTop(), oldLeft = selLeft(), oldBottom = selBottom(), oldRight = selRight();
    mRowSel = row;
    mColSel = col;
    updateRange(qMin(oldTop, selTop()), qMin(oldLeft, selLeft()), qMax(oldBottom, selBottom()),
                qMax(oldRight, selRight()));
    emit selChange();
}

// Moves the current cell (or, extending, the selection end) as the keyboard and mouse do: only
// among the non-fixed cells, and scrolling as little as needed to keep the target in view.
void FlexGrid::moveCurrent(int row, int col, bool extend)
{
    const int firstRow = fixedRowsInUse(), firstCol = fixedColsInUse();
    if (firstRow >= mRows || firstCol >= mCols) return;
    row = qBound(firstRow, row, mRows - 1);
    col = qBound(firstCol, col, mCols - 1);
    if (extend && mAllowSelection) {
        ensureVisible(row, col);
        setSelectionEnd(row, col);
    } else {
        setCurrentCell(row, col, true);
    }
}

// ---------------------------------------------------------------------------------------------
// Scrolling

void FlexGrid::setTopRow(int row)
{
    row = qBound(fixedRowsInUse(), row, maxTopRow());
    if (row == mTopRow) return;
    const int dy = (mTopRow - row) * mRowHeight;
    mTopRow = row;
    updateScrollBars();
    // Moving the pixels that stay in view leaves only the uncovered rows to paint: the Enter key
    // of the entry screens scrolls one row at a time through 400 pupils.
    const QRect area(0, fixedHeight(), viewport()->width(), viewport()->height() - fixedHeight());
    if (qAbs(dy) < area.height())
        viewport()->scroll(0, dy, area);
    else
        viewport()->update();
    emit scrolled();
}

void FlexGrid::setLeftCol(int col)
{
    col = qBound(fixedColsInUse(), col, maxLeftCol());
    if (col == mLeftCol) return;
    const int dx = mColPos.at(mLeftCol) - mColPos.at(col);
    mLeftCol = col;
    updateScrollBars();
    const QRect area(fixedWidth(), 0, viewport()->width() - fixedWidth(), viewport()->height());
    if (qAbs(dx) < area.width())
        viewport()->scroll(dx, 0, area);
    else
        viewport()->update();
    emit scrolled();
}

QSize FlexGrid::fullSize(int rows) const
{
    rows = rows < 0 ? mRows : qMin(rows, mRows);
    int width = mColPos.at(mCols) + 2 * frameWidth();
    const int height = rows * mRowHeight + 2 * frameWidth();
    if (rows < mRows && verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
        width += verticalScrollBar()->sizeHint().width();
        if (style()->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, nullptr, this))
            width += style()->pixelMetric(QStyle::PM_ScrollView_ScrollBarSpacing, nullptr, this);
    }
    return {width, height};
}

QSize FlexGrid::sizeHint() const
{
    return fullSize(SizeHintRows);
}

int FlexGrid::rowCapacity() const
{
    return mRowHeight > 0 ? qMax(0, (viewport()->height() - fixedHeight()) / mRowHeight) : 0;
}

int FlexGrid::maxTopRow() const
{
    return qMax(fixedRowsInUse(), mRows - qMax(1, rowCapacity()));
}

int FlexGrid::maxLeftCol() const
{
    const int first = fixedColsInUse();
    if (first >= mCols) return first;
    const int room = viewport()->width() - fixedWidth();
    int left = mCols - 1;
    while (left > first && mColPos.at(mCols) - mColPos.at(left - 1) <= room)
        --left;
    return left;
}

int FlexGrid::visibleRows() const
{
    return qMax(0, qMin(rowCapacity(), mRows - mTopRow));
}

int FlexGrid::visibleCols() const
{
    const int room = viewport()->width() - fixedWidth();
    int count = 0;
    while (mLeftCol + count < mCols && mColPos.at(mLeftCol + count + 1) - mColPos.at(mLeftCol) <= room)
        ++count;
    return count;
}

void FlexGrid::ensureVisible(int row, int col)
{
    if (row >= fixedRowsInUse()) {
        if (row < mTopRow)
            setTopRow(row);
        else if (row >= mTopRow + qMax(1, rowCapacity()))
            setTopRow(row - qMax(1, rowCapacity()) + 1);
    }
    if (col >= fixedColsInUse() && col < mCols) {
        if (col < mLeftCol) {
            setLeftCol(col);
        } else {
            const int room = viewport()->width() - fixedWidth();
            int left = mLeftCol;
            while (left < col && mColPos.at(col + 1) - mColPos.at(left) > room)
                ++left;
            setLeftCol(left);
        }
    }
}

void FlexGrid::updateScrollBars()
{
    mSyncingScrollBars = true;
    // A grid that fits the viewport without scroll bars needs none, even while they are still
    // shown and take room from it (the grid has just grown): otherwise they would stay for good.
    const QSize room = maximumViewportSize();
    const bool fitsWithoutBars = mColPos.at(mCols) <= room.width() && mRows * mRowHeight <= room.height();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, fitsWithoutBars ? 0 : maxTopRow() - fixedRowsInUse());
    vertical->setSingleStep(1);
    vertical->setPageStep(qMax(1, rowCapacity()));
    vertical->setValue(mTopRow - fixedRowsInUse());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, fitsWithoutBars ? 0 : maxLeftCol() - fixedColsInUse());
    horizontal->setSingleStep(1);
    horizontal->setPageStep(qMax(1, visibleCols()));
    horizontal->setValue(mLeftCol - fixedColsInUse());
    mSyncingScrollBars = false;
}

// The scroll bars count whole rows and columns; a move of theirs becomes TopRow/LeftCol.
void FlexGrid::scrollContentsBy(int, int)
{
    if (mSyncingScrollBars) return;
    setTopRow(fixedRowsInUse() + verticalScrollBar()->value());
    setLeftCol(fixedColsInUse() + horizontalScrollBar()->value());
}

// ---------------------------------------------------------------------------------------------
// Geometry

void FlexGrid::updateColumnPositions()
{
    mColPos.resize(mCols + 1);
    mColPos[0] = 0;
    for (int c = 0; c < mCols; ++c)
        mColPos[c + 1] = mColPos.at(c) + mColWidth.at(c);
}

// Left edge of a column in viewport coordinates; columns scrolled out of view on the left get
// negative positions behind the fixed columns.
int FlexGrid::colX(int col) const
{
    col = qBound(0, col, mCols);
    if (col < fixedColsInUse()) return mColPos.at(col);
    return fixedWidth() + mColPos.at(col) - mColPos.at(mLeftCol);
}

int FlexGrid::rowY(int row) const
{
    if (row < fixedRowsInUse()) return row * mRowHeight;
    return fixedHeight() + (row - mTopRow) * mRowHeight;
}

// The cell's rectangle in viewport coordinates, or an empty one when it is out of view.
QRect FlexGrid::viewportCellRect(int row, int col) const
{
    if (!validCell(row, col)) return QRect();
    if ((row >= fixedRowsInUse() && row < mTopRow) || (col >= fixedColsInUse() && col < mLeftCol)) return QRect();
    const QRect rect(colX(col), rowY(row), mColWidth.at(col), mRowHeight);
    if (rect.isEmpty() || !rect.intersects(viewport()->rect())) return QRect();
    return rect;
}

// The area of a block of cells in viewport coordinates, cut to the viewport.
QRect FlexGrid::viewportRangeRect(int top, int left, int bottom, int right) const
{
    if (mRows == 0 || mCols == 0) return QRect();
    top = qBound(0, top, mRows - 1);
    bottom = qBound(0, bottom, mRows - 1);
    left = qBound(0, left, mCols - 1);
    right = qBound(0, right, mCols - 1);
    const QRect rect(QPoint(colX(left), rowY(top)), QPoint(colX(right + 1) - 1, rowY(bottom) + mRowHeight - 1));
    return rect.intersected(viewport()->rect());
}

void FlexGrid::updateRange(int top, int left, int bottom, int right)
{
    const QRect rect = viewportRangeRect(top, left, bottom, right);
    if (!rect.isEmpty()) viewport()->update(rect);
}

QRect FlexGrid::cellRect(int row, int col) const
{
    const QRect rect = viewportCellRect(row, col);
    return rect.isEmpty() ? QRect() : rect.translated(viewport()->pos());
}

int FlexGrid::CellLeft() const
{
    return viewport()->x() + colX(mCol);
}

int FlexGrid::CellTop() const
{
    return viewport()->y() + rowY(mRow);
}

int FlexGrid::CellWidth() const
{
    return ColWidth(mCol);
}

int FlexGrid::CellHeight() const
{
    return mRowHeight;
}

int FlexGrid::visibleHeight() const
{
    return viewport()->y() + viewport()->height();
}

int FlexGrid::visibleWidth() const
{
    return viewport()->x() + viewport()->width();
}

QPoint FlexGrid::cellAt(const QPoint& pos) const
{
    if (!viewport()->geometry().contains(pos)) return QPoint(-1, -1);
    return cellAtViewport(pos - viewport()->pos());
}

QPoint FlexGrid::cellAtViewport(const QPoint& pos) const
{
    if (pos.x() < 0 || pos.y() < 0 || mRowHeight <= 0) return QPoint(-1, -1);
    int row = pos.y() / mRowHeight;
    if (row >= fixedRowsInUse()) row = mTopRow + (pos.y() - fixedHeight()) / mRowHeight;
    int col = -1;
    if (pos.x() < fixedWidth()) {
        col =
            int(std::upper_bound(mColPos.begin(), mColPos.begin() + fixedColsInUse() + 1, pos.x()) - mColPos.begin()) -
            1;
    } else {
        const int x = pos.x() - fixedWidth() + mColPos.at(mLeftCol);
        col = int(std::upper_bound(mColPos.begin() + mLeftCol, mColPos.end(), x) - mColPos.begin()) - 1;
    }
    if (row < 0 || row >= mRows || col < 0 || col >= mCols) return QPoint(-1, -1);
    return QPoint(col, row);
}

// ---------------------------------------------------------------------------------------------
// Painting

void FlexGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.fillRect(area, palette().color(group, QPalette::Mid));
    const bool focused = hasFocus();
    const int width = viewport()->width();
    const int height = viewport()->height();

    // Only the rows and columns in view are visited: the fixed ones, then from TopRow/LeftCol
    // on until the viewport's edge.
    QList<int> rows, cols;
    for (int r = 0; r < fixedRowsInUse(); ++r)
        rows.append(r);
    for (int r = mTopRow; r < mRows && rowY(r) < height; ++r)
        rows.append(r);
    for (int c = 0; c < fixedColsInUse(); ++c)
        cols.append(c);
    for (int c = mLeftCol; c < mCols && colX(c) < width; ++c)
        cols.append(c);

    for (int r : rows) {
        const int y = rowY(r);
        if (y > area.bottom() || y + mRowHeight <= area.top()) continue;
        for (int c : cols) {
            const QRect rect(colX(c), y, mColWidth.at(c), mRowHeight);
            if (rect.width() > 0 && rect.intersects(area)) paintCell(painter, r, c, rect, focused);
        }
    }
}

void FlexGrid::paintCell(QPainter& painter, int row, int col, const QRect& rect, bool focused) const
{
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QPalette& pal = palette();
    const bool fixed = row < fixedRowsInUse() || col < fixedColsInUse();
    const bool current = row == mRow && col == mCol;
    const bool selected =
        !fixed && !current && row >= selTop() && row <= selBottom() && col >= selLeft() && col <= selRight();
    const QRect inner = rect.adjusted(0, 0, -1, -1);
    QColor fore;
    if (fixed) {
        // A raised header cell: light edge top and left, shadow bottom and right. A colour set on
        // the cell marks it (the number of the current row).
        const QColor mark = CellBackColor(row, col);
        painter.fillRect(rect, mark.isValid() ? mark : pal.color(group, QPalette::Button));
        painter.setPen(pal.color(group, QPalette::Light));
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
        painter.setPen(pal.color(group, QPalette::Dark));
        painter.drawLine(rect.topRight(), rect.bottomRight());
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        fore = pal.color(group, QPalette::ButtonText);
    } else {
        QColor back = pal.color(group, QPalette::Base);
        fore = pal.color(group, QPalette::Text);
        if (selected) {
            back = pal.color(group, QPalette::Highlight);
            fore = pal.color(group, QPalette::HighlightedText);
        } else {
            const QColor cellBack = CellBackColor(row, col);
            const QColor cellFore = CellForeColor(row, col);
            if (cellBack.isValid()) back = cellBack;
            if (cellFore.isValid()) fore = cellFore;
        }
        painter.fillRect(inner, back);
        painter.setPen(QColor(0xC0, 0xC0, 0xC0));
        painter.drawLine(rect.topRight(), rect.bottomRight());
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    }

    const QString& text = mText.at(cellIndex(row, col));
    if (!text.isEmpty()) {
        // Placed by hand rather than through the rectangle form of drawText, which lays the text
        // out anew for every cell: a full grid paints in about two thirds of the time this way.
        painter.setPen(fore);
        const QFontMetrics metrics = painter.fontMetrics();
        const QRect box = inner.adjusted(kTextMargin, 0, -kTextMargin, 0);
        const int textWidth = metrics.horizontalAdvance(text);
        const Qt::Alignment align = mColAlign.at(col);
        int x = box.left();
        if (align & Qt::AlignRight)
            x = box.right() + 1 - textWidth;
        else if (align & Qt::AlignHCenter)
            x = box.left() + (box.width() - textWidth) / 2;
        int y = box.top() + (box.height() - metrics.height()) / 2;
        if (align & Qt::AlignTop)
            y = box.top();
        else if (align & Qt::AlignBottom)
            y = box.bottom() + 1 - metrics.height();
        const bool overflows = x < box.left() || textWidth > box.width() || metrics.height() > box.height();
        if (overflows) {
            painter.save();
            painter.setClipRect(box, Qt::IntersectClip);
        }
        painter.drawText(x, y + metrics.ascent(), text);
        if (overflows) painter.restore();
    }

    if (current && !fixed) {
        QPen pen(pal.color(group, QPalette::Text));
        if (focused) {
            pen.setWidth(2);
            painter.setPen(pen);
            painter.drawRect(inner.adjusted(1, 1, -1, -1));
        } else {
            pen.setStyle(Qt::DotLine);
            painter.setPen(pen);
            painter.drawRect(inner.adjusted(0, 0, -1, -1));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Keyboard

bool FlexGrid::event(QEvent* event)
{
    // The grid's own keys win over window shortcuts, as in an edit box: Ctrl+C and Ctrl+V are
    // the screens' copy and paste. Ctrl+F (find a pupil), Ctrl+Z and Ctrl+Y (undo, redo) stay the
    // window's.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        const bool ctrlLetter = mods == Qt::ControlModifier && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z &&
                                key->key() != Qt::Key_F && key->key() != Qt::Key_Z && key->key() != Qt::Key_Y;
        bool plain = false;
        if (mods == Qt::NoModifier) {
            switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Home:
            case Qt::Key_End:
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Backspace:
            case Qt::Key_Space:
            case Qt::Key_Delete:
            case Qt::Key_Insert:
                plain = true;
                break;
            default:
                plain = !key->text().isEmpty() && key->text().at(0).unicode() > 32 && key->text().at(0) != QChar(127);
                break;
            }
        }
        if (ctrlLetter || plain) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    QPointer<FlexGrid> self(this);
    emit keyDown(event->key(), event->modifiers());
    if (!self) return;

    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & (Qt::AltModifier | Qt::MetaModifier);
    const int key = event->key();
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (alt) break;
        navigateKey(key, mods);
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl || alt) break;
        event->accept();
        emit keyPress(13);
        return;
    case Qt::Key_Backspace:
        if (ctrl || alt) break;
        event->accept();
        emit keyPress(8);
        return;
    case Qt::Key_Space:
        if (ctrl || alt) break;
        event->accept();
        emit keyPress(32);
        return;
    default:
        break;
    }

    // Ctrl+letter gives the control code (Ctrl+C 3, Ctrl+V 22, Ctrl+X 24). Alt or Ctrl alone with
    // anything else is a shortcut for somebody else; Ctrl+Alt is AltGr on some keyboards.
    if (ctrl && !alt) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            event->accept();
            emit keyPress(key - Qt::Key_A + 1);
            return;
        }
        event->ignore();
        return;
    }
    if (alt && !ctrl) {
        event->ignore();
        return;
    }
    const QString text = event->text();
    bool printable = !text.isEmpty();
    for (QChar ch : text)
        printable = printable && (ch.unicode() >= 32 && ch.unicode() != 127);
    if (!printable) {
        // Escape, Tab, Delete, function keys...: left to the window (Escape closes dialogs).
        event->ignore();
        return;
    }
    event->accept();
    emitCharacters(text);
}

void FlexGrid::emitCharacters(const QString& text)
{
    QPointer<FlexGrid> self(this);
    for (qsizetype i = 0; i < text.size() && self; ++i) {
        char32_t code = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (code >= 32 && code != 127) emit keyPress(int(code));
    }
}

void FlexGrid::navigateKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool extend = (modifiers & Qt::ShiftModifier) && mAllowSelection;
    const bool ctrl = modifiers & Qt::ControlModifier;
    int row = extend ? mRowSel : mRow;
    int col = extend ? mColSel : mCol;
    const int firstRow = fixedRowsInUse(), firstCol = fixedColsInUse();
    const int page = qMax(1, rowCapacity());
    switch (key) {
    case Qt::Key_Up:
        row = ctrl ? firstRow : row - 1;
        break;
    case Qt::Key_Down:
        row = ctrl ? mRows - 1 : row + 1;
        break;
    case Qt::Key_Left:
        col = ctrl ? firstCol : col - 1;
        break;
    case Qt::Key_Right:
        col = ctrl ? mCols - 1 : col + 1;
        break;
    case Qt::Key_PageUp:
        row -= page;
        // The page turns with the cell, so the cell keeps its place in the window.
        setTopRow(mTopRow - page);
        break;
    case Qt::Key_PageDown:
        row += page;
        setTopRow(mTopRow + page);
        break;
    case Qt::Key_Home:
        col = firstCol;
        if (ctrl) row = firstRow;
        break;
    case Qt::Key_End:
        col = mCols - 1;
        if (ctrl) row = mRows - 1;
        break;
    default:
        return;
    }
    moveCurrent(row, col, extend);
}

void FlexGrid::inputMethodEvent(QInputMethodEvent* event)
{
    // Text composed in an input method arrives as a whole; the screens see it one character at a
    // time, as if typed. The composition itself is not shown in the grid.
    const QString text = event->commitString();
    event->accept();
    if (!text.isEmpty()) emitCharacters(text);
}

QVariant FlexGrid::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle:
        return QRect(CellLeft(), CellTop(), CellWidth(), CellHeight());
    case Qt::ImFont:
        return font();
    case Qt::ImHints:
        return int(Qt::ImhNone);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

bool FlexGrid::focusNextPrevChild(bool next)
{
    // Tab keeps its ordinary meaning: on to the next control of the window.
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void FlexGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    updateRange(mRow, mCol, mRow, mCol);
}

void FlexGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    updateRange(mRow, mCol, mRow, mCol);
}

// ---------------------------------------------------------------------------------------------
// Mouse and wheel

// Presses on the fixed cells and outside the cells only take the focus; a press on a cell makes
// it current (or, with Shift, extends the selection to it) and the release sends clicked().
void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    mClickPending = false;
    mDragging = false;
    if (event->button() != Qt::LeftButton) return;
    const QPoint cell = cellAtViewport(event->position().toPoint());
    if (cell.x() < fixedColsInUse() || cell.y() < fixedRowsInUse()) return;
    QPointer<FlexGrid> self(this);
    moveCurrent(cell.y(), cell.x(), event->modifiers() & Qt::ShiftModifier);
    if (!self) return;
    mClickPending = true;
    mDragging = mAllowSelection;
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!mDragging || !(event->buttons() & Qt::LeftButton)) return;
    // Outside the cell area the selection grows one row or column past the edge, so dragging
    // beyond the edge scrolls on.
    const QPoint pos = event->position().toPoint();
    int row = mRowSel, col = mColSel;
    if (pos.y() < fixedHeight())
        row = mTopRow - 1;
    else if (pos.y() >= viewport()->height())
        row = mTopRow + qMax(1, rowCapacity());
    else
        row = cellAtViewport(QPoint(qMax(fixedWidth(), 0), pos.y())).y();
    if (pos.x() < fixedWidth())
        col = mLeftCol - 1;
    else if (pos.x() >= viewport()->width())
        col = mLeftCol + qMax(1, visibleCols());
    else
        col = cellAtViewport(QPoint(pos.x(), qMax(fixedHeight(), 0))).x();
    if (row < 0) row = mRows - 1; // below the last row
    if (col < 0) col = mCols - 1; // right of the last column
    moveCurrent(row, col, true);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    mDragging = false;
    if (mClickPending) {
        mClickPending = false;
        emit clicked();
    }
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    mClickPending = false;
    if (event->button() != Qt::LeftButton) return;
    const QPoint cell = cellAtViewport(event->position().toPoint());
    if (cell.x() < fixedColsInUse() || cell.y() < fixedRowsInUse()) return;
    QPointer<FlexGrid> self(this);
    moveCurrent(cell.y(), cell.x(), false);
    if (self) emit doubleClicked();
}

void FlexGrid::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    // A turn the other way forgets what was left of a notch the first way.
    if ((delta > 0) != (mWheelDelta > 0)) mWheelDelta = 0;
    mWheelDelta += delta;
    QPointer<FlexGrid> self(this);
    while (self && qAbs(mWheelDelta) >= kWheelNotch) {
        const int direction = mWheelDelta > 0 ? 1 : -1;
        mWheelDelta -= direction * kWheelNotch;
        if (mWheelScrolls) setTopRow(mTopRow - direction * kWheelRows);
        if (self) emit wheel(direction);
    }
}

// ---------------------------------------------------------------------------------------------
// Size changes

// Called for the grid's own resizes and for its viewport's (scroll bars coming and going).
void FlexGrid::resizeEvent(QResizeEvent*)
{
    const int top = qBound(fixedRowsInUse(), mTopRow, maxTopRow());
    const int left = qBound(fixedColsInUse(), mLeftCol, maxLeftCol());
    if (top != mTopRow || left != mLeftCol) {
        mTopRow = top;
        mLeftCol = left;
        viewport()->update();
        updateScrollBars();
        emit scrolled();
        return;
    }
    updateScrollBars();
}

void FlexGrid::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && !mRowHeightSet) {
        mRowHeight = fontMetrics().height() + 6;
        clampAfterResize();
    } else if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
        viewport()->update();
    }
}

} // namespace seiran
