#include "Beep.h"
#include "CellEditBox.h"
#include "Cp932.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterEditModel.h"
#include "RosterEditorWindow.h"
#include "RosterFile.h"
#include "Session.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace seiran;

namespace {

// Grade 1 with two classes. Class 1: seats 1..10 named except 6 and 8; seat 3 transferred out;
// seat 1 has a reading and a score. Class 2: seat 1.
struct Env
{
    test::GradeFixture fx{1, 2};
    RecordingProgress progress;
    SilentNotice notice;
    Session session{fx.gd(), progress, notice, QString(), [] { return 0; }};

    Env()
    {
        fx.writeStandard({});
        for (int n = 1; n <= 10; ++n) {
            if (n == 6 || n == 8) continue;
            StudentRecord rec = StudentRecord::blank();
            rec.setFlag(n == 3 ? StudentRecord::TransferredOut : StudentRecord::InUse);
            rec.setName(QStringLiteral("生徒%1").arg(n));
            rec.setSex(n % 2 ? 1 : 2);
            if (n == 1) {
                rec.setFurigana(QStringLiteral("せいと いち"));
                rec.setScoreSlot(3, 77);
            }
            fx.writeRecord(n, rec);
        }
        StudentRecord other = StudentRecord::blank();
        other.setFlag(StudentRecord::InUse);
        other.setName(QStringLiteral("二組一番"));
        other.setSex(2);
        fx.writeRecord(61, other);
        if (!fx.loadLists()) qFatal("lists");
    }
};

std::unique_ptr<RosterEditorWindow> openWindow(Env& env)
{
    auto w = std::make_unique<RosterEditorWindow>(env.session);
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

// Opens the editor on a cell with Enter, puts text in it and commits it with Enter.
void typeInEditor(RosterEditorWindow* w, int row, int col, const QString& text)
{
    FlexGrid* g = w->frontGrid();
    g->setRow(row);
    g->setCol(col);
    QTest::keyClick(g, Qt::Key_Return);
    QVERIFY(w->mNameEditor->isVisible());
    w->mNameEditor->setText(text);
    QTest::keyClick(w->mNameEditor, Qt::Key_Return);
    QVERIFY(!w->mNameEditor->isVisible());
}

// Changes between two roster images, as record numbers.
QList<int> changedRecords(const QByteArray& before, const QByteArray& after)
{
    QList<int> changed;
    const qsizetype records = qMax(before.size(), after.size()) / StudentRecord::Size;
    for (int r = 1; r <= records; ++r) {
        if (before.mid((r - 1) * StudentRecord::Size, StudentRecord::Size) !=
            after.mid((r - 1) * StudentRecord::Size, StudentRecord::Size))
            changed << r;
    }
    return changed;
}

QStringList row(FlexGrid* g, int r)
{
    QStringList cells;
    for (int c = 1; c <= 4; ++c)
        cells << g->TextMatrix(r, c);
    return cells;
}

} // namespace

class TestRosterEditor : public QObject
{
    Q_OBJECT

private slots:
    void init() { ResetBeepCount(); }
    void loadsEverySeatOfEveryClass();
    void typingANameEnrolsTheSeat();
    void clearingANameRemovesThePupil();
    void nameOnATransferredSeatKeepsItsFlag();
    void sexKeysOverSelectedRowsSkipUnnamedRows();
    void transferToggle();
    void pasteNamesAndReadings();
    void copyAndClear();
    void everyWayOfLeavingTheEditorCommits();
    void longNamesAreCutWithAWarning();
    void unstorableCharactersAreRefused();
    void onlyOpeningTheEditorAsksAndWritesNothing();
    void cancelKeepsTheWindowAndNoDiscards();
    void classSelection();
    void longNamesAreCutAtACharacterBoundary();
    void unwritableRosterKeepsTheEdits();
    void missingRosterReadsAsFreeSeats();
    void oneClassAndNineClasses();
};

void TestRosterEditor::loadsEverySeatOfEveryClass()
{
    Env env;
    auto w = openWindow(env);
    QCOMPARE(w->windowTitle(), QStringLiteral("名簿の入力 (1年)"));
    FlexGrid* g = w->mGrids[0];
    QCOMPARE(w->frontGrid(), g);
    QVERIFY(g->isVisible());
    QVERIFY(!w->mGrids[1]->isVisible());
    QCOMPARE(g->Rows(), 61);
    QCOMPARE(g->Cols(), 5);
    QCOMPARE(g->FixedCols(), 0);
    QCOMPARE(g->TextMatrix(0, 0), QStringLiteral("1組"));
    QCOMPARE(w->mGrids[1]->TextMatrix(0, 0), QStringLiteral("2組"));
    QCOMPARE(g->TextMatrix(0, 1), QStringLiteral("  氏　　名  "));
    QCOMPARE(g->TextMatrix(0, 4), QStringLiteral("備　考"));
    QCOMPARE(g->TextMatrix(60, 0), QStringLiteral("60"));
    QCOMPARE(row(g, 1), (QStringList{"生徒1", "男", "せいと いち", ""}));
    QCOMPARE(row(g, 2), (QStringList{"生徒2", "女", "", ""}));
    QCOMPARE(row(g, 3), (QStringList{"生徒3", "男", "", "転出済"}));
    QCOMPARE(row(g, 6), (QStringList{"", "", "", "未登録"}));
    QCOMPARE(row(w->mGrids[1], 1), (QStringList{"二組一番", "女", "", ""}));
    QCOMPARE(w->mClassCombo->count(), 2);
    QCOMPARE(w->mClassCombo->itemText(0), QStringLiteral("1組"));
    QCOMPARE(w->frontClass(), 0);
    QVERIFY(!w->rosterChanged());
    QVERIFY(!w->mNameEditor->isVisible());
    QCOMPARE(w->minimumSize(), QSize(456, 368));
    QCOMPARE(w->mHintLabel->text(),
             QStringLiteral("氏名入力:Enter   男:1 女:2   転出:備考欄をダブルクリック 　　※ふりがな不要"));
    const QStringList captions{w->mNextButton->text(), w->mPreviousButton->text(), w->mFinishButton->text(),
                               w->mCopyButton->text(), w->mPasteButton->text(),    w->mExtraButton->text()};
    QCOMPARE(captions, (QStringList{"次", "前", "終了", "コピー", "貼付", "消去"}));
    QVERIFY(env.progress.statusTexts.contains(QStringLiteral("データ読込中")));
    QCOMPARE(env.progress.lastMaximum, 120);
    QVERIFY(!env.progress.visible);
}

void TestRosterEditor::typingANameEnrolsTheSeat()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow(env);
    FlexGrid* g = w->frontGrid();

    typeInEditor(w.get(), 6, 1, QStringLiteral("  新入生  "));
    QCOMPARE(row(g, 6), (QStringList{"新入生", "男", "", ""}));
    QVERIFY(w->rosterChanged());
    g->setCol(2);
    QTest::keyClick(g, Qt::Key_2);
    QCOMPARE(g->TextMatrix(6, 2), QStringLiteral("女"));
    typeInEditor(w.get(), 6, 3, QStringLiteral("しんにゅうせい"));
    QCOMPARE(g->TextMatrix(6, 3), QStringLiteral("しんにゅうせい"));

    ScriptedMessages answers;
    answers.queue(MsgAnswer::Yes);
    QVERIFY(w->close());
    QCOMPARE(answers.asked().size(), 1);
    QCOMPARE(answers.asked().first().text, QStringLiteral("変更した氏名データを保存しますか"));
    QCOMPARE(answers.asked().first().buttons, MsgButtons::YesNoCancel);
    QCOMPARE(answers.asked().first().icon, MsgIcon::Question);
    QVERIFY(env.progress.statusTexts.contains(QStringLiteral("データ保存中")));

    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), QList<int>{6});
    const StudentRecord rec = env.fx.readRecord(6);
    QCOMPARE(rec.flag(), 1);
    QCOMPARE(rec.name(), QStringLiteral("新入生        ")); // padded with ASCII blanks to 14 bytes
    QCOMPARE(rec.sex(), 2);
    QCOMPARE(rec.furigana().trimmed(), QStringLiteral("しんにゅうせい"));
    QCOMPARE(rec.scoreSlot(1), -5); // the rest of the record is as it was
}

void TestRosterEditor::clearingANameRemovesThePupil()
{
    Env env;
    const StudentRecord old = env.fx.readRecord(1);
    auto w = openWindow(env);
    FlexGrid* g = w->frontGrid();
    typeInEditor(w.get(), 1, 1, QString());
    QCOMPARE(row(g, 1), (QStringList{"", "", "", "削  除"}));

    ScriptedMessages answers;
    answers.queue(MsgAnswer::Yes);
    QVERIFY(w->close());
    const StudentRecord rec = env.fx.readRecord(1);
    QCOMPARE(rec.flag(), 0);
    QCOMPARE(rec.sex(), 0);
    QCOMPARE(rec.name().trimmed(), QString());
    QCOMPARE(rec.furigana().trimmed(), QString());
    QCOMPARE(rec.scoreSlot(3), 77);
    QCOMPARE(rec.bytes().size(), old.bytes().size());
    // Only the four owned fields changed.
    for (int i = 50; i < 450; ++i)
        QCOMPARE(rec.bytes()[std::size_t(i)], old.bytes()[std::size_t(i)]);
}

void TestRosterEditor::nameOnATransferredSeatKeepsItsFlag()
{
    Env env;
    auto w = openWindow(env);
    typeInEditor(w.get(), 3, 1, QStringLiteral("改名"));
    QCOMPARE(row(w->frontGrid(), 3), (QStringList{"改名", "男", "", "転出済"}));
    QCOMPARE(w->roster().seat(1, 3).flag, 2);
    // Emptying it removes the pupil all the same.
    typeInEditor(w.get(), 3, 1, QString());
    QCOMPARE(w->roster().seat(1, 3).flag, 0);
    QCOMPARE(w->frontGrid()->TextMatrix(3, 4), QStringLiteral("削  除"));
}

void TestRosterEditor::sexKeysOverSelectedRowsSkipUnnamedRows()
{
    Env env;
    auto w = openWindow(env);
    FlexGrid* g = w->frontGrid();
    select(g, 10, 2, 5, 2); // dragged upwards
    QTest::keyClick(g, Qt::Key_2);
    for (int r : {5, 7, 9, 10})
        QCOMPARE(g->TextMatrix(r, 2), QStringLiteral("女"));
    QCOMPARE(g->TextMatrix(6, 2), QString());
    QCOMPARE(g->TextMatrix(8, 2), QString());
    QCOMPARE(w->roster().seat(1, 6).sex, 0);
    QCOMPARE(g->TextMatrix(4, 2), QStringLiteral("女")); // outside, as loaded
    QCOMPARE(g->TextMatrix(11, 2), QString());
    QCOMPARE(g->Row(), 10);
    QCOMPARE(g->RowSel(), 5);
    QVERIFY(w->rosterChanged());

    QTest::keyClick(g, Qt::Key_1);
    for (int r : {5, 7, 9, 10})
        QCOMPARE(g->TextMatrix(r, 2), QStringLiteral("男"));

    // Space toggles the current row only; a seat without a sex stays without.
    select(g, 2, 2, 2, 2);
    QTest::keyClick(g, Qt::Key_Space);
    QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("男"));
    g->setRow(6);
    QTest::keyClick(g, Qt::Key_Space);
    QCOMPARE(g->TextMatrix(6, 2), QString());
    g->setRow(2);
    w->onGridDoubleClick();
    QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("女"));
    // Other keys do nothing in this column.
    QTest::keyClick(g, Qt::Key_3);
    QCOMPARE(g->TextMatrix(2, 2), QStringLiteral("女"));
}

void TestRosterEditor::transferToggle()
{
    Env env;
    auto w = openWindow(env);
    FlexGrid* g = w->frontGrid();
    select(g, 2, 4, 2, 4);
    QTest::keyClick(g, Qt::Key_Space);
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("転出済"));
    QCOMPARE(w->roster().seat(1, 2).flag, 2);
    QTest::keyClick(g, Qt::Key_Space);
    QCOMPARE(g->TextMatrix(2, 4), QString());
    QCOMPARE(w->roster().seat(1, 2).flag, 1);
    w->onGridDoubleClick();
    QCOMPARE(g->TextMatrix(2, 4), QStringLiteral("転出済"));

    g->setRow(6);
    QTest::keyClick(g, Qt::Key_Space);
    QCOMPARE(g->TextMatrix(6, 4), QStringLiteral("未登録"));
    QCOMPARE(w->roster().seat(1, 6).flag, 0);
}

void TestRosterEditor::pasteNamesAndReadings()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow(env);
    FlexGrid* g = w->frontGrid();
    QClipboard* clip = QGuiApplication::clipboard();

    // Two columns (name Tab reading CR LF) from seat 6: the free seats are enrolled.
    clip->setText(QStringLiteral("山田 花子 \tやまだ はなこ\r\n 川田\tかわだ\r\n\t\r\n最後"));
    select(g, 6, 1, 6, 1);
    w->onPasteClicked();
    QCOMPARE(row(g, 6), (QStringList{"山田 花子", "男", "やまだ はなこ", ""}));
    QCOMPARE(row(g, 7), (QStringList{"川田", "男", "かわだ", ""}));
    QCOMPARE(row(g, 8), (QStringList{"", "", "", "未登録"})); // empty name on a free seat
    QCOMPARE(g->TextMatrix(9, 1), QStringLiteral("生徒9"));   // the unterminated piece is dropped
    QVERIFY(w->rosterChanged());

    // Sex words, readings only on registered seats, nothing beyond seat 60, nothing in column 4.
    clip->setText(QStringLiteral("女\tふりがな\t転入\r\n2\tよみ\r\nx\tむし\r\n"));
    select(g, 7, 2, 7, 2);
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(row(g, 7), (QStringList{"川田", "女", "ふりがな", ""}));
    QCOMPARE(row(g, 8), (QStringList{"", "女", "", "未登録"}));
    // Pasted from the sex column, text that is no sex changes nothing; the reading goes on.
    QCOMPARE(row(g, 9), (QStringList{"生徒9", "男", "むし", ""}));

    // Lines of name and reading (no sex between them) fill name and reading; LF line ends
    // end rows as CR LF does.
    clip->setText(QStringLiteral("九番\tきゅうばん\n十番\tじゅうばん\n"));
    select(g, 9, 1, 9, 1);
    w->onPasteClicked();
    QCOMPARE(row(g, 9), (QStringList{"九番", "男", "きゅうばん", ""}));
    QCOMPARE(row(g, 10)[0], QStringLiteral("十番"));
    QCOMPARE(row(g, 10)[2], QStringLiteral("じゅうばん"));

    // A block copied from the grid itself (name, sex, reading) goes back cell for cell.
    select(g, 1, 1, 2, 3);
    w->onCopyClicked();
    select(g, 11, 1, 11, 1);
    w->onPasteClicked();
    QCOMPARE(row(g, 11), (QStringList{"生徒1", "男", "せいと いち", ""}));
    QCOMPARE(row(g, 12), (QStringList{"生徒2", "女", "", ""}));

    clip->setText(QStringLiteral("六十\r\n六十一\r\n"));
    select(g, 60, 1, 60, 1);
    w->onPasteClicked();
    QCOMPARE(g->TextMatrix(60, 1), QStringLiteral("六十"));

    // An empty name token removes an enrolled pupil.
    clip->setText(QStringLiteral(" \r\n"));
    select(g, 2, 1, 2, 1);
    w->onPasteClicked();
    QCOMPARE(row(g, 2), (QStringList{"", "", "", "削  除"}));

    ScriptedMessages answers;
    answers.queue(MsgAnswer::Yes);
    QVERIFY(w->close());
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), (QList<int>{2, 6, 7, 8, 9, 10, 11, 12, 60}));
    QCOMPARE(env.fx.readRecord(8).flag(), 0);
    QCOMPARE(env.fx.readRecord(8).sex(), 2);
    QCOMPARE(env.fx.readRecord(60).flag(), 1);
}

void TestRosterEditor::copyAndClear()
{
    Env env;
    auto w = openWindow(env);
    FlexGrid* g = w->frontGrid();
    select(g, 2, 4, 1, 0);
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("1\t生徒1\t男\tせいと いち\t\r\n2\t生徒2\t女\t\t\r\n"));

    // "消去" over names and readings of seats 1..2, readings only of seat 4.
    select(g, 1, 1, 2, 3);
    QTest::mouseClick(w->mExtraButton, Qt::LeftButton);
    QCOMPARE(row(g, 1), (QStringList{"", "", "", "削  除"}));
    QCOMPARE(row(g, 2), (QStringList{"", "", "", "削  除"}));
    QCOMPARE(w->roster().seat(1, 1).flag, 0);
    env.fx.writeRecord(4, [] {
        StudentRecord rec = StudentRecord::blank();
        rec.setFlag(1);
        return rec;
    }()); // the file is not read again while the window is open
    select(g, 4, 3, 4, 4);
    w->onExtraClicked();
    QCOMPARE(row(g, 4), (QStringList{"生徒4", "女", "", ""}));
    QVERIFY(w->rosterChanged());
}

void TestRosterEditor::everyWayOfLeavingTheEditorCommits()
{
    Env env;
    auto w = openWindow(env);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    FlexGrid* g = w->frontGrid();

    auto open = [&](int r, int c, const QString& text) {
        g->setRow(r);
        g->setCol(c);
        w->openEditor();
        QVERIFY(w->mNameEditor->isVisible());
        QCOMPARE(w->mNameEditor->geometry().topLeft(), g->mapTo(w.get(), g->cellRect(r, c).topLeft()));
        w->mNameEditor->setText(text);
    };

    open(1, 1, QStringLiteral("移動で確定"));
    QTest::keyClick(g, Qt::Key_Down); // the grid's leave-cell event
    QCOMPARE(g->TextMatrix(1, 1), QStringLiteral("移動で確定"));
    QVERIFY(!w->mNameEditor->isVisible());
    QCOMPARE(g->Row(), 2);

    open(2, 1, QStringLiteral("スクロール確定"));
    g->setTopRow(5);
    QCOMPARE(g->TextMatrix(2, 1), QStringLiteral("スクロール確定"));
    QVERIFY(!w->mNameEditor->isVisible());
    g->setTopRow(1);

    open(4, 3, QStringLiteral("ふぉーかす"));
    QVERIFY(w->mNameEditor->hasFocus());
    w->mClassCombo->setFocus(); // the focus leaves the editor
    QCOMPARE(g->TextMatrix(4, 3), QStringLiteral("ふぉーかす"));
    QVERIFY(!w->mNameEditor->isVisible());

    open(5, 1, QStringLiteral("クリック"));
    QTest::mousePress(w->mNameEditor, Qt::LeftButton);
    QCOMPARE(g->TextMatrix(5, 1), QStringLiteral("クリック"));
    QVERIFY(!w->mNameEditor->isVisible());

    // Enter on a cell scrolled out of view brings it back under the box.
    g->setRow(40);
    g->setCol(1);
    g->setTopRow(1);
    QTest::keyClick(g, Qt::Key_Return);
    QVERIFY(w->mNameEditor->isVisible());
    QVERIFY(g->TopRow() <= 40 && 40 < g->TopRow() + g->visibleRows());
    QCOMPARE(w->mNameEditor->geometry().topLeft(), g->mapTo(w.get(), g->cellRect(40, 1).topLeft()));
    QTest::keyClick(w->mNameEditor, Qt::Key_Return);
    g->setTopRow(1);

    // Pressing a button while editing commits before the button acts.
    open(7, 1, QStringLiteral("ボタン"));
    w->onNextClicked();
    QCOMPARE(w->mGrids[0]->TextMatrix(7, 1), QStringLiteral("ボタン"));
    QCOMPARE(w->frontClass(), 1);
}

void TestRosterEditor::longNamesAreCutWithAWarning()
{
    Env env;
    auto w = openWindow(env);
    ScriptedMessages answers;
    // Eight full-width characters: the name field keeps seven, and says so before the cell is set.
    typeInEditor(w.get(), 2, 1, QStringLiteral("長谷川　さくらこ"));
    QCOMPARE(answers.asked().size(), 1);
    QCOMPARE(answers.asked().at(0).text,
             QStringLiteral("氏名は全角7文字（14バイト）までです。「長谷川　さくら」として保存されます。"));
    QCOMPARE(w->frontGrid()->TextMatrix(2, 1), QStringLiteral("長谷川　さくら"));
    // A half-width character before the cut: the field is never cut inside a double-byte character.
    typeInEditor(w.get(), 2, 1, QStringLiteral("a長谷川さくらこ"));
    QCOMPARE(answers.asked().at(1).text,
             QStringLiteral("氏名は全角7文字（14バイト）までです。「a長谷川さくら」として保存されます。"));
    QCOMPARE(w->frontGrid()->TextMatrix(2, 1), QStringLiteral("a長谷川さくら"));
    // The reading keeps twenty bytes; a name that fits says nothing.
    typeInEditor(w.get(), 2, 3, QStringLiteral("はせがわさくらこさんです"));
    QCOMPARE(answers.asked().at(2).text,
             QStringLiteral("ふりがなは全角10文字（20バイト）までです。「はせがわさくらこさん」として保存されます。"));
    typeInEditor(w.get(), 3, 1, QStringLiteral("長谷川　さくら"));
    QCOMPARE(answers.asked().size(), 3);
    QCOMPARE(StoredFieldText(QStringLiteral("  ｺﾋﾟｰ  "), 14), QStringLiteral("ｺﾋﾟｰ"));
}

void TestRosterEditor::unstorableCharactersAreRefused()
{
    QCOMPARE(UnstorableCharacters(QStringLiteral("山田①ｱa")), QString());
    QCOMPARE(UnstorableCharacters(QStringLiteral("𠮷野家😀𠮷")), QStringLiteral("𠮷😀"));

    Env env;
    auto w = openWindow(env);
    ScriptedMessages answers;
    QCOMPARE(DescribeCharacters(QStringLiteral("𠮷😀")), QStringLiteral("「𠮷」(U+20BB7)「😀」(U+1F600)"));
    {
        // The character is named with its code point, and the typed text stays for correction.
        FlexGrid* g = w->frontGrid();
        g->setRow(1);
        g->setCol(1);
        QTest::keyClick(g, Qt::Key_Return);
        w->mNameEditor->setText(QStringLiteral("𠮷田"));
        QTest::keyClick(w->mNameEditor, Qt::Key_Return);
        QVERIFY(w->mNameEditor->isVisible());
        QCOMPARE(w->mNameEditor->text(), QStringLiteral("𠮷田"));
        QCOMPARE(w->frontGrid()->TextMatrix(1, 1), QStringLiteral("生徒1"));
        QCOMPARE(answers.asked().size(), 1);
        QCOMPARE(answers.asked().first().text,
                 QStringLiteral("「𠮷」(U+20BB7)は名簿に保存できない文字です。\n別の文字に直して入力してください。"));
        QCOMPARE(BeepCount(), 1);
        // Escape leaves the cell as it was.
        QTest::keyClick(w->mNameEditor, Qt::Key_Escape);
        QVERIFY(!w->mNameEditor->isVisible());
        QCOMPARE(w->frontGrid()->TextMatrix(1, 1), QStringLiteral("生徒1"));
        QTest::keyClick(g, Qt::Key_Return);
        w->mNameEditor->setText(QStringLiteral("𠮷田"));
        QTest::keyClick(w->mNameEditor, Qt::Key_Return);
        w->mNameEditor->setText(QStringLiteral("吉田"));
        QTest::keyClick(w->mNameEditor, Qt::Key_Return);
        QVERIFY(!w->mNameEditor->isVisible());
        QCOMPARE(w->frontGrid()->TextMatrix(1, 1), QStringLiteral("吉田"));
        QCOMPARE(answers.asked().size(), 2);
        answers.clear();
    }

    QGuiApplication::clipboard()->setText(QStringLiteral("𠮷田\tよしだ\r\n"));
    select(w->frontGrid(), 6, 1, 6, 1);
    w->onPasteClicked();
    QCOMPARE(w->frontGrid()->TextMatrix(6, 1), QString());
    QCOMPARE(w->roster().seat(1, 6).flag, 0);
    QCOMPARE(answers.asked().size(), 1);
}

void TestRosterEditor::onlyOpeningTheEditorAsksAndWritesNothing()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow(env);
    FlexGrid* g = w->frontGrid();
    g->setRow(1);
    g->setCol(1);
    QTest::keyClick(g, Qt::Key_Return);
    QTest::keyClick(w->mNameEditor, Qt::Key_Return);
    QVERIFY(w->rosterChanged());

    ScriptedMessages answers;
    answers.queue(MsgAnswer::Yes);
    QVERIFY(w->close());
    QCOMPARE(answers.asked().size(), 1);
    QCOMPARE(env.fx.rosterBytes(), before);
    w.reset(); // an editor holds its grade alone until it goes

    // Without any edit the window closes without asking.
    auto quiet = openWindow(env);
    answers.clear();
    QVERIFY(quiet->close());
    QVERIFY(answers.asked().isEmpty());
}

void TestRosterEditor::cancelKeepsTheWindowAndNoDiscards()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    auto w = openWindow(env);
    typeInEditor(w.get(), 6, 1, QStringLiteral("取消"));

    ScriptedMessages answers;
    answers.queue(MsgAnswer::Cancel);
    w->onFinishClicked();
    QVERIFY(w->isVisible());
    QCOMPARE(w->frontGrid()->TextMatrix(6, 1), QStringLiteral("取消"));

    answers.queue(MsgAnswer::No);
    QTest::keyClick(w.get(), Qt::Key_Escape); // Escape closes like the close box
    QVERIFY(!w->isVisible());
    QCOMPARE(answers.asked().size(), 2);
    QCOMPARE(env.fx.rosterBytes(), before);
}

void TestRosterEditor::classSelection()
{
    Env env;
    auto w = openWindow(env);
    w->onPreviousClicked();
    QCOMPARE(w->frontClass(), 0);
    QTest::mouseClick(w->mNextButton, Qt::LeftButton);
    QCOMPARE(w->frontClass(), 1);
    QVERIFY(w->mGrids[1]->isVisible());
    QVERIFY(!w->mGrids[0]->isVisible());
    w->onNextClicked();
    QCOMPARE(w->frontClass(), 1);

    // Events of a grid behind act on the grid in front.
    w->mGrids[1]->setRow(1);
    w->mGrids[1]->setCol(4);
    w->mGrids[0]->setRow(2);
    w->mGrids[0]->setCol(4);
    w->onGridKeyPress(' ');
    QCOMPARE(w->mGrids[1]->TextMatrix(1, 4), QStringLiteral("転出済"));
    QCOMPARE(w->mGrids[0]->TextMatrix(2, 4), QString());

    w->onPreviousClicked();
    QCOMPARE(w->frontClass(), 0);
    QCOMPARE(w->mGrids[0]->geometry(), w->mGrids[1]->geometry());

    w->resize(100, 100);
    QVERIFY(w->width() >= 456 && w->height() >= 368);
    w->resize(700, 500);
    const QRect r = w->mGrids[0]->geometry();
    QCOMPARE(r.width(), 700 - 2 * r.left());
    QCOMPARE(r.bottom() + 1, 500 - r.left());
    QCOMPARE(w->mGrids[1]->geometry(), r);
}

void TestRosterEditor::longNamesAreCutAtACharacterBoundary()
{
    Env env;
    RosterEditModel roster;
    QVERIFY(roster.load(env.fx.rosterPath(), 2, env.progress).ok);
    roster.setName(1, 6, QStringLiteral("一二三四五六七八"));
    roster.setName(1, 7, QStringLiteral("ｱ一二三四五六七"));
    roster.setFurigana(1, 7, QStringLiteral("あいうえおかきくけこさ"));
    QCOMPARE(roster.changedCount(), 2);
    QVERIFY(roster.save(env.fx.rosterPath(), env.progress).ok);
    QCOMPARE(roster.changedCount(), 0);

    const StudentRecord six = env.fx.readRecord(6);
    QCOMPARE(Cp932::decode(reinterpret_cast<const char*>(six.bytes().data()) + 2, 14),
             QStringLiteral("一二三四五六七"));
    // 1 + 2 x 6 bytes fit; the seventh double-byte character would be split, so a blank pads.
    QCOMPARE(env.fx.readRecord(7).name(), QStringLiteral("ｱ一二三四五六 "));
    QCOMPARE(env.fx.readRecord(7).furigana(), QStringLiteral("あいうえおかきくけこ"));
    // The seats show what the records kept.
    QCOMPARE(roster.seat(1, 6).name, QStringLiteral("一二三四五六七"));
    QCOMPARE(roster.seat(1, 7).name, QStringLiteral("ｱ一二三四五六"));
    QCOMPARE(roster.cellText(1, 7, RosterEditModel::ColFurigana), QStringLiteral("あいうえおかきくけこ"));

    // Through the window: the teacher is told, and the cell shows what the record will keep.
    auto w = openWindow(env);
    ScriptedMessages answers;
    typeInEditor(w.get(), 8, 1, QStringLiteral("あいうえおかきくけ"));
    QCOMPARE(answers.asked().size(), 1);
    QCOMPARE(w->frontGrid()->TextMatrix(8, 1), QStringLiteral("あいうえおかき"));
    answers.queue(MsgAnswer::Yes);
    QVERIFY(w->close());
    QCOMPARE(env.fx.readRecord(8).name(), QStringLiteral("あいうえおかき"));
    w.reset(); // an editor holds its grade alone until it goes
    auto again = openWindow(env);
    QCOMPARE(again->frontGrid()->TextMatrix(8, 1), QStringLiteral("あいうえおかき"));
}

void TestRosterEditor::unwritableRosterKeepsTheEdits()
{
    Env env;
    auto w = openWindow(env);
    typeInEditor(w.get(), 6, 1, QStringLiteral("保存できない"));

    const QString path = env.fx.rosterPath();
    const QByteArray saved = env.fx.rosterBytes();
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));

    ScriptedMessages answers;
    answers.queue(MsgAnswer::Yes);
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QCOMPARE(answers.asked().size(), 2);
    QCOMPARE(answers.asked().at(1).icon, MsgIcon::Critical);
    QVERIFY2(answers.asked().at(1).text.contains(QStringLiteral("dtfile01.rnd")),
             qPrintable(answers.asked().at(1).text));
    QCOMPARE(w->frontGrid()->TextMatrix(6, 1), QStringLiteral("保存できない"));
    QVERIFY(w->rosterChanged());

    // Put right, the next try saves.
    QVERIFY(QDir().rmdir(path));
    test::WriteFileBytes(path, saved);
    answers.queue(MsgAnswer::Yes);
    QVERIFY(w->close());
    QCOMPARE(env.fx.readRecord(6).name().trimmed(), QStringLiteral("保存できない"));
}

void TestRosterEditor::missingRosterReadsAsFreeSeats()
{
    Env env;
    const QString path = env.fx.rosterPath();
    QVERIFY(QFile::remove(path));
    RosterEditModel roster;
    QVERIFY(roster.load(path, 2, env.progress).ok);
    QCOMPARE(roster.cellText(1, 1, RosterEditModel::ColRemark), QStringLiteral("未登録"));
    QVERIFY(!QFile::exists(path)); // loading creates nothing
    QVERIFY(roster.save(path, env.progress).ok);
    QVERIFY(!QFile::exists(path)); // nor does a save without changes
    roster.setName(2, 3, QStringLiteral("転入生"));
    QVERIFY(roster.save(path, env.progress).ok);
    QCOMPARE(QFileInfo(path).size(), qint64(63 * 512));
    QCOMPARE(env.fx.readRecord(63).flag(), 1);
    QCOMPARE(env.fx.readRecord(63).scoreSlot(1), -5);
    QCOMPARE(env.fx.readRecord(62).flag(), 0);
    // The free records before it are a new roster's too: enrolling one later shows no scores.
    QCOMPARE(env.fx.readRecord(62).scoreSlot(1), -5);
    QCOMPARE(env.fx.readRecord(1).scoreSlot(200), -5);
    roster.setName(2, 2, QStringLiteral("後から"));
    QVERIFY(roster.save(path, env.progress).ok);
    QCOMPARE(QFileInfo(path).size(), qint64(63 * 512));
    QCOMPARE(env.fx.readRecord(62).flag(), 1);
    QCOMPARE(env.fx.readRecord(62).scoreSlot(1), -5);
}

void TestRosterEditor::oneClassAndNineClasses()
{
    for (int classes : {1, 9}) {
        test::GradeFixture fx(3, classes);
        fx.writeStandard({});
        QVERIFY(fx.loadLists());
        RecordingProgress progress;
        SilentNotice notice;
        Session session{fx.gd(), progress, notice, QString(), [] { return 0; }};
        const QByteArray before = fx.rosterBytes();

        RosterEditorWindow w(session);
        w.show();
        QCOMPARE(w.mClassCombo->count(), classes);
        for (int i = 0; i < 10; ++i)
            w.onNextClicked();
        QCOMPARE(w.frontClass(), classes - 1);
        QCOMPARE(w.frontGrid()->TextMatrix(0, 0), QStringLiteral("%1組").arg(classes));
        typeInEditor(&w, 60, 1, QStringLiteral("最後の席"));
        QTest::keyClick(w.frontGrid(), Qt::Key_Down); // nothing below seat 60
        QCOMPARE(w.frontGrid()->Row(), 60);

        ScriptedMessages answers;
        answers.queue(MsgAnswer::Yes);
        QVERIFY(w.close());
        QVERIFY(!progress.visible);
        QCOMPARE(changedRecords(before, fx.rosterBytes()), QList<int>{60 * classes});
        QCOMPARE(fx.readRecord(60 * classes).name().trimmed(), QStringLiteral("最後の席"));
    }
}

QTEST_MAIN(TestRosterEditor)
#include "tst_rostereditor.moc"
