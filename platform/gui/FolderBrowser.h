#pragma once

#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QListView;
class QTreeView;

namespace seiran {

// A drive list, a folder tree and a file list (for looking only) that follow each other: a
// drive shows its folders, a folder its files. The folder dialogs of the program are built on
// it; the captions of the three lists are theirs.
class FolderBrowser : public QWidget
{
    Q_OBJECT
public:
    FolderBrowser(const QString& driveCaption, const QString& folderCaption, const QString& fileCaption,
                  QWidget* parent = nullptr);

    // The folder chosen in the tree.
    QString currentFolder() const { return mFolder; }
    // Starts at a folder: the tree moves to it and the drive list follows; a text that names no
    // folder starts at the home folder.
    void start(const QString& folder);
    // Moves the tree to a folder, as a click on it would.
    void setFolder(const QString& path);

    QLabel* driveLabel() const { return mDriveLabel; }
    QComboBox* driveCombo() const { return mDriveCombo; }
    QLabel* folderLabel() const { return mFolderLabel; }
    QTreeView* folderTree() const { return mFolderTree; }
    QLabel* fileLabel() const { return mFileLabel; }
    QListView* fileList() const { return mFileList; }

signals:
    void folderChanged(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onDriveChanged();
    void onFolderChanged();
    void showDrive(const QString& root);
    // Scrolls the chosen folder into view once the rows that just arrived are laid out.
    void keepFolderInView();

    QLabel* mDriveLabel = nullptr;
    QComboBox* mDriveCombo = nullptr;
    QLabel* mFolderLabel = nullptr;
    QTreeView* mFolderTree = nullptr;
    QLabel* mFileLabel = nullptr;
    QListView* mFileList = nullptr;
    QFileSystemModel* mDirModel = nullptr;
    QFileSystemModel* mFileModel = nullptr;
    QString mFolder;
    bool mFollowFolder = true; // until the user scrolls the tree
    bool mScrollPending = false;
};

// The volumes a folder may be chosen on: their root paths.
QStringList SelectableDrives();
// The folder as a folder field shows it: native separators, no final separator unless it is a
// drive root.
QString FolderFieldText(const QString& folder);

} // namespace seiran
