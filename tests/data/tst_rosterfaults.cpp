// Roster records that are short, damaged or refused: what is read, and what is never written.
#include "Cp932.h"
#include "GradeData.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "TestSupport.h"

#include <QtTest>
#include <cstring>
#include <sys/stat.h>

using namespace seiran;
using seiran::test::FixturePupil;
using seiran::test::GradeFixture;
using seiran::test::WriteFileBytes;

class RosterFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void recordsBeyondTheEndReadBlank();
    void invalidBytesAreReportedAndShown();
    void converterRecoversAfterInvalidBytes();
    void refusedSaveWritesNothing();
    void rosterThatIsNotAFileIsRefused();
};

void RosterFaultsTest::recordsBeyondTheEndReadBlank()
{
    GradeFixture fx(1, 1);
    fx.writeStandard({{1, 1, QStringLiteral("山田"), 1, {80, 70, 60, 50, 40}}});
    QByteArray bytes = fx.rosterBytes();
    bytes.truncate(3 * 512);
    bytes.append(QByteArray(512, '\0')); // a record of zeros inside the file, as other programs leave
    WriteFileBytes(fx.rosterPath(), bytes);

    RosterFile file(fx.rosterPath());
    QVERIFY(file.openReadOnly().ok);
    StudentRecord beyond;
    QVERIFY(file.read(30, beyond).ok);
    QCOMPARE(beyond, StudentRecord::blank());
    QCOMPARE(beyond.name(), QString(7, QLatin1Char(' ')) + QString(7, QLatin1Char(' ')));
    QCOMPARE(beyond.scoreSlot(1), -5);
    QCOMPARE(beyond.scoreSlot(200), -5);
    QCOMPARE(beyond.sex(), 0);

    StudentRecord zeros;
    QVERIFY(file.read(4, zeros).ok);
    QCOMPARE(zeros.name().trimmed(), QString()); // no NUL characters reach a grid or the clipboard
    QCOMPARE(zeros.furigana().trimmed(), QString());
}

void RosterFaultsTest::invalidBytesAreReportedAndShown()
{
    StudentRecord record = StudentRecord::blank();
    bool invalid = true;
    record.setName(QStringLiteral("山田太郎"));
    QCOMPARE(record.name(&invalid).trimmed(), QStringLiteral("山田太郎"));
    QVERIFY(!invalid);

    // 0x80 and 0xFD stand for nothing; the name keeps loading, marked.
    const char damaged[] = "\x8e\x52\x80\x93\x63\xfd        ";
    std::memcpy(record.bytes().data() + 2, damaged, 14);
    const QString name = record.name(&invalid);
    QVERIFY(invalid);
    QVERIFY2(name.startsWith(QStringLiteral("山")) && name.contains(QChar(0xFFFD)), qPrintable(name));
    QVERIFY(name.contains(QStringLiteral("田")));

    // A double-byte character cut at the end of the field is damage too.
    const char cut[] = "\x8e\x52\x93\x63\x91\xbe\x98\x59\x8e\x52\x93\x63\x91\x20";
    std::memcpy(record.bytes().data() + 2, cut, 14);
    record.name(&invalid);
    QVERIFY(invalid);
}

void RosterFaultsTest::converterRecoversAfterInvalidBytes()
{
    // Each thread reuses its converters: an error in one text must not mark the next ones.
    bool invalid = false;
    Cp932::decode(QByteArray("\x80\x81", 2), &invalid);
    QVERIFY(invalid);
    QCOMPARE(Cp932::decode(QByteArray("\x8e\x52\x93\x63"), &invalid), QStringLiteral("山田"));
    QVERIFY(!invalid);
    // A lead byte left over from one text never joins the next.
    Cp932::decode(QByteArray("A\x82", 2), &invalid);
    QCOMPARE(Cp932::decode(QByteArray("\xa0"
                                      "B",
                                      2),
                           &invalid)
                 .right(1),
             QStringLiteral("B"));
    QCOMPARE(Cp932::decode(QByteArray("\x82\xa0", 2), &invalid), QStringLiteral("あ"));
    QVERIFY(!invalid);
    // The same for the encoder after a character it cannot hold.
    QCOMPARE(Cp932::encode(QStringLiteral("한")), QByteArray("?"));
    QCOMPARE(Cp932::encode(QStringLiteral("山田")), QByteArray("\x8e\x52\x93\x63"));
}

void RosterFaultsTest::refusedSaveWritesNothing()
{
    GradeFixture fx(1, 1);
    QList<FixturePupil> pupils;
    for (int n = 1; n <= 5; ++n)
        pupils.append({1, n, QStringLiteral("生徒%1").arg(n), 1, {50, 50, 50, 50, 50}});
    fx.writeStandard(pupils);
    QVERIFY(fx.loadLists());
    fx.gd().currentTest = 1;
    QVERIFY(LoadTestScores(fx.gd(), NullProgress::instance()).ok);
    const QByteArray before = fx.rosterBytes();
    fx.gd().scores(1, 1) = 99;    // valid, and before the bad one
    fx.gd().scores(2, 3) = 40000; // cannot be stored
    fx.gd().scores(1, 5) = 12;    // valid, after it
    const Result r = SaveTestScores(fx.gd(), NullProgress::instance());
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("40000")) && r.message.contains(QStringLiteral("生徒3")),
             qPrintable(r.message));
    QCOMPARE(fx.rosterBytes(), before);

    fx.gd().scores(2, 3) = 41;
    QVERIFY(SaveTestScores(fx.gd(), NullProgress::instance()).ok);
    QCOMPARE(fx.readRecord(1).scoreSlot(1), 99);
    QCOMPARE(fx.readRecord(3).scoreSlot(2), 41);
    QCOMPARE(fx.readRecord(5).scoreSlot(1), 12);
}

void RosterFaultsTest::rosterThatIsNotAFileIsRefused()
{
    GradeFixture fx(1, 1);
    fx.writeStandard({});
    QVERIFY(fx.loadLists());
    QVERIFY(QFile::remove(fx.rosterPath()));
    QCOMPARE(mkfifo(qPrintable(fx.rosterPath()), 0600), 0);
    const Result r = LoadRoster(fx.gd(), NullProgress::instance());
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("dtfile01.rnd")) &&
                 r.message.contains(QStringLiteral("通常のファイルではありません")),
             qPrintable(r.message));
    RosterFile file(fx.rosterPath());
    QVERIFY(!file.openReadOnly().ok);
}

QTEST_GUILESS_MAIN(RosterFaultsTest)
#include "tst_rosterfaults.moc"
