#include "RawScoreReportWindow.h"

#include "ClassPicker.h"
#include "GradeData.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "RawScoreReport.h"
#include "ReportCommon.h"
#include "ReportCsv.h"
#include "Session.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace seiran {

RawScoreReportWindow::RawScoreReportWindow(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("素点表"), parent)
{
    GradeData& gd = mSession.gd;
    mHeadingLabel = makeHeading(QStringLiteral("素点一覧表"), 180);
    mClassCombo = new QComboBox(this);
    mClassCombo->setGeometry(200, 11, 90, 28);
    mPreviousClassButton = makeButton(QStringLiteral("前組"), 300);
    mNextClassButton = makeButton(QStringLiteral("次組"), 376);
    mPrintButton = makeButton(QStringLiteral("印刷"), 480);
    mCsvButton = makeButton(QStringLiteral("CSV保存"), 556);
    mCloseButton = makeButton(QStringLiteral("終了"), 632);

    mCurrentClass = 1;
    for (int c = 1; c <= qBound(0, gd.classCount, int(Limits::Classes)); ++c)
        mClassCombo->addItem(gd.classLabel(c) + QStringLiteral("組"));
    mClassCombo->setCurrentIndex(mCurrentClass - 1);

    mPane = new PreviewPane(this, QRect(12, 50, 900, 600), 1, 120, CanvasRows, PreviewFont(gd, 9.0), QPoint(640, 300));

    selectClasses = [this] {
        ClassPicker picker(mSession, this);
        picker.exec();
    };

    connect(mClassCombo, &QComboBox::currentIndexChanged, this, &RawScoreReportWindow::onClassChanged);
    // A choice of the class already shown changes no index; the activation still reports it.
    connect(mClassCombo, &QComboBox::activated, this, &RawScoreReportWindow::onClassActivated);
    connect(mNextClassButton, &QPushButton::clicked, this, &RawScoreReportWindow::onNextClassClicked);
    connect(mPreviousClassButton, &QPushButton::clicked, this, &RawScoreReportWindow::onPreviousClassClicked);
    connect(mPrintButton, &QPushButton::clicked, this, &RawScoreReportWindow::onPrintClicked);
    connect(mCsvButton, &QPushButton::clicked, this, &RawScoreReportWindow::onCsvClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &RawScoreReportWindow::onCloseClicked);

    mPane->fitToWindow();
    display();
}

RawScoreReportWindow::~RawScoreReportWindow() = default;

void RawScoreReportWindow::display()
{
    // A class too long for the usual 60 rows gets a taller canvas rather than losing its
    // averages off the bottom.
    const double depth = RawScorePageDepth(RawScoreClassSize(mSession.gd, mCurrentClass));
    mPane->SetCanvasRows(std::max(CanvasRows, int(std::ceil(depth)) + 1));
    PainterCanvas& canvas = mPane->canvas(0);
    canvas.Cls();
    canvas.SetCharacterCells();
    DrawRawScorePage(canvas, mSession.gd, mCurrentClass);
    mPane->Refresh();
}

void RawScoreReportWindow::onClassChanged()
{
    if (mClassCombo->currentIndex() < 0) return;
    mCurrentClass = mClassCombo->currentIndex() + 1;
    display();
}

void RawScoreReportWindow::onClassActivated()
{
    mPane->ResetScroll();
}

void RawScoreReportWindow::onNextClassClicked()
{
    if (mCurrentClass < mSession.gd.classCount)
        mClassCombo->setCurrentIndex(mCurrentClass); // the combo's handler redraws
}

void RawScoreReportWindow::onPreviousClassClicked()
{
    if (mCurrentClass > 1) mClassCombo->setCurrentIndex(mCurrentClass - 2);
}

void RawScoreReportWindow::onPrintClicked()
{
    GradeData& gd = mSession.gd;
    // First which classes, then where: nothing chosen starts no job and leaves the window open.
    selectClasses();
    QList<int> classes;
    for (int c = 1; c <= qBound(0, gd.classCount, int(Limits::Classes)); ++c)
        if (gd.classSelected[c] == 1) classes.append(c);
    if (classes.isEmpty()) return;
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, QStringLiteral("素点一覧表"));
    if (!printer) return;
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&](PageCanvas& canvas) { return PrintRawScoreClasses(canvas, gd, classes); }, this);
    if (outcome == PrintOutcome::Completed) accept();
}

void RawScoreReportWindow::onCsvClicked()
{
    saveCsvRows(RawScoreCsvRows(mSession.gd), QStringLiteral("素点一覧表.csv"));
}

void RawScoreReportWindow::onCloseClicked()
{
    reject();
}

} // namespace seiran
