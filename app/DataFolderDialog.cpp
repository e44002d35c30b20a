#include "DataFolderDialog.h"

#include "FolderBrowser.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

DataFolderDialog::DataFolderDialog(QLineEdit* Text_data_dir, QWidget* parent)
    : QDialog(parent), mDataFolderEdit(Text_data_dir)
{
    setWindowTitle(QStringLiteral("データフォルダの選択"));

    mBrowser = new FolderBrowser(QStringLiteral("ドライブ名"), QStringLiteral("フォルダ名"),
                                 QStringLiteral("ファイル一覧"), this);
    mDriveLabel = mBrowser->driveLabel();
    mDriveCombo = mBrowser->driveCombo();
    mFolderLabel = mBrowser->folderLabel();
    mFolderTree = mBrowser->folderTree();
    mFileLabel = mBrowser->fileLabel();
    mFileList = mBrowser->fileList();
    mOkButton = new QPushButton(QStringLiteral("ＯＫ"), this);
    mCancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    mOkButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mOkButton);
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mBrowser, 1);
    layout->addLayout(buttons);
    resize(600, 420);

    connect(mOkButton, &QPushButton::clicked, this, &DataFolderDialog::onOkClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &DataFolderDialog::onCancelClicked);

    // The tree starts at the field's folder, then the drive list follows it; a field that
    // names no folder leaves both at the home folder's drive.
    mBrowser->start(mDataFolderEdit->text());
}

QString DataFolderDialog::currentFolder() const
{
    return mBrowser->currentFolder();
}

void DataFolderDialog::setFolder(const QString& path)
{
    mBrowser->setFolder(path);
}

void DataFolderDialog::onOkClicked()
{
    if (!currentFolder().isEmpty()) {
        mDataFolderEdit->setText(FolderFieldText(currentFolder()));
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
