#include "DataFolderDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>

namespace seiran {

QStringList SelectableDrives()
{
    QStringList roots;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& v : volumes) {
        if (!v.isValid() || !v.isReady()) continue;
        const QString root = v.rootPath();
        // The system's own pseudo file systems hold no user folders.
        if (root.startsWith(QStringLiteral("/proc")) || root.startsWith(QStringLiteral("/sys")) ||
            root.startsWith(QStringLiteral("/dev")) || root.startsWith(QStringLiteral("/run")))
            continue;
        if (!roots.contains(root)) roots.append(root);
    }
    const QString system = QStorageInfo::root().rootPath();
    if (!roots.contains(system)) roots.append(system);
    roots.sort(Qt::CaseInsensitive);
    return roots;
}

QString FolderFieldText(const QString& folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(folder)));
}

DataFolderDialog::DataFolderDialog(QLineEdit* Text_data_dir, QWidget* parent)
    : QDialog(parent), mDataFolderEdit(Text_data_dir)
{
    setWindowTitle(QStringLiteral("データフォルダの選択"));

    mDriveLabel = new QLabel(QStringLiteral("ドライブ名"), this);
    mDriveCombo = new QComboBox(this);
    mDriveCombo->addItems(SelectableDrives());
    mFolderLabel = new QLabel(QStringLiteral("フォルダ名"), this);
    mFolderTree = new QTreeView(this);
    mFileLabel = new QLabel(QStringLiteral("ファイル一覧"), this);
    mFileList = new QListView(this);
    mOkButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    mCancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    mOkButton->setDefault(true);

    mDirModel = new QFileSystemModel(this);
    mDirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    mDirModel->setReadOnly(true);
    mFolderTree->setModel(mDirModel);
    for (int c = 1; c < mDirModel->columnCount(); ++c)
        mFolderTree->hideColumn(c);
    mFolderTree->setHeaderHidden(true);

    mFileModel = new QFileSystemModel(this);
    mFileModel->setFilter(QDir::Files);
    mFileModel->setReadOnly(true);
    mFileList->setModel(mFileModel);
    mFileList->setSelectionMode(QAbstractItemView::NoSelection);
    mFileList->setFocusPolicy(Qt::NoFocus);

    auto* grid = new QGridLayout;
    grid->addWidget(mDriveLabel, 0, 0);
    grid->addWidget(mDriveCombo, 1, 0);
    grid->addWidget(mFolderLabel, 2, 0);
    grid->addWidget(mFolderTree, 3, 0);
    grid->addWidget(mFileLabel, 0, 1);
    grid->addWidget(mFileList, 1, 1, 3, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mOkButton);
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    resize(600, 420);

    connect(mDriveCombo, &QComboBox::currentIndexChanged, this, &DataFolderDialog::onDriveChanged);
    connect(mFolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &DataFolderDialog::onFolderChanged);
    // The tree is read in the background; keep the chosen folder in view as its branches arrive.
    connect(mDirModel, &QFileSystemModel::directoryLoaded, this, [this] {
        if (mFolderTree->currentIndex().isValid())
            mFolderTree->scrollTo(mFolderTree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    connect(mOkButton, &QPushButton::clicked, this, &DataFolderDialog::onOkClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &DataFolderDialog::onCancelClicked);

    // The tree starts at the field's folder, then the drive list follows it; a field that
    // names no folder leaves both at the home folder's drive.
    QString start = QDir::fromNativeSeparators(mDataFolderEdit->text().trimmed());
    if (start.isEmpty() || !QFileInfo(start).isDir()) start = QDir::homePath();
    const QString root = QStorageInfo(start).rootPath();
    {
        const QSignalBlocker blocker(mDriveCombo);
        const int i = mDriveCombo->findText(root);
        if (i >= 0) mDriveCombo->setCurrentIndex(i);
    }
    showDrive(root.isEmpty() ? QDir::rootPath() : root);
    setFolder(start);
}

void DataFolderDialog::showDrive(const QString& root)
{
    mDirModel->setRootPath(root);
    // The tree shows the folders of the drive; the drive root itself is the top item.
    const QModelIndex rootIndex = mDirModel->index(root);
    mFolderTree->setRootIndex(rootIndex.parent());
}

void DataFolderDialog::setFolder(const QString& path)
{
    const QModelIndex index = mDirModel->index(QDir::cleanPath(path));
    if (!index.isValid()) return;
    mFolderTree->setCurrentIndex(index);
    mFolderTree->scrollTo(index);
    mFolderTree->expand(index);
    // currentChanged does not come when the folder is already the current one.
    if (mFolder != mDirModel->filePath(index)) onFolderChanged();
}

void DataFolderDialog::onDriveChanged()
{
    const QString root = mDriveCombo->currentText();
    if (root.isEmpty()) return;
    showDrive(root);
    setFolder(root);
}

void DataFolderDialog::onFolderChanged()
{
    const QModelIndex index = mFolderTree->currentIndex();
    if (!index.isValid()) return;
    mFolder = mDirModel->filePath(index);
    mFileList->setRootIndex(mFileModel->setRootPath(mFolder));
}

void DataFolderDialog::onOkClicked()
{
    if (!mFolder.isEmpty()) {
        mDataFolderEdit->setText(FolderFieldText(mFolder));
        // Chosen here but not yet confirmed by leaving the field: it still counts at shutdown.
        mDataFolderEdit->setModified(true);
    }
    accept();
}

void DataFolderDialog::onCancelClicked()
{
    reject();
}

} // namespace seiran
