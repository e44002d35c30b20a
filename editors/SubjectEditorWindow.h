#pragma once

#include "GridUndo.h"
#include "SubjectEditing.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;

namespace seiran {

class FlexGrid;
struct GradeData;
struct Session;

// "教科情報の変更": how each subject of the grade is processed (plain, boys and girls apart, by
// group), its naishin multiplier and its group, on a copy of the subject list; "決定" saves
// it, "中止" and the close box leave the list and the grade's tables as they were.
class SubjectEditorWindow : public QDialog, private GridUndo::Client
{
    Q_OBJECT
public:
    explicit SubjectEditorWindow(Session& session, QWidget* parent = nullptr);
    ~SubjectEditorWindow() override;

    // Controls
    FlexGrid* mGrid = nullptr;
    QLabel* mKindHelpLabel = nullptr;
    QPushButton* mOkButton = nullptr;     // 決定
    QPushButton* mCancelButton = nullptr; // 中止
    // Every edit is a step here (Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, the grid's context menu).
    GridUndo* mUndo = nullptr;

    bool loadFailed() const { return mLoadFailed; }
    const SubjectEditorTable& table() const { return mTable; }

    // Handlers
    void onGridKeyPress(int keyAscii);
    void onOkClicked();
    void onCancelClicked();
    void onGridCellChanged();

private:
    void refreshRow(int row);
    // Undo: one unit per row, its editable cells joined.
    QStringList undoState() const override;
    void restoreUndoValues(const QList<int>& units, const QStringList& values, int size) override;
    QString undoUnitLabel(int unit) const override;
    void showUndoUnit(int unit) override;

    Session& mSession;
    std::unique_ptr<GradeData> mWork; // the subject list being edited
    SubjectEditorTable mTable;
    bool mLoadFailed = false;
};

} // namespace seiran
