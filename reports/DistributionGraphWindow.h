#pragma once

#include "GraphReport.h"
#include "GraphSettingsBoxes.h"
#include "ReportWindow.h"

#include <QImage>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace seiran {

struct Session;
class SpinButton;

// "度数分布グラフ": how many pupils scored in each band of points in one item of the current
// test, as a bar chart in the preview; the bands follow the top score and band width of the
// five-subject total and of the other items. "コピー" puts the graph on the clipboard as a
// picture; "印刷" prints any choice of items, several graphs to a sheet.
class DistributionGraphWindow : public ReportWindow
{
    Q_OBJECT
public:
    static constexpr int CanvasColumns = 120;
    static constexpr int CanvasRows = 60;

    explicit DistributionGraphWindow(Session& session, QWidget* parent = nullptr);
    ~DistributionGraphWindow() override;

    QLabel* mHeadingLabel = nullptr;
    QComboBox* mItemCombo = nullptr;
    SpinButton* mItemSpin = nullptr;
    GraphSettingsBoxes mSettingsBoxes;     // ５教科合計 and 各教科: 最高点, 間隔
    QPushButton* mFiftyButton = nullptr;   // ５０点
    QPushButton* mHundredButton = nullptr; // １００点
    QPushButton* mRedrawButton = nullptr;  // 再表示
    QPushButton* mCopyButton = nullptr;    // コピー
    QPushButton* mPrintButton = nullptr;   // 印刷
    QPushButton* mCloseButton = nullptr;   // 終了

    const GraphSettings& settings() const { return mSettings; }
    int currentItem() const { return mCurrentItem; }
    // The picture "コピー" drew last (four times the viewport).
    const QImage& clipPicture() const { return mClipPicture; }

    // Draws the current item's graph in the preview.
    void display();

    void onItemChanged();
    void onItemSpinUp();
    void onItemSpinDown();
    void onSettingEdited();
    void onFiftyClicked();
    void onHundredClicked();
    void onRedrawClicked();
    void onCopyClicked();
    void onPrintClicked();
    void onCloseClicked();

    // The subject picker, modal; it leaves its answer in itemSelected. Tests replace it.
    std::function<void()> selectItems;

private:
    void applyPreset(const GraphSettings& preset);
    // False (after saying so) when the band settings cannot be drawn.
    bool settingsUsable();

    GraphSettings mSettings;
    int mCurrentItem = 1;
    QImage mClipPicture;
};

} // namespace seiran
