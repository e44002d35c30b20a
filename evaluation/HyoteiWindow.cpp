#include "HyoteiWindow.h"

#include "FlexGrid.h"
#include "GradeData.h"
#include "GridWindow.h"
#include "HyoteiPrint.h"
#include "MessageBox.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ScoreCells.h"
#include "Session.h"
#include "WindowSize.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace seiran {

namespace {
// Background of the level and total of a pupil whose total is shared across a level boundary.
const QColor SplitTieColor(0xFF, 0xDC, 0xA8);

QPushButton* makeButton(const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The window's own status bar and progress bar while the lists are printed.
class StatusProgress final : public IProgress
{
public:
    StatusProgress(QLabel* label, QProgressBar* bar) : mLabel(label), mBar(bar) {}
    void setStatusText(const QString& text) override { mLabel->setText(text); }
    void setMaximum(int maximum) override { mBar->setMaximum(std::max(1, maximum)); }
    void setValue(int value) override { mBar->setValue(value); }
    void setVisible(bool visible) override { mBar->setVisible(visible); }

private:
    QLabel* mLabel;
    QProgressBar* mBar;
};
} // namespace

HyoteiWindow::HyoteiWindow(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    GradeData& gd = session.gd;
    setWindowTitle(QStringLiteral("評定の算出と印刷"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    mCaptionLabel = new QLabel(HyoteiCaption(gd), this);
    QFont captionFont = mCaptionLabel->font();
    captionFont.setPointSize(12);
    captionFont.setBold(true);
    mCaptionLabel->setFont(captionFont);

    mGrid = new FlexGrid(this);
    mGrid->setWheelScrolls(false);
    mDistributionGrid = new FlexGrid(this);
    mDistributionGrid->hide();

    auto* viewFrame = new QGroupBox(QStringLiteral("表示設定"), this);
    auto* viewLayout = new QHBoxLayout(viewFrame);
    mScoreOrderOption = new QRadioButton(QStringLiteral("点数順"), viewFrame);
    mNumberOrderOption = new QRadioButton(QStringLiteral("出席番号順"), viewFrame);
    mDistributionOption = new QRadioButton(QStringLiteral("人数分布"), viewFrame);
    for (QRadioButton* option : {mScoreOrderOption, mNumberOrderOption, mDistributionOption}) {
        option->setFocusPolicy(Qt::NoFocus);
        viewLayout->addWidget(option);
    }
    mScoreOrderOption->setChecked(true);

    auto* printFrame = new QGroupBox(QStringLiteral("印刷設定"), this);
    auto* printLayout = new QVBoxLayout(printFrame);
    mScoreListCheck = new QCheckBox(QStringLiteral("点数順評定・素点表"), printFrame);
    mNumberListCheck = new QCheckBox(QStringLiteral("出席番号順評定・素点"), printFrame);
    mClassListCheck = new QCheckBox(QStringLiteral("クラス別評定一覧（転記用）"), printFrame);
    mDistributionCheck = new QCheckBox(QStringLiteral("人数分布"), printFrame);
    for (QCheckBox* check : {mScoreListCheck, mNumberListCheck, mClassListCheck, mDistributionCheck}) {
        check->setFocusPolicy(Qt::NoFocus);
        printLayout->addWidget(check);
    }
    mScoreListCheck->setChecked(true);
    mClassListCheck->setChecked(true);
    mDistributionCheck->setChecked(true);

    mPrintButton = makeButton(QStringLiteral("印刷"), this);
    mCopyButton = makeButton(QStringLiteral("Copy"), this);
    mNameCopyButton = makeButton(QStringLiteral("名Copy"), this);
    mCloseButton = makeButton(QStringLiteral("終了"), this);

    mStatusBar = new QStatusBar(this);
    mStatusBar->setSizeGripEnabled(false);
    mStatusLabel = new QLabel(mStatusBar);
    mStatusLabel->setMinimumWidth(160);
    mStatusBar->addWidget(mStatusLabel);
    mProgressBar = new QProgressBar(mStatusBar);
    mProgressBar->setTextVisible(false);
    mStatusBar->addWidget(mProgressBar, 1);
    mProgressBar->hide();
    mTieLabel = new QLabel(mStatusBar);
    mStatusBar->addPermanentWidget(mTieLabel);

    mMinSizeLabel = new QLabel(QStringLiteral("MinSize"), this);
    mMinSizeLabel->hide();
    mMinSizeLabel->move(640, 420);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(mPrintButton);
    buttons->addWidget(mCopyButton);
    buttons->addWidget(mNameCopyButton);
    buttons->addStretch(1);
    buttons->addWidget(mCloseButton);
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(mCaptionLabel);
    left->addWidget(viewFrame);
    left->addStretch(1);
    top->addLayout(left, 1);
    top->addWidget(printFrame);
    top->addLayout(buttons);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(mGrid, 1);
    main->addWidget(mDistributionGrid, 1);
    main->addWidget(mStatusBar);
    setMinimumSize(mMinSizeLabel->x(), mMinSizeLabel->y());

    connect(mScoreOrderOption, &QRadioButton::toggled, this, &HyoteiWindow::onViewChanged);
    connect(mNumberOrderOption, &QRadioButton::toggled, this, &HyoteiWindow::onViewChanged);
    connect(mDistributionOption, &QRadioButton::toggled, this, &HyoteiWindow::onViewChanged);
    connect(mGrid, &FlexGrid::keyPress, this, &HyoteiWindow::onGridKeyPress);
    connect(mGrid, &FlexGrid::doubleClicked, this, &HyoteiWindow::onGridDoubleClicked);
    connect(mGrid, &FlexGrid::wheel, this, &HyoteiWindow::onGridWheel);
    connect(mDistributionGrid, &FlexGrid::keyPress, this, [this](int key) {
        if (key == 3) onCopyClicked();
    });
    connect(mPrintButton, &QPushButton::clicked, this, &HyoteiWindow::onPrintClicked);
    connect(mCopyButton, &QPushButton::clicked, this, &HyoteiWindow::onCopyClicked);
    connect(mNameCopyButton, &QPushButton::clicked, this, &HyoteiWindow::onNameCopyClicked);
    connect(mCloseButton, &QPushButton::clicked, this, &HyoteiWindow::onCloseClicked);

    // The evaluation itself, with the main window's status and progress.
    EvaluationOutcome outcome = ComputeEvaluation(gd, session.progress);
    if (!outcome.result) {
        ShowMessage(outcome.result.message, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), parent);
        return;
    }
    mRun = std::move(outcome.run);
    display();
    // Every column of the list (the chosen tests included) in view.
    ResizeToLayout(this);
}

HyoteiWindow::~HyoteiWindow() = default;

void HyoteiWindow::display()
{
    if (!mRun) return;
    if (mDistributionOption->isChecked()) {
        mGrid->hide();
        fillDistribution();
        mDistributionGrid->show();
    } else {
        mOrder = mNumberOrderOption->isChecked() ? HyoteiOrder::Number : HyoteiOrder::Score;
        mDistributionGrid->hide();
        fillList();
        mGrid->show();
        mGrid->setFocus();
    }
}

void HyoteiWindow::fillList()
{
    const QList<QStringList> table = HyoteiListTable(mSession.gd, *mRun, mOrder);
    const int cols = int(table.first().size());
    mGrid->setRows(int(table.size()));
    mGrid->setCols(cols);
    mGrid->setFixedRows(2);
    mGrid->setFixedCols(4);
    for (int r = 0; r < table.size(); ++r)
        for (int c = 0; c < cols; ++c)
            mGrid->setTextMatrix(r, c, table[r][c]);
    const int standard = MeasuredColWidth(mGrid, QStringLiteral("1234567"));
    for (int c = 0; c < cols; ++c) {
        int width = standard;
        if (c == HyoteiCol::Class || c == HyoteiCol::Number || c == HyoteiCol::Mark)
            width = MeasuredColWidth(mGrid, QStringLiteral("1234"));
        else if (c == HyoteiCol::Name)
            width = MeasuredColWidth(mGrid, QStringLiteral("12346578901324567"));
        else if (c == HyoteiCol::Sex)
            width = MeasuredColWidth(mGrid, QStringLiteral("123"));
        else if (c == HyoteiCol::Level)
            width = MeasuredColWidth(mGrid, QStringLiteral("123456"));
        mGrid->setColWidth(c, width);
        mGrid->setColAlignment(c, c == HyoteiCol::Name ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    }
    if (mGrid->Rows() > 2) {
        mGrid->setRow(2);
        mGrid->setCol(HyoteiCol::Level);
        mGrid->setTopRow(2);
    }
    markSplitTies();
}

void HyoteiWindow::markSplitTies()
{
    mSplitTies = SplitTiePupils(*mRun);
    for (int row = 2; row < mGrid->Rows(); ++row) {
        const int p = pupilOfRow(row);
        const bool split = p >= 1 && p < mSplitTies.size() && mSplitTies[p];
        for (int col : {HyoteiCol::Level, HyoteiCol::Total}) {
            mGrid->setCellBackColor(row, col, split ? SplitTieColor : QColor());
            mGrid->setCellToolTip(row, col, split ? SplitTieToolTip() : QString());
        }
    }
    mTieLabel->setText(SplitTieStatusText(SplitTieCount(mSplitTies)));
}

void HyoteiWindow::fillDistribution()
{
    const QList<QStringList> table = HyoteiDistributionTable(mSession.gd, *mRun);
    const int cols = int(table.first().size());
    mDistributionGrid->setRows(int(table.size()));
    mDistributionGrid->setCols(cols);
    mDistributionGrid->setFixedRows(1);
    mDistributionGrid->setFixedCols(1);
    for (int r = 0; r < table.size(); ++r)
        for (int c = 0; c < cols; ++c)
            mDistributionGrid->setTextMatrix(r, c, table[r][c]);
    mDistributionGrid->setAllColWidths(MeasuredColWidth(mDistributionGrid, QStringLiteral("123456")));
    for (int c = 0; c < cols; ++c)
        mDistributionGrid->setColAlignment(c, Qt::AlignCenter);
}

int HyoteiWindow::pupilOfRow(int row) const
{
    return mRun ? HyoteiPupilOfRow(*mRun, mOrder, row) : 0;
}

void HyoteiWindow::onViewChanged()
{
    // Each toggle comes in pairs (one off, one on); redraw once the new one is on.
    if (auto* option = qobject_cast<QRadioButton*>(sender()); option && !option->isChecked()) return;
    display();
}

void HyoteiWindow::onGridKeyPress(int keyAscii)
{
    if (keyAscii == 3) {
        onCopyClicked();
        return;
    }
    const int p = pupilOfRow(mGrid->Row());
    if (p == 0) return;
    if (mGrid->Col() == HyoteiCol::Level) {
        QString text;
        if (ApplyLevelKey(*mRun, p, keyAscii, text)) {
            mGrid->setText(text);
            markSplitTies();
        }
    } else if (mGrid->Col() == HyoteiCol::Mark && keyAscii == ' ') {
        mGrid->setText(CycleMark(*mRun, p));
    }
}

void HyoteiWindow::onGridDoubleClicked()
{
    const int p = pupilOfRow(mGrid->Row());
    if (p != 0 && mGrid->Col() == HyoteiCol::Mark) mGrid->setText(CycleMark(*mRun, p));
}

void HyoteiWindow::onGridWheel(int direction)
{
    mGrid->setTopRow(mGrid->TopRow() - 2 * direction);
}

QString HyoteiWindow::copyText(bool withNames) const
{
    const FlexGrid* grid = mGrid->isVisibleTo(this) ? mGrid : mDistributionGrid;
    if (!withNames || grid != mGrid) return SelectionCopyText(grid);
    const CellRange range = NormalisedRange(grid->Row(), grid->Col(), grid->RowSel(), grid->ColSel());
    return BuildCopyTextWithNames([grid](int r, int c) { return grid->TextMatrix(r, c); }, range,
                                  mSession.gd.currentGrade);
}

void HyoteiWindow::onCopyClicked()
{
    PutOnClipboard(copyText(false));
}

void HyoteiWindow::onNameCopyClicked()
{
    PutOnClipboard(copyText(true));
}

void HyoteiWindow::onPrintClicked()
{
    if (!mRun) return;
    const HyoteiPrintSet set{mScoreListCheck->isChecked(), mNumberListCheck->isChecked(), mClassListCheck->isChecked(),
                             mDistributionCheck->isChecked()};
    // Lists that would draw no sheet (no pupil) are as good as none ticked: no empty job.
    RecordingCanvas probe(StandardPaperLayout(), PrinterStartFont(mSession.gd));
    if (!set.any() || PrintHyoteiDocuments(probe, mSession.gd, *mRun, set, NullProgress::instance()) == 0) {
        ShowMessage(QStringLiteral("印刷する文書が設定されていません"), MsgButtons::Ok, MsgIcon::Warning, 1, QString(),
                    this);
        return;
    }
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, QStringLiteral("評定の算出と印刷"));
    if (!printer) return;
    StatusProgress progress(mStatusLabel, mProgressBar);
    RunPrintJob(
        *printer, mSession.gd,
        [&](PageCanvas& canvas) { return PrintHyoteiDocuments(canvas, mSession.gd, *mRun, set, progress); }, this);
}

void OpenHyoteiWindow(Session& session, QWidget* parent)
{
    HyoteiWindow window(session, parent);
    if (window.loaded()) window.exec();
}

void HyoteiWindow::onCloseClicked()
{
    accept();
}

} // namespace seiran
