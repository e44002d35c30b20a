#pragma once

#include "ConfirmCloseDialog.h"
#include "GridUndo.h"
#include "PromotionTable.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace seiran {

class CellEditBox;
class FindBar;
class FlexGrid;
struct Session;

// "進級・クラス分け処理": every pupil of the grade with the old class and number, the class and
// number for next year (typed, pasted, or numbered in syllabary order), pupils who transfer in,
// three sorts; the assignment is kept in the grade's roster when the window closes, and
// "新学年作成" builds next year's files in a chosen folder.
class PromotionWindow : public ConfirmCloseDialog, private GridUndo::Client
{
    Q_OBJECT
public:
    explicit PromotionWindow(Session& session, QWidget* parent = nullptr);
    ~PromotionWindow() override;

    // Controls
    FlexGrid* mGrid = nullptr;
    CellEditBox* mEditBox = nullptr;
    QPushButton* mTransferInButton = nullptr; // 転入
    QPushButton* mSortButton = nullptr;       // 並替
    QGroupBox* mSortFrame = nullptr;          // 並替の条件
    QRadioButton* mOldOrderOption = nullptr;  // 旧クラス順
    QRadioButton* mNewNumberOption = nullptr; // 新クラス・番号順
    QRadioButton* mSyllabaryOption = nullptr; // 新クラス・五十音順
    QCheckBox* mBySexCheck = nullptr;         // 男女別
    QLineEdit* mGirlsFirstEdit = nullptr;     // the first number of the girls
    QPushButton* mCopyButton = nullptr;       // コピー
    QPushButton* mPasteButton = nullptr;      // 貼付
    QPushButton* mClearButton = nullptr;      // 消去
    QPushButton* mCloseButton = nullptr;      // 終了
    QPushButton* mCreateButton = nullptr;     // 新学年作成
    FindBar* mFindBar = nullptr;              // under the grid while a pupil is being found (Ctrl+F)
    // Every edit is a step here (Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, the grid's context menu).
    GridUndo* mUndo = nullptr;

    const PromotionTable& table() const { return mTable; }
    bool loadFailed() const { return mLoadFailed; }
    // Where next year's files went by the last "新学年作成" (empty when none were made).
    QString createdFolder() const { return mCreatedFolder; }
    // Test seam: the folder the creation dialog would give (an empty text cancels it).
    void setFolderForTest(const QString& folder)
    {
        mTestFolder = folder;
        mHasTestFolder = true;
    }

    // Handlers
    void onGridKeyPress(int keyAscii);
    void onGridDoubleClicked();
    void onGridCellChanged();
    void onGridWheel(int direction);
    void onEditBoxFinished();
    void onTransferInClicked();
    void onSortClicked();
    void onSortOptionChanged();
    void onCopyClicked();
    void onPasteClicked();
    void onClearClicked();
    void onCloseClicked();
    void onCreateClicked();
    void onUndo();
    void onRedo();
    // Ctrl+F: the find field opens under the grid.
    void openFind();
    // Finds a pupil whose name or reading holds `query` (see FindPupilStep) and makes the row
    // current; returns whether one was found.
    bool findPupil(const QString& query, int step);

    // Fills the grid from the table: rows, then every cell.
    void showTable();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRow(int r);
    void actOnKeyEffect(PromotionTable::KeyEffect effect, int row, int col);
    void warnCut(const QString& what, const QString& text);
    PromotionTable::Range selection() const;
    // Undo: one unit per row, its cells joined.
    QStringList undoState() const override;
    void restoreUndoValues(const QList<int>& units, const QStringList& values, int size) override;
    QString undoUnitLabel(int unit) const override;
    void showUndoUnit(int unit) override;
    void commitPendingEdit() override;
    // The closing question; true when the window may close.
    bool confirmClose() override;

    Session& mSession;
    PromotionTable mTable;
    QString mRosterPath;
    QString mCreatedFolder;
    QString mTestFolder;
    bool mHasTestFolder = false;
    bool mNumberStarted = false;
    bool mLoadFailed = false;
};

} // namespace seiran
