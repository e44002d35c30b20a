#include "NewYearRosterDialog.h"

#include "FolderBrowser.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

QString NewYearCaution(int newGrade)
{
    // The files replaced are kept as numbered backups, so the caution says where they are
    // rather than that nothing can be recovered.
    return QStringLiteral("すでに新学年の名簿が存在するとき、作成を行うと、その名簿は新しい名簿に置き換わります。"
                          "置き換える前のファイルは、選んだフォルダに控え（dtfile%1.rnd.bak、.bak2 … の"
                          "番号付き）として残ります。")
        .arg(newGrade, 2, 10, QLatin1Char('0'));
}

NewYearRosterDialog::NewYearRosterDialog(int grade, int classCount, const QString& dataFolder, QWidget* parent)
    : QDialog(parent), mClassCount(classCount)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("進級処理　新学年名簿ファイルの作成"));

    mGradeLabel = new QLabel(QStringLiteral("%1年 → %2年").arg(grade).arg(grade + 1), this);
    QFont big = mGradeLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    mGradeLabel->setFont(big);
    mClassCountLabel = new QLabel(QStringLiteral("クラス数 = %1").arg(classCount), this);
    mClassCountLabel->setFont(big);
    mWarningFrame = new QGroupBox(QStringLiteral("注意"), this);
    mWarningLabel = new QLabel(NewYearCaution(grade + 1), mWarningFrame);
    mWarningLabel->setWordWrap(true);
    (new QVBoxLayout(mWarningFrame))->addWidget(mWarningLabel);
    mBrowser = new FolderBrowser(QStringLiteral("ドライブ名"), QStringLiteral("新学年名簿ファイルのフォルダ"),
                                 QStringLiteral("ファイル一覧（内容確認用）"), this);
    mStartButton = new QPushButton(QStringLiteral("作成開始"), this);
    mCancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    mStartButton->setAutoDefault(false);
    mCancelButton->setAutoDefault(false);

    auto* heading = new QHBoxLayout;
    heading->addWidget(mGradeLabel);
    heading->addSpacing(24);
    heading->addWidget(mClassCountLabel);
    heading->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mStartButton);
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(mWarningFrame);
    layout->addWidget(mBrowser, 1);
    layout->addLayout(buttons);
    resize(620, 480);

    mBrowser->start(dataFolder);
    connect(mStartButton, &QPushButton::clicked, this, &NewYearRosterDialog::onStartClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &NewYearRosterDialog::onCancelClicked);
}

void NewYearRosterDialog::onStartClicked()
{
    mFolder = mBrowser->currentFolder();
    if (mFolder.isEmpty()) return;
    if (!mFolder.endsWith(QLatin1Char('/'))) mFolder += QLatin1Char('/');
    accept();
}

void NewYearRosterDialog::onCancelClicked()
{
    mFolder.clear();
    mClassCount = 0;
    reject();
}

} // namespace seiran
