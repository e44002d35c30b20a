#pragma once

#include <QSize>

class QWidget;

namespace seiran {

// The size a window opens at: `wanted` (what shows all of its columns and controls), never
// below `minimum` and never beyond `room` (what the screen offers), except that the minimum wins
// over the room as the window itself would insist on it.
QSize FitOpeningSize(QSize wanted, QSize minimum, QSize room);

// What the screen of `window` offers to the inside of a top-level window: its available
// geometry (the desktop less the task bars) less an allowance for the title bar and borders.
QSize ScreenRoom(const QWidget* window);

// Resizes a top-level window to FitOpeningSize(wanted, its minimum size, ScreenRoom(window)).
void ResizeToOpen(QWidget* window, QSize wanted);

// ResizeToOpen with the window's layout size hint (every control at its preferred size) as
// the wanted size.
void ResizeToLayout(QWidget* window);

} // namespace seiran
