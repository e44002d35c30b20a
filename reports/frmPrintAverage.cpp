#include "frmPrintAverage.h"

#include "AverageReport.h"
#include "GradeData.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "ReportCommon.h"
#include "Session.h"

#include <QLabel>
#include <QPrinter>
#include <QPushButton>

namespace seiran {

frmPrintAverage::frmPrintAverage(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("平均点・最高点一覧表"), parent)
{
    Label1 = makeHeading(QStringLiteral("平均点・最高点一覧表"), 300);
    Command2 = makeButton(QStringLiteral("印刷"), 330);
    Command1 = makeButton(QStringLiteral("終了"), 406);

    pane = new PreviewPane(this, QRect(12, 50, 900, 600), 1, 120, 60, PreviewFont(mSession.gd, 9.75), QPoint(500, 300));

    connect(Command2, &QPushButton::clicked, this, &frmPrintAverage::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmPrintAverage::Command1_Click);

    pane->Form_Resize();
    display();
}

frmPrintAverage::~frmPrintAverage() = default;

void frmPrintAverage::display()
{
    PainterCanvas& canvas = pane->canvas(0);
    canvas.Cls();
    canvas.SetCharacterCells();
    DrawAveragePage(canvas, mSession.gd);
    pane->Refresh();
}

void frmPrintAverage::Command2_Click()
{
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, QStringLiteral("平均点・最高点一覧表"));
    if (!printer) return;
    const GradeData& gd = mSession.gd;
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&](PageCanvas& canvas) { return PrintAverage(canvas, gd); }, this);
    if (outcome == PrintOutcome::Completed) accept();
}

void frmPrintAverage::Command1_Click()
{
    reject();
}

} // namespace seiran
