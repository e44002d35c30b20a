#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QCheckBox;

namespace seiran {

struct Session;
class CheckBoxPanel;

// "印刷するクラスの選択": one check box per class of the grade. "印刷" writes the ticked classes
// into classSelected; "中止" leaves every class unselected.
class frmSelectClass : public QDialog
{
    Q_OBJECT
public:
    explicit frmSelectClass(Session& session, QWidget* parent = nullptr);

    // Box k (from 0) stands for class k + 1.
    QCheckBox* classBox(int k) const;
    int classBoxCount() const;

    QLabel* Label1 = nullptr;
    CheckBoxPanel* chkClass = nullptr;
    QPushButton* Command1 = nullptr; // 全選択
    QPushButton* Command3 = nullptr; // 全解除
    QPushButton* Command2 = nullptr; // 印刷
    QPushButton* Command4 = nullptr; // 中止

    void Command1_Click();
    void Command3_Click();
    void Command2_Click();
    void Command4_Click();

private:
    Session& mSession;
};

// Creates the class boxes of a grade: box k captioned with the label of class k + 1 and "組".
void CreateClassBoxes(CheckBoxPanel* panel, const Session& session);

} // namespace seiran
