#include "ReportCardWindow.h"

#include "GradeData.h"
#include "ReportCards.h"
#include "Session.h"
#include "TestSeries.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

ReportCardWindow::ReportCardWindow(Session& session, QWidget* parent)
    : CardPrintWindow(session, QStringLiteral("テスト成績表"), parent)
{
    const GradeData& gd = mSession.gd;
    // The cards read their tests from the roster file, not the main window's test.
    mSession.clearTestChoice();

    mTestList = new QListWidget(this);
    mTestList->setSelectionMode(QAbstractItemView::MultiSelection);
    // Rows carry their test numbers: two tests of one name stay two tests.
    for (int t = 1; t <= qBound(0, gd.testCount, int(Limits::Tests)); ++t) {
        auto* item = new QListWidgetItem(gd.testNames[t], mTestList);
        item->setData(Qt::UserRole, t);
    }
    if (mTestList->count() > 0) mTestList->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    mGraphCheck = new QCheckBox(QStringLiteral("合計グラフ"), this);

    QGridLayout* lists = buildListsLayout(QStringLiteral("テスト（表の順に並べて選びます）"), mTestList);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mGraphCheck);
    buttons->addStretch();
    buttons->addWidget(mPrintButton);
    buttons->addWidget(mCloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(mProgressBar);
    layout->addLayout(buttons);
    resize(480, 440);

    connect(mUpButton, &QPushButton::clicked, this, &ReportCardWindow::onUpClicked);
    connect(mDownButton, &QPushButton::clicked, this, &ReportCardWindow::onDownClicked);
    connect(mPrintButton, &QPushButton::clicked, this, &ReportCardWindow::onPrintClicked);
}

QList<int> ReportCardWindow::chosenTests() const
{
    QList<int> tests;
    for (int row = 0; row < mTestList->count(); ++row)
        if (mTestList->item(row)->isSelected()) tests.append(mTestList->item(row)->data(Qt::UserRole).toInt());
    return tests;
}

void ReportCardWindow::onUpClicked()
{
    MoveListRow(mTestList, -1);
}

void ReportCardWindow::onDownClicked()
{
    MoveListRow(mTestList, 1);
}

void ReportCardWindow::onPrintClicked()
{
    const QList<int> tests = chosenTests();
    const QList<int> classes = selectedClasses();
    if (tests.isEmpty() || classes.isEmpty()) return;
    const bool graph = mGraphCheck->isChecked();
    CardJob job;
    job.documentName = QStringLiteral("テスト成績表");
    job.tests = tests;
    job.fitProblem = [&](QSizeF sheet) { return TestCardFitProblem(sheet, int(tests.size()), graph); };
    job.print = [&](PageCanvas& canvas, const TestSeries& series) {
        CardPupils pupils;
        pupils.classes = classes;
        return PrintTestCards(canvas, mSession.gd, series, pupils, graph, [this](int p) { showProgress(p); });
    };
    if (runCardJob(job)) accept();
}

} // namespace seiran
