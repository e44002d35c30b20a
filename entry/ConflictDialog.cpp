#include "ConflictDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace seiran {

ConflictDialog::ConflictDialog(const QList<ConflictRowText>& rows, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ほかの人の保存と重なりました"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* heading = new QLabel(QStringLiteral("ほかの人の保存と重なりました。\n"
                                              "開いた後に、次の欄にはほかの人が別の値を保存しています。"),
                               this);
    mTable = new QTableWidget(int(rows.size()), 7, this);
    mTable->setHorizontalHeaderLabels({QStringLiteral("組"), QStringLiteral("番"), QStringLiteral("氏名"),
                                       QStringLiteral("欄"), QStringLiteral("開いた時"), QStringLiteral("あなた"),
                                       QStringLiteral("保存済み")});
    mTable->verticalHeader()->hide();
    mTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int r = 0; r < rows.size(); ++r) {
        const ConflictRowText& row = rows.at(r);
        const QStringList cells{row.classLabel, row.number, row.name, row.field, row.base, row.mine, row.saved};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (c != 2) item->setTextAlignment(Qt::AlignCenter);
            mTable->setItem(r, c, item);
        }
    }
    mTable->resizeColumnsToContents();

    mMineButton = new QPushButton(QStringLiteral("自分の値で上書き"), this);
    mSavedButton = new QPushButton(QStringLiteral("保存済みの値を残す"), this);
    mCancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    mMineButton->setAutoDefault(false);
    mSavedButton->setAutoDefault(false);
    // Enter keeps everything as it is, like Escape: overwriting someone's work takes a click.
    mCancelButton->setDefault(true);
    connect(mMineButton, &QPushButton::clicked, this, [this] {
        mAnswer = Answer::KeepMine;
        accept();
    });
    connect(mSavedButton, &QPushButton::clicked, this, [this] {
        mAnswer = Answer::KeepSaved;
        accept();
    });
    connect(mCancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { mAnswer = Answer::Cancel; });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(mMineButton);
    buttons->addWidget(mSavedButton);
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(mTable, 1);
    layout->addLayout(buttons);

    int width = mTable->verticalHeader()->width() + 2 * mTable->frameWidth() + 24;
    for (int c = 0; c < mTable->columnCount(); ++c)
        width += mTable->columnWidth(c);
    resize(qMax(width, 520), 320);
}

} // namespace seiran
