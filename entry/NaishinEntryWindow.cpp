#include "NaishinEntryWindow.h"

#include "Beep.h"
#include "EntryColumns.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "NaishinCells.h"
#include "RosterFile.h"
#include "Session.h"

#include <QCheckBox>

namespace seiran {

NaishinEntryWindow::NaishinEntryWindow(Session& session, QWidget* parent) : ScoreGridWindow(session, parent)
{
    setAskOnClose(false);
    setWindowTitle(QStringLiteral("内申点の入力"));
    setMinimumSizeTwips(6840, 5280);
    if (!registerGrade(QStringLiteral("naishin"))) return;

    mAutoMoveCheck = new QCheckBox(QStringLiteral("自動移動"));
    mAutoMoveCheck->setChecked(false);
    addCheckBox(mAutoMoveCheck);

    fillClassCombo();
    setupColumns(NaishinHeaders(gd()), QStringLiteral("WWW"));
    display();
    takeGradeStamp();
    finishLoading();
    setProposedCsvName(gd().dataFolder, QStringLiteral("内申点"), gd().currentGrade);
    resizeToContent();
}

void NaishinEntryWindow::display()
{
    const GradeData& g = gd();
    fillFixedColumns();
    for (int i = 1; i <= g.studentCount; ++i) {
        for (int j = 1; j <= Limits::NaishinPositions; ++j)
            mGrid->setTextMatrix(i, FirstDataCol + j - 1, NaishinPositionText(g, j, i));
    }
    mGrid->viewport()->update();
}

bool NaishinEntryWindow::positionUsed(int col) const
{
    return NaishinPositionUsed(gd(), col - FirstDataCol + 1);
}

void NaishinEntryWindow::cellKeyPress(int keyAscii)
{
    const CellKeyOutcome out = ApplyNaishinKey(mGrid->Text(), cellUntouched(), keyAscii);
    if (out.action != CellKey::Changed) return;
    // A position without a subject takes nothing.
    if (!positionUsed(mGrid->Col())) {
        Beep();
        return;
    }
    mGrid->setText(out.text);
    setCellUntouched(out.untouched);
    const int key = NarrowKey(keyAscii);
    if (mAutoMoveCheck->isChecked() && key >= '0' && key <= '9') enterMovement();
}

bool NaishinEntryWindow::acceptsPastedToken(int col, const QString& token) const
{
    return positionUsed(col) && AcceptsNaishinToken(token);
}

CsvCellColumns NaishinEntryWindow::csvColumns() const
{
    return NaishinCsvColumns(gd(), gridCells());
}

Result NaishinEntryWindow::saveEdits(SaveControl& control)
{
    const Result converted =
        ConvertCellsToNaishin(gd(), [this](int i, int j) { return mGrid->TextMatrix(i, FirstDataCol + j - 1); });
    if (!converted) return converted;
    return SaveNaishin(gd(), session().progress, control);
}

QString NaishinEntryWindow::conflictValueText(int, int value) const
{
    return NaishinCellText(value);
}

JournalLayout NaishinEntryWindow::journalLayout() const
{
    return NaishinJournalLayout(dataHeaders());
}

int NaishinEntryWindow::loadedCellValue(int row, int column) const
{
    return gd().naishinAsLoaded(column, row);
}

QString NaishinEntryWindow::restoreJournalCell(int row, int column, const QString& text, int base)
{
    if (!NaishinPositionUsed(gd(), column)) return QStringLiteral("この画面にない欄です");
    if (!AcceptsNaishinToken(text.trimmed())) return QStringLiteral("内申点として保存できません");
    mGrid->setTextMatrix(row, FirstDataCol + column - 1, text);
    gd().naishinAsLoaded(column, row) = base;
    return QString();
}

} // namespace seiran
