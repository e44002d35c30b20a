#include "CareerCells.h"
#include "Cp932.h"
#include "EntryColumns.h"
#include "GradeData.h"
#include "Helpers.h"
#include "ImportedValues.h"
#include "ListFiles.h"
#include "NaishinCells.h"
#include "Progress.h"
#include "RosterFile.h"
#include "ScoreCells.h"
#include "SubjectScoreCells.h"
#include "TestSupport.h"

#include <QFile>
#include <QtTest>
#include <memory>

using namespace seiran;

namespace {

// Three classes, the second empty: class 1 numbers 1, 2 and 6 in use, 3 transferred out, 5 a
// free seat with a name left in it; class 3 numbers 1 and 2. Test 1 has five subjects, test 2
// nine, test 3 five.
struct ScoreEnv
{
    test::GradeFixture fx{2, 3};
    RecordingProgress progress;

    ScoreEnv()
    {
        fx.writeStandard({});
        writePupil(1, 1, QStringLiteral("一組一"), StudentRecord::InUse);
        writePupil(1, 2, QStringLiteral("一組二"), StudentRecord::InUse);
        writePupil(1, 3, QStringLiteral("転出者"), StudentRecord::TransferredOut);
        writePupil(1, 5, QStringLiteral("空き席"), StudentRecord::Free);
        writePupil(1, 6, QStringLiteral("一組六"), StudentRecord::InUse);
        writePupil(3, 1, QStringLiteral("三組一"), StudentRecord::InUse);
        writePupil(3, 2, QStringLiteral("三組二"), StudentRecord::InUse);
        if (!fx.loadLists()) qFatal("lists");
    }

    void writePupil(int classNo, int number, const QString& name, int flag)
    {
        StudentRecord rec = StudentRecord::blank();
        rec.setFlag(flag);
        rec.setName(name);
        rec.setSex(number % 2 ? 1 : 2);
        fx.writeRecord(RosterFile::recordNumber(classNo, number), rec);
    }

    // Subject 2 of a test: its slot.
    int slotOf(int test, int subject = 2) { return fx.gd().testFirstSlot[test] + subject - 1; }

    void setScore(int classNo, int number, int test, int value)
    {
        const int r = RosterFile::recordNumber(classNo, number);
        StudentRecord rec = fx.readRecord(r);
        QVERIFY(rec.setScoreSlot(slotOf(test), value));
        fx.writeRecord(r, rec);
    }

    std::unique_ptr<SubjectScores> load(const QList<int>& tests, int subject = 2)
    {
        auto table = std::make_unique<SubjectScores>();
        table->subject = subject;
        table->tests = tests;
        const Result r = LoadSubjectScores(fx.gd(), *table, progress);
        if (!r) qWarning() << r.message;
        return r ? std::move(table) : nullptr;
    }
};

// Byte ranges where two roster images differ, as record numbers.
QList<int> changedRecords(const QByteArray& before, const QByteArray& after)
{
    QList<int> records;
    for (qsizetype r = 0; r * StudentRecord::Size < qMax(before.size(), after.size()); ++r) {
        if (before.mid(r * StudentRecord::Size, StudentRecord::Size) !=
            after.mid(r * StudentRecord::Size, StudentRecord::Size))
            records << int(r + 1);
    }
    return records;
}

struct CareerEnv
{
    GradeData gd;
    explicit CareerEnv(int schools)
    {
        gd.highSchoolCount = schools;
        for (int k = 1; k <= schools; ++k)
            gd.highSchoolShortNames[k] = k == schools ? QStringLiteral("その他") : QStringLiteral("高%1").arg(k);
    }
};

} // namespace

class TestEntryLogic : public QObject
{
    Q_OBJECT
private slots:
    void subjectScoresLoadTheRosterAndTheChosenSlots();
    void subjectScoresShowWhatScoreEntryShows();
    void subjectScoresRefuseSubjectsAndTestsThatDoNotFit();
    void subjectScoresSaveOnlyChangedCellsOfChangedRecords();
    void subjectScoresAddressRecordsByClassAsLoaded();
    void subjectScoresRefuseAValueOutsideTheSlotBeforeWriting();
    void naishinKeys();
    void naishinPasteAcceptsTheScaleOnly();
    void naishinHeadersFollowTheNaishinOrder();
    void naishinConversionKeepsUntouchedCells();
    void careerKeysAndLeavingACell();
    void schoolListPlacesEntriesDownTheColumns();
    void fixedColumns();
    void importedScoresAndPointsFollowOneRule_data();
    void importedScoresAndPointsFollowOneRule();
    void importedCareerChoices();
    void naishinPositionsWithoutASubjectAreLocked();
};

void TestEntryLogic::subjectScoresLoadTheRosterAndTheChosenSlots()
{
    ScoreEnv env;
    env.setScore(1, 1, 1, 87);
    env.setScore(1, 1, 3, -55);
    env.setScore(1, 3, 1, 99); // transferred out
    env.setScore(3, 2, 3, -1);
    GradeData& gd = env.fx.gd();
    gd.studentCount = 77; // whatever an earlier load left
    const auto table = env.load({1, 3});
    QVERIFY(table);
    QCOMPARE(table->scoreSlots, (QList<int>{2, 16}));
    QCOMPARE(gd.studentCount, 5);
    QCOMPARE(gd.classSize[1], 3);
    QCOMPARE(gd.classSize[2], 0);
    QCOMPARE(gd.classSize[3], 2);
    QCOMPARE(gd.classStart[1], 1);
    QCOMPARE(gd.classStart[2], 4);
    QCOMPARE(gd.classStart[3], 4);
    QCOMPARE(gd.studentName[3], QStringLiteral("一組六"));
    QCOMPARE(gd.studentNumber[3], 6);
    QCOMPARE(gd.studentClass[4], 3);
    QCOMPARE(table->loaded(1, 1), 87);
    QCOMPARE(table->loaded(2, 1), -55);
    QCOMPARE(table->loaded(2, 5), -1);
    QCOMPARE(table->loaded(1, 2), -5);
    QCOMPARE(table->values(2, 1), -55);
    QCOMPARE(env.progress.statusTexts.first(), QStringLiteral("データ読込中"));
    QCOMPARE(env.progress.lastMaximum, 180);
    QVERIFY(!env.progress.visible);
    QCOMPARE(SubjectScoreHeaders(gd, *table), (QStringList{gd.testShortNames[1], gd.testShortNames[3]}));
    QCOMPARE(SubjectScoreHeading(gd, 2), QStringLiteral("点数の入力（教科別）　2年 社会"));
}

void TestEntryLogic::subjectScoresShowWhatScoreEntryShows()
{
    // Every code a key gives shows as the score entry by test shows it; the codes no key gives
    // between -2 and -9 show an empty cell.
    for (int v : {0, 1, 87, 32767, -1, -5, -10, -11, -55, -32768})
        QCOMPARE(SubjectScoreCellText(v), ScoreToCellText(v));
    for (int v : {-2, -3, -4, -6, -9})
        QCOMPARE(SubjectScoreCellText(v), QString());
    QCOMPARE(SubjectScoreCellText(-55), QStringLiteral("-45"));
}

void TestEntryLogic::subjectScoresRefuseSubjectsAndTestsThatDoNotFit()
{
    ScoreEnv env;
    const QByteArray before = env.fx.rosterBytes();
    auto table = std::make_unique<SubjectScores>();
    table->subject = 6; // test 1 has five subjects
    table->tests = {2, 1};
    QVERIFY(!LoadSubjectScores(env.fx.gd(), *table, env.progress));
    table->subject = 2;
    table->tests = {1, 1};
    QVERIFY(!LoadSubjectScores(env.fx.gd(), *table, env.progress));
    table->tests = {4};
    QVERIFY(!LoadSubjectScores(env.fx.gd(), *table, env.progress));
    table->tests = {};
    QVERIFY(!LoadSubjectScores(env.fx.gd(), *table, env.progress));
    // A test list whose slots run past the record is refused before anything is read.
    env.fx.gd().testFirstSlot[3] = 200;
    table->tests = {3};
    env.progress.statusTexts.clear();
    QVERIFY(!LoadSubjectScores(env.fx.gd(), *table, env.progress));
    QVERIFY(env.progress.statusTexts.isEmpty());
    QCOMPARE(env.fx.rosterBytes(), before);
}

void TestEntryLogic::subjectScoresSaveOnlyChangedCellsOfChangedRecords()
{
    ScoreEnv env;
    env.setScore(1, 1, 1, -3);  // a code no key gives
    env.setScore(1, 2, 1, -10); // a bracketed zero
    env.setScore(1, 6, 1, 70);
    env.setScore(3, 1, 1, 50);
    GradeData& gd = env.fx.gd();
    auto table = env.load({1, 2});
    QVERIFY(table);
    const QByteArray before = env.fx.rosterBytes();

    // Cells as loaded: nothing changes, and no record is written (the file is read-only).
    QList<QStringList> cells(6, QStringList(3));
    for (int i = 1; i <= 5; ++i)
        for (int t = 1; t <= 2; ++t)
            cells[i][t] = SubjectScoreCellText(table->loaded(t, i));
    auto cellFn = [&cells](int i, int t) { return cells[i][t]; };
    QVERIFY(ConvertCellsToSubjectScores(gd, *table, cellFn));
    QCOMPARE(table->values(1, 1), -3);
    QCOMPARE(table->values(1, 2), -10);
    QFile::setPermissions(env.fx.rosterPath(), QFile::ReadOwner);
    const Result unchanged = SaveSubjectScores(gd, *table, env.progress);
    QFile::setPermissions(env.fx.rosterPath(), QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY2(unchanged, qPrintable(unchanged.message));
    QCOMPARE(env.fx.rosterBytes(), before);

    // "-", "-45", "-0" and an emptied cell go into exactly the chosen slots.
    cells[3][1] = QStringLiteral("-");   // 一組六, test 1
    cells[3][2] = QStringLiteral("-45"); // test 2
    cells[4][1] = QString();             // 三組一: 50 emptied
    cells[5][2] = QStringLiteral("-0");
    QVERIFY(ConvertCellsToSubjectScores(gd, *table, cellFn));
    env.progress.statusTexts.clear();
    QVERIFY(SaveSubjectScores(gd, *table, env.progress));
    QCOMPARE(env.progress.statusTexts.first(), QStringLiteral("データ保存中"));
    QCOMPARE(env.progress.lastMaximum, 5);
    const QByteArray after = env.fx.rosterBytes();
    QCOMPARE(changedRecords(before, after), (QList<int>{RosterFile::recordNumber(1, 6), RosterFile::recordNumber(3, 1),
                                                        RosterFile::recordNumber(3, 2)}));
    QCOMPARE(env.fx.readRecord(RosterFile::recordNumber(1, 6)).scoreSlot(env.slotOf(1)), -1);
    QCOMPARE(env.fx.readRecord(RosterFile::recordNumber(1, 6)).scoreSlot(env.slotOf(2)), -55);
    QCOMPARE(env.fx.readRecord(RosterFile::recordNumber(3, 1)).scoreSlot(env.slotOf(1)), -5);
    // "-0" is stored as the score cells read it everywhere (a bracketed zero, -10, once they do).
    QCOMPARE(env.fx.readRecord(RosterFile::recordNumber(3, 2)).scoreSlot(env.slotOf(2)),
             *ScoreCellValue(QStringLiteral("-0")));
    // Only the two bytes of each changed slot differ within a record.
    const qsizetype base = qsizetype(RosterFile::recordNumber(1, 6) - 1) * StudentRecord::Size;
    int differing = 0;
    for (int b = 0; b < StudentRecord::Size; ++b)
        differing += before.at(base + b) != after.at(base + b);
    QVERIFY(differing >= 2 && differing <= 4);
    // The untouched -3 and -10 are still there; the transferred and free records are as they were.
    QCOMPARE(env.fx.readRecord(RosterFile::recordNumber(1, 1)).scoreSlot(env.slotOf(1)), -3);
    QCOMPARE(env.fx.readRecord(RosterFile::recordNumber(1, 2)).scoreSlot(env.slotOf(1)), -10);
}

void TestEntryLogic::subjectScoresAddressRecordsByClassAsLoaded()
{
    ScoreEnv env;
    GradeData& gd = env.fx.gd();
    gd.classLabels = QStringLiteral("ABCDEFGHI");
    auto table = env.load({3});
    QVERIFY(table);
    QCOMPARE(FixedColumnTexts(gd, 4, NumberStyle::AsRead).first(), QStringLiteral("C"));
    QVERIFY(
        ConvertCellsToSubjectScores(gd, *table, [](int i, int) { return i == 5 ? QStringLiteral("64") : QString(); }));
    const QByteArray before = env.fx.rosterBytes();
    QVERIFY(SaveSubjectScores(gd, *table, env.progress));
    QCOMPARE(changedRecords(before, env.fx.rosterBytes()), QList<int>{RosterFile::recordNumber(3, 2)});
    QCOMPARE(env.fx.readRecord(RosterFile::recordNumber(3, 2)).scoreSlot(env.slotOf(3)), 64);
}

void TestEntryLogic::subjectScoresRefuseAValueOutsideTheSlotBeforeWriting()
{
    ScoreEnv env;
    GradeData& gd = env.fx.gd();
    auto table = env.load({1});
    QVERIFY(table);
    const QByteArray before = env.fx.rosterBytes();
    const Result r = ConvertCellsToSubjectScores(gd, *table, [](int i, int) {
        return i == 1 ? QStringLiteral("12") : i == 4 ? QStringLiteral("-32759") : QString();
    });
    QVERIFY(!r);
    QVERIFY(r.message.contains(QStringLiteral("三組一")));
    QCOMPARE(table->values(1, 1), -5); // nothing converted
    table->values(1, 1) = 12;
    table->values(1, 4) = 40000; // bypassing the conversion: still never wrapped
    QVERIFY(!SaveSubjectScores(gd, *table, env.progress));
    QCOMPARE(env.fx.rosterBytes(), before);
}

void TestEntryLogic::naishinKeys()
{
    auto type = [](const QString& keys, QString text = QString()) {
        bool untouched = true;
        for (QChar ch : keys) {
            const CellKeyOutcome out = ApplyNaishinKey(text, untouched, ch.unicode());
            text = out.text;
            untouched = out.untouched;
        }
        return text;
    };
    QCOMPARE(type(QStringLiteral("0")), QStringLiteral("10"));
    QCOMPARE(type(QStringLiteral("10")), QStringLiteral("10"));
    QCOMPARE(type(QStringLiteral("57")), QStringLiteral("7"));
    QCOMPARE(type(QStringLiteral("８")), QStringLiteral("8")); // from the input method
    QCOMPARE(type(QStringLiteral(" "), QStringLiteral("4")), QString());
    for (int key : {8, int('-'), int('a'), 127}) {
        const CellKeyOutcome out = ApplyNaishinKey(QStringLiteral("4"), false, key);
        QCOMPARE(out.action, CellKey::Ignored);
        QCOMPARE(out.text, QStringLiteral("4"));
    }
    QCOMPARE(ApplyNaishinKey(QString(), true, 13).action, CellKey::Enter);
    QCOMPARE(ApplyNaishinKey(QString(), true, 3).action, CellKey::Copy);
    QCOMPARE(ApplyNaishinKey(QString(), true, 22).action, CellKey::Paste);
    QVERIFY(!ApplyNaishinKey(QString(), true, '3').untouched);
}

void TestEntryLogic::naishinPasteAcceptsTheScaleOnly()
{
    for (const char* ok : {"", "0", "1", "7", "10", "05"})
        QVERIFY2(AcceptsNaishinToken(QString::fromLatin1(ok)), ok);
    for (const char* refused : {"25", "11", "-", "-3", "100", "010", "99999999999"})
        QVERIFY2(!AcceptsNaishinToken(QString::fromLatin1(refused)), refused);
}

void TestEntryLogic::naishinHeadersFollowTheNaishinOrder()
{
    test::GradeFixture fx(1, 1);
    fx.writeStandard({});
    QVERIFY(fx.loadLists());
    QCOMPARE(NaishinHeaders(fx.gd()),
             (QStringList{"国語", "社会", "数学", "理科", "音楽", "美術", "保体", "技家", "英語"}));

    // A list of seven subjects in a naishin order of its own: the last two positions have none.
    QString text = QStringLiteral("-1\r\n7\r\n7\r\n6\r\n5\r\n4\r\n3\r\n2\r\n1\r\n");
    for (const char* name : {"国語", "社会", "数学", "理科", "英語", "音楽", "美術"})
        text += QStringLiteral("\"%1\", 0 , 1 \r\n").arg(QString::fromUtf8(name));
    test::WriteFileBytes(SubjectListPath(fx.gd()), Cp932::encode(text));
    QVERIFY(fx.loadLists());
    QCOMPARE(NaishinHeaders(fx.gd()), (QStringList{"美術", "音楽", "英語", "理科", "数学", "社会", "国語", "", ""}));
    QVERIFY(NaishinPositionUsed(fx.gd(), 7));
    QVERIFY(!NaishinPositionUsed(fx.gd(), 8));
    QVERIFY(!NaishinPositionUsed(fx.gd(), 0));
}

void TestEntryLogic::naishinConversionKeepsUntouchedCells()
{
    GradeData gd;
    gd.studentCount = 2;
    gd.subjectCount = 9;
    gd.studentClass[1] = gd.studentClass[2] = 1;
    gd.studentNumber[1] = 1;
    gd.studentNumber[2] = 2;
    for (int j = 1; j <= 9; ++j)
        gd.naishinSlot[j] = j <= 8 ? j : 0;
    gd.naishin(1, 1) = -2; // shown empty
    gd.naishin(2, 1) = 25; // beyond the scale, shown as it is
    gd.naishin(3, 1) = 4;
    gd.naishin(4, 1) = 0;
    gd.naishin(9, 1) = 6; // no subject at position 9
    QCOMPARE(NaishinCellText(-2), QString());
    QCOMPARE(NaishinCellText(0), QString());
    QCOMPARE(NaishinCellText(25), QStringLiteral("25"));

    QList<QStringList> cells(3, QStringList(10));
    for (int i = 1; i <= 2; ++i)
        for (int j = 1; j <= 9; ++j)
            cells[i][j] = NaishinCellText(gd.naishin(j, i));
    auto cellFn = [&cells](int i, int j) { return cells[i][j]; };
    QVERIFY(ConvertCellsToNaishin(gd, cellFn));
    QCOMPARE(gd.naishin(1, 1), -2);
    QCOMPARE(gd.naishin(2, 1), 25);

    cells[1][3] = QString(); // emptied: 0
    cells[1][4] = QStringLiteral("10");
    cells[1][9] = QStringLiteral("3"); // never saved
    cells[2][1] = QStringLiteral("7");
    QVERIFY(ConvertCellsToNaishin(gd, cellFn));
    QCOMPARE(gd.naishin(3, 1), 0);
    QCOMPARE(gd.naishin(4, 1), 10);
    QCOMPARE(gd.naishin(9, 1), 6);
    QCOMPARE(gd.naishin(2, 1), 25);
    QCOMPARE(gd.naishin(1, 2), 7);

    // A cell no key or paste could give is refused and changes nothing.
    cells[2][2] = QStringLiteral("12");
    cells[2][1] = QStringLiteral("9");
    QVERIFY(!ConvertCellsToNaishin(gd, cellFn));
    QCOMPARE(gd.naishin(1, 2), 7);
}

void TestEntryLogic::careerKeysAndLeavingACell()
{
    CareerEnv env(16);
    GradeData& gd = env.gd;
    CellKeyOutcome out = ApplyCareerKey(QStringLiteral("高5"), true, '3');
    QCOMPARE(out.text, QStringLiteral("3"));
    QVERIFY(!out.untouched);
    out = ApplyCareerKey(out.text, out.untouched, '1');
    QCOMPARE(out.text, QStringLiteral("31"));
    out = ApplyCareerKey(out.text, out.untouched, 8);
    QCOMPARE(out.text, QStringLiteral("3"));
    QCOMPARE(ApplyCareerKey(QStringLiteral("高5"), true, 32).text, QStringLiteral(" "));
    QCOMPARE(ApplyCareerKey(QStringLiteral("高5"), true, '-').action, CellKey::Ignored);
    QCOMPARE(ApplyCareerKey(QStringLiteral("高5"), true, 22).action, CellKey::Ignored);
    QCOMPARE(ApplyCareerKey(QStringLiteral("高5"), true, 3).action, CellKey::Copy);
    QCOMPARE(ApplyCareerKey(QStringLiteral("高5"), true, 13).action, CellKey::Enter);

    CareerLeave leave = LeaveCareerCell(gd, QStringLiteral("3"));
    QCOMPARE(leave.action, CareerLeave::Store);
    QCOMPARE(leave.value, 3);
    QCOMPARE(leave.text, QStringLiteral("高3"));
    leave = LeaveCareerCell(gd, QStringLiteral("16"));
    QCOMPARE(leave.text, QStringLiteral("その他"));
    for (const char* cleared : {"0", " ", "00"}) {
        leave = LeaveCareerCell(gd, QString::fromLatin1(cleared));
        QCOMPARE(leave.action, CareerLeave::Store);
        QCOMPARE(leave.value, 0);
        QCOMPARE(leave.text, QString());
    }
    QCOMPARE(LeaveCareerCell(gd, QStringLiteral("17")).action, CareerLeave::Refused);
    QCOMPARE(LeaveCareerCell(gd, QStringLiteral("99999999999999")).action, CareerLeave::Refused);
    QCOMPARE(LeaveCareerCell(gd, QString()).action, CareerLeave::Nothing);
    // A stored number beyond a shortened list shows nothing.
    QCOMPARE(CareerCellText(gd, 40), QString());
    QCOMPARE(CareerCellText(gd, 0), QString());
    QCOMPARE(CareerCellText(gd, -1), QString());
    QCOMPARE(CareerHeaders().size(), 4);
}

void TestEntryLogic::schoolListPlacesEntriesDownTheColumns()
{
    CareerEnv env(16);
    QCOMPARE(SchoolListEntry(0, 1), 11); // the top of the second column
    QCOMPARE(SchoolListEntry(9, 0), 10);
    QCOMPARE(SchoolListText(env.gd, 11), QStringLiteral(" 11 高11"));
    QCOMPARE(SchoolListText(env.gd, 3), QStringLiteral("  3 高3"));
    QCOMPARE(SchoolListText(env.gd, 17), QStringLiteral("  0 なし"));
    QCOMPARE(SchoolListText(env.gd, 18), QString());
    QCOMPARE(SchoolListColumns(16), 10);
    QCOMPARE(SchoolListColumns(99), 10);

    // A hundred schools need 101 cells: an eleventh column, "なし" at its top.
    CareerEnv full(100);
    QCOMPARE(SchoolListColumns(100), 11);
    QCOMPARE(SchoolListEntry(0, 10), 101);
    QCOMPARE(SchoolListText(full.gd, 101), QStringLiteral("  0 なし"));
    QCOMPARE(SchoolListText(full.gd, 100), QStringLiteral("100 その他"));
}

void TestEntryLogic::fixedColumns()
{
    GradeData gd;
    gd.studentCount = 2;
    gd.studentClass[1] = 2;
    gd.studentNumber[1] = 5;
    gd.studentName[1] = QStringLiteral("山田太郎");
    gd.studentSex[1] = 2;
    gd.studentSex[2] = 0;
    gd.studentClass[2] = 1;
    gd.studentNumber[2] = 12;
    QCOMPARE(FixedColumnHeaders(), (QStringList{"組", "番", "氏   名", ""}));
    QCOMPARE(FixedColumnTexts(gd, 1, NumberStyle::TwoWide), (QStringList{"2", " 5", "山田太郎", "女"}));
    QCOMPARE(FixedColumnTexts(gd, 1, NumberStyle::AsRead).at(1), QStringLiteral("5"));
    QCOMPARE(FixedColumnTexts(gd, 2, NumberStyle::TwoWide).at(3), QString());
    QCOMPARE(FixedColumnTexts(gd, 2, NumberStyle::TwoWide).at(1), QStringLiteral("12"));
}

void TestEntryLogic::importedScoresAndPointsFollowOneRule_data()
{
    // The field, the score cell it becomes and the 内申点 cell it becomes ("×" refused).
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("naishin");
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("blanks") << " \t\u3000"
                            << ""
                            << "";
    QTest::newRow("plain") << "85"
                           << "85"
                           << "×";
    QTest::newRow("point") << "7"
                           << "7"
                           << "7";
    QTest::newRow("ten") << "10"
                         << "10"
                         << "10";
    QTest::newRow("zero") << "0"
                          << "0"
                          << "0";
    QTest::newRow("leading zeros") << "007"
                                   << "7"
                                   << "7";
    QTest::newRow("blanks around") << " 7\u3000"
                                   << "7"
                                   << "7";
    QTest::newRow("full-width") << "８５"
                                << "85"
                                << "×";
    QTest::newRow("full-width point") << "１０"
                                      << "10"
                                      << "10";
    QTest::newRow("absent") << "欠"
                            << "-"
                            << "×";
    QTest::newRow("absent long") << "欠席"
                                 << "-"
                                 << "×";
    QTest::newRow("minus") << "-"
                           << "-"
                           << "×";
    QTest::newRow("bracketed") << "-45"
                               << "-45"
                               << "×";
    QTest::newRow("bracketed full-width") << "－４５"
                                          << "-45"
                                          << "×";
    QTest::newRow("bracketed zero") << "-0"
                                    << "-0"
                                    << "×";
    QTest::newRow("largest") << "32767"
                             << "32767"
                             << "×";
    QTest::newRow("beyond the slot") << "32768"
                                     << "×"
                                     << "×";
    QTest::newRow("bracketed beyond") << "-32759"
                                      << "×"
                                      << "×";
    QTest::newRow("eleven") << "11"
                            << "11"
                            << "×";
    QTest::newRow("fraction") << "7/10"
                              << "×"
                              << "×";
    QTest::newRow("exponent") << "1e2"
                              << "×"
                              << "×";
    QTest::newRow("range") << "12-3"
                           << "×"
                           << "×";
    QTest::newRow("comma") << "1,5"
                           << "×"
                           << "×";
    QTest::newRow("grade letter") << "A+"
                                  << "×"
                                  << "×";
    QTest::newRow("decimal") << "45.5"
                             << "×"
                             << "×";
    QTest::newRow("full-width decimal") << "4５．5"
                                        << "×"
                                        << "×";
    QTest::newRow("unit") << "85点"
                          << "×"
                          << "×";
    QTest::newRow("plus") << "+5"
                          << "×"
                          << "×";
    QTest::newRow("double minus") << "--5"
                                  << "×"
                                  << "×";
    QTest::newRow("blank inside") << "8 5"
                                  << "×"
                                  << "×";
    QTest::newRow("circled") << "①"
                             << "×"
                             << "×";
    QTest::newRow("absent twice") << "欠欠"
                                  << "×"
                                  << "×";
    QTest::newRow("long digits") << "0000007"
                                 << "×"
                                 << "×";
}

void TestEntryLogic::importedScoresAndPointsFollowOneRule()
{
    QFETCH(QString, field);
    QFETCH(QString, score);
    QFETCH(QString, naishin);
    QString why;
    const std::optional<QString> s = ImportedScoreText(field, why);
    QCOMPARE(s.value_or(QStringLiteral("×")), score);
    QCOMPARE(why.isEmpty(), s.has_value());
    // What the cell holds is a value its slot can store.
    if (s) QVERIFY(ScoreCellValue(*s).has_value());
    why.clear();
    const std::optional<QString> n = ImportedNaishinText(field, why);
    QCOMPARE(n.value_or(QStringLiteral("×")), naishin);
    QCOMPARE(why.isEmpty(), n.has_value());

    // Every text a score cell shows reads back as itself.
    for (int v : {0, 1, 100, 32767, -1, -5, -10, -55, -32768}) {
        const QString shown = ScoreToCellText(v);
        QCOMPARE(ImportedScoreText(shown, why).value_or(QStringLiteral("×")), shown);
        QCOMPARE(ScoreCellValue(shown), std::optional<int>(v));
    }
    for (int v = 0; v <= 10; ++v)
        QCOMPARE(ImportedNaishinText(NaishinCellText(v), why).value_or(QStringLiteral("×")).toInt(), v);
}

void TestEntryLogic::importedCareerChoices()
{
    CareerEnv env(6); // 高1 .. 高5, その他
    GradeData& gd = env.gd;
    gd.highSchoolShortNames[2] = QStringLiteral("2工");
    gd.highSchoolShortNames[3] = QStringLiteral("東山3 ");
    gd.highSchoolShortNames[4] = QStringLiteral("青嵐");
    gd.highSchoolShortNames[5] = QStringLiteral("青嵐");
    const auto choice = [&gd](const QString& field) {
        QString why;
        const std::optional<int> v = ImportedCareerChoice(gd, field, why);
        if (v.has_value() == why.isEmpty()) qWarning("reason and value disagree");
        return v.value_or(-1);
    };
    // Short names as the cells show them, blanks trimmed, digits inside them no list number.
    QCOMPARE(choice(QStringLiteral("2工")), 2);
    QCOMPARE(choice(QStringLiteral(" 東山3")), 3);
    QCOMPARE(choice(QStringLiteral("その他")), 6);
    QCOMPARE(choice(QStringLiteral("高1")), 1);
    // Numbers, ASCII or full-width; empty and なし are no choice.
    QCOMPARE(choice(QStringLiteral("3")), 3);
    QCOMPARE(choice(QStringLiteral("６")), 6);
    QCOMPARE(choice(QStringLiteral("0")), 0);
    QCOMPARE(choice(QString()), 0);
    QCOMPARE(choice(QStringLiteral("\u3000")), 0);
    QCOMPARE(choice(QStringLiteral("なし")), 0);
    // Refused: a shared name, a number beyond the list, any other text.
    for (const char* refused : {"青嵐", "7", "99999999999", "-1", "2番目の高校", "高", "2工業", "3.0", "1,2"})
        QVERIFY2(choice(QString::fromUtf8(refused)) == -1, refused);
    // A short name that is another school's number cannot be told apart.
    gd.highSchoolShortNames[1] = QStringLiteral("4");
    QCOMPARE(choice(QStringLiteral("4")), -1);
    QString why;
    QVERIFY(!ImportedCareerChoice(gd, QStringLiteral("青嵐"), why));
    QVERIFY2(why.contains(QStringLiteral("4、5")), qPrintable(why));
    // Every text the choice cells show reads back as its school, except a shared name.
    for (int k : {0, 2, 3, 6})
        QCOMPARE(choice(CareerCellText(gd, k)), k);
}

void TestEntryLogic::naishinPositionsWithoutASubjectAreLocked()
{
    // Five subjects in the default naishin order: positions 5..8 would be subjects 6..9, which
    // do not exist; position 9 is subject 5.
    test::GradeFixture fx(1, 1);
    fx.writeStandard({});
    QString text = QStringLiteral(" 5 \r\n");
    for (const char* name : {"国語", "社会", "数学", "理科", "英語"})
        text += QStringLiteral("\"%1\", 0 , 1 \r\n").arg(QString::fromUtf8(name));
    test::WriteFileBytes(SubjectListPath(fx.gd()), Cp932::encode(text));
    QVERIFY(fx.loadLists());
    GradeData& gd = fx.gd();
    QCOMPARE(NaishinHeaders(gd), (QStringList{"国語", "社会", "数学", "理科", "", "", "", "", "英語"}));
    for (int j = 1; j <= 9; ++j)
        QCOMPARE(NaishinPositionUsed(gd, j), j <= 4 || j == 9);

    // Whatever the record slots behind them hold is not shown and never saved.
    gd.studentCount = 1;
    gd.naishin(6, 1) = 7;
    gd.naishin(9, 1) = 3;
    QCOMPARE(NaishinPositionText(gd, 6, 1), QString());
    QCOMPARE(NaishinPositionText(gd, 9, 1), QStringLiteral("3"));
    QVERIFY(ConvertCellsToNaishin(gd, [](int, int j) { return j == 6 ? QStringLiteral("9") : QString(); }));
    QCOMPARE(gd.naishin(6, 1), 7);
    QCOMPARE(gd.naishin(9, 1), 0);
}

QTEST_GUILESS_MAIN(TestEntryLogic)
#include "tst_entrylogic.moc"
