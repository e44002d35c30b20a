#include "CareerChoiceEntryWindow.h"

#include "Beep.h"
#include "CareerCells.h"
#include "EntryColumns.h"
#include "FlexGrid.h"
#include "ImportedValues.h"
#include "RosterFile.h"
#include "Session.h"

#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>

namespace seiran {

namespace {
// Light yellow of the current choice cell.
const QColor CurrentCellColor(255, 255, 192);
} // namespace

CareerChoiceEntryWindow::CareerChoiceEntryWindow(Session& session, QWidget* parent)
    : ScoreGridWindow(session, parent), mChoicesAtOpen(std::make_unique<ChoiceTable>(session.gd.careerChoice))
{
    setAskOnClose(false);
    setWindowTitle(QStringLiteral("進路希望の入力"));
    setFinishCaption(QStringLiteral("終了"));
    setPasteAvailable(false);
    setMinimumSizeTwips(7320, 5760);

    mSchoolGrid = new FlexGrid(this);
    connect(mSchoolGrid, &FlexGrid::clicked, this, &CareerChoiceEntryWindow::onSchoolGridClicked);
    connect(mSchoolGrid, &FlexGrid::doubleClicked, this, &CareerChoiceEntryWindow::onSchoolGridDoubleClicked);
    connect(mSchoolGrid, &FlexGrid::keyPress, this, &CareerChoiceEntryWindow::onSchoolGridKeyPress);
    if (!registerGrade(QStringLiteral("choices"))) return;

    fillClassCombo();
    setupColumns(CareerHeaders(), QStringLiteral("WWWWWWWW"), false);
    display();
    takeGradeStamp();
    fillSchoolList();
    finishLoading();
    setProposedCsvName(gd().dataFolder, QStringLiteral("進路希望"), gd().currentGrade);
    resizeToContent();
}

CareerChoiceEntryWindow::~CareerChoiceEntryWindow() = default;

void CareerChoiceEntryWindow::display()
{
    const GradeData& g = gd();
    fillFixedColumns();
    for (int i = 1; i <= g.studentCount; ++i) {
        for (int k = 1; k <= CareerChoiceCount; ++k)
            mGrid->setTextMatrix(i, FirstDataCol + k - 1, CareerCellText(g, g.careerChoice(k, i)));
    }
    mGrid->viewport()->update();
}

void CareerChoiceEntryWindow::fillSchoolList()
{
    const GradeData& g = gd();
    const int cols = SchoolListColumns(g.highSchoolCount);
    mSchoolGrid->setRows(SchoolListRows);
    mSchoolGrid->setCols(cols);
    mSchoolGrid->setFixedRows(0);
    mSchoolGrid->setFixedCols(0);
    mSchoolGrid->setAllColWidths(MeasuredColWidth(mSchoolGrid, QStringLiteral("1WWWWWWWW")));
    for (int c = 0; c < cols; ++c) {
        mSchoolGrid->setColAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
        for (int r = 0; r < SchoolListRows; ++r)
            mSchoolGrid->setTextMatrix(r, c, SchoolListText(g, SchoolListEntry(r, c)));
    }
    // The list keeps the height of its ten rows, with room for the scroll bar it shows when it
    // is wider than the window.
    const int height = SchoolListRows * mSchoolGrid->RowHeight() + 2 * mSchoolGrid->frameWidth() +
                       mSchoolGrid->horizontalScrollBar()->sizeHint().height();
    mSchoolGrid->setFixedHeight(height);
    mSchoolGrid->setRow(0);
    mSchoolGrid->setCol(0);
    mSchoolGrid->setTopRow(0);
    mSchoolGrid->setLeftCol(0);
}

// ---------------------------------------------------------------------------------------------
// The choice grid

void CareerChoiceEntryWindow::cellKeyPress(int keyAscii)
{
    const CellKeyOutcome out = ApplyCareerKey(mGrid->Text(), cellUntouched(), keyAscii);
    if (out.action != CellKey::Changed) return;
    mGrid->setText(out.text);
    setCellUntouched(out.untouched);
}

void CareerChoiceEntryWindow::cellEntered()
{
    if (hasCurrentDataCell()) mGrid->setCellBackColor(mGrid->Row(), mGrid->Col(), CurrentCellColor);
}

void CareerChoiceEntryWindow::cellLeft()
{
    mGrid->setCellBackColor(mGrid->Row(), mGrid->Col(), QColor());
}

void CareerChoiceEntryWindow::leavingCell()
{
    const CareerLeave leave = LeaveCareerCell(gd(), mGrid->Text());
    switch (leave.action) {
    case CareerLeave::Nothing:
        break;
    case CareerLeave::Refused:
        Beep();
        break;
    case CareerLeave::Store:
        mGrid->setText(leave.text);
        gd().careerChoice(mGrid->Col() - FirstDataCol + 1, mGrid->Row()) = leave.value;
        break;
    }
}

void CareerChoiceEntryWindow::deleteSelection()
{
    const CellRange range = NormalisedRange(mGrid->Row(), mGrid->Col(), mGrid->RowSel(), mGrid->ColSel());
    for (int r = range.top; r <= range.bottom; ++r) {
        for (int c = range.left; c <= range.right; ++c) {
            if (!isDataCell(r, c)) continue;
            mGrid->setTextMatrix(r, c, QString());
            gd().careerChoice(c - FirstDataCol + 1, r) = 0;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The school list

QString CareerChoiceEntryWindow::undoCellValue(int row, int col) const
{
    return mGrid->TextMatrix(row, col) + QChar(0x1F) + QString::number(gd().careerChoice(col - FirstDataCol + 1, row));
}

void CareerChoiceEntryWindow::restoreCellValue(int row, int col, const QString& value)
{
    const qsizetype mark = value.lastIndexOf(QChar(0x1F));
    mGrid->setTextMatrix(row, col, value.left(mark));
    gd().careerChoice(col - FirstDataCol + 1, row) = value.mid(mark + 1).toInt();
}

void CareerChoiceEntryWindow::pickSchool()
{
    if (!hasCurrentDataCell()) return;
    if (readOnly()) {
        Beep();
        return;
    }
    beginUndoStep();
    pickSchoolIntoCell();
    endUndoStep(QStringLiteral("高校"));
}

void CareerChoiceEntryWindow::pickSchoolIntoCell()
{
    const GradeData& g = gd();
    const int k = SchoolListEntry(mSchoolGrid->Row(), mSchoolGrid->Col());
    const int choice = mGrid->Col() - FirstDataCol + 1;
    if (k <= g.highSchoolCount) {
        setCellUntouched(true); // leaving the cell does not read it again
        mGrid->setText(CareerCellText(g, k));
        gd().careerChoice(choice, mGrid->Row()) = k;
    } else if (k == g.highSchoolCount + 1) {
        setCellUntouched(true);
        mGrid->setText(QString());
        gd().careerChoice(choice, mGrid->Row()) = 0;
    }
    advanceAfterPick();
}

void CareerChoiceEntryWindow::advanceAfterPick()
{
    const int row = mGrid->Row();
    const int col = mGrid->Col();
    const int lastRow = mGrid->Rows() - 1;
    const int lastCol = mGrid->Cols() - 1;
    int nextRow = row;
    int nextCol = col;
    if (mMoveRightCheck->isChecked()) {
        if (col < lastCol) {
            nextCol = col + 1;
        } else if (row < lastRow) {
            nextRow = row + 1;
            nextCol = FirstDataCol;
        }
    } else if (row < lastRow) {
        nextRow = row + 1;
    }
    if (nextRow != row || nextCol != col) {
        moveCurrentCell(nextRow, nextCol);
        mGrid->setRowSel(nextRow);
        mGrid->setColSel(nextCol);
        if (nextCol == FirstDataCol) mGrid->setLeftCol(FirstDataCol);
    }
    mGrid->setFocus();
}

void CareerChoiceEntryWindow::onSchoolGridClicked()
{
    mGrid->setFocus();
}

void CareerChoiceEntryWindow::onSchoolGridDoubleClicked()
{
    pickSchool();
}

void CareerChoiceEntryWindow::onSchoolGridKeyPress(int keyAscii)
{
    if (keyAscii == 13) {
        pickSchool();
        mSchoolGrid->setFocus(); // several choices can be picked in a row
    } else if (keyAscii == 8) {
        mGrid->setFocus();
    }
}

// ---------------------------------------------------------------------------------------------
// Closing and resizing

void CareerChoiceEntryWindow::discardEdits()
{
    gd().careerChoice = *mChoicesAtOpen;
}

Result CareerChoiceEntryWindow::saveEdits(SaveControl& control)
{
    mGrid->setFocus();
    return SaveCareerChoices(gd(), session().progress, control);
}

QString CareerChoiceEntryWindow::conflictValueText(int, int value) const
{
    return CareerCellText(gd(), value);
}

CsvCellColumns CareerChoiceEntryWindow::csvColumns() const
{
    return CareerCsvColumns(gd());
}

void CareerChoiceEntryWindow::importCellValue(int row, int col, const QString& value)
{
    const int choice = value.toInt();
    gd().careerChoice(col - FirstDataCol + 1, row) = choice;
    mGrid->setTextMatrix(row, col, CareerCellText(gd(), choice));
}

QSize CareerChoiceEntryWindow::contentSize() const
{
    const QSize choices = ScoreGridWindow::contentSize();
    const int list = TotalColumnWidth(mSchoolGrid) + 2 * WindowMargin;
    return {qMax(choices.width(), list), choices.height() + mSchoolGrid->height() + WindowMargin};
}

void CareerChoiceEntryWindow::layoutControls()
{
    placeTopPanel();
    // The school list keeps its size at the bottom; the choices fill the space above it.
    const QPoint buttonPos = mNextButton->mapTo(this, QPoint(0, 0));
    const int m = buttonPos.x();
    const int top = buttonPos.y() + mNextButton->height() + m;
    const int listHeight = mSchoolGrid->height();
    const int listWidth = qMin(TotalColumnWidth(mSchoolGrid), width() - 2 * m);
    mSchoolGrid->setGeometry(m, height() - m - listHeight, qMax(0, listWidth), listHeight);
    mGrid->setGeometry(m, top, qMax(0, width() - 2 * m), qMax(0, height() - top - 2 * m - listHeight));
}

JournalLayout CareerChoiceEntryWindow::journalLayout() const
{
    return CareerJournalLayout(dataHeaders());
}

int CareerChoiceEntryWindow::loadedCellValue(int row, int column) const
{
    return gd().careerChoiceAsLoaded(column, row);
}

QString CareerChoiceEntryWindow::restoreJournalCell(int row, int column, const QString& text, int base)
{
    if (column < 1 || column > Limits::Choices) return QStringLiteral("この画面にない欄です");
    QString why;
    const std::optional<int> choice = ImportedCareerChoice(gd(), text, why);
    if (!choice) return why;
    mGrid->setTextMatrix(row, FirstDataCol + column - 1, CareerCellText(gd(), *choice));
    gd().careerChoice(column, row) = *choice;
    gd().careerChoiceAsLoaded(column, row) = base;
    return QString();
}

} // namespace seiran
