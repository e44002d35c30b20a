#pragma once

#include "EditMeiboRoster.h"
#include "GridWindow.h"

#include <array>

class QFrame;
class QLineEdit;

namespace seiran {

class FlexGrid;
struct Session;

// Roster editing: names, sexes, readings and enrolment of every seat of every class, one grid
// per class on the same rectangle. Works on its own copy of the roster file and writes back
// only the records that changed when it closes.
class frmEditMeibo : public GridWindow
{
    Q_OBJECT
public:
    explicit frmEditMeibo(Session& session, QWidget* parent = nullptr);
    ~frmEditMeibo() override;

    static constexpr int GridCount = 10;

    // Controls (the class selector and Command1..6 are GridWindow's: 次, 前, 終了, コピー, 貼付,
    // 消去)
    std::array<FlexGrid*, GridCount> Grid1{}; // one per class; elements beyond the class count unused
    QLineEdit* Text1 = nullptr;               // overlay editor for names and readings
    QFrame* Frame1 = nullptr;
    QLabel* Label2 = nullptr;

    // Per-window state
    int frontClass() const { return mFrontClass; } // 0-based index of the grid in front
    bool rosterChanged() const { return mRosterChanged; }
    bool loadFailed() const { return mLoadFailed; }
    const EditMeiboRoster& roster() const { return mRoster; }
    FlexGrid* frontGrid() const { return Grid1[std::size_t(mFrontClass)]; }

    // Handlers (every grid event acts on the grid in front, whichever grid raised it)
    void Grid1_KeyPress(int keyAscii);
    void Grid1_DblClick();
    void Grid1_LeaveCell();
    void Grid1_Scroll();
    void Combo_class_Click() override;
    void Command1_Click() override;
    void Command2_Click() override;
    void Command3_Click() override;
    void Command5_Click() override;
    void Command6_Click() override;

    // Opens the overlay editor on the current cell (name or reading column).
    void openEditor();
    // Commits the overlay editor if it is open. Returns false when its text was refused.
    bool commitEditor();

protected:
    FlexGrid* activeGrid() const override { return frontGrid(); }
    void commitPendingEdit() override { commitEditor(); }
    void layoutControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
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
    EditMeiboRoster mRoster;
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
