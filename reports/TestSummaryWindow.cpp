#include "TestSummaryWindow.h"

#include "ClassPupilPicker.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "PainterCanvas.h"
#include "PreviewPane.h"
#include "PrintTarget.h"
#include "RankReport.h"
#include "ReportCommon.h"
#include "Session.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

namespace seiran {

namespace {
constexpr double PreviewPointSize = 10.0;

} // namespace

TestSummaryWindow::TestSummaryWindow(Session& session, QWidget* parent)
    : ReportWindow(session, QStringLiteral("テストのまとめ（生徒配布用資料）"), parent)
{
    GradeData& gd = mSession.gd;
    mHeadingLabel = makeHeading(QStringLiteral("テストのまとめ（生徒配布資料）"), 330);
    mRedrawButton = makeButton(QStringLiteral("再表示"), 360);
    mPrintButton = makeButton(QStringLiteral("印刷"), 436);
    mEachPrintButton = makeButton(QStringLiteral("個別印刷"), 512);
    mCloseButton = makeButton(QStringLiteral("終了"), 588);

    const HandoutTitles initial = DefaultHandoutTitles(gd, ReportClockNow().date());
    auto* title1Label = new QLabel(QStringLiteral("タイトル１"), this);
    title1Label->setGeometry(12, 48, 70, 24);
    mTitle1Edit = new QLineEdit(initial.first, this);
    mTitle1Edit->setGeometry(84, 48, 330, 24);
    auto* title2Label = new QLabel(QStringLiteral("タイトル２"), this);
    title2Label->setGeometry(12, 76, 70, 24);
    mTitle2Edit = new QLineEdit(initial.second, this);
    mTitle2Edit->setGeometry(84, 76, 330, 24);

    mOrientationFrame = new QGroupBox(QStringLiteral("用紙の向き"), this);
    mOrientationFrame->setGeometry(424, 44, 96, 60);
    mPortraitRadio = new QRadioButton(QStringLiteral("縦置き"), mOrientationFrame);
    mPortraitRadio->setGeometry(8, 18, 80, 20);
    mLandscapeRadio = new QRadioButton(QStringLiteral("横置き"), mOrientationFrame);
    mLandscapeRadio->setGeometry(8, 38, 80, 20);
    mPortraitRadio->setChecked(true);

    mSettings = GraphSettings();
    mSettingsBoxes.build(this, QRect(528, 44, 192, 60), QRect(728, 44, 192, 60), mSettings);
    mFiftyButton = makeButton(QStringLiteral("５０点"), 664);
    mHundredButton = makeButton(QStringLiteral("１００点"), 740);

    const Result built = BuildReportItemList(gd);
    if (!built) ShowMessage(built.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);

    const QSizeF sheet = SheetCells(previewLayout());
    mPane = new PreviewPane(this, QRect(12, 112, 900, 600), 1, int(std::floor(sheet.width())),
                            int(std::floor(sheet.height())), CanvasFont{gd.fontMincho, PreviewPointSize, false},
                            QPoint(760, 300));

    selectPupils = [this] {
        ClassPupilPicker picker(mSession, this);
        picker.exec();
    };

    connect(mPortraitRadio, &QRadioButton::toggled, this, &TestSummaryWindow::onOrientationChanged);
    for (QLineEdit* edit : {mSettingsBoxes.totalMaximum, mSettingsBoxes.totalBand, mSettingsBoxes.subjectMaximum,
                            mSettingsBoxes.subjectBand})
        connect(edit, &QLineEdit::textChanged, this, &TestSummaryWindow::onSettingEdited);
    connect(mFiftyButton, &QPushButton::clicked, this, &TestSummaryWindow::onFiftyClicked);
    connect(mHundredButton, &QPushButton::clicked, this, &TestSummaryWindow::onHundredClicked);
    connect(mRedrawButton, &QPushButton::clicked, this, &TestSummaryWindow::onRedrawClicked);
    connect(mPrintButton, &QPushButton::clicked, this, &TestSummaryWindow::onPrintClicked);
    connect(mEachPrintButton, &QPushButton::clicked, this, &TestSummaryWindow::onEachPrintClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &TestSummaryWindow::onCloseClicked);

    mPane->fitToWindow();
    display();
}

TestSummaryWindow::~TestSummaryWindow() = default;

HandoutTitles TestSummaryWindow::titles() const
{
    return HandoutTitles{mTitle1Edit->text(), mTitle2Edit->text()};
}

bool TestSummaryWindow::landscape() const
{
    return mLandscapeRadio->isChecked();
}

QPageLayout TestSummaryWindow::previewLayout() const
{
    const QPageLayout::Orientation orientation = landscape() ? QPageLayout::Landscape : QPageLayout::Portrait;
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return PrintableAreaPaperLayout(orientation);
    QPrinter printer(info, QPrinter::HighResolution);
    QPageLayout layout = printer.pageLayout();
    layout.setOrientation(orientation);
    return layout;
}

void TestSummaryWindow::fitCanvasToSheet()
{
    const QSizeF sheet = SheetCells(previewLayout());
    mPane->SetCanvasCells(int(std::floor(sheet.width())), int(std::floor(sheet.height())));
}

void TestSummaryWindow::display()
{
    PainterCanvas& canvas = mPane->canvas(0);
    canvas.SetCharacterCells();
    canvas.Cls();
    if (CheckGraphSettings(mSettings)) {
        canvas.SetFont(CanvasFont{mSession.gd.fontMincho, PreviewPointSize, false});
        if (landscape())
            matome2(canvas, mSession.gd, mSettings, titles(), 0);
        else
            matome1(canvas, mSession.gd, mSettings, titles(), 0);
    }
    mPane->Refresh();
}

void TestSummaryWindow::onOrientationChanged()
{
    fitCanvasToSheet();
    mPane->ResetScroll();
    display();
}

void TestSummaryWindow::onSettingEdited()
{
    mSettings = mSettingsBoxes.read();
}

void TestSummaryWindow::applyPreset(const GraphSettings& preset)
{
    mSettingsBoxes.show(preset);
    display();
}

void TestSummaryWindow::onFiftyClicked()
{
    applyPreset(GraphSettings::FiftyPoints());
}

void TestSummaryWindow::onHundredClicked()
{
    applyPreset(GraphSettings::HundredPoints());
}

void TestSummaryWindow::onRedrawClicked()
{
    if (const Result r = CheckGraphSettings(mSettings); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    display();
}

bool TestSummaryWindow::printHandout(const QList<int>& pupils)
{
    const GradeData& gd = mSession.gd;
    const bool across = landscape();
    const QPageLayout::Orientation orientation = across ? QPageLayout::Landscape : QPageLayout::Portrait;
    std::unique_ptr<QPrinter> printer =
        ChoosePrinter(this, QStringLiteral("テストのまとめ"), PrintableAreaPaperLayout(orientation));
    if (!printer) return false;
    // The graphs of the first sheet must stay on the sheet of this printer.
    QPageLayout sheet = printer->pageLayout();
    sheet.setOrientation(orientation);
    if (const Result r = CheckHandoutFits(gd, mSettings, SheetCells(sheet).height(), across); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return false;
    }
    const HandoutTitles text = titles();
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&](PageCanvas& canvas) { return PrintHandout(canvas, gd, mSettings, text, across, pupils); },
        this);
    return outcome == PrintOutcome::Completed;
}

void TestSummaryWindow::onPrintClicked()
{
    if (const Result r = CheckGraphSettings(mSettings); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    if (printHandout({})) accept();
}

void TestSummaryWindow::onEachPrintClicked()
{
    GradeData& gd = mSession.gd;
    if (const Result r = CheckGraphSettings(mSettings); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    gd.studentSelected.fill(false);
    selectPupils();
    QList<int> pupils;
    for (int s = 1; s <= gd.studentCount; ++s)
        if (gd.studentSelected[s]) pupils.append(s);
    // Nobody chosen (or the picker cancelled): nothing is printed and the window stays.
    if (pupils.isEmpty()) return;
    if (printHandout(pupils)) accept();
}

void TestSummaryWindow::onCloseClicked()
{
    reject();
}

} // namespace seiran
