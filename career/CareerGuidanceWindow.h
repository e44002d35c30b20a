#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace seiran {

class ClassBoxFrame;
struct GuidanceOptions;
struct GuidanceSelection;
struct Session;

// "進路指導資料作成": the teacher picks tests and prints, in one job, the class sheets of scores,
// 内申点 and choices, the grade ranking and the ranking of every high school's applicants. Reads
// the chosen tests' scores from the roster file when printing; stores nothing.
class CareerGuidanceWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CareerGuidanceWindow(Session& session, QWidget* parent = nullptr);

    QLabel* mTestLabel = nullptr;
    QListWidget* mTestList = nullptr;
    ClassBoxFrame* mClassFrame = nullptr;
    QCheckBox* mClassSheetBox = nullptr;
    QCheckBox* mGradeRankingBox = nullptr;
    QCheckBox* mSchoolRankingBox = nullptr;
    QCheckBox* mSecondChoiceBox = nullptr;
    QCheckBox* mTestsOnlyBox = nullptr;
    QCheckBox* mSubjectWeightsBox = nullptr;
    QPushButton* mPrintButton = nullptr;
    QPushButton* mCancelButton = nullptr;

    // The choices as the controls hold them.
    GuidanceOptions options() const;
    GuidanceSelection selection() const;

    void onPrintClicked();

private:
    Session& mSession;
};

} // namespace seiran
