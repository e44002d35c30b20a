#include "Beep.h"
#include "ConflictDialog.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GradeLock.h"
#include "GradeLockWindow.h"
#include "MessageBox.h"
#include "NaishinEntryWindow.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "Session.h"
#include "TestSupport.h"
#include "support/ModalAnswer.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace seiran;

namespace {

// One class of ten pupils with the standard lists; the 内申点 loaded as the main window does
// before the window opens.
struct Env
{
    test::GradeFixture fx{2, 1};
    RecordingProgress progress;
    SilentNotice notice;
    Session session{fx.gd(), progress, notice, QString(), [] { return 0; }};

    Env()
    {
        QList<test::FixturePupil> pupils;
        for (int n = 1; n <= 10; ++n)
            pupils << test::FixturePupil{1, n, QStringLiteral("生徒%1").arg(n), 1, {}, StudentRecord::InUse};
        fx.writeStandard(pupils);
        if (!fx.loadLists()) qFatal("lists");
        if (!LoadNaishin(fx.gd(), progress)) qFatal("naishin");
    }

    // What another teacher's save leaves in the file: 内申 position `position` of pupil `number`.
    void saveElsewhere(int number, int position, int value)
    {
        StudentRecord rec = fx.readRecord(number);
        rec.setNaishinSlot(fx.gd().naishinSlot[position], value);
        fx.writeRecord(number, rec);
    }
    int stored(int number, int position) { return fx.readRecord(number).naishinSlot(fx.gd().naishinSlot[position]); }
    std::unique_ptr<NaishinEntryWindow> open()
    {
        auto w = std::make_unique<NaishinEntryWindow>(session);
        if (w->lockRefused()) return w;
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get())) qWarning("window not active");
        return w;
    }
};

// Types one 内申 key into the cell of pupil `row`, position `position`, and leaves the cell.
void typeNaishin(NaishinEntryWindow* w, int row, int position, char key)
{
    FlexGrid* g = w->mGrid;
    g->setRow(row);
    g->setCol(FirstDataCol + position - 1);
    QTest::keyClick(g, key);
}

QStringList rowTexts(const QTableWidget* table, int row)
{
    QStringList texts;
    for (int c = 0; c < table->columnCount(); ++c)
        texts << table->item(row, c)->text();
    return texts;
}

} // namespace

class TestGradeLockWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        ResetBeepCount();
        WindowGradeLock::pollIntervalMs() = 50;
    }

    void clashIsAskedAndEachAnswerDoesWhatItSays_data();
    void clashIsAskedAndEachAnswerDoesWhatItSays();
    void aClashSavedAgainDuringTheQuestionIsAskedAgain();
    void changedGradeRefusesAndOffersTheCsv();
    void refusedEntryWindowOpensReadOnlyOrNotAtAll();
    void entryWindowWaitsForAnEditor_data();
    void entryWindowWaitsForAnEditor();
    void overlappingEntryWindowsAreToldOnce();
    void unwritableLockFolder();
    void exclusiveWaitsForAnEntryScreenAndProceedsWhenItLeaves();
};

void TestGradeLockWindows::clashIsAskedAndEachAnswerDoesWhatItSays_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("stored"); // pupil 2, position 1, after the answer

    QTest::newRow("mine") << "mine" << true << 5;
    QTest::newRow("theirs") << "theirs" << true << 7;
    QTest::newRow("cancel") << "cancel" << false << 7;
    QTest::newRow("escape") << "escape" << false << 7;
}

void TestGradeLockWindows::clashIsAskedAndEachAnswerDoesWhatItSays()
{
    QFETCH(QString, action);
    QFETCH(bool, closed);
    QFETCH(int, stored);

    Env env;
    const int untouched = env.stored(3, 2);
    auto w = env.open();
    QVERIFY(!w->readOnly());
    typeNaishin(w.get(), 2, 1, '5'); // pupil 2: the clash
    typeNaishin(w.get(), 3, 2, '4'); // pupil 3: a change nobody else made
    // Meanwhile another teacher saved the same cell and one this window did not touch.
    env.saveElsewhere(2, 1, 7);
    env.saveElsewhere(4, 1, 9);

    QStringList shown;
    test::ModalAnswer<ConflictDialog> answer([&](ConflictDialog* d) {
        QCOMPARE(d->mTable->rowCount(), 1);
        shown = rowTexts(d->mTable, 0);
        if (action == QLatin1String("mine"))
            d->mMineButton->click();
        else if (action == QLatin1String("theirs"))
            d->mSavedButton->click();
        else if (action == QLatin1String("cancel"))
            d->mCancelButton->click();
        else
            QTest::keyClick(d, Qt::Key_Escape);
    });
    w->mFinishButton->click();
    QVERIFY(answer.answered());
    // 組, 番, 氏名, 欄, 開いた時, あなた, 保存済み in the grid's texts.
    QCOMPARE(shown, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("生徒2"),
                                 w->mGrid->TextMatrix(0, FirstDataCol).trimmed(), QString(), QStringLiteral("5"),
                                 QStringLiteral("7")}));

    QCOMPARE(w->isVisible(), !closed);
    QCOMPARE(env.stored(2, 1), stored);
    QCOMPARE(env.stored(4, 1), 9); // the other's change stays whatever the answer
    QCOMPARE(env.stored(3, 2), closed ? 4 : untouched);
    if (!closed) {
        // The edits stay and the clashing cell is lit; only that one.
        QCOMPARE(w->mGrid->TextMatrix(2, FirstDataCol), QStringLiteral("5"));
        QCOMPARE(w->mGrid->CellBackColor(2, FirstDataCol), QColor(255, 176, 176));
        QVERIFY(!w->mGrid->CellBackColor(3, FirstDataCol + 1).isValid());
    }
}

void TestGradeLockWindows::aClashSavedAgainDuringTheQuestionIsAskedAgain()
{
    Env env;
    auto w = env.open();
    typeNaishin(w.get(), 2, 1, '5');
    env.saveElsewhere(2, 1, 7);

    QList<QStringList> asked;
    w->runConflictDialog = [&](ConflictDialog& d) {
        asked << rowTexts(d.mTable, 0);
        // While the first question is open the other teacher saves the cell once more.
        if (asked.size() == 1) env.saveElsewhere(2, 1, 8);
        return ConflictDialog::Answer::KeepMine;
    };
    w->mFinishButton->click();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked.at(0).at(6), QStringLiteral("7"));
    QCOMPARE(asked.at(1).at(6), QStringLiteral("8"));
    QVERIFY(!w->isVisible());
    QCOMPARE(env.stored(2, 1), 5);
}

void TestGradeLockWindows::changedGradeRefusesAndOffersTheCsv()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    auto w = env.open();
    typeNaishin(w.get(), 2, 1, '5');
    {
        // A roster editor elsewhere wrote and left: the seats may not be the ones shown.
        GradeGuard guard(env.fx.folder(), 2);
        QVERIFY(guard);
        QVERIFY(guard.raiseGeneration());
    }
    const QString csv = QDir(env.fx.folder()).filePath(QStringLiteral("keep.csv"));
    w->chooseExportFile = [&] { return csv; };
    ScriptedButtons buttons;
    buttons.queue(QStringLiteral("入力を CSV に保存…"));
    w->mFinishButton->click();

    QCOMPARE(buttons.asked().size(), 1);
    QCOMPARE(buttons.asked().at(0).text, GradeChangedMessage());
    QVERIFY(w->isVisible());
    QCOMPARE(w->mGrid->TextMatrix(2, FirstDataCol), QStringLiteral("5"));
    QCOMPARE(env.fx.rosterBytes(), before);
    // The CSV holds what was typed.
    const QStringList lines =
        QString::fromUtf8(test::ReadFileBytes(csv)).split(QRegularExpression(QStringLiteral("\r?\n")));
    QVERIFY(lines.size() > 2);
    QVERIFY2(lines.at(2).contains(QStringLiteral("生徒2")) && lines.at(2).contains(QStringLiteral(",5")),
             qPrintable(lines.at(2)));

    // Closed without saving, nothing is written either.
    ScriptedMessages messages;
    messages.queue(MsgAnswer::Yes);
    w->close();
    QVERIFY(!w->isVisible());
    QCOMPARE(env.fx.rosterBytes(), before);
}

void TestGradeLockWindows::refusedEntryWindowOpensReadOnlyOrNotAtAll()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    GradeLock editor(env.fx.folder(), 2);
    QVERIFY(editor.acquire(LockMode::Exclusive, QStringLiteral("名簿の入力 (2年)"), QStringLiteral("all")).granted);

    {
        ScriptedButtons buttons;
        buttons.queue(QStringLiteral("キャンセル"));
        auto w = env.open();
        QVERIFY(w->lockRefused());
        QCOMPARE(buttons.asked().size(), 1);
        QCOMPARE(
            buttons.asked().at(0).buttons,
            (QStringList{QStringLiteral("待つ"), QStringLiteral("読み取り専用で開く"), QStringLiteral("キャンセル")}));
        QVERIFY(buttons.asked().at(0).text.contains(QStringLiteral("「名簿の入力 (2年)」")));
    }

    ScriptedButtons buttons;
    buttons.queue(QStringLiteral("読み取り専用で開く"));
    auto w = env.open();
    QVERIFY(!w->lockRefused());
    QVERIFY(w->readOnly());
    QCOMPARE(w->mFinishButton->text(), QStringLiteral("閉じる"));
    // Keys, Delete and paste beep and change nothing.
    const QString shown = w->mGrid->TextMatrix(2, FirstDataCol);
    typeNaishin(w.get(), 2, 1, '5');
    QTest::keyClick(w->mGrid, Qt::Key_Delete);
    w->onPasteClicked();
    QCOMPARE(BeepCount(), 3);
    QCOMPARE(w->mGrid->TextMatrix(2, FirstDataCol), shown);
    // Closing asks nothing and saves nothing; the holder's registration is not touched.
    ScriptedMessages messages;
    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QVERIFY(messages.asked().isEmpty());
    QCOMPARE(env.fx.rosterBytes(), before);
    QList<LockHolder> others;
    GradeLock look(env.fx.folder(), 2);
    QVERIFY(look.others(others));
    QCOMPARE(others.size(), 1);
    QCOMPARE(others.at(0).id, editor.holderId());
}

void TestGradeLockWindows::entryWindowWaitsForAnEditor_data()
{
    QTest::addColumn<bool>("editorWrites");
    QTest::newRow("editor only looked") << false;
    QTest::newRow("editor wrote") << true;
}

void TestGradeLockWindows::entryWindowWaitsForAnEditor()
{
    QFETCH(bool, editorWrites);
    Env env;
    auto editor = std::make_unique<GradeLock>(env.fx.folder(), 2);
    QVERIFY(editor->acquire(LockMode::Exclusive, QStringLiteral("名簿の入力 (2年)"), QStringLiteral("all")).granted);
    QTimer::singleShot(200, [&] {
        if (editorWrites) {
            GradeGuard guard(env.fx.folder(), 2);
            guard.raiseGeneration();
        }
        editor.reset();
    });
    ScriptedButtons buttons;
    buttons.queue(QStringLiteral("待つ"));
    ScriptedMessages messages;
    // The 内申点 were read before the window opened: after a write meanwhile they may show
    // pupils in seats they no longer hold, so the window asks to be opened again.
    auto w = env.open();
    QCOMPARE(buttons.asked().size(), 1);
    QCOMPARE(w->lockRefused(), editorWrites);
    QCOMPARE(messages.asked().size(), editorWrites ? 1 : 0);
    if (editorWrites) return;
    QVERIFY(!w->readOnly());
    typeNaishin(w.get(), 2, 1, '5');
    w->mFinishButton->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(env.stored(2, 1), 5);
}

void TestGradeLockWindows::overlappingEntryWindowsAreToldOnce()
{
    Env env;
    GradeLock colleague(env.fx.folder(), 2);
    QVERIFY(colleague.acquire(LockMode::Shared, QStringLiteral("内申点の入力"), QStringLiteral("naishin")).granted);
    ScriptedMessages messages;
    auto w = env.open();
    QVERIFY(!w->readOnly());
    QCOMPARE(messages.asked().size(), 1);
    QVERIFY(messages.asked().at(0).text.contains(QStringLiteral("「内申点の入力」")));
    // Both are registered; the window's registration goes with it.
    QList<LockHolder> holders;
    GradeLock look(env.fx.folder(), 2);
    QVERIFY(look.others(holders));
    QCOMPARE(holders.size(), 2);
    w.reset();
    QVERIFY(look.others(holders));
    QCOMPARE(holders.size(), 1);
}

void TestGradeLockWindows::unwritableLockFolder()
{
    Env env;
    // A file where the lock folder would go: it cannot be made, whoever runs the test. (Writing the
    // fixture's lists made the folder; a folder of an older version has none.)
    QDir(GradeLockFolder(env.fx.folder(), 2)).removeRecursively();
    test::WriteFileBytes(GradeLockFolder(env.fx.folder(), 2).chopped(1), "x");
    const QString folderName = GradeLockFolderName(2);

    ScriptedMessages messages;
    auto w = env.open();
    QVERIFY(w->readOnly());
    QCOMPARE(messages.asked().size(), 1);
    QVERIFY(messages.asked().at(0).text.contains(folderName));
    QVERIFY(w->gradeLock()->readOnlyReason().contains(folderName));
    w.reset();

    messages.clear();
    QWidget owner;
    QVERIFY(!LockGradeAlone(env.fx.folder(), 2, QStringLiteral("名簿の入力"), &owner));
    QCOMPARE(messages.asked().size(), 1);
    QVERIFY(messages.asked().at(0).text.contains(folderName));
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Critical);
}

void TestGradeLockWindows::exclusiveWaitsForAnEntryScreenAndProceedsWhenItLeaves()
{
    Env env;
    auto colleague = std::make_unique<GradeLock>(env.fx.folder(), 2);
    QVERIFY(colleague->acquire(LockMode::Shared, QStringLiteral("点数の入力（テスト別）"), QStringLiteral("slots 1-5"))
                .granted);
    QWidget owner;

    {
        ScriptedButtons buttons;
        buttons.queue(QStringLiteral("キャンセル"));
        QVERIFY(!LockGradeAlone(env.fx.folder(), 2, QStringLiteral("名簿の入力"), &owner));
        QCOMPARE(buttons.asked().at(0).buttons, (QStringList{QStringLiteral("待つ"), QStringLiteral("キャンセル")}));
        QVERIFY(buttons.asked().at(0).text.contains(QStringLiteral("「点数の入力（テスト別）」")));
    }

    // 待つ: the wait looks again by itself and goes on once the entry screen has closed.
    ScriptedButtons buttons;
    buttons.queue(QStringLiteral("待つ"));
    bool waitShown = false;
    QTimer::singleShot(300, [&] {
        waitShown = qobject_cast<HolderWaitDialog*>(QApplication::activeModalWidget()) != nullptr;
        colleague.reset();
    });
    WindowGradeLock* lock = LockGradeAlone(env.fx.folder(), 2, QStringLiteral("名簿の入力"), &owner);
    QVERIFY(lock);
    QVERIFY(waitShown);
    QVERIFY(lock->lock().held());
    QCOMPARE(lock->lock().mode(), LockMode::Exclusive);

    // Leaving raises the generation: an entry screen that read the grade before cannot save.
    const qint64 generation = ReadGradeGeneration(env.fx.folder(), 2);
    delete lock;
    QCOMPARE(ReadGradeGeneration(env.fx.folder(), 2), generation + 1);
    QList<LockHolder> holders;
    GradeLock look(env.fx.folder(), 2);
    QVERIFY(look.others(holders));
    QVERIFY(holders.isEmpty());
}

QTEST_MAIN(TestGradeLockWindows)
#include "tst_gradelockwindows.moc"
