#include "CardPrintWindow.h"

#include "GradeData.h"
#include "MessageBox.h"
#include "PageCanvas.h"
#include "PrintTarget.h"
#include "ReportCommon.h"
#include "Session.h"
#include "TestSeries.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMarginsF>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

namespace seiran {

CardPrintWindow::CardPrintWindow(Session& session, const QString& caption, QWidget* parent)
    : QDialog(parent), mSession(session)
{
    setWindowTitle(caption);
    const GradeData& gd = mSession.gd;

    mClassList = new QListWidget(this);
    mClassList->setSelectionMode(QAbstractItemView::MultiSelection);
    for (int c = 1; c <= qBound(0, gd.classCount, int(Limits::Classes)); ++c)
        mClassList->addItem(gd.classLabel(c) + QStringLiteral("組"));
    mClassList->selectAll();
    if (mClassList->count() > 0) mClassList->setCurrentRow(0, QItemSelectionModel::NoUpdate);

    mProgressBar = new QProgressBar(this);
    mProgressBar->setRange(0, 100);
    mProgressBar->setValue(0);
    mProgressBar->setTextVisible(false);

    mPrintButton = new QPushButton(QStringLiteral("印刷開始"), this);
    mCloseButton = new QPushButton(QStringLiteral("終了"), this);
    mPrintButton->setAutoDefault(false);
    mCloseButton->setAutoDefault(false);
    connect(mCloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

QGridLayout* CardPrintWindow::buildListsLayout(const QString& heading, QWidget* list)
{
    mUpButton = new QPushButton(QStringLiteral("▲"), this);
    mDownButton = new QPushButton(QStringLiteral("▼"), this);
    mUpButton->setAutoDefault(false);
    mDownButton->setAutoDefault(false);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(mUpButton);
    moves->addWidget(mDownButton);
    moves->addStretch();

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(heading, this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("組"), this), 0, 2);
    lists->addWidget(list, 1, 0);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(mClassList, 1, 2);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(2, 1);
    return lists;
}

QList<int> CardPrintWindow::selectedClasses() const
{
    QList<int> classes;
    for (int row = 0; row < mClassList->count(); ++row)
        if (mClassList->item(row)->isSelected()) classes.append(row + 1);
    return classes;
}

void CardPrintWindow::showProgress(int percent)
{
    if (mProgressBar->value() == percent) return;
    mProgressBar->setValue(percent);
    mProgressBar->repaint();
}

bool CardPrintWindow::runCardJob(const CardJob& job)
{
    GradeData& gd = mSession.gd;
    TestSeries series;
    if (Result r = ReadTestSeries(gd, job.tests, series, mSession.progress); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return false;
    }
    std::unique_ptr<QPrinter> printer = ChoosePrinter(
        this, job.documentName,
        job.paper ? PrintableAreaPaperLayout(QPageLayout::Portrait, *job.paper) : PrintableAreaPaperLayout());
    if (!printer) return false;
    if (job.paper) {
        printer->setPageSize(QPageSize(*job.paper));
        printer->setPageOrientation(QPageLayout::Portrait);
    }
    // A PDF file has no printer margins: the cards keep 5 mm off every edge.
    if (printer->outputFormat() == QPrinter::PdfFormat)
        printer->setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    const QString problem = job.fitProblem(SheetCells(printer->pageLayout()));
    if (!problem.isEmpty()) {
        ShowMessage(problem, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return false;
    }
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&](PageCanvas& canvas) { return job.print(canvas, series); }, this);
    showProgress(0);
    return outcome == PrintOutcome::Completed;
}

void MoveListRow(QListWidget* list, int step)
{
    const int from = list->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= list->count()) return;
    // The selection lives in the view: remember it before the item leaves.
    const bool selected = list->item(from)->isSelected();
    QListWidgetItem* item = list->takeItem(from);
    list->insertItem(to, item);
    item->setSelected(selected);
    list->setCurrentRow(to, QItemSelectionModel::NoUpdate);
}

} // namespace seiran
