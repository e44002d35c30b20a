#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace seiran {

// "学年の設定": three buttons that set the main window's grade list. Closing the window chooses
// no grade.
class frmInputGrade : public QDialog
{
    Q_OBJECT
public:
    explicit frmInputGrade(QComboBox* Combo_nen, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr; // １年
    QPushButton* Command2 = nullptr; // ２年
    QPushButton* Command3 = nullptr; // ３年

    void Command1_Click() { choose(0); }
    void Command2_Click() { choose(1); }
    void Command3_Click() { choose(2); }

private:
    void choose(int index);
    QComboBox* mComboNen;
};

} // namespace seiran
