#include "FolderBrowser.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTimer>
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

FolderBrowser::FolderBrowser(const QString& driveCaption, const QString& folderCaption, const QString& fileCaption,
                             QWidget* parent)
    : QWidget(parent)
{
    mDriveLabel = new QLabel(driveCaption, this);
    mDriveCombo = new QComboBox(this);
    mDriveCombo->addItems(SelectableDrives());
    mFolderLabel = new QLabel(folderCaption, this);
    mFolderTree = new QTreeView(this);
    mFileLabel = new QLabel(fileCaption, this);
    mFileList = new QListView(this);

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

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(mDriveLabel, 0, 0);
    grid->addWidget(mDriveCombo, 1, 0);
    grid->addWidget(mFolderLabel, 2, 0);
    grid->addWidget(mFolderTree, 3, 0);
    grid->addWidget(mFileLabel, 0, 1);
    grid->addWidget(mFileList, 1, 1, 3, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(3, 1);

    connect(mDriveCombo, &QComboBox::currentIndexChanged, this, &FolderBrowser::onDriveChanged);
    connect(mFolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this, &FolderBrowser::onFolderChanged);
    // The tree is read in the background and sorted a moment later: the folders arriving above the
    // chosen one push it out of view. Keep it in view until the user scrolls the tree himself.
    connect(mDirModel, &QFileSystemModel::directoryLoaded, this, &FolderBrowser::keepFolderInView);
    connect(mDirModel, &QAbstractItemModel::rowsInserted, this, &FolderBrowser::keepFolderInView);
    connect(mDirModel, &QAbstractItemModel::layoutChanged, this, &FolderBrowser::keepFolderInView);
    connect(mFolderTree->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { mFollowFolder = false; });
    mFolderTree->viewport()->installEventFilter(this);
    mFolderTree->installEventFilter(this);
}

void FolderBrowser::start(const QString& folder)
{
    QString start = QDir::fromNativeSeparators(folder.trimmed());
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

void FolderBrowser::showDrive(const QString& root)
{
    mDirModel->setRootPath(root);
    // The tree shows the folders of the drive; the drive root itself is the top item.
    const QModelIndex rootIndex = mDirModel->index(root);
    mFolderTree->setRootIndex(rootIndex.parent());
}

bool FolderBrowser::eventFilter(QObject* watched, QEvent* event)
{
    // Once the user clicks, turns the wheel or types in the tree, the view is his.
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::Wheel || type == QEvent::KeyPress) mFollowFolder = false;
    return QWidget::eventFilter(watched, event);
}

void FolderBrowser::keepFolderInView()
{
    if (!mFollowFolder || mScrollPending) return;
    // After the view has laid out the rows that came in.
    mScrollPending = true;
    QTimer::singleShot(0, this, [this] {
        mScrollPending = false;
        if (mFollowFolder && mFolderTree->currentIndex().isValid())
            mFolderTree->scrollTo(mFolderTree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void FolderBrowser::setFolder(const QString& path)
{
    const QModelIndex index = mDirModel->index(QDir::cleanPath(path));
    if (!index.isValid()) return;
    mFollowFolder = true;
    mFolderTree->setCurrentIndex(index);
    mFolderTree->scrollTo(index);
    mFolderTree->expand(index);
    // currentChanged does not come when the folder is already the current one.
    if (mFolder != mDirModel->filePath(index)) onFolderChanged();
}

void FolderBrowser::onDriveChanged()
{
    const QString root = mDriveCombo->currentText();
    if (root.isEmpty()) return;
    showDrive(root);
    setFolder(root);
}

void FolderBrowser::onFolderChanged()
{
    const QModelIndex index = mFolderTree->currentIndex();
    if (!index.isValid()) return;
    mFolder = mDirModel->filePath(index);
    mFileList->setRootIndex(mFileModel->setRootPath(mFolder));
    emit folderChanged(mFolder);
}

} // namespace seiran
