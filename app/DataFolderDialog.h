#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTreeView;

namespace seiran {

// "データフォルダの選択": a drive list, a folder tree and a file list (for looking only). "ＯＫ"
// writes the chosen folder into the main window's data-folder field; the folder in use changes
// when that field loses the focus.
class DataFolderDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DataFolderDialog(QLineEdit* Text_data_dir, QWidget* parent = nullptr);

    // The folder chosen in the tree.
    QString currentFolder() const { return mFolder; }
    // Moves the tree to a folder, as a click on it would.
    void setFolder(const QString& path);

    QLabel* mDriveLabel = nullptr;
    QComboBox* mDriveCombo = nullptr;
    QLabel* mFolderLabel = nullptr;
    QTreeView* mFolderTree = nullptr;
    QLabel* mFileLabel = nullptr;
    QListView* mFileList = nullptr;
    QPushButton* mOkButton = nullptr;     // ＯＫ
    QPushButton* mCancelButton = nullptr; // キャンセル

    void onDriveChanged();
    void onFolderChanged();
    void onOkClicked();
    void onCancelClicked();

private:
    void showDrive(const QString& root);
    QLineEdit* mDataFolderEdit;
    QFileSystemModel* mDirModel = nullptr;
    QFileSystemModel* mFileModel = nullptr;
    QString mFolder;
};

// The volumes a folder may be chosen on: their root paths.
QStringList SelectableDrives();
// The folder as the data-folder field takes it: native separators, no final separator unless
// it is a drive root.
QString FolderFieldText(const QString& folder);

} // namespace seiran
