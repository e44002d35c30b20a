#include "DeviationReportWindow.h"

#include "ClassPicker.h"
#include "DeviationReport.h"
#include "GradeData.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "RawScoreReport.h"
#include "ReportCommon.h"
#include "Session.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace seiran {

namespace {
int classCountOf(const GradeData& gd)
{
    return std::clamp(gd.classCount, 0, int(Limits::Classes));
}
} // namespace

DeviationReportWindow::DeviationReportWindow(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("偏差値一覧表"), parent)
{
    GradeData& gd = mSession.gd;
    mHeadingLabel = makeHeading(QStringLiteral("偏差値一覧表"), 180);
    mClassCombo = new QComboBox(this);
    mClassCombo->setGeometry(200, 11, 110, 28);
    mPrintButton = makeButton(QStringLiteral("印刷"), 330);
    mCsvButton = makeButton(QStringLiteral("CSV保存"), 406);
    mCloseButton = makeButton(QStringLiteral("終了"), 482);

    for (int c = 1; c <= classCountOf(gd); ++c)
        mClassCombo->addItem(gd.classLabel(c) + QStringLiteral("組"));
    mClassCombo->addItem(QStringLiteral("学年集計"));
    mCurrentClass = classCountOf(gd) >= 1 ? 1 : 0;
    mClassCombo->setCurrentIndex(mCurrentClass >= 1 ? 0 : mClassCombo->count() - 1);

    mPane = new PreviewPane(this, QRect(12, 50, 900, 600), 1, 120, CanvasRows, PreviewFont(gd, 9.0), QPoint(640, 300));

    selectClasses = [this] {
        ClassPicker picker(mSession, this);
        picker.exec();
    };

    connect(mClassCombo, &QComboBox::currentIndexChanged, this, &DeviationReportWindow::onClassChanged);
    connect(mPrintButton, &QPushButton::clicked, this, &DeviationReportWindow::onPrintClicked);
    connect(mCsvButton, &QPushButton::clicked, this, &DeviationReportWindow::onCsvClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &DeviationReportWindow::onCloseClicked);

    mPane->fitToWindow();
    display();
}

DeviationReportWindow::~DeviationReportWindow() = default;

void DeviationReportWindow::display()
{
    const GradeData& gd = mSession.gd;
    const DeviationTable table = ComputeDeviationTable(gd);
    const double depth =
        mCurrentClass >= 1 ? DeviationPageDepth(RawScoreClassSize(gd, mCurrentClass)) : 3.0 * classCountOf(gd) + 8;
    mPane->SetCanvasRows(std::max(CanvasRows, int(std::ceil(depth)) + 1));
    PainterCanvas& canvas = mPane->canvas(0);
    canvas.Cls();
    canvas.SetCharacterCells();
    if (mCurrentClass >= 1)
        DrawDeviationPage(canvas, gd, table, mCurrentClass);
    else
        DrawDeviationGradeSheet(canvas, gd, table);
    mPane->Refresh();
}

void DeviationReportWindow::onClassChanged()
{
    const int index = mClassCombo->currentIndex();
    if (index < 0) return;
    mCurrentClass = index < classCountOf(mSession.gd) ? index + 1 : 0;
    mPane->ResetScroll();
    display();
}

void DeviationReportWindow::onPrintClicked()
{
    GradeData& gd = mSession.gd;
    selectClasses();
    QList<int> classes;
    for (int c = 1; c <= classCountOf(gd); ++c)
        if (gd.classSelected[c] == 1) classes.append(c);
    if (classes.isEmpty()) return;
    const bool withGrade = classes.size() == classCountOf(gd);
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, QStringLiteral("偏差値一覧表"));
    if (!printer) return;
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&](PageCanvas& canvas) { return PrintDeviationReport(canvas, gd, classes, withGrade); }, this);
    if (outcome == PrintOutcome::Completed) accept();
}

void DeviationReportWindow::onCsvClicked()
{
    const GradeData& gd = mSession.gd;
    saveCsvRows(DeviationCsvRows(gd, ComputeDeviationTable(gd)), QStringLiteral("偏差値一覧表.csv"));
}

void DeviationReportWindow::onCloseClicked()
{
    reject();
}

} // namespace seiran
