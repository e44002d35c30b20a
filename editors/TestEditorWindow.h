#pragma once

#include "GridUndo.h"
#include "TestEditing.h"

#include <QDialog>
#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;

namespace seiran {

class CellEditBox;
class FlexGrid;
struct GradeData;
struct Session;

// "テスト情報の変更": the names and abbreviations of the grade's tests, typed in an edit box
// laid over the cell; the number of tests and their subject counts are shown only. "決定"
// saves the list, "中止" and the close box leave it as it was.
class TestEditorWindow : public QDialog, private GridUndo::Client
{
    Q_OBJECT
public:
    explicit TestEditorWindow(Session& session, QWidget* parent = nullptr);
    ~TestEditorWindow() override;

    // Controls
    FlexGrid* mGrid = nullptr;
    CellEditBox* mEditBox = nullptr;
    // Every edit is a step here (Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, the grid's context menu).
    GridUndo* mUndo = nullptr;
    QLabel* mTotalLabel = nullptr;   // the number of score slots in use
    QLabel* mTotalCaption = nullptr; // のべ科目数
    QGroupBox* mHelpFrame = nullptr; // 操作方法
    QLabel* mHelpLabel = nullptr;
    QPushButton* mOkButton = nullptr;     // 決定
    QPushButton* mCancelButton = nullptr; // 中止

    bool loadFailed() const { return mLoadFailed; }
    const TestEditorTable& table() const { return mTable; }

    // Handlers
    void onGridKeyPress(int keyAscii);
    void onGridDoubleClicked();
    void onGridCellChanged();
    void onEditBoxEdited(const QString& text);
    void onEditBoxArrow(bool up);
    void onOkClicked();
    void onCancelClicked();

    // Opens the edit box on the current cell when it is a name or an abbreviation.
    void openEditBox();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Undo: one unit per row, its editable cells joined.
    QStringList undoState() const override;
    void restoreUndoValues(const QList<int>& units, const QStringList& values, int size) override;
    QString undoUnitLabel(int unit) const override;
    void showUndoUnit(int unit) override;
    void commitPendingEdit() override;

    Session& mSession;
    std::unique_ptr<GradeData> mWork;
    TestEditorTable mTable;
    int mHighlightedRow = 0;
    bool mLoadFailed = false;
};

} // namespace seiran
