#include "Aggregate.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace seiran;
using namespace seiran::test;

class SampleTest : public QObject
{
    Q_OBJECT
private slots:
    void sameSeedSameBytes();
    void sampleReloadsAsAPlausibleGrade();
    void badOptionsAreRefused();
    void badArgumentsAreRefusedInJapanese_data();
    void badArgumentsAreRefusedInJapanese();
    void commandsWriteOnlyTheirOwnMessages();
};

void SampleTest::sameSeedSameBytes()
{
    QTemporaryDir a, b, c;
    SampleOptions o;
    o.grade = 2;
    o.classes = 3;
    o.seed = 42;
    QVERIFY(WriteSampleGrade(a.path(), o).ok);
    QVERIFY(WriteSampleGrade(b.path(), o).ok);
    o.seed = 43;
    QVERIFY(WriteSampleGrade(c.path(), o).ok);
    const QStringList files = QDir(a.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files, QDir(b.path()).entryList(QDir::Files, QDir::Name));
    QVERIFY(files.contains(QStringLiteral("dtfile02.rnd")));
    QVERIFY(files.contains(QStringLiteral("tannin02.seq")));
    for (const QString& f : files)
        QCOMPARE(ReadFileBytes(a.path() + QLatin1Char('/') + f), ReadFileBytes(b.path() + QLatin1Char('/') + f));
    QVERIFY(ReadFileBytes(a.path() + QStringLiteral("/dtfile02.rnd")) !=
            ReadFileBytes(c.path() + QStringLiteral("/dtfile02.rnd")));
}

void SampleTest::sampleReloadsAsAPlausibleGrade()
{
    QTemporaryDir dir;
    SampleOptions o;
    o.grade = 3;
    o.classes = 4;
    o.pupils = 30;
    QVERIFY(WriteSampleGrade(dir.path(), o).ok);
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = dir.path() + QLatin1Char('/');
    gd->currentGrade = 3;
    QVERIFY(LoadTestList(*gd).ok);
    QVERIFY(LoadSubjectList(*gd).ok);
    QCOMPARE(gd->classCount, 4);
    QCOMPARE(gd->subjectCount, 9);
    QCOMPARE(QFile(RosterFile::pathFor(*gd)).size(), qint64(4 * 60 * 512));
    gd->currentTest = 2;
    QVERIFY(LoadTestScores(*gd, NullProgress::instance()).ok);
    AggregateTest(*gd);
    QVERIFY(gd->studentCount > 4 * 24 && gd->studentCount <= 4 * 32);
    int boys = 0, absent = 0, bracketed = 0, gaps = 0;
    for (int s = 1; s <= gd->studentCount; ++s) {
        QVERIFY(!gd->studentName[s].isEmpty());
        boys += gd->studentSex[s] == 1;
        if (s > 1 && gd->studentClass[s] == gd->studentClass[s - 1] &&
            gd->studentNumber[s] != gd->studentNumber[s - 1] + 1)
            ++gaps;
        for (int j = 1; j <= 9; ++j) {
            const int v = gd->scores(j, s);
            QVERIFY(v == -1 || (v >= 0 && v <= 100) || (v <= -10 && v >= -110));
            absent += v == -1;
            bracketed += v <= -10;
        }
    }
    QVERIFY(boys > 0 && boys < gd->studentCount);
    QVERIFY(absent > 0);
    QVERIFY(bracketed > 0);
    QVERIFY(gaps > 0);
    QVERIFY(gd->average(0, 10, 0).has_value());

    // Transferred pupils are kept in the file but not loaded.
    RosterFile file(RosterFile::pathFor(*gd));
    QVERIFY(file.openReadOnly().ok);
    int transferred = 0;
    for (int r = 1; r <= 240; ++r) {
        StudentRecord rec;
        QVERIFY(file.read(r, rec).ok);
        transferred += rec.flag() == StudentRecord::TransferredOut;
    }
    QVERIFY(transferred > 0);

    // Naishin points and choices are there for the career screens.
    QVERIFY(LoadNaishin(*gd, NullProgress::instance()).ok);
    QVERIFY(gd->naishin(1, 1) >= 1 && gd->naishin(1, 1) <= 5);
    QVERIFY(LoadCareerChoices(*gd, NullProgress::instance()).ok);
    QVERIFY(gd->careerChoice(1, 1) >= 1);
    RecordingNotice notice;
    QVERIFY(LoadHighSchoolList(*gd, dir.path(), notice).ok);
    QVERIFY(notice.texts.isEmpty());
    QVERIFY(gd->highSchoolCount > 10);
}

void SampleTest::badOptionsAreRefused()
{
    QTemporaryDir dir;
    SampleOptions o;
    o.classes = 10;
    QVERIFY(!WriteSampleGrade(dir.path(), o).ok);
    o.classes = 3;
    o.grade = 4;
    QVERIFY(!WriteSampleGrade(dir.path(), o).ok);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // The limit is the loader's: whatever is written opens; more than 400 pupils in use is refused.
    for (int pupils : {44, 45, 46, 48, 55}) {
        QTemporaryDir grade;
        SampleOptions big;
        big.classes = 9;
        big.pupils = pupils;
        big.seed = 7;
        const Result written = WriteSampleGrade(grade.path(), big);
        if (!written.ok) {
            QVERIFY2(written.message.contains(QStringLiteral("400")), qPrintable(written.message));
            QVERIFY(QDir(grade.path()).entryList(QDir::Files).isEmpty());
            continue;
        }
        auto gd = std::make_unique<GradeData>();
        gd->dataFolder = grade.path() + QLatin1Char('/');
        gd->currentGrade = 1;
        QVERIFY(LoadTestList(*gd).ok);
        const Result loaded = LoadRoster(*gd, NullProgress::instance());
        QVERIFY2(loaded.ok, qPrintable(QStringLiteral("%1 pupils: %2").arg(pupils).arg(loaded.message)));
    }
    SampleOptions full;
    full.classes = 9;
    full.pupils = 55;
    QVERIFY(!CheckSampleOptions(full).ok);

    // The command says so and exits with 2.
    const QString command = QCoreApplication::applicationDirPath() + QStringLiteral("/seiran-sample");
    if (!QFileInfo::exists(command)) QSKIP("seiran-sample is not built");
    QProcess process;
    process.start(command, {dir.path(), QStringLiteral("--classes"), QStringLiteral("9"), QStringLiteral("--pupils"),
                            QStringLiteral("55")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 2);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("上限 400 人")), qPrintable(err));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void SampleTest::badArgumentsAreRefusedInJapanese_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("seed not a number") << QStringList{"DIR", "--seed", "abc"} << "--seed の値「abc」";
    QTest::newRow("negative seed") << QStringList{"DIR", "--seed", "-1"} << "--seed の値「-1」";
    QTest::newRow("classes not a number") << QStringList{"DIR", "--classes", "三"} << "--classes の値「三」";
    QTest::newRow("value missing") << QStringList{"DIR", "--grade"} << "--grade の後に値がありません";
    QTest::newRow("unknown option") << QStringList{"DIR", "--fast"} << "「--fast」は知らないオプションです";
    QTest::newRow("two folders") << QStringList{"DIR", "other"} << "フォルダが二つ";
    QTest::newRow("no folder") << QStringList{"--grade", "2"} << "フォルダを指定してください";
    QTest::newRow("repeated") << QStringList{"DIR", "--grade", "1", "--grade", "2"} << "--grade が二度";
    QTest::newRow("grade 4") << QStringList{"DIR", "--grade", "4"} << "学年は 1〜3";
    QTest::newRow("a file for the folder") << QStringList{"FILE"} << "はフォルダではありません";
}

void SampleTest::badArgumentsAreRefusedInJapanese()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file"));
    WriteFileBytes(file, "not a folder");
    args.replaceInStrings(QStringLiteral("DIR"), dir.filePath(QStringLiteral("grade")));
    args.replaceInStrings(QStringLiteral("FILE"), file);
    const CommandRun run = RunCommand(RunSampleCommand, QStringLiteral("seiran-sample"), args);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.startsWith(QStringLiteral("seiran-sample: ")) && run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("grade"))));
    QCOMPARE(ReadFileBytes(file), QByteArray("not a folder"));

    const CommandRun help = RunCommand(RunSampleCommand, QStringLiteral("seiran-sample"), {"--help"});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.startsWith(QStringLiteral("使い方: seiran-sample DIR")));
}

void SampleTest::commandsWriteOnlyTheirOwnMessages()
{
    // Run from cron or ssh there is no runtime folder in the environment; the toolkit's warning
    // about it must not reach the command's standard error.
    QTemporaryDir dir;
    const QString folder = QCoreApplication::applicationDirPath();
    const QString sample = folder + QStringLiteral("/seiran-sample");
    const QString report = folder + QStringLiteral("/seiran-report");
    if (!QFileInfo::exists(sample) || !QFileInfo::exists(report)) QSKIP("the commands are not built");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    auto run = [&](const QString& command, const QStringList& args) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(command, args);
        process.waitForFinished(120000);
        return std::make_pair(process.exitCode(), QString::fromUtf8(process.readAllStandardError()));
    };
    const auto [sampleStatus, sampleErr] = run(sample, {dir.path(), QStringLiteral("--classes"), QStringLiteral("1")});
    QCOMPARE(sampleStatus, 0);
    QCOMPARE(sampleErr, QString());
    const QString pdf = dir.filePath(QStringLiteral("soten.pdf"));
    const auto [reportStatus, reportErr] = run(
        report, {QStringLiteral("--data"), dir.path(), QStringLiteral("--grade"), QStringLiteral("1"),
                 QStringLiteral("--test"), QStringLiteral("1"), QStringLiteral("soten"), QStringLiteral("--pdf"), pdf});
    QVERIFY2(reportStatus == 0, qPrintable(reportErr));
    QCOMPARE(reportErr, QString());
    QVERIFY(QFileInfo(pdf).size() > 0);
}

QTEST_GUILESS_MAIN(SampleTest)
#include "tst_sample.moc"
