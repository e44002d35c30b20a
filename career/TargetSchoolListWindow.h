#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace seiran {

class ClassBoxFrame;
struct Session;

// "志望校・内申点一覧表　表示・印刷": prints the class sheets of choices and points, the table of
// pupils per point value and the first-choice applicants per high school, in one job; "一覧表示"
// opens the on-screen list. Works on the roster, points, choices and high-school list the menu
// loaded.
class TargetSchoolListWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TargetSchoolListWindow(Session& session, QWidget* parent = nullptr);

    QCheckBox* mClassSheetBox = nullptr;
    QCheckBox* mPointTableBox = nullptr;
    QCheckBox* mApplicantBox = nullptr;
    ClassBoxFrame* mClassFrame = nullptr;
    QPushButton* mPrintButton = nullptr;
    QPushButton* mListButton = nullptr;
    QPushButton* mCancelButton = nullptr;

    void onPrintClicked();
    void onListClicked();

private:
    Session& mSession;
};

} // namespace seiran
