#pragma once

#include "RankReport.h"
#include "ReportWindow.h"

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace seiran {

struct Session;
class SpinButton;

// "教科別順位表": the pupils of the grade in order of their score in one item of the current
// test (a subject, a subject's boys or girls or class group, or the five-subject total), page by
// page in the preview, and "印刷" for any choice of items.
class RankTableWindow : public ReportWindow
{
    Q_OBJECT
public:
    static constexpr int CanvasCount = 4;

    explicit RankTableWindow(Session& session, QWidget* parent = nullptr);
    ~RankTableWindow() override;

    QLabel* mHeadingLabel = nullptr;
    QComboBox* mItemCombo = nullptr;
    SpinButton* mItemSpin = nullptr; // items
    SpinButton* mPageSpin = nullptr; // pages
    QLabel* mPageLabel = nullptr;
    QPushButton* mCsvButton = nullptr;   // CSV保存
    QPushButton* mPrintButton = nullptr; // 印刷
    QPushButton* mCloseButton = nullptr; // 終了

    int currentItem() const { return mCurrentItem; }
    int currentPage() const { return mCurrentPage; }
    int lastPage() const { return mLastPage; }
    const RankGeometry& geometry() const { return mGeometry; }

    // Ranks the current item and draws all its preview pages.
    void display();

    void onItemChanged();
    // The user chose an item in the list, the one shown too: its first page comes back.
    void onItemActivated();
    void onItemSpinUp();
    void onItemSpinDown();
    void onPageSpinDown();
    void onPageSpinUp();
    void onPrintClicked();
    void onCsvClicked();
    void onCloseClicked();

    // The subject picker, modal; it leaves its answer in itemSelected. Tests replace it.
    std::function<void()> selectItems;

private:
    void showPage();
    void showFirstPage();

    int mCurrentItem = 1;
    int mCurrentPage = 0;
    int mLastPage = 0;
    RankGeometry mGeometry;
};

} // namespace seiran
