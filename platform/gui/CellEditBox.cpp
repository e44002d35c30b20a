#include "CellEditBox.h"

#include "FlexGrid.h"

#include <QKeyEvent>

namespace seiran {

CellEditBox::CellEditBox(FlexGrid* grid, QWidget* window) : QLineEdit(window), mGrid(grid)
{
    hide();
    setFrame(false);
}

void CellEditBox::open(int row, int col, const QString& text)
{
    if (row < mGrid->TopRow() || row >= mGrid->TopRow() + qMax(1, mGrid->visibleRows())) mGrid->setTopRow(row);
    if (col < mGrid->LeftCol() || col >= mGrid->LeftCol() + qMax(1, mGrid->visibleCols())) mGrid->setLeftCol(col);
    mRow = row;
    mCol = col;
    setText(text);
    place();
    show();
    raise();
    setFocus();
}

void CellEditBox::dismiss()
{
    if (!isVisible()) return;
    const bool hadFocus = hasFocus();
    hide();
    if (hadFocus) mGrid->setFocus();
}

void CellEditBox::place()
{
    const QRect cell = mGrid->cellRect(mRow, mCol);
    if (cell.isEmpty()) return;
    const QPoint topLeft = mGrid->mapTo(parentWidget(), cell.topLeft());
    setGeometry(topLeft.x(), topLeft.y(), cell.width() - 1, cell.height() - 1);
}

void CellEditBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        emit finished();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->accept();
        emit arrowPressed(event->key() == Qt::Key_Up);
        return;
    case Qt::Key_Escape:
        event->accept();
        dismiss();
        emit cancelled();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void CellEditBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A message box of the window's own takes the focus while the box is being closed. Another
    // program or a menu taking the focus for a moment does not end the typing.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    if (isVisible()) emit finished();
}

void CellEditBox::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    if (mFinishOnMousePress && isVisible()) emit finished();
}

} // namespace seiran
