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
class RawScoreReportWindow : public ReportWindow
{
    Q_OBJECT
public:
    // The preview canvas: 120 columns by 60 rows, more for a class that needs them.
    static constexpr int CanvasRows = 60;

    explicit RawScoreReportWindow(Session& session, QWidget* parent = nullptr);
    ~RawScoreReportWindow() override;

    QLabel* mHeadingLabel = nullptr;
    QComboBox* mClassCombo = nullptr;
    QPushButton* mNextClassButton = nullptr;     // 次組
    QPushButton* mPreviousClassButton = nullptr; // 前組
    QPushButton* mCsvButton = nullptr;           // CSV保存
    QPushButton* mPrintButton = nullptr;         // 印刷
    QPushButton* mCloseButton = nullptr;         // 終了

    int currentClass() const { return mCurrentClass; }
    // Redraws the preview of the current class.
    void display();

    void onClassChanged();
    // The user chose a class in the list, the one shown too: the top of its sheet comes back.
    void onClassActivated();
    void onNextClassClicked();
    void onPreviousClassClicked();
    void onPrintClicked();
    void onCsvClicked();
    void onCloseClicked();

    // The class picker, modal; it leaves its answer in classSelected. Tests replace it.
    std::function<void()> selectClasses;

private:
    int mCurrentClass = 1;
};

} // namespace seiran
