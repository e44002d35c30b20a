#include "Cp932.h"
#include "GradeData.h"
#include "HighSchoolEditing.h"
#include "ListFiles.h"
#include "Notice.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "SubjectEditing.h"
#include "TestEditing.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QtTest>
#include <memory>

using namespace seiran;
using namespace seiran::test;

namespace {

QByteArray sjis(const char* utf8)
{
    return Cp932::encode(QString::fromUtf8(utf8));
}

std::unique_ptr<GradeData> gradeIn(const QString& folder, int grade = 1)
{
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = folder;
    gd->currentGrade = grade;
    return gd;
}

// A school list of `n` schools "S1".."Sn" loaded as the editor loads it.
HighSchoolEditorTable schools(int n)
{
    auto gd = std::make_unique<GradeData>();
    for (int i = 1; i <= n; ++i) {
        gd->highSchoolShortNames[i] = QStringLiteral("S%1").arg(i);
        gd->highSchoolNames[i] = QStringLiteral("第%1高校").arg(i);
    }
    gd->highSchoolCount = n + 1; // with "その他"
    HighSchoolEditorTable t;
    t.loadFrom(*gd);
    return t;
}

QStringList shortNames(const HighSchoolEditorTable& t)
{
    QStringList out;
    for (int r = 1; r <= t.schoolCount(); ++r)
        out.append(t.cellText(r, HighSchoolEditorTable::ColShortName));
    return out;
}

QList<int> origins(const HighSchoolEditorTable& t)
{
    QList<int> out;
    for (int r = 1; r <= t.schoolCount(); ++r)
        out.append(t.row(r).origin);
    return out;
}

StudentRecord withChoices(int flag, QList<int> choices)
{
    StudentRecord r = StudentRecord::blank();
    r.setFlag(flag);
    r.setName(QStringLiteral("生徒"));
    for (int k = 1; k <= choices.size(); ++k)
        r.setChoice(k, choices.at(k - 1));
    return r;
}

void writeRoster(const QString& path, const QList<StudentRecord>& records)
{
    QByteArray bytes;
    for (const StudentRecord& r : records)
        bytes.append(reinterpret_cast<const char*>(r.bytes().data()), StudentRecord::Size);
    WriteFileBytes(path, bytes);
}

StudentRecord recordOf(const QByteArray& bytes, int r)
{
    StudentRecord rec;
    std::memcpy(rec.bytes().data(), bytes.constData() + (r - 1) * 512, 512);
    return rec;
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT

private slots:
    void subjectKeys();
    void subjectSaveBytesAndNaishinOrder();
    void testNamesTrimmedAndArrows();
    void schoolRowsGrowAndShrink();
    void schoolPasteIsClipped();
    void schoolSaveBytes();
    void choiceRemapOverThreeGrades();
};

void TestEditing::subjectKeys()
{
    auto gd = std::make_unique<GradeData>();
    gd->subjectCount = 2;
    gd->subjectNames[1] = QStringLiteral("国語");
    gd->subjectNames[2] = QStringLiteral("保体");
    gd->subjectKind[2] = 2;
    gd->subjectGroup[2] = QStringLiteral("13");
    gd->naishinWeight[1] = 1;
    gd->naishinWeight[2] = 1.5;
    for (int j = 1; j <= 9; ++j)
        gd->naishinSlot[j] = StandardNaishinSlot(j);
    SubjectEditorTable t;
    t.loadFrom(*gd);
    using T = SubjectEditorTable;
    QCOMPARE(t.cellText(2, T::ColKind), QStringLiteral("グループ別"));
    QCOMPARE(t.cellText(2, T::ColWeight), QStringLiteral("1.5"));
    QVERIFY(!t.hasOwnNaishinOrder());

    // Three blanks bring a plain subject back to plain, shown as an empty cell.
    for (const QString expected : {"男女別", "グループ別", ""}) {
        QVERIFY(t.typeKey(1, T::ColKind, ' '));
        QCOMPARE(t.cellText(1, T::ColKind), expected);
    }
    QVERIFY(t.typeKey(1, T::ColKind, '1'));
    QVERIFY(!t.typeKey(1, T::ColKind, '3'));
    QCOMPARE(t.row(1).kind, 1);
    // Each digit of the multiplier replaces it; 0 is ignored.
    t.typeKey(1, T::ColWeight, '2');
    t.typeKey(1, T::ColWeight, '3');
    QVERIFY(!t.typeKey(1, T::ColWeight, '0'));
    QCOMPARE(t.cellText(1, T::ColWeight), QStringLiteral("3"));
    // Group digits: "1", "2", Backspace, "5" give "15"; "0" is ignored; a blank empties.
    for (QChar key : {QChar('1'), QChar('2'), QChar(8), QChar('5'), QChar('0')})
        t.typeKey(1, T::ColGroup, key);
    QCOMPARE(t.cellText(1, T::ColGroup), QStringLiteral("15"));
    QVERIFY(!t.typeKey(1, T::ColName, 'x'));
    t.typeKey(2, T::ColGroup, ' ');
    QCOMPARE(t.cellText(2, T::ColGroup), QString());
    QVERIFY(!t.typeKey(2, T::ColGroup, QChar(8)));
}

void TestEditing::subjectSaveBytesAndNaishinOrder()
{
    QTemporaryDir dir;
    auto gd = gradeIn(dir.path() + QLatin1Char('/'), 2);
    // The naishin-order layout with an order of its own.
    WriteFileBytes(SubjectListPath(*gd),
                   sjis("-1\r\n3\r\n3,1,2\r\n\"国語\",0,1\r\n\"数学\",2,2,\"12\"\r\n\"英語\",1,1\r\n"));
    QVERIFY(LoadSubjectList(*gd).ok);
    SubjectEditorTable t;
    t.loadFrom(*gd);
    QVERIFY(t.hasOwnNaishinOrder());
    t.typeKey(3, SubjectEditorTable::ColGroup, '4'); // kind 1 keeps the group but does not write it
    t.typeKey(2, SubjectEditorTable::ColWeight, '3');
    QVERIFY(t.checkStorable().ok);
    auto saved = gradeIn(gd->dataFolder, 2);
    t.storeInto(*saved);
    QVERIFY(SaveSubjectList(*saved).ok);
    QCOMPARE(ReadFileBytes(dir.filePath("kyoka02.seq")),
             sjis(" 3 \r\n\"国語\", 0 , 1 \r\n\"数学\", 2 , 3 ,\"12\"\r\n\"英語\", 1 , 1 \r\n"));
    QCOMPARE(saved->subjectGroup[3], QStringLiteral("4")); // kept in memory
    // The next load gives the standard order.
    QVERIFY(LoadSubjectList(*saved).ok);
    for (int j = 1; j <= 9; ++j)
        QCOMPARE(saved->naishinSlot[j], StandardNaishinSlot(j));
    SubjectEditorTable again;
    again.loadFrom(*saved);
    QVERIFY(!again.hasOwnNaishinOrder());
}

void TestEditing::testNamesTrimmedAndArrows()
{
    QTemporaryDir dir;
    auto gd = gradeIn(dir.path() + QLatin1Char('/'));
    gd->testCount = 2;
    gd->testNames[1] = QStringLiteral("中間");
    gd->testShortNames[1] = QStringLiteral("中");
    gd->testSubjectCount[1] = 5;
    gd->testNames[2] = QStringLiteral("期末");
    gd->testShortNames[2] = QStringLiteral("期");
    gd->testSubjectCount[2] = 9;
    TestEditorTable t;
    t.loadFrom(*gd);
    QCOMPARE(t.totalSubjects(), 14);
    QVERIFY(!TestEditorTable::Editable(TestEditorTable::ColSubjects));
    QVERIFY(!TestEditorTable::Editable(TestEditorTable::ColNumber));
    t.setCellText(1, TestEditorTable::ColName, QStringLiteral("  1学期中間　 "));
    t.setCellText(2, TestEditorTable::ColShortName, QStringLiteral(" 期末 "));
    t.setCellText(2, TestEditorTable::ColSubjects, QStringLiteral("3")); // not editable
    QCOMPARE(t.cellText(2, TestEditorTable::ColSubjects), QStringLiteral("9"));
    QVERIFY(t.checkStorable().ok);
    t.storeInto(*gd);
    QVERIFY(SaveTestList(*gd).ok);
    QCOMPARE(ReadFileBytes(TestListPath(*gd)), sjis(" 2 \r\n\"1学期中間\",\"中\", 5 \r\n\"期末\",\"期末\", 9 \r\n"));
    t.setCellText(1, TestEditorTable::ColName, QStringLiteral("中間\U0001F600"));
    const Result bad = t.checkStorable();
    QVERIFY(!bad.ok);
    QVERIFY2(bad.message.startsWith(QStringLiteral("1 行目")), qPrintable(bad.message));

    // The edit box's arrows: up does nothing on rows 1 and 2, down nothing on the last row.
    QCOMPARE(EditBoxArrowTarget(2, true, 5), 0);
    QCOMPARE(EditBoxArrowTarget(1, true, 5), 0);
    QCOMPARE(EditBoxArrowTarget(3, true, 5), 2);
    QCOMPARE(EditBoxArrowTarget(4, false, 5), 5);
    QCOMPARE(EditBoxArrowTarget(5, false, 5), 0);
}

void TestEditing::schoolRowsGrowAndShrink()
{
    HighSchoolEditorTable t = schools(5);
    using T = HighSchoolEditorTable;
    QCOMPARE(t.schoolCount(), 5);
    QCOMPARE(t.appendRow(), 6);
    QCOMPARE(t.cellText(6, 0), QString()); // the append row has no number

    // Typing into the append row makes it school 6 and a new append row follows.
    QVERIFY(t.setText(6, T::ColName, QStringLiteral("新設")));
    QCOMPARE(t.schoolCount(), 6);
    QCOMPARE(t.cellText(6, 0), QStringLiteral("6"));
    QCOMPARE(t.row(6).origin, 0);
    QVERIFY(t.deleteRow(6));

    // Inserting above school 3 of 5 shifts 3..5 down and leaves row 3 empty.
    QVERIFY(t.insertRow(3));
    QCOMPARE(shortNames(t), (QStringList{"S1", "S2", "", "S3", "S4", "S5"}));
    QCOMPARE(origins(t), (QList<int>{1, 2, 0, 3, 4, 5}));
    QVERIFY(!t.insertRow(t.appendRow()));
    // Deleting row 2 moves the rest up.
    QVERIFY(t.deleteRow(2));
    QCOMPARE(shortNames(t), (QStringList{"S1", "", "S3", "S4", "S5"}));
    QVERIFY(!t.deleteRow(t.appendRow()));

    // Digits go into multiplier cells of school rows only; Delete empties data cells.
    QVERIFY(t.typeDigit(1, T::FirstWeightCol, '7'));
    QVERIFY(!t.typeDigit(1, T::ColName, '7'));
    QVERIFY(!t.typeDigit(t.appendRow(), T::FirstWeightCol, '7'));
    QVERIFY(!t.typeDigit(1, T::FirstWeightCol, 'x'));
    QCOMPARE(t.cellText(1, T::FirstWeightCol), QStringLiteral("7"));
    t.clearRange(1, 0, 1, T::FirstWeightCol);
    QCOMPARE(t.cellText(1, 0), QStringLiteral("1"));
    QCOMPARE(t.cellText(1, T::ColShortName), QString());
    QCOMPARE(t.cellText(1, T::FirstWeightCol), QString());

    // Empty rows at the bottom are dropped; an empty row in the middle stays.
    t.setText(t.appendRow(), T::ColShortName, QString());
    t.setText(t.appendRow(), T::ColCourse, QStringLiteral(" "));
    QCOMPARE(t.schoolCount(), 7);
    t.dropEmptyRowsAtEnd();
    QCOMPARE(shortNames(t), (QStringList{"", "", "S3", "S4", "S5"}));
    HighSchoolEditorTable empty = schools(2);
    empty.clearRange(1, 1, 2, 12);
    empty.dropEmptyRowsAtEnd();
    QCOMPARE(empty.schoolCount(), 0);

    // At most 99 schools: the append row and insertion refuse a hundredth.
    HighSchoolEditorTable full = schools(99);
    QVERIFY(full.full());
    QVERIFY(!full.setText(100, T::ColName, QStringLiteral("百")));
    QVERIFY(!full.insertRow(1));
    QCOMPARE(full.schoolCount(), 99);
}

void TestEditing::schoolPasteIsClipped()
{
    using T = HighSchoolEditorTable;
    HighSchoolEditorTable t = schools(3);
    t.setText(1, T::ColName, QStringLiteral("a"));
    const QString block = t.copyText(1, 10, 2, 12);
    QCOMPARE(block, QStringLiteral("\t\t\r\n\t\t\r\n"));
    // A 2 x 3 block pasted at one cell fills from it, clipped at column 12 and the append row.
    const QString clip = QStringLiteral("1\t2\t3\r\n4\t5\t6\r\n");
    QCOMPARE(t.paste(3, 11, 3, 11, clip), 0);
    QCOMPARE(t.cellText(3, 11), QStringLiteral("1"));
    QCOMPARE(t.cellText(3, 12), QStringLiteral("2"));
    QCOMPARE(t.schoolCount(), 3); // never adds rows
    // Inside a selection only; multiplier cells take only one digit.
    QCOMPARE(t.paste(1, 4, 2, 5, QStringLiteral("9\t10\r\nx\t８\r\n7\t7\r\n")), 2);
    QCOMPARE(t.cellText(1, 4), QStringLiteral("9"));
    QCOMPARE(t.cellText(1, 5), QString());
    QCOMPARE(t.cellText(2, 5), QStringLiteral("8"));
    QCOMPARE(t.cellText(3, 4), QString());
    // Text cells take the trimmed values; nothing is pasted from the append row.
    QCOMPARE(t.paste(2, 1, 2, 1, QStringLiteral(" X \t Xの高校 \r\n")), 0);
    QCOMPARE(t.cellText(2, 1), QStringLiteral("X"));
    QCOMPARE(t.cellText(2, 2), QStringLiteral("Xの高校"));
    t.paste(4, 1, 4, 1, QStringLiteral("Y\r\n"));
    QCOMPARE(t.schoolCount(), 3);
}

void TestEditing::schoolSaveBytes()
{
    QTemporaryDir dir;
    auto gd = gradeIn(dir.path() + QLatin1Char('/'));
    gd->subjectCount = 9;
    for (int j = 1; j <= 9; ++j)
        gd->naishinWeight[j] = 2;
    WriteFileBytes(dir.filePath("hischool.txt"),
                   sjis(" 3 \r\n\"A\",\"A高校\",\"普通\", 0 \r\n\"B\",\"B高校\",\"理数\", 9 , 1 , 2 , 3 , 4 , 5 , 6 , "
                        "7 , 8 , 9 \r\n"
                        "\"C\",\"C高校\",\"\", 9 , 0 , 0 , 0 , 0 , 0 , 0 , 0 , 0 , 0 \r\n"));
    RecordingNotice notice;
    QVERIFY(LoadHighSchoolList(*gd, StdFilesFolder(), notice).ok);
    HighSchoolEditorTable t;
    t.loadFrom(*gd);
    // A school without weights of its own shows none, though the subject list gives it 2s.
    QCOMPARE(t.cellText(1, HighSchoolEditorTable::FirstWeightCol), QString());
    QCOMPARE(t.cellText(2, HighSchoolEditorTable::FirstWeightCol + 8), QStringLiteral("9"));
    QCOMPARE(t.cellText(3, HighSchoolEditorTable::FirstWeightCol), QString()); // nine zeros
    t.typeDigit(2, HighSchoolEditorTable::FirstWeightCol, '0');
    t.setText(t.appendRow(), HighSchoolEditorTable::ColShortName, QString()); // dropped again
    t.dropEmptyRowsAtEnd();
    auto saved = gradeIn(gd->dataFolder);
    t.storeInto(*saved);
    bool inDataFolder = false;
    QVERIFY(SaveSchoolList(*saved, StdFilesFolder(), notice, inDataFolder).ok);
    QVERIFY(inDataFolder);
    QVERIFY(notice.texts.isEmpty());
    QCOMPARE(ReadFileBytes(dir.filePath("hischool.txt")),
             sjis(" 3 \r\n\"A\",\"A高校\",\"普通\", 0 \r\n\"B\",\"B高校\",\"理数\", 9 , 0 , 2 , 3 , 4 , 5 , 6 , 7 , 8 "
                  ", 9 \r\n"
                  "\"C\",\"C高校\",\"\", 0 \r\n"));
    QCOMPARE(ReadFileBytes(dir.filePath("hischool.seq")),
             sjis(" 3 \r\n\"A\",\"A高校\",\"普通\",0\r\n\"B\",\"B高校\",\"理数\",0\r\n\"C\",\"C高校\",\"\",0\r\n"));
}

void TestEditing::choiceRemapOverThreeGrades()
{
    // Four schools; "その他" is 5. School 2 is deleted and a new one is inserted at the top.
    HighSchoolEditorTable t = schools(4);
    QVERIFY(t.deleteRow(2));
    QVERIFY(t.insertRow(1));
    t.setText(1, HighSchoolEditorTable::ColShortName, QStringLiteral("N"));
    QCOMPARE(origins(t), (QList<int>{0, 1, 3, 4}));
    ChoiceRemap remap = ChoiceRemap::FromTable(t);
    QVERIFY(remap.movesAny());
    QCOMPARE((QList<int>{remap.map(0), remap.map(1), remap.map(2), remap.map(3), remap.map(4), remap.map(5),
                         remap.map(6), remap.map(-3)}),
             (QList<int>{0, 2, 0, 3, 4, 5, 6, -3}));
    QVERIFY(!ChoiceRemap::FromTable(schools(4)).movesAny());

    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QString g1 = folder + RosterFile::fileName(1);
    const QString g2 = folder + RosterFile::fileName(2);
    const QString g3 = folder + RosterFile::fileName(3);
    writeRoster(g1, {withChoices(1, {1, 2, 5, 6}), withChoices(0, {1}), withChoices(2, {4, 3}), withChoices(96, {1}),
                     withChoices(1, {0, 0, 0, 0})});
    writeRoster(g2, {withChoices(1, {3, 4}), withChoices(1, {0})}); // 3 and 4 keep their numbers
    writeRoster(g3, {withChoices(2, {2})});
    WriteFileBytes(g3 + ".bak", "an older backup");
    const QByteArray before1 = ReadFileBytes(g1);
    const QByteArray before2 = ReadFileBytes(g2);
    const QByteArray before3 = ReadFileBytes(g3);

    QStringList rosters;
    QVERIFY(RostersWithMovedChoices(folder, remap, rosters).ok);
    QCOMPARE(rosters, (QStringList{g1, g3}));
    const ChoiceRewrite done = RewriteChoices(folder, remap);
    QVERIFY2(done.result.ok, qPrintable(done.result.message));
    QCOMPARE(done.rewritten, (QStringList{g1, g3}));
    QCOMPARE(done.backups, (QStringList{g1 + ".bak", g3 + ".bak2"}));
    QCOMPARE(done.records, 2);
    QCOMPARE(ReadFileBytes(g1 + ".bak"), before1);
    QCOMPARE(ReadFileBytes(g3 + ".bak"), QByteArray("an older backup"));
    QCOMPARE(ReadFileBytes(g3 + ".bak2"), before3);
    QCOMPARE(ReadFileBytes(g2), before2);
    QVERIFY(!QFileInfo::exists(g2 + ".bak"));

    const QByteArray after1 = ReadFileBytes(g1);
    QCOMPARE(after1.size(), before1.size());
    QCOMPARE(recordOf(after1, 1), withChoices(1, {2, 0, 5, 6})); // その他 stays 5 = 4 + 1; 6 is left alone
    QCOMPARE(recordOf(after1, 2), recordOf(before1, 2));         // free record
    QCOMPARE(recordOf(after1, 3), withChoices(2, {4, 3}));       // unchanged numbers
    QCOMPARE(recordOf(after1, 4), recordOf(before1, 4));         // transfer-in record
    QCOMPARE(recordOf(ReadFileBytes(g3), 1), withChoices(2, {0}));

    // Nothing more to move: a second run finds nothing.
    QVERIFY(RostersWithMovedChoices(folder, ChoiceRemap::FromTable(schools(4)), rosters).ok);
    QVERIFY(rosters.isEmpty());
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
