#pragma once

#include "ReportWindow.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace seiran {

struct Session;

// "平均点・最高点一覧表": the averages and maxima of the current test on one page, shown at once
// and printed on "印刷".
class AveragesReportWindow : public ReportWindow
{
    Q_OBJECT
public:
    explicit AveragesReportWindow(Session& session, QWidget* parent = nullptr);
    ~AveragesReportWindow() override;

    QLabel* mHeadingLabel = nullptr;
    QPushButton* mCsvButton = nullptr;    // CSV保存
    QPushButton* mPrintButton = nullptr;  // 印刷
    QPushButton* mCloseButton = nullptr;  // 終了
    QCheckBox* mDeviationCheck = nullptr; // 標準偏差を表示

    void display();
    void onPrintClicked();
    void onCsvClicked();
    void onCloseClicked();
};

} // namespace seiran
