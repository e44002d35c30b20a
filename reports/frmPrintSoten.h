#pragma once

#include "ReportWindow.h"

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace seiran {

struct Session;

// "素点表": the raw score table of one class in the preview, "次組"/"前組" through the classes,
// and "印刷" for any choice of classes, one sheet each. Works on the test the main window has
// loaded and aggregated.
class frmPrintSoten : public ReportWindow
{
    Q_OBJECT
public:
    // The preview canvas: 120 columns by 60 rows, more for a class that needs them.
    static constexpr int CanvasRows = 60;

    explicit frmPrintSoten(Session& session, QWidget* parent = nullptr);
    ~frmPrintSoten() override;

    QLabel* Label1 = nullptr;
    QComboBox* Combo_class = nullptr;
    QPushButton* Command1 = nullptr; // 次組
    QPushButton* Command2 = nullptr; // 前組
    QPushButton* Command3 = nullptr; // 印刷
    QPushButton* Command4 = nullptr; // 終了

    int currentClass() const { return mCurrentClass; }
    // Redraws the preview of the current class.
    void display();

    void Combo_class_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    // The class picker, modal; it leaves its answer in classSelected. Tests replace it.
    std::function<void()> selectClasses;

private:
    int mCurrentClass = 1;
};

} // namespace seiran
