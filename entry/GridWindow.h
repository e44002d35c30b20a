#pragma once

#include "CsvImport.h"
#include "CsvSaveDialog.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QUndoStack;
class QVBoxLayout;

namespace seiran {

class FindBar;
class GridUndo;
class ImportPreviewDialog;
class FlexGrid;

// Window sizes are given in twips, 15 to a pixel.
constexpr int TwipsPerPixel = 15;
// Space between the window's edge, the controls along the top and the grid.
constexpr int WindowMargin = 8;
// Cell text is drawn with a small inset; measured column widths leave room for it.
constexpr int CellPadding = 8;

// Width of a grid column that holds `text` in the grid's font.
int MeasuredColWidth(const FlexGrid* grid, const QString& text);

// Width of all of a grid's columns and its frame.
int TotalColumnWidth(const FlexGrid* grid);

// Clipboard text of the grid's selection, whichever way it was dragged: cells joined by Tab,
// CR LF after every row.
QString SelectionCopyText(const FlexGrid* grid);

// The file name "CSVファイルに保存…" proposes: the screen (with its test or subject) and the
// grade, "内申点_3年.csv"; characters a file name cannot hold become "_".
QString ProposedCsvName(const QString& screen, int grade);

// Clears the clipboard and puts the text on it.
void PutOnClipboard(const QString& text);

// One search of the find field over rows 1..rowCount, each with the texts it may match (name and
// reading): step 0 from the current row (each keystroke), 1 the next match, -1 the previous one,
// wrapping round. Returns the row found, 0 for none (the field turns light red).
int FindPupilStep(FindBar* bar, int rowCount, int currentRow, const std::function<QStringList(int)>& texts,
                  const QString& query, int step);

// What the grid windows (the entry screens and the roster editor) share: the class selector,
// "次", "前" and four command buttons wired to their handlers, the hidden label whose position
// is the minimum window size with its resize rule, Escape closing like the close box, and the
// copy button. A window arranges the controls in the rows of its top panel and places them in
// layoutControls().
class GridWindow : public QDialog
{
    Q_OBJECT
public:
    // Captions of mFinishButton, mCopyButton, mPasteButton and mExtraButton (the screen's own sixth
    // button: 名付ｺﾋﾟｰ in score entry, 消去 in the roster editor).
    struct Captions
    {
        QString finish;
        QString copy;
        QString paste;
        QString extra;
    };

    GridWindow(const Captions& captions, QWidget* parent);
    ~GridWindow() override;

    // Controls
    QComboBox* mClassCombo = nullptr;
    QPushButton* mNextButton = nullptr;     // 次
    QPushButton* mPreviousButton = nullptr; // 前
    QPushButton* mFinishButton = nullptr;
    QPushButton* mCopyButton = nullptr;
    QPushButton* mPasteButton = nullptr;
    QPushButton* mExtraButton = nullptr;
    QLabel* mMinSizeLabel = nullptr;         // hidden; its position is the window's minimum size
    FindBar* mFindBar = nullptr;             // under the grid while a pupil is being found (Ctrl+F)
    QPushButton* mCsvImportButton = nullptr; // CSV取込, shown by the screens that take a CSV file
    // Every edit of the window is a step here (Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, the context menu);
    // the stack ends with the window.
    QUndoStack* mUndoStack = nullptr;

    // Handlers of the shared controls.
    virtual void onClassChanged() = 0;
    virtual void onNextClicked() = 0;
    virtual void onPreviousClicked() = 0;
    virtual void onFinishClicked() = 0;
    // Copies the selection of the grid in use.
    void onCopyClicked();
    virtual void onPasteClicked() = 0;
    virtual void onExtraClicked() = 0;
    // "CSV取込": a file chosen, its preview, and the accepted lines given to the screen.
    void onCsvImportClicked();
    // "CSVファイルに保存…" of the grid's context menu: the file dialog proposes
    // proposedCsvPath(); a name typed without an extension gets ".csv".
    void onCsvExportClicked();
    // The data folder and the screen's name with the grade: ".../内申点_3年.csv".
    QString proposedCsvPath() const { return mProposedCsvPath; }
    // Test seams: the file to read or write (empty: cancelled) and the preview's answer.
    std::function<QString()> chooseImportFile;
    std::function<QString()> chooseExportFile;
    std::function<bool(ImportPreviewDialog&)> runImportPreview;

    void onUndo();
    void onRedo();
    // Gives the values of the units (see undoState) back as a step's undo or redo does, makes the
    // first of them current and visible; never beeps or asks.
    void applyUndoValues(const QList<int>& units, const QStringList& values);
    // Whether typing goes on in the same step (the current cell has not changed since).
    bool typingStepOpen() const;

    // Ctrl+F: the find field opens under the grid.
    void openFind();
    // Finds a pupil whose name or reading holds `query`: step 0 from the current row (each
    // keystroke), 1 the next match, -1 the previous one, wrapping round. The match becomes the
    // current row; none turns the field light red. Returns whether a pupil was found.
    bool findPupil(const QString& query, int step);

    // The size that shows the controls along the top, every column of the grid and a page of
    // its rows.
    virtual QSize contentSize() const;

protected:
    // Minimum window size in twips; the window is never made smaller.
    void setMinimumSizeTwips(int width, int height);
    // Opens the window at contentSize(), within the screen.
    void resizeToContent();
    // The file "CSVファイルに保存…" proposes: `screen`_`grade`年.csv in `dataFolder`.
    void setProposedCsvName(const QString& dataFolder, const QString& screen, int grade);
    // The grid the buttons act on.
    virtual FlexGrid* activeGrid() const = 0;
    // Finishes an edit in progress before a button acts (nothing by default).
    virtual void commitPendingEdit() {}
    // Places the controls for the current window size.
    virtual void layoutControls() = 0;

    // The rows a find goes through, 1..findRowCount(), with the texts each may match (name and
    // reading), the row that is current, and the move to a found row through the window's usual
    // cell move. Defaults: the rows of the active grid, its name column, a plain row change.
    virtual int findRowCount() const;
    virtual QStringList findTexts(int row) const;
    virtual int findCurrentRow() const;
    virtual void goToFoundRow(int row);
    // Places the top panel across the window; returns the rectangle left below it for the grid,
    // with the margin on every side.
    QRect placeTopPanel();

    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

    // Undo. The window's editable state as a flat list of texts, one per unit (a cell, a seat);
    // an edit between beginUndoStep() and endUndoStep() becomes one step holding the units it
    // changed. Steps nest: only the outermost pair counts. A typing step stays open, merging the
    // keys that follow in the same cell, until closeTypingStep() (the current cell changed).
    virtual QStringList undoState() const { return {}; }
    virtual void restoreUndoValues(const QList<int>& units, const QStringList& values);
    // "3組 12番 国語": the unit as a step names it.
    virtual QString undoUnitLabel(int unit) const;
    // Makes the unit's cell current and visible without the leave-cell rules.
    virtual void showUndoUnit(int unit);
    void beginUndoStep();
    void endUndoStep(const QString& action, bool typing = false);
    void closeTypingStep();
    // One step for the rest of a scope.
    class UndoScope
    {
    public:
        UndoScope(GridWindow& window, const QString& action) : mWindow(window), mAction(action)
        {
            mWindow.beginUndoStep();
        }
        ~UndoScope() { mWindow.endUndoStep(mAction); }
        UndoScope(const UndoScope&) = delete;
        UndoScope& operator=(const UndoScope&) = delete;

    private:
        GridWindow& mWindow;
        QString mAction;
    };
    bool restoringUndo() const;

    // CSV of the screen. The grid as shown by default (column 3 "性別"); screens that take a file
    // say so and give the preview and its application.
    virtual QList<QStringList> csvRows() const;
    virtual bool takesCsv() const { return false; }
    // Whether the window may change its cells now (a read-only window's CSV import beeps).
    virtual bool acceptsEdits() const { return true; }
    virtual bool csvNeedsName() const { return false; }
    virtual QStringList csvSubjectNames() const { return {}; }
    virtual CsvImportPreview previewCsv(const QList<CsvRecord>& records, const CsvLayout& layout) const;
    virtual void applyCsv(const CsvImportPreview& preview);
    // The context menu of a grid: "CSVファイルに保存…", and "CSV取込…" where the screen takes a file.
    void installGridMenu(FlexGrid* grid);

    // layoutControls(), then room for the find field under the grid while it is open.
    void relayout();

    GridUndo* mUndo = nullptr;
    QString mProposedCsvPath;

    // The controls along the top, in rows (mTopRows) filled by the window.

    QWidget* mTopPanel = nullptr;
    QVBoxLayout* mTopRows = nullptr;
};

} // namespace seiran
