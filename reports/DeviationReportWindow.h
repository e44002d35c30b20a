#pragma once

#include "ReportWindow.h"

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace seiran {

struct Session;

// "偏差値一覧表": each pupil's scores with their 偏差値 against the grade, class by class in the
// preview, the last entry of the class list showing the grade's counts, means and standard
// deviations; "印刷" for any choice of classes (the grade sheet follows when every class is
// chosen), "CSV保存" for a spreadsheet. Works on the test the main window has loaded.
class DeviationReportWindow : public ReportWindow
{
    Q_OBJECT
public:
    static constexpr int CanvasRows = 60;

    explicit DeviationReportWindow(Session& session, QWidget* parent = nullptr);
    ~DeviationReportWindow() override;

    QLabel* mHeadingLabel = nullptr;
    QComboBox* mClassCombo = nullptr; // the classes, then "学年集計"
    QPushButton* mPrintButton = nullptr;
    QPushButton* mCsvButton = nullptr;
    QPushButton* mCloseButton = nullptr;

    // 1..classCount, or 0 for the grade sheet.
    int currentClass() const { return mCurrentClass; }
    void display();

    void onClassChanged();
    void onPrintClicked();
    void onCsvClicked();
    void onCloseClicked();

    // The class picker, modal; it leaves its answer in classSelected. Tests replace it.
    std::function<void()> selectClasses;

private:
    int mCurrentClass = 1;
};

} // namespace seiran
