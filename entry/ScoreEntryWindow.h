#pragma once

#include "ScoreGrid.h"

class QFrame;

namespace seiran {

// Score entry by test: the scores of the chosen test for the whole grade, one column per
// subject of the test. The scores are in GradeData when the window opens; "入力終了" converts
// the cells back and writes the changed records.
class ScoreEntryWindow : public ScoreGridWindow
{
    Q_OBJECT
public:
    explicit ScoreEntryWindow(Session& session, QWidget* parent = nullptr);

    QCheckBox* mWrapFiveCheck = nullptr; // 5科折返
    QFrame* mTestFrame = nullptr;
    QLabel* mTestLabel = nullptr;

    // Fills the grid from the scores of the current test.
    void display();

protected:
    int wrapColumn() const override;
    Result saveEdits(SaveControl& control) override;
    QString conflictValueText(int column, int value) const override;
    JournalLayout journalLayout() const override;
    int loadedCellValue(int row, int column) const override;
    QString restoreJournalCell(int row, int column, const QString& text, int base) override;
    // A test's scores from a CSV file, one column per subject.
    CsvCellColumns csvColumns() const override;

private:
    int mSubjectCount = 0;
};

// Converts the data cells of a score grid back into the current test's scores; a cell that
// still shows its score's text keeps the score. Fails, naming the pupil and the subject, when a
// cell holds a value that does not fit its slot; nothing is changed then.
// What the score entry of the current test writes, as the grade's registry says it: "slots 6-14".
QString TestSlotFields(const GradeData& gd, int subjectCount);

using ScoreCellFn = std::function<QString(int student, int subject)>;
Result ConvertCellsToScores(GradeData& gd, int subjectCount, const ScoreCellFn& cell);

} // namespace seiran
