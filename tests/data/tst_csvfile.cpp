#include "Cp932.h"
#include "CsvColumns.h"
#include "CsvFile.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace seiran;

namespace {

QList<QStringList> parsed(const QString& text)
{
    QList<CsvRecord> records;
    const Result r = ParseCsvText(text, records);
    if (!r) qWarning() << r.message;
    QList<QStringList> rows;
    for (const CsvRecord& record : records)
        rows << record.fields;
    return rows;
}

QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar c : text) {
        const char hi = char(c.unicode() >> 8);
        const char lo = char(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return bytes;
}

} // namespace

class TestCsvFile : public QObject
{
    Q_OBJECT
private slots:
    void anyFileUnderTheLimitReadsQuickly();
    void decodesEveryEncoding();
    void refusesUndecodableTextWithItsLine();
    void splitsRecordsAsSpreadsheetsWriteThem();
    void writesWhatSpreadsheetsOpen();
    void writtenFilesReadBack();
    void findsRenamedAndShuffledHeaders();
    void refusesHeadersThatAreAmbiguousOrMissing();
    void columnOptionMapsRoles();
    void parsesSeatAndPupilValues();
};

void TestCsvFile::anyFileUnderTheLimitReadsQuickly()
{
    // UTF-8 text behind a UTF-16 mark (a file saved in one encoding and marked as another) reads
    // as one long line of kanji, Hangul and private-use characters. Reading it and looking for its
    // heading takes time in proportion to its size: 4 MB no more than about eight times 0.5 MB.
    QTemporaryDir dir;
    const QByteArray rows = QStringLiteral("組,番,氏名,ふりがな,国語,数学\r\n1,1,山田太郎,やまだたろう,８５,72\r\n"
                                           "1,2,佐藤花子,さとうはなこ,90,欠\r\n")
                                .toUtf8();
    bool refused = true;
    bool readAsUtf16 = true;
    const auto read = [&](qsizetype size) -> qint64 {
        QByteArray bytes = "\xFF\xFE";
        while (bytes.size() + rows.size() <= size)
            bytes += rows;
        if (bytes.size() % 2 != 0) bytes += ' ';
        const QString path = dir.filePath(QStringLiteral("marked%1.csv").arg(size));
        test::WriteFileBytes(path, bytes);
        QElapsedTimer timer;
        timer.start();
        QList<CsvRecord> records;
        CsvEncoding used = CsvEncoding::Auto;
        const Result r = ReadCsvFile(path, CsvEncoding::Auto, records, used);
        CsvLayout layout;
        const Result found = r ? DetectCsvLayout(records, {QStringLiteral("国語")}, true, layout) : r;
        // Every field goes through the value readers as an import's would.
        QString why;
        for (const CsvRecord& record : std::as_const(records))
            for (const QString& field : record.fields) {
                ParseCsvNumber(field, why);
                ParseCsvClass(field, QStringLiteral("123456789"), 9, why);
            }
        const qint64 elapsed = timer.nsecsElapsed();
        refused = refused && !found.ok; // no heading a teacher would recognise
        readAsUtf16 = readAsUtf16 && used == CsvEncoding::Utf16;
        return elapsed;
    };
    const qint64 small = read(512 * 1024);
    const qint64 large = read(4 * 1024 * 1024);
    QVERIFY(refused);
    QVERIFY(readAsUtf16);
    QVERIFY2(large < 10'000'000'000LL, qPrintable(QStringLiteral("4 MB: %1 ms").arg(large / 1'000'000)));
    QVERIFY2(large < 24 * qMax<qint64>(small, 20'000'000),
             qPrintable(QStringLiteral("0.5 MB: %1 ms, 4 MB: %2 ms").arg(small / 1'000'000).arg(large / 1'000'000)));
}

void TestCsvFile::decodesEveryEncoding()
{
    const QString sample = QStringLiteral("組,番,氏名\r\n1,2,佐藤　花子\r\n");
    struct Case
    {
        QByteArray bytes;
        CsvEncoding wanted;
        CsvEncoding used;
    };
    const QList<Case> cases = {
        {QByteArray("\xEF\xBB\xBF") + sample.toUtf8(), CsvEncoding::Auto, CsvEncoding::Utf8},
        {sample.toUtf8(), CsvEncoding::Auto, CsvEncoding::Utf8},
        {Cp932::encode(sample), CsvEncoding::Auto, CsvEncoding::Cp932},
        {utf16(sample, false), CsvEncoding::Auto, CsvEncoding::Utf16},
        {utf16(sample, true), CsvEncoding::Auto, CsvEncoding::Utf16},
        {Cp932::encode(sample), CsvEncoding::Cp932, CsvEncoding::Cp932},
    };
    for (const Case& c : cases) {
        QString text;
        CsvEncoding used = CsvEncoding::Auto;
        const Result r = DecodeCsvBytes(c.bytes, c.wanted, text, used);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(text, sample);
        QCOMPARE(int(used), int(c.used));
    }
    CsvEncoding parsedEncoding = CsvEncoding::Auto;
    QVERIFY(ParseCsvEncoding(QStringLiteral("CP932"), parsedEncoding));
    QCOMPARE(int(parsedEncoding), int(CsvEncoding::Cp932));
    QVERIFY(!ParseCsvEncoding(QStringLiteral("euc-jp"), parsedEncoding));
}

void TestCsvFile::refusesUndecodableTextWithItsLine()
{
    QString text;
    CsvEncoding used = CsvEncoding::Auto;
    // Neither UTF-8 nor CP932 on line 3 (0x81 0x20 starts no CP932 character).
    const QByteArray bytes = QByteArray("a,b\r\nc,d\r\ne,\x81\x20\r\n");
    Result r = DecodeCsvBytes(bytes, CsvEncoding::Auto, text, used);
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("文字コードを判別できません（3行目）"));
    // CP932 bytes read as UTF-8 when the teacher insists on UTF-8.
    r = DecodeCsvBytes(QByteArray("x\n") + Cp932::encode(QStringLiteral("佐藤")), CsvEncoding::Utf8, text, used);
    QCOMPARE(r.message, QStringLiteral("文字コードを判別できません（2行目）"));
}

void TestCsvFile::splitsRecordsAsSpreadsheetsWriteThem()
{
    // Quoted commas, doubled quotes and a line break inside quotes; CR, LF and CR LF; empty
    // lines skipped; the apostrophe of a formula guard dropped.
    const QList<QStringList> rows =
        parsed(QStringLiteral("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\nlines\",x\r'=1+1,'-5,'abc\n,\n"));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0), (QStringList{"a", "b,c", "say \"hi\""}));
    QCOMPARE(rows.at(1), (QStringList{"two\nlines", "x"}));
    QCOMPARE(rows.at(2), (QStringList{"=1+1", "-5", "'abc"}));
    QCOMPARE(rows.at(3), (QStringList{"", ""}));

    QList<CsvRecord> records;
    QVERIFY(ParseCsvText(QStringLiteral("h\n\"a\nb\"\nc\n"), records).ok);
    QCOMPARE(records.at(2).line, 4); // the line count goes on inside quotes

    // Tab-separated when the first line has a Tab outside quotes; commas are then text.
    QCOMPARE(parsed(QStringLiteral("組\t番\n1,2\t3\n")).at(1), (QStringList{"1,2", "3"}));
    QCOMPARE(parsed(QStringLiteral("\"a\tb\",c\n")).at(0), (QStringList{"a\tb", "c"}));

    const Result open = ParseCsvText(QStringLiteral("a,b\nc,\"d\n"), records);
    QVERIFY(!open.ok);
    QVERIFY(open.message.contains(QStringLiteral("2行目")));
}

void TestCsvFile::writesWhatSpreadsheetsOpen()
{
    const QByteArray bytes = CsvBytes({{"組", "氏名", "国語"},
                                       {"1", "=1+1", "-45"},
                                       {"2", "a,\"b\"", "-"},
                                       {"3", "＝ＳＵＭ", "12.5"},
                                       {"4", "@x", "+3"},
                                       {"5", "two\nlines", ""}});
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QString text = QString::fromUtf8(bytes.mid(3));
    QCOMPARE(text, QStringLiteral("組,氏名,国語\r\n"
                                  "1,'=1+1,-45\r\n"
                                  "2,\"a,\"\"b\"\"\",-\r\n"
                                  "3,'＝ＳＵＭ,12.5\r\n"
                                  "4,'@x,+3\r\n"
                                  "5,\"two\nlines\",\r\n"));
}

void TestCsvFile::writtenFilesReadBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    const QList<QStringList> rows{{"組", "番", "氏名"}, {"1", "1", "=1+1"}, {"1", "2", "田中, 太郎"}};
    QVERIFY(SaveCsvFile(path, rows).ok);
    QList<CsvRecord> records;
    CsvEncoding used = CsvEncoding::Auto;
    QVERIFY(ReadCsvFile(path, CsvEncoding::Auto, records, used).ok);
    QCOMPARE(int(used), int(CsvEncoding::Utf8));
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.at(1).fields, rows.at(1));
    QCOMPARE(records.at(2).fields, rows.at(2));

    // A file too large for a grade, a folder and a missing file are refused by name.
    const QString big = dir.filePath(QStringLiteral("big.csv"));
    test::WriteFileBytes(big, QByteArray(int(CsvFileLimit) + 1, 'a'));
    Result r = ReadCsvFile(big, CsvEncoding::Auto, records, used);
    QVERIFY(!r.ok && r.message.contains(QStringLiteral("大きすぎます")));
    r = ReadCsvFile(dir.path(), CsvEncoding::Auto, records, used);
    QVERIFY(!r.ok);
    r = ReadCsvFile(dir.filePath(QStringLiteral("none.csv")), CsvEncoding::Auto, records, used);
    QVERIFY(!r.ok && r.message.contains(QStringLiteral("見つかりません")));
    // Saving into a folder that does not exist fails and says so.
    QVERIFY(!SaveCsvFile(dir.filePath(QStringLiteral("no/such/out.csv")), rows).ok);
}

void TestCsvFile::findsRenamedAndShuffledHeaders()
{
    QList<CsvRecord> records;
    QVERIFY(ParseCsvText(QStringLiteral("令和8年度 2年 名簿,,,\n"
                                        "性　別,氏　　名,出席番号,クラス,フリガナ,住所\n"
                                        "女,佐藤　花子,3,１組,さとう　はなこ,市内\n"),
                         records)
                .ok);
    CsvLayout layout;
    const QStringList subjects{"国語", "数学"};
    QVERIFY(DetectCsvLayout(records, subjects, true, layout).ok);
    QCOMPARE(layout.headerRecord, 1);
    QCOMPARE(layout.roles, (QList<int>{CsvRole::Sex, CsvRole::Name, CsvRole::Number, CsvRole::Class, CsvRole::Furigana,
                                       CsvRole::None}));
    QCOMPARE(CsvField(records.at(2), layout, CsvRole::Name), QStringLiteral("佐藤　花子"));

    // Surname and given name without a full name; subject columns for scores.
    QVERIFY(ParseCsvText(QStringLiteral("学級,番号,姓,名,ｺｸｺﾞ,国 語\n"), records).ok);
    QVERIFY(DetectCsvLayout(records, subjects, true, layout).ok);
    QCOMPARE(layout.roles, (QList<int>{CsvRole::Class, CsvRole::Number, CsvRole::Surname, CsvRole::GivenName,
                                       CsvRole::None, CsvRole::SubjectBase + 1}));
}

void TestCsvFile::refusesHeadersThatAreAmbiguousOrMissing()
{
    QList<CsvRecord> records;
    CsvLayout layout;
    QVERIFY(ParseCsvText(QStringLiteral("組,番,氏名,名前\n"), records).ok);
    Result r = DetectCsvLayout(records, {}, true, layout);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("「氏名」の列が二つ")), qPrintable(r.message));

    QVERIFY(ParseCsvText(QStringLiteral("組,氏名,性別\n1,a,男\n"), records).ok);
    r = DetectCsvLayout(records, {}, true, layout);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("「番」の列がありません")), qPrintable(r.message));

    // Scores need no name column.
    QVERIFY(ParseCsvText(QStringLiteral("組,番,国語\n"), records).ok);
    QVERIFY(DetectCsvLayout(records, {"国語"}, false, layout).ok);
    QVERIFY(!DetectCsvLayout(records, {"国語"}, true, layout).ok);
}

void TestCsvFile::columnOptionMapsRoles()
{
    CsvLayout layout;
    QVERIFY(ApplyCsvColumnOption(QStringLiteral("class=2,番=1,name=4,国語=5"), {"国語"}, layout).ok);
    QCOMPARE(layout.roles,
             (QList<int>{CsvRole::Number, CsvRole::Class, CsvRole::None, CsvRole::Name, CsvRole::SubjectBase + 1}));
    QVERIFY(CheckCsvLayout(layout, {"国語"}, true).ok);
    // A role moved to another column leaves its old one.
    QVERIFY(ApplyCsvColumnOption(QStringLiteral("name=3"), {}, layout).ok);
    QCOMPARE(layout.columnOf(CsvRole::Name), 2);
    QCOMPARE(layout.roles.at(3), CsvRole::None);
    QVERIFY(!ApplyCsvColumnOption(QStringLiteral("住所=3"), {}, layout).ok);
    QVERIFY(!ApplyCsvColumnOption(QStringLiteral("name=0"), {}, layout).ok);
    QVERIFY(!ApplyCsvColumnOption(QStringLiteral("name"), {}, layout).ok);
}

void TestCsvFile::parsesSeatAndPupilValues()
{
    QString why;
    const QString digits = QStringLiteral("123456789");
    QCOMPARE(ParseCsvClass(QStringLiteral("３組"), digits, 4, why), std::optional<int>(3));
    QCOMPARE(ParseCsvClass(QStringLiteral("C"), digits, 4, why), std::optional<int>(3));
    QCOMPARE(ParseCsvClass(QStringLiteral(" c "), QStringLiteral("ABCDEFGHI"), 4, why), std::optional<int>(3));
    QVERIFY(!ParseCsvClass(QStringLiteral("5"), digits, 4, why));
    QVERIFY(why.contains(QStringLiteral("4組まで")));
    QVERIFY(!ParseCsvClass(QStringLiteral("1A"), digits, 4, why));
    QVERIFY(!ParseCsvClass(QString(), digits, 4, why));

    QCOMPARE(ParseCsvNumber(QStringLiteral("7番"), why), std::optional<int>(7));
    QCOMPARE(ParseCsvNumber(QStringLiteral("６０"), why), std::optional<int>(60));
    QVERIFY(!ParseCsvNumber(QStringLiteral("61"), why));
    QVERIFY(!ParseCsvNumber(QStringLiteral("0"), why));
    QVERIFY(!ParseCsvNumber(QStringLiteral("3.0"), why));

    QCOMPARE(ParseCsvGrade(QStringLiteral("２年"), why), std::optional<int>(2));
    QCOMPARE(ParseCsvGrade(QString(), why), std::optional<int>(0));
    QVERIFY(!ParseCsvGrade(QStringLiteral("二年"), why));

    for (const char* male : {"男", "男子", "M", "m", "1", "１"})
        QCOMPARE(ParseCsvSex(QString::fromUtf8(male), why), std::optional<int>(1));
    for (const char* female : {"女", "女子", "F", "f", "2"})
        QCOMPARE(ParseCsvSex(QString::fromUtf8(female), why), std::optional<int>(2));
    QCOMPARE(ParseCsvSex(QString(), why), std::optional<int>(0));
    QVERIFY(!ParseCsvSex(QStringLiteral("x"), why));

    QCOMPARE(TrimCsvText(QStringLiteral("　 佐藤　花子 　")), QStringLiteral("佐藤　花子"));
}

QTEST_GUILESS_MAIN(TestCsvFile)
#include "tst_csvfile.moc"
