#include "GradeData.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>

using namespace seiran;
using namespace seiran::test;

class RosterTest : public QObject
{
    Q_OBJECT
private slots:
    void recordLayout();
    void blankRecordAndFieldFitting();
    void loadSkipsFreeAndTransferredRecords();
    void loadOfMissingFileCreatesItEmpty();
    void saveWritesOnlyChangedRecords();
    void saveKeepsOtherFieldsWrittenMeanwhile();
    void naishinAndChoicesRoundTrip();
    void partialTrailingRecordIsNeverTouched();
    void outOfRangeValuesAreRefused();
    void tooManyPupilsIsRefused();
};

void RosterTest::recordLayout()
{
    StudentRecord r;
    r.setFlag(1);
    r.setSex(2);
    r.setNaishinSlot(1, 5);
    r.setNaishinSlot(12, 4);
    r.setChoice(1, 7);
    r.setChoice(4, 100);
    r.setScoreSlot(1, 87);
    r.setScoreSlot(200, -55);
    r.setNewClass(3);
    r.setNewNumber(12);
    const auto& b = r.bytes();
    auto at = [&](int off) { return int(qint16(quint16(b[off] | (b[off + 1] << 8)))); };
    QCOMPARE(at(0), 1);
    QCOMPARE(at(16), 2);
    QCOMPARE(at(18), 5);    // naishin slot 1
    QCOMPARE(at(40), 4);    // naishin slot 12
    QCOMPARE(at(42), 7);    // choice 1
    QCOMPARE(at(48), 100);  // choice 4
    QCOMPARE(at(50), 87);   // score slot 1
    QCOMPARE(at(448), -55); // score slot 200
    QCOMPARE(at(470), 3);
    QCOMPARE(at(472), 12);
    QCOMPARE(r.scoreSlot(200), -55);
    QCOMPARE(b[449], std::uint8_t(0xFF)); // little-endian negative
}

void RosterTest::blankRecordAndFieldFitting()
{
    const StudentRecord blank = StudentRecord::blank();
    QCOMPARE(blank.flag(), 0);
    for (int u = 1; u <= 200; ++u)
        QCOMPARE(blank.scoreSlot(u), -5);
    QCOMPARE(blank.name(), QString(14, QLatin1Char(' ')));
    QCOMPARE(blank.furigana(), QString(20, QLatin1Char(' ')));
    QCOMPARE(blank.int16At(474), 0);
    for (int i = 476; i < 512; ++i)
        QCOMPARE(blank.bytes()[i], std::uint8_t(' '));

    // Eight full-width characters keep the first seven (14 bytes).
    StudentRecord r = blank;
    r.setName(QStringLiteral("長谷川あいうえお"));
    QCOMPARE(r.name(), QStringLiteral("長谷川あいうえ"));
    // A cut that would fall inside a double-byte character leaves a blank instead.
    r.setName(QStringLiteral("aあいうえおかき"));
    QCOMPARE(r.name(), QStringLiteral("aあいうえおか "));
    r.setFurigana(QStringLiteral("やまだ　たろう"));
    QCOMPARE(r.furigana().trimmed(), QStringLiteral("やまだ　たろう"));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(r.bytes().data()) + 2, 1), QByteArray("a"));
}

void RosterTest::loadSkipsFreeAndTransferredRecords()
{
    GradeFixture fx(1, 2);
    fx.writeStandard({{1, 1, QStringLiteral("山田　太郎"), 1, {80, 70, 60, 50, 40}},
                      {1, 2, QStringLiteral(" 佐藤　花子 "), 2, {90, -1, 60, 50, 40}},
                      {1, 3, QStringLiteral("転出　生徒"), 1, {}, StudentRecord::TransferredOut},
                      {1, 5, QStringLiteral("鈴木　一郎"), 1, {1, 2, 3, 4, 5}},
                      {2, 1, QStringLiteral("高橋　美咲"), 2, {55, 66, 77, 88, 99}}});
    QVERIFY(fx.loadLists());
    GradeData& gd = fx.gd();
    gd.currentTest = 1;
    RecordingProgress progress;
    QVERIFY(LoadTestScores(gd, progress).ok);
    QCOMPARE(gd.studentCount, 4);
    QCOMPARE(gd.studentNumber[1], 1);
    QCOMPARE(gd.studentNumber[2], 2);
    QCOMPARE(gd.studentNumber[3], 5);
    QCOMPARE(gd.studentNumber[4], 1);
    QCOMPARE(gd.studentClass[4], 2);
    QCOMPARE(gd.classStart[1], 1);
    QCOMPARE(gd.classStart[2], 4);
    QCOMPARE(gd.classSize[1], 3);
    QCOMPARE(gd.classSize[2], 1);
    QCOMPARE(gd.studentName[2], QStringLiteral("佐藤　花子"));
    QCOMPARE(gd.studentSex[2], 2);
    QCOMPARE(gd.scores(2, 2), -1);
    QCOMPARE(gd.scoresAsLoaded(5, 4), 99);
    QCOMPARE(progress.statusTexts, QStringList({QStringLiteral("データ読込中"), QString()}));
    QCOMPARE(progress.lastMaximum, 120);
    QCOMPARE(progress.lastValue, 120);
    QVERIFY(!progress.visible);
}

void RosterTest::loadOfMissingFileCreatesItEmpty()
{
    GradeFixture fx(3, 1);
    fx.writeStandard({});
    QFile::remove(fx.rosterPath());
    QVERIFY(fx.loadLists());
    QVERIFY(LoadRoster(fx.gd(), NullProgress::instance()).ok);
    QCOMPARE(fx.gd().studentCount, 0);
    QVERIFY(QFile::exists(fx.rosterPath()));
    QCOMPARE(QFile(fx.rosterPath()).size(), 0);
}

void RosterTest::saveWritesOnlyChangedRecords()
{
    GradeFixture fx(1, 2);
    fx.writeStandard({{1, 1, QStringLiteral("山田"), 1, {80, 70, 60, 50, 40}},
                      {1, 4, QStringLiteral("転出"), 1, {10, 10, 10, 10, 10}, StudentRecord::TransferredOut},
                      {2, 7, QStringLiteral("佐藤"), 2, {90, 80, 70, 60, 50}}});
    QVERIFY(fx.loadLists());
    GradeData& gd = fx.gd();
    gd.currentTest = 3; // slots 15..19
    QVERIFY(LoadTestScores(gd, NullProgress::instance()).ok);
    const QByteArray before = fx.rosterBytes();

    // Nothing changed: not a byte is written.
    const QDateTime stamp = QFileInfo(fx.rosterPath()).lastModified();
    QVERIFY(SaveTestScores(gd, NullProgress::instance()).ok);
    QCOMPARE(fx.rosterBytes(), before);
    QCOMPARE(QFileInfo(fx.rosterPath()).lastModified(), stamp);

    // One score of one pupil: one slot of one record differs.
    gd.scores(2, 2) = 77;
    RecordingProgress progress;
    QVERIFY(SaveTestScores(gd, progress).ok);
    QCOMPARE(progress.statusTexts.first(), QStringLiteral("データ書込中"));
    const QByteArray after = fx.rosterBytes();
    QCOMPARE(after.size(), before.size());
    QList<int> differing;
    for (int i = 0; i < after.size(); ++i)
        if (after.at(i) != before.at(i)) differing.append(i);
    const int rec = RosterFile::recordNumber(2, 7);
    const int off = (rec - 1) * 512 + 48 + 2 * (15 + 2 - 1);
    QVERIFY(!differing.isEmpty());
    for (int i : differing)
        QVERIFY(i == off || i == off + 1);
    QCOMPARE(fx.readRecord(rec).scoreSlot(16), 77);
}

void RosterTest::saveKeepsOtherFieldsWrittenMeanwhile()
{
    GradeFixture fx(2, 1);
    fx.writeStandard({{1, 1, QStringLiteral("山田"), 1, {80, 70, 60, 50, 40}}});
    QVERIFY(fx.loadLists());
    GradeData& gd = fx.gd();
    gd.currentTest = 1;
    QVERIFY(LoadTestScores(gd, NullProgress::instance()).ok);
    // Another screen enters a 内申点 and another test's score after the load: both stay.
    StudentRecord r = fx.readRecord(1);
    r.setNaishinSlot(3, 4);
    r.setScoreSlot(150, 66);
    fx.writeRecord(1, r);
    gd.scores(1, 1) = 81;
    QVERIFY(SaveTestScores(gd, NullProgress::instance()).ok);
    StudentRecord saved = fx.readRecord(1);
    QCOMPARE(saved.naishinSlot(3), 4);
    QCOMPARE(saved.scoreSlot(150), 66);
    QCOMPARE(saved.scoreSlot(1), 81);
    QCOMPARE(saved.scoreSlot(2), 70);
    // A seat that holds another pupil now (renamed by a copy that ignored the lock) is refused whole.
    r = fx.readRecord(1);
    r.setName(QStringLiteral("山田　太郎"));
    fx.writeRecord(1, r);
    const QByteArray renamed = fx.rosterBytes();
    gd.scores(2, 1) = 71;
    const Result refused = SaveTestScores(gd, NullProgress::instance());
    QVERIFY(!refused.ok);
    QCOMPARE(refused.message, GradeChangedMessage());
    QCOMPARE(fx.rosterBytes(), renamed);
}

void RosterTest::naishinAndChoicesRoundTrip()
{
    GradeFixture fx(3, 1);
    fx.writeStandard({{1, 2, QStringLiteral("山田"), 1, {}}});
    QVERIFY(fx.loadLists());
    GradeData& gd = fx.gd();
    QVERIFY(LoadNaishin(gd, NullProgress::instance()).ok);
    for (int j = 1; j <= 9; ++j)
        gd.naishin(j, 1) = j;
    QVERIFY(SaveNaishin(gd, NullProgress::instance()).ok);
    const StudentRecord r = fx.readRecord(2);
    // Position 9 shows the fifth subject by default, so slot 5 holds 9 and slot 9 holds 8.
    QCOMPARE(r.naishinSlot(5), 9);
    QCOMPARE(r.naishinSlot(6), 5);
    QCOMPARE(r.naishinSlot(9), 8);
    QVERIFY(LoadNaishin(gd, NullProgress::instance()).ok);
    QCOMPARE(gd.naishin(9, 1), 9);

    QVERIFY(LoadCareerChoices(gd, NullProgress::instance()).ok);
    gd.careerChoice(2, 1) = 15;
    QVERIFY(SaveCareerChoices(gd, NullProgress::instance()).ok);
    QCOMPARE(fx.readRecord(2).choice(2), 15);
    QCOMPARE(fx.readRecord(2).choice(1), 0);
}

void RosterTest::partialTrailingRecordIsNeverTouched()
{
    GradeFixture fx(1, 1);
    fx.writeStandard({{1, 1, QStringLiteral("山田"), 1, {80, 70, 60, 50, 40}}});
    // Cut the file inside record 60.
    QByteArray bytes = fx.rosterBytes();
    bytes.truncate(59 * 512 + 100);
    WriteFileBytes(fx.rosterPath(), bytes);
    RosterFile file(fx.rosterPath());
    QVERIFY(file.open().ok);
    QCOMPARE(file.recordCount(), 59);
    StudentRecord r;
    QVERIFY(file.read(60, r).ok);
    QCOMPARE(r.flag(), 0);
    QVERIFY(!file.write(60, StudentRecord::blank()).ok);
    QVERIFY(!file.write(61, StudentRecord::blank()).ok);
    QVERIFY(file.write(2, StudentRecord::blank()).ok);
    file.close();
    QCOMPARE(fx.rosterBytes().size(), bytes.size());
    QCOMPARE(fx.rosterBytes().mid(59 * 512), bytes.mid(59 * 512));
}

void RosterTest::outOfRangeValuesAreRefused()
{
    StudentRecord r = StudentRecord::blank();
    QVERIFY(!r.setScoreSlot(1, 32768));
    QVERIFY(!r.setScoreSlot(1, -32769));
    QVERIFY(!r.setScoreSlot(0, 1));
    QVERIFY(!r.setScoreSlot(201, 1));
    QCOMPARE(r.scoreSlot(1), -5);
    QVERIFY(r.setScoreSlot(1, -32768));

    GradeFixture fx(1, 1);
    fx.writeStandard({{1, 1, QStringLiteral("山田"), 1, {80, 70, 60, 50, 40}}});
    QVERIFY(fx.loadLists());
    fx.gd().currentTest = 1;
    QVERIFY(LoadTestScores(fx.gd(), NullProgress::instance()).ok);
    const QByteArray before = fx.rosterBytes();
    fx.gd().scores(1, 1) = 40000;
    const Result res = SaveTestScores(fx.gd(), NullProgress::instance());
    QVERIFY(!res.ok);
    QVERIFY(res.message.contains(QStringLiteral("40000")));
    QCOMPARE(fx.rosterBytes(), before);
}

void RosterTest::tooManyPupilsIsRefused()
{
    GradeFixture fx(1, 7);
    QList<FixturePupil> pupils;
    for (int c = 1; c <= 7; ++c)
        for (int n = 1; n <= 58; ++n)
            pupils.append({c, n, QStringLiteral("生徒"), 1, {}});
    fx.writeStandard(pupils); // 406 pupils
    QVERIFY(fx.loadLists());
    const Result r = LoadRoster(fx.gd(), NullProgress::instance());
    QVERIFY(!r.ok);
    QVERIFY(r.message.contains(QStringLiteral("400")));
    QCOMPARE(fx.gd().studentCount, 0);
}

QTEST_GUILESS_MAIN(RosterTest)
#include "tst_roster.moc"
