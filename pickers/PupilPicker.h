#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace seiran {

struct Session;
class FindBar;
class FlexGrid;

// "生徒の指定": the grade's pupils in a grid; a double click or the space key marks or unmarks
// the rows from the current row down to the end of the selection. "設定" writes the marks into
// studentSelected; "キャンセル" leaves it as it was.
class PupilPicker : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MarkCol = 5;

    explicit PupilPicker(Session& session, QWidget* parent = nullptr);

    QLabel* mPromptLabel = nullptr;
    FlexGrid* mGrid = nullptr;
    QPushButton* mSetButton = nullptr;    // 設定
    QPushButton* mCancelButton = nullptr; // キャンセル
    FindBar* mFindBar = nullptr;          // under the grid after Ctrl+F

    void onGridDoubleClick();
    void onGridKeyPress(int keyAscii);
    // One wheel notch: 1 towards the top of the list, -1 towards the bottom.
    void onGridWheel(int direction);
    void onSetClicked();
    void onCancelClicked();
    // Ctrl+F, and each search of the find field (step 0 from the current row, 1 next, -1
    // previous): a pupil whose name or reading holds the query becomes the current row.
    void openFind();
    bool findPupil(const QString& query, int step);

private:
    void fillGrid();
    void toggleSelectedRows();
    Session& mSession;
};

} // namespace seiran
