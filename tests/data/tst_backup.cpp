#include "Backup.h"
#include "FailingDisk.h"
#include "FileErrors.h"
#include "GradeData.h"
#include "GradeLock.h"
#include "IniReader.h"
#include "ListFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <sys/stat.h>

using namespace seiran;
using seiran::test::ReadFileBytes;
using seiran::test::WriteFileBytes;

class BackupTest : public QObject
{
    Q_OBJECT

private slots:
    void backupsAreNumberedAndNeverReplaced();
    void backupOfAMissingFileSaysSo();
    void replacesASetOfFiles();
    void failedRenameUndoesTheRenamesDone();
    void fullDiskKeepsTheOldFile();
    void failedSyncKeepsTheOldFile();
    void reasonsAreJapanese();
    void nonRegularFilesAreRefused();
};

void BackupTest::backupsAreNumberedAndNeverReplaced()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dtfile01.rnd"));
    WriteFileBytes(file, "first");
    QCOMPARE(FreeBackupPath(file), file + QStringLiteral(".bak"));
    QString made;
    QVERIFY(KeepNumberedBackup(file, &made).ok);
    QCOMPARE(made, file + QStringLiteral(".bak"));

    WriteFileBytes(file, "second");
    QVERIFY(KeepNumberedBackup(file, &made).ok);
    QCOMPARE(made, file + QStringLiteral(".bak2"));
    WriteFileBytes(file, "third");
    QVERIFY(KeepNumberedBackup(file, &made).ok);
    QCOMPARE(made, file + QStringLiteral(".bak3"));

    // A gap is filled first; nothing older is touched.
    QVERIFY(QFile::remove(file + QStringLiteral(".bak2")));
    WriteFileBytes(file, "fourth");
    QVERIFY(KeepNumberedBackup(file, &made).ok);
    QCOMPARE(made, file + QStringLiteral(".bak2"));
    QCOMPARE(ReadFileBytes(file + QStringLiteral(".bak")), QByteArray("first"));
    QCOMPARE(ReadFileBytes(file + QStringLiteral(".bak2")), QByteArray("fourth"));
    QCOMPARE(ReadFileBytes(file + QStringLiteral(".bak3")), QByteArray("third"));
    QCOMPARE(ReadFileBytes(file), QByteArray("fourth"));
}

void BackupTest::backupOfAMissingFileSaysSo()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("test01.seq"));
    const Result r = KeepNumberedBackup(file);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("test01.seq")) && r.message.contains(QStringLiteral("見つかりません")),
             qPrintable(r.message));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void BackupTest::replacesASetOfFiles()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.seq"));
    const QString b = dir.filePath(QStringLiteral("b.seq"));
    WriteFileBytes(a, "old a");
    WriteFileBytes(a + QStringLiteral(".new"), "new a");
    WriteFileBytes(b + QStringLiteral(".new"), "new b"); // b does not exist yet
    QVERIFY(ReplaceFiles({{a + QStringLiteral(".new"), a}, {b + QStringLiteral(".new"), b}}).ok);
    QCOMPARE(ReadFileBytes(a), QByteArray("new a"));
    QCOMPARE(ReadFileBytes(b), QByteArray("new b"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{QStringLiteral("a.seq"), QStringLiteral("b.seq")}));
}

void BackupTest::failedRenameUndoesTheRenamesDone()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.seq"));
    const QString b = dir.filePath(QStringLiteral("b.seq"));
    const QString c = dir.filePath(QStringLiteral("c.seq"));
    WriteFileBytes(a, "old a");
    WriteFileBytes(c, "old c");
    WriteFileBytes(a + QStringLiteral(".new"), "new a");
    WriteFileBytes(b + QStringLiteral(".new"), "new b");
    // The third rename fails: its new content is missing.
    const Result r = ReplaceFiles(
        {{a + QStringLiteral(".new"), a}, {b + QStringLiteral(".new"), b}, {c + QStringLiteral(".new"), c}});
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("c.seq")) && r.message.contains(QStringLiteral("元に戻しました")),
             qPrintable(r.message));
    QCOMPARE(ReadFileBytes(a), QByteArray("old a"));
    QVERIFY(!QFile::exists(b)); // it did not exist before
    QCOMPARE(ReadFileBytes(c), QByteArray("old c"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{QStringLiteral("a.seq"), QStringLiteral("c.seq")}));

    // A folder standing where a file goes fails before anything changed.
    QVERIFY(QDir().mkpath(b));
    WriteFileBytes(a + QStringLiteral(".new"), "new a");
    WriteFileBytes(b + QStringLiteral(".new"), "new b");
    const Result r2 = ReplaceFiles({{a + QStringLiteral(".new"), a}, {b + QStringLiteral(".new"), b}});
    QVERIFY(!r2.ok);
    QVERIFY2(r2.message.contains(QStringLiteral("b.seq")), qPrintable(r2.message));
    QCOMPARE(ReadFileBytes(a), QByteArray("old a"));
    QVERIFY(QFileInfo(b).isDir());
}

void BackupTest::fullDiskKeepsTheOldFile()
{
    QTemporaryDir dir;
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = dir.path() + QLatin1Char('/');
    gd->currentGrade = 1;
    gd->testCount = 1;
    gd->testNames[1] = QStringLiteral("中間");
    gd->testShortNames[1] = QStringLiteral("中");
    gd->testSubjectCount[1] = 5;
    QVERIFY(SaveTestList(*gd).ok);
    const QByteArray before = ReadFileBytes(TestListPath(*gd));

    gd->testCount = 30;
    for (int t = 2; t <= 30; ++t) {
        gd->testNames[t] = QStringLiteral("第%1回実力テスト").arg(t);
        gd->testShortNames[t] = QStringLiteral("実%1").arg(t);
        gd->testSubjectCount[t] = 5;
    }
    Result r;
    {
        // The grade's guard is taken before the disk fills: the list's own write meets the full disk.
        GradeGuard guard(gd->dataFolder, 1);
        QVERIFY(guard.result().ok);
        test::FileSizeLimit limit(64);
        r = SaveTestList(*gd);
    }
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("test01.seq")) && r.message.contains(QStringLiteral("容量不足")) &&
                 r.message.contains(QStringLiteral("元のファイルはそのままです")),
             qPrintable(r.message));
    QCOMPARE(ReadFileBytes(TestListPath(*gd)), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary file left

    // A backup that cannot be completed leaves no partial copy behind.
    {
        test::FileSizeLimit limit(8);
        QVERIFY(!KeepNumberedBackup(TestListPath(*gd)).ok);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void BackupTest::failedSyncKeepsTheOldFile()
{
    QTemporaryDir dir;
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = dir.path() + QLatin1Char('/');
    gd->currentGrade = 2;
    gd->testCount = 1;
    gd->testNames[1] = QStringLiteral("中間");
    gd->testShortNames[1] = QStringLiteral("中");
    gd->testSubjectCount[1] = 5;
    QVERIFY(SaveTestList(*gd).ok);
    const QByteArray before = ReadFileBytes(TestListPath(*gd));
    gd->testNames[1] = QStringLiteral("期末");

    // Every byte is written and flushed; only the sync fails. The save says so and the old list
    // stays, with no temporary file beside it.
    Result r;
    {
        test::FailingSync sync;
        r = SaveTestList(*gd);
        QCOMPARE(test::FailingSync::calls(), 1);
    }
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("test02.seq")) && r.message.contains(QStringLiteral("書き込めません")) &&
                 r.message.contains(QStringLiteral("ディスクの読み書きに失敗しました")) &&
                 r.message.contains(QStringLiteral("元のファイルはそのままです")),
             qPrintable(r.message));
    QCOMPARE(ReadFileBytes(TestListPath(*gd)), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A new file that cannot be synced is not left half made; a backup neither.
    const QString fresh = dir.filePath(QStringLiteral("new.csv"));
    {
        test::FailingSync sync(ENOSPC);
        const Result made = WriteWholeFile(fresh, "a,b\r\n");
        QVERIFY2(!made.ok && made.message.contains(QStringLiteral("容量不足")), qPrintable(made.message));
        QVERIFY(!KeepNumberedBackup(TestListPath(*gd)).ok);
    }
    QVERIFY(!QFileInfo::exists(fresh));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // With the sync working again the same save goes through.
    QVERIFY(SaveTestList(*gd).ok);
    QVERIFY(ReadFileBytes(TestListPath(*gd)) != before);
}

void BackupTest::reasonsAreJapanese()
{
    QCOMPARE(FileErrorReason(ENOSPC, FileAccess::Write),
             QStringLiteral("容量不足です（%1）").arg(qt_error_string(ENOSPC)));
    QCOMPARE(FileErrorReason(EACCES, FileAccess::Write).left(12), QStringLiteral("書き込み権限がありません"));
    QVERIFY(FileErrorReason(EACCES, FileAccess::Read).startsWith(QStringLiteral("読み取り権限がありません")));
    QVERIFY(FileErrorReason(ENOENT, FileAccess::Read).startsWith(QStringLiteral("見つかりません（")));
    // The text Qt reports leads back to the same reason; an unknown one is only a detail.
    QCOMPARE(FileErrorReason(qt_error_string(EROFS), FileAccess::Write),
             QStringLiteral("書き込み権限がありません（%1）").arg(qt_error_string(EROFS)));
    QCOMPARE(FileErrorReason(QStringLiteral("Unknown error"), FileAccess::Write),
             QStringLiteral("書き込みに失敗しました（Unknown error）"));
    QCOMPARE(FileErrorReason(0, FileAccess::Read), QStringLiteral("読み込みに失敗しました"));
}

void BackupTest::nonRegularFilesAreRefused()
{
    QTemporaryDir dir;
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = dir.path() + QLatin1Char('/');
    gd->currentGrade = 1;
    // A FIFO would block the reader for ever; it is refused before it is opened.
    QCOMPARE(mkfifo(qPrintable(TestListPath(*gd)), 0600), 0);
    const Result r = LoadTestList(*gd);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("test01.seq")) &&
                 r.message.contains(QStringLiteral("通常のファイルではありません")),
             qPrintable(r.message));
    QByteArray bytes;
    QVERIFY(!ReadWholeFile(TestListPath(*gd), bytes).ok);
    QVERIFY(!KeepNumberedBackup(TestListPath(*gd)).ok);
    gd->testCount = 0;
    QVERIFY(!SaveTestList(*gd).ok);
    QVERIFY(QFileInfo(TestListPath(*gd)).exists() && !QFileInfo(TestListPath(*gd)).isFile());

    // The settings file is read the same way: a FIFO gives the default at once.
    const QString ini = dir.filePath(QStringLiteral("seiran.ini"));
    QCOMPARE(mkfifo(qPrintable(ini), 0600), 0);
    QCOMPARE(ReadIniString(ini, QStringLiteral("Startup"), QStringLiteral("Data_dir"), QStringLiteral("*")),
             QStringLiteral("*"));

    QVERIFY(QDir().mkpath(SubjectListPath(*gd)));
    const Result folder = LoadSubjectList(*gd);
    QVERIFY2(folder.message.contains(QStringLiteral("フォルダです")), qPrintable(folder.message));
}

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
