#include "frmPrintJun.h"

#include "GradeData.h"
#include "MessageBox.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "ReportCommon.h"
#include "Session.h"
#include "SpinButton.h"
#include "frmSelectKyoka.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>

namespace seiran {

frmPrintJun::frmPrintJun(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("教科別順位表"), parent)
{
    GradeData& gd = mSession.gd;
    Label1 = makeHeading(QStringLiteral("教科別順位表"), 170);
    Combo_Kyoka = new QComboBox(this);
    Combo_Kyoka->setGeometry(190, 11, 190, 28);
    SpinButton2 = new SpinButton(this);
    SpinButton2->setGeometry(384, 8, 24, 34);
    labPage = new QLabel(this);
    labPage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    labPage->setAlignment(Qt::AlignCenter);
    labPage->setGeometry(424, 11, 64, 28);
    SpinButton1 = new SpinButton(this);
    SpinButton1->setGeometry(492, 8, 24, 34);
    Command3 = makeButton(QStringLiteral("印刷"), 540);
    Command4 = makeButton(QStringLiteral("終了"), 616);

    mCurrentItem = 1;
    const Result built = BuildReportItemList(gd);
    if (!built) ShowMessage(built.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    for (int i = 1; i <= gd.itemCount; ++i)
        Combo_Kyoka->addItem(gd.itemCaption[i]);

    pane = new PreviewPane(this, QRect(12, 50, 900, 600), CanvasCount, 120, 54, PreviewFont(gd, 9.0), QPoint(700, 300));

    selectItems = [this] {
        frmSelectKyoka picker(mSession, this);
        picker.exec();
    };

    Combo_Kyoka->setCurrentIndex(mCurrentItem - 1);
    connect(Combo_Kyoka, &QComboBox::currentIndexChanged, this, &frmPrintJun::Combo_Kyoka_Click);
    connect(SpinButton2, &SpinButton::SpinUp, this, &frmPrintJun::SpinButton2_SpinUp);
    connect(SpinButton2, &SpinButton::SpinDown, this, &frmPrintJun::SpinButton2_SpinDown);
    connect(SpinButton1, &SpinButton::SpinDown, this, &frmPrintJun::SpinButton1_SpinDown);
    connect(SpinButton1, &SpinButton::SpinUp, this, &frmPrintJun::SpinButton1_SpinUp);
    connect(Command3, &QPushButton::clicked, this, &frmPrintJun::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmPrintJun::Command4_Click);

    pane->Form_Resize();
    display();
}

frmPrintJun::~frmPrintJun() = default;

void frmPrintJun::display()
{
    const GradeData& gd = mSession.gd;
    PainterCanvas& first = pane->canvas(0);
    first.SetCharacterCells();
    mGeometry = PreviewRankGeometry(first);
    const RankList list = RankItem(gd, mCurrentItem);
    RankState state = StartRanking(list);
    // The preview has four canvases; at 400 pupils it needs two.
    mLastPage = qMin(RankPageCount(gd, mGeometry) - 1, CanvasCount - 1);
    for (int p = 0; p <= mLastPage; ++p) {
        PainterCanvas& canvas = pane->canvas(p);
        canvas.SetCharacterCells();
        canvas.Cls();
        DrawRankPage(canvas, gd, mCurrentItem, list, p, mGeometry, state);
    }
    mCurrentPage = 0;
    showPage();
    pane->ResetScroll();
    pane->Refresh();
}

void frmPrintJun::showPage()
{
    pane->BringToFront(mCurrentPage);
    labPage->setText(QStringLiteral("%1/%2").arg(mCurrentPage + 1).arg(mLastPage + 1));
}

void frmPrintJun::Combo_Kyoka_Click()
{
    if (Combo_Kyoka->currentIndex() < 0) return;
    mCurrentItem = Combo_Kyoka->currentIndex() + 1;
    display();
}

void frmPrintJun::SpinButton2_SpinUp()
{
    if (mCurrentItem < mSession.gd.itemCount) Combo_Kyoka->setCurrentIndex(mCurrentItem); // the combo's handler redraws
}

void frmPrintJun::SpinButton2_SpinDown()
{
    if (mCurrentItem >= 2) Combo_Kyoka->setCurrentIndex(mCurrentItem - 2);
}

void frmPrintJun::SpinButton1_SpinDown()
{
    if (mCurrentPage < mLastPage) {
        ++mCurrentPage;
        showPage();
    }
}

void frmPrintJun::SpinButton1_SpinUp()
{
    if (mCurrentPage > 0) {
        --mCurrentPage;
        showPage();
    }
}

void frmPrintJun::Command3_Click()
{
    GradeData& gd = mSession.gd;
    // First which items, then where: nothing chosen starts no job and leaves the window open.
    selectItems();
    QList<int> items;
    for (int i = 1; i <= gd.itemCount; ++i)
        if (gd.itemSelected[i] == 1) items.append(i);
    if (items.isEmpty()) return;
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, QStringLiteral("教科別順位表"));
    if (!printer) return;
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&](PageCanvas& canvas) { return PrintRankItems(canvas, gd, items); }, this);
    if (outcome == PrintOutcome::Completed) accept();
}

void frmPrintJun::Command4_Click()
{
    reject();
}

} // namespace seiran
