#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace seiran {

struct Session;

// "名簿ファイル新規作成": creates the file set of a grade with the chosen number of classes. It is
// not modal; when the files are made it tells the main window the grade through gradeCreated.
class NewRosterWindow : public QDialog
{
    Q_OBJECT
public:
    explicit NewRosterWindow(Session& session, QWidget* parent = nullptr);
    ~NewRosterWindow() override;

    QLabel* mGradeLabel = nullptr;
    QComboBox* mGradeCombo = nullptr; // 学年
    QLabel* mClassCountLabel = nullptr;
    QComboBox* mClassCountCombo = nullptr; // クラス数
    QGroupBox* mCautionFrame = nullptr;    // 注意
    QPushButton* mOkButton = nullptr;
    QPushButton* mCancelButton = nullptr;
    QProgressBar* mProgressBar = nullptr;

    void onOkClicked();
    void onCancelClicked();

signals:
    // The grade's files were created; the main window selects this grade.
    void gradeCreated(int grade, int classCount);

private:
    class BarProgress;
    Session& mSession;
    std::unique_ptr<BarProgress> mProgress;
};

} // namespace seiran
