#include "Beep.h"
#include "ClassPicker.h"
#include "ClassPupilPicker.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "Notice.h"
#include "PickerLayout.h"
#include "Progress.h"
#include "PupilPicker.h"
#include "ReportItemPicker.h"
#include "Session.h"
#include "SubjectTestsPicker.h"
#include "TestPicker.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace seiran;

namespace {

// A session over its own tables, with progress and notices that go nowhere.
struct PickerSession
{
    std::unique_ptr<GradeData> gd = std::make_unique<GradeData>();
    RecordingProgress progress;
    RecordingNotice notice;
    Session session{*gd, progress, notice, QString()};
};

QList<int> classAnswer(const GradeData& gd, int count)
{
    QList<int> out;
    for (int k = 1; k <= count; ++k)
        out.append(gd.classSelected[k]);
    return out;
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void checkBoxLayout_data();
    void checkBoxLayout();
    void classPicker();
    void classPickerCaptionsFollowClassLabels();
    void classPickerWithPupils();
    void pupilPickerMarksDownwardSelection();
    void pupilPickerWheelAndAnswers();
    void subjectPicker();
    void testPicker();
    void testPickerCancelAndEmptyList();
    void subjectAndTestsPicker();
    void emptyGrade();
};

void TestPickers::checkBoxLayout_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("perRow");
    QTest::addColumn<QPoint>("expected");
    // First box at (10, 20), boxes 70 x 30.
    QTest::newRow("first box") << 0 << 5 << QPoint(10, 20);
    QTest::newRow("end of first row") << 4 << 5 << QPoint(290, 20);
    QTest::newRow("second row of classes") << 5 << 5 << QPoint(10, 50);
    QTest::newRow("ninth class") << 8 << 5 << QPoint(220, 50);
    QTest::newRow("fifth item") << 4 << 4 << QPoint(10, 50);
    QTest::newRow("twentieth item") << 19 << 4 << QPoint(220, 140);
}

void TestPickers::checkBoxLayout()
{
    QFETCH(int, k);
    QFETCH(int, perRow);
    QFETCH(QPoint, expected);
    QCOMPARE(CheckBoxPosition(k, perRow, QPoint(10, 20), QSize(70, 30)), expected);
}

void TestPickers::classPicker()
{
    PickerSession p;
    p.gd->classCount = 7;
    for (int k = 1; k <= 9; ++k)
        p.gd->classSelected[k] = 1;

    ClassPicker dlg(p.session);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("印刷するクラスの選択"));
    QCOMPARE(dlg.classBoxCount(), 7);
    QCOMPARE(classAnswer(*p.gd, 9), QList<int>(9, 0)); // cleared when the window opens
    QCOMPARE(dlg.classBox(0)->text(), QStringLiteral("1組"));
    QCOMPARE(dlg.classBox(6)->text(), QStringLiteral("7組"));
    // Five to a row: the sixth box starts the second row under the first.
    QCOMPARE(dlg.classBox(5)->pos().x(), dlg.classBox(0)->pos().x());
    QVERIFY(dlg.classBox(5)->pos().y() > dlg.classBox(0)->pos().y());
    QCOMPARE(dlg.classBox(4)->pos().y(), dlg.classBox(0)->pos().y());

    dlg.onSelectAllClicked();
    for (int k = 0; k < 7; ++k)
        QVERIFY(dlg.classBox(k)->isChecked());
    dlg.onClearAllClicked();
    for (int k = 0; k < 7; ++k)
        QVERIFY(!dlg.classBox(k)->isChecked());
    QTest::mouseClick(dlg.classBox(1), Qt::LeftButton);
    dlg.classBox(6)->setChecked(true);
    QTest::mouseClick(dlg.mAcceptButton, Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(classAnswer(*p.gd, 9), QList<int>({0, 1, 0, 0, 0, 0, 1, 0, 0}));

    // Cancelled: no class is printed.
    ClassPicker again(p.session);
    again.onSelectAllClicked();
    again.onCancelClicked();
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QCOMPARE(classAnswer(*p.gd, 9), QList<int>(9, 0));
}

void TestPickers::classPickerCaptionsFollowClassLabels()
{
    PickerSession p;
    p.gd->classCount = 9;
    p.gd->classLabels = QStringLiteral("ABCDEFGHI");
    ClassPicker dlg(p.session);
    QCOMPARE(dlg.classBox(0)->text(), QStringLiteral("A組"));
    QCOMPARE(dlg.classBox(8)->text(), QStringLiteral("I組"));

    // A class count beyond the tables never makes more boxes than classes exist.
    p.gd->classCount = 12;
    ClassPicker many(p.session);
    QCOMPARE(many.classBoxCount(), 9);
}

void TestPickers::classPickerWithPupils()
{
    PickerSession p;
    GradeData& gd = *p.gd;
    gd.classCount = 3;
    gd.studentCount = 5;
    const int classes[] = {0, 1, 1, 2, 3, 3};
    for (int s = 1; s <= 5; ++s) {
        gd.studentClass[s] = classes[s];
        gd.studentSelected[s] = true;
    }

    {
        ClassPupilPicker dlg(p.session);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("印刷するクラスの選択"));
        QCOMPARE(dlg.mAcceptButton->text(), QStringLiteral("印刷"));
        QCOMPARE(dlg.classBoxCount(), 3);
        QCOMPARE(dlg.mIndividualCheck->text(), QStringLiteral("個別指定"));
        // "個別指定" lies under the boxes, above the buttons.
        dlg.show();
        QVERIFY(dlg.mIndividualCheck->y() > dlg.classBox(0)->mapTo(&dlg, QPoint(0, 0)).y());
        QVERIFY(dlg.mIndividualCheck->y() < dlg.mAcceptButton->y());
        gd.classSelected[1] = 1;
        dlg.classBox(2)->setChecked(true);
        // The button answers with the pupils, not with the classes.
        QTest::mouseClick(dlg.mAcceptButton, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(gd.classSelected[1], 1);
        const QList<bool> expected = {false, false, false, true, true};
        for (int s = 1; s <= 5; ++s)
            QCOMPARE(gd.studentSelected[s], expected.at(s - 1));
    }

    // "個別指定": the class boxes are disabled, the pupil picker decides.
    {
        ClassPupilPicker dlg(p.session);
        int pickerRuns = 0;
        dlg.setStudentPickerRunner([&] {
            ++pickerRuns;
            gd.studentSelected[1] = true;
        });
        dlg.classBox(0)->setChecked(true);
        dlg.mIndividualCheck->setChecked(true);
        dlg.onIndividualToggled();
        QCOMPARE(pickerRuns, 1);
        for (int k = 0; k < 3; ++k)
            QVERIFY(!dlg.classBox(k)->isEnabled());
        dlg.onAcceptClicked();
        const QList<bool> expected = {true, false, false, true, true}; // as the pupil picker left it
        for (int s = 1; s <= 5; ++s)
            QCOMPARE(gd.studentSelected[s], expected.at(s - 1));
    }
    {
        ClassPupilPicker dlg(p.session);
        dlg.setStudentPickerRunner([] {});
        dlg.mIndividualCheck->setChecked(true);
        dlg.onIndividualToggled();
        dlg.mIndividualCheck->setChecked(false);
        dlg.onIndividualToggled();
        QVERIFY(dlg.classBox(1)->isEnabled());
        // Cancel leaves the pupils untouched.
        dlg.onSelectAllClicked();
        dlg.onCancelClicked();
        QCOMPARE(gd.studentSelected[2], false);
        QCOMPARE(gd.studentSelected[4], true);
    }
}

void TestPickers::pupilPickerMarksDownwardSelection()
{
    test::GradeFixture fx(2, 2);
    QList<test::FixturePupil> pupils;
    for (int n = 1; n <= 8; ++n)
        pupils.append({1, n, QStringLiteral("生徒%1").arg(n), n % 2 ? 1 : 2, {}, StudentRecord::InUse});
    pupils.append({2, 3, QStringLiteral("山田太郎"), 1, {}, StudentRecord::InUse});
    fx.writeStandard(pupils);
    QVERIFY(fx.loadLists());
    fx.gd().classLabels = QStringLiteral("ABCDEFGHI");
    fx.gd().studentSelected.fill(false);
    fx.gd().studentSelected[2] = true;
    RecordingProgress progress;
    RecordingNotice notice;
    Session session{fx.gd(), progress, notice, QString()};
    ResetBeepCount();

    PupilPicker dlg(session);
    FlexGrid* g = dlg.mGrid;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("生徒の指定"));
    QCOMPARE(g->Rows(), 10);
    QCOMPARE(g->Cols(), 6);
    const QStringList headings = {QStringLiteral("年"),   QStringLiteral("組"), QStringLiteral("番"),
                                  QStringLiteral("氏名"), QStringLiteral("性"), QStringLiteral("指定")};
    for (int c = 0; c < 6; ++c)
        QCOMPARE(g->TextMatrix(0, c), headings.at(c));
    QCOMPARE(g->TextMatrix(9, 0), QStringLiteral("2"));
    QCOMPARE(g->TextMatrix(9, 1), QStringLiteral("B"));
    QCOMPARE(g->TextMatrix(9, 2), QStringLiteral("3"));
    QCOMPARE(g->TextMatrix(9, 3), QStringLiteral("山田太郎"));
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("女"));
    QCOMPARE(g->TextMatrix(2, 5), QStringLiteral("○"));
    QCOMPARE(g->TextMatrix(1, 5), QString());
    QVERIFY(g->ColWidth(3) > 3 * g->ColWidth(0));
    QCOMPARE(g->ColAlignment(3) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QCOMPARE(g->ColAlignment(0) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // Rows 3..7 selected downwards: all take the opposite of row 3's old mark.
    g->setRow(3);
    g->setCol(5);
    g->setRowSel(7);
    dlg.onGridKeyPress(32);
    for (int r = 3; r <= 7; ++r)
        QCOMPARE(g->TextMatrix(r, 5), QStringLiteral("○"));
    QCOMPARE(g->TextMatrix(8, 5), QString());
    g->setRow(2);
    g->setRowSel(4);
    dlg.onGridDoubleClick(); // row 2 was marked: 2..4 are cleared
    for (int r = 2; r <= 4; ++r)
        QCOMPARE(g->TextMatrix(r, 5), QString());
    QCOMPARE(g->TextMatrix(5, 5), QStringLiteral("○"));

    // A selection drawn upwards changes nothing, and says so with a beep.
    g->setRow(6);
    g->setRowSel(3);
    dlg.onGridKeyPress(32);
    QCOMPARE(g->TextMatrix(6, 5), QStringLiteral("○"));
    QCOMPARE(g->TextMatrix(3, 5), QString());
    QCOMPARE(BeepCount(), 1);

    // Other keys do nothing; the space key reaches the picker through the grid.
    g->setRow(1);
    dlg.onGridKeyPress('a');
    QCOMPARE(g->TextMatrix(1, 5), QString());
    g->setFocus();
    QTest::keyClick(g, Qt::Key_Space);
    QCOMPARE(g->TextMatrix(1, 5), QStringLiteral("○"));

    dlg.onSetClicked();
    const QList<bool> expected = {true, false, false, false, true, true, true, false, false};
    for (int s = 1; s <= 9; ++s)
        QCOMPARE(fx.gd().studentSelected[s], expected.at(s - 1));
}

void TestPickers::pupilPickerWheelAndAnswers()
{
    test::GradeFixture fx(1, 1);
    QList<test::FixturePupil> pupils;
    for (int n = 1; n <= 40; ++n)
        pupils.append({1, n, QStringLiteral("生徒%1").arg(n), 1, {}, StudentRecord::InUse});
    fx.writeStandard(pupils);
    QVERIFY(fx.loadLists());
    fx.gd().studentSelected.fill(true);
    RecordingProgress progress;
    RecordingNotice notice;
    Session session{fx.gd(), progress, notice, QString()};

    PupilPicker dlg(session);
    dlg.resize(420, 300);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    FlexGrid* g = dlg.mGrid;
    QCOMPARE(g->TopRow(), 1);
    dlg.onGridWheel(-1);
    QCOMPARE(g->TopRow(), 3);
    dlg.onGridWheel(-1);
    QCOMPARE(g->TopRow(), 5);
    dlg.onGridWheel(1);
    QCOMPARE(g->TopRow(), 3);
    g->setTopRow(2);
    dlg.onGridWheel(1);
    QCOMPARE(g->TopRow(), 1); // never above the first pupil
    dlg.onGridWheel(1);
    QCOMPARE(g->TopRow(), 1);

    // Cancel keeps the caller's choice even after marks were changed.
    g->setRow(1);
    dlg.onGridKeyPress(32);
    dlg.onCancelClicked();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(fx.gd().studentSelected[1]);
}

void TestPickers::subjectPicker()
{
    PickerSession p;
    GradeData& gd = *p.gd;
    gd.itemCount = 6;
    const QStringList captions = {QStringLiteral("５教科合計"), QStringLiteral("国語"), QStringLiteral("社会"),
                                  QStringLiteral("数学"),       QStringLiteral("理科"), QStringLiteral("英語")};
    for (int i = 1; i <= 6; ++i) {
        gd.itemCaption[i] = captions.at(i - 1);
        gd.itemSelected[i] = 1;
    }
    gd.itemCaption[1] = QStringLiteral("合計");

    ReportItemPicker dlg(p.session);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("印刷する教科の選択"));
    QCOMPARE(dlg.itemBoxCount(), 6);
    QCOMPARE(dlg.itemBox(1)->text(), QStringLiteral("５教科合計"));
    QCOMPARE(dlg.itemBox(4)->text(), QStringLiteral("数学"));
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(gd.itemSelected[i], 0);
    // Four to a row.
    QCOMPARE(dlg.itemBox(5)->pos().x(), dlg.itemBox(1)->pos().x());
    QVERIFY(dlg.itemBox(5)->pos().y() > dlg.itemBox(4)->pos().y());

    dlg.onSelectAllClicked();
    dlg.itemBox(2)->setChecked(false);
    dlg.itemBox(6)->setChecked(false);
    dlg.onAcceptClicked();
    const QList<int> expected = {1, 0, 1, 1, 1, 0};
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(gd.itemSelected[i], expected.at(i - 1));

    ReportItemPicker cancelled(p.session);
    cancelled.onSelectAllClicked();
    cancelled.onClearAllClicked();
    cancelled.itemBox(3)->setChecked(true);
    cancelled.onCancelClicked();
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(gd.itemSelected[i], 0);
}

void TestPickers::testPicker()
{
    PickerSession p;
    GradeData& gd = *p.gd;
    gd.testCount = 3;
    gd.testNames[1] = QStringLiteral("中間");
    gd.testSubjectCount[1] = 9;
    gd.testNames[2] = QStringLiteral("期末テスト");
    gd.testSubjectCount[2] = 5;
    gd.testNames[3] = QStringLiteral("とても長い名前のテストで二十文字を超えるもの");
    gd.testSubjectCount[3] = 10;

    QCOMPARE(TestPickerRow(QStringLiteral("中間"), 9),
             QStringLiteral("中間") + QString(18, QLatin1Char(' ')) + QStringLiteral("(9科目)"));

    QComboBox testCombo;
    testCombo.addItem(QStringLiteral("古いテスト"));
    QSignalSpy changed(&testCombo, &QComboBox::currentIndexChanged);
    TestPicker dlg(p.session, &testCombo);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("テストの選択"));
    QCOMPARE(dlg.mPromptLabel->text(), QStringLiteral("テスト名を選んでください"));
    QCOMPARE(testCombo.count(), 3);
    QCOMPARE(testCombo.itemText(1), QStringLiteral("期末テスト"));
    QCOMPARE(changed.size(), 0); // filling the list chooses no test
    QCOMPARE(dlg.mTestList->count(), 3);
    QCOMPARE(dlg.mTestList->item(0)->text(), TestPickerRow(QStringLiteral("中間"), 9));
    QCOMPARE(dlg.mTestList->item(2)->text(), QStringLiteral("とても長い名前のテストで二十文字を超える(10科目)"));
    QCOMPARE(dlg.mTestList->currentRow(), 0);

    dlg.mTestList->setCurrentRow(1);
    dlg.onOkClicked();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(testCombo.currentIndex(), 1);
    QCOMPARE(changed.size(), 1);

    // The first row is chosen straight away, too.
    TestPicker first(p.session, &testCombo);
    first.onOkClicked();
    QCOMPARE(testCombo.currentIndex(), 0);
    QCOMPARE(changed.size(), 2);
}

void TestPickers::testPickerCancelAndEmptyList()
{
    PickerSession p;
    GradeData& gd = *p.gd;
    gd.testCount = 1;
    gd.testNames[1] = QStringLiteral("中間");
    gd.currentTest = 1;
    QComboBox testCombo;

    TestPicker cancelled(p.session, &testCombo);
    cancelled.onCancelClicked();
    QCOMPARE(gd.currentTest, -1);

    // Closing the window by its frame is a cancel as well.
    gd.currentTest = 1;
    TestPicker closed(p.session, &testCombo);
    closed.show();
    closed.close();
    QCOMPARE(gd.currentTest, -1);

    // With no tests, "ＯＫ" only beeps.
    gd.testCount = 0;
    gd.currentTest = 0;
    ResetBeepCount();
    TestPicker empty(p.session, &testCombo);
    QCOMPARE(testCombo.count(), 0);
    empty.show();
    empty.onOkClicked();
    QCOMPARE(BeepCount(), 1);
    QVERIFY(empty.isVisible());
    QCOMPARE(gd.currentTest, 0);
}

void TestPickers::subjectAndTestsPicker()
{
    PickerSession p;
    GradeData& gd = *p.gd;
    gd.subjectCount = 9;
    for (int k = 1; k <= 9; ++k)
        gd.subjectNames[k] = QStringLiteral("教科%1").arg(k);
    gd.testCount = 4;
    const int counts[] = {0, 5, 9, 5, 6};
    for (int t = 1; t <= 4; ++t) {
        gd.testNames[t] = QStringLiteral("テスト%1").arg(t);
        gd.testSubjectCount[t] = counts[t];
    }
    gd.selectedItemCount = 3;
    gd.selectedItems[1] = 1;

    SubjectTestsPicker dlg(p.session);
    QCOMPARE(dlg.mPromptLabel->text(), QStringLiteral("教科とテスト名を選んでください(テスト名と複数選択可）"));
    QCOMPARE(gd.selectedItemCount, 0); // an earlier choice does not survive the opening
    QCOMPARE(dlg.mSubjectList->count(), 9);
    QCOMPARE(dlg.mTestList->count(), 4);
    QCOMPARE(dlg.mTestList->item(0)->text(), QStringLiteral("テスト1") + QString(16, QLatin1Char(' ')));

    // The sixth subject is only in the tests with at least six subjects.
    dlg.mSubjectList->setCurrentRow(5);
    QCOMPARE(dlg.mTestList->count(), 2);
    QCOMPARE(dlg.testOfRow(0), 2);
    QCOMPARE(dlg.testOfRow(1), 4);
    QVERIFY(dlg.mTestList->item(0)->isSelected());
    dlg.mTestList->item(1)->setSelected(true);
    dlg.onOkClicked();
    QCOMPARE(gd.selectedItemCount, 2);
    QCOMPARE(gd.selectedItems[1], 2);
    QCOMPARE(gd.selectedItems[2], 4);
    QCOMPARE(gd.evalSubject, 6);

    // Nothing selected: no test.
    SubjectTestsPicker none(p.session);
    none.mTestList->clearSelection();
    none.onOkClicked();
    QCOMPARE(gd.selectedItemCount, 0);
    QCOMPARE(gd.evalSubject, 1);
}

void TestPickers::emptyGrade()
{
    // A grade just created: no pupils, no items, no tests, no subjects. Every picker opens,
    // answers and cancels without touching a table out of its range.
    test::GradeFixture fx(1, 1);
    fx.writeStandard({});
    QVERIFY(fx.loadLists());
    GradeData& gd = fx.gd();
    gd.testCount = 0;
    gd.subjectCount = 0;
    gd.itemCount = 0;
    RecordingProgress progress;
    RecordingNotice notice;
    Session session{gd, progress, notice, QString()};
    ScriptedMessages messages;
    ResetBeepCount();

    PupilPicker pupils(session);
    QCOMPARE(gd.studentCount, 0);
    QCOMPARE(pupils.mGrid->Rows(), 1);
    pupils.onGridKeyPress(32);
    pupils.onGridDoubleClick();
    pupils.onGridWheel(-1);
    pupils.onGridWheel(1);
    pupils.onSetClicked();
    QCOMPARE(pupils.result(), int(QDialog::Accepted));

    ClassPupilPicker classes(session);
    QCOMPARE(classes.classBoxCount(), 1);
    classes.onSelectAllClicked();
    classes.onAcceptClicked();

    ReportItemPicker items(session);
    QCOMPARE(items.itemBoxCount(), 0);
    items.onSelectAllClicked();
    items.onAcceptClicked();
    QCOMPARE(items.result(), int(QDialog::Accepted));

    SubjectTestsPicker tests(session);
    QCOMPARE(tests.mSubjectList->count(), 0);
    QCOMPARE(tests.mTestList->count(), 0);
    tests.onOkClicked();
    QCOMPARE(gd.selectedItemCount, 0);
    QCOMPARE(gd.evalSubject, 0);
    QCOMPARE(messages.asked().size(), 0);
    QCOMPARE(BeepCount(), 0);
}

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
