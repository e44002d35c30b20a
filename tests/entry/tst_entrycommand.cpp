#include "Cp932.h"
#include "EntryCommand.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "Progress.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "TestSupport.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace seiran;

namespace {

using Run = test::CommandRun;

Run runEntry(const QStringList& args, const QString& programFolder = test::StdFilesFolder())
{
    return test::RunCommand([&](const QStringList& argv, QTextStream& out,
                                QTextStream& err) { return RunEntryCommand(argv, programFolder, out, err); },
                            QStringLiteral("seiran-entry"), args);
}

// A sample grade of three classes with its own school list, short names holding digits.
struct SampleEnv
{
    QTemporaryDir dir;
    QTemporaryDir inputs; // import files, outside the data folder
    QString folder;

    SampleEnv()
    {
        folder = dir.path() + u'/';
        SampleOptions options;
        options.grade = 2;
        options.classes = 3;
        options.pupils = 12;
        options.seed = 7;
        if (!WriteSampleGrade(folder, options)) qFatal("sample");
        QString list = QStringLiteral(" 5 \r\n");
        for (const char* name : {"第1高", "2工", "青嵐", "東山3", "西"})
            list += QStringLiteral("\"%1\",\"県立%1高等学校\",\"普通科\", 0 \r\n").arg(QString::fromUtf8(name));
        test::WriteFileBytes(PathIgnoringCase(folder, QStringLiteral("hischool.txt")), Cp932::encode(list));
    }

    QString roster() const { return folder + QStringLiteral("dtfile02.rnd"); }
    QByteArray rosterBytes() const { return test::ReadFileBytes(roster()); }
    QStringList base(const QString& screen) const
    {
        return {QStringLiteral("--data"), folder, QStringLiteral("--grade"), QStringLiteral("2"), screen};
    }
    Run exportGrid(const QString& screen, const QStringList& extra = {}) const
    {
        return runEntry(base(screen) + extra + QStringList{QStringLiteral("--export")});
    }
    Run importText(const QString& screen, const QByteArray& bytes, const QStringList& extra = {}) const
    {
        const QString path = inputs.path() + QStringLiteral("/import.tsv");
        test::WriteFileBytes(path, bytes);
        return runEntry(base(screen) + extra + QStringList{QStringLiteral("--import"), path});
    }
    StudentRecord record(int classNo, int number) const
    {
        RosterFile file(roster());
        StudentRecord rec;
        if (file.openReadOnly()) file.read(RosterFile::recordNumber(classNo, number), rec);
        return rec;
    }
    void writeRecord(int classNo, int number, const StudentRecord& rec) const
    {
        RosterFile file(roster());
        if (!file.open() || !file.write(RosterFile::recordNumber(classNo, number), rec)) qFatal("roster");
    }
    // Every grade file of the data folder, for "nothing was written" (the lock folder, which an
    // import registers in, is not one).
    QMap<QString, QByteArray> files() const
    {
        QMap<QString, QByteArray> all = test::FolderFiles(folder, true);
        all.removeIf([](const auto& file) { return file.key().startsWith(QLatin1String("seiran02/")); });
        return all;
    }
};

// The options a screen needs besides its name.
QStringList screenOptions(const QString& screen)
{
    if (screen == QLatin1String("kyoka")) return {"--subject", "2", "--tests", "1,2"};
    if (screen == QLatin1String("test")) return {"--test", "2"};
    return {};
}

QStringList kyokaOptions(const QString& tests, const QString& subject = QStringLiteral("2"))
{
    return {QStringLiteral("--subject"), subject, QStringLiteral("--tests"), tests};
}

// Replaces field `col` of line `line` (0 = the header) of an exported grid.
QByteArray withField(const QString& grid, int line, int col, const QString& value)
{
    QStringList lines = grid.split(QStringLiteral("\r\n"));
    QStringList fields = lines[line].split(u'\t');
    fields[col] = value;
    lines[line] = fields.join(u'\t');
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

} // namespace

class TestEntryCommand : public QObject
{
    Q_OBJECT
private slots:
    void helpListsTheScreens();
    void exportWritesTheWholeGrid();
    void unchangedImportWritesNothing_data();
    void unchangedImportWritesNothing();
    void importSavesOnlyOwnedFields();
    void refusedFieldsWriteNothing_data();
    void refusedFieldsWriteNothing();
    void faultsOfTheFileWriteNothing();
    void exportedTextsImportBackToTheirValues_data();
    void exportedTextsImportBackToTheirValues();
    void fieldsAreReadNotReduced();
    void naishinPositionsWithoutASubjectTakeNothing();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();
    void csvFillsTheThreeScreensByHeader();
    void csvRefusalsWriteNothing_data();
    void csvRefusalsWriteNothing();
};

void TestEntryCommand::helpListsTheScreens()
{
    const Run run = runEntry({QStringLiteral("--help")});
    QCOMPARE(run.status, 0);
    for (const char* word : {"naishin", "sinro", "kyoka", "--export", "--import", "--subject", "--tests"})
        QVERIFY2(run.out.contains(QString::fromLatin1(word)), word);
    // Every option on a line of its own, its help after a gap, never run into its value.
    for (const char* option : {"--export-csv FILE", "--import-csv FILE", "--import FILE", "--dry-run"}) {
        const QString name = QString::fromLatin1(option);
        QVERIFY2(run.out.count(QStringLiteral("\n  ") + name + QStringLiteral("  ")) == 1, option);
    }
    // A screen's help: its own options alone.
    const Run naishin = runEntry({QStringLiteral("naishin"), QStringLiteral("--help")});
    QCOMPARE(naishin.status, 0);
    QVERIFY(naishin.out.contains(QStringLiteral("\n  --export-csv FILE  ")));
    QVERIFY(!naishin.out.contains(QStringLiteral("--subject")));
    QVERIFY(naishin.out.contains(QStringLiteral("\n  --import-csv FILE")));
    const Run test = runEntry({QStringLiteral("test"), QStringLiteral("--help")});
    QVERIFY(test.out.contains(QStringLiteral("\n  --test T  ")) && test.out.contains(QStringLiteral("--dry-run")));
}

void TestEntryCommand::exportWritesTheWholeGrid()
{
    SampleEnv env;
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = env.folder;
    gd->currentGrade = 2;
    QVERIFY(LoadTestList(*gd));
    QVERIFY(LoadSubjectList(*gd));
    QVERIFY(LoadNaishin(*gd, NullProgress::instance()));

    const Run naishin = env.exportGrid(QStringLiteral("naishin"));
    QCOMPARE(naishin.status, 0);
    QVERIFY(naishin.err.isEmpty());
    QVERIFY(naishin.out.endsWith(QStringLiteral("\r\n")));
    const QStringList lines = naishin.out.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), gd->studentCount + 2);
    QCOMPARE(lines.first(), QStringLiteral("組\t番\t氏   名\t\t国語\t社会\t数学\t理科\t音楽\t美術\t保体\t技家\t英語"));
    const QStringList first = lines.at(1).split(u'\t');
    QCOMPARE(first.size(), 13);
    QCOMPARE(first.at(0), QStringLiteral("1"));
    QCOMPARE(first.at(1), QStringLiteral(" 1"));
    QCOMPARE(first.at(2), gd->studentName[1]);
    QCOMPARE(first.at(4), gd->naishin(1, 1) > 0 ? QString::number(gd->naishin(1, 1)) : QString());

    const Run sinro = env.exportGrid(QStringLiteral("sinro"));
    QCOMPARE(sinro.status, 0);
    QVERIFY(sinro.out.startsWith(QStringLiteral("組\t番\t氏   名\t\t第１志望\t第２志望\t併　　願\t推　　薦\r\n")));

    const Run kyoka = env.exportGrid(QStringLiteral("kyoka"), kyokaOptions(QStringLiteral("3,1")));
    QCOMPARE(kyoka.status, 0);
    // Tests in the order of the test list, headed by their short names; numbers as read.
    QVERIFY(kyoka.out.startsWith(
        QStringLiteral("組\t番\t氏   名\t\t%1\t%2\r\n1\t1\t").arg(gd->testShortNames[1], gd->testShortNames[3])));
}

void TestEntryCommand::unchangedImportWritesNothing_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QStringList>("extra");
    QTest::newRow("naishin") << "naishin" << QStringList();
    QTest::newRow("sinro") << "sinro" << QStringList();
    QTest::newRow("kyoka") << "kyoka" << kyokaOptions(QStringLiteral("1,2,3,4"));
}

void TestEntryCommand::unchangedImportWritesNothing()
{
    QFETCH(QString, screen);
    QFETCH(QStringList, extra);
    SampleEnv env;
    // Odd stored values that the screens show otherwise stay as they are.
    StudentRecord rec = env.record(1, 2);
    rec.setNaishinSlot(1, -2);
    rec.setNaishinSlot(2, 25);
    rec.setChoice(1, 40);
    rec.setChoice(2, 2); // "2工"
    rec.setScoreSlot(2, -3);
    RosterFile file(env.roster());
    QVERIFY(file.open());
    QVERIFY(file.write(RosterFile::recordNumber(1, 2), rec));
    file.close();

    const QByteArray before = env.rosterBytes();
    const Run exported = env.exportGrid(screen, extra);
    QCOMPARE(exported.status, 0);
    QFile::setPermissions(env.roster(), QFile::ReadOwner); // any write would fail
    const Run imported = env.importText(screen, exported.out.toUtf8(), extra);
    QFile::setPermissions(env.roster(), QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY2(imported.status == 0, qPrintable(imported.err));
    QVERIFY(imported.out.isEmpty());
    QCOMPARE(env.rosterBytes(), before);

    // With a BOM and LF line ends it reads the same.
    QByteArray lf = "\xEF\xBB\xBF" + exported.out.toUtf8();
    lf.replace("\r\n", "\n");
    QCOMPARE(env.importText(screen, lf, extra).status, 0);
    QCOMPARE(env.rosterBytes(), before);
}

void TestEntryCommand::importSavesOnlyOwnedFields()
{
    SampleEnv env;
    const QByteArray before = env.rosterBytes();

    // Naishin: the first pupil's 国語 (position 1, slot 1) becomes 7, typed full-width.
    Run exported = env.exportGrid(QStringLiteral("naishin"));
    Run run = env.importText(QStringLiteral("naishin"), withField(exported.out, 1, 4, QStringLiteral(" ７ ")));
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(env.record(1, 1).naishinSlot(1), 7);

    // Career choices: a number picks the school, the short name shows it.
    exported = env.exportGrid(QStringLiteral("sinro"));
    run = env.importText(QStringLiteral("sinro"), withField(exported.out, 2, 5, QStringLiteral("3")));
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(env.record(1, 2).choice(2), 3);
    QVERIFY(env.exportGrid(QStringLiteral("sinro")).out.split(QStringLiteral("\r\n")).at(2).split(u'\t').at(5) ==
            QStringLiteral("青嵐"));

    // Scores by subject: "-45", "-" and an emptied cell into exactly the chosen slots.
    const QStringList kyoka = kyokaOptions(QStringLiteral("1,3"), QStringLiteral("4"));
    exported = env.exportGrid(QStringLiteral("kyoka"), kyoka);
    QByteArray bytes = withField(exported.out, 1, 4, QStringLiteral("-45"));
    bytes = withField(QString::fromUtf8(bytes), 1, 5, QStringLiteral("-"));
    bytes = withField(QString::fromUtf8(bytes), 3, 4, QString());
    run = env.importText(QStringLiteral("kyoka"), bytes, kyoka);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = env.folder;
    gd->currentGrade = 2;
    QVERIFY(LoadTestList(*gd));
    const int slot1 = gd->testFirstSlot[1] + 3;
    const int slot3 = gd->testFirstSlot[3] + 3;
    QCOMPARE(env.record(1, 1).scoreSlot(slot1), -55);
    QCOMPARE(env.record(1, 1).scoreSlot(slot3), -1);
    QCOMPARE(env.record(1, 3).scoreSlot(slot1), -5);

    // Every byte outside the fields written is as it was.
    const QByteArray after = env.rosterBytes();
    QCOMPARE(after.size(), before.size());
    QList<int> changedOffsets;
    for (qsizetype i = 0; i < before.size(); ++i)
        if (before.at(i) != after.at(i)) changedOffsets << int(i);
    const QList<int> owned{16 + 2, 40 + 2 * 2, 48 + 2 * slot1, 48 + 2 * slot3};
    for (int offset : changedOffsets) {
        const int within = offset % StudentRecord::Size;
        const int record = offset / StudentRecord::Size + 1;
        QVERIFY2(record == RosterFile::recordNumber(1, 1) || record == RosterFile::recordNumber(1, 2) ||
                     record == RosterFile::recordNumber(1, 3),
                 qPrintable(QString::number(record)));
        QVERIFY2(owned.contains(within) || owned.contains(within - 1), qPrintable(QString::number(within)));
    }
}

void TestEntryCommand::refusedFieldsWriteNothing_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("field");
    QTest::newRow("naishin 25") << "naishin" << 1 << 4 << "25";
    QTest::newRow("naishin decimal") << "naishin" << 2 << 5 << "4.5";
    QTest::newRow("naishin full-width point") << "naishin" << 2 << 5 << "4．5";
    QTest::newRow("naishin minus") << "naishin" << 3 << 6 << "-3";
    QTest::newRow("naishin unit") << "naishin" << 3 << 6 << "7点";
    QTest::newRow("naishin absent") << "naishin" << 3 << 7 << "欠";
    QTest::newRow("naishin fraction") << "naishin" << 2 << 12 << "７/10";
    QTest::newRow("naishin letter") << "naishin" << 2 << 12 << "A+";
    QTest::newRow("sinro beyond the list") << "sinro" << 1 << 4 << "7";
    QTest::newRow("sinro name with a digit") << "sinro" << 1 << 5 << "2番目の高校";
    QTest::newRow("sinro unknown name") << "sinro" << 2 << 6 << "北高";
    QTest::newRow("sinro minus") << "sinro" << 2 << 7 << "-1";
    QTest::newRow("kyoka beyond 16 bits") << "kyoka" << 2 << 4 << "40000";
    QTest::newRow("kyoka decimal") << "kyoka" << 2 << 5 << "45.5";
    QTest::newRow("kyoka fraction") << "kyoka" << 3 << 4 << "7/10";
    QTest::newRow("kyoka exponent") << "kyoka" << 3 << 5 << "1e2";
    QTest::newRow("kyoka range") << "kyoka" << 5 << 4 << "12-3";
    QTest::newRow("kyoka comma") << "kyoka" << 5 << 5 << "1,5";
    QTest::newRow("kyoka letter") << "kyoka" << 6 << 4 << "A+";
    QTest::newRow("test unit") << "test" << 2 << 6 << "85点";
    QTest::newRow("test exponent") << "test" << 3 << 4 << "1e2";
    QTest::newRow("test bracketed decimal") << "test" << 3 << 8 << "-4.5";
}

void TestEntryCommand::refusedFieldsWriteNothing()
{
    QFETCH(QString, screen);
    QFETCH(int, line);
    QFETCH(int, col);
    QFETCH(QString, field);
    SampleEnv env;
    const QStringList extra = screenOptions(screen);
    const Run exported = env.exportGrid(screen, extra);
    // A good change elsewhere in the file is not saved either.
    QByteArray bytes = withField(exported.out, 4, 4, screen == QLatin1String("sinro") ? "1" : "9");
    bytes = withField(QString::fromUtf8(bytes), line, col, field);
    const QMap<QString, QByteArray> before = env.files();
    const Run run = env.importText(screen, bytes, extra);
    QCOMPARE(run.status, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(env.files() == before);
    // The field is named: its line, its column, its text and why.
    const QString header = exported.out.section(QStringLiteral("\r\n"), 0, 0).split(u'\t').at(col);
    const QString first = run.err.section(u'\n', 0, 0);
    QVERIFY2(first.contains(QStringLiteral("%1行目").arg(line + 1)), qPrintable(run.err));
    QVERIFY2(first.contains(QStringLiteral("%1列目 %2").arg(col + 1).arg(header)), qPrintable(run.err));
    QVERIFY2(first.contains(QStringLiteral("「%1」: ").arg(field)), qPrintable(run.err));
    QVERIFY2(!first.endsWith(QStringLiteral(": ")), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("何も保存していません")), qPrintable(run.err));
}

void TestEntryCommand::exportedTextsImportBackToTheirValues_data()
{
    QTest::addColumn<QString>("screen");
    QTest::newRow("naishin") << "naishin";
    QTest::newRow("sinro") << "sinro";
    QTest::newRow("kyoka") << "kyoka";
    QTest::newRow("test") << "test";
}

void TestEntryCommand::exportedTextsImportBackToTheirValues()
{
    QFETCH(QString, screen);
    SampleEnv env;
    // Every kind of value the screens store, on the first pupils of class 1.
    const QList<int> scores{0, 100, -1, -5, -10, -55, 32767, -32768};
    QList<int> seats; // the first pupils of class 1, in grid order
    for (int number = 1; number <= 60 && seats.size() < scores.size(); ++number)
        if (env.record(1, number).flag() == StudentRecord::InUse) seats << number;
    QCOMPARE(seats.size(), scores.size());
    for (int n = 1; n <= scores.size(); ++n) {
        StudentRecord rec = env.record(1, seats.at(n - 1));
        for (int slot = 1; slot <= 200; ++slot)
            QVERIFY(rec.setScoreSlot(slot, scores.at(n - 1)));
        rec.setNaishinSlot(1, n <= 2 ? 10 * (n - 1) : n);
        rec.setChoice(1, n % 6);
        env.writeRecord(1, seats.at(n - 1), rec);
    }
    const QStringList extra = screenOptions(screen);
    const Run exported = env.exportGrid(screen, extra);
    QCOMPARE(exported.status, 0);

    // Each pupil takes the data fields of the pupil after him: every text the export writes must
    // become the same value for another pupil.
    QStringList lines = exported.out.split(QStringLiteral("\r\n"));
    lines.removeLast();
    const int pupils = int(lines.size()) - 1;
    QStringList rotated = lines;
    for (int r = 1; r <= pupils; ++r) {
        QStringList fields = lines.at(r).split(u'\t');
        const QStringList next = lines.at(r % pupils + 1).split(u'\t');
        for (int c = 4; c < fields.size(); ++c)
            fields[c] = next.at(c);
        rotated[r] = fields.join(u'\t');
    }
    const QString rotatedText = rotated.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    const Run run = env.importText(screen, rotatedText.toUtf8(), extra);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(env.exportGrid(screen, extra).out, rotatedText);
    if (screen == QLatin1String("kyoka")) {
        // The values themselves, not only their texts: pupil n holds what pupil n + 1 held.
        auto gd = std::make_unique<GradeData>();
        gd->dataFolder = env.folder;
        gd->currentGrade = 2;
        QVERIFY(LoadTestList(*gd));
        const int slot = gd->testFirstSlot[1] + 1;
        for (int n = 1; n < scores.size(); ++n)
            QCOMPARE(env.record(1, seats.at(n - 1)).scoreSlot(slot), scores.at(n));
    }
}

void TestEntryCommand::fieldsAreReadNotReduced()
{
    SampleEnv env;
    const QStringList kyoka = screenOptions(QStringLiteral("kyoka"));
    QString grid = env.exportGrid(QStringLiteral("kyoka"), kyoka).out;
    grid = QString::fromUtf8(withField(grid, 1, 4, QStringLiteral("８５")));
    grid = QString::fromUtf8(withField(grid, 2, 4, QStringLiteral(" 欠 ")));
    grid = QString::fromUtf8(withField(grid, 3, 4, QStringLiteral("欠席")));
    grid = QString::fromUtf8(withField(grid, 4, 4, QStringLiteral("－４５")));
    grid = QString::fromUtf8(withField(grid, 5, 4, QString()));
    Run run = env.importText(QStringLiteral("kyoka"), grid.toUtf8(), kyoka);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = env.folder;
    gd->currentGrade = 2;
    QVERIFY(LoadTestList(*gd));
    const int slot = gd->testFirstSlot[1] + 1;
    QCOMPARE(env.record(1, 1).scoreSlot(slot), 85);
    QCOMPARE(env.record(1, 2).scoreSlot(slot), -1);
    QCOMPARE(env.record(1, 3).scoreSlot(slot), -1);
    QCOMPARE(env.record(1, 4).scoreSlot(slot), -55);
    QCOMPARE(env.record(1, 5).scoreSlot(slot), -5);

    // 進路希望: the short names the export writes (digits in them are no number), なし, empty.
    QString sinro = env.exportGrid(QStringLiteral("sinro")).out;
    sinro = QString::fromUtf8(withField(sinro, 1, 4, QStringLiteral("2工")));
    sinro = QString::fromUtf8(withField(sinro, 1, 5, QStringLiteral(" 東山3 ")));
    sinro = QString::fromUtf8(withField(sinro, 1, 6, QStringLiteral("５")));
    sinro = QString::fromUtf8(withField(sinro, 1, 7, QStringLiteral("なし")));
    sinro = QString::fromUtf8(withField(sinro, 2, 4, QString()));
    run = env.importText(QStringLiteral("sinro"), sinro.toUtf8());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(env.record(1, 1).choice(1), 2);
    QCOMPARE(env.record(1, 1).choice(2), 4);
    QCOMPARE(env.record(1, 1).choice(3), 5);
    QCOMPARE(env.record(1, 1).choice(4), 0);
    QCOMPARE(env.record(1, 2).choice(1), 0);

    // A short name two schools share is refused: the choice cannot be told.
    QString list = QStringLiteral(" 3 \r\n");
    for (const char* name : {"西", "東", "西"})
        list += QStringLiteral("\"%1\",\"%1高等学校\",\"普通科\", 0 \r\n").arg(QString::fromUtf8(name));
    test::WriteFileBytes(PathIgnoringCase(env.folder, QStringLiteral("hischool.txt")), Cp932::encode(list));
    const QMap<QString, QByteArray> before = env.files();
    sinro = env.exportGrid(QStringLiteral("sinro")).out;
    run = env.importText(QStringLiteral("sinro"), withField(sinro, 3, 4, QStringLiteral("西")));
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("「西」: どの高校か決められません")), qPrintable(run.err));
    QVERIFY(env.files() == before);
}

void TestEntryCommand::naishinPositionsWithoutASubjectTakeNothing()
{
    SampleEnv env;
    // Five subjects: positions 5..8 of the default naishin order have none.
    QString subjects = QStringLiteral(" 5 \r\n");
    for (const char* name : {"国語", "社会", "数学", "理科", "英語"})
        subjects += QStringLiteral("\"%1\", 0 , 1 \r\n").arg(QString::fromUtf8(name));
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = env.folder;
    gd->currentGrade = 2;
    test::WriteFileBytes(SubjectListPath(*gd), Cp932::encode(subjects));
    // Whatever slot 6 holds from an earlier list shows nothing.
    StudentRecord rec = env.record(1, 1);
    rec.setNaishinSlot(6, 8);
    env.writeRecord(1, 1, rec);

    const QString grid = env.exportGrid(QStringLiteral("naishin")).out;
    QVERIFY(grid.startsWith(QStringLiteral("組\t番\t氏   名\t\t国語\t社会\t数学\t理科\t\t\t\t\t英語\r\n")));
    QCOMPARE(grid.section(QStringLiteral("\r\n"), 1, 1).split(u'\t').at(8), QString());
    const QMap<QString, QByteArray> before = env.files();
    const Run run = env.importText(QStringLiteral("naishin"), withField(grid, 1, 8, QStringLiteral("5")));
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("2行目 1組 1番 9列目「5」: この列には教科がありません")),
             qPrintable(run.err));
    QVERIFY(env.files() == before);
    QCOMPARE(env.record(1, 1).naishinSlot(6), 8);
    // A blank there is no value: nothing to refuse, nothing written.
    QCOMPARE(env.importText(QStringLiteral("naishin"), withField(grid, 1, 8, QStringLiteral(" "))).status, 0);
    QVERIFY(env.files() == before);
}

void TestEntryCommand::faultsOfTheFileWriteNothing()
{
    SampleEnv env;
    const QByteArray before = env.rosterBytes();
    const QString grid = env.exportGrid(QStringLiteral("naishin")).out;

    // A wrong 番.
    Run run = env.importText(QStringLiteral("naishin"), withField(grid, 3, 1, QStringLiteral("99")));
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.contains(QStringLiteral("4行目")));
    // A surplus line.
    run = env.importText(QStringLiteral("naishin"), (grid + QStringLiteral("3\t99\t誰か\t男\t5\r\n")).toUtf8());
    QCOMPARE(run.status, 2);
    // Another header.
    run = env.importText(QStringLiteral("naishin"), withField(grid, 0, 4, QStringLiteral("国")));
    QCOMPARE(run.status, 2);
    // Not UTF-8.
    run = env.importText(QStringLiteral("naishin"), Cp932::encode(grid));
    QCOMPARE(run.status, 2);
    // Empty.
    run = env.importText(QStringLiteral("naishin"), QByteArray());
    QCOMPARE(run.status, 2);
    // Not a file.
    run = runEntry(env.base(QStringLiteral("naishin")) + QStringList{QStringLiteral("--import"), env.folder});
    QCOMPARE(run.status, 2);
    QCOMPARE(env.rosterBytes(), before);

    // Fewer lines and fewer fields leave the rest alone.
    const QStringList lines = grid.split(QStringLiteral("\r\n"));
    QStringList shortLines{lines.at(0), lines.at(1).section(u'\t', 0, 5)};
    run = env.importText(QStringLiteral("naishin"), (shortLines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
    QCOMPARE(run.status, 0);
    QCOMPARE(env.rosterBytes(), before);
}

void TestEntryCommand::badOptionsAreRefused_data()
{
    QTest::addColumn<QStringList>("args");
    const QString five = QStringLiteral("1"); // test 1 has five subjects
    QTest::newRow("no screen") << QStringList{"--export"};
    QTest::newRow("unknown screen") << QStringList{"hyoka", "--export"};
    QTest::newRow("no action") << QStringList{"naishin"};
    QTest::newRow("two actions") << QStringList{"naishin", "--export", "--import", "x"};
    QTest::newRow("subject for naishin") << QStringList{"naishin", "--subject", "1", "--export"};
    QTest::newRow("kyoka without tests") << QStringList{"kyoka", "--subject", "1", "--export"};
    QTest::newRow("subject 6 of five") << QStringList{"kyoka", "--subject", "6", "--tests", five, "--export"};
    QTest::newRow("test twice") << QStringList{"kyoka", "--subject", "1", "--tests", "1,2,1", "--export"};
    QTest::newRow("no such test") << QStringList{"kyoka", "--subject", "1", "--tests", "1,31", "--export"};
    QTest::newRow("missing import file") << QStringList{"naishin", "--import", "/nonexistent/x.tsv"};
    QTest::newRow("unknown option") << QStringList{"naishin", "--pdf", "x", "--export"};
}

void TestEntryCommand::badOptionsAreRefused()
{
    QFETCH(QStringList, args);
    SampleEnv env;
    const QByteArray before = env.rosterBytes();
    const Run run = runEntry(
        QStringList{QStringLiteral("--data"), env.folder, QStringLiteral("--grade"), QStringLiteral("2")} + args);
    QCOMPARE(run.status, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.startsWith(QStringLiteral("seiran-entry: ")));
    if (QTest::currentDataTag() == QLatin1String("test twice"))
        QCOMPARE(run.err, QStringLiteral("seiran-entry: テスト 1 が二度指定されています。\n"));
    QCOMPARE(env.rosterBytes(), before);
    QCOMPARE(runEntry({QStringLiteral("--data"), env.folder, QStringLiteral("--grade"), QStringLiteral("4"),
                       QStringLiteral("naishin"), QStringLiteral("--export")})
                 .status,
             2);
}

namespace {
Run importCsv(const SampleEnv& env, const QString& screen, const QString& csv, const QStringList& extra = {})
{
    const QString path = env.inputs.path() + QStringLiteral("/import.csv");
    test::WriteFileBytes(path, csv.toUtf8());
    return runEntry(env.base(screen) + extra + QStringList{QStringLiteral("--import-csv"), path});
}

// The header of a data column of a screen's exported grid (column `col` from 0).
QString exportedHeader(const SampleEnv& env, const QString& screen, int col, const QStringList& extra = {})
{
    return env.exportGrid(screen, extra).out.section(QStringLiteral("\r\n"), 0, 0).split(u'\t').at(col);
}
} // namespace

void TestEntryCommand::csvFillsTheThreeScreensByHeader()
{
    SampleEnv env;
    StudentRecord seat = env.record(1, 3);
    seat.setChoice(4, 5); // a 推薦 that "なし" clears
    env.writeRecord(1, 3, seat);
    const StudentRecord untouched = env.record(1, 2);

    // 内申点: columns in any order, found by the subjects' names; full-width digits; a blank field
    // leaves its cell; the name, when given, matches with blanks aside.
    Run run = importCsv(env, QStringLiteral("naishin"),
                        QStringLiteral("英語,氏名,組,番,国語\n１０,%1,1,1,７\n,,1,2,\n")
                            .arg(env.record(1, 1).name().replace(QChar(0x3000), u' ')));
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(QStringLiteral("変更 1")), qPrintable(run.out));
    QCOMPARE(env.record(1, 1).naishinSlot(1), 7);
    const QStringList naishin = env.exportGrid(QStringLiteral("naishin")).out.split(QStringLiteral("\r\n"));
    QCOMPARE(naishin.at(1).split(u'\t').at(naishin.at(0).split(u'\t').indexOf(QStringLiteral("英語"))),
             QStringLiteral("10"));
    QCOMPARE(env.record(1, 2).naishinSlot(1), untouched.naishinSlot(1));

    // 進路希望: a short name, a list number, "なし" clearing, an empty field leaving the choice.
    run = importCsv(env, QStringLiteral("sinro"),
                    QStringLiteral("組,番,第１志望,第２志望,併願,推薦\n1,3,青嵐,2,,なし\n"));
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const StudentRecord chosen = env.record(1, 3);
    QCOMPARE(chosen.choice(1), 3);
    QCOMPARE(chosen.choice(2), 2);
    QCOMPARE(chosen.choice(3), seat.choice(3));
    QCOMPARE(chosen.choice(4), 0);

    // Scores by subject: the chosen tests by their short names, read as score cells are.
    const QStringList kyoka = kyokaOptions(QStringLiteral("1,3"), QStringLiteral("4"));
    const QString first = exportedHeader(env, QStringLiteral("kyoka"), 4, kyoka);
    const QString third = exportedHeader(env, QStringLiteral("kyoka"), 5, kyoka);
    run = importCsv(env, QStringLiteral("kyoka"), QStringLiteral("組,番,%1,%2\n1,1,-45,欠\n").arg(third, first), kyoka);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = env.folder;
    gd->currentGrade = 2;
    QVERIFY(LoadTestList(*gd));
    QCOMPARE(env.record(1, 1).scoreSlot(gd->testFirstSlot[3] + 3), -55);
    QCOMPARE(env.record(1, 1).scoreSlot(gd->testFirstSlot[1] + 3), -1);

    // --dry-run tells the plan and writes nothing.
    const QMap<QString, QByteArray> before = env.files();
    run = importCsv(env, QStringLiteral("naishin"), QStringLiteral("組,番,国語\n1,1,3\n"), {"--dry-run"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(QStringLiteral("国語 7 → 3")), qPrintable(run.out));
    QVERIFY(env.files() == before);
}

void TestEntryCommand::csvRefusalsWriteNothing_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("why");
    QTest::newRow("naishin 11") << "naishin"
                                << "組,番,国語\n1,1,5\n1,2,11\n"
                                << "0〜10";
    QTest::newRow("naishin decimal") << "naishin"
                                     << "組,番,国語\n1,1,5\n1,2,4.5\n"
                                     << "0〜10";
    QTest::newRow("naishin wrong name") << "naishin"
                                        << "組,番,氏名,国語\n1,1,,5\n1,2,山田 一郎,4\n"
                                        << "名簿";
    QTest::newRow("naishin empty seat") << "naishin"
                                        << "組,番,国語\n1,1,5\n1,40,4\n"
                                        << "在籍";
    QTest::newRow("sinro unknown school") << "sinro"
                                          << "組,番,第１志望\n1,1,2\n1,2,北高\n"
                                          << "略称";
    QTest::newRow("sinro beyond the list") << "sinro"
                                           << "組,番,推薦\n1,1,2\n1,2,7\n"
                                           << "高校の番号は";
    QTest::newRow("seat twice") << "sinro"
                                << "組,番,推薦\n1,1,2\n1,1,3\n"
                                << "同じ席";
    QTest::newRow("kyoka unit") << "kyoka"
                                << "組,番,%1\n1,1,50\n1,2,85点\n"
                                << "点数ではありません";
    QTest::newRow("no number column") << "naishin"
                                      << "組,氏名,国語\n1,x,5\n"
                                      << "番";
}

void TestEntryCommand::csvRefusalsWriteNothing()
{
    QFETCH(QString, screen);
    QFETCH(QString, csv);
    QFETCH(QString, why);
    SampleEnv env;
    const QStringList extra = screenOptions(screen);
    if (csv.contains(QStringLiteral("%1"))) csv = csv.arg(exportedHeader(env, screen, 4, extra));
    const QMap<QString, QByteArray> before = env.files();
    const Run run = importCsv(env, screen, csv, extra);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(why), qPrintable(run.err));
    QVERIFY(env.files() == before);
    // Where the file could be read, the good line alone goes in with --skip-refused.
    const QLatin1String tag(QTest::currentDataTag());
    if (tag == QLatin1String("no number column") || tag == QLatin1String("seat twice")) return;
    const Run skipped = importCsv(env, screen, csv, extra + QStringList{QStringLiteral("--skip-refused")});
    QVERIFY2(skipped.status == 0, qPrintable(skipped.err));
    QVERIFY2(skipped.out.contains(QStringLiteral("取り込めない 1")), qPrintable(skipped.out));
    QVERIFY(env.files() != before);
}

QTEST_GUILESS_MAIN(TestEntryCommand)
#include "tst_entrycommand.moc"
