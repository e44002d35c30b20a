#pragma once

#include "EditMeiboRoster.h"

#include <QDialog>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace seiran {

class FlexGrid;
struct Session;

// Roster editing: names, sexes, readings and enrolment of every seat of every class, one grid
// per class on the same rectangle. Works on its own copy of the roster file and writes back
// only the records that changed when it closes.
class frmEditMeibo : public QDialog
{
    Q_OBJECT
public:
    explicit frmEditMeibo(Session& session, QWidget* parent = nullptr);
    ~frmEditMeibo() override;

    static constexpr int GridCount = 10;

    // Controls
    std::array<FlexGrid*, GridCount> Grid1{}; // one per class; elements beyond the class count unused
    QComboBox* Combo_class = nullptr;
    QPushButton* Command1 = nullptr; // 次
    QPushButton* Command2 = nullptr; // 前
    QPushButton* Command3 = nullptr; // 終了
    QPushButton* Command4 = nullptr; // コピー
    QPushButton* Command5 = nullptr; // 貼付
    QPushButton* Command6 = nullptr; // 消去
    QLineEdit* Text1 = nullptr;      // overlay editor for names and readings
    QFrame* Frame1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* labMinsize = nullptr;

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
    void Combo_class_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();

    // Opens the overlay editor on the current cell (name or reading column).
    void openEditor();
    // Commits the overlay editor if it is open. Returns false when its text was refused.
    bool commitEditor();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void setupGrid(int index);
    void refreshRow(int classNo, int row);
    void refreshClass(int classNo);
    void placeEditor();
    void layoutControls();
    int frontClassNo() const { return mFrontClass + 1; }

    Session& mSession;
    EditMeiboRoster mRoster;
    QWidget* mTopPanel = nullptr;
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
