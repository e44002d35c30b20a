#include "ImportPreviewDialog.h"

#include "MessageBox.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace seiran {

namespace {
constexpr int ShownLines = 10;

const QList<CsvEncoding>& encodings()
{
    static const QList<CsvEncoding> list{CsvEncoding::Auto, CsvEncoding::Utf8, CsvEncoding::Utf16, CsvEncoding::Cp932};
    return list;
}

QTableWidgetItem* readOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}
} // namespace

ImportPreviewDialog::ImportPreviewDialog(const QString& path, const QStringList& subjectNames, bool needName,
                                         PreviewFn preview, QWidget* parent)
    : QDialog(parent), mPath(path), mSubjects(subjectNames), mNeedName(needName), mPreviewFn(std::move(preview))
{
    setWindowTitle(QStringLiteral("CSV取込"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    mEncodingCombo = new QComboBox(this);
    for (CsvEncoding e : encodings())
        mEncodingCombo->addItem(CsvEncodingName(e));
    mColumnsTable = new QTableWidget(this);
    mOutcomeTable = new QTableWidget(0, 5, this);
    mOutcomeTable->setHorizontalHeaderLabels({QStringLiteral("行"), QStringLiteral("組"), QStringLiteral("番"),
                                              QStringLiteral("結果"), QStringLiteral("内容")});
    mOutcomeTable->horizontalHeader()->setStretchLastSection(true);
    mOutcomeTable->verticalHeader()->hide();
    mOutcomeTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mCountsLabel = new QLabel(this);
    mCountsLabel->setWordWrap(true);
    mImportButton = new QPushButton(QStringLiteral("取込"), this);
    mCancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    mImportButton->setAutoDefault(false);
    mCancelButton->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("文字コード"), this));
    top->addWidget(mEncodingCombo);
    top->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mCountsLabel, 1);
    buttons->addWidget(mImportButton);
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(new QLabel(QStringLiteral("ファイルの最初の行と列の役割（変えられます）"), this));
    layout->addWidget(mColumnsTable, 2);
    layout->addWidget(new QLabel(QStringLiteral("取り込みの予定"), this));
    layout->addWidget(mOutcomeTable, 3);
    layout->addLayout(buttons);

    connect(mEncodingCombo, &QComboBox::currentIndexChanged, this, &ImportPreviewDialog::onEncodingChanged);
    connect(mImportButton, &QPushButton::clicked, this, &ImportPreviewDialog::onImportClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &QDialog::reject);

    readFile();
    resize(820, 600);
}

void ImportPreviewDialog::readFile()
{
    const CsvEncoding wanted = encodings().value(mEncodingCombo->currentIndex(), CsvEncoding::Auto);
    CsvEncoding used = wanted;
    mRecords.clear();
    mLayout = CsvLayout{};
    mFault.clear();
    if (Result r = ReadCsvFile(mPath, wanted, mRecords, used); !r) {
        mFault = r.message;
    } else {
        if (wanted == CsvEncoding::Auto) {
            const QSignalBlocker block(mEncodingCombo);
            mEncodingCombo->setItemText(0, QStringLiteral("自動（%1）").arg(CsvEncodingName(used)));
        }
        if (Result found = DetectCsvLayout(mRecords, mSubjects, mNeedName, mLayout); !found) {
            mFault = found.message;
            // The roles can still be given by hand over the first line.
            mLayout = CsvLayout{};
            mLayout.headerRecord = mRecords.isEmpty() ? -1 : 0;
        }
    }
    fillColumns();
    refreshPreview();
}

void ImportPreviewDialog::fillColumns()
{
    int columns = 0;
    for (int r = 0; r < mRecords.size() && r < ShownLines; ++r)
        columns = std::max(columns, int(mRecords.at(r).fields.size()));
    mColumnsTable->clear();
    mColumnsTable->setColumnCount(columns);
    mColumnsTable->setRowCount(1 + std::min(int(mRecords.size()), ShownLines));
    mRoleCombos.clear();
    const QList<int> roles = CsvRolesOffered(mSubjects);
    for (int c = 0; c < columns; ++c) {
        auto* combo = new QComboBox(mColumnsTable);
        for (int role : roles)
            combo->addItem(CsvRoleName(role, mSubjects), role);
        combo->setCurrentIndex(std::max(0, int(roles.indexOf(mLayout.roles.value(c, CsvRole::None)))));
        connect(combo, &QComboBox::currentIndexChanged, this, &ImportPreviewDialog::onRoleChanged);
        mColumnsTable->setCellWidget(0, c, combo);
        mRoleCombos << combo;
    }
    for (int r = 0; r < mRecords.size() && r < ShownLines; ++r) {
        const QStringList& fields = mRecords.at(r).fields;
        for (int c = 0; c < fields.size(); ++c)
            mColumnsTable->setItem(r + 1, c, readOnlyItem(fields.at(c)));
    }
    QStringList lineLabels{QStringLiteral("役割")};
    for (int r = 0; r < mRecords.size() && r < ShownLines; ++r)
        lineLabels << QString::number(mRecords.at(r).line);
    mColumnsTable->setVerticalHeaderLabels(lineLabels);
}

void ImportPreviewDialog::setColumnRole(int column, int role)
{
    if (column < 0 || column >= mRoleCombos.size()) return;
    mRoleCombos.at(column)->setCurrentIndex(std::max(0, int(CsvRolesOffered(mSubjects).indexOf(role))));
}

void ImportPreviewDialog::onEncodingChanged()
{
    readFile();
}

void ImportPreviewDialog::onRoleChanged()
{
    mLayout.roles.clear();
    for (QComboBox* combo : mRoleCombos)
        mLayout.roles << combo->currentData().toInt();
    if (mLayout.headerRecord < 0 && !mRecords.isEmpty()) mLayout.headerRecord = 0;
    const Result checked = CheckCsvLayout(mLayout, mSubjects, mNeedName);
    mFault = checked ? QString() : checked.message;
    refreshPreview();
}

void ImportPreviewDialog::refreshPreview()
{
    mPreview = CsvImportPreview{};
    if (mFault.isEmpty() && mPreviewFn) mPreview = mPreviewFn(mRecords, mLayout);
    mOutcomeTable->setRowCount(int(mPreview.lines.size()));
    for (int i = 0; i < mPreview.lines.size(); ++i) {
        const CsvImportLine& line = mPreview.lines.at(i);
        QString detail = line.detail;
        for (const QString& notice : line.cutNotices)
            detail += (detail.isEmpty() ? QString() : QStringLiteral("　")) + notice;
        const QStringList cells{QString::number(line.line), line.classText, line.numberText, line.outcomeText(),
                                detail};
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = readOnlyItem(cells.at(c));
            if (line.outcome == CsvImportLine::Refused) item->setForeground(Qt::red);
            mOutcomeTable->setItem(i, c, item);
        }
    }
    mOutcomeTable->resizeColumnsToContents();
    mCountsLabel->setText(mFault.isEmpty() ? mPreview.countsText() : mFault);
    mImportButton->setEnabled(mFault.isEmpty() &&
                              mPreview.count(CsvImportLine::New) + mPreview.count(CsvImportLine::Changed) > 0);
}

void ImportPreviewDialog::onImportClicked()
{
    if (!mFault.isEmpty()) return;
    const int refused = mPreview.refusedCount();
    if (refused > 0) {
        const int taken = mPreview.count(CsvImportLine::New) + mPreview.count(CsvImportLine::Changed);
        const MsgAnswer answer =
            ShowMessage(QStringLiteral("取り込めない %1 行を除いて、%2 人分を取り込みますか").arg(refused).arg(taken),
                        MsgButtons::YesNo, MsgIcon::Question, 2, QString(), this);
        if (answer != MsgAnswer::Yes) return;
    }
    accept();
}

} // namespace seiran
