#include "CareerGuidanceWindow.h"

#include "ClassBoxFrame.h"
#include "GradeData.h"
#include "GuidanceMaterials.h"
#include "MessageBox.h"
#include "PageCanvas.h"
#include "PrintTarget.h"
#include "Session.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace seiran {

CareerGuidanceWindow::CareerGuidanceWindow(Session& session, QWidget* parent) : QDialog(parent), mSession(session)
{
    setWindowTitle(QStringLiteral("進路指導資料作成"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const GradeData& gd = session.gd;

    mTestLabel = new QLabel(QStringLiteral("処理するテスト"), this);
    mTestList = new QListWidget(this);
    mTestList->setSelectionMode(QAbstractItemView::MultiSelection);
    for (int t = 1; t <= qBound(0, gd.testCount, int(Limits::Tests)); ++t)
        mTestList->addItem(gd.testNames[t]);
    mTestList->setMinimumSize(200, 260);
    mTestLabel->setBuddy(mTestList);

    mClassFrame = new ClassBoxFrame(gd, this);
    auto* materials = new QGroupBox(QStringLiteral("印刷する資料"), this);
    mClassSheetBox = new QCheckBox(QStringLiteral("クラス別 得点・内申点・志望校一覧"), materials);
    mGradeRankingBox = new QCheckBox(QStringLiteral("学年全体順位表"), materials);
    mSchoolRankingBox = new QCheckBox(QStringLiteral("志望校別 順位表"), materials);
    auto* materialRows = new QVBoxLayout(materials);
    for (QCheckBox* box : {mClassSheetBox, mGradeRankingBox, mSchoolRankingBox}) {
        box->setChecked(true);
        materialRows->addWidget(box);
    }
    auto* conditions = new QGroupBox(QStringLiteral("処理の条件"), this);
    mSecondChoiceBox = new QCheckBox(QStringLiteral("志望校別順位に第２志望も含める"), conditions);
    mTestsOnlyBox = new QCheckBox(QStringLiteral("テスト点のみで処理する（内申点なし）"), conditions);
    mSubjectWeightsBox = new QCheckBox(QStringLiteral("志望校別順位の内申点に学校別倍率を使わない"), conditions);
    auto* conditionRows = new QVBoxLayout(conditions);
    for (QCheckBox* box : {mSecondChoiceBox, mTestsOnlyBox, mSubjectWeightsBox})
        conditionRows->addWidget(box);

    mPrintButton = new QPushButton(QStringLiteral("印刷"), this);
    mCancelButton = new QPushButton(QStringLiteral("中止"), this);

    auto* left = new QVBoxLayout;
    left->addWidget(mTestLabel);
    left->addWidget(mTestList, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(mClassFrame);
    right->addWidget(materials);
    right->addWidget(conditions);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mPrintButton);
    buttons->addWidget(mCancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(mPrintButton, &QPushButton::clicked, this, &CareerGuidanceWindow::onPrintClicked);
    connect(mCancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

GuidanceOptions CareerGuidanceWindow::options() const
{
    GuidanceOptions o;
    // The chosen tests in the order of the list, whatever order they were clicked in.
    for (int row = 0; row < mTestList->count(); ++row)
        if (mTestList->item(row)->isSelected()) o.tests.append(row + 1);
    o.secondChoices = mSecondChoiceBox->isChecked();
    o.testsOnly = mTestsOnlyBox->isChecked();
    o.subjectMultipliers = mSubjectWeightsBox->isChecked();
    return o;
}

GuidanceSelection CareerGuidanceWindow::selection() const
{
    GuidanceSelection s;
    s.classSheets = mClassSheetBox->isChecked();
    s.gradeRanking = mGradeRankingBox->isChecked();
    s.schoolRankings = mSchoolRankingBox->isChecked();
    s.classes = mClassFrame->tickedClasses();
    return s;
}

void CareerGuidanceWindow::onPrintClicked()
{
    const GuidanceOptions chosen = options();
    const GuidanceSelection what = selection();
    // Nothing to print: no dialog, no message, the screen stays.
    if (!what.anything()) return;
    const GradeData& gd = mSession.gd;
    if (const QString problem = GuidanceOptionsProblem(gd, chosen); !problem.isEmpty()) {
        ShowMessage(problem, MsgButtons::Ok, MsgIcon::Warning, 1, QString(), this);
        return;
    }
    GuidanceScores scores;
    if (Result r = LoadGuidanceScores(gd, chosen, scores, mSession.progress); !r) {
        ShowMessage(r.message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), this);
        return;
    }
    std::unique_ptr<QPrinter> printer = ChoosePrinter(this, windowTitle());
    if (!printer) return;
    const PrintOutcome outcome = RunPrintJob(
        *printer, gd, [&](PageCanvas& canvas) { return PrintGuidanceMaterials(canvas, gd, chosen, scores, what); },
        this);
    if (outcome == PrintOutcome::Completed) accept();
}

} // namespace seiran
