#include "SubjectScoreEntryWindow.h"

#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "ScoreCells.h"
#include "Session.h"
#include "SubjectScoreCells.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

namespace seiran {

SubjectScoreEntryWindow::SubjectScoreEntryWindow(Session& session, QWidget* parent)
    : ScoreGridWindow(session, parent), mScores(std::make_unique<SubjectScores>())
{
    setAskOnClose(false);
    setWindowTitle(QStringLiteral("点数の入力（教科別）"));
    setMinimumSizeTwips(6600, 5040);
    addStatusLine();

    mHeadingFrame = new QFrame;
    mHeadingFrame->setFrameShape(QFrame::StyledPanel);
    mHeadingFrame->setFrameShadow(QFrame::Sunken);
    auto* frameLayout = new QHBoxLayout(mHeadingFrame);
    frameLayout->setContentsMargins(8, 3, 8, 3);
    mHeadingLabel = new QLabel(mHeadingFrame);
    mHeadingLabel->setMinimumWidth(0);
    mHeadingLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    frameLayout->addWidget(mHeadingLabel);
    addHeading(mHeadingFrame);

    GradeData& g = gd();
    mScores->subject = g.evalSubject;
    for (int t = 1; t <= qBound(0, g.selectedItemCount, Limits::Tests); ++t)
        mScores->tests.append(g.selectedItems[t]);
    mHeadingLabel->setText(SubjectScoreHeading(g, g.evalSubject));

    // Registered before the scores are read, so that the stamp of the save covers the read.
    QStringList slotNumbers;
    for (int test : std::as_const(mScores->tests))
        if (test >= 1 && test <= Limits::Tests)
            slotNumbers << QString::number(g.testFirstSlot[test] + g.evalSubject - 1);
    if (!registerGrade(QStringLiteral("slots ") + slotNumbers.join(u','), false)) return;

    fillClassCombo();
    mLoadResult = LoadSubjectScores(g, *mScores, session.progress);
    if (mLoadResult) takeGradeStamp();
    // Nothing read, nothing shown: the window is not opened then, and saves nothing.
    if (!mLoadResult) mScores = std::make_unique<SubjectScores>();
    setupColumns(SubjectScoreHeaders(g, *mScores), QStringLiteral("123456"));
    display();
    finishLoading();
    const QString subject =
        g.evalSubject >= 1 && g.evalSubject <= Limits::Subjects ? g.subjectNames[g.evalSubject].trimmed() : QString();
    setProposedCsvName(g.dataFolder, QStringLiteral("点数_") + subject, g.currentGrade);
    resizeToContent();
}

SubjectScoreEntryWindow::~SubjectScoreEntryWindow() = default;

void SubjectScoreEntryWindow::display()
{
    const GradeData& g = gd();
    if (!mLoadResult) {
        mGrid->setRows(1);
        return;
    }
    fillFixedColumns();
    for (int i = 1; i <= g.studentCount; ++i) {
        for (int t = 1; t <= mScores->columnCount(); ++t)
            mGrid->setTextMatrix(i, FirstDataCol + t - 1, SubjectScoreCellText(mScores->loaded(t, i)));
    }
    mGrid->viewport()->update();
}

int SubjectScoreEntryWindow::classOfRow(int row) const
{
    // The class is where the row's label stands among the class labels ("B" is class 2).
    if (row < 1 || row >= mGrid->Rows()) return 0;
    const QString label = mGrid->TextMatrix(row, 0);
    return label.isEmpty() ? 0 : int(gd().classLabels.indexOf(label)) + 1;
}

CsvCellColumns SubjectScoreEntryWindow::csvColumns() const
{
    if (!mLoadResult) return {};
    return ScoreCsvColumns(SubjectScoreHeaders(gd(), *mScores), gridCells());
}

Result SubjectScoreEntryWindow::saveEdits(SaveControl& control)
{
    if (!mLoadResult) return Result::success();
    const Result converted = ConvertCellsToSubjectScores(
        gd(), *mScores, [this](int i, int t) { return mGrid->TextMatrix(i, FirstDataCol + t - 1); });
    if (!converted) return converted;
    const Result saved = SaveSubjectScores(gd(), *mScores, session().progress, control);
    mGrid->setFocus();
    return saved;
}

QString SubjectScoreEntryWindow::conflictValueText(int, int value) const
{
    return SubjectScoreCellText(value);
}

void OpenSubjectScoreEntry(Session& session, QWidget* parent)
{
    SubjectScoreEntryWindow window(session, parent);
    if (window.lockRefused()) return;
    if (!window.loadResult()) {
        ShowMessage(window.loadResult().message, MsgButtons::Ok, MsgIcon::Critical, 1, QString(), parent);
        return;
    }
    window.exec();
}

JournalLayout SubjectScoreEntryWindow::journalLayout() const
{
    if (!mLoadResult) return {};
    return SubjectJournalLayout(gd(), mScores->subject, mScores->tests, dataHeaders());
}

int SubjectScoreEntryWindow::loadedCellValue(int row, int column) const
{
    return mScores->loaded(column, row);
}

QString SubjectScoreEntryWindow::restoreJournalCell(int row, int column, const QString& text, int base)
{
    if (column < 1 || column > mScores->columnCount()) return QStringLiteral("この画面にない欄です");
    if (!ScoreCellValue(text)) return QStringLiteral("点数として保存できません");
    mGrid->setTextMatrix(row, FirstDataCol + column - 1, text);
    mScores->loaded(column, row) = base;
    return QString();
}

} // namespace seiran
