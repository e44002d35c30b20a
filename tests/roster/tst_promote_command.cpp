#include "Cp932.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "NewRoster.h"
#include "Progress.h"
#include "PromoteCommand.h"
#include "PromotionAssignment.h"
#include "PromotionTable.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "support/FailingDisk.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTextStream>
#include <QtTest>
#include <sys/stat.h>

using namespace seiran;
using namespace seiran::test;

namespace {

// The files of a grade folder, without the lock folders ("seiranNN") the commands register in.
QMap<QString, QByteArray> gradeFiles(const QString& folder)
{
    QMap<QString, QByteArray> files = test::FolderFiles(folder, true);
    files.removeIf([](const auto& file) { return file.key().startsWith(QLatin1String("seiran")); });
    return files;
}

using Run = test::CommandRun;

Run promote(const QStringList& args)
{
    return test::RunCommand([](const QStringList& argv, QTextStream& out,
                               QTextStream& err) { return RunPromoteCommand(argv, StdFilesFolder(), out, err); },
                            QStringLiteral("seiran-promote"), args);
}

StudentRecord pupil(const QString& name, int sex, const QString& furigana, int flag = StudentRecord::InUse)
{
    StudentRecord rec = StudentRecord::blank();
    rec.setFlag(flag);
    rec.setName(name);
    rec.setSex(sex);
    rec.setFurigana(furigana);
    return rec;
}

// Grade 1 of two classes: 101 青木(男), 102 井上(女), 105 上田(女), 201 江藤(男), 202 転出, 203 小野(男).
void writeGrade(GradeFixture& f)
{
    f.writeStandard({});
    f.writeRecord(1, pupil(QStringLiteral("青木"), 1, QStringLiteral("あおき")));
    f.writeRecord(2, pupil(QStringLiteral("井上"), 2, QStringLiteral("いのうえ")));
    f.writeRecord(5, pupil(QStringLiteral("上田"), 2, QStringLiteral("うえだ")));
    f.writeRecord(61, pupil(QStringLiteral("江藤"), 1, QStringLiteral("えとう")));
    f.writeRecord(62, pupil(QStringLiteral("転出"), 1, QStringLiteral("てんしゅつ"), StudentRecord::TransferredOut));
    f.writeRecord(63, pupil(QStringLiteral("小野"), 1, QStringLiteral("おの")));
}

QString writeAssign(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("assign.txt"));
    WriteFileBytes(path, bytes);
    return path;
}

const QByteArray kAssign = "旧番号\t氏名\t性別\tふりがな\t新組\t新番\n"
                           "101\t青木\t男\t\t2\n"
                           "102\t\t\t\t1\n"
                           "105\t上田\t2\t\t1\n"
                           "201\t\t\t\t2\n"
                           "203\t\t\t\t1\n"
                           "転入\t香川\t女\tかがわ\t2\n";

} // namespace

class TestPromoteCommand : public QObject
{
    Q_OBJECT

private slots:
    void createsTheSameFilesAsTheTable();
    void secondRunKeepsTheFirstBackups();
    void errorsTouchNoFile_data();
    void errorsTouchNoFile();
    void assignmentFileFormats();
    void failedRenamePutsTheFolderBack();
    void saveFailureAfterTheCreation();
    void failedCreationNamesTheFileAndLeavesNothing();
    void assignFromAPipeIsRefused();
    void kanaListReadsBack();
};

void TestPromoteCommand::createsTheSameFilesAsTheTable()
{
    GradeFixture f(1, 2);
    writeGrade(f);
    QTemporaryDir tmp;
    const QString assign = writeAssign(tmp, kAssign);
    const QString next = tmp.filePath(QStringLiteral("next/year"));
    const Run run = promote({"--data", f.folder(), "--grade", "1", "--assign", assign, "--sort", "kana", "--by-sex",
                             "3", "--create", next, "--save", "--list"});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, QStringLiteral("203\t小野\t男\tおの\t1\t1\n"
                                     "102\t井上\t女\tいのうえ\t1\t3\n"
                                     "105\t上田\t女\tうえだ\t1\t4\n"
                                     "101\t青木\t男\tあおき\t2\t1\n"
                                     "201\t江藤\t男\tえとう\t2\t2\n"
                                     "転入\t香川\t女\tかがわ\t2\t3\n"));

    // The same steps through the table give the same bytes.
    PromotionTable t;
    QVERIFY(t.load(RosterFile::pathFor(f.gd()), 2, NullProgress::instance()).ok);
    // (the save has run: reload the assignment from the roster)
    QCOMPARE(PromotionListText(t), QStringLiteral("101\t青木\t男\tあおき\t2\t1\n"
                                                  "102\t井上\t女\tいのうえ\t1\t3\n"
                                                  "105\t上田\t女\tうえだ\t1\t4\n"
                                                  "201\t江藤\t男\tえとう\t2\t2\n"
                                                  "203\t小野\t男\tおの\t1\t1\n"
                                                  "転入\t香川\t女\tかがわ\t2\t3\n"));
    QList<NextYearFile> files;
    QVERIFY(ComposeNextYearFiles(t, 1, 2, next, StdFilesFolder(), files).ok);
    QCOMPARE(files.size(), 4);
    for (const NextYearFile& file : files)
        QCOMPARE(ReadFileBytes(file.path), file.bytes);
    QCOMPARE(QDir(next).entryList(QDir::Files),
             (QStringList{"dtfile02.rnd", "kyoka02.seq", "tannin02.seq", "test02.seq"}));
    QCOMPARE(ReadFileBytes(next + "/tannin02.seq"), QByteArray(" 2 \r\n\"\"\r\n\"\"\r\n"));
    QCOMPARE(ReadFileBytes(next + "/test02.seq"), CopyLines(ReadFileBytes(StdFilesFolder() + "/test.seq")));
    const QByteArray roster = ReadFileBytes(next + "/dtfile02.rnd");
    QCOMPARE(roster.size(), 120 * 512);
    StudentRecord kagawa;
    std::memcpy(kagawa.bytes().data(), roster.constData() + (60 + 3 - 1) * 512, 512);
    StudentRecord expected = pupil(QStringLiteral("香川"), 2, QStringLiteral("かがわ"));
    QCOMPARE(kagawa, expected);
    // The transfer-in was saved into the grade's roster after the class blocks.
    QCOMPARE(f.readRecord(121).flag(), int(StudentRecord::TransferIn));
    QCOMPARE(f.readRecord(121).newNumber(), 3);
}

void TestPromoteCommand::secondRunKeepsTheFirstBackups()
{
    GradeFixture f(2, 2);
    writeGrade(f);
    QTemporaryDir tmp;
    const QString assign = writeAssign(tmp, kAssign);
    const QString next = tmp.filePath(QStringLiteral("next"));
    QCOMPARE(
        promote({"--data", f.folder(), "--grade", "2", "--assign", assign, "--sort", "kana", "--create", next}).status,
        0);
    const QMap<QString, QByteArray> first = gradeFiles(next);
    QCOMPARE(first.size(), 4);

    // Without --replace a second run refuses and touches nothing.
    const Run refused = promote({"--data", f.folder(), "--grade", "2", "--assign", assign, "--create", next});
    QCOMPARE(refused.status, 2);
    QVERIFY2(refused.err.contains(QStringLiteral("--replace")), qPrintable(refused.err));
    QCOMPARE(gradeFiles(next), first);

    // A corrected run replaces the files and keeps the first run's in backups.
    QByteArray corrected = kAssign;
    corrected.replace("203\t\t\t\t1", "203\t\t\t\t2");
    const QString assign2 = writeAssign(tmp, corrected);
    QCOMPARE(promote({"--data", f.folder(), "--grade", "2", "--assign", assign2, "--sort", "kana", "--create", next,
                      "--replace"})
                 .status,
             0);
    QMap<QString, QByteArray> second = gradeFiles(next);
    QCOMPARE(second.size(), 8);
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        QCOMPARE(second.value(it.key() + ".bak"), it.value());
    QVERIFY(second.value("dtfile03.rnd") != first.value("dtfile03.rnd"));

    // A third run never replaces the first backup.
    QCOMPARE(promote({"--data", f.folder(), "--grade", "2", "--assign", assign, "--create", next, "--replace"}).status,
             0);
    const QMap<QString, QByteArray> third = gradeFiles(next);
    QCOMPARE(third.size(), 12);
    for (auto it = first.cbegin(); it != first.cend(); ++it) {
        QCOMPARE(third.value(it.key() + ".bak"), it.value());
        QCOMPARE(third.value(it.key() + ".bak2"), second.value(it.key()));
    }
}

void TestPromoteCommand::errorsTouchNoFile_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("assign");
    QTest::addColumn<QString>("message");
    const QStringList create{"--create", "NEXT", "--save"};
    QTest::newRow("unknown option") << QStringList{"--fast"} << QByteArray() << "--fast";
    QTest::newRow("no grade") << QStringList{"--grade", "4"} << QByteArray() << "--grade";
    QTest::newRow("by-sex without kana") << QStringList{"--sort", "old", "--by-sex", "21"} << QByteArray()
                                         << "--by-sex";
    QTest::newRow("replace without create") << QStringList{"--replace"} << QByteArray() << "--replace";
    QTest::newRow("girls' first number") << (QStringList{"--sort", "kana", "--by-sex", "0"} + create) << kAssign
                                         << "1〜60";
    QTest::newRow("unknown pupil") << create << QByteArray("104\t\t\t\t1\t1\n")
                                   << "1 行目: 旧番号 104 の生徒は名簿にいません";
    QTest::newRow("transferred out") << create << QByteArray("\n202\t\t\t\t1\t1\n") << "転出済";
    QTest::newRow("repeated") << create << QByteArray("101\t\t\t\t1\t1\n101\t\t\t\t1\t2\n") << "二度";
    QTest::newRow("another grade") << create << QByteArray("101\t青山\t\t\t1\t1\n") << "ほかの学年";
    QTest::newRow("another sex") << create << QByteArray("101\t\t女\t\t1\t1\n") << "ほかの学年";
    QTest::newRow("seventh field") << create << QByteArray("101\t\t\t\t1\t1\tx\n") << "列が多すぎます";
    QTest::newRow("class 0") << create << QByteArray("101\t\t\t\t0\t1\n") << "新組";
    QTest::newRow("number 61") << create << QByteArray("101\t\t\t\t1\t61\n") << "新番";
    QTest::newRow("transfer without name") << create << QByteArray("転入\t\t男\t\t1\t9\n") << "氏名が必要";
    QTest::newRow("unstorable reading") << create << QByteArray("101\t\t\t\xF0\x9F\x98\x80\t1\t1\n")
                                        << "保存できません";
    QTest::newRow("no class at all") << create << QByteArray() << "新組が一人も";
    QTest::newRow("duplicate") << create << QByteArray("101\t\t\t\t1\t1\n102\t\t\t\t1\t1\n") << "重複";
    QTest::newRow("grade 3") << (QStringList{"--grade", "3", "GRADE3"} + create) << QByteArray("101\t\t\t\t1\t1\n")
                             << "3年の次";
    QTest::newRow("exists") << QStringList{"--create", "DATA"} << QByteArray("101\t\t\t\t1\t1\n") << "--replace";
    QTest::newRow("save check") << (create + QStringList{"OCCUPY"}) << QByteArray("転入\t新人\t\t\t1\t2\n")
                                << "何も保存しませんでした";
}

void TestPromoteCommand::errorsTouchNoFile()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, assign);
    QFETCH(QString, message);
    GradeFixture f(1, 2);
    writeGrade(f);
    QVERIFY(CreateGradeFiles(f.folder(), 2, 3, StdFilesFolder(), NullProgress::instance()).ok);
    QTemporaryDir tmp;
    const QString next = tmp.filePath(QStringLiteral("next"));
    if (args.removeAll(QStringLiteral("GRADE3")) > 0) {
        QVERIFY(CreateGradeFiles(f.folder(), 3, 2, StdFilesFolder(), NullProgress::instance()).ok);
        RosterFile third(f.folder() + RosterFile::fileName(3));
        QVERIFY(third.open().ok);
        QVERIFY(third.write(1, pupil(QStringLiteral("青木"), 1, QString())).ok);
    }
    if (args.removeAll(QStringLiteral("OCCUPY")) > 0) f.writeRecord(121, pupil(QStringLiteral("三組"), 1, QString()));
    args.replaceInStrings(QStringLiteral("NEXT"), next);
    args.replaceInStrings(QStringLiteral("DATA"), f.folder());
    if (!args.contains(QStringLiteral("--grade")))
        args << "--grade"
             << "1";
    args << "--data" << f.folder();
    if (!assign.isEmpty()) args << "--assign" << writeAssign(tmp, assign);
    const QMap<QString, QByteArray> before = test::FolderFiles(tmp.path(), true);
    const QMap<QString, QByteArray> data = gradeFiles(f.folder());

    const Run run = promote(args);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(test::FolderFiles(tmp.path(), true), before);
    QCOMPARE(gradeFiles(f.folder()), data);
    QVERIFY(!QFileInfo::exists(next));
}

void TestPromoteCommand::assignmentFileFormats()
{
    GradeFixture f(1, 2);
    writeGrade(f);
    QTemporaryDir tmp;
    // CP932 with CR LF, a BOM-less heading, "-" empties, a name cut to its field with a warning.
    const QByteArray cp932 = Cp932::encode(QStringLiteral("101\t\t\t-\t３\t０７\r\n"
                                                          "\r\n"
                                                          "転入\t長い長い名前の転入生\t\tてんにゅう\t1\t9\r\n"));
    Run run = promote({"--data", f.folder(), "--grade", "1", "--assign", writeAssign(tmp, cp932), "--list"});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("3 行目")) && run.err.contains(QStringLiteral("長い長い名前の")),
             qPrintable(run.err));
    QVERIFY(run.out.startsWith(QStringLiteral("101\t青木\t男\t\t3\t7\n")));
    QVERIFY(run.out.endsWith(QStringLiteral("転入\t長い長い名前の\t\tてんにゅう\t1\t9\n")));
    // Nothing was saved without --save.
    QCOMPARE(f.readRecord(1).furigana().trimmed(), QStringLiteral("あおき"));

    // UTF-8 with a BOM; the k-th "転入" line edits the k-th transfer-in row.
    f.writeRecord(121, [] {
        StudentRecord r = StudentRecord::blank();
        r.setFlag(StudentRecord::TransferIn);
        r.setName(QStringLiteral("前の転入"));
        return r;
    }());
    run = promote({"--data", f.folder(), "--grade", "1", "--assign",
                   writeAssign(tmp, "\xEF\xBB\xBF転入\t\t女\t\t2\t1\n転入\t次\t1\n"), "--list"});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY(run.out.endsWith(QStringLiteral("転入\t前の転入\t女\t\t2\t1\n転入\t次\t男\t\t\t\n")));
}

void TestPromoteCommand::failedRenamePutsTheFolderBack()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QLatin1Char('/');
    WriteFileBytes(dir + "dtfile02.rnd", "old roster");
    WriteFileBytes(dir + "dtfile02.rnd.bak", "older roster");
    WriteFileBytes(dir + "test02.seq", "old tests");
    const QMap<QString, QByteArray> before = test::FolderFiles(tmp.path(), true);
    PromotionTable t;
    t.appendRow(PromotionRow{"101", "甲", "男", "", "1", "1"});
    QList<NextYearFile> files;
    QVERIFY(ComposeNextYearFiles(t, 1, 1, tmp.path(), StdFilesFolder(), files).ok);
    // The third new file vanishes before the renames: the first two are put back.
    const Result r = WriteNextYearFiles(files, [&] { QFile::remove(dir + "test02.seq.tmp"); });
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("作成しませんでした")), qPrintable(r.message));
    QCOMPARE(test::FolderFiles(tmp.path(), true), before);

    // Without the fault the same set is written, with the backups beside it.
    QVERIFY(WriteNextYearFiles(files).ok);
    const QMap<QString, QByteArray> after = test::FolderFiles(tmp.path(), true);
    QCOMPARE(after.value("dtfile02.rnd.bak"), QByteArray("older roster"));
    QCOMPARE(after.value("dtfile02.rnd.bak2"), QByteArray("old roster"));
    QCOMPARE(after.value("test02.seq.bak"), QByteArray("old tests"));
    QCOMPARE(after.value("dtfile02.rnd"), files.at(0).bytes);
    QCOMPARE(after.size(), 7);

    // A folder standing where a file goes is refused before anything is written.
    QVERIFY(QFile::remove(dir + "kyoka02.seq"));
    QVERIFY(QDir().mkpath(dir + "kyoka02.seq"));
    const QMap<QString, QByteArray> withFolder = test::FolderFiles(tmp.path(), true);
    QVERIFY(!WriteNextYearFiles(files).ok);
    QCOMPARE(test::FolderFiles(tmp.path(), true), withFolder);
}

void TestPromoteCommand::saveFailureAfterTheCreation()
{
    // The roster cannot grow by the transfer-in's record (a full disk), while next year's files,
    // no larger than it, are written.
    GradeFixture f(1, 2);
    writeGrade(f);
    QTemporaryDir tmp;
    const QString next = tmp.filePath(QStringLiteral("next"));
    const QString assign = writeAssign(tmp, kAssign);
    Run run;
    {
        FileSizeLimit limit(120 * 512);
        run = promote({"--data", f.folder(), "--grade", "1", "--assign", assign, "--create", next, "--save"});
    }
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("作成しましたが")), qPrintable(run.err));
    QVERIFY(QFileInfo::exists(next + "/dtfile02.rnd"));
}

void TestPromoteCommand::failedCreationNamesTheFileAndLeavesNothing()
{
    GradeFixture f(1, 2);
    writeGrade(f);
    QTemporaryDir tmp;
    const QString assign = writeAssign(tmp, kAssign);
    const QString next = tmp.filePath(QStringLiteral("new/next"));

    // A full disk: the message names the file the teacher knows, never the temporary one, and
    // the folders the command made are gone again.
    Run run;
    {
        FileSizeLimit limit(1024);
        run = promote({"--data", f.folder(), "--grade", "1", "--assign", assign, "--create", next});
    }
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("dtfile02.rnd に書き込めません")) && !run.err.contains(".tmp") &&
                 run.err.contains(QStringLiteral("容量不足")),
             qPrintable(run.err));
    QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("new"))));

    // A sync that fails while next year's files are replaced (at a backup, or at a new file once
    // the four backups are made): the old files stay as they were, without backups or temporary
    // files, and the command says so.
    QVERIFY(promote({"--data", f.folder(), "--grade", "1", "--assign", assign, "--create", next}).status == 0);
    const QMap<QString, QByteArray> before = gradeFiles(next);
    QCOMPARE(before.size(), 4);
    for (int firstFailing : {1, 5, 8}) {
        {
            FailingSync sync(EIO, firstFailing);
            run = promote({"--data", f.folder(), "--grade", "1", "--assign", assign, "--sort", "kana", "--create", next,
                           "--replace"});
            QCOMPARE(FailingSync::calls(), firstFailing);
        }
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(QStringLiteral("書き込めません")) &&
                     run.err.contains(QStringLiteral("作成しませんでした")) && !run.err.contains(".tmp"),
                 qPrintable(run.err));
        QCOMPARE(gradeFiles(next), before);
    }
}

void TestPromoteCommand::assignFromAPipeIsRefused()
{
    GradeFixture f(1, 2);
    writeGrade(f);
    QTemporaryDir tmp;
    const QString fifo = tmp.filePath(QStringLiteral("pipe"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Run run = promote({"--data", f.folder(), "--grade", "1", "--assign", fifo});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("通常のファイルではありません")), qPrintable(run.err));
    run = promote({"--data", f.folder(), "--grade", "1", "--assign", tmp.filePath(QStringLiteral("none.txt"))});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("がありません")), qPrintable(run.err));
}

void TestPromoteCommand::kanaListReadsBack()
{
    // Sixty-one pupils of whom none has a new class yet: the syllabary sort numbers them 1..61,
    // and what --list prints goes back in through --assign.
    GradeFixture f(1, 2);
    f.writeStandard({});
    for (int n = 1; n <= 61; ++n)
        f.writeRecord(n, pupil(QStringLiteral("生徒%1").arg(n), 1 + n % 2, QStringLiteral("よみ%1").arg(100 - n)));
    QTemporaryDir tmp;
    Run listed = promote({"--data", f.folder(), "--grade", "1", "--sort", "kana", "--list"});
    QVERIFY2(listed.status == 0, qPrintable(listed.err));
    QVERIFY(listed.out.contains(QStringLiteral("\t\t61\n")));
    const QString list = writeAssign(tmp, listed.out.toUtf8());
    const Run again = promote({"--data", f.folder(), "--grade", "1", "--assign", list, "--list"});
    QVERIFY2(again.status == 0, qPrintable(again.err));
    // The rows come in the roster's order; each pupil has the class and number listed.
    QStringList before = listed.out.split(QLatin1Char('\n'));
    QStringList after = again.out.split(QLatin1Char('\n'));
    before.sort();
    after.sort();
    QCOMPARE(after, before);
    // A pupil of one of next year's classes still takes 0..60 only.
    const Run refused =
        promote({"--data", f.folder(), "--grade", "1", "--assign", writeAssign(tmp, "101\t\t\t\t3\t61\n"), "--list"});
    QCOMPARE(refused.status, 2);
    QVERIFY2(refused.err.contains(QStringLiteral("新番「61」は 0〜60 ではありません")), qPrintable(refused.err));
}

QTEST_MAIN(TestPromoteCommand)
#include "tst_promote_command.moc"
