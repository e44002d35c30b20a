#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace seiran {

struct Session;
class FlexGrid;

// "生徒の指定": the grade's pupils in a grid; a double click or the space key marks or unmarks
// the rows from the current row down to the end of the selection. "設定" writes the marks into
// studentSelected; "キャンセル" leaves it as it was.
class frmSelectStudent : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MarkCol = 5;

    explicit frmSelectStudent(Session& session, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    FlexGrid* Grid1 = nullptr;
    QPushButton* Command1 = nullptr; // 設定
    QPushButton* Command2 = nullptr; // キャンセル

    void Grid1_DblClick();
    void Grid1_KeyPress(int keyAscii);
    // One wheel notch: 1 towards the top of the list, -1 towards the bottom.
    void ctlHookWheel1_Wheel(int direction);
    void Command1_Click();
    void Command2_Click();

private:
    void fillGrid();
    void toggleSelectedRows();
    Session& mSession;
};

} // namespace seiran
