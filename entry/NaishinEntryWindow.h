#pragma once

#include "ScoreGrid.h"

namespace seiran {

// 内申点 entry: nine points per pupil, one column per naishin position, each typed with one
// key ("1".."9", "0" for 10). The points are in GradeData when the window opens; "入力終了"
// converts the cells back and writes the changed records.
class NaishinEntryWindow : public ScoreGridWindow
{
    Q_OBJECT
public:
    explicit NaishinEntryWindow(Session& session, QWidget* parent = nullptr);

    QCheckBox* mAutoMoveCheck = nullptr; // 自動移動

    // Fills the grid from the naishin points.
    void display();

protected:
    void cellKeyPress(int keyAscii) override;
    bool acceptsPastedToken(int col, const QString& token) const override;
    void leavingCell() override {}     // no warning beep for points
    void deleteSelection() override {} // Delete changes nothing here
    NumberStyle numberStyle() const override { return NumberStyle::TwoWide; }
    Result saveEdits(SaveControl& control) override;
    QString conflictValueText(int column, int value) const override;
    JournalLayout journalLayout() const override;
    int loadedCellValue(int row, int column) const override;
    QString restoreJournalCell(int row, int column, const QString& text, int base) override;
    // 内申点 from a CSV file, the nine positions named by their subjects.
    CsvCellColumns csvColumns() const override;

private:
    bool positionUsed(int col) const;
};

} // namespace seiran
