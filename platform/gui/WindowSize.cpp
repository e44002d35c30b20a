#include "WindowSize.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace seiran {

namespace {
// Room kept for the window manager's frame, which is unknown before the window is first shown.
constexpr int FrameAllowanceWidth = 16;
constexpr int FrameAllowanceHeight = 48;
} // namespace

QSize FitOpeningSize(QSize wanted, QSize minimum, QSize room)
{
    const QSize bounded = wanted.boundedTo(room);
    return bounded.expandedTo(minimum);
}

QSize ScreenRoom(const QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    const QSize available = screen->availableGeometry().size();
    return {qMax(0, available.width() - FrameAllowanceWidth), qMax(0, available.height() - FrameAllowanceHeight)};
}

void ResizeToOpen(QWidget* window, QSize wanted)
{
    window->resize(FitOpeningSize(wanted, window->minimumSize(), ScreenRoom(window)));
}

void ResizeToLayout(QWidget* window)
{
    QLayout* layout = window->layout();
    if (!layout) return;
    layout->activate();
    ResizeToOpen(window, layout->totalSizeHint());
}

} // namespace seiran
