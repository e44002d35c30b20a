#include "RankTableWindow.h"

#include "GradeData.h"
#include "MessageBox.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "ReportCommon.h"
#include "ReportCsv.h"
#include "ReportItemPicker.h"
#include "Session.h"
#include "SpinButton.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>

namespace seiran {

RankTableWindow::RankTableWindow(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("教科別順位表"), parent)
{
    GradeData& gd = mSession.gd;
    mHeadingLabel = makeHeading(QStringLiteral("教科別順位表"), 170);
    mItemCombo = new QComboBox(this);
    mItemCombo->setGeometry(190, 11, 190, 28);
    mItemSpin = new SpinButton(this);
    mItemSpin->setGeometry(384, 8, 24, 34);
    mPageLabel = new QLabel(this);
    mPageLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    mPageLabel->setAlignment(Qt::AlignCenter);
    mPageLabel->setGeometry(424, 11, 64, 28);
    mPageSpin = new SpinButton(this);
    mPageSpin->setGeometry(492, 8, 24, 34);
    mPrintButton = makeButton(QStringLiteral("印刷"), 540);
    mCsvButton = makeButton(QStringLiteral("CSV保存"), 616);
    mCloseButton = makeButton(QStringLiteral("終了"), 692);

    mCurrentItem = 1;
    const Result built = BuildReportItemList(gd);
    if (!built) ShowMessage(built.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    for (int i = 1; i <= gd.itemCount; ++i)
        mItemCombo->addItem(gd.itemCaption[i]);

    mPane =
        new PreviewPane(this, QRect(12, 50, 900, 600), CanvasCount, 120, 54, PreviewFont(gd, 9.0), QPoint(700, 300));

    selectItems = [this] {
        ReportItemPicker picker(mSession, this);
        picker.exec();
    };

    mItemCombo->setCurrentIndex(mCurrentItem - 1);
    connect(mItemCombo, &QComboBox::currentIndexChanged, this, &RankTableWindow::onItemChanged);
    // A choice of the item already shown changes no index; the activation still reports it.
    connect(mItemCombo, &QComboBox::activated, this, &RankTableWindow::onItemActivated);
    connect(mItemSpin, &SpinButton::SpinUp, this, &RankTableWindow::onItemSpinUp);
    connect(mItemSpin, &SpinButton::SpinDown, this, &RankTableWindow::onItemSpinDown);
    connect(mPageSpin, &SpinButton::SpinDown, this, &RankTableWindow::onPageSpinDown);
    connect(mPageSpin, &SpinButton::SpinUp, this, &RankTableWindow::onPageSpinUp);
    connect(mPrintButton, &QPushButton::clicked, this, &RankTableWindow::onPrintClicked);
    connect(mCsvButton, &QPushButton::clicked, this, &RankTableWindow::onCsvClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &RankTableWindow::onCloseClicked);

    mPane->fitToWindow();
    display();
}

RankTableWindow::~RankTableWindow() = default;

void RankTableWindow::display()
{
    const GradeData& gd = mSession.gd;
    PainterCanvas& first = mPane->canvas(0);
    first.SetCharacterCells();
    mGeometry = PreviewRankGeometry(first);
    const RankList list = RankItem(gd, mCurrentItem);
    RankState state = StartRanking(list);
    // The preview has four canvases; at 400 pupils it needs two.
    mLastPage = qMin(RankPageCount(gd, mGeometry) - 1, CanvasCount - 1);
    for (int p = 0; p <= mLastPage; ++p) {
        PainterCanvas& canvas = mPane->canvas(p);
        canvas.SetCharacterCells();
        canvas.Cls();
        DrawRankPage(canvas, gd, mCurrentItem, list, p, mGeometry, state);
    }
    showFirstPage();
    mPane->Refresh();
}

void RankTableWindow::showFirstPage()
{
    mCurrentPage = 0;
    showPage();
    mPane->ResetScroll();
}

void RankTableWindow::showPage()
{
    mPane->BringToFront(mCurrentPage);
    mPageLabel->setText(QStringLiteral("%1/%2").arg(mCurrentPage + 1).arg(mLastPage + 1));
}

void RankTableWindow::onItemChanged()
{
    if (mItemCombo->currentIndex() < 0) return;
    mCurrentItem = mItemCombo->currentIndex() + 1;
    display();
}

void RankTableWindow::onItemActivated()
{
    // A new item has been drawn from its first page already (the index changed first).
    showFirstPage();
}

void RankTableWindow::onItemSpinUp()
{
    if (mCurrentItem < mSession.gd.itemCount) mItemCombo->setCurrentIndex(mCurrentItem); // the combo's handler redraws
}

void RankTableWindow::onItemSpinDown()
{
    if (mCurrentItem >= 2) mItemCombo->setCurrentIndex(mCurrentItem - 2);
}

void RankTableWindow::onPageSpinDown()
{
    if (mCurrentPage < mLastPage) {
        ++mCurrentPage;
        showPage();
    }
}

void RankTableWindow::onPageSpinUp()
{
    if (mCurrentPage > 0) {
        --mCurrentPage;
        showPage();
    }
}

void RankTableWindow::onPrintClicked()
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

void RankTableWindow::onCsvClicked()
{
    QList<int> items;
    for (int i = 1; i <= mSession.gd.itemCount; ++i)
        items << i;
    saveCsvRows(RankCsvRows(mSession.gd, items), QStringLiteral("教科別順位表.csv"));
}

void RankTableWindow::onCloseClicked()
{
    reject();
}

} // namespace seiran
