#include "ScoreEntryWindow.h"

#include "FlexGrid.h"
#include "GradeData.h"
#include "Helpers.h"
#include "RosterFile.h"
#include "ScoreCsvImport.h"
#include "Session.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace seiran {

namespace {
// The fifth data column: with "5科折返" Enter goes back to the first subject after it.
constexpr int FiveSubjectWrapCol = FirstDataCol + 4;
} // namespace

ScoreEntryWindow::ScoreEntryWindow(Session& session, QWidget* parent) : ScoreGridWindow(session, parent)
{
    setAskOnClose(false);
    setWindowTitle(QStringLiteral("点数の入力（テスト別）"));
    setMinimumSizeTwips(7680, 5280);
    addStatusLine();

    GradeData& g = gd();
    mSubjectCount = qBound(0, g.currentTestSubjectCount(), Limits::TestSubjects);
    if (!registerGrade(TestSlotFields(g, mSubjectCount))) return;

    mTestFrame = new QFrame;
    mTestFrame->setFrameShape(QFrame::StyledPanel);
    mTestFrame->setFrameShadow(QFrame::Sunken);
    auto* frameLayout = new QHBoxLayout(mTestFrame);
    frameLayout->setContentsMargins(8, 3, 8, 3);
    mTestLabel = new QLabel(mTestFrame);
    mTestLabel->setMinimumWidth(0);
    mTestLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    frameLayout->addWidget(mTestLabel);
    addHeading(mTestFrame);

    mWrapFiveCheck = new QCheckBox(QStringLiteral("5科折返"));
    mWrapFiveCheck->setChecked(false);
    addCheckBox(mWrapFiveCheck);

    const QString testName =
        g.currentTest >= 1 && g.currentTest <= Limits::Tests ? g.testNames[g.currentTest] : QString();
    mTestLabel->setText(QStringLiteral("点数の入力（テスト別）　") + QString::number(g.currentGrade) +
                        QStringLiteral("年 ") + testName);

    fillClassCombo();
    QStringList headers;
    for (int j = 1; j <= mSubjectCount; ++j)
        headers << g.subjectNames[j];
    setupColumns(headers, QStringLiteral("123456"));
    display();
    takeGradeStamp();
    finishLoading();

    setProposedCsvName(g.dataFolder, QStringLiteral("点数_") + testName.trimmed(), g.currentGrade);
    resizeToContent();
}

void ScoreEntryWindow::display()
{
    const GradeData& g = gd();
    fillFixedColumns();
    for (int i = 1; i <= g.studentCount; ++i) {
        for (int j = 1; j <= mSubjectCount; ++j)
            mGrid->setTextMatrix(i, FirstDataCol + j - 1, ScoreToCellText(g.scores(j, i)));
    }
    mGrid->viewport()->update();
}

CsvCellColumns ScoreEntryWindow::csvColumns() const
{
    return ScoreCsvColumns(TestSubjectNames(gd(), mSubjectCount), gridCells());
}

int ScoreEntryWindow::wrapColumn() const
{
    const int last = mGrid->Cols() - 1;
    return mWrapFiveCheck->isChecked() ? qMin(FiveSubjectWrapCol, last) : last;
}

namespace {
// A cell that still shows what its score showed keeps the score as it is: a code that no key
// gives ("-3", say) would otherwise turn into another value unasked.
bool unchanged(const GradeData& gd, int subject, int student, const QString& text)
{
    return text == ScoreToCellText(gd.scores(subject, student));
}
} // namespace

Result ConvertCellsToScores(GradeData& gd, int subjectCount, const ScoreCellFn& cell)
{
    // Check every cell first so that a refused value leaves the scores as they were.
    for (int i = 1; i <= gd.studentCount; ++i) {
        for (int j = 1; j <= subjectCount; ++j) {
            const QString text = cell(i, j);
            if (!unchanged(gd, j, i, text) && !ScoreCellValue(text)) {
                return Result::failure(
                    QStringLiteral("%1組 %2番 %3 の「%4」は点数として保存できる範囲を超えています。\n"
                                   "直してから入力終了してください。")
                        .arg(gd.classLabel(gd.studentClass[i]))
                        .arg(gd.studentNumber[i])
                        .arg(gd.subjectNames[j], text.trimmed()));
            }
        }
    }
    for (int i = 1; i <= gd.studentCount; ++i) {
        for (int j = 1; j <= subjectCount; ++j) {
            const QString text = cell(i, j);
            if (!unchanged(gd, j, i, text)) gd.scores(j, i) = *ScoreCellValue(text);
        }
    }
    return Result::success();
}

Result ScoreEntryWindow::saveEdits(SaveControl& control)
{
    GradeData& g = gd();
    const Result converted = ConvertCellsToScores(
        g, mSubjectCount, [this](int i, int j) { return mGrid->TextMatrix(i, FirstDataCol + j - 1); });
    if (!converted) return converted;
    return SaveTestScores(g, session().progress, control);
}

QString ScoreEntryWindow::conflictValueText(int, int value) const
{
    return ScoreToCellText(value);
}

QString TestSlotFields(const GradeData& gd, int subjectCount)
{
    const int test = gd.currentTest;
    if (test < 1 || test > Limits::Tests || subjectCount < 1) return QStringLiteral("slots");
    const int first = gd.testFirstSlot[test];
    return QStringLiteral("slots %1-%2").arg(first).arg(first + subjectCount - 1);
}

// The journal keeps each subject's cell by its score slot.
JournalLayout ScoreEntryWindow::journalLayout() const
{
    return TestJournalLayout(gd(), gd().currentTest, dataHeaders());
}

int ScoreEntryWindow::loadedCellValue(int row, int column) const
{
    return gd().scoresAsLoaded(column, row);
}

QString ScoreEntryWindow::restoreJournalCell(int row, int column, const QString& text, int base)
{
    if (column < 1 || column > mSubjectCount) return QStringLiteral("この画面にない欄です");
    if (!ScoreCellValue(text)) return QStringLiteral("点数として保存できません");
    mGrid->setTextMatrix(row, FirstDataCol + column - 1, text);
    gd().scoresAsLoaded(column, row) = base;
    return QString();
}

} // namespace seiran
