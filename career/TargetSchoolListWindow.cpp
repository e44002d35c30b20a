#include "TargetSchoolListWindow.h"

#include "CareerListWindow.h"
#include "ClassBoxFrame.h"
#include "GradeData.h"
#include "PageCanvas.h"
#include "PrintTarget.h"
#include "Session.h"
#include "TargetSchoolLists.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace seiran {

TargetSchoolListWindow::TargetSchoolListWindow(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("志望校・内申点一覧表　表示・印刷"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    mClassSheetBox = new QCheckBox(QStringLiteral("クラス別　進路希望・内申点 一覧表"), this);
    mPointTableBox = new QCheckBox(QStringLiteral("内申点別人数一覧表"), this);
    mApplicantBox = new QCheckBox(QStringLiteral("志望校別人数一覧"), this);
    for (QCheckBox* box : {mClassSheetBox, mPointTableBox, mApplicantBox})
        box->setChecked(true);
    mClassFrame = new ClassBoxFrame(session.gd, this);
    mPrintButton = new QPushButton(QStringLiteral("印刷"), this);
    mListButton = new QPushButton(QStringLiteral("一覧表示"), this);
    mCancelButton = new QPushButton(QStringLiteral("中止"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mPrintButton);
    buttons->addWidget(mListButton);
    buttons->addStretch();
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mClassSheetBox);
    layout->addWidget(mPointTableBox);
    layout->addWidget(mApplicantBox);
    layout->addSpacing(6);
    layout->addWidget(mClassFrame);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(mPrintButton, &QPushButton::clicked, this, &TargetSchoolListWindow::onPrintClicked);
    connect(mListButton, &QPushButton::clicked, this, &TargetSchoolListWindow::onListClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TargetSchoolListWindow::onPrintClicked()
{
    TargetSchoolSelection selection;
    selection.classSheets = mClassSheetBox->isChecked();
    selection.pointTable = mPointTableBox->isChecked();
    selection.applicants = mApplicantBox->isChecked();
    selection.classes = mClassFrame->tickedClasses();
    // Nothing to print: no dialog, no message, the screen stays.
    if (!(selection.classSheets && !selection.classes.isEmpty()) && !selection.pointTable && !selection.applicants)
        return;
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, windowTitle());
    if (!printer) return;
    const GradeData& gd = mSession.gd;
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&gd, &selection](PageCanvas& canvas) { return PrintTargetSchoolLists(canvas, gd, selection); },
        this);
    if (outcome == PrintOutcome::Completed) accept();
}

void TargetSchoolListWindow::onListClicked()
{
    CareerListWindow list(mSession, this);
    list.exec();
}

} // namespace seiran
