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
class frmNewMeibo : public QDialog
{
    Q_OBJECT
public:
    explicit frmNewMeibo(Session& session, QWidget* parent = nullptr);
    ~frmNewMeibo() override;

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr; // 学年
    QLabel* Label2 = nullptr;
    QComboBox* Combo2 = nullptr; // クラス数
    QGroupBox* Frame1 = nullptr; // 注意
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    void OKButton_Click();
    void CancelButton_Click();

signals:
    // The grade's files were created; the main window selects this grade.
    void gradeCreated(int grade, int classCount);

private:
    class BarProgress;
    Session& mSession;
    std::unique_ptr<BarProgress> mProgress;
};

} // namespace seiran
