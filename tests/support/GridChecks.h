#pragma once

// Only for tests that link the GUI platform library: checks of what a shown grid lets one see.
#include "FlexGrid.h"

#include <QCoreApplication>
#include <QRect>
#include <QScrollBar>
#include <QString>

namespace seiran::test {

// What hides part of a shown grid's columns ("" when every column is wholly in view): a
// horizontal scroll bar, or the last column reaching past the visible area.
inline QString ColumnsCut(FlexGrid* grid)
{
    // The scroll bars come and go through queued calls after a resize.
    QCoreApplication::processEvents();
    if (grid->horizontalScrollBar()->isVisible()) return QStringLiteral("a horizontal scroll bar");
    const int last = grid->Cols() - 1;
    const QRect cell = grid->cellRect(0, last);
    if (cell.isEmpty()) return QStringLiteral("the last column out of view");
    if (!grid->viewport()->geometry().contains(cell))
        return QStringLiteral("the last column cut at %1 of %2")
            .arg(grid->viewport()->geometry().right())
            .arg(cell.right());
    return QString();
}

} // namespace seiran::test
