#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace seiran {

class FolderBrowser;

// The dialog's caution: what happens to the files of `newGrade` already in the folder.
QString NewYearCaution(int newGrade);

// "進級処理　新学年名簿ファイルの作成": where next year's files go. Shows the move of grades and
// the class count, a warning, and the drive, folder and file lists starting at the data
// folder; "作成開始" takes the folder, "キャンセル" gives it up.
class NewYearRosterDialog : public QDialog
{
    Q_OBJECT
public:
    NewYearRosterDialog(int grade, int classCount, const QString& dataFolder, QWidget* parent = nullptr);

    // Controls
    QLabel* mGradeLabel = nullptr; // "1年 → 2年"
    QLabel* mClassCountLabel = nullptr;
    QGroupBox* mWarningFrame = nullptr; // 注意
    QLabel* mWarningLabel = nullptr;
    FolderBrowser* mBrowser = nullptr;
    QPushButton* mStartButton = nullptr;  // 作成開始
    QPushButton* mCancelButton = nullptr; // キャンセル

    // The folder chosen (empty after "キャンセル").
    QString folder() const { return mFolder; }
    // The class count, 0 after "キャンセル".
    int classCount() const { return mClassCount; }

    void onStartClicked();
    void onCancelClicked();

private:
    QString mFolder;
    int mClassCount = 0;
};

} // namespace seiran
