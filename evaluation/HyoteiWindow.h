#pragma once

#include "Evaluation.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace seiran {

class FlexGrid;
struct Session;

// "評定の算出と印刷": runs the evaluation of the grade's settings when it opens, then shows every
// pupil's total and level by score, by attendance number or as a distribution. Levels can be
// overruled and pupils marked (○/△); any block of the grid goes to the clipboard; the four
// lists are printed. Nothing is saved: closing drops the results.
class HyoteiWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HyoteiWindow(Session& session, QWidget* parent = nullptr);
    ~HyoteiWindow() override;

    // False when the evaluation could not run (its message has been shown): the window is
    // then not to be shown.
    bool loaded() const { return mRun != nullptr; }
    const EvaluationRun* run() const { return mRun.get(); }
    HyoteiOrder order() const { return mOrder; }

    // Controls
    QLabel* mCaptionLabel = nullptr;
    FlexGrid* mGrid = nullptr;             // the two lists
    FlexGrid* mDistributionGrid = nullptr; // pupils per level and class
    QRadioButton* mScoreOrderOption = nullptr;
    QRadioButton* mNumberOrderOption = nullptr;
    QRadioButton* mDistributionOption = nullptr;
    QCheckBox* mScoreListCheck = nullptr;
    QCheckBox* mNumberListCheck = nullptr;
    QCheckBox* mClassListCheck = nullptr;
    QCheckBox* mDistributionCheck = nullptr;
    QPushButton* mPrintButton = nullptr;
    QPushButton* mCopyButton = nullptr;
    QPushButton* mNameCopyButton = nullptr;
    QPushButton* mCloseButton = nullptr;
    QStatusBar* mStatusBar = nullptr;
    QLabel* mStatusLabel = nullptr;
    QLabel* mTieLabel = nullptr; // how many pupils share a total across a level boundary
    QProgressBar* mProgressBar = nullptr;
    QLabel* mMinSizeLabel = nullptr; // hidden; its position is the smallest window size

    // Fills the visible view from the tables.
    void display();
    // Pupils (index = pupil) whose total equals that of a pupil with another level.
    const QList<bool>& splitTies() const { return mSplitTies; }

    void onViewChanged();
    void onGridKeyPress(int keyAscii);
    void onGridDoubleClicked();
    void onGridWheel(int direction);
    void onCopyClicked();
    void onNameCopyClicked();
    void onPrintClicked();
    void onCloseClicked();

    // The clipboard text of the visible grid's selection ("Copy"), with the pupil key and name
    // at the start of each line for "名Copy".
    QString copyText(bool withNames) const;

private:
    void fillList();
    void fillDistribution();
    // Colours the level and total cells of the pupils of split ties, with a tooltip, and counts
    // them on the status line; again after every hand edit of a level.
    void markSplitTies();
    int pupilOfRow(int row) const;

    Session& mSession;
    std::unique_ptr<EvaluationRun> mRun;
    HyoteiOrder mOrder = HyoteiOrder::Score;
    QList<bool> mSplitTies;
};

// Runs the evaluation and, when it could run, shows the evaluation screen modally.
void OpenHyoteiWindow(Session& session, QWidget* parent);

} // namespace seiran
