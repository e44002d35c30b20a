// The evaluation setup and the evaluation screen on real widgets: keys, questions, views, hand
// edits, the clipboard and printing.
#include "Beep.h"
#include "EvaluationSetupWindow.h"
#include "EvaluationTestData.h"
#include "FlexGrid.h"
#include "HyoteiWindow.h"
#include "MessageBox.h"
#include "Notice.h"
#include "PrintTarget.h"
#include "ReportCommon.h"
#include "ReportFonts.h"
#include "SeiranReport.h"
#include "Session.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextStream>

using namespace seiran;
using namespace seiran::test;

namespace {
void typeKeys(FlexGrid* grid, const QString& keys)
{
    for (QChar ch : keys) {
        if (ch == u' ')
            QTest::keyClick(grid, Qt::Key_Space);
        else if (ch == u'\b')
            QTest::keyClick(grid, Qt::Key_Backspace);
        else
            QTest::keyClick(grid, ch.toLatin1());
    }
}

void goTo(FlexGrid* grid, int row, int col)
{
    grid->setRow(row);
    grid->setCol(col);
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}
} // namespace

class WindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MapReportFonts(); }
    void init()
    {
        mClock = std::make_unique<ScopedReportClock>(QDateTime(QDate(2005, 4, 1), QTime(13, 5, 9)));
        mGrade = std::make_unique<GradeFixture>(3, 3);
        WriteEvalGrade(*mGrade, {
                                    {1, 5, "山田太郎", 1, {80, -1, 70}},
                                    {1, 6, "鈴木花子", 2, {90, -60, 60}},
                                    {2, 1, "佐藤一", 1, {40, 30, 20}},
                                    {2, 2, "高橋", 2, {70, 70, 70}},
                                });
        mProgress.statusTexts.clear();
        mSession = std::make_unique<Session>(Session{mGrade->gd(), mProgress, mNotice, QString()});
    }
    void cleanup()
    {
        mSession.reset();
        mGrade.reset();
        mClock.reset();
    }

    void setupListsSubjectsTestsAndClasses()
    {
        EvaluationSetupWindow w(*mSession);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("評定の算出"));
        QCOMPARE(w.mSubjectList->count(), 9);
        QCOMPARE(w.mSubjectList->currentRow(), 0);
        QCOMPARE(w.mTestGrid->Rows(), 4);
        QCOMPARE(w.mTestGrid->TextMatrix(0, 1), QStringLiteral("倍率"));
        QCOMPARE(w.mTestGrid->TextMatrix(2, 0), QStringLiteral("1学期期末").leftJustified(20));
        QCOMPARE(w.testOfRow(3), 3);
        int shown = 0;
        for (QCheckBox* check : w.mClassChecks)
            if (check->isVisibleTo(&w)) ++shown;
        QCOMPARE(shown, 3);
        QCOMPARE(w.mClassChecks[2]->text(), QStringLiteral("3組"));
        QCOMPARE(w.mCountGrid->TextMatrix(0, 1), QStringLiteral("10"));
        QCOMPARE(w.mCountGrid->TextMatrix(0, 10), QStringLiteral("1"));
        // 合計 stays blank until a count is typed.
        QCOMPARE(w.mCountGrid->TextMatrix(1, 11), QString());

        // Weights: the first digit replaces, "." once, Space toggles "1", a subject change clears.
        goTo(w.mTestGrid, 1, 1);
        typeKeys(w.mTestGrid, QStringLiteral("0.5"));
        QCOMPARE(w.mTestGrid->TextMatrix(1, 1), QStringLiteral("0.5"));
        goTo(w.mTestGrid, 2, 1);
        typeKeys(w.mTestGrid, QStringLiteral(" "));
        QCOMPARE(w.mTestGrid->TextMatrix(2, 1), QStringLiteral("1"));
        goTo(w.mTestGrid, 1, 1);
        typeKeys(w.mTestGrid, QStringLiteral("2"));
        QCOMPARE(w.mTestGrid->TextMatrix(1, 1), QStringLiteral("2"));
        w.onTestGridDoubleClicked();
        QCOMPARE(w.mTestGrid->TextMatrix(1, 1), QString());
        w.onTestGridDoubleClicked();
        QCOMPARE(w.mTestGrid->TextMatrix(1, 1), QStringLiteral("1"));
        w.mSubjectList->setCurrentRow(6);
        QCOMPARE(w.mTestGrid->Rows(), 2);
        QCOMPARE(w.testOfRow(1), 2);
        QCOMPARE(w.mTestGrid->TextMatrix(1, 1), QString());
        w.mSubjectList->setCurrentRow(0);
        QCOMPARE(w.mTestGrid->TextMatrix(2, 1), QString());

        // Counts: "0", "7" gives 7, the sum follows, a count above 400 beeps.
        goTo(w.mCountGrid, 1, 1);
        typeKeys(w.mCountGrid, QStringLiteral("07"));
        QCOMPARE(w.mCountGrid->TextMatrix(1, 1), QStringLiteral("7"));
        goTo(w.mCountGrid, 1, 10);
        typeKeys(w.mCountGrid, QStringLiteral("12"));
        QCOMPARE(w.mCountGrid->TextMatrix(1, 11), QStringLiteral("19"));
        ResetBeepCount();
        typeKeys(w.mCountGrid, QStringLiteral("99"));
        QCOMPARE(BeepCount(), 1);
        QCOMPARE(w.mCountGrid->TextMatrix(1, 10), QStringLiteral("129"));
        typeKeys(w.mCountGrid, QStringLiteral(" "));
        QCOMPARE(w.mCountGrid->TextMatrix(1, 11), QStringLiteral("7"));
        goTo(w.mCountGrid, 1, 11);
        typeKeys(w.mCountGrid, QStringLiteral("5"));
        QCOMPARE(w.mCountGrid->TextMatrix(1, 11), QStringLiteral("7"));
    }

    void setupStoresTheChoice()
    {
        GradeData& gd = mGrade->gd();
        EvaluationSetupWindow w(*mSession);
        w.show();
        w.mSubjectList->setCurrentRow(1);
        goTo(w.mTestGrid, 1, 1);
        typeKeys(w.mTestGrid, QStringLiteral("1.5"));
        goTo(w.mTestGrid, 3, 1);
        typeKeys(w.mTestGrid, QStringLiteral("0"));
        goTo(w.mTestGrid, 2, 1);
        typeKeys(w.mTestGrid, QStringLiteral("0.5"));
        w.onClearAllClicked();
        w.mClassChecks[1]->setChecked(true);
        w.mMethodOptions[2]->setChecked(true);
        w.mSexOptions[1]->setChecked(true);
        goTo(w.mCountGrid, 1, 6);
        typeKeys(w.mCountGrid, QStringLiteral("3"));
        ScriptedMessages messages;
        w.mComputeButton->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(messages.asked().isEmpty());
        QCOMPARE(gd.evalSubject, 2);
        QCOMPARE(gd.selectedItemCount, 2);
        QCOMPARE(gd.selectedItems[1], 1);
        QCOMPARE(gd.evalWeights[1], 1.5);
        QCOMPARE(gd.selectedItems[2], 2);
        QCOMPARE(gd.evalWeights[2], 0.5);
        QCOMPARE(gd.evalClassSelected[1], 0);
        QCOMPARE(gd.evalClassSelected[2], 1);
        QCOMPARE(gd.evalLevelCounts[5], 3);
        QCOMPARE(gd.evalMethod, 2);
        QCOMPARE(gd.evalSexFilter, 1);
    }

    void setupAsksBeforeLeaving()
    {
        GradeData& gd = mGrade->gd();
        gd.selectedItemCount = 5;
        EvaluationSetupWindow w(*mSession);
        w.show();
        goTo(w.mTestGrid, 1, 1);
        typeKeys(w.mTestGrid, QStringLiteral("1"));
        ScriptedMessages messages;
        messages.queue(MsgAnswer::No);
        w.close();
        QVERIFY(w.isVisible());
        QCOMPARE(messages.asked().size(), 1);
        const MessageQuestion q = messages.asked().first();
        QCOMPARE(q.text, QStringLiteral("評定の算出を中止してよいですか"));
        QCOMPARE(q.buttons, MsgButtons::YesNo);
        QCOMPARE(q.icon, MsgIcon::Warning);
        QCOMPARE(q.defaultButton, 2);
        QCOMPARE(w.mTestGrid->TextMatrix(1, 1), QStringLiteral("1"));
        QCOMPARE(gd.selectedItemCount, 5);

        QTest::keyClick(&w, Qt::Key_Escape); // no answer left: the default button, No
        QVERIFY(w.isVisible());
        messages.queue(MsgAnswer::Yes);
        w.mCancelButton->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(messages.asked().size(), 3);
        QCOMPARE(gd.selectedItemCount, 0);
    }

    void setupWithoutSubjectOrTestsChoosesNothing()
    {
        GradeData& gd = mGrade->gd();
        gd.testSubjectCount[1] = 1; // the first test covers only the first subject
        gd.testSubjectCount[2] = 1;
        gd.testSubjectCount[3] = 1;
        {
            EvaluationSetupWindow w(*mSession);
            w.mSubjectList->setCurrentRow(4);
            QCOMPARE(w.mTestGrid->Rows(), 1);
            typeKeys(w.mTestGrid, QStringLiteral("1"));
            w.mComputeButton->click();
            QCOMPARE(gd.selectedItemCount, 0);
            QCOMPARE(gd.evalSubject, 5);
        }
        gd.subjectCount = 0;
        EvaluationSetupWindow w(*mSession);
        QCOMPARE(w.mSubjectList->count(), 0);
        QCOMPARE(w.mTestGrid->Rows(), 1);
        w.mComputeButton->click();
        QCOMPARE(gd.selectedItemCount, 0);
        QCOMPARE(gd.evalSubject, 0);
    }

    void evaluationScreenShowsTheRun()
    {
        chooseSubjectOneWeights();
        HyoteiWindow w(*mSession);
        QVERIFY(w.loaded());
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("評定の算出と印刷"));
        QCOMPARE(w.mCaptionLabel->text(), QStringLiteral("3年　国語"));
        QCOMPARE(mProgress.statusTexts, QStringList({"データ読込中", "順位計算中", ""}));
        QCOMPARE(mProgress.lastMaximum, 180);
        QVERIFY(w.mGrid->isVisible());
        QVERIFY(!w.mDistributionGrid->isVisible());
        QCOMPARE(w.mGrid->Rows(), 6);
        QCOMPARE(w.mGrid->Cols(), 9);
        QCOMPARE(w.mGrid->FixedRows(), 2);
        QCOMPARE(w.mGrid->FixedCols(), 4);
        QCOMPARE(w.mGrid->TextMatrix(2, 2), QStringLiteral("鈴木花子"));
        QCOMPARE(w.mGrid->TextMatrix(1, 8), QStringLiteral("x0.5"));
        QCOMPARE(w.mGrid->ColAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QCOMPARE(w.mGrid->ColAlignment(6), Qt::AlignCenter);
        QVERIFY(w.mScoreListCheck->isChecked() && !w.mNumberListCheck->isChecked());
        QVERIFY(w.mClassListCheck->isChecked() && w.mDistributionCheck->isChecked());

        w.mDistributionOption->setChecked(true);
        QVERIFY(!w.mGrid->isVisible());
        QVERIFY(w.mDistributionGrid->isVisible());
        QCOMPARE(w.mDistributionGrid->TextMatrix(0, 4), QStringLiteral("3組"));
        QCOMPARE(w.mDistributionGrid->TextMatrix(7, 1), QStringLiteral("1"));
        QCOMPARE(w.mDistributionGrid->TextMatrix(7, 4), QStringLiteral("0"));
        QCOMPARE(w.mDistributionGrid->Rows(), 11);
    }

    void handEditsAndMarks()
    {
        chooseSubjectOneWeights();
        HyoteiWindow w(*mSession);
        w.show();
        // Score order: 鈴木 120 (4), 山田 115 (3), 高橋 105 (3), 佐藤 50 (2).
        goTo(w.mGrid, 3, 4);
        QCOMPARE(w.mGrid->Text(), QStringLiteral("3"));
        typeKeys(w.mGrid, QStringLiteral("3"));
        QCOMPARE(w.mGrid->Text(), QStringLiteral("(3)"));
        typeKeys(w.mGrid, QStringLiteral("x"));
        QCOMPARE(w.mGrid->Text(), QStringLiteral("(3)"));
        w.mNumberOrderOption->setChecked(true);
        QCOMPARE(w.mGrid->TextMatrix(2, 4), QStringLiteral("3"));
        goTo(w.mGrid, 2, 4);
        typeKeys(w.mGrid, QStringLiteral("0"));
        QCOMPARE(w.mGrid->Text(), QStringLiteral("(10)"));
        w.mScoreOrderOption->setChecked(true);
        QCOMPARE(w.mGrid->TextMatrix(3, 4), QStringLiteral("(10)"));
        goTo(w.mGrid, 3, 4);
        typeKeys(w.mGrid, QStringLiteral(" "));
        QCOMPARE(w.mGrid->Text(), QStringLiteral("3"));
        QCOMPARE(w.run()->evalLevel[1], 3);

        goTo(w.mGrid, 3, 5);
        typeKeys(w.mGrid, QStringLiteral(" "));
        QCOMPARE(w.mGrid->Text(), QStringLiteral("○"));
        w.onGridDoubleClicked();
        QCOMPARE(w.mGrid->Text(), QStringLiteral("△"));
        typeKeys(w.mGrid, QStringLiteral(" "));
        QCOMPARE(w.mGrid->Text(), QStringLiteral(" "));
        typeKeys(w.mGrid, QStringLiteral("4"));
        QCOMPARE(w.mGrid->Text(), QStringLiteral(" "));
        goTo(w.mGrid, 3, 6);
        typeKeys(w.mGrid, QStringLiteral("4"));
        QCOMPARE(w.mGrid->Text(), QStringLiteral("115"));
    }

    void splitTiesAreMarked()
    {
        // Thirty pupils: the two 90s share a total but get 5 and 4.
        QList<int> scores{95, 90, 90};
        for (int i = 4; i <= 30; ++i)
            scores.append(80 - i);
        GradeFixture f(1, 1);
        WriteEvalGrade(f, PupilsWithScores(1, scores));
        Session session{f.gd(), NullProgress::instance(), mNotice, QString()};
        HyoteiWindow w(session);
        QVERIFY(w.loaded());
        w.show();
        const auto marked = [&w](int row) {
            const bool level = w.mGrid->CellBackColor(row, HyoteiCol::Level).isValid();
            const bool total = w.mGrid->CellBackColor(row, HyoteiCol::Total).isValid();
            const QString tip = w.mGrid->CellToolTip(row, HyoteiCol::Level);
            if (level != total || tip.isEmpty() == level) qWarning() << "row" << row << "marked by halves";
            return level && tip == QStringLiteral("同点で評定が分かれています") &&
                   w.mGrid->CellToolTip(row, HyoteiCol::Total) == tip;
        };
        // Score order: rows 3 and 4 hold the tied pupils; the pupils around them are plain.
        QVERIFY(!marked(2));
        QVERIFY(marked(3) && marked(4));
        QVERIFY(!marked(5));
        QVERIFY(w.mTieLabel->text().contains(QStringLiteral("2人")));
        // Number order marks the same pupils (2 and 3, rows 3 and 4).
        w.mNumberOrderOption->setChecked(true);
        QVERIFY(!marked(2) && marked(3) && marked(4) && !marked(5));
        // The teacher settles it by hand: both get 5; the marks and the count go.
        const int lower = w.run()->evalLevel[2] == 4 ? 3 : 4;
        goTo(w.mGrid, lower, HyoteiCol::Level);
        typeKeys(w.mGrid, QStringLiteral("5"));
        QVERIFY(!marked(3) && !marked(4));
        QCOMPARE(w.mTieLabel->text(), QString());
        // Giving the computed level back splits them again.
        typeKeys(w.mGrid, QStringLiteral(" "));
        QVERIFY(marked(3) && marked(4));
    }

    void copyAndNameCopy()
    {
        chooseSubjectOneWeights();
        HyoteiWindow w(*mSession);
        w.show();
        w.mNumberOrderOption->setChecked(true);
        goTo(w.mGrid, 2, 4);
        w.mGrid->setRowSel(3);
        w.mGrid->setColSel(6);
        w.mCopyButton->click();
        QCOMPARE(clipboardText(), QStringLiteral("3\t \t115\r\n4\t \t120\r\n"));
        w.mNameCopyButton->click();
        QCOMPARE(clipboardText(), QStringLiteral("3105\t山田太郎\t3\t \t115\r\n3106\t鈴木花子\t4\t \t120\r\n"));
        goTo(w.mGrid, 4, 6);
        QTest::keyClick(w.mGrid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("50\r\n"));

        // The whole grid, fixed rows and columns included, is what the command writes.
        for (const char* view : {"number", "score"}) {
            (QLatin1String(view) == QLatin1String("score") ? w.mScoreOrderOption : w.mNumberOrderOption)
                ->setChecked(true);
            goTo(w.mGrid, 0, 0);
            w.mGrid->setRowSel(w.mGrid->Rows() - 1);
            w.mGrid->setColSel(w.mGrid->Cols() - 1);
            w.mCopyButton->click();
            QCOMPARE(clipboardText(), command(view));
        }
        w.mDistributionOption->setChecked(true);
        goTo(w.mDistributionGrid, 0, 0);
        w.mDistributionGrid->setRowSel(10);
        w.mDistributionGrid->setColSel(4);
        w.mNameCopyButton->click();
        QCOMPARE(clipboardText(), command("distribution"));
    }

    void printing()
    {
        chooseSubjectOneWeights();
        HyoteiWindow w(*mSession);
        w.show();
        ScriptedMessages messages;
        bool dialogShown = false;
        {
            ScopedPrinterChooser chooser([&](const QString&) -> std::unique_ptr<QPrinter> {
                dialogShown = true;
                return nullptr;
            });
            // Nothing ticked: told so before any print dialog.
            for (QCheckBox* c : {w.mScoreListCheck, w.mNumberListCheck, w.mClassListCheck, w.mDistributionCheck})
                c->setChecked(false);
            w.mPrintButton->click();
            QVERIFY(!dialogShown);
            QCOMPARE(messages.asked().size(), 1);
            QCOMPARE(messages.asked().first().text, QStringLiteral("印刷する文書が設定されていません"));
            QCOMPARE(messages.asked().first().icon, MsgIcon::Warning);

            // The dialog cancelled: nothing printed, nothing said.
            w.mNumberListCheck->setChecked(true);
            w.mPrintButton->click();
            QVERIFY(dialogShown);
            QCOMPARE(messages.asked().size(), 1);
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("hyotei.pdf"));
        {
            ScopedPrinterChooser chooser([&](const QString&) { return MakePdfPrinter(pdf); });
            w.mPrintButton->click();
        }
        QCOMPARE(messages.asked().size(), 2);
        QCOMPARE(messages.asked().last().text, QStringLiteral("印刷が終了しました"));
        QVERIFY(QFileInfo(pdf).size() > 1000);
        QVERIFY(w.isVisible());
        QVERIFY(!w.mProgressBar->isVisible());
        QCOMPARE(w.mStatusLabel->text(), QString());
        w.mCloseButton->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(messages.asked().size(), 2);
    }

    void emptyPopulationAndFailures()
    {
        chooseSubjectOneWeights();
        GradeData& gd = mGrade->gd();
        gd.evalClassSelected.fill(0);
        {
            HyoteiWindow w(*mSession);
            QVERIFY(w.loaded());
            QCOMPARE(w.mGrid->Rows(), 2);
            ScriptedMessages messages;
            w.mPrintButton->click();
            QCOMPARE(messages.asked().size(), 1);
            QCOMPARE(messages.asked().first().text, QStringLiteral("印刷する文書が設定されていません"));
        }
        gd.evalClassSelected.fill(1);
        gd.evalWeights[1] = 1000;
        ScriptedMessages messages;
        HyoteiWindow w(*mSession);
        QVERIFY(!w.loaded());
        QCOMPARE(messages.asked().size(), 1);
        QVERIFY(messages.asked().first().text.startsWith(QStringLiteral("重み付き合計が範囲")));
    }

private:
    void chooseSubjectOneWeights()
    {
        GradeData& gd = mGrade->gd();
        gd.selectedItemCount = 2;
        gd.selectedItems[1] = 1;
        gd.evalWeights[1] = 1;
        gd.selectedItems[2] = 3;
        gd.evalWeights[2] = 0.5;
    }

    QString command(const char* view)
    {
        const CommandRun run = RunCommand(RunSeiranReport, QStringLiteral("seiran-report"),
                                          {"--data", mGrade->folder(), "--grade", "3", "hyotei", "--subject", "1",
                                           "--weights", "1=1,3=0.5", "--tsv", "--view", QString::fromLatin1(view)});
        if (run.status != 0) qWarning() << run.err;
        return run.out;
    }

    std::unique_ptr<ScopedReportClock> mClock;
    std::unique_ptr<GradeFixture> mGrade;
    RecordingProgress mProgress;
    SilentNotice mNotice;
    std::unique_ptr<Session> mSession;
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
