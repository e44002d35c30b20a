#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QCheckBox;

namespace seiran {

struct Session;
class CheckBoxPanel;

// "印刷するクラスの選択" with "個別指定": the pupils to print are either every pupil of the ticked
// classes or the pupils marked in the pupil picker. The answer is studentSelected.
class frmSelectClass2 : public QDialog
{
    Q_OBJECT
public:
    explicit frmSelectClass2(Session& session, QWidget* parent = nullptr);

    QCheckBox* classBox(int k) const;
    int classBoxCount() const;

    // Replaces the modal pupil picker that "個別指定" opens (tests answer it directly).
    void setStudentPickerRunner(std::function<void()> runner) { mRunStudentPicker = std::move(runner); }

    QLabel* Label1 = nullptr;
    CheckBoxPanel* chkClass = nullptr;
    QCheckBox* Check1 = nullptr;     // 個別指定
    QPushButton* Command1 = nullptr; // 全選択
    QPushButton* Command3 = nullptr; // 全解除
    QPushButton* Command2 = nullptr; // 印刷
    QPushButton* Command4 = nullptr; // 中止

    void Check1_Click();
    void Command1_Click();
    void Command3_Click();
    void Command2_Click();
    void Command4_Click();

private:
    void runStudentPicker();
    Session& mSession;
    std::function<void()> mRunStudentPicker;
};

} // namespace seiran
