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
class frmSelectDir : public QDialog
{
    Q_OBJECT
public:
    explicit frmSelectDir(QLineEdit* Text_data_dir, QWidget* parent = nullptr);

    // The folder chosen in the tree.
    QString currentFolder() const { return mFolder; }
    // Moves the tree to a folder, as a click on it would.
    void setFolder(const QString& path);

    QLabel* Label1 = nullptr;
    QComboBox* Drive1 = nullptr;
    QLabel* Label2 = nullptr;
    QTreeView* Dir1 = nullptr;
    QLabel* Label3 = nullptr;
    QListView* File1 = nullptr;
    QPushButton* Command1 = nullptr; // ＯＫ
    QPushButton* Command2 = nullptr; // キャンセル

    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();

private:
    void showDrive(const QString& root);
    QLineEdit* mTextDataDir;
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
