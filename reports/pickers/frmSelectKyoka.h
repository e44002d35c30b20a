#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QCheckBox;

namespace seiran {

struct Session;
class CheckBoxPanel;

// "印刷する教科の選択": one check box per item of the report item list that the calling report
// window has built. "印刷開始" writes the ticked items into itemSelected; "中止" selects none.
class frmSelectKyoka : public QDialog
{
    Q_OBJECT
public:
    explicit frmSelectKyoka(Session& session, QWidget* parent = nullptr);

    // Box of item i (1..itemCount).
    QCheckBox* itemBox(int i) const;
    int itemBoxCount() const;

    QLabel* Label1 = nullptr;
    CheckBoxPanel* chkKyoka = nullptr;
    QPushButton* Command1 = nullptr; // 全選択
    QPushButton* Command3 = nullptr; // 全解除
    QPushButton* Command2 = nullptr; // 印刷開始
    QPushButton* Command4 = nullptr; // 中止

    void Command1_Click();
    void Command3_Click();
    void Command2_Click();
    void Command4_Click();

private:
    Session& mSession;
};

} // namespace seiran
