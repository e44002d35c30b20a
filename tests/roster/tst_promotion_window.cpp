#include "Beep.h"
#include "CellEditBox.h"
#include "FindBar.h"
#include "FlexGrid.h"
#include "FolderBrowser.h"
#include "GradeData.h"
#include "GridUndo.h"
#include "MessageBox.h"
#include "NewYearRosterDialog.h"
#include "Notice.h"
#include "Progress.h"
#include "PromoteCommand.h"
#include "PromotionWindow.h"
#include "RosterFile.h"
#include "Session.h"
#include "StudentRecord.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDirIterator>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTextStream>
#include <QTreeView>
#include <QUndoStack>
#include <QtTest>

using namespace seiran;
using namespace seiran::test;

namespace {

StudentRecord pupil(const QString& name, int sex, const QString& furigana)
{
    StudentRecord rec = StudentRecord::blank();
    rec.setFlag(StudentRecord::InUse);
    rec.setName(name);
    rec.setSex(sex);
    rec.setFurigana(furigana);
    return rec;
}

struct World
{
    GradeFixture fixture{1, 2};
    RecordingProgress progress;
    RecordingNotice notice;
    Session session{fixture.gd(), progress, notice, StdFilesFolder()};
    ScriptedMessages messages;

    World()
    {
        fixture.writeStandard({});
        fixture.writeRecord(1, pupil(QStringLiteral("青木"), 1, QStringLiteral("あおき")));
        fixture.writeRecord(2, pupil(QStringLiteral("井上"), 2, QStringLiteral("いのうえ")));
        fixture.writeRecord(61, pupil(QStringLiteral("江藤"), 1, QStringLiteral("えとう")));
        fixture.writeRecord(67, pupil(QStringLiteral("小野"), 2, QStringLiteral("オノ")));
        fixture.loadLists();
    }
};

void press(FlexGrid* grid, int row, int col, const QString& keys)
{
    grid->setRow(row);
    grid->setCol(col);
    for (QChar c : keys)
        QTest::keyClick(grid, c.toLatin1());
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

QStringList names(const FlexGrid* grid)
{
    QStringList texts;
    for (int r = 1; r < grid->Rows(); ++r)
        texts << grid->TextMatrix(r, PromotionTable::ColName) + u'/' +
                     grid->TextMatrix(r, PromotionTable::ColNewClass) + u'/' +
                     grid->TextMatrix(r, PromotionTable::ColNewNumber);
    return texts;
}

void grab(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("SEIRAN_SCREENSHOTS");
    if (dir.isEmpty()) return;
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestPromotionWindow : public QObject
{
    Q_OBJECT

private slots:
    void loadsAndShowsTheGrade();
    void keysWarningsAndTheCloseQuestion();
    void windowAndCommandWriteTheSameFiles();
    void newYearDialog();
    void undoSortAndTyping();
    void findsAPupilByReading();
};

void TestPromotionWindow::undoSortAndTyping()
{
    World w;
    PromotionWindow window(w.session);
    window.show();
    const QStringList loaded = names(window.mGrid);
    // Typing in a cell is one step until the cell changes.
    press(window.mGrid, 1, PromotionTable::ColNewClass, QStringLiteral("2"));
    press(window.mGrid, 2, PromotionTable::ColNewClass, QStringLiteral("1"));
    press(window.mGrid, 3, PromotionTable::ColNewClass, QStringLiteral("1"));
    press(window.mGrid, 4, PromotionTable::ColNewClass, QStringLiteral("2"));
    QCOMPARE(window.mUndo->stack()->count(), 4);
    const QStringList typed = names(window.mGrid);
    QVERIFY(shortcut(&window, QKeySequence(Qt::CTRL | Qt::Key_Z)));
    QCOMPARE(window.mGrid->TextMatrix(4, PromotionTable::ColNewClass), QString());
    QCOMPARE(window.mGrid->Row(), 4);
    QVERIFY(shortcut(&window, QKeySequence(Qt::CTRL | Qt::Key_Y)));
    QCOMPARE(names(window.mGrid), typed);

    // The syllabary sort with its numbering is one step; undone, the old order is back.
    window.mSyllabaryOption->setChecked(true);
    window.mSortButton->click();
    QCOMPARE(names(window.mGrid), QStringList({QStringLiteral("井上/1/1"), QStringLiteral("江藤/1/2"),
                                               QStringLiteral("青木/2/1"), QStringLiteral("小野/2/2")}));
    QCOMPARE(window.mUndo->stack()->undoText().left(2), QStringLiteral("並替"));
    const QStringList sorted = names(window.mGrid);
    QVERIFY(shortcut(&window, QKeySequence(Qt::CTRL | Qt::Key_Z)));
    QCOMPARE(names(window.mGrid), typed);
    QCOMPARE(window.table().row(1).name, QStringLiteral("青木"));
    QVERIFY(shortcut(&window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    QCOMPARE(names(window.mGrid), sorted);

    // "消去" and "転入" are steps too; undoing everything gives the table as loaded.
    window.mGrid->setRow(1);
    window.mGrid->setCol(PromotionTable::ColNewClass);
    window.mGrid->setRowSel(4);
    window.mGrid->setColSel(PromotionTable::ColNewNumber);
    window.mClearButton->click();
    QCOMPARE(window.mGrid->TextMatrix(2, PromotionTable::ColNewNumber), QString());
    window.mTransferInButton->click();
    QCOMPARE(window.mGrid->Rows(), 6);
    while (window.mUndo->stack()->canUndo())
        window.mUndo->undo();
    QCOMPARE(window.mGrid->Rows(), 5);
    QCOMPARE(names(window.mGrid), loaded);
}

void TestPromotionWindow::findsAPupilByReading()
{
    World w;
    PromotionWindow window(w.session);
    window.show();
    window.mGrid->setRow(1);
    QVERIFY(!window.mFindBar->isVisible());
    QVERIFY(shortcut(&window, QKeySequence::Find));
    QVERIFY(window.mFindBar->isVisible());
    // Part of a reading, katakana or hiragana alike, makes the pupil's row current.
    for (QChar c : QStringLiteral("のう")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(window.mFindBar->mFindEdit, &key);
    }
    QCOMPARE(window.mGrid->Row(), 2);
    QVERIFY(!window.mFindBar->notFound());
    QVERIFY(window.findPupil(QStringLiteral("おの"), 0));
    QCOMPARE(window.mGrid->Row(), 4);
    // The next match wraps round; a text no pupil has turns the field red and stays.
    QVERIFY(window.findPupil(QStringLiteral("お"), 1));
    QCOMPARE(window.mGrid->Row(), 1);
    QVERIFY(!window.findPupil(QStringLiteral("わたなべ"), 0));
    QVERIFY(window.mFindBar->notFound());
    QCOMPARE(window.mGrid->Row(), 1);
    grab(&window, QStringLiteral("promotion-find"));
}

void TestPromotionWindow::loadsAndShowsTheGrade()
{
    World w;
    PromotionWindow window(w.session);
    QCOMPARE(window.windowTitle(), QStringLiteral("進級・クラス分け処理 新2年 (旧1年)"));
    QCOMPARE(window.mGrid->Rows(), 5);
    QCOMPARE(window.mGrid->TextMatrix(4, 1), QStringLiteral("207"));
    QCOMPARE(window.mGrid->TextMatrix(0, 5), QStringLiteral("新組"));
    QCOMPARE(w.progress.statusTexts.first(), QStringLiteral("データ読込中"));
    QVERIFY(!window.mBySexCheck->isEnabled());
    QVERIFY(!window.mGirlsFirstEdit->isEnabled());
    QCOMPARE(window.mGirlsFirstEdit->text(), QStringLiteral("21"));
    window.mSyllabaryOption->setChecked(true);
    QVERIFY(window.mBySexCheck->isEnabled());
    QVERIFY(!window.mGirlsFirstEdit->isEnabled());
    window.mBySexCheck->setChecked(true);
    QVERIFY(window.mGirlsFirstEdit->isEnabled());
    // Only moving through the grid asks nothing on closing.
    window.show();
    window.mGrid->setRow(3);
    window.mGrid->setCol(6);
    window.close();
    QVERIFY(w.messages.asked().isEmpty());
}

void TestPromotionWindow::keysWarningsAndTheCloseQuestion()
{
    World w;
    const QByteArray before = w.fixture.rosterBytes();
    PromotionWindow window(w.session);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    press(window.mGrid, 1, PromotionTable::ColName, QStringLiteral("\r"));
    QCOMPARE(w.messages.asked().last().text, QStringLiteral("転入生以外の氏名は編集できません"));
    QCOMPARE(w.messages.asked().last().icon, MsgIcon::Warning);
    press(window.mGrid, 1, PromotionTable::ColSex, QStringLiteral(" "));
    QCOMPARE(w.messages.asked().last().text, QStringLiteral("転入生以外の性別は変更できません"));
    // 新番: "1", "5" gives 15; moving away and typing "3" gives 3; a digit past 60 beeps.
    press(window.mGrid, 2, PromotionTable::ColNewNumber, QStringLiteral("15"));
    QCOMPARE(window.mGrid->TextMatrix(2, 6), QStringLiteral("15"));
    ResetBeepCount();
    QTest::keyClick(window.mGrid, '0');
    QCOMPARE(BeepCount(), 1);
    press(window.mGrid, 1, PromotionTable::ColNewNumber, QString());
    press(window.mGrid, 2, PromotionTable::ColNewNumber, QStringLiteral("3"));
    QCOMPARE(window.mGrid->TextMatrix(2, 6), QStringLiteral("3"));
    press(window.mGrid, 2, PromotionTable::ColNewClass, QStringLiteral("2"));
    // "転入" adds a row and its name cell becomes current.
    window.mTransferInButton->click();
    QCOMPARE(window.mGrid->Rows(), 6);
    QCOMPARE(window.mGrid->Row(), 5);
    QCOMPARE(window.mGrid->Col(), 2);
    QTest::keyClick(window.mGrid, Qt::Key_Return);
    QVERIFY(window.mEditBox->isOpen());
    window.mEditBox->setText(QStringLiteral("転入太郎"));
    QTest::keyClick(window.mEditBox, Qt::Key_Return);
    QVERIFY(!window.mEditBox->isOpen());
    QCOMPARE(window.mGrid->TextMatrix(5, 2), QStringLiteral("転入太郎"));
    // A character the roster cannot hold is named with its code point, as the roster editor
    // names it, and changes nothing.
    QTest::keyClick(window.mGrid, Qt::Key_Return);
    window.mEditBox->setText(QStringLiteral("𠮷田"));
    QTest::keyClick(window.mEditBox, Qt::Key_Return);
    QCOMPARE(w.messages.asked().last().text,
             QStringLiteral("「𠮷」(U+20BB7)は名簿に保存できない文字です。\n別の文字に直して入力してください。"));
    QCOMPARE(window.mGrid->TextMatrix(5, 2), QStringLiteral("転入太郎"));
    press(window.mGrid, 5, PromotionTable::ColSex, QStringLiteral("2"));
    QCOMPARE(window.mGrid->TextMatrix(5, 3), QStringLiteral("女"));
    // Paste of classes and numbers into a selection.
    QGuiApplication::clipboard()->setText(QStringLiteral("1\t1\r\n1\t2\r\n"));
    window.mGrid->setRow(3);
    window.mGrid->setCol(5);
    window.mGrid->setRowSel(4);
    window.mGrid->setColSel(6);
    QTest::keyClick(window.mGrid, 'v', Qt::ControlModifier);
    QCOMPARE(window.mGrid->TextMatrix(4, 6), QStringLiteral("2"));
    // The sort by number finds no duplicate; the syllabary sort with 男女別 numbers the classes.
    window.mSyllabaryOption->setChecked(true);
    window.mBySexCheck->setChecked(true);
    window.mGirlsFirstEdit->setText(QStringLiteral("2"));
    window.mSortButton->click();
    grab(&window, QStringLiteral("promotion"));
    QCOMPARE(window.mGrid->TextMatrix(1, 2), QStringLiteral("青木")); // no class: first
    QCOMPARE(window.mGrid->TextMatrix(2, 2), QStringLiteral("転入太郎"));
    QCOMPARE(window.mGrid->TextMatrix(3, 2), QStringLiteral("江藤"));
    QCOMPARE(window.mGrid->TextMatrix(4, 2), QStringLiteral("小野"));
    QCOMPARE(window.mGrid->TextMatrix(4, 6), QStringLiteral("2"));

    // Closing asks; Cancel stays, Yes saves.
    w.messages.clear();
    w.messages.queue(MsgAnswer::Cancel);
    window.mCloseButton->click();
    QVERIFY(window.isVisible());
    QCOMPARE(w.messages.asked().last().text, QStringLiteral("変更したデータを保存しますか"));
    QCOMPARE(w.fixture.rosterBytes(), before);
    w.messages.queue(MsgAnswer::Yes);
    window.mCloseButton->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(w.fixture.readRecord(67).newClass(), 1);
    QCOMPARE(w.fixture.readRecord(67).newNumber(), 2);
    QCOMPARE(w.fixture.readRecord(121).flag(), int(StudentRecord::TransferIn));
    QCOMPARE(w.fixture.readRecord(121).sex(), 2);
}

void TestPromotionWindow::windowAndCommandWriteTheSameFiles()
{
    // One grade, two copies: the window builds next year in one folder, the command in another.
    World w;
    QTemporaryDir viaWindow;
    QTemporaryDir viaCommand;
    QTemporaryDir tmp;
    {
        PromotionWindow window(w.session);
        window.show();
        press(window.mGrid, 1, PromotionTable::ColNewClass, QStringLiteral("2"));
        press(window.mGrid, 2, PromotionTable::ColNewClass, QStringLiteral("1"));
        press(window.mGrid, 3, PromotionTable::ColNewClass, QStringLiteral("1"));
        press(window.mGrid, 4, PromotionTable::ColNewClass, QStringLiteral("2"));
        window.mSyllabaryOption->setChecked(true);
        window.mSortButton->click();
        window.setFolderForTest(viaWindow.path());
        window.mCreateButton->click();
        QCOMPARE(window.createdFolder(), viaWindow.path() + QLatin1Char('/'));
        QCOMPARE(w.messages.asked().last().icon, MsgIcon::Information);
        QCOMPARE(w.messages.asked().last().text,
                 QStringLiteral("%1 に 2年の名簿ファイルを作成しました（2クラス、4人）。")
                     .arg(QDir::toNativeSeparators(viaWindow.path() + QLatin1Char('/'))));
        // A second run asks before replacing; No leaves everything.
        const QMap<QString, QByteArray> first = test::FolderFiles(viaWindow.path());
        w.messages.queue(MsgAnswer::No);
        window.mCreateButton->click();
        QCOMPARE(w.messages.asked().last().text,
                 QStringLiteral("名簿ファイルはすでに存在します｡\r本当に消去してもよろしいですか"));
        QCOMPARE(test::FolderFiles(viaWindow.path()), first);
        // Yes replaces the files; the message names the copies kept of the old ones.
        press(window.mGrid, 4, PromotionTable::ColNewClass, QStringLiteral("3"));
        w.messages.queue(MsgAnswer::Yes);
        window.mCreateButton->click();
        QCOMPARE(w.messages.asked().last().icon, MsgIcon::Information);
        const QString done = w.messages.asked().last().text;
        QVERIFY2(
            done.contains(QStringLiteral("置き換える前のファイルは、同じフォルダに控えとして残してあります：\r\n")),
            qPrintable(done));
        for (const QString& name : first.keys())
            QVERIFY2(done.contains(name + QStringLiteral(".bak")), qPrintable(done));
        QCOMPARE(test::FolderFiles(viaWindow.path()).value(QStringLiteral("dtfile02.rnd.bak")),
                 first.value(QStringLiteral("dtfile02.rnd")));
        // Back as before, for the comparison with the command below.
        press(window.mGrid, 4, PromotionTable::ColNewClass, QStringLiteral("2"));
        w.messages.queue(MsgAnswer::Yes);
        window.mCreateButton->click();
        for (const QString& name : QDir(viaWindow.path()).entryList({QStringLiteral("*.bak*")}, QDir::Files))
            QVERIFY(QFile::remove(viaWindow.filePath(name)));
        QCOMPARE(test::FolderFiles(viaWindow.path()), first);
        w.messages.queue(MsgAnswer::No); // do not save the assignment
        window.close();
    }
    const QString assign = tmp.filePath(QStringLiteral("a.txt"));
    WriteFileBytes(assign, "101\t\t\t\t2\n102\t\t\t\t1\n201\t\t\t\t1\n207\t\t\t\t2\n");
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    QCOMPARE(RunPromoteCommand({"seiran-promote", "--data", w.fixture.folder(), "--grade", "1", "--assign", assign,
                                "--sort", "kana", "--create", viaCommand.path()},
                               StdFilesFolder(), o, e),
             0);
    QCOMPARE(test::FolderFiles(viaCommand.path()), test::FolderFiles(viaWindow.path()));
    QCOMPARE(test::FolderFiles(viaCommand.path()).size(), 4);
}

void TestPromotionWindow::newYearDialog()
{
    QTemporaryDir dir;
    // The data folder as the program keeps it, with its final separator, a few folders down.
    const QString data = dir.filePath(QStringLiteral("school/year/DATA"));
    QVERIFY(QDir().mkpath(data));
    NewYearRosterDialog dialog(1, 4, data + QLatin1Char('/'));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("進級処理　新学年名簿ファイルの作成"));
    QCOMPARE(dialog.mGradeLabel->text(), QStringLiteral("1年 → 2年"));
    QCOMPARE(dialog.mClassCountLabel->text(), QStringLiteral("クラス数 = 4"));
    // The caution says what is kept, and where.
    QVERIFY2(dialog.mWarningLabel->text().contains(QStringLiteral("dtfile02.rnd.bak")) &&
                 !dialog.mWarningLabel->text().contains(QStringLiteral("復活できません")),
             qPrintable(dialog.mWarningLabel->text()));
    dialog.show();
    // The tree opens at the folder used, every folder above it expanded, the folder in view.
    QTreeView* tree = dialog.mBrowser->folderTree();
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    QVERIFY(model);
    QTRY_COMPARE(model->filePath(tree->currentIndex()), QDir(data).canonicalPath());
    for (QModelIndex above = tree->currentIndex().parent(); above.isValid(); above = above.parent())
        QTRY_VERIFY2(tree->isExpanded(above), qPrintable(model->filePath(above)));
    // The folders of "/" arrive and are sorted after the dialog shows: the chosen one stays in view.
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(loaded.cbegin(), loaded.cend(),
                                         [](const QList<QVariant>& a) { return a.at(0).toString() == u"/"; }) ||
                                 model->rowCount(model->index(QStringLiteral("/"))) > 1,
                             10000);
    QTest::qWait(1500); // the model sorts and refines its rows a while after loading
    QVERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())));
    grab(&dialog, QStringLiteral("new-year-dialog"));
    dialog.mStartButton->click();
    QCOMPARE(dialog.folder(), QDir(data).canonicalPath() + QLatin1Char('/'));
    NewYearRosterDialog cancelled(1, 4, dir.path());
    cancelled.mCancelButton->click();
    QCOMPARE(cancelled.folder(), QString());
    QCOMPARE(cancelled.classCount(), 0);
}

QTEST_MAIN(TestPromotionWindow)
#include "tst_promotion_window.moc"
