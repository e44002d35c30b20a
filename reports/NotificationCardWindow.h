#pragma once

#include "CardPrintWindow.h"
#include "ReportCards.h"

#include <functional>

class QCheckBox;
class QPushButton;

namespace seiran {

class FlexGrid;
struct Session;

// "テスト成績表(通知票用)": one JIS B5 sheet per pupil for the notification booklet. A grid row
// per test: a "○" under "印刷" prints the test, one under "グラフ" as well graphs it; the rows
// print in grid order ("▲"/"▼" move the current row with its marks). "生徒指定" prints the
// pupils chosen in the pupil picker instead of whole classes.
class NotificationCardWindow : public CardPrintWindow
{
    Q_OBJECT
public:
    static constexpr int PrintCol = 2;
    static constexpr int GraphCol = 3;

    explicit NotificationCardWindow(Session& session, QWidget* parent = nullptr);

    FlexGrid* mGrid = nullptr;
    QCheckBox* mPupilCheck = nullptr;

    // The grid's rows as tests with their marks, in grid order.
    QList<NotificationTestRow> testRows() const;

    void onGridDoubleClicked();
    void onGridKeyPress(int keyAscii);
    void onUpClicked();
    void onDownClicked();
    void onPupilCheckToggled(bool checked);
    void onPrintClicked();

    // The pupil picker, modal; it leaves its answer in studentSelected. Tests replace it.
    std::function<void()> choosePupils;

private:
    void toggleMark();
    void moveRow(int step);
};

} // namespace seiran
