// "バックアップから戻す": the list of snapshots, the question (No by default) and a restore that
// waits for nobody while another screen has the grade open.
#include "GradeLock.h"
#include "MessageBox.h"
#include "SnapshotRestoreWindow.h"
#include "Snapshots.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace seiran;

class SnapshotWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void listsAndRestoresAfterAsking();
};

void SnapshotWindowTest::listsAndRestoresAfterAsking()
{
    QTemporaryDir dir;
    const QString data = dir.path() + u'/';
    QVERIFY(test::WriteSample(dir.path(), 1, 2, 15).ok);
    const QMap<QString, QByteArray> original = test::FolderFiles(data);
    SetSnapshotClock(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    QVERIFY(TakeSnapshot(data, 1, QStringLiteral("promotion")).ok);
    SetSnapshotClock({});
    test::WriteFileBytes(data + QStringLiteral("test01.seq"), "0\r\n");
    const QMap<QString, QByteArray> changed = test::FolderFiles(data);

    SnapshotRestoreWindow window(data, 1);
    QCOMPARE(window.mList->rowCount(), 1);
    QCOMPARE(window.mList->item(0, 0)->text(), QStringLiteral("2026/12/07 09:30:00"));
    QCOMPARE(window.mList->item(0, 1)->text(), QStringLiteral("進級処理"));
    QVERIFY(window.mRestoreButton->isEnabled());

    {
        // No is the default: nothing changes.
        ScriptedMessages messages;
        window.onRestoreClicked();
        QCOMPARE(messages.asked().size(), 1);
        QCOMPARE(messages.asked().first().defaultButton, 2);
        QVERIFY(messages.asked().first().text.contains(QStringLiteral("2026/12/07 09:30:00")));
        QCOMPARE(test::FolderFiles(data), changed);
        QVERIFY(!window.restored());
    }
    {
        ScriptedMessages messages;
        messages.queue(MsgAnswer::Yes);
        window.onRestoreClicked();
        QVERIFY(window.restored());
        QCOMPARE(test::FolderFiles(data), original);
        // The replaced state is listed too, newest first, and nobody holds the grade afterwards.
        QCOMPARE(window.mList->rowCount(), 2);
        QCOMPARE(window.mList->item(0, 1)->text(), QStringLiteral("戻す前の状態"));
        LockRegistry registry;
        QStringList problems;
        LockRegistry::parse(test::ReadFileBytes(GradeLockFolder(data, 1) + QStringLiteral("lock.txt")), registry,
                            problems);
        QVERIFY(registry.holders.isEmpty());
    }
}

QTEST_MAIN(SnapshotWindowTest)
#include "tst_snapshotwindow.moc"
