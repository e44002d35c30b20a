#include "AveragesReportWindow.h"

#include "AverageReport.h"
#include "GradeData.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "ReportCommon.h"
#include "ReportCsv.h"
#include "Session.h"

#include <QCheckBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>

namespace seiran {

AveragesReportWindow::AveragesReportWindow(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("平均点・最高点一覧表"), parent)
{
    mHeadingLabel = makeHeading(QStringLiteral("平均点・最高点一覧表"), 300);
    mPrintButton = makeButton(QStringLiteral("印刷"), 330);
    mCsvButton = makeButton(QStringLiteral("CSV保存"), 406);
    mCloseButton = makeButton(QStringLiteral("終了"), 482);
    mDeviationCheck = new QCheckBox(QStringLiteral("標準偏差を表示"), this);
    mDeviationCheck->setGeometry(570, 14, 160, 24);
    mDeviationCheck->setChecked(false);

    mPane =
        new PreviewPane(this, QRect(12, 50, 900, 600), 1, 120, 60, PreviewFont(mSession.gd, 9.75), QPoint(500, 300));

    connect(mPrintButton, &QPushButton::clicked, this, &AveragesReportWindow::onPrintClicked);
    connect(mCsvButton, &QPushButton::clicked, this, &AveragesReportWindow::onCsvClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &AveragesReportWindow::onCloseClicked);
    connect(mDeviationCheck, &QCheckBox::toggled, this, &AveragesReportWindow::display);

    mPane->fitToWindow();
    display();
}

AveragesReportWindow::~AveragesReportWindow() = default;

void AveragesReportWindow::display()
{
    PainterCanvas& canvas = mPane->canvas(0);
    canvas.Cls();
    canvas.SetCharacterCells();
    DrawAveragePage(canvas, mSession.gd, mDeviationCheck->isChecked());
    mPane->Refresh();
}

void AveragesReportWindow::onPrintClicked()
{
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, QStringLiteral("平均点・最高点一覧表"));
    if (!printer) return;
    const GradeData& gd = mSession.gd;
    const bool withDeviation = mDeviationCheck->isChecked();
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&](PageCanvas& canvas) { return PrintAverage(canvas, gd, withDeviation); }, this);
    if (outcome == PrintOutcome::Completed) accept();
}

void AveragesReportWindow::onCsvClicked()
{
    saveCsvRows(AverageCsvRows(mSession.gd, mDeviationCheck->isChecked()), QStringLiteral("平均点・最高点一覧表.csv"));
}

void AveragesReportWindow::onCloseClicked()
{
    reject();
}

} // namespace seiran
