#pragma once

#include "GridWindow.h"
#include "RosterEditModel.h"

#include <array>

class QFrame;

namespace seiran {

class CellEditBox;
class FlexGrid;
struct Session;

// Roster editing: names, sexes, readings and enrolment of every seat of every class, one grid
// per class on the same rectangle. Works on its own copy of the roster file and writes back
// only the records that changed when it closes.
class RosterEditorWindow : public GridWindow
{
    Q_OBJECT
public:
    explicit RosterEditorWindow(Session& session, QWidget* parent = nullptr);
    ~RosterEditorWindow() override;

    static constexpr int GridCount = 10;

    // Controls (the class selector and the six buttons are GridWindow's: 次, 前, 終了, コピー, 貼付,
    // 消去)
    std::array<FlexGrid*, GridCount> mGrids{}; // one per class; elements beyond the class count unused
    CellEditBox* mNameEditor = nullptr;        // overlay editor for names and readings
    QFrame* mHintFrame = nullptr;
    QLabel* mHintLabel = nullptr;

    // Per-window state
    int frontClass() const { return mFrontClass; } // 0-based index of the grid in front
    bool rosterChanged() const { return mRosterChanged; }
    bool loadFailed() const { return mLoadFailed; }
    const RosterEditModel& roster() const { return mRoster; }
    FlexGrid* frontGrid() const { return mGrids[std::size_t(mFrontClass)]; }

    // Handlers (every grid event acts on the grid in front, whichever grid raised it)
    void onGridKeyPress(int keyAscii);
    void onGridDoubleClick();
    void onGridLeaveCell();
    void onGridScroll();
    void onClassChanged() override;
    void onNextClicked() override;
    void onPreviousClicked() override;
    void onFinishClicked() override;
    void onPasteClicked() override;
    void onExtraClicked() override;

    // Opens the overlay editor on the current cell (name or reading column).
    void openEditor();
    // Commits the overlay editor if it is open. Returns false when its text was refused.
    bool commitEditor(bool keepOnError = false);

protected:
    FlexGrid* activeGrid() const override { return frontGrid(); }
    void commitPendingEdit() override { commitEditor(); }
    void layoutControls() override;
    // A find goes through every seat of every class (class by class) and switches the class.
    int findRowCount() const override;
    QStringList findTexts(int row) const override;
    int findCurrentRow() const override;
    void goToFoundRow(int row) override;
    // Class lists from the office: every class as 組, 番, 氏名, 性別, ふりがな, 備考 out, merged in.
    QList<QStringList> csvRows() const override;
    bool takesCsv() const override { return true; }
    bool csvNeedsName() const override { return true; }
    CsvImportPreview previewCsv(const QList<CsvRecord>& records, const CsvLayout& layout) const override;
    void applyCsv(const CsvImportPreview& preview) override;
    // Undo: every seat of every class is a unit.
    QStringList undoState() const override;
    void restoreUndoValues(const QList<int>& units, const QStringList& values) override;
    QString undoUnitLabel(int unit) const override;
    void showUndoUnit(int unit) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setupGrid(int index);
    void refreshRow(int classNo, int row);
    void refreshClass(int classNo);
    // The sex toggle and the transfer toggle of the current row of the front grid.
    void toggleSex();
    void toggleTransfer();
    void placeEditor();
    int frontClassNo() const { return mFrontClass + 1; }

    Session& mSession;
    RosterEditModel mRoster;
    int mFrontClass = 0;
    bool mRosterChanged = false;
    bool mLoadFailed = false;
    bool mCommitting = false;
    // The cell the editor was opened on.
    int mEditClass = 0;
    int mEditRow = 0;
    int mEditCol = 0;
};

} // namespace seiran
