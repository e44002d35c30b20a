#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTreeView;

namespace seiran {

class FolderBrowser;

// "データフォルダの選択": a drive list, a folder tree and a file list (for looking only). "ＯＫ"
// writes the chosen folder into the main window's data-folder field; the folder in use changes
// when that field loses the focus.
class DataFolderDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DataFolderDialog(QLineEdit* Text_data_dir, QWidget* parent = nullptr);

    // The folder chosen in the tree.
    QString currentFolder() const;
    // Moves the tree to a folder, as a click on it would.
    void setFolder(const QString& path);

    FolderBrowser* mBrowser = nullptr;
    QLabel* mDriveLabel = nullptr;
    QComboBox* mDriveCombo = nullptr;
    QLabel* mFolderLabel = nullptr;
    QTreeView* mFolderTree = nullptr;
    QLabel* mFileLabel = nullptr;
    QListView* mFileList = nullptr;
    QPushButton* mOkButton = nullptr;     // ＯＫ
    QPushButton* mCancelButton = nullptr; // キャンセル

    void onOkClicked();
    void onCancelClicked();

private:
    QLineEdit* mDataFolderEdit;
};

} // namespace seiran
