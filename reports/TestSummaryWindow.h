#pragma once

#include "GraphReport.h"
#include "GraphSettingsBoxes.h"
#include "ReportWindow.h"

#include <QPageLayout>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace seiran {

struct Session;

// "テストのまとめ（生徒配布用資料）": a one-sheet summary of the current test to hand out to the
// pupils — titles, the grade averages of the five main subjects and their total, and the
// frequency graphs of the first six items. The preview shows the grade's sheet in portrait or
// landscape; "印刷" prints it for the grade, "個別印刷" one sheet per chosen pupil with the
// pupil's name and scores.
class TestSummaryWindow : public ReportWindow
{
    Q_OBJECT
public:
    explicit TestSummaryWindow(Session& session, QWidget* parent = nullptr);
    ~TestSummaryWindow() override;

    QLabel* mHeadingLabel = nullptr;
    QLineEdit* mTitle1Edit = nullptr; // タイトル１
    QLineEdit* mTitle2Edit = nullptr; // タイトル２
    QGroupBox* mOrientationFrame = nullptr;
    QRadioButton* mPortraitRadio = nullptr;  // 縦置き
    QRadioButton* mLandscapeRadio = nullptr; // 横置き
    GraphSettingsBoxes mSettingsBoxes;       // ５教科合計 and 各教科: 最高点, 間隔
    QPushButton* mFiftyButton = nullptr;     // ５０点
    QPushButton* mHundredButton = nullptr;   // １００点
    QPushButton* mRedrawButton = nullptr;    // 再表示
    QPushButton* mPrintButton = nullptr;     // 印刷
    QPushButton* mEachPrintButton = nullptr; // 個別印刷
    QPushButton* mCloseButton = nullptr;     // 終了

    const GraphSettings& settings() const { return mSettings; }
    HandoutTitles titles() const;
    bool landscape() const;
    // The sheet the preview stands for (the default printer's, else A4 less 5 mm).
    QPageLayout previewLayout() const;

    // Draws the grade's handout in the preview.
    void display();

    void onOrientationChanged();
    void onSettingEdited();
    void onFiftyClicked();
    void onHundredClicked();
    void onRedrawClicked();
    void onPrintClicked();
    void onEachPrintClicked();
    void onCloseClicked();

    // The class and pupil picker, modal; it leaves its answer in studentSelected. Tests replace
    // it.
    std::function<void()> selectPupils;

private:
    void applyPreset(const GraphSettings& preset);
    void fitCanvasToSheet();
    // Prints the grade's handout (no pupils) or the pupils' sheets; true when the job ended.
    bool printHandout(const QList<int>& pupils);

    GraphSettings mSettings;
};

} // namespace seiran
