#include "SnapshotRestoreWindow.h"

#include "GradeLockWindow.h"
#include "MessageBox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace seiran {

SnapshotRestoreWindow::SnapshotRestoreWindow(const QString& dataFolder, int grade, QWidget* parent)
    : QDialog(parent), mDataFolder(dataFolder), mGrade(grade)
{
    setWindowTitle(QStringLiteral("バックアップから戻す"));
    auto* layout = new QVBoxLayout(this);
    mIntroLabel =
        new QLabel(QStringLiteral("%1年の名簿と設定を、選んだ時点の状態に戻します。\n"
                                  "名簿の作成・修正、進級処理、教科やテストの変更の前と、毎日最初の保存の前に、"
                                  "自動でバックアップを取っています。")
                       .arg(grade),
                   this);
    mIntroLabel->setWordWrap(true);
    layout->addWidget(mIntroLabel);
    mList = new QTableWidget(0, 4, this);
    mList->setHorizontalHeaderLabels(
        {QStringLiteral("日時"), QStringLiteral("理由"), QStringLiteral("名前"), QStringLiteral("PC")});
    mList->setSelectionBehavior(QAbstractItemView::SelectRows);
    mList->setSelectionMode(QAbstractItemView::SingleSelection);
    mList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mList->verticalHeader()->hide();
    mList->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(mList, 1);
    mHighSchoolsCheck = new QCheckBox(QStringLiteral("高校名のファイルも戻す"), this);
    layout->addWidget(mHighSchoolsCheck);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    mRestoreButton = new QPushButton(QStringLiteral("戻す"), this);
    mCloseButton = new QPushButton(QStringLiteral("閉じる"), this);
    buttons->addWidget(mRestoreButton);
    buttons->addWidget(mCloseButton);
    layout->addLayout(buttons);
    connect(mRestoreButton, &QPushButton::clicked, this, &SnapshotRestoreWindow::onRestoreClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(mList, &QTableWidget::itemSelectionChanged, this,
            [this] { mRestoreButton->setEnabled(!mList->selectedItems().isEmpty()); });
    resize(620, 420);
    reload();
}

void SnapshotRestoreWindow::reload()
{
    ListSnapshots(mDataFolder, mGrade, mSnapshots);
    mList->setRowCount(int(mSnapshots.size()));
    for (int r = 0; r < int(mSnapshots.size()); ++r) {
        const SnapshotInfo& s = mSnapshots.at(r);
        const QStringList texts{s.time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")), s.reasonText(),
                                s.user, s.host};
        for (int c = 0; c < 4; ++c)
            mList->setItem(r, c, new QTableWidgetItem(texts.at(c)));
    }
    mList->resizeColumnsToContents();
    if (!mSnapshots.isEmpty()) mList->selectRow(0);
    mRestoreButton->setEnabled(!mSnapshots.isEmpty());
}

void SnapshotRestoreWindow::onRestoreClicked()
{
    const int row = mList->currentRow();
    if (row < 0 || row >= int(mSnapshots.size())) return;
    const SnapshotInfo& s = mSnapshots.at(row);
    const QString when = s.time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    const QString question = QStringLiteral("%1年の名簿と設定を %2（%3）の状態に戻しますか？\n"
                                            "今の状態は「戻す前の状態」としてバックアップに残ります。")
                                 .arg(mGrade)
                                 .arg(when, s.reasonText());
    if (ShowMessage(question, MsgButtons::YesNo, MsgIcon::Question, 2, windowTitle(), this) != MsgAnswer::Yes) return;
    // Nobody may be entering into the grade while its files are replaced.
    WindowGradeLock* lock = LockGradeAlone(mDataFolder, mGrade, windowTitle(), this);
    if (!lock) return;
    QString kept;
    const Result r = RestoreSnapshot(mDataFolder, mGrade, s.name, mHighSchoolsCheck->isChecked(), &kept);
    delete lock;
    if (!r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, windowTitle(), this);
        return;
    }
    mRestored = true;
    ShowMessage(QStringLiteral("%1 の状態に戻しました。").arg(when), MsgButtons::Ok, MsgIcon::Information, 1,
                windowTitle(), this);
    reload();
}

} // namespace seiran
