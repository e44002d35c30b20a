#pragma once

#include "ReportWindow.h"

#include <QList>

class QCheckBox;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace seiran {

struct Session;

// "教科別得点推移グラフ": for every pupil of the chosen classes, six small line graphs of the
// pupil's scores and the grade averages over the chosen tests, in the order of the test list,
// optionally under a table of the raw scores. Printed straight away; there is no preview.
class TrendGraphWindow : public ReportWindow
{
    Q_OBJECT
public:
    explicit TrendGraphWindow(Session& session, QWidget* parent = nullptr);
    ~TrendGraphWindow() override;

    QListWidget* mTestList = nullptr;   // every test, its number in front; several may be chosen
    QPushButton* mUpButton = nullptr;   // ▲
    QPushButton* mDownButton = nullptr; // ▼
    QListWidget* mClassList = nullptr;  // "1組" ..., all chosen on opening
    QCheckBox* mTableCheck = nullptr;   // 素点表あり
    QProgressBar* mProgressBar = nullptr;
    QPushButton* mPrintButton = nullptr; // 印刷開始
    QPushButton* mCloseButton = nullptr; // 終了

    // The chosen tests in list order, and the chosen classes in class order.
    QList<int> chosenTests() const;
    QList<int> chosenClasses() const;

    void onUpClicked();
    void onDownClicked();
    void onPrintClicked();
    void onCloseClicked();

private:
    void moveCurrentTest(int step);
};

} // namespace seiran
