#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace seiran {

// "学年の設定": three buttons that set the main window's grade list. Closing the window chooses
// no grade.
class GradeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GradeDialog(QComboBox* gradeCombo, QWidget* parent = nullptr);

    QLabel* mPromptLabel = nullptr;
    QPushButton* mFirstGradeButton = nullptr;  // １年
    QPushButton* mSecondGradeButton = nullptr; // ２年
    QPushButton* mThirdGradeButton = nullptr;  // ３年

    void onFirstGradeClicked() { choose(0); }
    void onSecondGradeClicked() { choose(1); }
    void onThirdGradeClicked() { choose(2); }

private:
    void choose(int index);
    QComboBox* mGradeCombo;
};

} // namespace seiran
