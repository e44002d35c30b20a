// Finding a pupil by part of a name or reading: the folding, and Ctrl+F in the score entry, the
// roster editor and the pupil picker.
#include "FindBar.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "Notice.h"
#include "Progress.h"
#include "PupilPicker.h"
#include "PupilSearch.h"
#include "RosterEditorWindow.h"
#include "RosterFile.h"
#include "ScoreEntryWindow.h"
#include "Session.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QShortcut>
#include <QtTest>

using namespace seiran;

namespace {

// Class 1: 1 山田, 2 佐藤 (さとう), 3 鈴木; class 2: 1 佐藤 (さとう　じろう), 2 田中.
struct Env
{
    test::GradeFixture fx{1, 2};
    SilentNotice notice;
    Session session{fx.gd(), NullProgress::instance(), notice, QString()};

    Env()
    {
        fx.writeStandard({{1, 1, QStringLiteral("山田　一"), 1, {}},
                          {1, 2, QStringLiteral("佐藤　花子"), 2, {}},
                          {1, 3, QStringLiteral("鈴木　三郎"), 1, {}},
                          {2, 1, QStringLiteral("佐藤　次郎"), 1, {}},
                          {2, 2, QStringLiteral("田中　Ｋｅｎ"), 1, {}}});
        setReading(1, 2, QStringLiteral("さとう　はなこ"));
        setReading(2, 1, QStringLiteral("サトウ　ジロウ"));
        if (!fx.loadLists()) qFatal("lists");
    }
    void setReading(int classNo, int number, const QString& reading)
    {
        StudentRecord rec = fx.readRecord(RosterFile::recordNumber(classNo, number));
        rec.setFurigana(reading);
        fx.writeRecord(RosterFile::recordNumber(classNo, number), rec);
    }
};

// Types text as an input method would hand it over, a character at a time.
void typeText(QWidget* edit, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

// Ctrl+F reaches the window's shortcut: the grid leaves it alone, and the window holds it.
void checkFindShortcut(QWidget* window, QWidget* grid)
{
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_F, Qt::ControlModifier);
    override.ignore();
    QApplication::sendEvent(grid, &override);
    QVERIFY(!override.isAccepted());
    bool found = false;
    for (const QShortcut* shortcut : window->findChildren<QShortcut*>())
        found = found || shortcut->key() == QKeySequence(QKeySequence::Find);
    QVERIFY(found);
}

} // namespace

class FindPupilTest : public QObject
{
    Q_OBJECT
private slots:
    void foldingMakesWritingsMeet()
    {
        QCOMPARE(FoldForSearch(QStringLiteral("ｻﾄｳ")), QStringLiteral("さとう"));
        QCOMPARE(FoldForSearch(QStringLiteral("サトウ　ジロウ")), QStringLiteral("さとうじろう"));
        QCOMPARE(FoldForSearch(QStringLiteral("田中　Ｋｅｎ")), QStringLiteral("田中ken"));
        const QList<QStringList> rows{{"山田", "やまだ"}, {"佐藤", "さとう"}, {"鈴木", ""}, {"佐藤", "さとう"}};
        const auto texts = [&rows](int r) { return rows.at(r - 1); };
        QCOMPARE(FindPupilRow(4, texts, QStringLiteral("ｻﾄｳ"), 1, 1), 2);
        QCOMPARE(FindPupilRow(4, texts, QStringLiteral("さとう"), 3, 1), 4);
        QCOMPARE(FindPupilRow(4, texts, QStringLiteral("さとう"), 1, -1), 4); // wraps upwards
        QCOMPARE(FindPupilRow(4, texts, QStringLiteral("ヤマ"), 2, 1), 1);    // wraps downwards
        QCOMPARE(FindPupilRow(4, texts, QStringLiteral("高橋"), 1, 1), 0);
        QCOMPARE(FindPupilRow(4, texts, QStringLiteral("　"), 1, 1), 0);
    }

    void scoreEntryFindsByReadingAndWraps()
    {
        Env env;
        env.fx.gd().currentTest = 1;
        QVERIFY(LoadTestScores(env.fx.gd(), NullProgress::instance()).ok);
        QCOMPARE(env.fx.gd().studentFurigana[2], QStringLiteral("さとう　はなこ"));
        ScoreEntryWindow w(env.session);
        w.show();
        w.mGrid->setFocus();
        checkFindShortcut(&w, w.mGrid);
        w.openFind();
        QVERIFY(w.mFindBar->isVisible());
        QVERIFY(w.mFindBar->geometry().top() > w.mGrid->geometry().bottom());
        const int col = w.mGrid->Col();
        typeText(w.mFindBar->mFindEdit, QStringLiteral("ｻﾄｳ"));
        QCOMPARE(w.mGrid->Row(), 2);
        QCOMPARE(w.mGrid->Col(), col);
        QTest::keyClick(w.mFindBar->mFindEdit, Qt::Key_F3);
        QCOMPARE(w.mGrid->Row(), 4); // class 2's 佐藤
        QTest::keyClick(w.mFindBar->mFindEdit, Qt::Key_Return);
        QCOMPARE(w.mGrid->Row(), 2); // wrapped round
        QTest::keyClick(w.mFindBar->mFindEdit, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(w.mGrid->Row(), 4);
        QVERIFY(!w.mFindBar->notFound());
        typeText(w.mFindBar->mFindEdit, QStringLiteral("x"));
        QVERIFY(w.mFindBar->notFound());
        QCOMPARE(w.mGrid->Row(), 4);
        QTest::keyClick(w.mFindBar->mFindEdit, Qt::Key_Escape);
        QVERIFY(!w.mFindBar->isVisible());
        QVERIFY(w.isVisible()); // Escape closed the field, not the window
    }

    void rosterEditorSwitchesClass()
    {
        Env env;
        RosterEditorWindow w(env.session);
        w.show();
        w.openFind();
        typeText(w.mFindBar->mFindEdit, QStringLiteral("じろう"));
        QCOMPARE(w.frontClass(), 1);
        QCOMPARE(w.mClassCombo->currentIndex(), 1);
        QCOMPARE(w.frontGrid()->Row(), 1);
        QVERIFY(w.mFindBar->mFindEdit->hasFocus() || !QApplication::focusWidget());
        QTest::keyClick(w.mFindBar->mFindEdit, Qt::Key_F3);
        QCOMPARE(w.frontClass(), 1); // the only match stays found
        w.findPupil(QStringLiteral("すずき"), 1);
        QVERIFY(w.mFindBar->notFound()); // 鈴木 has no reading and no match by name
        QVERIFY(w.findPupil(QStringLiteral("鈴木"), 1));
        QCOMPARE(w.frontClass(), 0);
        QCOMPARE(w.frontGrid()->Row(), 3);
    }

    void pupilPickerFinds()
    {
        Env env;
        env.fx.gd().currentGrade = 1;
        PupilPicker picker(env.session);
        picker.show();
        checkFindShortcut(&picker, picker.mGrid);
        picker.openFind();
        QVERIFY(picker.mFindBar->isVisible());
        typeText(picker.mFindBar->mFindEdit, QStringLiteral("ken"));
        QCOMPARE(picker.mGrid->Row(), 5);
        QTest::keyClick(picker.mFindBar->mFindEdit, Qt::Key_Escape);
        QVERIFY(picker.isVisible());
    }
};

QTEST_MAIN(FindPupilTest)
#include "tst_findpupil.moc"
