#include "frmPrintSoten.h"

#include "GradeData.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "ReportCommon.h"
#include "Session.h"
#include "SotenReport.h"
#include "frmSelectClass.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace seiran {

frmPrintSoten::frmPrintSoten(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("素点表"), parent)
{
    GradeData& gd = mSession.gd;
    Label1 = makeHeading(QStringLiteral("素点一覧表"), 180);
    Combo_class = new QComboBox(this);
    Combo_class->setGeometry(200, 11, 90, 28);
    Command2 = makeButton(QStringLiteral("前組"), 300);
    Command1 = makeButton(QStringLiteral("次組"), 376);
    Command3 = makeButton(QStringLiteral("印刷"), 480);
    Command4 = makeButton(QStringLiteral("終了"), 556);

    mCurrentClass = 1;
    for (int c = 1; c <= qBound(0, gd.classCount, int(Limits::Classes)); ++c)
        Combo_class->addItem(gd.classLabel(c) + QStringLiteral("組"));
    Combo_class->setCurrentIndex(mCurrentClass - 1);

    pane = new PreviewPane(this, QRect(12, 50, 900, 600), 1, 120, CanvasRows, PreviewFont(gd, 9.0), QPoint(640, 300));

    selectClasses = [this] {
        frmSelectClass picker(mSession, this);
        picker.exec();
    };

    connect(Combo_class, &QComboBox::currentIndexChanged, this, &frmPrintSoten::Combo_class_Click);
    connect(Command1, &QPushButton::clicked, this, &frmPrintSoten::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmPrintSoten::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmPrintSoten::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmPrintSoten::Command4_Click);

    pane->Form_Resize();
    display();
}

frmPrintSoten::~frmPrintSoten() = default;

void frmPrintSoten::display()
{
    // A class too long for the usual 60 rows gets a taller canvas rather than losing its
    // averages off the bottom.
    const double depth = SotenPageDepth(SotenClassSize(mSession.gd, mCurrentClass));
    pane->SetCanvasRows(std::max(CanvasRows, int(std::ceil(depth)) + 1));
    PainterCanvas& canvas = pane->canvas(0);
    canvas.Cls();
    canvas.SetCharacterCells();
    DrawSotenPage(canvas, mSession.gd, mCurrentClass);
    pane->Refresh();
}

void frmPrintSoten::Combo_class_Click()
{
    if (Combo_class->currentIndex() < 0) return;
    mCurrentClass = Combo_class->currentIndex() + 1;
    display();
}

void frmPrintSoten::Command1_Click()
{
    if (mCurrentClass < mSession.gd.classCount)
        Combo_class->setCurrentIndex(mCurrentClass); // the combo's handler redraws
}

void frmPrintSoten::Command2_Click()
{
    if (mCurrentClass > 1) Combo_class->setCurrentIndex(mCurrentClass - 2);
}

void frmPrintSoten::Command3_Click()
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
        *printer, gd, [&](PageCanvas& canvas) { return PrintSotenClasses(canvas, gd, classes); }, this);
    if (outcome == PrintOutcome::Completed) accept();
}

void frmPrintSoten::Command4_Click()
{
    reject();
}

} // namespace seiran
