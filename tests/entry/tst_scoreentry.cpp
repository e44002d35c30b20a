#include "Beep.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "ScoreEntryWindow.h"
#include "Session.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace seiran;

namespace {

// A grade of two classes: class 1 with numbers 1..30 except 4, class 2 with 1..25. Test 1 has
// four subjects, test 2 nine.
struct Env
{
    test::GradeFixture fx{3, 2};
    RecordingProgress progress;
    SilentNotice notice;
    int beepMode = 0;
    Session session{fx.gd(), progress, notice, QString(), [this] { return beepMode; }};

    explicit Env(int testNo)
    {
        fx.writeSubjects({QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"),
                          QStringLiteral("理科"), QStringLiteral("英語"), QStringLiteral("音楽"),
                          QStringLiteral("美術"), QStringLiteral("保体"), QStringLiteral("技家")});
        fx.writeTests({{QStringLiteral("4教科テスト"), 4}, {QStringLiteral("1学期期末"), 9}});
        fx.writeHomeroom();
        QList<test::FixturePupil> pupils;
        for (int n = 1; n <= 30; ++n) {
            if (n == 4) continue;
            test::FixturePupil p{1, n, QStringLiteral("一組%1").arg(n), n % 2 ? 1 : 2, {}, StudentRecord::InUse};
            pupils << p;
        }
        for (int n = 1; n <= 25; ++n)
            pupils << test::FixturePupil{2, n, QStringLiteral("二組%1").arg(n), 1, {}, StudentRecord::InUse};
        // The first pupil holds one of every kind of score code.
        pupils[0].scores = testNo == 2 ? QList<int>{87, -1, -5, -55, 0, 45, 60, 70, 80} : QList<int>{87, -1, -5, -55};
        pupils[1].sex = 0;
        fx.writeRoster(pupils, testNo);
        if (!fx.loadLists()) qFatal("lists");
        fx.gd().currentTest = testNo;
        const Result loaded = LoadTestScores(fx.gd(), progress);
        if (!loaded) qFatal("load: %s", qPrintable(loaded.message));
    }
};

std::unique_ptr<ScoreEntryWindow> openWindow(Env& env)
{
    auto w = std::make_unique<ScoreEntryWindow>(env.session);
    w->show();
    return w;
}

void select(FlexGrid* grid, int row, int col, int rowSel, int colSel)
{
    grid->setRow(row);
    grid->setCol(col);
    grid->setRowSel(rowSel);
    grid->setColSel(colSel);
}

void typeKeys(FlexGrid* grid, const QString& keys)
{
    for (QChar ch : keys) {
        if (ch == u'\n')
            QTest::keyClick(grid, Qt::Key_Return);
        else if (ch == u'\b')
            QTest::keyClick(grid, Qt::Key_Backspace);
        else if (ch == u' ')
            QTest::keyClick(grid, Qt::Key_Space);
        else
            QTest::keyClick(grid, ch.toLatin1());
    }
}

} // namespace

class TestDatainput : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetBeepCount(); }
    void showsTheTestOfTheWholeGrade();
    void keysEditTheCurrentCell();
    void decimalPointIsRefusedAndSaid();
    void enterMovesRightOrDown();
    void fiveSubjectWrap();
    void fiveSubjectWrapHasNoEffectOnFourSubjects();
    void warningBeepWhenLeavingATypedCell_data();
    void warningBeepWhenLeavingATypedCell();
    void copyAndPasteBack();
    void pasteIsLimitedToTheSelection();
    void copyWithNames();
    void deleteOnABackwardSelection();
    void classNavigation();
    void wheelScrollsTwoRows();
    void closeBoxAsksAndDiscards();
    void finishSavesOnlyChangedRecords();
    void failedSaveKeepsTheWindowOpen();
    void resizeKeepsTheMinimumAndFillsBelowTheButtons();
    void conversionRefusesValuesOutsideTheSlot();
    void untouchedCellsKeepTheirStoredCodes();
    void everyCommandOnGradesOfAnySize_data();
    void everyCommandOnGradesOfAnySize();
};

void TestDatainput::showsTheTestOfTheWholeGrade()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    QCOMPARE(w->windowTitle(), QStringLiteral("点数の入力（テスト別）"));
    QCOMPARE(w->mTestLabel->text(), QStringLiteral("点数の入力（テスト別）　3年 1学期期末"));
    QCOMPARE(g->Rows(), 55);
    QCOMPARE(g->Cols(), 13);
    QCOMPARE(g->FixedCols(), 4);
    QCOMPARE(g->TextMatrix(0, 2), QStringLiteral("氏   名"));
    QCOMPARE(g->TextMatrix(0, 4), QStringLiteral("国語"));
    QCOMPARE(g->TextMatrix(0, 12), QStringLiteral("技家"));
    QCOMPARE(g->ColAlignment(4) & Qt::AlignHCenter, Qt::AlignHCenter);

    QCOMPARE(g->TextMatrix(1, 0), QStringLiteral("1"));
    QCOMPARE(g->TextMatrix(1, 1), QStringLiteral("1"));
    QCOMPARE(g->TextMatrix(1, 2), QStringLiteral("一組1"));
    QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("男"));
    QCOMPARE(g->TextMatrix(2, 3), QString());           // sex never entered
    QCOMPARE(g->TextMatrix(4, 1), QStringLiteral("5")); // number 4 is not in use
    QCOMPARE(g->TextMatrix(5, 3), QStringLiteral("女"));
    QCOMPARE(g->TextMatrix(30, 0), QStringLiteral("2"));

    const QStringList first{"87", "-", "", "-45", "0", "45", "60", "70", "80"};
    for (int j = 0; j < first.size(); ++j)
        QCOMPARE(g->TextMatrix(1, 4 + j), first.at(j));
    QCOMPARE(g->TextMatrix(2, 4), QString()); // a slot never written holds -5

    QCOMPARE(g->Row(), 1);
    QCOMPARE(g->Col(), 4);
    QVERIFY(w->askOnClose());
    QVERIFY(w->cellUntouched());
    QCOMPARE(w->currentClass(), 1);
    QVERIFY(w->mMoveRightCheck->isChecked());
    QVERIFY(!w->mWrapFiveCheck->isChecked());
    QCOMPARE(w->mClassCombo->count(), 2);
    QCOMPARE(w->mClassCombo->itemText(1), QStringLiteral("2組"));
    QCOMPARE(w->minimumSize(), QSize(512, 352));
    QCOMPARE(w->mPasteButton->text(), QStringLiteral("張付"));
    QCOMPARE(w->mCopyButton->text(), QStringLiteral("ｺﾋﾟｰ"));
    QCOMPARE(w->mExtraButton->text(), QStringLiteral("名付ｺﾋﾟｰ"));
}

void TestDatainput::keysEditTheCurrentCell()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    w->mMoveRightCheck->setChecked(false);

    typeKeys(g, QStringLiteral("9")); // first digit replaces 87
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("9"));
    QVERIFY(!w->cellUntouched());
    typeKeys(g, QStringLiteral("2\b5"));
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("95"));
    typeKeys(g, QStringLiteral("x.\n")); // a letter is ignored, the point refused with a beep
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("95"));
    QCOMPARE(BeepCount(), 1);
    QCOMPARE(g->Row(), 2);
    QVERIFY(w->cellUntouched());

    typeKeys(g, QStringLiteral("-45\n-\n7 \n-0\n"));
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("-45"));
    QCOMPARE(g->TextMatrix(3, 4), QStringLiteral("-"));
    QCOMPARE(g->TextMatrix(4, 4), QString());
    QCOMPARE(g->TextMatrix(5, 4), QStringLiteral("-0"));

    // A digit that would overflow the slot is refused with a beep; the cell keeps its text.
    typeKeys(g, QStringLiteral("32768"));
    QCOMPARE(g->TextMatrix(6, 4), QStringLiteral("3276"));
    QCOMPARE(BeepCount(), 2);
    typeKeys(g, QStringLiteral("7"));
    QCOMPARE(g->TextMatrix(6, 4), QStringLiteral("32767"));

    // Keys in nothing but the current cell; the grid is not a text editor.
    QCOMPARE(g->TextMatrix(6, 5), QString());
    QCOMPARE(env.fx.gd().scores(1, 1), 87); // nothing reaches GradeData before the finish
}

void TestDatainput::decimalPointIsRefusedAndSaid()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    QVERIFY(w->mStatusLabel && w->mStatusLabel->isVisible());
    QCOMPARE(w->mStatusLabel->text(), QString());

    // "45.5": the point is refused, the cell keeps "45", the beep sounds and the status line says why.
    typeKeys(g, QStringLiteral("45."));
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("45"));
    QCOMPARE(BeepCount(), 1);
    QCOMPARE(w->mStatusLabel->text(), QStringLiteral("小数は入力できません"));
    // The digits after the point are refused too, so that the cell never reads 455.
    typeKeys(g, QStringLiteral("5"));
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("45"));
    QCOMPARE(BeepCount(), 2);
    QCOMPARE(w->mStatusLabel->text(), QStringLiteral("小数は入力できません"));
    // A correction ends that; the word stays until the next key, whichever it is.
    typeKeys(g, QStringLiteral("\b"));
    QCOMPARE(w->mStatusLabel->text(), QString());
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("4"));

    // The full-width point of the input method likewise.
    QTest::sendKeyEvent(QTest::Press, g, Qt::Key_unknown, QStringLiteral("．"), Qt::NoModifier);
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("4"));
    QCOMPARE(BeepCount(), 3);
    QCOMPARE(w->mStatusLabel->text(), QStringLiteral("小数は入力できません"));
    QTest::keyClick(g, Qt::Key_Right);
    QCOMPARE(w->mStatusLabel->text(), QString());
    // In the next cell digits are taken again.
    typeKeys(g, QStringLiteral("7"));
    QCOMPARE(g->TextMatrix(1, 5), QStringLiteral("7"));
    QCOMPARE(BeepCount(), 3);

    // The status line lies under the grid; the grid keeps its place below the buttons.
    QCOMPARE(w->mStatusLabel->geometry().top(), g->geometry().bottom() + 1);
    ScriptedMessages quiet;
    quiet.queue(MsgAnswer::Yes);
    w->close();
}

void TestDatainput::enterMovesRightOrDown()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    const int last = g->Rows() - 1;

    typeKeys(g, QStringLiteral("\n"));
    QCOMPARE(g->Row(), 1);
    QCOMPARE(g->Col(), 5);

    g->setRow(1);
    g->setCol(12);
    typeKeys(g, QStringLiteral("\n"));
    QCOMPARE(g->Row(), 2);
    QCOMPARE(g->Col(), 4);
    QCOMPARE(g->LeftCol(), 4);

    g->setRow(last);
    g->setCol(12);
    typeKeys(g, QStringLiteral("\n"));
    QCOMPARE(g->Row(), last);
    QCOMPARE(g->Col(), 4);

    w->mMoveRightCheck->setChecked(false);
    g->setRow(3);
    g->setCol(6);
    g->setRowSel(5);
    typeKeys(g, QStringLiteral("\n"));
    QCOMPARE(g->Row(), 4);
    QCOMPARE(g->Col(), 6);
    QCOMPARE(g->RowSel(), 4);
    g->setRow(last);
    typeKeys(g, QStringLiteral("\n"));
    QCOMPARE(g->Row(), last);

    // Moving down a long way keeps the current cell in view, one row at a time.
    w->resize(w->minimumSize());
    g->setTopRow(1);
    g->setRow(1);
    for (int i = 0; i < 40; ++i)
        typeKeys(g, QStringLiteral("\n"));
    QCOMPARE(g->Row(), 41);
    QVERIFY(g->Row() < g->TopRow() + g->visibleRows());
    QVERIFY(g->Row() >= g->TopRow());
}

void TestDatainput::fiveSubjectWrap()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    QTest::mouseClick(w->mWrapFiveCheck, Qt::LeftButton);
    QVERIFY(w->mWrapFiveCheck->isChecked());
    typeKeys(g, QStringLiteral("1\n2\n3\n4\n5\n6\n"));
    QCOMPARE(g->TextMatrix(1, 8), QStringLiteral("5"));
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("6"));
    QCOMPARE(g->Row(), 2);
    QCOMPARE(g->Col(), 5);

    // Beyond the fifth subject Enter goes on to the right, and wraps after the last subject.
    g->setCol(10);
    typeKeys(g, QStringLiteral("\n"));
    QCOMPARE(g->Row(), 2);
    QCOMPARE(g->Col(), 11);
    typeKeys(g, QStringLiteral("\n\n"));
    QCOMPARE(g->Row(), 3);
    QCOMPARE(g->Col(), 4);
}

void TestDatainput::fiveSubjectWrapHasNoEffectOnFourSubjects()
{
    Env env(1);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    QCOMPARE(g->Cols(), 8);
    QCOMPARE(w->mTestLabel->text(), QStringLiteral("点数の入力（テスト別）　3年 4教科テスト"));
    for (bool wrap : {false, true}) {
        w->mWrapFiveCheck->setChecked(wrap);
        g->setRow(1);
        g->setCol(4);
        typeKeys(g, QStringLiteral("\n\n\n"));
        QCOMPARE(g->Col(), 7);
        typeKeys(g, QStringLiteral("\n"));
        QCOMPARE(g->Row(), 2);
        QCOMPARE(g->Col(), 4);
    }
}

void TestDatainput::warningBeepWhenLeavingATypedCell_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("beeps");

    QTest::newRow("50 of 50") << 1 << "50" << 0;
    QTest::newRow("51 of 50") << 1 << "51" << 1;
    QTest::newRow("100 of 100") << 2 << "100" << 0;
    QTest::newRow("101 of 100") << 2 << "101" << 1;
    QTest::newRow("none") << 0 << "999" << 0;
}

void TestDatainput::warningBeepWhenLeavingATypedCell()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(int, beeps);
    Env env(2);
    env.beepMode = mode;
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;

    typeKeys(g, typed + QStringLiteral("\n"));
    QCOMPARE(BeepCount(), beeps);
    QCOMPARE(g->TextMatrix(1, 4), typed); // the value stays

    // Leaving with an arrow key counts as leaving too.
    ResetBeepCount();
    typeKeys(g, typed);
    QTest::keyClick(g, Qt::Key_Down);
    QCOMPARE(BeepCount(), beeps);

    // Cells merely passed through never beep, whatever they hold.
    ResetBeepCount();
    g->setTextMatrix(3, 5, QStringLiteral("999"));
    g->setTextMatrix(4, 5, QStringLiteral("999"));
    QTest::keyClick(g, Qt::Key_Down);
    QTest::keyClick(g, Qt::Key_Down);
    QTest::keyClick(g, Qt::Key_Down);
    QTest::keyClick(g, Qt::Key_Left);
    QCOMPARE(BeepCount(), 0);
}

void TestDatainput::copyAndPasteBack()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    QClipboard* clip = QGuiApplication::clipboard();

    select(g, 2, 6, 1, 4); // dragged backwards
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clip->text(), QStringLiteral("87\t-\t\r\n\t\t\r\n"));

    // Write a block of our own, copy it, clear it and paste it back.
    const QStringList values{"10", "20", "-3", "40", "", "-"};
    for (int i = 0; i < 6; ++i)
        g->setTextMatrix(10 + i / 3, 5 + i % 3, values.at(i));
    select(g, 10, 5, 11, 7);
    w->onCopyClicked();
    const QString copied = clip->text();
    QCOMPARE(copied, QStringLiteral("10\t20\t-3\r\n40\t\t-\r\n"));
    QTest::keyClick(g, Qt::Key_Delete);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(g->TextMatrix(10 + i / 3, 5 + i % 3), QString());
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(g->TextMatrix(10 + i / 3, 5 + i % 3), values.at(i));

    // Into a single selected cell only the first value goes.
    select(g, 20, 4, 20, 4);
    w->onPasteClicked();
    QCOMPARE(g->TextMatrix(20, 4), QStringLiteral("10"));
    QCOMPARE(g->TextMatrix(20, 5), QString());
    QCOMPARE(g->TextMatrix(21, 4), QString());
}

void TestDatainput::pasteIsLimitedToTheSelection()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    QClipboard* clip = QGuiApplication::clipboard();

    select(g, 5, 5, 5, 5);
    clip->setText(QStringLiteral("80"));
    w->onPasteClicked();
    QCOMPARE(g->TextMatrix(5, 5), QString());
    clip->setText(QStringLiteral("80\r\n"));
    w->onPasteClicked();
    QCOMPARE(g->TextMatrix(5, 5), QStringLiteral("80"));

    // Spreadsheet text with letters and blanks: digits and "-" are kept. A decimal is refused
    // with a beep and its cell keeps its value (it never becomes 455).
    select(g, 6, 5, 7, 6);
    g->setTextMatrix(6, 5, QStringLiteral("30"));
    clip->setText(QStringLiteral("45.5\t 7 2 \t99\nab\t-1x\n1\t2\n"));
    w->onPasteClicked();
    QCOMPARE(g->TextMatrix(6, 5), QStringLiteral("30"));
    QCOMPARE(g->TextMatrix(6, 6), QStringLiteral("72"));
    QCOMPARE(g->TextMatrix(6, 7), QString());
    QCOMPARE(g->TextMatrix(7, 5), QString());
    QCOMPARE(g->TextMatrix(7, 6), QStringLiteral("-1"));
    QCOMPARE(g->TextMatrix(8, 5), QString());
    QCOMPARE(BeepCount(), 1);
    ResetBeepCount();

    // A value that does not fit its slot is not taken.
    select(g, 9, 5, 9, 6);
    clip->setText(QStringLiteral("99999\t12\r\n"));
    w->onPasteClicked();
    QCOMPARE(g->TextMatrix(9, 5), QString());
    QCOMPARE(g->TextMatrix(9, 6), QStringLiteral("12"));
    QCOMPARE(BeepCount(), 1);
}

void TestDatainput::copyWithNames()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    select(g, 4, 4, 3, 5);
    QTest::mouseClick(w->mExtraButton, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("3103\t一組3\t\t\r\n3105\t一組5\t\t\r\n"));
    select(g, 30, 4, 30, 4);
    w->onExtraClicked();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("3201\t二組1\t\r\n"));
}

void TestDatainput::deleteOnABackwardSelection()
{
    Env env(2);
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    for (int r = 1; r <= 4; ++r)
        for (int c = 4; c <= 8; ++c)
            g->setTextMatrix(r, c, QStringLiteral("5"));
    select(g, 3, 7, 2, 5);
    QTest::keyClick(g, Qt::Key_Delete);
    for (int r = 1; r <= 4; ++r) {
        for (int c = 4; c <= 8; ++c) {
            const bool inside = r >= 2 && r <= 3 && c >= 5 && c <= 7;
            QCOMPARE(g->TextMatrix(r, c), inside ? QString() : QStringLiteral("5"));
        }
    }
    QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("一組2"));
}

void TestDatainput::classNavigation()
{
    Env env(2);
    auto w = openWindow(env);
    w->resize(w->minimumSize());
    FlexGrid* g = w->mGrid;
    const GradeData& gd = env.fx.gd();
    QCOMPARE(gd.classStart[2], 30);

    w->onPreviousClicked(); // class 1 at the top: nothing before it
    QCOMPARE(g->TopRow(), 1);
    QCOMPARE(w->mClassCombo->currentIndex(), 0);

    QTest::mouseClick(w->mNextButton, Qt::LeftButton);
    QCOMPARE(w->mClassCombo->currentIndex(), 1);
    QCOMPARE(w->currentClass(), 2);
    QCOMPARE(g->TopRow(), 30);
    QCOMPARE(g->Row(), 30);
    QCOMPARE(g->Col(), 4);

    w->onNextClicked(); // the last class: nothing after it
    QCOMPARE(w->mClassCombo->currentIndex(), 1);
    QCOMPARE(g->TopRow(), 30);

    // The buttons go by what is in view, not by the last choice.
    g->setTopRow(10);
    w->onNextClicked();
    QCOMPARE(g->TopRow(), 30);
    w->onPreviousClicked();
    QCOMPARE(w->mClassCombo->currentIndex(), 0);
    QCOMPARE(g->TopRow(), 1);
    QCOMPARE(g->Row(), 1);
}

void TestDatainput::wheelScrollsTwoRows()
{
    Env env(2);
    auto w = openWindow(env);
    w->resize(w->minimumSize());
    FlexGrid* g = w->mGrid;
    w->onGridWheel(1);
    QCOMPARE(g->TopRow(), 1);
    w->onGridWheel(-1);
    QCOMPARE(g->TopRow(), 3);
    g->setTopRow(2);
    w->onGridWheel(1);
    QCOMPARE(g->TopRow(), 1);

    // A real notch goes through the same step.
    QWheelEvent notch(QPointF(50, 50), g->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(g->viewport(), &notch);
    QCOMPARE(g->TopRow(), 3);
}

void TestDatainput::closeBoxAsksAndDiscards()
{
    Env env(2);
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow(env);
    typeKeys(w->mGrid, QStringLiteral("55\n66\n"));

    ScriptedMessages answers;
    answers.queue(MsgAnswer::No);
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QCOMPARE(answers.asked().size(), 1);
    const MessageQuestion q = answers.asked().first();
    QCOMPARE(q.text, QStringLiteral("データを保存せずに終了してよいですか"));
    QCOMPARE(q.buttons, MsgButtons::YesNo);
    QCOMPARE(q.icon, MsgIcon::Warning);
    QCOMPARE(q.defaultButton, 2);
    QCOMPARE(w->mGrid->TextMatrix(1, 4), QStringLiteral("55"));

    answers.queue(MsgAnswer::Yes);
    QVERIFY(w->close());
    QVERIFY(!w->isVisible());
    QCOMPARE(env.fx.rosterBytes(), before);
    QCOMPARE(env.fx.gd().scores(1, 1), 87);
}

void TestDatainput::finishSavesOnlyChangedRecords()
{
    Env env(2);
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow(env);
    FlexGrid* g = w->mGrid;
    w->mMoveRightCheck->setChecked(false);
    // Pupil 1 (record 1): 国語 to 92. Pupil 3 (record 3): "-45", "-", "", "-0" in four subjects.
    typeKeys(g, QStringLiteral("92"));
    g->setRow(3);
    typeKeys(g, QStringLiteral("-45"));
    g->setCol(5);
    typeKeys(g, QStringLiteral("-"));
    g->setCol(6);
    typeKeys(g, QStringLiteral("7 "));
    g->setCol(7);
    typeKeys(g, QStringLiteral("-0"));

    ScriptedMessages answers;
    QTest::mouseClick(w->mFinishButton, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(answers.asked().isEmpty());
    QVERIFY(env.progress.statusTexts.contains(QStringLiteral("データ書込中")));

    const int slot = env.fx.gd().testFirstSlot[2];
    QCOMPARE(env.fx.readRecord(1).scoreSlot(slot), 92);
    const StudentRecord third = env.fx.readRecord(3);
    QCOMPARE(third.scoreSlot(slot), -55);
    QCOMPARE(third.scoreSlot(slot + 1), -1);
    QCOMPARE(third.scoreSlot(slot + 2), -5);
    QCOMPARE(third.scoreSlot(slot + 3), -10); // "-0" is a bracketed zero, not a score of 0

    // Every other record is untouched, byte for byte.
    const QByteArray after = env.fx.rosterBytes();
    QCOMPARE(after.size(), before.size());
    for (int r = 1; r <= after.size() / 512; ++r) {
        if (r == 1 || r == 3) continue;
        QVERIFY2(after.mid((r - 1) * 512, 512) == before.mid((r - 1) * 512, 512), qPrintable(QString::number(r)));
    }

    // Reopening shows what was stored.
    QVERIFY(LoadTestScores(env.fx.gd(), env.progress).ok);
    auto again = openWindow(env);
    QCOMPARE(again->mGrid->TextMatrix(3, 4), QStringLiteral("-45"));
    QCOMPARE(again->mGrid->TextMatrix(3, 5), QStringLiteral("-"));
    QCOMPARE(again->mGrid->TextMatrix(3, 6), QString());
    QCOMPARE(again->mGrid->TextMatrix(3, 7), QStringLiteral("-0"));
    QCOMPARE(again->mGrid->TextMatrix(1, 4), QStringLiteral("92"));
    ScriptedMessages quiet;
    again->close();
}

void TestDatainput::failedSaveKeepsTheWindowOpen()
{
    Env env(2);
    auto w = openWindow(env);
    typeKeys(w->mGrid, QStringLiteral("92"));

    // The roster file has turned into something that cannot be written.
    const QString path = env.fx.rosterPath();
    const QByteArray roster = env.fx.rosterBytes();
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));

    ScriptedMessages answers;
    w->onFinishClicked();
    QVERIFY(w->isVisible());
    QCOMPARE(answers.asked().size(), 1);
    QCOMPARE(answers.asked().first().icon, MsgIcon::Critical);
    QVERIFY2(answers.asked().first().text.contains(QStringLiteral("dtfile03.rnd")),
             qPrintable(answers.asked().first().text));
    QVERIFY(w->askOnClose());
    QCOMPARE(w->mGrid->TextMatrix(1, 4), QStringLiteral("92"));

    // Once the file can be written again (the same pupils in their seats), the same window saves.
    QVERIFY(QDir().rmdir(path));
    test::WriteFileBytes(path, roster);
    answers.clear();
    w->onFinishClicked();
    QVERIFY(!w->isVisible());
}

void TestDatainput::resizeKeepsTheMinimumAndFillsBelowTheButtons()
{
    Env env(2);
    auto w = openWindow(env);
    w->resize(100, 100);
    QVERIFY(w->width() >= 512);
    QVERIFY(w->height() >= 352);
    w->resize(800, 600);
    QCOMPARE(w->size(), QSize(800, 600));
    const QPoint button = w->mNextButton->mapTo(w.get(), QPoint(0, 0));
    const int m = button.x();
    const QRect grid = w->mGrid->geometry();
    QCOMPARE(grid.left(), m);
    QCOMPARE(grid.top(), button.y() + w->mNextButton->height() + m);
    QCOMPARE(grid.width(), 800 - 2 * m);
    // Below the grid, the status line.
    const QRect status = w->mStatusLabel->geometry();
    QCOMPARE(status.top(), grid.bottom() + 1);
    QCOMPARE(status.width(), grid.width());
    QCOMPARE(status.bottom() + 1, 600 - m);
    ScriptedMessages quiet;
    quiet.queue(MsgAnswer::Yes);
    w->close();
}

void TestDatainput::conversionRefusesValuesOutsideTheSlot()
{
    Env env(2);
    GradeData& gd = env.fx.gd();
    QStringList cells(gd.studentCount * 9, QStringLiteral("7"));
    const auto cell = [&cells](int i, int j) { return cells.at((i - 1) * 9 + (j - 1)); };

    cells[(5 - 1) * 9 + 2] = QStringLiteral("40000"); // pupil 5 (number 6), 数学
    Result r = ConvertCellsToScores(gd, 9, cell);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("1組 6番 数学")), qPrintable(r.message));
    QCOMPARE(gd.scores(1, 1), 87); // nothing converted

    cells[(5 - 1) * 9 + 2] = QStringLiteral("-32759");
    QVERIFY(!ConvertCellsToScores(gd, 9, cell).ok);
    cells[(5 - 1) * 9 + 2] = QStringLiteral("-32758");
    r = ConvertCellsToScores(gd, 9, cell);
    QVERIFY(r.ok);
    QCOMPARE(gd.scores(3, 5), -32768);
    QCOMPARE(gd.scores(1, 1), 7);
}

void TestDatainput::untouchedCellsKeepTheirStoredCodes()
{
    // Codes no key gives: -3 shows "-3" (which would read back as -13). Finishing without
    // touching it keeps it; -10, a bracketed 0, shows "-0" and reads back as itself.
    Env env(2);
    const int slot = env.fx.gd().testFirstSlot[2];
    StudentRecord rec = env.fx.readRecord(2);
    rec.setScoreSlot(slot, -3);
    rec.setScoreSlot(slot + 1, -10);
    env.fx.writeRecord(2, rec);
    QVERIFY(LoadTestScores(env.fx.gd(), env.progress).ok);
    const QByteArray before = env.fx.rosterBytes();

    auto w = openWindow(env);
    QCOMPARE(w->mGrid->TextMatrix(2, 4), QStringLiteral("-3"));
    QCOMPARE(w->mGrid->TextMatrix(2, 5), QStringLiteral("-0"));
    ScriptedMessages answers;
    w->onFinishClicked();
    QVERIFY(!w->isVisible());
    QCOMPARE(env.fx.rosterBytes(), before);

    // A cell given another text takes the value typed.
    QVERIFY(LoadTestScores(env.fx.gd(), env.progress).ok);
    auto again = openWindow(env);
    again->mGrid->setRow(2);
    again->mGrid->setCol(5);
    typeKeys(again->mGrid, QStringLiteral("12"));
    again->onFinishClicked();
    QVERIFY(!again->isVisible());
    QCOMPARE(env.fx.readRecord(2).scoreSlot(slot), -3);
    QCOMPARE(env.fx.readRecord(2).scoreSlot(slot + 1), 12);
}

void TestDatainput::everyCommandOnGradesOfAnySize_data()
{
    QTest::addColumn<int>("classes");
    QTest::addColumn<QList<int>>("sizes"); // pupils of class 1, 2, ...

    QTest::newRow("no pupils") << 1 << QList<int>{0};
    QTest::newRow("one pupil") << 1 << QList<int>{1};
    QTest::newRow("empty classes between") << 4 << QList<int>{3, 0, 2, 0};
    QTest::newRow("400 pupils in nine classes") << 9 << QList<int>{50, 50, 50, 50, 50, 50, 50, 50, 0};
    QTest::newRow("nine classes of up to 60") << 9 << QList<int>{60, 60, 60, 60, 60, 60, 37, 1, 2};
}

void TestDatainput::everyCommandOnGradesOfAnySize()
{
    QFETCH(int, classes);
    QFETCH(QList<int>, sizes);
    test::GradeFixture fx(2, classes);
    fx.writeStandard({});
    QList<test::FixturePupil> pupils;
    for (int k = 1; k <= classes; ++k)
        for (int n = 1; n <= sizes.at(k - 1); ++n)
            pupils << test::FixturePupil{k, n, QStringLiteral("生徒%1").arg(n), 1 + n % 2, {}, StudentRecord::InUse};
    fx.writeRoster(pupils, 2);
    QVERIFY(fx.loadLists());
    fx.gd().currentTest = 2;
    RecordingProgress progress;
    SilentNotice notice;
    Session session{fx.gd(), progress, notice, QString(), [] { return 1; }};
    QVERIFY(LoadTestScores(fx.gd(), progress).ok);
    const int n = fx.gd().studentCount;
    QVERIFY(n <= Limits::Students);

    ScoreEntryWindow w(session);
    w.show();
    FlexGrid* g = w.mGrid;
    QCOMPARE(g->Rows(), n + 1);
    QCOMPARE(w.mClassCombo->count(), classes);
    QClipboard* clip = QGuiApplication::clipboard();

    typeKeys(g, QStringLiteral("77\n-\n\b\n"));
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    clip->setText(QStringLiteral("1\t2\r\n3\t4\r\n"));
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    w.onExtraClicked();
    QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(g, Qt::Key_Delete);
    typeKeys(g, QStringLiteral("5\n5\n"));
    for (int i = 0; i < 12; ++i)
        w.onNextClicked();
    for (int i = 0; i < 6; ++i)
        w.onGridWheel(-1);
    for (int i = 0; i < 12; ++i)
        w.onPreviousClicked();
    for (int i = 0; i < 6; ++i)
        w.onGridWheel(1);
    for (int k = classes - 1; k >= 0; --k) {
        w.mClassCombo->setCurrentIndex(k);
        // The class's first pupil is in view, at the top unless the list ends first.
        const int start = fx.gd().classStart[k + 1];
        if (n > 0 && sizes.at(k) > 0)
            QVERIFY(start == g->TopRow() || (start > g->TopRow() && start < g->TopRow() + g->visibleRows()));
    }
    // Choosing the class already shown scrolls back to it all the same.
    g->setTopRow(n);
    g->setCol(5);
    w.mClassCombo->activated(0);
    if (n > 0) {
        QCOMPARE(g->TopRow(), 1);
        QCOMPARE(g->Row(), 1);
        QCOMPARE(g->Col(), 4);
        typeKeys(g, QStringLiteral("64"));
    }

    ScriptedMessages answers;
    w.onFinishClicked();
    QVERIFY(!w.isVisible());
    QVERIFY(answers.asked().isEmpty());
    QVERIFY(!progress.visible);
    if (n > 0) QCOMPARE(fx.readRecord(1).scoreSlot(fx.gd().testFirstSlot[2]), 64);
}

QTEST_MAIN(TestDatainput)
#include "tst_scoreentry.moc"
