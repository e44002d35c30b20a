#include "CellEditBox.h"
#include "Cp932.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GridUndo.h"
#include "HighSchoolEditorWindow.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "Session.h"
#include "StudentRecord.h"
#include "SubjectEditorWindow.h"
#include "TestEditorWindow.h"
#include "support/GridChecks.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QDirIterator>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QUndoStack>
#include <QtTest>

using namespace seiran;
using namespace seiran::test;

namespace {

QByteArray sjis(const char* utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

struct World
{
    GradeFixture fixture{1, 2};
    RecordingProgress progress;
    RecordingNotice notice;
    Session session{fixture.gd(), progress, notice, StdFilesFolder()};
    ScriptedMessages messages;

    World() { fixture.writeStandard({}); }
};

void typeInto(FlexGrid* grid, int row, int col, const QString& keys)
{
    grid->setRow(row);
    grid->setCol(col);
    for (QChar c : keys)
        QTest::keyClick(grid, c.toLatin1());
}

// Typing any text into an edit box, as a keyboard or an input method delivers it.
void typeText(QWidget* box, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(box, &press);
    }
}

// Runs the window's shortcut for `keys` as the key would.
bool shortcut(QWidget* window, const QKeySequence& keys)
{
    for (QShortcut* s : window->findChildren<QShortcut*>()) {
        if (s->key() != keys) continue;
        emit s->activated();
        return true;
    }
    return false;
}

const QKeySequence UndoKeys(Qt::CTRL | Qt::Key_Z);
const QKeySequence RedoKeys(Qt::CTRL | Qt::Key_Y);

QStringList gridTexts(const FlexGrid* grid)
{
    QStringList texts;
    for (int r = 0; r < grid->Rows(); ++r)
        for (int c = 0; c < grid->Cols(); ++c)
            texts << grid->TextMatrix(r, c);
    return texts;
}

void grab(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("SEIRAN_SCREENSHOTS");
    if (dir.isEmpty()) return;
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestEditorWindows : public QObject
{
    Q_OBJECT

private slots:
    void subjectEditorSavesOrLeavesEveryByte();
    void subjectEditorAsksBeforeResettingTheNaishinOrder();
    void testEditorEditBox();
    void highSchoolEditorRowsAndCancel();
    void highSchoolEditorRemapsChoices();
    void subjectEditorUndo();
    void testEditorUndo();
    void highSchoolEditorUndo();
    void editorsOpenShowingEveryColumn();
};

void TestEditorWindows::editorsOpenShowingEveryColumn()
{
    World w;
    // 教科情報の変更: all nine subjects and every column, without a scroll bar.
    // Each editor holds the grade alone, so each goes before the next opens.
    {
        SubjectEditorWindow subjects(w.session);
        subjects.show();
        QVERIFY(QTest::qWaitForWindowExposed(&subjects));
        QCOMPARE(ColumnsCut(subjects.mGrid), QString());
        QCOMPARE(subjects.mGrid->Rows(), w.fixture.gd().subjectCount + 1);
        QVERIFY(!subjects.mGrid->verticalScrollBar()->isVisible());
        QCOMPARE(subjects.mGrid->visibleRows(), subjects.mGrid->Rows() - 1);
        grab(&subjects, QStringLiteral("subject-editor"));
    }
    {
        TestEditorWindow tests(w.session);
        tests.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tests));
        QCOMPARE(ColumnsCut(tests.mGrid), QString());
        grab(&tests, QStringLiteral("test-editor"));
    }
    HighSchoolEditorWindow schools(w.session);
    schools.show();
    QVERIFY(QTest::qWaitForWindowExposed(&schools));
    QCOMPARE(ColumnsCut(schools.mGrid), QString());
    grab(&schools, QStringLiteral("high-school-editor"));
}

void TestEditorWindows::subjectEditorUndo()
{
    World w;
    QVERIFY(w.fixture.loadLists());
    const QMap<QString, QByteArray> before = test::FolderFiles(w.fixture.folder());
    SubjectEditorWindow dialog(w.session);
    dialog.show();
    const QStringList loaded = gridTexts(dialog.mGrid);
    typeInto(dialog.mGrid, 1, SubjectEditorTable::ColKind, QStringLiteral("2"));
    typeInto(dialog.mGrid, 1, SubjectEditorTable::ColGroup, QStringLiteral("13"));
    // The two digits of the group are one step, named by the subject.
    QCOMPARE(dialog.mUndo->stack()->count(), 2);
    QCOMPARE(dialog.mUndo->stack()->undoText(), QStringLiteral("国語"));
    QVERIFY(shortcut(&dialog, UndoKeys));
    QCOMPARE(dialog.mGrid->TextMatrix(1, SubjectEditorTable::ColGroup), QString());
    QCOMPARE(dialog.mGrid->TextMatrix(1, SubjectEditorTable::ColKind), QStringLiteral("グループ別"));
    QVERIFY(shortcut(&dialog, RedoKeys));
    QCOMPARE(dialog.mGrid->TextMatrix(1, SubjectEditorTable::ColGroup), QStringLiteral("13"));
    QVERIFY(shortcut(&dialog, UndoKeys));
    QVERIFY(shortcut(&dialog, UndoKeys));
    QCOMPARE(gridTexts(dialog.mGrid), loaded);
    // Everything undone, "決定" writes the list as it was.
    dialog.mOkButton->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(test::FolderFiles(w.fixture.folder()), before);
}

void TestEditorWindows::testEditorUndo()
{
    World w;
    QVERIFY(w.fixture.loadLists());
    const QMap<QString, QByteArray> before = test::FolderFiles(w.fixture.folder());
    TestEditorWindow dialog(w.session);
    dialog.show();
    const QStringList loaded = gridTexts(dialog.mGrid);
    dialog.mGrid->setRow(2);
    dialog.mGrid->setCol(TestEditorTable::ColName);
    QTest::keyClick(dialog.mGrid, Qt::Key_Return);
    QVERIFY(dialog.mEditBox->isOpen());
    QTest::keyClicks(dialog.mEditBox, QStringLiteral("xy"));
    QTest::keyClick(dialog.mEditBox, Qt::Key_Return);
    const QString typed = dialog.mGrid->TextMatrix(2, TestEditorTable::ColName);
    QVERIFY(typed.endsWith(QStringLiteral("xy")));
    // The typing in the box is one step.
    QCOMPARE(dialog.mUndo->stack()->count(), 1);
    dialog.mGrid->setRow(1);
    QVERIFY(shortcut(&dialog, UndoKeys));
    QCOMPARE(gridTexts(dialog.mGrid), loaded);
    QCOMPARE(dialog.mGrid->Row(), 2);
    QVERIFY(shortcut(&dialog, RedoKeys));
    QCOMPARE(dialog.mGrid->TextMatrix(2, TestEditorTable::ColName), typed);
    QVERIFY(shortcut(&dialog, UndoKeys));
    dialog.mOkButton->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(test::FolderFiles(w.fixture.folder()), before);
}

void TestEditorWindows::highSchoolEditorUndo()
{
    World w;
    WriteFileBytes(
        w.fixture.folder() + "hischool.txt",
        sjis(" 3 \r\n\"A\",\"A高校\",\"普通\", 0 \r\n\"B\",\"B高校\",\"理数\", 9 , 1 , 2 , 3 , 4 , 5 , 6 , 7 , 8 , 9 "
             "\r\n\"C\",\"C高校\",\"\", 0 \r\n"));
    const QMap<QString, QByteArray> before = test::FolderFiles(w.fixture.folder());
    HighSchoolEditorWindow dialog(w.session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList loaded = gridTexts(dialog.mGrid);
    // "行挿入" above school 2, a digit, Delete on school 3's name, "行削除" of school 1.
    dialog.mGrid->setRow(2);
    dialog.mGrid->setCol(1);
    QTest::keyClick(dialog.mGrid, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(dialog.mGrid->Rows(), 6);
    QCOMPARE(dialog.mUndo->stack()->undoText(), QStringLiteral("行挿入 2行"));
    dialog.mGrid->setCol(5);
    QTest::keyClick(dialog.mGrid, '7');
    dialog.mGrid->setRow(3);
    dialog.mGrid->setCol(2);
    QTest::keyClick(dialog.mGrid, Qt::Key_Delete);
    QCOMPARE(dialog.mGrid->TextMatrix(3, 2), QString());
    const QStringList cleared = gridTexts(dialog.mGrid);
    dialog.mGrid->setRow(1);
    QTest::keyClick(dialog.mGrid, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(dialog.mGrid->TextMatrix(1, 1), QString());
    QCOMPARE(dialog.mCountLabel->text(), QStringLiteral("3"));
    QCOMPARE(dialog.mUndo->stack()->count(), 4);
    // The deletion undone gives the row back, redone takes it again.
    QVERIFY(shortcut(&dialog, UndoKeys));
    QCOMPARE(gridTexts(dialog.mGrid), cleared);
    QCOMPARE(dialog.mGrid->Row(), 1);
    QVERIFY(shortcut(&dialog, RedoKeys));
    QCOMPARE(dialog.mCountLabel->text(), QStringLiteral("3"));
    while (dialog.mUndo->stack()->canUndo())
        QVERIFY(shortcut(&dialog, UndoKeys));
    QCOMPARE(gridTexts(dialog.mGrid), loaded);
    QCOMPARE(dialog.mCountLabel->text(), QStringLiteral("3"));
    // Everything undone, "決定" leaves every file as it was (the save adds only the companion
    // sequence file it writes with every list).
    dialog.mOkButton->click();
    QVERIFY(!dialog.isVisible());
    QMap<QString, QByteArray> after = test::FolderFiles(w.fixture.folder());
    after.remove(QStringLiteral("hischool.seq"));
    QCOMPARE(after, before);
}

void TestEditorWindows::subjectEditorSavesOrLeavesEveryByte()
{
    World w;
    QVERIFY(w.fixture.loadLists());
    const QMap<QString, QByteArray> before = test::FolderFiles(w.fixture.folder());
    {
        SubjectEditorWindow dialog(w.session);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("教科情報の変更 (1年)"));
        QCOMPARE(dialog.mGrid->TextMatrix(0, 3), QStringLiteral("内申倍率"));
        dialog.show();
        typeInto(dialog.mGrid, 1, SubjectEditorTable::ColKind, QStringLiteral("2"));
        typeInto(dialog.mGrid, 1, SubjectEditorTable::ColGroup, QStringLiteral("13"));
        QCOMPARE(dialog.mGrid->TextMatrix(1, 2), QStringLiteral("グループ別"));
        grab(&dialog, QStringLiteral("subject-editor"));
        dialog.mCancelButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QCOMPARE(test::FolderFiles(w.fixture.folder()), before);
    QCOMPARE(w.fixture.gd().subjectKind[1], 0);

    SubjectEditorWindow dialog(w.session);
    dialog.show();
    typeInto(dialog.mGrid, 1, SubjectEditorTable::ColKind, QStringLiteral("2"));
    typeInto(dialog.mGrid, 1, SubjectEditorTable::ColGroup, QStringLiteral("13"));
    typeInto(dialog.mGrid, 2, SubjectEditorTable::ColWeight, QStringLiteral("23"));
    dialog.mOkButton->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(w.messages.asked().isEmpty());
    QCOMPARE(
        ReadFileBytes(SubjectListPath(w.fixture.gd())),
        sjis(" 9 \r\n\"国語\", 2 , 1 ,\"13\"\r\n\"社会\", 0 , 3 \r\n\"数学\", 0 , 1 \r\n\"理科\", 0 , 1 \r\n"
             "\"英語\", 0 , 1 \r\n\"音楽\", 0 , 1 \r\n\"美術\", 0 , 1 \r\n\"保体\", 0 , 1 \r\n\"技家\", 0 , 1 \r\n"));
    QCOMPARE(w.fixture.gd().subjectGroup[1], QStringLiteral("13"));
}

void TestEditorWindows::subjectEditorAsksBeforeResettingTheNaishinOrder()
{
    World w;
    const QString path = SubjectListPath(w.fixture.gd());
    const QByteArray ordered = sjis("-1\r\n2\r\n2,1\r\n\"国語\",0,1\r\n\"数学\",0,1\r\n");
    WriteFileBytes(path, ordered);
    SubjectEditorWindow dialog(w.session);
    dialog.show();
    typeInto(dialog.mGrid, 1, SubjectEditorTable::ColWeight, QStringLiteral("2"));
    w.messages.queue(MsgAnswer::No);
    dialog.mOkButton->click();
    QCOMPARE(w.messages.asked().size(), 1);
    QCOMPARE(w.messages.asked().at(0).text, NaishinOrderQuestion());
    QCOMPARE(w.messages.asked().at(0).defaultButton, 2);
    QVERIFY(dialog.isVisible());
    QCOMPARE(ReadFileBytes(path), ordered);
    w.messages.queue(MsgAnswer::Yes);
    dialog.mOkButton->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ReadFileBytes(path), sjis(" 2 \r\n\"国語\", 0 , 2 \r\n\"数学\", 0 , 1 \r\n"));
}

void TestEditorWindows::testEditorEditBox()
{
    World w;
    const QMap<QString, QByteArray> before = test::FolderFiles(w.fixture.folder());
    {
        TestEditorWindow dialog(w.session);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.mTotalLabel->text(), QStringLiteral("19"));
        QCOMPARE(dialog.mGrid->Col(), 1);
        QVERIFY(dialog.mGrid->CellBackColor(1, 0).isValid()); // the current row's number is marked
        // Double-clicking a subject count opens nothing.
        dialog.mGrid->setCol(TestEditorTable::ColSubjects);
        dialog.onGridDoubleClicked();
        QVERIFY(!dialog.mEditBox->isOpen());
        dialog.mGrid->setRow(2);
        dialog.mGrid->setCol(TestEditorTable::ColName);
        QVERIFY(!dialog.mGrid->CellBackColor(1, 0).isValid());
        QTest::keyClick(dialog.mGrid, Qt::Key_Return);
        QVERIFY(dialog.mEditBox->isOpen());
        dialog.mEditBox->selectAll();
        QTest::keyClicks(dialog.mEditBox, QStringLiteral("  kimatsu "));
        QCOMPARE(dialog.mGrid->TextMatrix(2, 1), QStringLiteral("  kimatsu "));
        grab(&dialog, QStringLiteral("test-editor"));
        // On row 2 the up-arrow does nothing; on row 3 it moves to row 2.
        QTest::keyClick(dialog.mEditBox, Qt::Key_Up);
        QVERIFY(dialog.mEditBox->isOpen());
        QCOMPARE(dialog.mGrid->Row(), 2);
        QTest::keyClick(dialog.mEditBox, Qt::Key_Down);
        QVERIFY(!dialog.mEditBox->isOpen());
        QCOMPARE(dialog.mGrid->Row(), 3);
        QTest::keyClick(dialog.mGrid, Qt::Key_Return);
        QTest::keyClick(dialog.mEditBox, Qt::Key_Down); // the last row: nothing
        QVERIFY(dialog.mEditBox->isOpen());
        QTest::keyClick(dialog.mEditBox, Qt::Key_Up);
        QCOMPARE(dialog.mGrid->Row(), 2);
        dialog.mCancelButton->click();
    }
    QCOMPARE(test::FolderFiles(w.fixture.folder()), before);

    TestEditorWindow dialog(w.session);
    dialog.show();
    dialog.mGrid->setRow(2);
    dialog.openEditBox();
    dialog.mEditBox->selectAll();
    typeText(dialog.mEditBox, QStringLiteral(" 期末 "));
    QTest::keyClick(dialog.mEditBox, Qt::Key_Return);
    QVERIFY(!dialog.mEditBox->isOpen());
    dialog.mOkButton->click();
    QCOMPARE(ReadFileBytes(TestListPath(w.fixture.gd())),
             sjis(" 3 \r\n\"1学期中間\",\"1\", 5 \r\n\"期末\",\"1\", 9 \r\n\"2学期中間\",\"2\", 5 \r\n"));
}

void TestEditorWindows::highSchoolEditorRowsAndCancel()
{
    World w;
    WriteFileBytes(
        w.fixture.folder() + "hischool.txt",
        sjis(" 3 \r\n\"A\",\"A高校\",\"普通\", 0 \r\n\"B\",\"B高校\",\"理数\", 9 , 1 , 2 , 3 , 4 , 5 , 6 , 7 , 8 , 9 "
             "\r\n\"C\",\"C高校\",\"\", 0 \r\n"));
    const QMap<QString, QByteArray> before = test::FolderFiles(w.fixture.folder());
    HighSchoolEditorWindow dialog(w.session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.mGrid->Rows(), 5);
    QCOMPARE(dialog.mCountLabel->text(), QStringLiteral("3"));
    QCOMPARE(dialog.mGrid->TextMatrix(0, 4), QStringLiteral("国"));
    QCOMPARE(dialog.mGrid->TextMatrix(2, 12), QStringLiteral("9"));
    // Typing a name into the append row makes a new numbered school row.
    dialog.mGrid->setRow(4);
    dialog.mGrid->setCol(2);
    QTest::keyClick(dialog.mGrid, Qt::Key_Return);
    QVERIFY(dialog.mEditBox->isOpen());
    QTest::keyClicks(dialog.mEditBox, QStringLiteral("D"));
    QCOMPARE(dialog.mGrid->Rows(), 6);
    QCOMPARE(dialog.mGrid->TextMatrix(4, 0), QStringLiteral("4"));
    QCOMPARE(dialog.mCountLabel->text(), QStringLiteral("4"));
    QTest::keyClick(dialog.mEditBox, Qt::Key_Return);
    // Shift+Insert above school 2, then a digit in a multiplier cell.
    dialog.mGrid->setRow(2);
    dialog.mGrid->setCol(1);
    QTest::keyClick(dialog.mGrid, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(dialog.mGrid->TextMatrix(3, 1), QStringLiteral("B"));
    QCOMPARE(dialog.mGrid->TextMatrix(5, 0), QStringLiteral("5"));
    dialog.mGrid->setCol(5);
    QTest::keyClick(dialog.mGrid, '7');
    QCOMPARE(dialog.mGrid->TextMatrix(2, 5), QStringLiteral("7"));
    grab(&dialog, QStringLiteral("highschool-editor"));
    // The wheel moves the top row by two.
    dialog.mGrid->setTopRow(3);
    const int top = dialog.mGrid->TopRow();
    dialog.onGridWheel(1);
    QCOMPARE(dialog.mGrid->TopRow(), qMax(1, top - 2));

    // "中止" asks; No stays, Yes leaves every byte as it was.
    w.messages.queue(MsgAnswer::No);
    dialog.mCancelButton->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(w.messages.asked().last().text, QStringLiteral("保存せずに終了してよいですか"));
    w.messages.queue(MsgAnswer::Yes);
    dialog.close(); // the close box asks the same
    QVERIFY(!dialog.isVisible());
    QCOMPARE(w.messages.asked().size(), 2);
    QCOMPARE(test::FolderFiles(w.fixture.folder()), before);
}

void TestEditorWindows::highSchoolEditorRemapsChoices()
{
    World w;
    const QString folder = w.fixture.folder();
    WriteFileBytes(folder + "hischool.txt",
                   sjis(" 2 \r\n\"A\",\"A高校\",\"普通\", 0 \r\n\"B\",\"B高校\",\"理数\", 0 \r\n"));
    StudentRecord pupil = StudentRecord::blank();
    pupil.setFlag(1);
    pupil.setChoice(1, 2);
    pupil.setChoice(2, 3); // その他
    w.fixture.writeRecord(1, pupil);
    HighSchoolEditorWindow dialog(w.session);
    dialog.show();
    // Delete school A with Shift+Delete: B becomes 1 and その他 becomes 2.
    dialog.mGrid->setRow(1);
    dialog.mGrid->setCol(1);
    QTest::keyClick(dialog.mGrid, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(dialog.mCountLabel->text(), QStringLiteral("1"));
    w.messages.queue(MsgAnswer::Yes);
    dialog.mOkButton->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(w.messages.asked().size(), 1);
    QCOMPARE(w.messages.asked().at(0).text, ChoiceRemapQuestion());
    QCOMPARE(w.messages.asked().at(0).buttons, MsgButtons::YesNoCancel);
    QCOMPARE(ReadFileBytes(folder + "hischool.txt"), sjis(" 1 \r\n\"B\",\"B高校\",\"理数\", 0 \r\n"));
    QCOMPARE(w.fixture.readRecord(1).choice(1), 1);
    QCOMPARE(w.fixture.readRecord(1).choice(2), 2);
    QVERIFY(QFileInfo::exists(w.fixture.rosterPath() + ".bak"));
}

QTEST_MAIN(TestEditorWindows)
#include "tst_editor_windows.moc"
