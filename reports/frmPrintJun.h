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
class frmPrintJun : public ReportWindow
{
    Q_OBJECT
public:
    static constexpr int CanvasCount = 4;

    explicit frmPrintJun(Session& session, QWidget* parent = nullptr);
    ~frmPrintJun() override;

    QLabel* Label1 = nullptr;
    QComboBox* Combo_Kyoka = nullptr;
    SpinButton* SpinButton2 = nullptr; // items
    SpinButton* SpinButton1 = nullptr; // pages
    QLabel* labPage = nullptr;
    QPushButton* Command3 = nullptr; // 印刷
    QPushButton* Command4 = nullptr; // 終了

    int currentItem() const { return mCurrentItem; }
    int currentPage() const { return mCurrentPage; }
    int lastPage() const { return mLastPage; }
    const RankGeometry& geometry() const { return mGeometry; }

    // Ranks the current item and draws all its preview pages.
    void display();

    void Combo_Kyoka_Click();
    void SpinButton2_SpinUp();
    void SpinButton2_SpinDown();
    void SpinButton1_SpinDown();
    void SpinButton1_SpinUp();
    void Command3_Click();
    void Command4_Click();

    // The subject picker, modal; it leaves its answer in itemSelected. Tests replace it.
    std::function<void()> selectItems;

private:
    void showPage();

    int mCurrentItem = 1;
    int mCurrentPage = 0;
    int mLastPage = 0;
    RankGeometry mGeometry;
};

} // namespace seiran
