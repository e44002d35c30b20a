#include "frmSelectDir.h"

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

frmSelectDir::frmSelectDir(QLineEdit* Text_data_dir, QWidget* parent) : QDialog(parent), mTextDataDir(Text_data_dir)
{
    setWindowTitle(QStringLiteral("データフォルダの選択"));

    Label1 = new QLabel(QStringLiteral("ドライブ名"), this);
    Drive1 = new QComboBox(this);
    Drive1->addItems(SelectableDrives());
    Label2 = new QLabel(QStringLiteral("フォルダ名"), this);
    Dir1 = new QTreeView(this);
    Label3 = new QLabel(QStringLiteral("ファイル一覧"), this);
    File1 = new QListView(this);
    Command1 = new QPushButton(QStringLiteral("ＯＫ"), this);
    Command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command1->setDefault(true);

    mDirModel = new QFileSystemModel(this);
    mDirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    mDirModel->setReadOnly(true);
    Dir1->setModel(mDirModel);
    for (int c = 1; c < mDirModel->columnCount(); ++c)
        Dir1->hideColumn(c);
    Dir1->setHeaderHidden(true);

    mFileModel = new QFileSystemModel(this);
    mFileModel->setFilter(QDir::Files);
    mFileModel->setReadOnly(true);
    File1->setModel(mFileModel);
    File1->setSelectionMode(QAbstractItemView::NoSelection);
    File1->setFocusPolicy(Qt::NoFocus);

    auto* grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Drive1, 1, 0);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(Dir1, 3, 0);
    grid->addWidget(Label3, 0, 1);
    grid->addWidget(File1, 1, 1, 3, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    resize(600, 420);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &frmSelectDir::Drive1_Change);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this, &frmSelectDir::Dir1_Change);
    // The tree is read in the background; keep the chosen folder in view as its branches arrive.
    connect(mDirModel, &QFileSystemModel::directoryLoaded, this, [this] {
        if (Dir1->currentIndex().isValid()) Dir1->scrollTo(Dir1->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    connect(Command1, &QPushButton::clicked, this, &frmSelectDir::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSelectDir::Command2_Click);

    // The tree starts at the field's folder, then the drive list follows it; a field that
    // names no folder leaves both at the home folder's drive.
    QString start = QDir::fromNativeSeparators(mTextDataDir->text().trimmed());
    if (start.isEmpty() || !QFileInfo(start).isDir()) start = QDir::homePath();
    const QString root = QStorageInfo(start).rootPath();
    {
        const QSignalBlocker blocker(Drive1);
        const int i = Drive1->findText(root);
        if (i >= 0) Drive1->setCurrentIndex(i);
    }
    showDrive(root.isEmpty() ? QDir::rootPath() : root);
    setFolder(start);
}

void frmSelectDir::showDrive(const QString& root)
{
    mDirModel->setRootPath(root);
    // The tree shows the folders of the drive; the drive root itself is the top item.
    const QModelIndex rootIndex = mDirModel->index(root);
    Dir1->setRootIndex(rootIndex.parent());
}

void frmSelectDir::setFolder(const QString& path)
{
    const QModelIndex index = mDirModel->index(QDir::cleanPath(path));
    if (!index.isValid()) return;
    Dir1->setCurrentIndex(index);
    Dir1->scrollTo(index);
    Dir1->expand(index);
    // currentChanged does not come when the folder is already the current one.
    if (mFolder != mDirModel->filePath(index)) Dir1_Change();
}

void frmSelectDir::Drive1_Change()
{
    const QString root = Drive1->currentText();
    if (root.isEmpty()) return;
    showDrive(root);
    setFolder(root);
}

void frmSelectDir::Dir1_Change()
{
    const QModelIndex index = Dir1->currentIndex();
    if (!index.isValid()) return;
    mFolder = mDirModel->filePath(index);
    File1->setRootIndex(mFileModel->setRootPath(mFolder));
}

void frmSelectDir::Command1_Click()
{
    if (!mFolder.isEmpty()) {
        mTextDataDir->setText(FolderFieldText(mFolder));
        // Chosen here but not yet confirmed by leaving the field: it still counts at shutdown.
        mTextDataDir->setModified(true);
    }
    accept();
}

void frmSelectDir::Command2_Click()
{
    reject();
}

} // namespace seiran
