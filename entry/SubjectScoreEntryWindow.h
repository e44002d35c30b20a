#pragma once

#include "RosterFile.h"
#include "ScoreGrid.h"

#include <memory>

class QFrame;

namespace seiran {

// Score entry by subject: one subject's scores over the tests chosen in the subject-and-test
// picker, one column per test. The window reads the scores straight from the roster file when
// it opens and writes the changed ones straight back on "入力終了"; the scores of the test chosen
// in the main window are not touched.
class SubjectScoreEntryWindow : public ScoreGridWindow
{
    Q_OBJECT
public:
    // Reads the subject `evalSubject` of the tests `selectedItems` (1..selectedItemCount).
    explicit SubjectScoreEntryWindow(Session& session, QWidget* parent = nullptr);
    ~SubjectScoreEntryWindow() override;

    QFrame* mHeadingFrame = nullptr;
    QLabel* mHeadingLabel = nullptr;

    // Whether the scores could be read; the window is not shown otherwise.
    const Result& loadResult() const { return mLoadResult; }

    // Fills the grid from the scores as read.
    void display();

protected:
    int classOfRow(int row) const override;
    Result saveEdits(SaveControl& control) override;
    QString conflictValueText(int column, int value) const override;
    JournalLayout journalLayout() const override;
    int loadedCellValue(int row, int column) const override;
    QString restoreJournalCell(int row, int column, const QString& text, int base) override;
    // The subject's scores from a CSV file, one column per test by its short name.
    CsvCellColumns csvColumns() const override;

private:
    std::unique_ptr<SubjectScores> mScores;
    Result mLoadResult;
};

// Opens the window modally, or tells why the scores cannot be read.
void OpenSubjectScoreEntry(Session& session, QWidget* parent);

} // namespace seiran
