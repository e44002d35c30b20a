#pragma once

#include "ReportWindow.h"

class QLabel;
class QPushButton;

namespace seiran {

struct Session;

// "平均点・最高点一覧表": the averages and maxima of the current test on one page, shown at once
// and printed on "印刷".
class frmPrintAverage : public ReportWindow
{
    Q_OBJECT
public:
    explicit frmPrintAverage(Session& session, QWidget* parent = nullptr);
    ~frmPrintAverage() override;

    QLabel* Label1 = nullptr;
    QPushButton* Command2 = nullptr; // 印刷
    QPushButton* Command1 = nullptr; // 終了

    void display();
    void Command2_Click();
    void Command1_Click();
};

} // namespace seiran
