#include "Cp932.h"
#include "GradeData.h"
#include "Progress.h"
#include "PromotionTable.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace seiran;
using namespace seiran::test;

namespace {

struct Pupil
{
    int classNo;
    int number;
    QString name;
    int sex;
    QString furigana;
    int newClass = 0;
    int newNumber = 0;
    int flag = StudentRecord::InUse;
};

StudentRecord pupilRecord(const Pupil& p)
{
    StudentRecord rec = StudentRecord::blank();
    rec.setFlag(p.flag);
    rec.setName(p.name);
    rec.setSex(p.sex);
    rec.setFurigana(p.furigana);
    rec.setNewClass(p.newClass);
    rec.setNewNumber(p.newNumber);
    rec.setScoreSlot(1, 77);
    return rec;
}

// A grade of `classes` blank class blocks with these pupils, and records after the blocks.
void writeGrade(GradeFixture& f, const QList<Pupil>& pupils, const QList<StudentRecord>& after = {})
{
    f.writeRoster({});
    for (const Pupil& p : pupils)
        f.writeRecord(RosterFile::recordNumber(p.classNo, p.number), pupilRecord(p));
    for (int k = 0; k < after.size(); ++k)
        f.writeRecord(60 * f.gd().classCount + k + 1, after.at(k));
}

StudentRecord transferRecord(const QString& name, int sex, int newClass = 0, int newNumber = 0)
{
    StudentRecord rec = StudentRecord::blank();
    rec.setFlag(StudentRecord::TransferIn);
    rec.setName(name);
    rec.setSex(sex);
    rec.setNewClass(newClass);
    rec.setNewNumber(newNumber);
    return rec;
}

QStringList column(const PromotionTable& t, int col)
{
    QStringList out;
    for (int r = 1; r <= t.rowCount(); ++r)
        out.append(t.cellText(r, col));
    return out;
}

PromotionRow makeRow(const QString& old, const QString& name, const QString& sex, const QString& furigana,
                     const QString& cls = QString(), const QString& num = QString())
{
    return PromotionRow{old, name, sex, furigana, cls, num};
}

} // namespace

class TestPromotion : public QObject
{
    Q_OBJECT

private slots:
    void loadsPupilsThenTransfersIn();
    void newNumberAndClassKeys();
    void transferInOnlyCellsAndTheChangeFlag();
    void textIsCutAtACharacterBoundary();
    void pasteAndClear();
    void sortsByOldAndNewNumber();
    void syllabaryOrderWithEqualAndKanaReadings();
    void syllabaryNumberingBySex();
    void numberingThatCannotFitChangesNothing();
    void saveWritesOnlyChangedRecords();
    void saveRefusesAnOccupiedTransferRecord();
    void nextYearChecks();
    void nextYearRoster();
};

void TestPromotion::loadsPupilsThenTransfersIn()
{
    GradeFixture f(1, 2);
    writeGrade(f,
               {{2, 7, QStringLiteral("佐藤 一郎"), 1, QStringLiteral("さとういちろう"), 3, 12},
                {1, 5, QStringLiteral("鈴木花子"), 2, QStringLiteral(" すずきはなこ ")},
                {1, 6, QStringLiteral("転出 太郎"), 1, QString(), 0, 0, StudentRecord::TransferredOut},
                {1, 60, QStringLiteral("無性"), 0, QString()}},
               {transferRecord(QStringLiteral("転入一"), 2, 1, 4), transferRecord(QStringLiteral("転入二"), 0),
                pupilRecord({1, 1, QStringLiteral("止まる"), 1, QString()}),
                transferRecord(QStringLiteral("読まない"), 1)});
    RecordingProgress progress;
    PromotionTable t;
    QVERIFY(t.load(f.rosterPath(), 2, progress).ok);
    QCOMPARE(column(t, PromotionTable::ColOldNumber), (QStringList{"105", "160", "207", "転入", "転入"}));
    QCOMPARE(column(t, PromotionTable::ColName), (QStringList{"鈴木花子", "無性", "佐藤 一郎", "転入一", "転入二"}));
    QCOMPARE(column(t, PromotionTable::ColSex), (QStringList{"女", "", "男", "女", ""}));
    QCOMPARE(column(t, PromotionTable::ColFurigana), (QStringList{"すずきはなこ", "", "さとういちろう", "", ""}));
    QCOMPARE(column(t, PromotionTable::ColNewClass), (QStringList{"", "", "3", "1", ""}));
    QCOMPARE(column(t, PromotionTable::ColNewNumber), (QStringList{"", "", "12", "4", ""}));
    QCOMPARE(column(t, PromotionTable::ColRow), (QStringList{"1", "2", "3", "4", "5"}));
    QCOMPARE(t.row(3).oldClass(), 2);
    QCOMPARE(t.row(3).oldSeat(), 7);
    QVERIFY(t.transferredOut(106));
    QVERIFY(!t.changed());
    QCOMPARE(progress.statusTexts, (QStringList{"データ読込中", QString()}));
    QVERIFY(!progress.visible);

    // A grade without a roster file has no pupils and nothing is created.
    QTemporaryDir empty;
    PromotionTable none;
    QVERIFY(none.load(empty.filePath("dtfile01.rnd"), 3, progress).ok);
    QCOMPARE(none.rowCount(), 0);
    QVERIFY(!QFile::exists(empty.filePath("dtfile01.rnd")));
}

void TestPromotion::newNumberAndClassKeys()
{
    PromotionTable t;
    t.appendRow(makeRow("101", "甲", "男", "こう"));
    t.appendRow(makeRow("102", "乙", "女", "おつ"));
    t.setChanged(false);
    using E = PromotionTable::KeyEffect;
    bool started = false;
    QCOMPARE(t.typeKey(1, PromotionTable::ColNewNumber, '1', started), E::Edited);
    QCOMPARE(t.typeKey(1, PromotionTable::ColNewNumber, '5', started), E::Edited);
    QCOMPARE(t.cellText(1, PromotionTable::ColNewNumber), QStringLiteral("15"));
    // A digit that would take the number above 60 is refused; the cell keeps 15.
    QCOMPARE(t.typeKey(1, PromotionTable::ColNewNumber, '0', started), E::Refused);
    QCOMPARE(t.cellText(1, PromotionTable::ColNewNumber), QStringLiteral("15"));
    // Entering the cell again: the first digit replaces.
    started = false;
    QCOMPARE(t.typeKey(1, PromotionTable::ColNewNumber, '3', started), E::Edited);
    QCOMPARE(t.cellText(1, PromotionTable::ColNewNumber), QStringLiteral("3"));
    started = false;
    t.typeKey(2, PromotionTable::ColNewNumber, '0', started);
    t.typeKey(2, PromotionTable::ColNewNumber, '6', started);
    QCOMPARE(t.cellText(2, PromotionTable::ColNewNumber), QStringLiteral("6")); // leading zero vanishes
    t.typeKey(2, PromotionTable::ColNewNumber, '0', started);
    QCOMPARE(t.cellText(2, PromotionTable::ColNewNumber), QStringLiteral("60"));

    QCOMPARE(t.typeKey(1, PromotionTable::ColNewClass, '4', started), E::Edited);
    QCOMPARE(t.typeKey(1, PromotionTable::ColNewClass, '7', started), E::Edited);
    QCOMPARE(t.cellText(1, PromotionTable::ColNewClass), QStringLiteral("7"));
    QCOMPARE(t.typeKey(1, PromotionTable::ColNewClass, '0', started), E::None);
    QCOMPARE(t.typeKey(1, PromotionTable::ColNewClass, 'a', started), E::None);
    QCOMPARE(t.cellText(1, PromotionTable::ColNewClass), QStringLiteral("7"));
    QVERIFY(t.changed());
}

void TestPromotion::transferInOnlyCellsAndTheChangeFlag()
{
    PromotionTable t;
    t.appendRow(makeRow("101", "甲", "男", "こう"));
    t.setChanged(false);
    using E = PromotionTable::KeyEffect;
    bool started = false;
    QCOMPARE(t.typeKey(1, PromotionTable::ColName, QChar(13), started), E::NameNotEditable);
    QCOMPARE(t.typeKey(1, PromotionTable::ColSex, ' ', started), E::SexNotEditable);
    QCOMPARE(t.doubleClick(1, PromotionTable::ColSex), E::SexNotEditable);
    QCOMPARE(t.cellText(1, PromotionTable::ColSex), QStringLiteral("男"));
    QCOMPARE(t.enterText(1, PromotionTable::ColName, QStringLiteral("別人")).text, QStringLiteral("別人"));
    QCOMPARE(t.cellText(1, PromotionTable::ColName), QStringLiteral("甲"));
    QVERIFY(!t.changed()); // refusals are no edits

    // "転入" adds a row only when the last row has a name.
    QCOMPARE(t.addTransferIn(), 2);
    QVERIFY(t.changed());
    QCOMPARE(t.cellText(2, PromotionTable::ColOldNumber), QStringLiteral("転入"));
    QCOMPARE(t.addTransferIn(), 0);
    QCOMPARE(t.typeKey(2, PromotionTable::ColName, QChar(13), started), E::OpenEditor);
    t.enterText(2, PromotionTable::ColName, QStringLiteral("  新人  "));
    QCOMPARE(t.cellText(2, PromotionTable::ColName), QStringLiteral("新人"));
    t.setChanged(false);
    QCOMPARE(t.typeKey(2, PromotionTable::ColSex, ' ', started), E::Edited); // empty -> 男
    QCOMPARE(t.cellText(2, PromotionTable::ColSex), QStringLiteral("男"));
    QVERIFY(t.changed());
    t.typeKey(2, PromotionTable::ColSex, ' ', started);
    QCOMPARE(t.cellText(2, PromotionTable::ColSex), QStringLiteral("女"));
    t.typeKey(2, PromotionTable::ColSex, '1', started);
    QCOMPARE(t.cellText(2, PromotionTable::ColSex), QStringLiteral("男"));
    QCOMPARE(t.typeKey(2, PromotionTable::ColSex, '3', started), E::None);
    QCOMPARE(t.addTransferIn(), 3);

    // Opening the reading's edit box counts as an edit; so does any key in the class columns.
    t.setChanged(false);
    QCOMPARE(t.typeKey(1, PromotionTable::ColFurigana, QChar(13), started), E::OpenEditor);
    QVERIFY(t.changed());
    t.setChanged(false);
    QCOMPARE(t.typeKey(1, PromotionTable::ColFurigana, 'x', started), E::None);
    QVERIFY(!t.changed());
    t.typeKey(1, PromotionTable::ColNewNumber, 'x', started);
    QVERIFY(t.changed());
}

void TestPromotion::textIsCutAtACharacterBoundary()
{
    using T = PromotionTable;
    // Eight full-width characters are 16 bytes: seven fit the name's 14.
    T::TextEntry e = T::FitText(QStringLiteral("山田太郎花子次郎"), T::ColName);
    QCOMPARE(e.text, QStringLiteral("山田太郎花子次"));
    QVERIFY(e.cut);
    // A cut never splits a double-byte character: 3 + 10 bytes, the next would make 15.
    e = T::FitText(QStringLiteral("abc山田太郎花子"), T::ColName);
    QCOMPARE(e.text, QStringLiteral("abc山田太郎花"));
    QCOMPARE(Cp932::byteLength(e.text), 13);
    // Half-width kana are one byte each; the reading holds 20.
    e = T::FitText(QStringLiteral("ﾔﾏﾀﾞﾀﾛｳﾔﾏﾀﾞﾀﾛｳﾔﾏﾀﾞﾀﾛｳ"), T::ColFurigana);
    QCOMPARE(e.text, QStringLiteral("ﾔﾏﾀﾞﾀﾛｳﾔﾏﾀﾞﾀﾛｳﾔﾏﾀﾞﾀﾛ"));
    QVERIFY(e.cut);
    e = T::FitText(QStringLiteral(" 山田太郎 "), T::ColName);
    QCOMPARE(e.text, QStringLiteral("山田太郎"));
    QVERIFY(!e.cut);
    e = T::FitText(QStringLiteral("山田\U0001F600"), T::ColName);
    QCOMPARE(e.unstorable, QStringLiteral("\U0001F600"));

    PromotionTable t;
    t.appendRow(makeRow("101", "甲", "男", "こう"));
    t.enterText(1, T::ColFurigana, QStringLiteral("て\U0001F600"));
    QCOMPARE(t.cellText(1, T::ColFurigana), QStringLiteral("こう")); // refused, kept
}

void TestPromotion::pasteAndClear()
{
    PromotionTable t;
    t.appendRow(makeRow("101", "甲", "男", "こう"));
    t.appendRow(makeRow("102", "乙", "女", "おつ"));
    t.appendRow(makeRow("転入", "丙", "", ""));
    t.setChanged(false);
    using T = PromotionTable;
    // A block pasted at one cell spreads from it; LF-only lines count as lines.
    T::PasteOutcome out = t.paste({1, T::ColFurigana, 1, T::ColFurigana}, QStringLiteral("かき\t2\t5\nくけ\t３\t61\n"));
    QCOMPARE(column(t, T::ColFurigana), (QStringList{"かき", "くけ", ""}));
    QCOMPARE(column(t, T::ColNewClass), (QStringList{"2", "3", ""}));
    QCOMPARE(column(t, T::ColNewNumber), (QStringList{"5", "", ""}));
    QCOMPARE(out.refused, 1); // 61
    QVERIFY(t.changed());

    // Inside a selection of two cells only; class "0" and "10" are refused.
    out = t.paste({1, T::ColNewClass, 2, T::ColNewClass}, QStringLiteral("0\r\n10\r\n4\r\n"));
    QCOMPARE(out.refused, 2);
    QCOMPARE(column(t, T::ColNewClass), (QStringList{"2", "3", ""}));

    // Names and sexes go into transfer-in rows only; a name is cut to its field.
    out =
        t.paste({1, T::ColName, 1, T::ColName}, QStringLiteral("乱入\t女\r\n乱入\t男\r\n長い長い名前の転入生\t女\r\n"));
    QCOMPARE(column(t, T::ColName), (QStringList{"甲", "乙", "長い長い名前の"}));
    QCOMPARE(column(t, T::ColSex), (QStringList{"男", "女", "女"}));
    QCOMPARE(out.cut, 1);
    // A final piece without a line end is not pasted.
    t.paste({3, T::ColNewNumber, 3, T::ColNewNumber}, QStringLiteral("9"));
    QCOMPARE(t.cellText(3, T::ColNewNumber), QString());

    // "消去" empties readings, classes and numbers, never names.
    t.clear({1, T::ColName, 2, T::ColNewNumber});
    QCOMPARE(column(t, T::ColName), (QStringList{"甲", "乙", "長い長い名前の"}));
    QCOMPARE(column(t, T::ColFurigana), (QStringList{"", "", ""}));
    QCOMPARE(column(t, T::ColNewClass), (QStringList{"", "", ""}));
    QCOMPARE(t.copyText({1, T::ColOldNumber, 2, T::ColSex}), QStringLiteral("101\t甲\t男\r\n102\t乙\t女\r\n"));
}

void TestPromotion::sortsByOldAndNewNumber()
{
    PromotionTable t;
    t.appendRow(makeRow("転入", "丁", "男", "", "1", "2"));
    t.appendRow(makeRow("207", "甲", "男", "", "2", "1"));
    t.appendRow(makeRow("103", "乙", "女", "", "1", "3"));
    t.appendRow(makeRow("101", "丙", "女", "", "1", "3"));
    t.appendRow(makeRow("102", "戊", "女", "", "", ""));
    PromotionTable::SortOutcome out = t.sort(PromotionSort::NewNumber);
    // Equal keys end where the exchange sort puts them: 丙 before 乙.
    QCOMPARE(column(t, PromotionTable::ColName), (QStringList{"戊", "丁", "丙", "乙", "甲"}));
    QCOMPARE(out.duplicateRow, 3);
    QCOMPARE(out.duplicateMessage, QStringLiteral("No.3 丙 のクラスと番号が重複しています"));
    QVERIFY(t.changed());

    out = t.sort(PromotionSort::OldNumber);
    QCOMPARE(column(t, PromotionTable::ColOldNumber), (QStringList{"101", "102", "103", "207", "転入"}));
    QCOMPARE(out.duplicateRow, 0);

    // Two pupils of one class without a number share nothing.
    PromotionTable u;
    u.appendRow(makeRow("101", "甲", "男", "", "1", ""));
    u.appendRow(makeRow("102", "乙", "男", "", "1", ""));
    QCOMPARE(u.sort(PromotionSort::NewNumber).duplicateRow, 0);
}

void TestPromotion::syllabaryOrderWithEqualAndKanaReadings()
{
    QCOMPARE(PromotionTable::ReadingKey(QStringLiteral(" サトウ ")), QStringLiteral("さとう"));
    QCOMPARE(PromotionTable::ReadingKey(QStringLiteral("ｻﾄｳ")), QStringLiteral("さとう"));
    QCOMPARE(PromotionTable::ReadingKey(QStringLiteral("ｶﾞｯｺｳ")), QStringLiteral("がっこう"));
    QCOMPARE(PromotionTable::ReadingKey(QStringLiteral("ヴ")), QStringLiteral("ゔ"));

    // Equal keys end where the exchange sort puts them: [B1, B2, A] gives A, B2, B1.
    PromotionTable t;
    t.appendRow(makeRow("101", "一", "男", "さとう", "1"));
    t.appendRow(makeRow("102", "二", "男", "サトウ", "1"));
    t.appendRow(makeRow("103", "三", "男", "ｱｵｷ", "1"));
    QVERIFY(t.sort(PromotionSort::Syllabary).result.ok);
    QCOMPARE(column(t, PromotionTable::ColName), (QStringList{"三", "二", "一"}));
    QCOMPARE(column(t, PromotionTable::ColNewNumber), (QStringList{"1", "2", "3"}));

    // Rows without a class come first and are numbered too.
    PromotionTable u;
    u.appendRow(makeRow("101", "甲", "男", "か", "2", "9"));
    u.appendRow(makeRow("102", "乙", "女", "あ", "", "7"));
    u.appendRow(makeRow("103", "丙", "女", "い", "1", ""));
    u.appendRow(makeRow("104", "丁", "男", "う", "", ""));
    QVERIFY(u.sort(PromotionSort::Syllabary).result.ok);
    QCOMPARE(column(u, PromotionTable::ColName), (QStringList{"乙", "丁", "丙", "甲"}));
    QCOMPARE(column(u, PromotionTable::ColNewNumber), (QStringList{"1", "2", "1", "1"}));
}

void TestPromotion::syllabaryNumberingBySex()
{
    PromotionTable t;
    t.appendRow(makeRow("101", "女一", "女", "あ", "1"));
    t.appendRow(makeRow("102", "男一", "男", "い", "1"));
    t.appendRow(makeRow("103", "女二", "女", "う", "2"));
    t.appendRow(makeRow("104", "男二", "男", "え", "1"));
    t.appendRow(makeRow("105", "女三", "女", "お", "1"));
    t.appendRow(makeRow("転入", "不明", "", "か", "1")); // not "女": counts with the boys
    t.appendRow(makeRow("106", "男三", "男", "き", "2"));
    QVERIFY(t.sort(PromotionSort::Syllabary, true, QStringLiteral("21")).result.ok);
    QCOMPARE(column(t, PromotionTable::ColName), (QStringList{"男一", "男二", "不明", "女一", "女三", "男三", "女二"}));
    QCOMPARE(column(t, PromotionTable::ColNewNumber), (QStringList{"1", "2", "3", "21", "22", "1", "21"}));
    // Full-width digits in the girls' first number are read as digits.
    QVERIFY(t.sort(PromotionSort::Syllabary, true, QStringLiteral("３１")).result.ok);
    QCOMPARE(t.cellText(4, PromotionTable::ColNewNumber), QStringLiteral("31"));
}

void TestPromotion::numberingThatCannotFitChangesNothing()
{
    auto check = [](PromotionTable& t, bool bySex, const QString& first, const QString& expected) {
        const QList<PromotionRow> before = t.rows();
        t.setChanged(false);
        const PromotionTable::SortOutcome out = t.sort(PromotionSort::Syllabary, bySex, first);
        QVERIFY2(!out.result.ok, qPrintable(first));
        QVERIFY2(out.result.message.contains(expected), qPrintable(out.result.message));
        QVERIFY(t.rows() == before);
        QVERIFY(!t.changed());
    };
    PromotionTable big;
    for (int i = 1; i <= 61; ++i)
        big.appendRow(makeRow(QString::number(100 + i), QStringLiteral("生徒%1").arg(i), "男",
                              QStringLiteral("よみ%1").arg(100 - i), "3"));
    check(big, false, QString(), QStringLiteral("新3組"));
    // The same pupils without a class are numbered 1..61: they stay out of next year anyway.
    for (int r = 1; r <= 61; ++r) {
        PromotionRow row = big.row(r);
        row.newClass.clear();
        big.setRow(r, row);
    }
    QVERIFY(big.sort(PromotionSort::Syllabary).result.ok);
    QCOMPARE(big.cellText(61, PromotionTable::ColNewNumber), QStringLiteral("61"));

    PromotionTable t;
    t.appendRow(makeRow("101", "男一", "男", "あ", "1"));
    t.appendRow(makeRow("102", "男二", "男", "い", "1"));
    t.appendRow(makeRow("103", "男三", "男", "う", "1"));
    t.appendRow(makeRow("104", "女一", "女", "え", "1"));
    t.appendRow(makeRow("105", "女二", "女", "お", "1"));
    check(t, true, QStringLiteral("3"), QStringLiteral("男子"));
    check(t, true, QStringLiteral("60"), QStringLiteral("女子"));
    check(t, true, QStringLiteral("0"), QStringLiteral("1〜60"));
    check(t, true, QStringLiteral("61"), QStringLiteral("1〜60"));
    check(t, true, QStringLiteral("abc"), QStringLiteral("1〜60"));
    check(t, true, QString(), QStringLiteral("1〜60"));
    QVERIFY(t.sort(PromotionSort::Syllabary, true, QStringLiteral("4")).result.ok);
    QCOMPARE(column(t, PromotionTable::ColNewNumber), (QStringList{"1", "2", "3", "4", "5"}));
    QVERIFY(t.sort(PromotionSort::Syllabary, true, QStringLiteral("59")).result.ok);
}

void TestPromotion::saveWritesOnlyChangedRecords()
{
    GradeFixture f(1, 2);
    writeGrade(f,
               {{2, 7, QStringLiteral("佐藤"), 1, QStringLiteral("さとう")},
                {1, 3, QStringLiteral("鈴木"), 2, QStringLiteral("すずき")},
                {1, 4, QStringLiteral("田中"), 1, QStringLiteral("たなか"), 2, 5}},
               {transferRecord(QStringLiteral("前の転入"), 1, 1, 9)});
    // The earlier transfer-in keeps the bytes that the save does not own.
    StudentRecord earlier = f.readRecord(121);
    earlier.setScoreSlot(3, 55);
    f.writeRecord(121, earlier);
    const QByteArray before = f.rosterBytes();

    PromotionTable t;
    QVERIFY(t.load(f.rosterPath(), 2, NullProgress::instance()).ok);
    QCOMPARE(t.rowCount(), 4);
    // Nothing changed: nothing written.
    QVERIFY(t.save(f.rosterPath(), NullProgress::instance()).ok);
    QCOMPARE(f.rosterBytes(), before);

    bool started = false;
    t.typeKey(3, PromotionTable::ColNewClass, '4', started); // 207
    t.typeKey(3, PromotionTable::ColNewNumber, '8', started);
    t.enterText(3, PromotionTable::ColFurigana, QStringLiteral("さとうじろう"));
    t.sort(PromotionSort::NewNumber);
    // 103 (no class), the transfer-in (1 9), 104 (2 5), 207 (4 8)
    QCOMPARE(t.cellText(4, PromotionTable::ColOldNumber), QStringLiteral("207"));
    PromotionRow earlierRow = t.row(2);
    QCOMPARE(earlierRow.oldNumber, QStringLiteral("転入"));
    earlierRow.furigana = QStringLiteral("まえ");
    t.setRow(2, earlierRow);
    t.addTransferIn();
    t.enterText(5, PromotionTable::ColName, QStringLiteral("新しい転入"));
    RecordingProgress progress;
    QVERIFY(t.save(f.rosterPath(), progress).ok);
    QVERIFY(!t.changed());
    QCOMPARE(progress.statusTexts, (QStringList{"データ保存中", QString()}));
    QCOMPARE(progress.lastMaximum, 5);

    const QByteArray after = f.rosterBytes();
    QCOMPARE(after.size(), 122 * 512);
    // Record 67 (2-7) holds the reading, class and number; everything else of it is as before.
    StudentRecord r67 = pupilRecord({2, 7, QStringLiteral("佐藤"), 1, QStringLiteral("さとうじろう"), 4, 8});
    QCOMPARE(f.readRecord(67), r67);
    // Only records 67, 121 and 122 differ.
    for (int r = 1; r <= 120; ++r) {
        if (r != 67) QCOMPARE(after.mid((r - 1) * 512, 512), before.mid((r - 1) * 512, 512));
    }
    StudentRecord r121 = earlier;
    r121.setFurigana(QStringLiteral("まえ"));
    QCOMPARE(f.readRecord(121), r121);
    StudentRecord r122 = StudentRecord::blank();
    r122.setFlag(StudentRecord::TransferIn);
    r122.setName(QStringLiteral("新しい転入")); // sex stays 0
    QCOMPARE(f.readRecord(122), r122);

    // Reloaded, the rows come back in the old order with the new values.
    PromotionTable again;
    QVERIFY(again.load(f.rosterPath(), 2, NullProgress::instance()).ok);
    QCOMPARE(column(again, PromotionTable::ColName), (QStringList{"鈴木", "田中", "佐藤", "前の転入", "新しい転入"}));
    QCOMPARE(again.cellText(3, PromotionTable::ColNewClass), QStringLiteral("4"));
}

void TestPromotion::saveRefusesAnOccupiedTransferRecord()
{
    // A third class block that the homeroom file does not count lies where transfers-in go.
    GradeFixture f(1, 2);
    writeGrade(f, {{1, 1, QStringLiteral("甲"), 1, QString()}});
    f.writeRecord(121, pupilRecord({3, 1, QStringLiteral("三組の子"), 1, QString()}));
    const QByteArray before = f.rosterBytes();
    PromotionTable t;
    QVERIFY(t.load(f.rosterPath(), 2, NullProgress::instance()).ok);
    QCOMPARE(t.rowCount(), 1);
    bool started = false;
    t.typeKey(1, PromotionTable::ColNewClass, '2', started);
    t.addTransferIn();
    t.enterText(2, PromotionTable::ColName, QStringLiteral("転入生"));
    const Result r = t.save(f.rosterPath(), NullProgress::instance());
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("121")) && r.message.contains(QStringLiteral("何も保存しませんでした")),
             qPrintable(r.message));
    QCOMPARE(f.rosterBytes(), before);
    QVERIFY(t.changed());

    // A pupil whose record was emptied meanwhile is refused too.
    PromotionTable u;
    QVERIFY(u.load(f.rosterPath(), 2, NullProgress::instance()).ok);
    u.typeKey(1, PromotionTable::ColNewClass, '2', started);
    f.writeRecord(1, StudentRecord::blank());
    const QByteArray emptied = f.rosterBytes();
    QVERIFY(!u.save(f.rosterPath(), NullProgress::instance()).ok);
    QCOMPARE(f.rosterBytes(), emptied);
}

void TestPromotion::nextYearChecks()
{
    PromotionTable t;
    t.appendRow(makeRow("101", "甲", "男", "", "1", "1"));
    t.appendRow(makeRow("102", "乙", "女", "", "3", "0"));
    t.appendRow(makeRow("103", "丙", "女", "", "", ""));
    t.appendRow(makeRow("転入", "", "", "", "4", "1")); // no name: counts for the class count only
    NextYearCheck c = CheckNextYear(t, 1);
    QVERIFY(c.result.ok);
    QCOMPARE(c.classCount, 4);
    QCOMPARE(c.pupilCount, 1);
    QCOMPARE(c.incompleteCount, 2);
    QCOMPARE(c.firstIncompleteName, QStringLiteral("乙"));
    QVERIFY(IncompleteQuestion(c).contains(QStringLiteral("2 人")));

    QVERIFY(!CheckNextYear(t, 3).result.ok);

    t.appendRow(makeRow("104", "丁", "男", "", "1", "1"));
    c = CheckNextYear(t, 2);
    QVERIFY(!c.result.ok);
    QCOMPARE(c.currentRow, 1);
    QVERIFY2(c.result.message.contains(QStringLiteral("No.1 甲")) &&
                 c.result.message.contains(QStringLiteral("No.5 丁")),
             qPrintable(c.result.message));

    PromotionTable none;
    none.appendRow(makeRow("101", "甲", "男", "", "", "5"));
    QVERIFY(!CheckNextYear(none, 1).result.ok);
    PromotionTable stored;
    stored.appendRow(makeRow("101", "甲", "男", "", "12", "5"));
    c = CheckNextYear(stored, 1);
    QVERIFY(!c.result.ok);
    QCOMPARE(c.currentRow, 1);

    PromotionTable many;
    for (int i = 0; i < 401; ++i)
        many.appendRow(makeRow("101", "甲", "男", "", QString::number(1 + i / 60), QString::number(1 + i % 60)));
    QVERIFY(!CheckNextYear(many, 1).result.ok);
}

void TestPromotion::nextYearRoster()
{
    PromotionTable t;
    t.appendRow(makeRow("101", " 甲 ", "女", "こう", "2", "3"));
    t.appendRow(makeRow("102", "乙", "男", "おつ", "4", "60"));
    t.appendRow(makeRow("103", "丙", "女", "", "2", "0"));
    t.appendRow(makeRow("転入", "丁", "", "てい", "1", "1"));
    t.appendRow(makeRow("転入", "", "", "", "3", "1"));
    const QByteArray bytes = NextYearRosterBytes(t, 4);
    QCOMPARE(bytes.size(), 240 * 512);
    QList<int> used;
    for (int r = 1; r <= 240; ++r) {
        StudentRecord rec;
        std::memcpy(rec.bytes().data(), bytes.constData() + (r - 1) * 512, 512);
        if (rec.flag() != 0)
            used.append(r);
        else
            QCOMPARE(rec, StudentRecord::blank());
    }
    QCOMPARE(used, (QList<int>{1, 63, 240}));
    StudentRecord expected = StudentRecord::blank();
    expected.setFlag(1);
    expected.setName(QStringLiteral("甲"));
    expected.setSex(2);
    expected.setFurigana(QStringLiteral("こう"));
    StudentRecord got;
    std::memcpy(got.bytes().data(), bytes.constData() + 62 * 512, 512);
    QCOMPARE(got, expected);
    std::memcpy(got.bytes().data(), bytes.constData(), 512);
    QCOMPARE(got.sex(), 0); // an empty sex stays 0
    QCOMPARE(got.name().trimmed(), QStringLiteral("丁"));
}

QTEST_MAIN(TestPromotion)
#include "tst_promotion.moc"
