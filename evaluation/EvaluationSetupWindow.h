#pragma once

#include "ConfirmCloseDialog.h"
#include <QList>

class QCheckBox;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace seiran {

class FlexGrid;
struct Session;

// "評定の算出": which subject, which of its tests with which weight (倍率), how the levels are
// shared out, which classes and which sex. "評定算出" stores the choice in the grade's
// evaluation settings and closes; leaving any other way asks first and chooses nothing
// (selectedItemCount 0), so the main window opens the evaluation only after a real choice.
class EvaluationSetupWindow : public ConfirmCloseDialog
{
    Q_OBJECT
public:
    explicit EvaluationSetupWindow(Session& session, QWidget* parent = nullptr);
    ~EvaluationSetupWindow() override;

    // Controls
    QListWidget* mSubjectList = nullptr;
    FlexGrid* mTestGrid = nullptr;       // test name, weight
    FlexGrid* mCountGrid = nullptr;      // typed pupils per level, 10 down to 1, and the sum
    QList<QRadioButton*> mMethodOptions; // 自動５段階, 自動１０段階, 人数指定（下の表）
    QList<QRadioButton*> mSexOptions;    // 男・女両方, 男子のみ, 女子のみ
    QList<QCheckBox*> mClassChecks;      // ten boxes, as many shown as the grade has classes
    QPushButton* mSelectAllButton = nullptr;
    QPushButton* mClearAllButton = nullptr;
    QPushButton* mComputeButton = nullptr;
    QPushButton* mCancelButton = nullptr;

    // The test shown in a weight row (1..).
    int testOfRow(int row) const { return row >= 1 && row <= mRowTests.size() ? mRowTests[row - 1] : 0; }

    void onSubjectChanged();
    void onTestGridKeyPress(int keyAscii);
    void onTestGridDoubleClicked();
    void onTestGridWheel(int direction);
    void onCountGridKeyPress(int keyAscii);
    void onSelectAllClicked();
    void onClearAllClicked();
    void onComputeClicked();
    void onCancelClicked();

protected:
    // Escape, "中止" and the close box all ask before leaving.
    bool confirmClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCountTotal();
    void storeSettings();

    Session& mSession;
    QList<int> mRowTests;
    bool mCellEntered = true; // the first digit typed replaces the cell
};

} // namespace seiran
