// Undo and redo in the grid windows: the steps of typing, paste, Delete, the roster editor's
// edit box and sex keys, and what undoing shows.
#include "CareerChoiceEntryWindow.h"
#include "CellEditBox.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GridUndo.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterEditorWindow.h"
#include "RosterFile.h"
#include "ScoreEntryWindow.h"
#include "Session.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QShortcut>
#include <QUndoStack>
#include <QtTest>

using namespace seiran;

namespace {

struct Env
{
    test::GradeFixture fx{1, 2};
    SilentNotice notice;
    Session session{fx.gd(), NullProgress::instance(), notice, QString()};

    Env()
    {
        QList<test::FixturePupil> pupils;
        for (int n = 1; n <= 10; ++n)
            pupils << test::FixturePupil{1, n, QStringLiteral("一組%1").arg(n), 1, {50, 50, 50, 50, 50}};
        pupils << test::FixturePupil{2, 1, QStringLiteral("二組1"), 2, {60, 60, 60, 60, 60}};
        fx.writeStandard(pupils);
        if (!fx.loadLists()) qFatal("lists");
        fx.gd().currentTest = 1;
        if (!LoadTestScores(fx.gd(), NullProgress::instance())) qFatal("scores");
    }
};

QStringList column(const FlexGrid* grid, int col, int from, int to)
{
    QStringList texts;
    for (int r = from; r <= to; ++r)
        texts << grid->TextMatrix(r, col);
    return texts;
}

} // namespace

class UndoTest : public QObject
{
    Q_OBJECT
private slots:
    void keysBelongToTheWindow()
    {
        Env env;
        ScoreEntryWindow w(env.session);
        for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
            QKeyEvent override(QEvent::ShortcutOverride, keys[0].key(), keys[0].keyboardModifiers());
            override.ignore();
            QApplication::sendEvent(w.mGrid, &override);
            QVERIFY(!override.isAccepted());
        }
        QStringList shortcuts;
        for (const QShortcut* s : w.findChildren<QShortcut*>())
            shortcuts << s->key().toString();
        QVERIFY(shortcuts.contains(QStringLiteral("Ctrl+Z")));
        QVERIFY(shortcuts.contains(QStringLiteral("Ctrl+Y")));
        QVERIFY(shortcuts.contains(QStringLiteral("Ctrl+Shift+Z")));
    }

    void typingIsOneStepPerCell()
    {
        Env env;
        ScoreEntryWindow w(env.session);
        w.show();
        FlexGrid* g = w.mGrid;
        g->setRow(1);
        g->setCol(FirstDataCol);
        w.onGridKeyPress('8');
        w.onGridKeyPress('7');
        w.onGridKeyPress(13); // Enter moves on
        const int row = g->Row();
        const int col = g->Col();
        w.onGridKeyPress('5');
        QCOMPARE(w.mUndoStack->count(), 2);
        QCOMPARE(w.mUndoStack->undoText(), QStringLiteral("1組 %1番 %2").arg(row).arg(g->TextMatrix(0, col)));
        QCOMPARE(g->TextMatrix(1, FirstDataCol), QStringLiteral("87"));
        QCOMPARE(g->TextMatrix(row, col), QStringLiteral("5"));

        w.onUndo();
        QCOMPARE(g->TextMatrix(row, col), QStringLiteral("50"));
        QCOMPARE(g->TextMatrix(1, FirstDataCol), QStringLiteral("87"));
        QCOMPARE(g->Row(), row);
        QVERIFY(w.cellUntouched());
        w.onUndo();
        QCOMPARE(g->TextMatrix(1, FirstDataCol), QStringLiteral("50"));
        QCOMPARE(g->Row(), 1);
        QCOMPARE(g->Col(), FirstDataCol);
        w.onRedo();
        QCOMPARE(g->TextMatrix(1, FirstDataCol), QStringLiteral("87"));
        QVERIFY(w.mUndoStack->canRedo());
        // A new edit clears what could be redone.
        g->setRow(3);
        w.onGridKeyPress('1');
        QVERIFY(!w.mUndoStack->canRedo());
    }

    void stepsOfNamedUnitsReadOnlyThem()
    {
        QWidget window;
        QStringList cells{"a", "b", "c", "d"};
        int wholeReads = 0;
        GridUndo::Hooks hooks;
        hooks.state = [&] {
            ++wholeReads;
            return cells;
        };
        hooks.restore = [&](const QList<int>& units, const QStringList& values, int) {
            for (qsizetype i = 0; i < units.size(); ++i)
                cells[units.at(i)] = values.at(i);
        };
        hooks.unitValue = [&](int unit) { return cells.at(unit); };
        GridUndo undo(&window, hooks);

        // Two keys in one cell: one step, and the grid is never read whole.
        undo.begin({1});
        cells[1] = "b1";
        undo.end(QString(), true);
        undo.begin({1});
        cells[1] = "b12";
        undo.end(QString(), true);
        QCOMPARE(wholeReads, 0);
        QCOMPARE(undo.stack()->count(), 1);

        // A step that changes nothing among its units pushes nothing.
        undo.closeTyping();
        undo.begin({0, 3});
        undo.end(QStringLiteral("削除"));
        QCOMPARE(undo.stack()->count(), 1);

        // An edit of the whole grid inside a step of one cell still comes back whole.
        undo.begin({2});
        cells[2] = "c1";
        undo.begin();
        cells[0] = "a1";
        cells[2] = "c2";
        undo.end(QString());
        undo.end(QStringLiteral("貼付"));
        QCOMPARE(undo.stack()->count(), 2);
        QCOMPARE(cells, (QStringList{"a1", "b12", "c2", "d"}));
        undo.undo();
        QCOMPARE(cells, (QStringList{"a", "b12", "c", "d"}));
        undo.undo();
        QCOMPARE(cells, (QStringList{"a", "b", "c", "d"}));
        undo.redo();
        undo.redo();
        QCOMPARE(cells, (QStringList{"a1", "b12", "c2", "d"}));
    }

    void pasteAndDeleteAreOneStepEach()
    {
        Env env;
        ScoreEntryWindow w(env.session);
        w.show();
        FlexGrid* g = w.mGrid;
        const QStringList before = column(g, FirstDataCol + 1, 2, 3);
        g->setRow(2);
        g->setCol(FirstDataCol);
        g->setRowSel(3);
        g->setColSel(FirstDataCol + 2);
        QGuiApplication::clipboard()->setText(QStringLiteral("1\t2\t3\r\n4\t5\t6\r\n"));
        w.onPasteClicked();
        QCOMPARE(w.mUndoStack->count(), 1);
        QCOMPARE(column(g, FirstDataCol + 1, 2, 3), (QStringList{"2", "5"}));
        w.onUndo();
        QCOMPARE(column(g, FirstDataCol + 1, 2, 3), before);
        QCOMPARE(column(g, FirstDataCol + 2, 2, 3), (QStringList{"50", "50"}));

        // Delete over a selection dragged backwards, from the bottom right.
        g->setRow(4);
        g->setCol(FirstDataCol + 2);
        g->setRowSel(2);
        g->setColSel(FirstDataCol);
        w.onGridKeyDown(Qt::Key_Delete, Qt::NoModifier);
        QCOMPARE(column(g, FirstDataCol + 1, 2, 4), (QStringList{"", "", ""}));
        QCOMPARE(w.mUndoStack->count(), 1); // the undone paste is gone from the stack
        QVERIFY(w.mUndoStack->undoText().startsWith(QStringLiteral("削除")));
        w.onUndo();
        QCOMPARE(column(g, FirstDataCol + 1, 2, 4), (QStringList{"50", "50", "50"}));
    }

    void careerChoiceComesBackWithItsCell()
    {
        Env env;
        GradeData& gd = env.fx.gd();
        QVERIFY(LoadCareerChoices(gd, NullProgress::instance()).ok);
        gd.highSchoolCount = 16;
        for (int k = 1; k <= 16; ++k)
            gd.highSchoolShortNames[k] = k == 16 ? QStringLiteral("その他") : QStringLiteral("高%1").arg(k);
        CareerChoiceEntryWindow w(env.session);
        w.show();
        FlexGrid* g = w.mGrid;
        g->setRow(2);
        g->setCol(FirstDataCol);
        const QString before = g->TextMatrix(2, FirstDataCol);
        const int choiceBefore = gd.careerChoice(1, 2);
        w.onGridKeyPress('3');
        w.onGridKeyPress(13); // leaving the cell stores school 3
        QCOMPARE(gd.careerChoice(1, 2), 3);
        QCOMPARE(g->TextMatrix(2, FirstDataCol), QStringLiteral("高3"));
        QCOMPARE(w.mUndoStack->count(), 1);
        w.onUndo();
        QCOMPARE(gd.careerChoice(1, 2), choiceBefore);
        QCOMPARE(g->TextMatrix(2, FirstDataCol), before);
        w.onRedo();
        QCOMPARE(gd.careerChoice(1, 2), 3);
    }

    void rosterSeatsComeBack()
    {
        Env env;
        RosterEditorWindow w(env.session);
        w.show();
        // A name typed on a free seat enrols a pupil; undo makes the seat free again.
        FlexGrid* g = w.frontGrid();
        g->setRow(12);
        g->setCol(RosterEditModel::ColName);
        w.openEditor();
        w.mNameEditor->setText(QStringLiteral("新田"));
        QVERIFY(w.commitEditor());
        QCOMPARE(w.roster().seat(1, 12).flag, 1);
        QCOMPARE(w.mUndoStack->undoText(), QStringLiteral("1組 12番"));
        w.onUndo();
        QCOMPARE(w.roster().seat(1, 12).flag, 0);
        QCOMPARE(g->TextMatrix(12, RosterEditModel::ColRemark), QStringLiteral("未登録"));
        QCOMPARE(w.roster().changedCount(), 0);

        // "2" over rows 5-10 is one step.
        g->setRow(5);
        g->setCol(RosterEditModel::ColSex);
        g->setRowSel(10);
        w.onGridKeyPress('2');
        QCOMPARE(w.roster().seat(1, 7).sex, 2);
        QCOMPARE(w.mUndoStack->count(), 1); // the undone name is gone from the stack
        w.onUndo();
        for (int r = 5; r <= 10; ++r)
            QCOMPARE(w.roster().seat(1, r).sex, 1);

        // "消去" of a pupil, undone from another class: the editor comes back to class 1.
        g->setRow(3);
        g->setRowSel(3);
        g->setCol(RosterEditModel::ColName);
        g->setColSel(RosterEditModel::ColName);
        w.onExtraClicked();
        QCOMPARE(w.roster().seat(1, 3).flag, 0);
        w.mClassCombo->setCurrentIndex(1);
        w.onUndo();
        QCOMPARE(w.frontClass(), 0);
        QCOMPARE(w.frontGrid()->Row(), 3);
        QCOMPARE(w.roster().seat(1, 3).name, QStringLiteral("一組3"));
        QCOMPARE(w.roster().changedCount(), 0);
        ScriptedMessages answers;
        answers.queue(MsgAnswer::Yes);
        const QByteArray bytes = env.fx.rosterBytes();
        w.close();
        QCOMPARE(env.fx.rosterBytes(), bytes); // after undoing everything nothing is written
    }
};

QTEST_MAIN(UndoTest)
#include "tst_undo.moc"
