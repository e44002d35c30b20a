#include "GradeData.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "TestSeries.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>

using namespace seiran;
using namespace seiran::test;

namespace {

// Tests: "前期" (5 subjects, slots 1..5), "小テスト" (3 subjects, slots 6..8), "後期" (5, slots 9..13).
void writeThreeTests(GradeFixture& fx)
{
    fx.writeTests({{QStringLiteral("前期"), 5}, {QStringLiteral("小テスト"), 3}, {QStringLiteral("後期"), 5}});
}

StudentRecord pupil(const QString& name, int sex, const QList<int>& slotValues, int flag = StudentRecord::InUse)
{
    StudentRecord rec = StudentRecord::blank();
    rec.setFlag(flag);
    rec.setName(name);
    rec.setSex(sex);
    for (int u = 1; u <= slotValues.size(); ++u)
        rec.setScoreSlot(u, slotValues.at(u - 1));
    return rec;
}

} // namespace

class TestSeriesTest : public QObject
{
    Q_OBJECT
private slots:
    void readsEnrolledPupilsOnlyInClassOrder();
    void shortTestReadsOnlyItsOwnSlots();
    void averagesSkipSubjectsWithoutScores();
    void highestScoreOverNamedTests();
    void totalsGiveTheReasonTheyAreMissing();
    void missingFileIsReportedAndNotCreated();
    void unknownTestsAndBadClassCountsAreRefused();
};

void TestSeriesTest::readsEnrolledPupilsOnlyInClassOrder()
{
    GradeFixture fx(2, 3);
    writeThreeTests(fx);
    fx.writeRoster({});
    fx.writeRecord(RosterFile::recordNumber(2, 7), pupil(QStringLiteral("山田太郎"), 1, {80}));
    fx.writeRecord(RosterFile::recordNumber(1, 3), pupil(QStringLiteral("佐藤花子"), 2, {70}));
    fx.writeRecord(RosterFile::recordNumber(1, 1), pupil(QStringLiteral("free"), 1, {10}, StudentRecord::Free));
    fx.writeRecord(RosterFile::recordNumber(1, 2), pupil(QStringLiteral("gone"), 1, {10}, 2));
    fx.writeRecord(RosterFile::recordNumber(2, 1), pupil(QStringLiteral("in"), 1, {10}, 96));
    fx.writeRecord(RosterFile::recordNumber(3, 60), pupil(QStringLiteral("ｺﾋﾟｰ"), 1, {90}));
    // The last record of class 3 is cut short: it belongs to nobody and is skipped.
    QByteArray bytes = fx.rosterBytes();
    bytes.chop(100);
    WriteFileBytes(fx.rosterPath(), bytes);

    TestSeries series;
    RecordingProgress progress;
    const Result r = ReadTestSeries(fx.gd(), {1}, series, progress);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(series.pupils.size(), 2);
    QCOMPARE(series.pupils.at(0).classNo, 1);
    QCOMPARE(series.pupils.at(0).number, 3);
    QCOMPARE(series.pupils.at(0).sex, 2);
    // As stored: four full-width characters and six blanks make the 14 columns.
    QCOMPARE(series.pupils.at(0).name, QStringLiteral("佐藤花子      "));
    QCOMPARE(series.pupils.at(1).classNo, 2);
    QCOMPARE(series.pupils.at(1).number, 7);
    QCOMPARE(series.average(0, 1),
             std::optional<double>(75.0)); // the free, transferred and partial records do not count
    QCOMPARE(series.pupilAt(2, 7), 1);
    QCOMPARE(series.pupilAt(3, 60), -1);
    QCOMPARE(series.pupilsOfClass(1), QList<int>{0});
    QCOMPARE(progress.statusTexts.first(), QStringLiteral("データ読込中"));
    QCOMPARE(progress.lastMaximum, 180);
    QVERIFY(!progress.visible);
}

void TestSeriesTest::shortTestReadsOnlyItsOwnSlots()
{
    GradeFixture fx(1, 1);
    writeThreeTests(fx);
    fx.writeRoster({});
    // Slots 1..5 the first test, 6..8 the three-subject test, 9..13 the last.
    fx.writeRecord(1, pupil(QStringLiteral("A"), 1, {1, 2, 3, 4, 5, 61, 62, 63, 91, 92, 93, 94, 95}));

    TestSeries series;
    QVERIFY(ReadTestSeries(fx.gd(), {3, 2, 1}, series, NullProgress::instance()).ok);
    QCOMPARE(series.tests, (QList<int>{3, 2, 1}));
    QCOMPARE(series.subjectCounts, (QList<int>{5, 3, 5}));
    const SeriesPupil& p = series.pupils.at(0);
    QCOMPARE(p.score(0, 1), 91);
    QCOMPARE(p.score(0, 5), 95);
    QCOMPARE(p.score(1, 1), 61);
    QCOMPARE(p.score(1, 3), 63);
    // Slots 9 and 10 belong to the next test, not to subjects 4 and 5 of the short one.
    QCOMPARE(p.score(1, 4), ScoreCode::NotEntered);
    QCOMPARE(p.score(1, 5), ScoreCode::NotEntered);
    QCOMPARE(p.total(1).value, 186);
    QVERIFY(p.total(1).present());
    QCOMPARE(p.total(2).value, 15);
    QVERIFY(!series.average(1, 4).has_value());
    QCOMPARE(series.totalAverage(1), std::optional<double>(186.0));
}

void TestSeriesTest::averagesSkipSubjectsWithoutScores()
{
    GradeFixture fx(1, 2);
    writeThreeTests(fx);
    fx.writeRoster({});
    // Nobody has a score in subject 3 of the first test; absent and bracketed scores do not count.
    fx.writeRecord(1, pupil(QStringLiteral("A"), 1, {50, 40, -1, 30, 21}));
    fx.writeRecord(2, pupil(QStringLiteral("B"), 2, {70, -1, -5, 20, 20}));
    fx.writeRecord(61, pupil(QStringLiteral("C"), 1, {60, -17, -5, 10, 20}));

    TestSeries series;
    QVERIFY(ReadTestSeries(fx.gd(), {1}, series, NullProgress::instance()).ok);
    QCOMPARE(series.average(0, 1), std::optional<double>(60.0));
    QCOMPARE(series.average(0, 2), std::optional<double>(40.0));
    QVERIFY(!series.average(0, 3).has_value());
    QCOMPARE(series.average(0, 4), std::optional<double>(20.0));
    QCOMPARE(series.counts.at(0)[4], 3);
    QCOMPARE(series.sums.at(0)[4], 61.0);
    // The total average is the sum of the averages that exist.
    QCOMPARE(*series.totalAverage(0), 60.0 + 40.0 + 20.0 + 61.0 / 3);
    QCOMPARE(*series.highestTotalAverage({0}), *series.totalAverage(0));

    // A test nobody took has no averages at all.
    QVERIFY(ReadTestSeries(fx.gd(), {3}, series, NullProgress::instance()).ok);
    QVERIFY(!series.totalAverage(0).has_value());
    QVERIFY(!series.highestScore({0}).has_value());
    QVERIFY(!series.highestTotalAverage({0}).has_value());
}

void TestSeriesTest::highestScoreOverNamedTests()
{
    GradeFixture fx(1, 1);
    writeThreeTests(fx);
    fx.writeRoster({});
    fx.writeRecord(1, pupil(QStringLiteral("A"), 1, {50, 12, 0, -1, 3, 51, 1, 1, 49}));
    fx.writeRecord(2, pupil(QStringLiteral("B"), 1, {-5, 12, 0, 40, 3, 8, 1, 1, 50}));

    TestSeries series;
    QVERIFY(ReadTestSeries(fx.gd(), {1, 2, 3}, series, NullProgress::instance()).ok);
    QCOMPARE(series.highestScore({0}), std::optional<int>(50));
    QCOMPARE(series.highestScore({0, 2}), std::optional<int>(50));
    QCOMPARE(series.highestScore({1}), std::optional<int>(51));
    QCOMPARE(series.highestScore({0, 1, 2}), std::optional<int>(51));
    QVERIFY(!series.highestScore({}).has_value());
    QVERIFY(!series.highestScore({7}).has_value()); // a position that does not exist
}

void TestSeriesTest::totalsGiveTheReasonTheyAreMissing()
{
    QCOMPARE(ScoreMissingReason(0), MissingReason::None);
    QCOMPARE(ScoreMissingReason(-1), MissingReason::Absent);
    QCOMPARE(ScoreMissingReason(-10), MissingReason::Absent); // bracketed 0
    QCOMPARE(ScoreMissingReason(-5), MissingReason::NotEntered);

    GradeFixture fx(1, 1);
    writeThreeTests(fx);
    fx.writeRoster({});
    fx.writeRecord(1, pupil(QStringLiteral("A"), 1, {10, -5, 10, -1, 10})); // not entered before absent
    fx.writeRecord(2, pupil(QStringLiteral("B"), 1, {10, -1, 10, -5, 10})); // absent before not entered
    fx.writeRecord(3, pupil(QStringLiteral("C"), 1, {10, 10, -5, 10, 10}));
    fx.writeRecord(4, pupil(QStringLiteral("D"), 1, {10, 10, -25, 10, 10}));
    fx.writeRecord(5, pupil(QStringLiteral("E"), 1, {0, 0, 0, 0, 0}));

    TestSeries series;
    QVERIFY(ReadTestSeries(fx.gd(), {1}, series, NullProgress::instance()).ok);
    QCOMPARE(series.pupils.at(0).total(0).missing, MissingReason::Absent);
    QCOMPARE(series.pupils.at(1).total(0).missing, MissingReason::Absent);
    QCOMPARE(series.pupils.at(2).total(0).missing, MissingReason::NotEntered);
    QCOMPARE(series.pupils.at(3).total(0).missing, MissingReason::Absent);
    QVERIFY(series.pupils.at(4).total(0).present());
    QCOMPARE(series.pupils.at(4).total(0).value, 0);
}

void TestSeriesTest::missingFileIsReportedAndNotCreated()
{
    GradeFixture fx(3, 2);
    writeThreeTests(fx);
    TestSeries series;
    series.tests = {9};
    const Result r = ReadTestSeries(fx.gd(), {1}, series, NullProgress::instance());
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("dtfile03.rnd")) && r.message.contains(QStringLiteral("がありません")),
             qPrintable(r.message));
    QVERIFY(!QFile::exists(fx.rosterPath()));
    QVERIFY(series.tests.isEmpty());
}

void TestSeriesTest::unknownTestsAndBadClassCountsAreRefused()
{
    GradeFixture fx(1, 1);
    writeThreeTests(fx);
    fx.writeRoster({});
    TestSeries series;
    QVERIFY(!ReadTestSeries(fx.gd(), {4}, series, NullProgress::instance()).ok);
    QVERIFY(!ReadTestSeries(fx.gd(), {0}, series, NullProgress::instance()).ok);
    // A test list whose slots run past the record is refused, not read out of bounds.
    fx.gd().testFirstSlot[3] = 198;
    QVERIFY(!ReadTestSeries(fx.gd(), {3}, series, NullProgress::instance()).ok);
    fx.gd().testFirstSlot[3] = 9;
    fx.gd().classCount = 10;
    QVERIFY(!ReadTestSeries(fx.gd(), {1}, series, NullProgress::instance()).ok);
    fx.gd().classCount = 1;
    // No tests at all: the pupils are still read.
    QVERIFY(ReadTestSeries(fx.gd(), {}, series, NullProgress::instance()).ok);
}

QTEST_GUILESS_MAIN(TestSeriesTest)
#include "tst_testseries.moc"
