#include "GradeData.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "NewRoster.h"
#include "NewRosterWindow.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "Session.h"
#include "StudentRecord.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

using namespace seiran;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString stdFolder()
{
    return test::StdFilesFolder();
}

} // namespace

class TestNewRoster : public QObject
{
    Q_OBJECT

private slots:
    void copyLines_data();
    void copyLines();
    void createsGradeInFolderThatDoesNotExist();
    void dialogAsksBeforeDestroyingARosterAndKeepsACopy();
    void missingStandardListCreatesNothing();
    void unwritableDataFolderIsReported();
    void failedWriteLeavesTheOldFiles();
};

void TestNewRoster::copyLines_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("crlf kept") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lf and no final end") << QByteArray("a\nb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone cr, empty line") << QByteArray("a\rb\r\n\r\n") << QByteArray("a\r\nb\r\n\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("double-byte text untouched")
        << QByteArray("\"\x8e\x52\x93\x63\"\n") << QByteArray("\"\x8e\x52\x93\x63\"\r\n");
}

void TestNewRoster::copyLines()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, out);
    QCOMPARE(CopyLines(in), out);
}

void TestNewRoster::createsGradeInFolderThatDoesNotExist()
{
    QTemporaryDir tmp;
    const QString folder = tmp.path() + QStringLiteral("/new/DATA/");
    RecordingProgress progress;
    const Result r = CreateGradeFiles(folder, 2, 4, stdFolder(), progress);
    QVERIFY2(r.ok, qPrintable(r.message));

    const GradeFileSet files = GradeFiles(folder, 2);
    QVERIFY(files.roster.endsWith(QStringLiteral("dtfile02.rnd")));
    const QByteArray roster = fileBytes(files.roster);
    QCOMPARE(roster.size(), 240 * 512);
    const StudentRecord blank = StudentRecord::blank();
    for (int r = 0; r < 240; ++r)
        QVERIFY(memcmp(blank.bytes().data(), roster.constData() + r * 512, 512) == 0);
    QCOMPARE(blank.scoreSlot(1), -5);
    QCOMPARE(blank.scoreSlot(200), -5);
    QCOMPARE(blank.flag(), 0);

    QCOMPARE(fileBytes(files.homeroom), QByteArray(" 4 \r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n"));
    QCOMPARE(fileBytes(files.tests), CopyLines(fileBytes(stdFolder() + QStringLiteral("/test.seq"))));
    QCOMPARE(fileBytes(files.subjects), CopyLines(fileBytes(stdFolder() + QStringLiteral("/kyoka.seq"))));
    QVERIFY(!QFile::exists(files.roster + QStringLiteral(".bak")));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 4); // no temporary file is left behind

    QCOMPARE(progress.lastMaximum, 240);
    QCOMPARE(progress.valueCount, 242); // one per record, the start and the reset
    QCOMPARE(progress.lastValue, 0);

    // The data layer reads the new grade back: four classes, no pupils, the standard lists.
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = folder;
    gd->currentGrade = 2;
    QVERIFY(LoadTestList(*gd).ok);
    QVERIFY(LoadSubjectList(*gd).ok);
    QCOMPARE(gd->classCount, 4);
    QVERIFY(gd->testCount > 0);
    QVERIFY(LoadRoster(*gd, progress).ok);
    QCOMPARE(gd->studentCount, 0);
}

void TestNewRoster::dialogAsksBeforeDestroyingARosterAndKeepsACopy()
{
    QTemporaryDir tmp;
    const QString folder = tmp.path() + QLatin1Char('/');
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = folder;
    RecordingProgress progress;
    RecordingNotice notice;
    Session session{*gd, progress, notice, stdFolder()};
    ScriptedMessages messages;

    // First creation: an empty folder asks nothing.
    {
        NewRosterWindow dlg(session);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("名簿ファイル新規作成"));
        QCOMPARE(dlg.mGradeCombo->itemText(1), QStringLiteral("2年"));
        QCOMPARE(dlg.mClassCountCombo->count(), 9);
        QSignalSpy created(&dlg, &NewRosterWindow::gradeCreated);
        dlg.mGradeCombo->setCurrentIndex(1);
        dlg.mClassCountCombo->setCurrentIndex(4);
        dlg.onOkClicked();
        QCOMPARE(messages.asked().size(), 0);
        QCOMPARE(created.size(), 1);
        QCOMPARE(created.at(0).at(0).toInt(), 2);
        QCOMPARE(gd->currentGrade, 2);
        QCOMPARE(gd->classCount, 5);
    }
    const GradeFileSet files = GradeFiles(folder, 2);
    QCOMPARE(QFileInfo(files.roster).size(), 300 * 512);

    // A pupil is entered, so the roster now holds data of its own.
    {
        RosterFile file(files.roster);
        QVERIFY(file.open().ok);
        StudentRecord rec;
        QVERIFY(file.read(62, rec).ok);
        rec.setFlag(StudentRecord::InUse);
        rec.setName(QStringLiteral("山田太郎"));
        QVERIFY(file.write(62, rec).ok);
    }
    writeBytes(files.subjects, "1\r\n\"国語\", 0 , 1 \r\n");
    const QByteArray before = fileBytes(files.roster);

    // Answering No changes nothing, not even the current grade.
    gd->currentGrade = 1;
    {
        NewRosterWindow dlg(session);
        QSignalSpy created(&dlg, &NewRosterWindow::gradeCreated);
        dlg.mGradeCombo->setCurrentIndex(1);
        dlg.mClassCountCombo->setCurrentIndex(2);
        messages.queue(MsgAnswer::No);
        dlg.onOkClicked();
        QCOMPARE(messages.asked().size(), 1);
        const MessageQuestion q = messages.asked().at(0);
        QCOMPARE(q.text, QStringLiteral("名簿ファイルはすでに存在します｡\r本当に消去してもよろしいですか"));
        QCOMPARE(q.buttons, MsgButtons::YesNo);
        QCOMPARE(q.icon, MsgIcon::Warning);
        QCOMPARE(q.defaultButton, 2);
        QCOMPARE(created.size(), 0);
    }
    QCOMPARE(fileBytes(files.roster), before);
    QCOMPARE(fileBytes(files.subjects), QByteArray("1\r\n\"国語\", 0 , 1 \r\n"));
    QVERIFY(!QFile::exists(files.roster + QStringLiteral(".bak")));
    QCOMPARE(gd->currentGrade, 1);

    // Yes: the old roster is kept as .bak and the new one has exactly 3 classes.
    messages.clear();
    {
        NewRosterWindow dlg(session);
        dlg.mGradeCombo->setCurrentIndex(1);
        dlg.mClassCountCombo->setCurrentIndex(2);
        messages.queue(MsgAnswer::Yes);
        dlg.onOkClicked();
        QCOMPARE(messages.asked().size(), 1);
    }
    QCOMPARE(QFileInfo(files.roster).size(), 180 * 512);
    QCOMPARE(fileBytes(files.roster + QStringLiteral(".bak")), before);
    QCOMPARE(fileBytes(files.homeroom), QByteArray(" 3 \r\n\"\"\r\n\"\"\r\n\"\"\r\n"));
    QCOMPARE(fileBytes(files.subjects), CopyLines(fileBytes(stdFolder() + QStringLiteral("/kyoka.seq"))));
    QCOMPARE(gd->currentGrade, 2);
    QCOMPARE(gd->classCount, 3);

    // "中止" closes and touches nothing.
    messages.clear();
    const QByteArray now = fileBytes(files.roster);
    {
        NewRosterWindow dlg(session);
        dlg.onCancelClicked();
    }
    QCOMPARE(messages.asked().size(), 0);
    QCOMPARE(fileBytes(files.roster), now);
}

void TestNewRoster::missingStandardListCreatesNothing()
{
    QTemporaryDir program;
    QTemporaryDir data;
    QVERIFY(QFile::copy(stdFolder() + QStringLiteral("/test.seq"), program.filePath(QStringLiteral("test.seq"))));
    const QString folder = data.path() + QStringLiteral("/DATA/");
    RecordingProgress progress;
    const Result r = CreateGradeFiles(folder, 1, 2, program.path(), progress);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("kyoka.seq")), qPrintable(r.message));
    QVERIFY(!QFileInfo::exists(folder));

    // The same through the dialog: a critical message, no grade chosen.
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = folder;
    RecordingNotice notice;
    Session session{*gd, progress, notice, program.path()};
    ScriptedMessages messages;
    NewRosterWindow dlg(session);
    QSignalSpy created(&dlg, &NewRosterWindow::gradeCreated);
    dlg.onOkClicked();
    QCOMPARE(messages.asked().size(), 1);
    QCOMPARE(messages.asked().at(0).icon, MsgIcon::Critical);
    QVERIFY(messages.asked().at(0).text.contains(QStringLiteral("kyoka.seq")));
    QCOMPARE(created.size(), 0);
    QCOMPARE(gd->currentGrade, 0);
}

void TestNewRoster::unwritableDataFolderIsReported()
{
    QTemporaryDir tmp;
    writeBytes(tmp.filePath(QStringLiteral("plain")), "x");
    // A folder below an ordinary file can never be made.
    const QString folder = tmp.filePath(QStringLiteral("plain/DATA/"));
    RecordingProgress progress;
    const Result r = CreateGradeFiles(folder, 1, 1, stdFolder(), progress);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("データフォルダ")), qPrintable(r.message));

    QVERIFY(!CreateGradeFiles(tmp.path() + QLatin1Char('/'), 4, 1, stdFolder(), progress).ok);
    QVERIFY(!CreateGradeFiles(tmp.path() + QLatin1Char('/'), 1, 10, stdFolder(), progress).ok);
    QVERIFY(!CreateGradeFiles(QString(), 1, 1, stdFolder(), progress).ok);
}

void TestNewRoster::failedWriteLeavesTheOldFiles()
{
    QTemporaryDir tmp;
    const QString folder = tmp.path() + QLatin1Char('/');
    RecordingProgress progress;
    QVERIFY(CreateGradeFiles(folder, 3, 2, stdFolder(), progress).ok);
    const GradeFileSet files = GradeFiles(folder, 3);
    writeBytes(files.tests, "0\r\n");
    const QByteArray roster = fileBytes(files.roster);

    // The subject list's temporary name is taken by a folder, so its write fails last.
    QVERIFY(QDir().mkpath(files.subjects + QStringLiteral(".new")));
    const Result r = CreateGradeFiles(folder, 3, 5, stdFolder(), progress);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("kyoka03.seq")), qPrintable(r.message));
    QCOMPARE(fileBytes(files.roster), roster);
    QCOMPARE(fileBytes(files.tests), QByteArray("0\r\n"));
    QCOMPARE(fileBytes(files.homeroom), QByteArray(" 2 \r\n\"\"\r\n\"\"\r\n"));
    QVERIFY(!QFile::exists(files.roster + QStringLiteral(".new")));
    QVERIFY(!QFile::exists(files.tests + QStringLiteral(".new")));
}

QTEST_MAIN(TestNewRoster)
#include "tst_newroster.moc"
