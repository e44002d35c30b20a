#include "FlexGrid.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <memory>

using seiran::FlexGrid;

namespace {

constexpr int kRowHeight = 20;
constexpr int kColWidth = 50;

// A shown grid with known geometry: 20-pixel rows, 50-pixel columns, texts "r,c" in every cell.
std::unique_ptr<FlexGrid> makeGrid(int rows, int cols, int fixedRows = 1, int fixedCols = 1, QSize size = {300, 200})
{
    auto grid = std::make_unique<FlexGrid>();
    grid->setRows(rows);
    grid->setCols(cols);
    grid->setFixedRows(fixedRows);
    grid->setFixedCols(fixedCols);
    grid->setRowHeight(kRowHeight);
    grid->setAllColWidths(kColWidth);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c)
            grid->setTextMatrix(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
    }
    grid->resize(size);
    grid->show();
    grid->activateWindow();
    grid->setFocus();
    if (!QTest::qWaitForWindowExposed(grid.get())) qWarning("grid window not exposed");
    return grid;
}

// Records the grid's signals in the order they come.
struct SignalLog
{
    QStringList events;
    explicit SignalLog(FlexGrid& grid)
    {
        QObject::connect(&grid, &FlexGrid::leaveCell, [this] { events << QStringLiteral("leave"); });
        QObject::connect(&grid, &FlexGrid::rowColChange, [this] { events << QStringLiteral("change"); });
        QObject::connect(&grid, &FlexGrid::selChange, [this] { events << QStringLiteral("sel"); });
        QObject::connect(&grid, &FlexGrid::scrolled, [this] { events << QStringLiteral("scroll"); });
    }
};

void sendWheel(FlexGrid& grid, int deltaY)
{
    const QPointF pos(60, 60);
    QWheelEvent event(pos, grid.viewport()->mapToGlobal(pos), QPoint(), QPoint(0, deltaY), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &event);
}

// A double click as the system delivers it: press, release, double click, release.
void doubleClick(QWidget* widget, QPoint pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

// Centre of a cell in viewport coordinates, where the mouse events go.
QPoint cellCentre(const FlexGrid& grid, int row, int col)
{
    return grid.cellRect(row, col).center() - grid.viewport()->pos();
}

// Collects the rectangles the viewport is asked to paint.
class PaintRecorder : public QObject
{
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

} // namespace

class TestFlexGrid : public QObject
{
    Q_OBJECT
private slots:
    void arrowKeysStayInsideTheMovableCells();
    void shiftArrowsExtendTheSelectionAndNormalise();
    void leaveCellComesBeforeRowColChange();
    void codeMovesSendSignalsButDoNotScroll();
    void pageDownAndEndKeysScrollMinimally();
    void topRowIsClampedToTheLastFullPage();
    void scrollBarsFollowAndDriveTopRow();
    void fixedColumnsStayWhileLeftColChanges();
    void currentCellGeometryServesOverlaysAndEnterChecks();
    void wheelSignalsDirectionsPerNotch();
    void wheelScrollsThreeRowsWhenAllowed();
    void keyPressCodes_data();
    void keyPressCodes();
    void keysWithoutCharacterOnlySendKeyDown();
    void inputMethodTextArrivesAsCharacters();
    void mouseClickDragAndShiftClick();
    void doubleClickAndFixedCells();
    void resizingKeepsTextsAndClampsPositions();
    void outOfRangeAccessIsHarmless();
    void settingTextRepaintsOnlyThatCell();
    void paintingShowsHeaderSelectionAndCellColours();
    void screenMatchesAFreshPaintAfterScrolling();
    void fullSizeShowsEveryColumn();
    void cellToolTips();
};

void TestFlexGrid::arrowKeysStayInsideTheMovableCells()
{
    auto grid = makeGrid(10, 6);
    QCOMPARE(grid->Row(), 1);
    QCOMPARE(grid->Col(), 1);
    QTest::keyClick(grid.get(), Qt::Key_Up);
    QTest::keyClick(grid.get(), Qt::Key_Left);
    QCOMPARE(grid->Row(), 1); // the fixed row and column are not reached by the keyboard
    QCOMPARE(grid->Col(), 1);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTest::keyClick(grid.get(), Qt::Key_Right);
    QCOMPARE(grid->Row(), 3);
    QCOMPARE(grid->Col(), 2);
    QTest::keyClick(grid.get(), Qt::Key_End);
    QCOMPARE(grid->Col(), 5);
    QTest::keyClick(grid.get(), Qt::Key_Right);
    QCOMPARE(grid->Col(), 5);
    QTest::keyClick(grid.get(), Qt::Key_Home);
    QCOMPARE(grid->Col(), 1);
    QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(grid->Row(), 9);
    QCOMPARE(grid->Col(), 5);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(grid->Row(), 9);
    QTest::keyClick(grid.get(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(grid->Row(), 1);
    QCOMPARE(grid->Col(), 1);
    QCOMPARE(grid->RowSel(), 1);
    QCOMPARE(grid->ColSel(), 1);
}

void TestFlexGrid::shiftArrowsExtendTheSelectionAndNormalise()
{
    auto grid = makeGrid(10, 6);
    grid->setRow(5);
    grid->setCol(4);
    QSignalSpy sel(grid.get(), &FlexGrid::selChange);
    QSignalSpy change(grid.get(), &FlexGrid::rowColChange);
    QTest::keyClick(grid.get(), Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(grid.get(), Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(grid.get(), Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(grid->Row(), 5); // the current cell stays where the selection started
    QCOMPARE(grid->Col(), 4);
    QCOMPARE(grid->RowSel(), 3);
    QCOMPARE(grid->ColSel(), 3);
    QCOMPARE(grid->selTop(), 3);
    QCOMPARE(grid->selBottom(), 5);
    QCOMPARE(grid->selLeft(), 3);
    QCOMPARE(grid->selRight(), 4);
    QCOMPARE(sel.count(), 3);
    QCOMPARE(change.count(), 0);

    // A plain arrow moves from the current cell and collapses the selection.
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(grid->Row(), 6);
    QCOMPARE(grid->RowSel(), 6);
    QCOMPARE(grid->ColSel(), 4);

    // Without selection, Shift+arrow is a plain move.
    grid->setAllowSelection(false);
    QTest::keyClick(grid.get(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(grid->Row(), 7);
    QCOMPARE(grid->RowSel(), 7);
}

void TestFlexGrid::leaveCellComesBeforeRowColChange()
{
    auto grid = makeGrid(10, 6);
    int rowDuringLeave = -1;
    connect(grid.get(), &FlexGrid::leaveCell, grid.get(), [&] { rowDuringLeave = grid->Row(); });
    SignalLog log(*grid);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(log.events, (QStringList{"leave", "change", "sel"}));
    QCOMPARE(rowDuringLeave, 1); // handlers of leaveCell still see the old cell
    log.events.clear();
    QTest::keyClick(grid.get(), Qt::Key_Left); // against the fixed column: nothing happens
    QVERIFY(log.events.isEmpty());
}

void TestFlexGrid::codeMovesSendSignalsButDoNotScroll()
{
    auto grid = makeGrid(50, 6);
    SignalLog log(*grid);
    grid->setRow(40);
    QCOMPARE(log.events, (QStringList{"leave", "change", "sel"}));
    QCOMPARE(grid->TopRow(), 1); // screens scroll for themselves
    log.events.clear();
    grid->setRow(40);
    QVERIFY(log.events.isEmpty());
    grid->setRowSel(42);
    QCOMPARE(log.events, QStringList{"sel"});
    log.events.clear();
    grid->setCol(3); // setting the current cell collapses the selection
    QCOMPARE(grid->RowSel(), 40);
    QCOMPARE(grid->ColSel(), 3);
    QCOMPARE(log.events, (QStringList{"leave", "change", "sel"}));
    grid->setRow(0); // code may reach a fixed row (to read or colour it); the keyboard leaves it
    QCOMPARE(grid->Row(), 0);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(grid->Row(), 1);
}

void TestFlexGrid::pageDownAndEndKeysScrollMinimally()
{
    auto grid = makeGrid(100, 4);
    const int page = grid->visibleRows();
    QVERIFY(page >= 3);
    QSignalSpy scrolled(grid.get(), &FlexGrid::scrolled);
    QTest::keyClick(grid.get(), Qt::Key_PageDown);
    QCOMPARE(grid->Row(), 1 + page);
    QCOMPARE(grid->TopRow(), 1 + page);
    QCOMPARE(scrolled.count(), 1);
    QTest::keyClick(grid.get(), Qt::Key_PageUp);
    QCOMPARE(grid->Row(), 1);
    QCOMPARE(grid->TopRow(), 1);

    // Moving down one row past the bottom scrolls by exactly one row.
    for (int i = 0; i < page; ++i)
        QTest::keyClick(grid.get(), Qt::Key_Down);
    QCOMPARE(grid->Row(), 1 + page);
    QCOMPARE(grid->TopRow(), 2);
    QVERIFY(!grid->cellRect(grid->Row(), 1).isEmpty());

    QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(grid->Row(), 99);
    QCOMPARE(grid->TopRow(), 100 - page);
    QTest::keyClick(grid.get(), Qt::Key_PageDown);
    QCOMPARE(grid->Row(), 99);
    QCOMPARE(grid->TopRow(), 100 - page);

    // Shift+Page Down extends the selection, leaving the current cell.
    QTest::keyClick(grid.get(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(grid.get(), Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(grid->Row(), 1);
    QCOMPARE(grid->RowSel(), 1 + page);
}

void TestFlexGrid::topRowIsClampedToTheLastFullPage()
{
    auto grid = makeGrid(100, 4);
    const int page = grid->visibleRows();
    grid->setTopRow(1000);
    QCOMPARE(grid->TopRow(), 100 - page);
    QCOMPARE(grid->visibleRows(), page);
    grid->setTopRow(-5);
    QCOMPARE(grid->TopRow(), 1);

    // A grid that fits wholly never scrolls.
    auto small = makeGrid(4, 3);
    small->setTopRow(3);
    QCOMPARE(small->TopRow(), 1);
    QCOMPARE(small->visibleRows(), 3);

    // Growing the window pulls the top row back so no blank space shows below the last row.
    grid->setTopRow(1000);
    grid->resize(300, 400);
    QTRY_COMPARE(grid->TopRow(), 100 - grid->visibleRows());
    QVERIFY(grid->visibleRows() > page);
}

void TestFlexGrid::scrollBarsFollowAndDriveTopRow()
{
    auto grid = makeGrid(100, 20);
    grid->setTopRow(30);
    QCOMPARE(grid->verticalScrollBar()->value(), 29);
    QCOMPARE(grid->verticalScrollBar()->maximum(), 100 - grid->visibleRows() - 1);
    QSignalSpy scrolled(grid.get(), &FlexGrid::scrolled);
    grid->verticalScrollBar()->setValue(10);
    QCOMPARE(grid->TopRow(), 11);
    grid->horizontalScrollBar()->setValue(2);
    QCOMPARE(grid->LeftCol(), 3);
    QCOMPARE(scrolled.count(), 2);
    grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(grid->TopRow(), 12);
    grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(grid->TopRow(), 12 + grid->visibleRows());
}

void TestFlexGrid::fixedColumnsStayWhileLeftColChanges()
{
    auto grid = makeGrid(10, 20, 1, 2, QSize(500, 200));
    const QRect fixedCell = grid->cellRect(3, 0);
    const QRect header = grid->cellRect(0, 6);
    const QRect scrolledCell = grid->cellRect(3, 6);
    QVERIFY(!fixedCell.isEmpty());
    QVERIFY(!scrolledCell.isEmpty());
    QCOMPARE(scrolledCell.left() - fixedCell.left(), 6 * kColWidth);
    QCOMPARE(grid->cellAt(scrolledCell.center()), QPoint(6, 3));

    QSignalSpy scrolled(grid.get(), &FlexGrid::scrolled);
    grid->setLeftCol(4);
    QCOMPARE(grid->LeftCol(), 4);
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(grid->cellRect(3, 0), fixedCell);
    QCOMPARE(grid->cellRect(3, 6), scrolledCell.translated(-2 * kColWidth, 0));
    QCOMPARE(grid->cellRect(0, 6), header.translated(-2 * kColWidth, 0)); // the header row scrolls along
    QVERIFY(grid->cellRect(3, 2).isEmpty());                              // scrolled out on the left
    QCOMPARE(grid->cellAt(fixedCell.center()), QPoint(0, 3));
    QCOMPARE(grid->cellAt(grid->cellRect(3, 4).center()), QPoint(4, 3));

    // Moving left past LeftCol scrolls back by one column only.
    grid->setCol(4);
    QTest::keyClick(grid.get(), Qt::Key_Left);
    QCOMPARE(grid->LeftCol(), 3);
    // Moving right past the edge scrolls so the new cell is just in view.
    QTest::keyClick(grid.get(), Qt::Key_End);
    QCOMPARE(grid->Col(), 19);
    QVERIFY(!grid->cellRect(3, 19).isEmpty());
    QVERIFY(grid->cellRect(3, 19).right() < grid->visibleWidth());
    QCOMPARE(grid->LeftCol(), 20 - grid->visibleCols());

    // Columns that stop being fixed are shown: a view at the start stays at the start.
    auto unfixed = makeGrid(10, 20, 1, 1, QSize(500, 200));
    QCOMPARE(unfixed->LeftCol(), 1);
    unfixed->setFixedCols(0);
    QCOMPARE(unfixed->LeftCol(), 0);
    QVERIFY(!unfixed->cellRect(3, 0).isEmpty());
    unfixed->setFixedCols(2);
    QCOMPARE(unfixed->LeftCol(), 2);
    // A view scrolled away keeps its place.
    unfixed->setLeftCol(5);
    unfixed->setFixedCols(1);
    QCOMPARE(unfixed->LeftCol(), 5);
}

void TestFlexGrid::currentCellGeometryServesOverlaysAndEnterChecks()
{
    QWidget parent;
    parent.resize(400, 300);
    auto* grid = new FlexGrid(&parent);
    grid->setGeometry(20, 30, 300, 200);
    grid->setRows(50);
    grid->setCols(4);
    grid->setRowHeight(kRowHeight);
    grid->setAllColWidths(kColWidth);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    grid->setRow(3);
    grid->setCol(2);
    const QRect cell(grid->CellLeft(), grid->CellTop(), grid->CellWidth(), grid->CellHeight());
    QCOMPARE(cell, grid->cellRect(3, 2));
    QCOMPARE(grid->cellAt(cell.center()), QPoint(2, 3));
    // An overlay placed with mapTo lands exactly on the cell.
    QCOMPARE(grid->mapTo(&parent, cell.topLeft()), QPoint(20, 30) + cell.topLeft());

    // The Enter movement of the entry screens: move down, then scroll one row when the new
    // cell's bottom edge lies below the visible height.
    const int last = grid->TopRow() + grid->visibleRows() - 1;
    grid->setRow(last);
    QVERIFY(grid->CellTop() + grid->CellHeight() <= grid->visibleHeight());
    grid->setRow(last + 1);
    QVERIFY(grid->CellTop() + grid->CellHeight() > grid->visibleHeight());
    QVERIFY(grid->cellRect(last + 2, 1).isEmpty());
    grid->setTopRow(grid->TopRow() + 1);
    QVERIFY(grid->CellTop() + grid->CellHeight() <= grid->visibleHeight());

    // A cell scrolled out above gets a position above the cells.
    grid->setTopRow(20);
    grid->setRow(5);
    QVERIFY(grid->CellTop() < grid->cellRect(0, 2).top());
    QVERIFY(grid->cellRect(5, 2).isEmpty());
}

void TestFlexGrid::wheelSignalsDirectionsPerNotch()
{
    auto grid = makeGrid(100, 4);
    grid->setWheelScrolls(false);
    grid->setTopRow(10);
    QList<int> directions;
    connect(grid.get(), &FlexGrid::wheel, grid.get(), [&](int d) { directions << d; });
    sendWheel(*grid, 120); // away from the user
    QCOMPARE(directions, QList<int>{1});
    sendWheel(*grid, -240); // two notches towards the user
    QCOMPARE(directions, (QList<int>{1, -1, -1}));
    sendWheel(*grid, 60); // half notches add up
    QCOMPARE(directions.size(), 3);
    sendWheel(*grid, 60);
    QCOMPARE(directions, (QList<int>{1, -1, -1, 1}));
    sendWheel(*grid, 90); // a turn back forgets the unfinished notch
    sendWheel(*grid, -60);
    sendWheel(*grid, -60);
    QCOMPARE(directions, (QList<int>{1, -1, -1, 1, -1}));
    QCOMPARE(grid->TopRow(), 10); // the screen does the scrolling
}

void TestFlexGrid::wheelScrollsThreeRowsWhenAllowed()
{
    auto grid = makeGrid(100, 4);
    grid->setTopRow(10);
    QSignalSpy wheel(grid.get(), &FlexGrid::wheel);
    sendWheel(*grid, -120);
    QCOMPARE(grid->TopRow(), 13);
    sendWheel(*grid, 240);
    QCOMPARE(grid->TopRow(), 7);
    sendWheel(*grid, 1200);
    QCOMPARE(grid->TopRow(), 1);
    QCOMPARE(wheel.count(), 13);
    QCOMPARE(grid->Row(), 1); // the wheel does not move the current cell
}

void TestFlexGrid::keyPressCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << QStringLiteral("\x03") << 3;
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier) << QStringLiteral("\x16") << 22;
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier) << QStringLiteral("\x18") << 24;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << QStringLiteral("\b") << 8;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0 << QStringLiteral("\r") << 13;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << QStringLiteral("\r") << 13;
    QTest::newRow("Space") << int(Qt::Key_Space) << 0 << QStringLiteral(" ") << 32;
    QTest::newRow("5") << int(Qt::Key_5) << 0 << QStringLiteral("5") << int('5');
    QTest::newRow("minus") << int(Qt::Key_Minus) << 0 << QStringLiteral("-") << int('-');
    QTest::newRow("shifted 1") << int(Qt::Key_Exclam) << int(Qt::ShiftModifier) << QStringLiteral("!") << int('!');
    QTest::newRow("kana") << int(Qt::Key_unknown) << 0 << QStringLiteral("ア") << 0x30A2;
}

void TestFlexGrid::keyPressCodes()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(int, code);
    auto grid = makeGrid(5, 5);
    QStringList order;
    QList<int> codes;
    connect(grid.get(), &FlexGrid::keyDown, grid.get(), [&](int k, Qt::KeyboardModifiers) {
        order << QStringLiteral("down");
        QCOMPARE(k, key);
    });
    connect(grid.get(), &FlexGrid::keyPress, grid.get(), [&](int c) {
        order << QStringLiteral("press");
        codes << c;
    });
    QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(grid.get(), &event);
    QCOMPARE(order, (QStringList{"down", "press"}));
    QCOMPARE(codes, QList<int>{code});
    QCOMPARE(grid->Row(), 1); // the grid itself neither moves nor edits on a character
    QCOMPARE(grid->TextMatrix(1, 1), QStringLiteral("1,1"));
}

void TestFlexGrid::keysWithoutCharacterOnlySendKeyDown()
{
    auto grid = makeGrid(5, 5);
    QList<int> downs;
    QList<Qt::KeyboardModifiers> mods;
    connect(grid.get(), &FlexGrid::keyDown, grid.get(), [&](int k, Qt::KeyboardModifiers m) {
        if (k == Qt::Key_Shift || k == Qt::Key_Alt) return; // the test sends the modifier keys too
        downs << k;
        mods << m;
    });
    QSignalSpy presses(grid.get(), &FlexGrid::keyPress);
    QTest::keyClick(grid.get(), Qt::Key_Delete);
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(grid.get(), Qt::Key_F5);
    QTest::keyClick(grid.get(), Qt::Key_Escape);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTest::keyClick(grid.get(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(downs, (QList<int>{Qt::Key_Delete, Qt::Key_Insert, Qt::Key_F5, Qt::Key_Escape, Qt::Key_Down, Qt::Key_A}));
    QCOMPARE(mods.at(1), Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(presses.count(), 0);
    QCOMPARE(grid->Row(), 2); // the arrow still moved after its keyDown

    // Tab keeps its meaning: focus goes on to the next control.
    QWidget window;
    auto* first = new FlexGrid(&window);
    auto* second = new FlexGrid(&window);
    second->move(0, 120);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    first->setFocus();
    QTRY_VERIFY(first->hasFocus());
    QSignalSpy tabPresses(first, &FlexGrid::keyPress);
    QTest::keyClick(first, Qt::Key_Tab);
    QTRY_VERIFY(second->hasFocus());
    QCOMPARE(tabPresses.count(), 0);
}

void TestFlexGrid::inputMethodTextArrivesAsCharacters()
{
    auto grid = makeGrid(5, 5);
    QVERIFY(grid->testAttribute(Qt::WA_InputMethodEnabled));
    QList<int> codes;
    connect(grid.get(), &FlexGrid::keyPress, grid.get(), [&](int c) { codes << c; });
    QInputMethodEvent composing(QStringLiteral("５"), {});
    QApplication::sendEvent(grid.get(), &composing);
    QVERIFY(codes.isEmpty()); // nothing until the text is committed
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("５０-"));
    QApplication::sendEvent(grid.get(), &commit);
    QCOMPARE(codes, (QList<int>{0xFF15, 0xFF10, '-'}));
    const QRect cursor = grid->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QCOMPARE(cursor, grid->cellRect(1, 1));
}

void TestFlexGrid::mouseClickDragAndShiftClick()
{
    auto grid = makeGrid(10, 6);
    grid->clearFocus();
    SignalLog log(*grid);
    QSignalSpy clicked(grid.get(), &FlexGrid::clicked);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(*grid, 4, 3));
    QCOMPARE(grid->Row(), 4);
    QCOMPARE(grid->Col(), 3);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(log.events, (QStringList{"leave", "change", "sel"}));
    QVERIFY(grid->hasFocus());

    // Dragged backwards: the press cell stays current, the selection end follows the mouse.
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cellCentre(*grid, 5, 4));
    QTest::mouseMove(grid->viewport(), cellCentre(*grid, 3, 2));
    QTest::mouseMove(grid->viewport(), cellCentre(*grid, 2, 1));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cellCentre(*grid, 2, 1));
    QCOMPARE(grid->Row(), 5);
    QCOMPARE(grid->Col(), 4);
    QCOMPARE(grid->RowSel(), 2);
    QCOMPARE(grid->ColSel(), 1);
    QCOMPARE(grid->selTop(), 2);
    QCOMPARE(grid->selLeft(), 1);
    QCOMPARE(grid->selBottom(), 5);
    QCOMPARE(grid->selRight(), 4);
    QCOMPARE(clicked.count(), 2);

    // Shift+click extends from the current cell.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(*grid, 7, 5));
    QCOMPARE(grid->Row(), 5);
    QCOMPARE(grid->RowSel(), 7);
    QCOMPARE(grid->ColSel(), 5);
    // A plain click collapses it again.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(*grid, 6, 2));
    QCOMPARE(grid->RowSel(), 6);
    QCOMPARE(grid->ColSel(), 2);

    // Dragging below the cell area scrolls on.
    auto tall = makeGrid(100, 3);
    QTest::mousePress(tall->viewport(), Qt::LeftButton, {}, cellCentre(*tall, 2, 1));
    QTest::mouseMove(tall->viewport(), QPoint(20, tall->viewport()->height() + 10));
    QTest::mouseRelease(tall->viewport(), Qt::LeftButton, {}, QPoint(20, tall->viewport()->height() + 10));
    QCOMPARE(tall->TopRow(), 2);
    QCOMPARE(tall->RowSel(), 1 + tall->visibleRows());
}

void TestFlexGrid::doubleClickAndFixedCells()
{
    auto grid = makeGrid(10, 6);
    QSignalSpy clicked(grid.get(), &FlexGrid::clicked);
    QSignalSpy doubled(grid.get(), &FlexGrid::doubleClicked);
    const QPoint pos = cellCentre(*grid, 3, 2);
    doubleClick(grid->viewport(), pos);
    QCOMPARE(doubled.count(), 1);
    QCOMPARE(clicked.count(), 1); // one click for the whole double click
    QCOMPARE(grid->Row(), 3);
    QCOMPARE(grid->Col(), 2);

    // Clicks on the headers and beyond the last cell leave the current cell alone.
    QSignalSpy moved(grid.get(), &FlexGrid::rowColChange);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(*grid, 0, 4));
    doubleClick(grid->viewport(), cellCentre(*grid, 6, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(grid->viewport()->width() - 2, 5));
    QCOMPARE(moved.count(), 0);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(doubled.count(), 1);
    QCOMPARE(grid->cellAt(QPoint(-5, -5)), QPoint(-1, -1));
}

void TestFlexGrid::resizingKeepsTextsAndClampsPositions()
{
    auto grid = makeGrid(100, 6);
    grid->setRow(90);
    grid->setCol(5);
    grid->setRowSel(95);
    grid->setTopRow(80);
    grid->setRows(40);
    QCOMPARE(grid->TextMatrix(39, 5), QStringLiteral("39,5"));
    QCOMPARE(grid->Row(), 39);
    QCOMPARE(grid->RowSel(), 39);
    QCOMPARE(grid->TopRow(), 40 - grid->visibleRows());
    grid->setCols(3);
    QCOMPARE(grid->Col(), 2);
    QCOMPARE(grid->TextMatrix(10, 2), QStringLiteral("10,2"));
    grid->setCols(5);
    QCOMPARE(grid->TextMatrix(10, 2), QStringLiteral("10,2"));
    QCOMPARE(grid->TextMatrix(10, 4), QString());
    QCOMPARE(grid->ColWidth(4), 64); // new columns get the default width

    // Fixed counts may be set before the grid has grown to them.
    FlexGrid building;
    building.setFixedCols(4);
    building.setCols(8);
    building.setRows(30);
    QCOMPARE(building.FixedCols(), 4);
    building.setCol(4);
    building.setLeftCol(0);
    QCOMPARE(building.LeftCol(), 4);

    // The current cell leaves a new fixed area.
    FlexGrid fixedLater;
    fixedLater.setRows(10);
    fixedLater.setCols(8);
    fixedLater.setFixedCols(4);
    QCOMPARE(fixedLater.Col(), 4);
    QCOMPARE(fixedLater.LeftCol(), 4);

    // A font change follows into the row height unless a height was set.
    FlexGrid fonts;
    QFont big = fonts.font();
    big.setPixelSize(30);
    fonts.setFont(big);
    QCOMPARE(fonts.RowHeight(), QFontMetrics(big).height() + 6);
    fonts.setRowHeight(17);
    fonts.setFont(QFont());
    QCOMPARE(fonts.RowHeight(), 17);
}

void TestFlexGrid::outOfRangeAccessIsHarmless()
{
    auto grid = makeGrid(5, 4);
    QCOMPARE(grid->TextMatrix(-1, 0), QString());
    QCOMPARE(grid->TextMatrix(5, 0), QString());
    QCOMPARE(grid->TextMatrix(0, 4), QString());
    grid->setTextMatrix(5, 0, QStringLiteral("x"));
    grid->setTextMatrix(0, -1, QStringLiteral("x"));
    grid->setCellBackColor(9, 9, Qt::red);
    grid->setCellForeColor(-1, 9, Qt::red);
    grid->setColWidth(7, 30);
    grid->setColAlignment(-2, Qt::AlignRight);
    QCOMPARE(grid->CellBackColor(9, 9), QColor());
    QCOMPARE(grid->ColWidth(7), 0);
    QVERIFY(grid->cellRect(-1, 0).isEmpty());
    QVERIFY(grid->cellRect(2, 4).isEmpty());

    grid->setRow(99);
    QCOMPARE(grid->Row(), 4);
    grid->setCol(-3);
    QCOMPARE(grid->Col(), 0);
    grid->setRowSel(-1);
    QCOMPARE(grid->RowSel(), 0);
    grid->setColWidth(2, -40);
    QCOMPARE(grid->ColWidth(2), 0);

    // Empty grids and grids made only of fixed cells: keys, clicks, wheel and painting do nothing.
    grid->setRows(1);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTest::keyClick(grid.get(), Qt::Key_PageDown);
    grid->setRows(0);
    grid->setCols(0);
    QCOMPARE(grid->TextMatrix(0, 0), QString());
    QCOMPARE(grid->Text(), QString());
    grid->setText(QStringLiteral("x"));
    QTest::keyClick(grid.get(), Qt::Key_End, Qt::ControlModifier);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    sendWheel(*grid, -120);
    grid->setTopRow(5);
    grid->setRow(0);
    grid->setRowSel(3);
    grid->clearFocus();
    grid->setFocus();
    QCOMPARE(grid->CellWidth(), 0);
    QVERIFY(!grid->grab().isNull());

    // A request far beyond any screen's needs is cut down instead of exhausting memory.
    grid->setCols(10);
    grid->setRows(100000000);
    QVERIFY(grid->Rows() * grid->Cols() <= (1 << 21));
    grid->setTextMatrix(grid->Rows() - 1, 9, QStringLiteral("end"));
    QCOMPARE(grid->TextMatrix(grid->Rows() - 1, 9), QStringLiteral("end"));
}

void TestFlexGrid::settingTextRepaintsOnlyThatCell()
{
    auto grid = makeGrid(400, 14, 1, 4, QSize(500, 300));
    PaintRecorder recorder;
    grid->viewport()->installEventFilter(&recorder);
    QApplication::processEvents();
    recorder.painted = QRegion();
    grid->setTextMatrix(3, 5, QStringLiteral("87"));
    grid->setTextMatrix(300, 5, QStringLiteral("87")); // out of view: no painting at all
    QTRY_VERIFY(!recorder.painted.isEmpty());
    const QRect cell = grid->cellRect(3, 5).translated(-grid->viewport()->pos());
    QCOMPARE(recorder.painted, QRegion(cell.intersected(grid->viewport()->rect())));

    // Moving down one row repaints the two cells, not the window.
    recorder.painted = QRegion();
    grid->setRow(3);
    grid->setCol(5);
    QApplication::processEvents();
    recorder.painted = QRegion();
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTRY_VERIFY(!recorder.painted.isEmpty());
    const QRect both = grid->cellRect(3, 5).united(grid->cellRect(4, 5)).translated(-grid->viewport()->pos());
    QVERIFY(both.contains(recorder.painted.boundingRect()));
}

void TestFlexGrid::paintingShowsHeaderSelectionAndCellColours()
{
    auto grid = makeGrid(10, 6);
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 6; ++c)
            grid->setTextMatrix(r, c, QString());
    }
    grid->setTextMatrix(0, 2, QStringLiteral("国語"));
    grid->setTextMatrix(2, 1, QStringLiteral("山田太郎"));
    grid->setCellBackColor(6, 4, QColor(255, 255, 0));
    grid->setRow(2);
    grid->setCol(2);
    grid->setRowSel(3);
    grid->setColSel(3);
    const QImage image = grid->grab().toImage();
    auto pixel = [&](int row, int col) {
        const QRect r = grid->cellRect(row, col);
        return image.pixelColor(r.left() + 4, r.top() + 4);
    };
    const QPalette pal = grid->palette();
    QCOMPARE(pixel(0, 3), pal.color(QPalette::Active, QPalette::Button));
    QCOMPARE(pixel(5, 0), pal.color(QPalette::Active, QPalette::Button));
    QCOMPARE(pixel(3, 3), pal.color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(pixel(2, 3), pal.color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(pixel(5, 5), pal.color(QPalette::Active, QPalette::Base));
    QCOMPARE(pixel(6, 4), QColor(255, 255, 0));
    // The current cell is not highlighted but framed.
    const QRect current = grid->cellRect(2, 2);
    QCOMPARE(image.pixelColor(current.center()), pal.color(QPalette::Active, QPalette::Base));
    QVERIFY(image.pixelColor(current.left() + 1, current.center().y()) != pal.color(QPalette::Active, QPalette::Base));

    // Text is drawn inside its cell (some dark pixels in the name cell).
    const QRect name = grid->cellRect(2, 1);
    int dark = 0;
    for (int x = name.left(); x < name.right(); ++x) {
        for (int y = name.top(); y < name.bottom(); ++y)
            dark += image.pixelColor(x, y).lightness() < 100;
    }
    QVERIFY(dark > 20);
}

// Scrolling moves the pixels already on screen and paints only what is uncovered; what the
// window shows must still be exactly what a full paint draws.
void TestFlexGrid::screenMatchesAFreshPaintAfterScrolling()
{
    auto grid = makeGrid(400, 14, 1, 4, QSize(500, 300));
    auto onScreen = [&] {
        QApplication::processEvents();
        return QGuiApplication::primaryScreen()
            ->grabWindow(grid->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    auto fresh = [&] { return grid->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    grid->setRow(1);
    grid->setCol(4);
    QCOMPARE(onScreen(), fresh());
    // The entry screens' Enter: type, move down, scroll one row when the cell falls out of view.
    for (int i = 0; i < 40; ++i) {
        grid->setText(QString::number(i));
        grid->setRow(grid->Row() + 1);
        if (grid->CellTop() + grid->CellHeight() > grid->visibleHeight()) grid->setTopRow(grid->TopRow() + 1);
    }
    QVERIFY(grid->TopRow() > 1);
    QCOMPARE(onScreen(), fresh());
    QTest::keyClick(grid.get(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(grid.get(), Qt::Key_Up, Qt::ShiftModifier);
    sendWheel(*grid, -120);
    grid->setLeftCol(6);
    grid->setTextMatrix(grid->TopRow(), 7, QStringLiteral("欠"));
    QCOMPARE(onScreen(), fresh());
    grid->setTopRow(grid->TopRow() - 2);
    grid->setLeftCol(5);
    QTest::keyClick(grid.get(), Qt::Key_PageDown);
    QCOMPARE(onScreen(), fresh());
}

void TestFlexGrid::fullSizeShowsEveryColumn()
{
    // Twelve columns, the last one of an odd width: all in view at the full size, whether all
    // rows fit (8) or a scroll bar takes room beside them (60).
    for (int rows : {8, 60}) {
        auto grid = makeGrid(rows, 12, 1, 1, {100, 100});
        grid->setColWidth(11, 83);
        const QSize full = grid->fullSize(rows == 8 ? -1 : 10);
        QCOMPARE(full.height(), (rows == 8 ? 8 : 10) * kRowHeight + 2 * grid->frameWidth());
        grid->resize(full);
        QCoreApplication::processEvents();
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        QCOMPARE(grid->verticalScrollBar()->isVisible(), rows == 60);
        QCOMPARE(grid->visibleCols(), 11);
        QVERIFY(grid->viewport()->geometry().contains(grid->cellRect(0, 11)));
        QCOMPARE(grid->visibleRows(), rows == 8 ? 7 : 9);
        // A pixel less and the last column no longer fits.
        grid->resize(full - QSize(1, 0));
        QVERIFY(grid->visibleCols() < 11);
        // The size hint: every column and at most SizeHintRows rows.
        QCOMPARE(grid->sizeHint(), grid->fullSize(qMin(rows, FlexGrid::SizeHintRows)));
    }
}

void TestFlexGrid::cellToolTips()
{
    auto grid = makeGrid(10, 5);
    grid->setCellToolTip(2, 3, QStringLiteral("同点"));
    QCOMPARE(grid->CellToolTip(2, 3), QStringLiteral("同点"));
    QCOMPARE(grid->CellToolTip(2, 2), QString());
    QCOMPARE(grid->CellToolTip(99, 2), QString());
    // Tips stay with their cell when the grid grows, and go with it when it shrinks.
    grid->setRows(20);
    grid->setCols(6);
    QCOMPARE(grid->CellToolTip(2, 3), QStringLiteral("同点"));
    grid->setRows(2);
    grid->setRows(10);
    QCOMPARE(grid->CellToolTip(2, 3), QString());
    grid->setCellToolTip(2, 3, QStringLiteral("同点"));
    // Resting the mouse on the cell shows it.
    const QPoint inCell = grid->cellRect(2, 3).center() - grid->viewport()->pos();
    QHelpEvent help(QEvent::ToolTip, inCell, grid->viewport()->mapToGlobal(inCell));
    QApplication::sendEvent(grid->viewport(), &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("同点"));
    grid->setCellToolTip(2, 3, QString());
    QCOMPARE(grid->CellToolTip(2, 3), QString());
}

QTEST_MAIN(TestFlexGrid)
#include "tst_flexgrid.moc"
