#include "EvaluationSetupWindow.h"

#include "Beep.h"
#include "Evaluation.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GridWindow.h"
#include "MessageBox.h"
#include "Session.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace seiran {

namespace {
constexpr int CountSumCol = 11;

QPushButton* makeButton(const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    return button;
}

QFont gridFont(const GradeData& gd)
{
    QFont font(gd.fontPGothic);
    font.setPointSize(10);
    return font;
}
} // namespace

EvaluationSetupWindow::EvaluationSetupWindow(Session& session, QWidget* parent)
    : ConfirmCloseDialog(parent), mSession(session)
{
    const GradeData& gd = session.gd;
    setWindowTitle(QStringLiteral("評定の算出"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    mSubjectList = new QListWidget(this);
    for (int s = 1; s <= std::clamp(gd.subjectCount, 0, int(Limits::Subjects)); ++s)
        mSubjectList->addItem(gd.subjectNames[s]);

    mTestGrid = new FlexGrid(this);
    mTestGrid->setFont(gridFont(gd));
    mTestGrid->setCols(2);
    mTestGrid->setRows(1);
    mTestGrid->setFixedRows(1);
    mTestGrid->setFixedCols(1);
    mTestGrid->setAllowSelection(false);
    mTestGrid->setWheelScrolls(false);
    mTestGrid->setTextMatrix(0, 0, QStringLiteral("テスト名"));
    mTestGrid->setTextMatrix(0, 1, QStringLiteral("倍率"));
    mTestGrid->setColWidth(0, MeasuredColWidth(mTestGrid, QStringLiteral("123456789a12345678901234")));
    mTestGrid->setColWidth(1, MeasuredColWidth(mTestGrid, QStringLiteral("12341234")));
    mTestGrid->setMinimumWidth(mTestGrid->ColWidth(0) + mTestGrid->ColWidth(1) + 24);
    mTestGrid->setMaximumWidth(mTestGrid->minimumWidth());

    auto* methodFrame = new QGroupBox(QStringLiteral("評定算出方法"), this);
    auto* methodLayout = new QVBoxLayout(methodFrame);
    for (const char16_t* caption : {u"自動５段階", u"自動１０段階", u"人数指定（下の表）"}) {
        auto* option = new QRadioButton(QString::fromUtf16(caption), methodFrame);
        mMethodOptions.append(option);
        methodLayout->addWidget(option);
    }
    mMethodOptions[0]->setChecked(true);

    mCountGrid = new FlexGrid(this);
    mCountGrid->setFont(gridFont(gd));
    mCountGrid->setRows(2);
    mCountGrid->setCols(12);
    mCountGrid->setFixedRows(1);
    mCountGrid->setFixedCols(1);
    mCountGrid->setAllowSelection(false);
    mCountGrid->setTextMatrix(0, 0, QStringLiteral("評定"));
    for (int i = 1; i <= 10; ++i)
        mCountGrid->setTextMatrix(0, i, QString::number(11 - i));
    mCountGrid->setTextMatrix(0, CountSumCol, QStringLiteral("合計"));
    mCountGrid->setTextMatrix(1, 0, QStringLiteral("人数"));
    const int countWidth = MeasuredColWidth(mCountGrid, QStringLiteral("合計__"));
    mCountGrid->setAllColWidths(countWidth);
    for (int c = 0; c < 12; ++c)
        mCountGrid->setColAlignment(c, Qt::AlignCenter);
    mCountGrid->setFixedHeight(mCountGrid->RowHeight() * 2 + 8);
    mCountGrid->setMinimumWidth(countWidth * 12 + 8);

    auto* sexFrame = new QGroupBox(QStringLiteral("男女別"), this);
    auto* sexLayout = new QVBoxLayout(sexFrame);
    for (const char16_t* caption : {u"男・女両方", u"男子のみ", u"女子のみ"}) {
        auto* option = new QRadioButton(QString::fromUtf16(caption), sexFrame);
        mSexOptions.append(option);
        sexLayout->addWidget(option);
    }
    mSexOptions[0]->setChecked(true);

    auto* classFrame = new QGroupBox(QStringLiteral("対象クラス"), this);
    auto* classLayout = new QGridLayout(classFrame);
    for (int i = 0; i < 10; ++i) {
        auto* check = new QCheckBox(classFrame);
        check->setChecked(true);
        check->setVisible(false);
        mClassChecks.append(check);
        classLayout->addWidget(check, i % 5, i / 5);
    }
    for (int c = 1; c <= std::clamp(gd.classCount, 0, int(Limits::Classes)); ++c) {
        mClassChecks[c - 1]->setText(gd.classLabel(c) + QStringLiteral("組"));
        mClassChecks[c - 1]->setVisible(true);
    }
    mSelectAllButton = makeButton(QStringLiteral("全選択"), classFrame);
    mClearAllButton = makeButton(QStringLiteral("全解除"), classFrame);
    classLayout->addWidget(mSelectAllButton, 5, 0);
    classLayout->addWidget(mClearAllButton, 5, 1);

    mComputeButton = makeButton(QStringLiteral("評定算出"), this);
    mCancelButton = makeButton(QStringLiteral("中止"), this);

    // Subject and weights on the left; method, sex, classes and the buttons on the right; the
    // count table across the bottom.
    auto* top = new QHBoxLayout;
    top->addWidget(mSubjectList, 1);
    top->addWidget(mTestGrid);
    auto* right = new QVBoxLayout;
    right->addWidget(methodFrame);
    right->addWidget(sexFrame);
    right->addWidget(classFrame);
    right->addStretch(1);
    right->addWidget(mComputeButton);
    right->addWidget(mCancelButton);
    top->addLayout(right);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addWidget(mCountGrid);
    resize(720, 480);

    connect(mSubjectList, &QListWidget::currentRowChanged, this, &EvaluationSetupWindow::onSubjectChanged);
    connect(mTestGrid, &FlexGrid::keyPress, this, &EvaluationSetupWindow::onTestGridKeyPress);
    connect(mTestGrid, &FlexGrid::doubleClicked, this, &EvaluationSetupWindow::onTestGridDoubleClicked);
    connect(mTestGrid, &FlexGrid::wheel, this, &EvaluationSetupWindow::onTestGridWheel);
    connect(mCountGrid, &FlexGrid::keyPress, this, &EvaluationSetupWindow::onCountGridKeyPress);
    for (FlexGrid* grid : {mTestGrid, mCountGrid}) {
        connect(grid, &FlexGrid::clicked, this, [this] { mCellEntered = true; });
        connect(grid, &FlexGrid::rowColChange, this, [this] { mCellEntered = true; });
    }
    connect(mSelectAllButton, &QPushButton::clicked, this, &EvaluationSetupWindow::onSelectAllClicked);
    connect(mClearAllButton, &QPushButton::clicked, this, &EvaluationSetupWindow::onClearAllClicked);
    connect(mComputeButton, &QPushButton::clicked, this, &EvaluationSetupWindow::onComputeClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &EvaluationSetupWindow::onCancelClicked);

    mCountGrid->installEventFilter(this);
    if (mSubjectList->count() > 0) mSubjectList->setCurrentRow(0);
    updateCountTotal();
}

bool EvaluationSetupWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The twelve count columns share the table's width.
    if (watched == mCountGrid && event->type() == QEvent::Resize)
        mCountGrid->setAllColWidths(std::max((mCountGrid->width() - 2 * mCountGrid->frameWidth() - 2) / 12, 24));
    return ConfirmCloseDialog::eventFilter(watched, event);
}

EvaluationSetupWindow::~EvaluationSetupWindow() = default;

void EvaluationSetupWindow::onSubjectChanged()
{
    // Every subject change starts the weights afresh.
    mRowTests = TestsCoveringSubject(mSession.gd, mSubjectList->currentRow());
    mTestGrid->setRows(1);
    mTestGrid->setRows(int(mRowTests.size()) + 1);
    for (int r = 1; r <= mRowTests.size(); ++r) {
        const QString name = mSession.gd.testNames[mRowTests[r - 1]];
        mTestGrid->setTextMatrix(r, 0, name.leftJustified(20, u' ', true));
        mTestGrid->setTextMatrix(r, 1, QString());
    }
    if (mTestGrid->Rows() > 1) {
        mTestGrid->setRow(1);
        mTestGrid->setCol(1);
        mTestGrid->setTopRow(1);
    }
    mCellEntered = true;
}

void EvaluationSetupWindow::onTestGridKeyPress(int keyAscii)
{
    if (mTestGrid->Row() < 1 || mTestGrid->Col() != 1) return;
    QString text = mTestGrid->Text();
    if (ApplyWeightKey(text, mCellEntered, keyAscii)) mTestGrid->setText(text);
}

void EvaluationSetupWindow::onTestGridDoubleClicked()
{
    if (mTestGrid->Row() < 1 || mTestGrid->Col() != 1) return;
    mTestGrid->setText(mTestGrid->Text().isEmpty() ? QStringLiteral("1") : QString());
}

void EvaluationSetupWindow::onTestGridWheel(int direction)
{
    mTestGrid->setTopRow(mTestGrid->TopRow() - 2 * direction);
}

void EvaluationSetupWindow::onCountGridKeyPress(int keyAscii)
{
    const int col = mCountGrid->Col();
    if (mCountGrid->Row() != 1 || col < 1 || col >= CountSumCol) return;
    QString text = mCountGrid->Text();
    bool refused = false;
    if (!ApplyCountKey(text, mCellEntered, keyAscii, refused)) return;
    if (refused)
        Beep();
    else
        mCountGrid->setText(text);
    updateCountTotal();
}

void EvaluationSetupWindow::updateCountTotal()
{
    QStringList counts;
    for (int c = 1; c < CountSumCol; ++c)
        counts.append(mCountGrid->TextMatrix(1, c));
    mCountGrid->setTextMatrix(1, CountSumCol, CountTotalText(counts));
}

void EvaluationSetupWindow::onSelectAllClicked()
{
    for (int c = 1; c <= std::clamp(mSession.gd.classCount, 0, int(Limits::Classes)); ++c)
        mClassChecks[c - 1]->setChecked(true);
}

void EvaluationSetupWindow::onClearAllClicked()
{
    for (int c = 1; c <= std::clamp(mSession.gd.classCount, 0, int(Limits::Classes)); ++c)
        mClassChecks[c - 1]->setChecked(false);
}

void EvaluationSetupWindow::storeSettings()
{
    const GradeData& gd = mSession.gd;
    EvaluationChoice choice;
    choice.subject = mSubjectList->currentRow() + 1;
    for (int r = 1; r <= mRowTests.size(); ++r)
        choice.rows.append({mRowTests[r - 1], mTestGrid->TextMatrix(r, 1)});
    for (int c = 1; c <= std::clamp(gd.classCount, 0, int(Limits::Classes)); ++c)
        choice.classTicks.append(mClassChecks[c - 1]->isChecked() ? 1 : 0);
    for (int i = 1; i <= 10; ++i)
        choice.counts.append(mCountGrid->TextMatrix(1, i));
    for (int i = 0; i < 3; ++i) {
        if (mSexOptions[i]->isChecked()) choice.sex = i;
        if (mMethodOptions[i]->isChecked()) choice.method = i;
    }
    StoreEvaluationSettings(mSession.gd, choice);
    // Without a subject nothing is evaluated.
    if (choice.subject < 1) mSession.gd.selectedItemCount = 0;
}

void EvaluationSetupWindow::onComputeClicked()
{
    storeSettings();
    closeSettled(true);
}

void EvaluationSetupWindow::onCancelClicked()
{
    reject();
}

bool EvaluationSetupWindow::confirmClose()
{
    if (ShowMessage(QStringLiteral("評定の算出を中止してよいですか"), MsgButtons::YesNo, MsgIcon::Warning, 2, QString(),
                    this) != MsgAnswer::Yes)
        return false;
    mSession.gd.selectedItemCount = 0;
    return true;
}

} // namespace seiran
