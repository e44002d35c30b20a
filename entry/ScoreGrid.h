#pragma once

#include "ConflictDialog.h"
#include "EntryColumns.h"
#include "GridWindow.h"
#include "JournalLayout.h"
#include "Result.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "ScoreCsvImport.h"

#include <functional>

class QCheckBox;
class QHBoxLayout;

namespace seiran {

class FlexGrid;
struct GradeData;
struct Session;
class WindowGradeLock;
class WindowJournal;

// The frame every entry screen is built on: one grid listing the whole grade (class, number,
// name, sex, then the columns being entered), the class selector with "次"/"前", the finish,
// copy, paste and copy-with-names buttons, "右移動", the wheel step, the resize rule and the
// two ways of closing. A screen derives from it, builds its data columns and overrides the
// hooks below where it differs from the score cells.
class ScoreGridWindow : public GridWindow
{
    Q_OBJECT
public:
    explicit ScoreGridWindow(Session& session, QWidget* parent = nullptr);
    ~ScoreGridWindow() override;

    // Controls (the class selector and the six buttons are GridWindow's: 次, 前, 入力終了, ｺﾋﾟｰ,
    // 張付, 名付ｺﾋﾟｰ)
    FlexGrid* mGrid = nullptr;
    QCheckBox* mMoveRightCheck = nullptr; // 右移動
    // The status line under the grid of the score screens: a word about a refused key (the beep
    // may be switched off), until the next key. Null on screens without one.
    QLabel* mStatusLabel = nullptr;
    bool mAfterDecimal = false; // a decimal point was refused in the current cell

    // Per-window state
    bool askOnClose() const { return mAskOnClose; }
    bool cellUntouched() const { return mCellUntouched; }
    int currentClass() const { return mCurrentClass; }

    // Handlers
    void onGridKeyPress(int keyAscii);
    void onGridKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void onGridLeaveCell();
    void onGridRowColChange();
    void onGridWheel(int direction);
    void onClassChanged() override;
    void onNextClicked() override;
    void onPreviousClicked() override;
    void onFinishClicked() override;
    void onPasteClicked() override;
    void onExtraClicked() override;
    void onMoveRightToggled();

    // The Enter movement, also used by screens that move on by themselves.
    void enterMovement();

    // Sharing the grade with other PCs. The window registers before it reads (registerGrade);
    // refused, it does not open; read-only, every key that would change a cell beeps, the finish
    // button reads "閉じる" and nothing is saved.
    bool lockRefused() const { return mLockRefused; }
    bool readOnly() const { return mReadOnly; }
    WindowGradeLock* gradeLock() const { return mGradeLock; }
    // The journal of unsaved input (none for a read-only window or before the first open).
    WindowJournal* journal() const { return mJournal; }
    // Test seam: the clash question (default: the dialog, modal).
    std::function<ConflictDialog::Answer(ConflictDialog&)> runConflictDialog;
    // The rows of the clash question for the clashes of a save, in the grid's texts.
    QList<ConflictRowText> conflictRows(const QList<FieldConflict>& conflicts) const;
    // The grid cell of a clash.
    QPoint conflictCell(const FieldConflict& conflict) const;

protected:
    Session& session() { return mSession; }
    GradeData& gd();
    const GradeData& gd() const;

    // Building (called by the screens while loading, in this order).
    // Puts a widget at the left of the row above the buttons (a heading frame).
    void addHeading(QWidget* widget);
    // Adds a screen-specific check box after "右移動"; clicking it gives the grid the focus.
    void addCheckBox(QCheckBox* box);
    void fillClassCombo();
    // Columns 0..3 as every entry screen has them, then the data columns with their headers,
    // each of the width of `dataWidthText`.
    void setupColumns(const QStringList& dataHeaders, const QString& dataWidthText, bool centreData = true);
    // Rows 1..studentCount: class label, number, name, sex.
    void fillFixedColumns();
    // Selects the first class, makes row 1, column 4 current and ends loading.
    void finishLoading();
    // The finish button's caption (default "入力終了").
    void setFinishCaption(const QString& caption);
    // A screen without paste hides "張付" and ignores Ctrl+V.
    void setPasteAvailable(bool available);
    // Gives the screen the status line under its grid.
    void addStatusLine();
    // Shows a text on the status line (empty clears it); nothing on a screen without one.
    void showStatus(const QString& text);
    // Width of all the grid's columns (for the window's first size).
    int totalColumnWidth() const;
    void setAskOnClose(bool ask) { mAskOnClose = ask; }
    void setCellUntouched(bool untouched) { mCellUntouched = untouched; }

    // Hooks
    // A typed character in a data cell that is not Enter, Ctrl+C or Ctrl+V. Default: the
    // score cell rules.
    virtual void cellKeyPress(int keyAscii);
    // Whether Ctrl+V and "張付" paste on this screen.
    bool pasteEnabled() const { return mPasteAvailable; }
    // Whether a pasted token may go into a cell of column `col` (default: it fits a score slot).
    virtual bool acceptsPastedToken(int col, const QString& token) const;
    // A data cell became current (after cellUntouched was set). Default: nothing.
    virtual void cellEntered() {}
    // A data cell is being left, typed in or not; runs before leavingCell(). Default: nothing.
    virtual void cellLeft() {}
    // Leaving a cell that was typed in. Default: the warning beep of the main window's setting.
    virtual void leavingCell();
    // The Delete key. Default: every cell of the selection is emptied.
    virtual void deleteSelection();
    // The column after which "右移動" wraps to the next row (default the last column).
    virtual int wrapColumn() const;
    // Class of the pupil shown in a row (for "次"/"前").
    virtual int classOfRow(int row) const;
    // How the number column shows the attendance number.
    virtual NumberStyle numberStyle() const { return NumberStyle::AsRead; }
    // Registers the window as one entry screen writing `fields` ("slots 6-14", "naishin"); false
    // when the user gave up (the constructor stops and the window is not opened). A screen whose
    // data was read before it opened (`readBefore`) is not opened either when the grade changed
    // while it waited: its cells would show seats or slots that are no longer there.
    bool registerGrade(const QString& fields, bool readBefore = true);
    // What the save checks the grade against: taken right after the screen's data is read.
    void takeGradeStamp();
    // Converts the cells back and writes them, merging with what others saved since the load; a
    // failure keeps the window open. `control` carries the stamp and the decisions on clashes.
    virtual Result saveEdits(SaveControl& control) = 0;
    // A value of data column `column` (from 1) as the grid shows it.
    virtual QString conflictValueText(int column, int value) const = 0;
    // The journal of unsaved input: what the data columns hold (an invalid layout keeps no
    // journal), the value of a cell at load, and a journal's cell put back with the value its
    // input started from ("" when taken, otherwise why not).
    virtual JournalLayout journalLayout() const { return {}; }
    virtual int loadedCellValue(int row, int column) const;
    virtual QString restoreJournalCell(int row, int column, const QString& text, int base);
    // The headers of the data columns, as the grid shows them.
    QStringList dataHeaders() const;
    // The close box was answered Yes: undo what the screen already stored while editing.
    virtual void discardEdits() {}
    // Places the top panel and the grid below the button row.
    void layoutControls() override;
    FlexGrid* activeGrid() const override { return mGrid; }
    // Undo: every data cell is a unit holding undoCellValue (its text by default; a screen that
    // keeps a side table in step with its cells adds the table's value).
    virtual QString undoCellValue(int row, int col) const;
    virtual void restoreCellValue(int row, int col, const QString& value);
    QStringList undoState() const override;
    QString undoUnitValue(int unit) const override;
    // The undo unit of a data cell.
    int undoUnit(int row, int col) const;
    void restoreUndoValues(const QList<int>& units, const QStringList& values) override;
    QString undoUnitLabel(int unit) const override;
    void showUndoUnit(int unit) override;
    // CSV取込 of the data columns: a screen that takes a file gives its columns (none by default,
    // and the button stays hidden); the accepted values go into the cells through
    // importCellValue (the cell's text by default). "入力終了" saves them as typed ones.
    virtual CsvCellColumns csvColumns() const { return {}; }
    virtual void importCellValue(int row, int col, const QString& value);
    // The data cells of the grid as the columns read them (column k from 1).
    ScoreCellTextFn gridCells() const;
    bool takesCsv() const override { return !csvColumns().empty(); }
    QStringList csvSubjectNames() const override { return csvColumns().names; }
    CsvImportPreview previewCsv(const QList<CsvRecord>& records, const CsvLayout& layout) const override;
    void applyCsv(const CsvImportPreview& preview) override;
    // A find matches the name and the reading; the found row is reached by the usual cell move.
    QStringList findTexts(int row) const override;
    void goToFoundRow(int row) override;

    bool hasCurrentDataCell() const;
    bool isDataCell(int row, int col) const;
    // Moves the current cell as a key would: the old cell is left, the new one entered.
    void moveCurrentCell(int row, int col);
    // The class selector's item for a class, selected as if clicked.
    void selectClass(int classNo);

    void closeEvent(QCloseEvent* event) override;
    bool acceptsEdits() const override;

private:
    void copyWithNames();
    void pasteClipboard();
    // The save with its questions: clashes asked (and the save run again), a changed grade told
    // with the offer to keep the input as CSV. True when everything was written.
    bool saveAsking();
    void setReadOnly();
    // Opens the journal of unsaved input once the grid is filled, offering back what an earlier
    // window of this screen left unsaved.
    void startJournal();
    void clearConflictColours();

    Session& mSession;
    QHBoxLayout* mHeadingRow = nullptr;
    QHBoxLayout* mCheckRow = nullptr;
    bool mAskOnClose = false;
    bool mCellUntouched = true;
    int mCurrentClass = 1;
    bool mPasteAvailable = true;
    bool mMoving = false; // the grid's own move signals are ignored while we move the cell
    WindowGradeLock* mGradeLock = nullptr;
    GradeStamp mStamp;
    bool mLockRefused = false;
    bool mReadOnly = false;
    QList<QPoint> mConflictCells; // lit red after a clash question was cancelled
    WindowJournal* mJournal = nullptr;
};

} // namespace seiran
