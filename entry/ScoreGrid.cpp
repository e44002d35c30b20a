#include "ScoreGrid.h"

#include "Beep.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "Session.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

ScoreGridWindow::ScoreGridWindow(Session& session, QWidget* parent)
    : GridWindow(
          {QStringLiteral("入力終了"), QStringLiteral("ｺﾋﾟｰ"), QStringLiteral("張付"), QStringLiteral("名付ｺﾋﾟｰ")},
          parent),
      mSession(session)
{
    auto* firstRow = new QHBoxLayout;
    firstRow->setSpacing(8);
    mHeadingRow = new QHBoxLayout;
    mHeadingRow->setSpacing(8);
    mCheckRow = new QHBoxLayout;
    mCheckRow->setSpacing(12);
    firstRow->addLayout(mHeadingRow, 1);
    firstRow->addLayout(mCheckRow);
    mTopRows->addLayout(firstRow);
    Check1 = new QCheckBox(QStringLiteral("右移動"), mTopPanel);
    Check1->setChecked(true);
    Check1->setFocusPolicy(Qt::NoFocus);
    mCheckRow->addWidget(Check1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(4);
    buttonRow->addWidget(Command1);
    buttonRow->addWidget(Command2);
    buttonRow->addWidget(Combo_class);
    buttonRow->addSpacing(12);
    buttonRow->addWidget(Command4);
    buttonRow->addWidget(Command5);
    buttonRow->addWidget(Command6);
    buttonRow->addStretch(1);
    buttonRow->addWidget(Command3);
    mTopRows->addLayout(buttonRow);

    Grid1 = new FlexGrid(this);
    Grid1->setWheelScrolls(false); // the window scrolls two rows per notch itself

    connect(Grid1, &FlexGrid::keyPress, this, &ScoreGridWindow::Grid1_KeyPress);
    connect(Grid1, &FlexGrid::keyDown, this, &ScoreGridWindow::Grid1_KeyDown);
    connect(Grid1, &FlexGrid::leaveCell, this, [this] {
        if (!mMoving) Grid1_LeaveCell();
    });
    connect(Grid1, &FlexGrid::rowColChange, this, [this] {
        if (!mMoving) Grid1_RowColChange();
    });
    connect(Grid1, &FlexGrid::wheel, this, &ScoreGridWindow::Grid1_Wheel);
    connect(Check1, &QCheckBox::clicked, this, &ScoreGridWindow::Check1_Click);
}

ScoreGridWindow::~ScoreGridWindow() = default;

GradeData& ScoreGridWindow::gd()
{
    return mSession.gd;
}

const GradeData& ScoreGridWindow::gd() const
{
    return mSession.gd;
}

// ---------------------------------------------------------------------------------------------
// Building

void ScoreGridWindow::addHeading(QWidget* widget)
{
    widget->setParent(mTopPanel);
    mHeadingRow->addWidget(widget, 1);
}

void ScoreGridWindow::addCheckBox(QCheckBox* box)
{
    box->setParent(mTopPanel);
    box->setFocusPolicy(Qt::NoFocus);
    mCheckRow->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [this] { Grid1->setFocus(); });
}

void ScoreGridWindow::fillClassCombo()
{
    mCurrentClass = 1;
    const QSignalBlocker block(Combo_class);
    Combo_class->clear();
    for (int k = 1; k <= gd().classCount; ++k)
        Combo_class->addItem(gd().classLabel(k) + QStringLiteral("組"));
}

void ScoreGridWindow::setupColumns(const QStringList& dataHeaders, const QString& dataWidthText, bool centreData)
{
    Grid1->setCols(FirstDataCol + int(dataHeaders.size()));
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(FirstDataCol);
    Grid1->setAllColWidths(MeasuredColWidth(Grid1, dataWidthText));
    Grid1->setColWidth(0, MeasuredColWidth(Grid1, QStringLiteral("1234")));
    Grid1->setColWidth(1, MeasuredColWidth(Grid1, QStringLiteral("1234")));
    Grid1->setColWidth(2, MeasuredColWidth(Grid1, QStringLiteral("12345678901234567")));
    Grid1->setColWidth(3, MeasuredColWidth(Grid1, QStringLiteral("123")));

    Grid1->setTextMatrix(0, 0, QStringLiteral("組"));
    Grid1->setTextMatrix(0, 1, QStringLiteral("番"));
    Grid1->setTextMatrix(0, 2, QStringLiteral("氏   名"));
    Grid1->setTextMatrix(0, 3, QString());
    Grid1->setColAlignment(0, Qt::AlignCenter);
    Grid1->setColAlignment(1, Qt::AlignCenter);
    for (int j = 0; j < dataHeaders.size(); ++j) {
        const int col = FirstDataCol + j;
        Grid1->setTextMatrix(0, col, dataHeaders.at(j));
        if (centreData) Grid1->setColAlignment(col, Qt::AlignCenter);
    }
}

void ScoreGridWindow::fillFixedColumns()
{
    const GradeData& g = gd();
    Grid1->setRows(g.studentCount + 1);
    Grid1->setFixedCols(FirstDataCol);
    for (int i = 1; i <= g.studentCount; ++i) {
        Grid1->setTextMatrix(i, 0, g.classLabel(g.studentClass[i]));
        Grid1->setTextMatrix(i, 1, numberText(g.studentNumber[i]));
        Grid1->setTextMatrix(i, 2, g.studentName[i]);
        // A pupil whose sex was never entered shows nothing rather than a guess.
        const int sex = g.studentSex[i];
        Grid1->setTextMatrix(i, 3, sex == 1 ? QStringLiteral("男") : sex == 2 ? QStringLiteral("女") : QString());
    }
}

void ScoreGridWindow::finishLoading()
{
    if (Combo_class->count() > 0) selectClass(1);
    if (Grid1->Rows() > 1 && Grid1->Cols() > FirstDataCol) moveCurrentCell(1, FirstDataCol);
    mCellUntouched = true;
    mAskOnClose = true;
    layoutControls();
    Grid1->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Grid events

bool ScoreGridWindow::isDataCell(int row, int col) const
{
    return row >= 1 && row < Grid1->Rows() && col >= FirstDataCol && col < Grid1->Cols();
}

bool ScoreGridWindow::hasCurrentDataCell() const
{
    return isDataCell(Grid1->Row(), Grid1->Col());
}

void ScoreGridWindow::Grid1_KeyPress(int keyAscii)
{
    switch (keyAscii) {
    case 3:
        Command4_Click();
        return;
    case 22:
        if (pasteEnabled()) Command5_Click();
        return;
    case 13:
        enterMovement();
        return;
    default:
        if (hasCurrentDataCell()) cellKeyPress(keyAscii);
        return;
    }
}

void ScoreGridWindow::cellKeyPress(int keyAscii)
{
    const CellKeyOutcome out = ApplyScoreKey(Grid1->Text(), mCellUntouched, keyAscii);
    switch (out.action) {
    case CellKey::Changed:
        Grid1->setText(out.text);
        mCellUntouched = out.untouched;
        break;
    case CellKey::Refused:
        Beep();
        break;
    default:
        break;
    }
}

void ScoreGridWindow::Grid1_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    Q_UNUSED(modifiers);
    if (key == Qt::Key_Delete) deleteSelection();
}

void ScoreGridWindow::deleteSelection()
{
    const CellRange range = NormalisedRange(Grid1->Row(), Grid1->Col(), Grid1->RowSel(), Grid1->ColSel());
    for (int r = range.top; r <= range.bottom; ++r) {
        for (int c = range.left; c <= range.right; ++c) {
            if (isDataCell(r, c)) Grid1->setTextMatrix(r, c, QString());
        }
    }
}

void ScoreGridWindow::Grid1_LeaveCell()
{
    if (mCellUntouched || !hasCurrentDataCell()) return;
    leavingCell();
}

void ScoreGridWindow::leavingCell()
{
    const int mode = mSession.beepMode ? mSession.beepMode() : 0;
    if (ExceedsWarningLimit(Grid1->Text(), mode)) Beep();
}

void ScoreGridWindow::Grid1_RowColChange()
{
    mCellUntouched = true;
}

void ScoreGridWindow::moveCurrentCell(int row, int col)
{
    Grid1_LeaveCell();
    mMoving = true;
    Grid1->setRow(row);
    Grid1->setCol(col);
    mMoving = false;
    Grid1_RowColChange();
}

int ScoreGridWindow::wrapColumn() const
{
    return Grid1->Cols() - 1;
}

void ScoreGridWindow::enterMovement()
{
    if (!hasCurrentDataCell()) return;
    const int lastRow = Grid1->Rows() - 1;
    const int row = Grid1->Row();
    const bool moveRight = Check1->isChecked();
    const EnterMove move = EnterTarget(row, Grid1->Col(), lastRow, Grid1->Cols() - 1, wrapColumn(), moveRight);

    if (!moveRight && move.row == row) return; // the last row: Enter does nothing
    moveCurrentCell(move.row, move.col);
    if (move.wrapped)
        Grid1->setLeftCol(FirstDataCol);
    else if (moveRight && Grid1->visibleCols() > 0 && move.col >= Grid1->LeftCol() + Grid1->visibleCols())
        Grid1->setLeftCol(Grid1->LeftCol() + 1);
    if (move.row != row && Grid1->visibleRows() > 0 && move.row >= Grid1->TopRow() + Grid1->visibleRows())
        Grid1->setTopRow(Grid1->TopRow() + 1);
    Grid1->setRowSel(Grid1->Row());
    Grid1->setColSel(Grid1->Col());
}

void ScoreGridWindow::Grid1_Wheel(int direction)
{
    if (Grid1->Rows() <= 1) return;
    const int lastRow = Grid1->Rows() - 1;
    const int top = Grid1->TopRow();
    const int next = direction > 0 ? qMax(1, top - 2) : qMin(lastRow, top + 2);
    if (next != top) Grid1->setTopRow(next);
}

// ---------------------------------------------------------------------------------------------
// Class navigation

void ScoreGridWindow::selectClass(int classNo)
{
    const int index = classNo - 1;
    if (index < 0 || index >= Combo_class->count()) return;
    if (Combo_class->currentIndex() == index)
        Combo_class_Click(); // choosing the same item again still scrolls to it
    else
        Combo_class->setCurrentIndex(index);
}

void ScoreGridWindow::Combo_class_Click()
{
    const int index = Combo_class->currentIndex();
    if (index < 0) return;
    mCurrentClass = index + 1;
    if (Grid1->Rows() > 1 && Grid1->Cols() > FirstDataCol) {
        const int start = qBound(1, gd().classStart[mCurrentClass], Grid1->Rows() - 1);
        Grid1->setTopRow(start);
        moveCurrentCell(Grid1->TopRow(), FirstDataCol);
    }
    if (mAskOnClose) Grid1->setFocus();
}

int ScoreGridWindow::classOfRow(int row) const
{
    if (row < 1 || row > gd().studentCount) return 0;
    return gd().studentClass[row];
}

void ScoreGridWindow::Command1_Click()
{
    const int cls = classOfRow(Grid1->TopRow());
    if (cls >= 1 && cls < gd().classCount) selectClass(cls + 1);
    Grid1->setFocus();
}

void ScoreGridWindow::Command2_Click()
{
    const int cls = classOfRow(Grid1->TopRow());
    if (cls > 1) selectClass(cls - 1);
    Grid1->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Clipboard

void ScoreGridWindow::copyWithNames()
{
    const CellRange range = NormalisedRange(Grid1->Row(), Grid1->Col(), Grid1->RowSel(), Grid1->ColSel());
    const auto cell = [this](int r, int c) { return Grid1->TextMatrix(r, c); };
    PutOnClipboard(BuildCopyTextWithNames(cell, range, gd().currentGrade));
    Grid1->setFocus();
}

bool ScoreGridWindow::acceptsPastedToken(const QString& token) const
{
    return ScoreCellValue(token).has_value();
}

void ScoreGridWindow::pasteClipboard()
{
    const CellRange range = NormalisedRange(Grid1->Row(), Grid1->Col(), Grid1->RowSel(), Grid1->ColSel());
    bool refused = false;
    for (const PastedCell& cell : DistributeNumericPaste(QGuiApplication::clipboard()->text(), range)) {
        if (!isDataCell(cell.row, cell.col)) continue;
        if (!acceptsPastedToken(cell.text)) {
            refused = true; // a value that does not fit its slot is not taken
            continue;
        }
        Grid1->setTextMatrix(cell.row, cell.col, cell.text);
    }
    if (refused) Beep();
    Grid1->setFocus();
}

void ScoreGridWindow::Command5_Click()
{
    if (pasteEnabled()) pasteClipboard();
}

void ScoreGridWindow::Command6_Click()
{
    copyWithNames();
}

void ScoreGridWindow::Check1_Click()
{
    Grid1->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Closing

void ScoreGridWindow::Command3_Click()
{
    mAskOnClose = false;
    close();
}

void ScoreGridWindow::closeEvent(QCloseEvent* event)
{
    if (mAskOnClose) {
        const MsgAnswer answer = ShowMessage(QStringLiteral("データを保存せずに終了してよいですか"), MsgButtons::YesNo,
                                             MsgIcon::Warning, 2, QString(), this);
        if (answer != MsgAnswer::Yes) {
            event->ignore();
            Grid1->setFocus();
            return;
        }
    } else {
        const Result saved = saveEdits();
        if (!saved) {
            // Nothing typed is lost: the window stays open with its cells.
            ShowMessage(saved.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
            mAskOnClose = true;
            event->ignore();
            Grid1->setFocus();
            return;
        }
    }
    event->accept();
    QDialog::done(mAskOnClose ? QDialog::Rejected : QDialog::Accepted);
}

// ---------------------------------------------------------------------------------------------
// Resize

void ScoreGridWindow::layoutControls()
{
    placeTopPanel();
    // The grid fills the window below the button row, with the button row's left margin.
    const QPoint buttonPos = Command1->mapTo(this, QPoint(0, 0));
    const int left = buttonPos.x();
    const int top = buttonPos.y() + Command1->height() + left;
    Grid1->setGeometry(left, top, qMax(0, width() - 2 * left), qMax(0, height() - top - left));
}

QString ScoreGridWindow::numberText(int number) const
{
    return QString::number(number);
}

} // namespace seiran
