#include "DistributionGraphWindow.h"

#include "Clipboard.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "RankReport.h"
#include "ReportCommon.h"
#include "ReportItemPicker.h"
#include "Session.h"
#include "SpinButton.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>

namespace seiran {

namespace {
constexpr double PreviewPointSize = 9.75;
constexpr int DotsPerMeter96 = 3780; // 96 dpi, the preview's resolution

} // namespace

DistributionGraphWindow::DistributionGraphWindow(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("度数分布グラフ"), parent)
{
    GradeData& gd = mSession.gd;
    mHeadingLabel = makeHeading(QStringLiteral("度数分布グラフ"), 160);
    mItemCombo = new QComboBox(this);
    mItemCombo->setGeometry(180, 11, 200, 28);
    mItemSpin = new SpinButton(this);
    mItemSpin->setGeometry(384, 8, 24, 34);
    mRedrawButton = makeButton(QStringLiteral("再表示"), 430);
    mCopyButton = makeButton(QStringLiteral("コピー"), 506);
    mPrintButton = makeButton(QStringLiteral("印刷"), 582);
    mCloseButton = makeButton(QStringLiteral("終了"), 658);

    mSettings = GraphSettings();
    mSettingsBoxes.build(this, QRect(12, 46, 192, 54), QRect(212, 46, 192, 54), mSettings);
    mFiftyButton = makeButton(QStringLiteral("５０点"), 430);
    mFiftyButton->move(430, 62);
    mHundredButton = makeButton(QStringLiteral("１００点"), 506);
    mHundredButton->move(506, 62);

    const Result built = BuildReportItemList(gd);
    if (!built) ShowMessage(built.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    for (int i = 1; i <= gd.itemCount; ++i)
        mItemCombo->addItem(gd.itemCaption[i]);

    mPane = new PreviewPane(this, QRect(12, 108, 900, 600), 1, CanvasColumns, CanvasRows,
                            PreviewFont(gd, PreviewPointSize), QPoint(760, 300));

    selectItems = [this] {
        ReportItemPicker picker(mSession, this);
        picker.exec();
    };

    connect(mItemCombo, &QComboBox::currentIndexChanged, this, &DistributionGraphWindow::onItemChanged);
    connect(mItemSpin, &SpinButton::SpinUp, this, &DistributionGraphWindow::onItemSpinUp);
    connect(mItemSpin, &SpinButton::SpinDown, this, &DistributionGraphWindow::onItemSpinDown);
    for (QLineEdit* edit : {mSettingsBoxes.totalMaximum, mSettingsBoxes.totalBand, mSettingsBoxes.subjectMaximum,
                            mSettingsBoxes.subjectBand})
        connect(edit, &QLineEdit::textChanged, this, &DistributionGraphWindow::onSettingEdited);
    connect(mFiftyButton, &QPushButton::clicked, this, &DistributionGraphWindow::onFiftyClicked);
    connect(mHundredButton, &QPushButton::clicked, this, &DistributionGraphWindow::onHundredClicked);
    connect(mRedrawButton, &QPushButton::clicked, this, &DistributionGraphWindow::onRedrawClicked);
    connect(mCopyButton, &QPushButton::clicked, this, &DistributionGraphWindow::onCopyClicked);
    connect(mPrintButton, &QPushButton::clicked, this, &DistributionGraphWindow::onPrintClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &DistributionGraphWindow::onCloseClicked);

    mPane->fitToWindow();
    mCurrentItem = 1;
    if (gd.itemCount > 0) mItemCombo->setCurrentIndex(0);
    display();
}

DistributionGraphWindow::~DistributionGraphWindow() = default;

bool DistributionGraphWindow::settingsUsable()
{
    const Result r = CheckGraphSettings(mSettings);
    if (!r) ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    return r.ok;
}

void DistributionGraphWindow::display()
{
    const GradeData& gd = mSession.gd;
    PainterCanvas& canvas = mPane->canvas(0);
    canvas.SetCharacterCells();
    canvas.Cls();
    if (CheckGraphSettings(mSettings) && mCurrentItem >= 1 && mCurrentItem <= gd.itemCount) {
        // A graph of many bands makes the canvas taller so that none is cut off; a short one
        // brings it back to its usual height.
        const int rows =
            std::max(CanvasRows, TopBand(mSettings.maximum(mCurrentItem), mSettings.band(mCurrentItem)) + 6);
        if (rows != mPane->canvasRows()) {
            mPane->SetCanvasRows(rows);
            canvas.SetCharacterCells();
            canvas.Cls();
        }
        MakeGraph(canvas, gd, mSettings, mCurrentItem, 1, 1);
    }
    mPane->Refresh();
}

void DistributionGraphWindow::onItemChanged()
{
    if (mItemCombo->currentIndex() < 0) return;
    mCurrentItem = mItemCombo->currentIndex() + 1;
    if (settingsUsable()) display();
}

void DistributionGraphWindow::onItemSpinUp()
{
    if (mCurrentItem < mSession.gd.itemCount) mItemCombo->setCurrentIndex(mCurrentItem); // redraws
}

void DistributionGraphWindow::onItemSpinDown()
{
    if (mCurrentItem >= 2) mItemCombo->setCurrentIndex(mCurrentItem - 2);
}

void DistributionGraphWindow::onSettingEdited()
{
    // The settings follow the text boxes; the graph waits for "再表示".
    mSettings = mSettingsBoxes.read();
}

void DistributionGraphWindow::applyPreset(const GraphSettings& preset)
{
    mSettingsBoxes.show(preset);
    display();
}

void DistributionGraphWindow::onFiftyClicked()
{
    applyPreset(GraphSettings::FiftyPoints());
}

void DistributionGraphWindow::onHundredClicked()
{
    applyPreset(GraphSettings::HundredPoints());
}

void DistributionGraphWindow::onRedrawClicked()
{
    if (settingsUsable()) display();
}

void DistributionGraphWindow::onCopyClicked()
{
    if (!settingsUsable()) return;
    const QSize viewport = mPane->viewportInside()->size();
    mClipPicture = QImage(viewport * 4, QImage::Format_RGB32);
    mClipPicture.setDotsPerMeterX(DotsPerMeter96);
    mClipPicture.setDotsPerMeterY(DotsPerMeter96);
    {
        PainterCanvas clip(&mClipPicture, PreviewFont(mSession.gd, PreviewPointSize));
        clip.SetCharacterCells();
        clip.Cls();
        MakeGraph2(clip, mSession.gd, mSettings, mCurrentItem, 1, 1);
        clip.finish();
    }
    PutPictureOnClipboard(mClipPicture);
    mPane->mCanvases.first()->setFocus();
}

void DistributionGraphWindow::onPrintClicked()
{
    GradeData& gd = mSession.gd;
    if (!settingsUsable()) return;
    // First which items, then where: nothing chosen starts no job and leaves the window open.
    selectItems();
    QList<int> items;
    for (int i = 1; i <= gd.itemCount; ++i)
        if (gd.itemSelected[i] == 1) items.append(i);
    if (items.isEmpty()) return;
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, QStringLiteral("度数分布グラフ"));
    if (!printer) return;
    QStringList skipped;
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd,
        [&](PageCanvas& canvas) {
            const GraphPrintResult result = PrintDistributionGraphs(canvas, gd, mSettings, items);
            skipped = result.skipped;
            return result.sheets;
        },
        this);
    if (!skipped.isEmpty())
        ShowMessage(SkippedGraphsText(skipped), MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
    if (outcome == PrintOutcome::Completed) accept();
}

void DistributionGraphWindow::onCloseClicked()
{
    reject();
}

} // namespace seiran
