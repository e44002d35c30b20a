#include "Cp932.h"
#include "EntryCommand.h"
#include "RosterCsvImport.h"
#include "RosterFile.h"
#include "TestSupport.h"

#include <QTextStream>
#include <QtTest>

using namespace seiran;

namespace {

using Run = test::CommandRun;

// Grade 1 of two classes: 1組 1番 佐藤 (scores 80, 70, 60, 50, 40), 1組 2番 鈴木, 2組 1番 高橋
// (transferred out); every other seat is free.
struct Env
{
    test::GradeFixture fx{1, 2};

    Env()
    {
        fx.writeStandard({{1, 1, QStringLiteral("佐藤　一郎"), 1, {80, 70, 60, 50, 40}},
                          {1, 2, QStringLiteral("鈴木　花子"), 2, {-1, 55, -5, 90, -13}},
                          {2, 1, QStringLiteral("高橋　健"), 1, {}, StudentRecord::TransferredOut}});
        StudentRecord first = fx.readRecord(RosterFile::recordNumber(1, 1));
        first.setFurigana(QStringLiteral("さとう　いちろう"));
        fx.writeRecord(RosterFile::recordNumber(1, 1), first);
    }

    Run run(const QStringList& args)
    {
        return test::RunCommand(
            [](const QStringList& argv, QTextStream& out, QTextStream& err) {
                return RunEntryCommand(argv, test::StdFilesFolder(), out, err);
            },
            QStringLiteral("seiran-entry"),
            QStringList{QStringLiteral("--data"), fx.folder(), QStringLiteral("--grade"), QStringLiteral("1")} + args);
    }
    Run import(const QString& screen, const QByteArray& bytes, const QStringList& extra = {})
    {
        const QString path = fx.folder() + QStringLiteral("in.csv");
        test::WriteFileBytes(path, bytes);
        QStringList args{screen};
        if (screen == QLatin1String("test")) args << QStringLiteral("--test") << QStringLiteral("1");
        return run(args + QStringList{QStringLiteral("--import-csv"), path} + extra);
    }
    StudentRecord record(int classNo, int number) { return fx.readRecord(RosterFile::recordNumber(classNo, number)); }
};

QByteArray sjis(const char* text)
{
    return Cp932::encode(QString::fromUtf8(text));
}

} // namespace

class TestCsvImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { RegisterRosterEntryScreen(); }
    void helpNamesTheNewScreensAndOptions();
    void exportThenImportWritesNothing();
    void otherScreensExportTheirGrids();
    void importsAnOfficeClassList();
    void refusedLinesChangeNoByte();
    void skipRefusedTakesTheRest();
    void dryRunWritesNothing();
    void longNamesAreCutAndNamed();
    void importsTestScores();
    void refusesScoresThatAreNotScores();
};

void TestCsvImport::helpNamesTheNewScreensAndOptions()
{
    Env env;
    const Run r = env.run({QStringLiteral("--help")});
    QCOMPARE(r.status, 0);
    for (const char* word :
         {"meibo", "test", "--export-csv", "--import-csv", "--encoding", "--columns", "--no-header", "--dry-run"})
        QVERIFY2(r.out.contains(QString::fromLatin1(word)), word);
}

void TestCsvImport::exportThenImportWritesNothing()
{
    for (const QString& screen : {QStringLiteral("meibo"), QStringLiteral("test")}) {
        Env env;
        const QString csv = env.fx.folder() + QStringLiteral("out.csv");
        QStringList args{screen};
        if (screen == QLatin1String("test")) args << QStringLiteral("--test") << QStringLiteral("1");
        Run r = env.run(args + QStringList{QStringLiteral("--export-csv"), csv});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QByteArray exported = test::ReadFileBytes(csv);
        QVERIFY(exported.startsWith("\xEF\xBB\xBF"));
        QVERIFY(exported.contains("\r\n"));
        const QByteArray before = env.fx.rosterBytes();
        r = env.run(args + QStringList{QStringLiteral("--import-csv"), csv});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(env.fx.rosterBytes(), before);
        QVERIFY2(!r.out.contains(QStringLiteral("新規")) && !r.out.contains(QStringLiteral("変更 ")),
                 qPrintable(r.out));
        if (screen == QLatin1String("meibo")) {
            QVERIFY(exported.contains(QStringLiteral("1,1,佐藤　一郎,男,さとう　いちろう,\r\n").toUtf8()));
            QVERIFY(exported.contains(QStringLiteral("2,1,高橋　健,男,,転出済\r\n").toUtf8()));
            QVERIFY(exported.contains(QStringLiteral("2,60,,,,未登録\r\n").toUtf8()));
        } else {
            QVERIFY(exported.contains(QStringLiteral("組,番,氏   名,性別,国語,社会,数学,理科,英語\r\n").toUtf8()));
            QVERIFY(exported.contains(QStringLiteral("1,2,鈴木　花子,女,-,55,,90,-3\r\n").toUtf8()));
        }
    }
}

void TestCsvImport::otherScreensExportTheirGrids()
{
    Env env;
    const QString csv = env.fx.folder() + QStringLiteral("naishin.csv");
    const Run r = env.run({QStringLiteral("naishin"), QStringLiteral("--export-csv"), csv});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    const QByteArray bytes = test::ReadFileBytes(csv);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.contains(QStringLiteral("組,番,氏   名,性別,").toUtf8()));
    QVERIFY(bytes.contains(QStringLiteral("\r\n1,2,鈴木　花子,女,").toUtf8()));
}

void TestCsvImport::importsAnOfficeClassList()
{
    Env env;
    // CP932, a title line, renamed and shuffled headers, a quoted field with a comma, a line of
    // another grade, a line without a name.
    const QByteArray file = sjis("令和8年度 1年 学級名簿\r\n"
                                 "フリガナ,生徒氏名,男女,出席番号,学級,学年,備考\r\n"
                                 ",佐藤　一郎,,1,１組,1,\r\n"                // unchanged
                                 "すずき はなこ,鈴木 花子,女,2番,1,1年,\r\n" // name and reading change
                                 "たなか　じろう,田中　次郎,M,3,1,,\"市外,転入\"\r\n"
                                 ",山田　春,,4,1,,\r\n"      // new without a sex
                                 ",伊藤　三郎,男,5,1,2,\r\n" // another grade
                                 "よみのみ,,女,6,1,,\r\n"    // no name
                                 ",高橋　健,男,1,2,,\r\n");  // transferred out, the same pupil
    const Run r = env.import(QStringLiteral("meibo"), file);
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QStringLiteral("新規 2、変更 1、変更なし 2、氏名なし 1、他学年 1、性別なしの新規 1"));

    StudentRecord rec = env.record(1, 2);
    QCOMPARE(rec.name().trimmed(), QStringLiteral("鈴木 花子"));
    QCOMPARE(rec.furigana().trimmed(), QStringLiteral("すずき はなこ"));
    QCOMPARE(rec.sex(), 2);
    QCOMPARE(rec.scoreSlot(env.fx.gd().testFirstSlot[1] + 1), 55); // the scores stay
    rec = env.record(1, 3);
    QCOMPARE(rec.flag(), int(StudentRecord::InUse));
    QCOMPARE(rec.name().trimmed(), QStringLiteral("田中　次郎"));
    QCOMPARE(rec.sex(), 1);
    rec = env.record(1, 4);
    QCOMPARE(rec.flag(), int(StudentRecord::InUse));
    QCOMPARE(rec.sex(), 0); // never guessed
    QCOMPARE(env.record(1, 5).flag(), int(StudentRecord::Free));
    QCOMPARE(env.record(1, 6).flag(), int(StudentRecord::Free));
    QCOMPARE(env.record(1, 1).furigana().trimmed(), QStringLiteral("さとう　いちろう")); // empty changes nothing
    QCOMPARE(env.record(2, 1).flag(), int(StudentRecord::TransferredOut));
}

void TestCsvImport::refusedLinesChangeNoByte()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    struct Case
    {
        const char* csv;
        const char* reason;
    };
    const QList<Case> cases = {
        {"組,番,氏名\n1,7,新井\n3,1,木村\n", "3組はありません"}, {"組,番,氏名\n1,61,木村\n", "1～60"},
        {"組,番,氏名,性別\n1,7,木村,x\n", "性別「x」"},          {"組,番,氏名\n1,7,𠮷田\n", "U+20BB7"},
        {"組,番,氏名\n1,7,木村\n1,7,木下\n", "同じ席"},          {"組,番,氏名\n2,1,高橋　健二\n", "転出済"},
    };
    for (const Case& c : cases) {
        const Run r = env.import(QStringLiteral("meibo"), QByteArray(c.csv));
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QString::fromUtf8(c.reason)), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("何も保存していません")), qPrintable(r.err));
        QCOMPARE(env.fx.rosterBytes(), before);
    }
    // A file the import cannot read at all.
    Run r = env.import(QStringLiteral("meibo"), QByteArray("組,氏名\n1,木村\n"));
    QCOMPARE(r.status, 2);
    QVERIFY(r.err.contains(QStringLiteral("「番」の列がありません")));
    r = env.import(QStringLiteral("meibo"), sjis("組,番,氏名\n1,7,") + QByteArray("\x81\x20\n"));
    QCOMPARE(r.status, 2);
    QVERIFY(r.err.contains(QStringLiteral("文字コードを判別できません（2行目）")));
    QCOMPARE(env.fx.rosterBytes(), before);
}

void TestCsvImport::skipRefusedTakesTheRest()
{
    Env env;
    const Run r = env.import(QStringLiteral("meibo"), QByteArray("組,番,氏名\n1,7,木村\n9,1,木下\n"),
                             {QStringLiteral("--skip-refused")});
    QCOMPARE(r.status, 0);
    QVERIFY(r.err.contains(QStringLiteral("3行目 9組 1番")));
    QCOMPARE(env.record(1, 7).name().trimmed(), QStringLiteral("木村"));

    // Without a header the columns are given by hand.
    const Run noHeader = env.import(
        QStringLiteral("meibo"), QByteArray("木下,1,8\n"),
        {QStringLiteral("--no-header"), QStringLiteral("--columns"), QStringLiteral("name=1,組=2,number=3")});
    QVERIFY2(noHeader.status == 0, qPrintable(noHeader.err));
    QCOMPARE(env.record(1, 8).name().trimmed(), QStringLiteral("木下"));
}

void TestCsvImport::dryRunWritesNothing()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    const Run r = env.import(QStringLiteral("meibo"), QByteArray("組,番,氏名\n1,7,木村\n1,2,鈴木　花\n"),
                             {QStringLiteral("--dry-run")});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.contains(QStringLiteral("2行目\t1\t7\t新規")));
    QVERIFY(r.out.contains(QStringLiteral("鈴木　花子 女 → 鈴木　花 女")));
    QCOMPARE(env.fx.rosterBytes(), before);
}

void TestCsvImport::longNamesAreCutAndNamed()
{
    Env env;
    const Run r = env.import(
        QStringLiteral("meibo"),
        QStringLiteral("組,番,氏名,よみ\n1,9,長谷川原田　美智子さん,はせがわはらだ　みちこさんです\n").toUtf8());
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("2行目 1組 9番")));
    QVERIFY(r.err.contains(QStringLiteral("「長谷川原田　美」として保存されます")));
    QVERIFY(r.out.contains(QStringLiteral("切り詰め 2")));
    QCOMPARE(env.record(1, 9).name().trimmed(), QStringLiteral("長谷川原田　美"));
}

void TestCsvImport::importsTestScores()
{
    Env env;
    const int first = env.fx.gd().testFirstSlot[1];
    // Full-width digits and minus, "欠", an empty field leaving its cell, a name with other blanks.
    const Run r = env.import(QStringLiteral("test"), QStringLiteral("番,組,氏名,数学,国語,英語\n"
                                                                    "1,1,佐藤一郎,８５,欠,\n"
                                                                    "2,1,,－４５,,0\n")
                                                         .toUtf8());
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QStringLiteral("変更 2"));
    StudentRecord rec = env.record(1, 1);
    QCOMPARE(rec.scoreSlot(first + 2), 85);
    QCOMPARE(rec.scoreSlot(first), -1);
    QCOMPARE(rec.scoreSlot(first + 4), 40);
    rec = env.record(1, 2);
    QCOMPARE(rec.scoreSlot(first + 2), -55);
    QCOMPARE(rec.scoreSlot(first + 4), 0);
    QCOMPARE(rec.scoreSlot(first + 3), 90);
}

void TestCsvImport::refusesScoresThatAreNotScores()
{
    Env env;
    const QByteArray before = env.fx.rosterBytes();
    for (const char* field : {"85点", "85.5", "40000", "-40000", "x"}) {
        const Run r = env.import(QStringLiteral("test"), QByteArray("組,番,国語\n1,1,") + field + "\n");
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QStringLiteral("国語")), qPrintable(r.err));
        QCOMPARE(env.fx.rosterBytes(), before);
    }
    Run r = env.import(QStringLiteral("test"), QByteArray("組,番,国語\n1,5,50\n"));
    QCOMPARE(r.status, 2);
    QVERIFY(r.err.contains(QStringLiteral("在籍する生徒がいません")));
    r = env.import(QStringLiteral("test"), QStringLiteral("組,番,氏名,国語\n1,1,鈴木,50\n").toUtf8());
    QCOMPARE(r.status, 2);
    QVERIFY(r.err.contains(QStringLiteral("名簿の「佐藤　一郎」と違います")));
    r = env.run(
        {QStringLiteral("naishin"), QStringLiteral("--import-csv"), env.fx.folder() + QStringLiteral("in.csv")});
    QCOMPARE(r.status, 2);
    QCOMPARE(env.fx.rosterBytes(), before);
}

QTEST_GUILESS_MAIN(TestCsvImport)
#include "tst_csvimport.moc"
