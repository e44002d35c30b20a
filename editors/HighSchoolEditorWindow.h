#pragma once

#include "ConfirmCloseDialog.h"
#include "GridUndo.h"
#include "HighSchoolEditing.h"

#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;

namespace seiran {

class CellEditBox;
class FlexGrid;
struct GradeData;
struct Session;

// "高校名の入力": the high-school list of every grade as a small spreadsheet: short name,
// name, course and the school's own nine naishin multipliers, with row insertion and deletion,
// copy and paste. "決定" saves the list and, when asked, makes the pupils' choices follow the
// schools that moved; "中止" and the close box ask before leaving without saving.
class HighSchoolEditorWindow : public ConfirmCloseDialog, private GridUndo::Client
{
    Q_OBJECT
public:
    explicit HighSchoolEditorWindow(Session& session, QWidget* parent = nullptr);
    ~HighSchoolEditorWindow() override;

    // Controls
    FlexGrid* mGrid = nullptr;
    CellEditBox* mEditBox = nullptr;
    // Every edit is a step here (Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, the grid's context menu).
    GridUndo* mUndo = nullptr;
    QLabel* mCountLabel = nullptr;           // the number of school rows
    QLabel* mCountCaption = nullptr;         // のべ高校数
    QGroupBox* mEditFrame = nullptr;         // 編集
    QPushButton* mInsertRowButton = nullptr; // 行挿入
    QPushButton* mDeleteRowButton = nullptr; // 行削除
    QPushButton* mCopyButton = nullptr;      // コピー
    QPushButton* mPasteButton = nullptr;     // 貼付
    QGroupBox* mHelpFrame = nullptr;         // 操作方法
    QLabel* mShortcutCaption = nullptr;
    QLabel* mShortcutLabel = nullptr;
    QLabel* mHelpLabel = nullptr;
    QPushButton* mOkButton = nullptr;     // 決定
    QPushButton* mCancelButton = nullptr; // 中止

    bool loadFailed() const { return mLoadFailed; }
    const HighSchoolEditorTable& table() const { return mTable; }

    // Handlers
    void onGridKeyPress(int keyAscii);
    void onGridKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void onGridDoubleClicked();
    void onGridWheel(int direction);
    void onEditBoxEdited(const QString& text);
    void onEditBoxArrow(bool up);
    void onInsertRowClicked();
    void onDeleteRowClicked();
    void onCopyClicked();
    void onPasteClicked();
    void onOkClicked();
    void onCancelClicked();

    // Opens the edit box on the current cell when it is a text cell.
    void openEditBox();
    // Undo: one unit per row, its editable cells joined.
    QStringList undoState() const override;
    void restoreUndoValues(const QList<int>& units, const QStringList& values, int size) override;
    QString undoUnitLabel(int unit) const override;
    void showUndoUnit(int unit) override;
    void commitPendingEdit() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshGrid();
    bool confirmClose() override;

    Session& mSession;
    std::unique_ptr<GradeData> mWork;
    HighSchoolEditorTable mTable;
    bool mLoadFailed = false;
    // Registers alone on every grade of the data folder that has a roster; false when refused.
    bool lockGradesWithRosters();
};

// The message when the list holds as many schools as it can.
QString SchoolListFullMessage();

} // namespace seiran
