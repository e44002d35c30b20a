#include "Crc32.h"
#include "GradeLock.h"
#include "InputJournal.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace seiran;

namespace {

JournalHeader header(const QString& holder, const QString& scope = QStringLiteral("test 2"))
{
    JournalHeader h;
    h.screen = QStringLiteral("test");
    h.scope = scope;
    h.holderId = holder;
    h.user = QStringLiteral("山田");
    h.host = QStringLiteral("pc1");
    h.pid = 42;
    h.started = QDateTime(QDate(2026, 4, 10), QTime(1, 2, 3), Qt::UTC);
    h.generation = 7;
    h.columns = QStringLiteral("国語=slot:6;数学=slot:7");
    return h;
}

JournalEntry entry(int record, const QString& field, const QString& text, int base = 0)
{
    JournalEntry e;
    e.record = record;
    e.field = field;
    e.classText = QStringLiteral("1");
    e.numberText = QString::number(record);
    e.name = QStringLiteral("生徒%1").arg(record);
    e.base = base;
    e.text = text;
    return e;
}

// A journal of three entries: two for one cell, one for another.
QByteArray threeEntries()
{
    JournalEntry a = entry(1, QStringLiteral("slot:6"), QStringLiteral("5"), -1);
    a.seq = 1;
    JournalEntry b = entry(2, QStringLiteral("slot:7"), QStringLiteral("-"), 40);
    b.seq = 2;
    JournalEntry c = entry(1, QStringLiteral("slot:6"), QStringLiteral("55"), -1);
    c.seq = 3;
    return JournalHeaderLine(header(QStringLiteral("h1"))) + JournalEntryLine(a) + JournalEntryLine(b) +
           JournalEntryLine(c);
}

} // namespace

class TestInputJournal : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void crcIsTheZipOne();
    void writtenJournalReadsBackAndReplays();
    void damageEndsTheJournal_data();
    void damageEndsTheJournal();
    void foreignFilesAreRefused();
    void orphansAreJudgedByTheRegistry();
};

void TestInputJournal::crcIsTheZipOne()
{
    QCOMPARE(Crc32("123456789"), 0xCBF43926u);
    QCOMPARE(Crc32(QByteArray()), 0u);
    // The line's CRC covers everything before its last Tab, as 8 hex digits.
    JournalEntry e = entry(3, QStringLiteral("naishin:2"), QStringLiteral("4"));
    e.seq = 9;
    const QByteArray line = JournalEntryLine(e);
    const qsizetype tab = line.lastIndexOf('\t');
    QCOMPARE(line.mid(tab + 1), QByteArray::number(Crc32(line.left(tab)), 16).rightJustified(8, '0') + '\n');
}

void TestInputJournal::writtenJournalReadsBackAndReplays()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal/test-h1.jnl"));
    JournalWriter writer;
    QVERIFY(writer.create(path, header(QStringLiteral("h1"))));
    // Texts that could split a line or a field are kept as they were typed.
    const QString awkward = QStringLiteral("a\tb\\n\nc\r");
    QVERIFY(writer.append(entry(1, QStringLiteral("slot:6"), QStringLiteral("5"), -1)));
    QVERIFY(writer.append(entry(2, QStringLiteral("slot:7"), awkward, 40)));
    QVERIFY(writer.append(entry(1, QStringLiteral("slot:6"), QStringLiteral("55"), -1)));
    QVERIFY(!writer.create(path, header(QStringLiteral("h1")))); // never over an existing journal
    writer.close();

    JournalContents read;
    QVERIFY(ReadJournal(path, read));
    QVERIFY(read.notice.isEmpty());
    QCOMPARE(read.header.holderId, QStringLiteral("h1"));
    QCOMPARE(read.header.columns, QStringLiteral("国語=slot:6;数学=slot:7"));
    QCOMPARE(read.header.started, header(QString()).started);
    QCOMPARE(read.header.generation, 7);
    QCOMPARE(read.entries.size(), 3);
    QCOMPARE(read.entries.at(2).seq, 3);
    const QList<JournalEntry> cells = read.lastPerCell();
    QCOMPARE(cells.size(), 2);
    QCOMPARE(cells.at(0).text, QStringLiteral("55")); // the last text of the cell typed first
    QCOMPARE(cells.at(0).base, -1);
    QCOMPARE(cells.at(1).text, awkward);
    QCOMPARE(cells.at(1).name, QStringLiteral("生徒2"));
    QVERIFY(JournalSummary(read).endsWith(QStringLiteral("、2 か所")));

    // A journal moved elsewhere goes on with its numbering.
    JournalWriter moved;
    QVERIFY(moved.createWith(dir.filePath(QStringLiteral("local/test-h1.jnl")), test::ReadFileBytes(path)));
    QVERIFY(moved.append(entry(3, QStringLiteral("slot:6"), QStringLiteral("1"))));
    QVERIFY(ReadJournal(moved.path(), read));
    QCOMPARE(read.entries.size(), 4);
    QCOMPARE(read.entries.last().seq, 4);
    QVERIFY(moved.remove());
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("local/test-h1.jnl"))));
}

void TestInputJournal::damageEndsTheJournal_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("entries");
    const QByteArray whole = threeEntries();
    const QList<QByteArray> lines = whole.split('\n'); // header, three entries, ""
    QTest::newRow("whole") << whole << 3;
    QTest::newRow("torn last line") << whole.left(whole.size() - 5) << 2;
    QTest::newRow("last line without its LF") << whole.left(whole.size() - 1) << 2;
    QByteArray flipped = whole;
    flipped[whole.indexOf(lines.at(2)) + 4] = '9'; // a digit of the second entry's record
    QTest::newRow("bad CRC ends it there") << flipped << 1;
    QByteArray shortCrc = whole;
    shortCrc.replace(lines.at(1), lines.at(1).left(lines.at(1).size() - 1));
    QTest::newRow("CRC of seven digits") << shortCrc << 0;
    QTest::newRow("header only") << lines.at(0) + '\n' << 0;
}

void TestInputJournal::damageEndsTheJournal()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, entries);
    JournalContents contents;
    QVERIFY(ParseJournal(bytes, contents));
    QCOMPARE(contents.entries.size(), entries);
    const bool whole = bytes.endsWith('\n') && QByteArray(QTest::currentDataTag()) != "bad CRC ends it there" &&
                       QByteArray(QTest::currentDataTag()) != "CRC of seven digits";
    QCOMPARE(contents.notice.isEmpty(), whole);
    if (!whole) QVERIFY(contents.notice.contains(QStringLiteral("その前までを使います")));
}

void TestInputJournal::foreignFilesAreRefused()
{
    JournalContents contents;
    QVERIFY(!ParseJournal("", contents));
    QVERIFY(!ParseJournal("seiran-journal\t1\ttest", contents)); // no LF, too few fields
    QByteArray other = JournalHeaderLine(header(QStringLiteral("h1")));
    other.replace("seiran-journal\t1", "seiran-journal\t2");
    QVERIFY(!ParseJournal(other, contents));
    QVERIFY(!ParseJournal("seiran-lock\t1\t0\n", contents));
}

void TestInputJournal::orphansAreJudgedByTheRegistry()
{
    QTemporaryDir dir;
    const QString data = dir.path() + u'/';
    GradeLock lock(data, 2);
    QVERIFY(
        lock.acquire(LockMode::Shared, QStringLiteral("点数の入力（テスト別）"), QStringLiteral("slots 6-10")).granted);
    // A holder of this PC whose program is gone: stale by the registry's rules.
    {
        GradeGuard guard(data, 2);
        LockRegistry registry;
        QVERIFY(guard.readRegistry(registry));
        LockHolder dead = registry.holders.first();
        dead.id = QStringLiteral("deadbeef");
        dead.pid = 0x3FFFFFF0;
        registry.holders.append(dead);
        QVERIFY(guard.writeRegistry(registry));
    }
    const QString folder = JournalFolder(data, 2);
    const auto write = [&](const QString& holder, const QString& scope, bool local = false) {
        JournalWriter w;
        const QString where = local ? LocalJournalFolder(data, 2) : folder;
        QVERIFY(w.create(where + JournalFileName(QStringLiteral("test"), holder), header(holder, scope)));
        QVERIFY(w.append(entry(1, QStringLiteral("slot:6"), QStringLiteral("9"))));
    };
    write(lock.holderId(), QStringLiteral("test 2"));              // live: this window
    write(QStringLiteral("deadbeef"), QStringLiteral("test 2"));   // its holder is stale
    write(QStringLiteral("gone"), QStringLiteral("test 2"));       // its holder is not registered
    write(QStringLiteral("other"), QStringLiteral("test 3"));      // another scope
    write(QStringLiteral("away"), QStringLiteral("test 2"), true); // kept on this PC
    test::WriteFileBytes(folder + QStringLiteral("test-junk.jnl"), "not a journal\n");

    QList<FoundJournal> found;
    QVERIFY(FindJournals(data, 2, found));
    QCOMPARE(found.size(), 6);
    QStringList orphans;
    for (const FoundJournal& j : OrphanJournals(found, QStringLiteral("test"), QStringLiteral("test 2")))
        orphans << j.contents.header.holderId + (j.local ? QStringLiteral("@local") : QString());
    orphans.sort();
    QCOMPARE(orphans, (QStringList{QStringLiteral("away@local"), QStringLiteral("deadbeef"), QStringLiteral("gone")}));
    const auto junk = std::find_if(found.begin(), found.end(), [](const FoundJournal& j) {
        return j.path.endsWith(QStringLiteral("test-junk.jnl"));
    });
    QVERIFY(junk != found.end() && !junk->problem.isEmpty() && !junk->live);
    // The stale line went from the registry while it was read.
    {
        GradeGuard guard(data, 2);
        LockRegistry registry;
        QVERIFY(guard.readRegistry(registry));
        QCOMPARE(registry.indexOf(QStringLiteral("deadbeef")), -1);
    }
    QDir(LocalJournalFolder(data, 2)).removeRecursively();
}

QTEST_GUILESS_MAIN(TestInputJournal)
#include "tst_inputjournal.moc"
