#pragma once

#include "GradeData.h"
#include "ScoreGrid.h"

#include <memory>

namespace seiran {

// 進路希望 entry: four high-school choices per pupil, typed as the school's number or picked in
// the school list below the grid. A choice is stored in GradeData as soon as its cell is left;
// "終了" writes the changed records.
class CareerChoiceEntryWindow : public ScoreGridWindow
{
    Q_OBJECT
public:
    explicit CareerChoiceEntryWindow(Session& session, QWidget* parent = nullptr);
    ~CareerChoiceEntryWindow() override;

    FlexGrid* mSchoolGrid = nullptr; // the school list

    // The choices and, below them, the whole school list.
    QSize contentSize() const override;

    // Fills the choice grid from the stored choices.
    void display();

    // Handlers of the school list.
    void onSchoolGridClicked();
    void onSchoolGridDoubleClicked();
    void onSchoolGridKeyPress(int keyAscii);

protected:
    void cellKeyPress(int keyAscii) override;
    void cellEntered() override;
    void cellLeft() override;
    void leavingCell() override;
    void deleteSelection() override;
    // A choice's undo holds the school number beside the cell text.
    QString undoCellValue(int row, int col) const override;
    void restoreCellValue(int row, int col, const QString& value) override;
    NumberStyle numberStyle() const override { return NumberStyle::TwoWide; }
    void discardEdits() override;
    Result saveEdits(SaveControl& control) override;
    QString conflictValueText(int column, int value) const override;
    JournalLayout journalLayout() const override;
    int loadedCellValue(int row, int column) const override;
    QString restoreJournalCell(int row, int column, const QString& text, int base) override;
    void layoutControls() override;
    // Choices from a CSV file by school name or number; each is stored as a picked one.
    CsvCellColumns csvColumns() const override;
    void importCellValue(int row, int col, const QString& value) override;

private:
    void fillSchoolList();
    // Stores the school at the school list's current cell in the current choice cell and moves on.
    void pickSchool();
    void pickSchoolIntoCell();
    void advanceAfterPick();

    using ChoiceTable = Table2<int, 0, Limits::Choices, 0, Limits::Students>;
    std::unique_ptr<ChoiceTable> mChoicesAtOpen; // given back when the edits are discarded
};

} // namespace seiran
