#include "TrendGraphWindow.h"

#include "GradeData.h"
#include "MessageBox.h"
#include "PrintTarget.h"
#include "ReportCommon.h"
#include "Session.h"
#include "TestSeries.h"
#include "TrendReport.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>

namespace seiran {

TrendGraphWindow::TrendGraphWindow(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("教科別得点推移グラフ"), parent)
{
    const GradeData& gd = mSession.gd;
    // This screen reads its tests from the roster file: the main window's test is let go.
    mSession.clearTestChoice();

    auto* testLabel = new QLabel(QStringLiteral("テスト"), this);
    testLabel->setGeometry(12, 8, 200, 20);
    mTestList = new QListWidget(this);
    mTestList->setGeometry(12, 30, 240, 300);
    mTestList->setSelectionMode(QAbstractItemView::MultiSelection);
    mUpButton = new QPushButton(QStringLiteral("▲"), this);
    mUpButton->setGeometry(258, 30, 36, 32);
    mDownButton = new QPushButton(QStringLiteral("▼"), this);
    mDownButton->setGeometry(258, 66, 36, 32);

    auto* classLabel = new QLabel(QStringLiteral("クラス"), this);
    classLabel->setGeometry(310, 8, 120, 20);
    mClassList = new QListWidget(this);
    mClassList->setGeometry(310, 30, 100, 220);
    mClassList->setSelectionMode(QAbstractItemView::MultiSelection);

    mTableCheck = new QCheckBox(QStringLiteral("素点表あり"), this);
    mTableCheck->setGeometry(310, 260, 120, 24);
    mTableCheck->setChecked(true);

    mPrintButton = new QPushButton(QStringLiteral("印刷開始"), this);
    mPrintButton->setGeometry(430, 30, 90, 32);
    mCloseButton = new QPushButton(QStringLiteral("終了"), this);
    mCloseButton->setGeometry(430, 70, 90, 32);
    for (QPushButton* button : {mUpButton, mDownButton, mPrintButton, mCloseButton})
        button->setAutoDefault(false);

    mProgressBar = new QProgressBar(this);
    mProgressBar->setGeometry(12, 340, 508, 20);
    mProgressBar->setRange(0, 100);
    mProgressBar->setValue(0);

    // Tests of the same name are told apart by their numbers.
    for (int t = 1; t <= qBound(0, gd.testCount, Limits::Tests); ++t) {
        auto* item = new QListWidgetItem(QStringLiteral("%1  %2").arg(t, 2).arg(gd.testNames[t].trimmed()));
        item->setData(Qt::UserRole, t);
        mTestList->addItem(item);
    }
    if (mTestList->count() > 0) mTestList->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    for (int c = 1; c <= qBound(0, gd.classCount, Limits::Classes); ++c) {
        auto* item = new QListWidgetItem(gd.classLabel(c) + QStringLiteral("組"));
        item->setData(Qt::UserRole, c);
        mClassList->addItem(item);
        item->setSelected(true);
    }
    if (mClassList->count() > 0) mClassList->setCurrentRow(0, QItemSelectionModel::NoUpdate);

    connect(mUpButton, &QPushButton::clicked, this, &TrendGraphWindow::onUpClicked);
    connect(mDownButton, &QPushButton::clicked, this, &TrendGraphWindow::onDownClicked);
    connect(mPrintButton, &QPushButton::clicked, this, &TrendGraphWindow::onPrintClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &TrendGraphWindow::onCloseClicked);

    setMinimumSize(532, 372);
    resize(532, 372);
}

TrendGraphWindow::~TrendGraphWindow() = default;

QList<int> TrendGraphWindow::chosenTests() const
{
    QList<int> tests;
    for (int row = 0; row < mTestList->count(); ++row)
        if (mTestList->item(row)->isSelected()) tests.append(mTestList->item(row)->data(Qt::UserRole).toInt());
    return tests;
}

QList<int> TrendGraphWindow::chosenClasses() const
{
    QList<int> classes;
    for (int row = 0; row < mClassList->count(); ++row)
        if (mClassList->item(row)->isSelected()) classes.append(mClassList->item(row)->data(Qt::UserRole).toInt());
    return classes;
}

void TrendGraphWindow::moveCurrentTest(int step)
{
    const int from = mTestList->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= mTestList->count()) return;
    // The selection lives in the view: remember it before the row leaves.
    const bool selected = mTestList->item(from)->isSelected();
    QListWidgetItem* item = mTestList->takeItem(from);
    mTestList->insertItem(to, item);
    item->setSelected(selected);
    mTestList->setCurrentRow(to, QItemSelectionModel::NoUpdate);
}

void TrendGraphWindow::onUpClicked()
{
    moveCurrentTest(-1);
}

void TrendGraphWindow::onDownClicked()
{
    moveCurrentTest(1);
}

void TrendGraphWindow::onPrintClicked()
{
    const GradeData& gd = mSession.gd;
    const QList<int> tests = chosenTests();
    TrendOptions options;
    options.classes = chosenClasses();
    options.rawScoreTable = mTableCheck->isChecked();
    if (tests.isEmpty() || options.classes.isEmpty()) return;

    TestSeries series;
    if (const Result r = ReadTestSeries(gd, tests, series, mSession.progress); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return;
    }
    std::unique_ptr<QPrinter> printer =
        ChoosePrinter(this, QStringLiteral("教科別得点推移グラフ"), PrintableAreaPaperLayout());
    if (!printer) return;
    if (const Result r = CheckTrendFits(series.testCount(), options.rawScoreTable, SheetCells(printer->pageLayout()));
        !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd,
        [&](PageCanvas& canvas) {
            return PrintTrendGraphs(canvas, gd, series, options,
                                    [this](int percent) { mProgressBar->setValue(percent); });
        },
        this);
    mProgressBar->setValue(0);
    if (outcome == PrintOutcome::Completed) accept();
}

void TrendGraphWindow::onCloseClicked()
{
    reject();
}

} // namespace seiran
