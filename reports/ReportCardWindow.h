#pragma once

#include "CardPrintWindow.h"

class QCheckBox;
class QListWidget;
class QPushButton;

namespace seiran {

struct Session;

// "テスト成績表": the test report card of every pupil of the chosen classes, several pupils to a
// sheet. The chosen tests print in the order of the list ("▲"/"▼" move the current test), with
// the graph of totals when "合計グラフ" is ticked.
class ReportCardWindow : public CardPrintWindow
{
    Q_OBJECT
public:
    explicit ReportCardWindow(Session& session, QWidget* parent = nullptr);

    QListWidget* mTestList = nullptr;
    QCheckBox* mGraphCheck = nullptr;

    // Test numbers of the selected rows, from the top of the list.
    QList<int> chosenTests() const;

    void onUpClicked();
    void onDownClicked();
    void onPrintClicked();
};

} // namespace seiran
