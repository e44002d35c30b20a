#include "ConflictDialog.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "GradeLockWindow.h"
#include "InputJournal.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "ScoreEntryWindow.h"
#include "Session.h"
#include "TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

using namespace seiran;

namespace {

// Grade 3, two classes of ten; test 1 of four subjects, every score entered. The first pupil
// has 87 in 国語.
struct Env
{
    test::GradeFixture fx{3, 2};
    RecordingProgress progress;
    SilentNotice notice;
    Session session{fx.gd(), progress, notice, QString(), [] { return 0; }};

    Env()
    {
        fx.writeSubjects(
            {QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"), QStringLiteral("理科")});
        fx.writeTests({{QStringLiteral("中間"), 4}});
        fx.writeHomeroom();
        QList<test::FixturePupil> pupils;
        for (int c = 1; c <= 2; ++c)
            for (int n = 1; n <= 10; ++n)
                pupils << test::FixturePupil{c, n,  QStringLiteral("%1組の%2").arg(c).arg(n),
                                             1, {}, StudentRecord::InUse};
        for (qsizetype i = 0; i < pupils.size(); ++i)
            pupils[i].scores = {int(40 + i), 60, 70, 80};
        pupils[0].scores = {87, 60, 70, 80};
        fx.writeRoster(pupils, 1);
        if (!fx.loadLists()) qFatal("lists");
        fx.gd().currentTest = 1;
    }

    // Opens the score entry as the main menu does: the test's scores read first.
    std::unique_ptr<ScoreEntryWindow> open()
    {
        if (!LoadTestScores(fx.gd(), progress)) qFatal("load");
        auto w = std::make_unique<ScoreEntryWindow>(session);
        w->show();
        return w;
    }
    int stored(int record, int subject)
    {
        return fx.readRecord(record).scoreSlot(fx.gd().testFirstSlot[1] + subject - 1);
    }
    void storeElsewhere(int record, int subject, int value)
    {
        StudentRecord r = fx.readRecord(record);
        r.setScoreSlot(fx.gd().testFirstSlot[1] + subject - 1, value);
        fx.writeRecord(record, r);
    }
    QString journalFolder() const { return JournalFolder(fx.folder(), 3); }
    QString localFolder() const { return LocalJournalFolder(fx.folder(), 3); }
    QStringList journals(const QString& folder) const
    {
        return QDir(folder).entryList({QStringLiteral("*.jnl")}, QDir::Files);
    }
    int entries(const QString& path) const
    {
        JournalContents contents;
        return ReadJournal(path, contents) ? int(contents.entries.size()) : -1;
    }
};

void typeInto(ScoreEntryWindow* w, int row, int col, const QString& keys)
{
    w->mGrid->setRow(row);
    w->mGrid->setCol(col);
    w->mGrid->setRowSel(row);
    w->mGrid->setColSel(col);
    QTest::keyClicks(w->mGrid, keys);
    QTest::keyClick(w->mGrid, Qt::Key_Return);
}

bool statusSays(const QWidget* w, const QString& words)
{
    for (const QLabel* label : w->findChildren<QLabel*>())
        if (label->text().contains(words)) return true;
    return false;
}

} // namespace

class TestJournalWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup()
    {
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/seiran"))
            .removeRecursively();
    }
    void crashedInputComesBackAndMergesOnSave();
    void laterDiscardAndTheLocalCopy();
};

void TestJournalWindow::crashedInputComesBackAndMergesOnSave()
{
    Env env;
    const int c = FirstDataCol;
    {
        auto w = env.open();
        QVERIFY(env.journals(env.journalFolder()).isEmpty()); // nothing typed, no file
        typeInto(w.get(), 1, c, QStringLiteral("77"));
        QCOMPARE(env.journals(env.journalFolder()).size(), 1);
        // Delete of a block, then undone and done again: each is journaled.
        w->mGrid->setRow(2);
        w->mGrid->setCol(c + 1);
        w->mGrid->setRowSel(3);
        w->mGrid->setColSel(c + 1);
        QTest::keyClick(w->mGrid, Qt::Key_Delete);
        const QString path = env.journalFolder() + env.journals(env.journalFolder()).first();
        const int afterDelete = env.entries(path);
        QVERIFY(afterDelete >= 2);
        w->onUndo();
        QCOMPARE(env.entries(path), afterDelete + 2);
        w->onRedo();
        QCOMPARE(env.entries(path), afterDelete + 4);
        QCOMPARE(env.stored(1, 1), 87); // nothing saved yet
        // The window goes without a save or a question, as in a crash.
    }
    // Another teacher saves the same cell meanwhile.
    env.storeElsewhere(1, 1, 50);

    ScriptedButtons buttons;
    buttons.queue(QStringLiteral("復元する"));
    auto w = env.open();
    QCOMPARE(buttons.asked().size(), 1);
    QVERIFY(buttons.asked().first().text.startsWith(QStringLiteral("前回保存されずに終わった入力があります（")));
    QVERIFY(buttons.asked().first().text.endsWith(QStringLiteral("か所）。復元しますか？")));
    QCOMPARE(buttons.asked().first().buttons,
             (QStringList{QStringLiteral("復元する"), QStringLiteral("破棄する"), QStringLiteral("後で")}));
    QCOMPARE(w->mGrid->TextMatrix(1, c), QStringLiteral("77"));
    QCOMPARE(w->mGrid->TextMatrix(2, c + 1), QString());
    QCOMPARE(w->mGrid->TextMatrix(3, c + 1), QString());
    // The old journal went once its cells were in this window's own.
    const QStringList now = env.journals(env.journalFolder());
    QCOMPARE(now.size(), 1);
    QVERIFY(now.first().contains(w->gradeLock()->lock().holderId()));

    // The journal's base is the value the save merges from: the other teacher's 50 is a clash.
    int asked = 0;
    w->runConflictDialog = [&](ConflictDialog&) {
        ++asked;
        return ConflictDialog::Answer::KeepMine;
    };
    w->mFinishButton->click();
    QCOMPARE(asked, 1);
    QVERIFY(!w->isVisible());
    QCOMPARE(env.stored(1, 1), 77);
    QCOMPARE(env.stored(2, 2), int(ScoreCode::NotEntered));
    QVERIFY(env.journals(env.journalFolder()).isEmpty());
}

void TestJournalWindow::laterDiscardAndTheLocalCopy()
{
    Env env;
    // The lock folder takes no journal (a file stands where its folder would be).
    QVERIFY(QDir().mkpath(GradeLockFolder(env.fx.folder(), 3)));
    test::WriteFileBytes(env.journalFolder().chopped(1), "in the way");
    {
        auto w = env.open();
        typeInto(w.get(), 1, FirstDataCol, QStringLiteral("5"));
        QVERIFY(statusSays(w.get(), QStringLiteral("このPCに控えています")));
        QCOMPARE(env.journals(env.localFolder()).size(), 1);
    }
    QVERIFY(QFile::remove(env.journalFolder().chopped(1)));

    ScriptedButtons buttons;
    buttons.queue(QStringLiteral("後で"));
    buttons.queue(QStringLiteral("破棄する"));
    env.open().reset();
    QCOMPARE(buttons.asked().size(), 1);
    QCOMPARE(env.journals(env.localFolder()).size(), 1); // left for later
    {
        auto w = env.open();
        QCOMPARE(buttons.asked().size(), 2);
        QVERIFY(env.journals(env.localFolder()).isEmpty());
        QCOMPARE(w->mGrid->TextMatrix(1, FirstDataCol), QStringLiteral("87"));

        // 「保存せずに終了」 Yes takes this window's journal with it.
        typeInto(w.get(), 1, FirstDataCol, QStringLiteral("6"));
        QCOMPARE(env.journals(env.journalFolder()).size(), 1);
        ScriptedMessages answers;
        answers.queue(MsgAnswer::Yes);
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(env.journals(env.journalFolder()).isEmpty());
    }
    QCOMPARE(env.stored(1, 1), 87);
}

QTEST_MAIN(TestJournalWindow)
#include "tst_journalwindow.moc"
