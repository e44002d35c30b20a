// The guidance materials' computations: test totals and scores, weighted 内申点, the ranking and
// the school blocks, worked by hand.
#include "CareerCommon.h"
#include "CareerTestData.h"
#include "GuidanceMaterials.h"
#include "ListFiles.h"
#include "Progress.h"
#include "RosterFile.h"
#include "TestSupport.h"

#include <QtTest>

using namespace seiran;
using namespace seiran::test;

namespace {
const QList<int> none{-1, -1, -1, -1, -1};

// Three schools and "その他": 青嵐 doubles 国語, 東山 has no multipliers of its own.
QList<CareerSchool> threeSchools()
{
    return {{QStringLiteral("青嵐"),
             QStringLiteral("県立青嵐高等学校"),
             QStringLiteral("普通科"),
             {2, 1, 1, 1, 1, 1, 1, 1, 1}},
            {QStringLiteral("東山"), QStringLiteral("県立東山高等学校"), QStringLiteral("普通科"), {}}};
}
} // namespace

class GuidanceTest : public QObject
{
    Q_OBJECT
private slots:
    void testTotalsAndScores()
    {
        // Only scores of 0 and above count; a test without any gives -1 and is left out of the
        // mean, which rounds halves to the even neighbour.
        QCOMPARE(TestTotal({80, -1, 70, -5, 60}), 210);
        QCOMPARE(TestTotal({-12, 50}), 50);
        QCOMPARE(TestTotal({0, -1}), 0);
        QCOMPARE(TestTotal(none), -1);
        QCOMPARE(TestTotal({}), -1);
        QCOMPARE(TestScore({300, -1, 240}), 270);
        QCOMPARE(TestScore({495, 150}), 322); // 322.5
        QCOMPARE(TestScore({295, 296}), 296); // 295.5
        QCOMPARE(TestScore({296, 297}), 296); // 296.5
        QCOMPARE(TestScore({-1, -1}), -1);
        QCOMPARE(CombinedScore(-1, 45), 45);
        QCOMPARE(CombinedScore(270, 27), 297);
    }

    void everyTermOfThePupils()
    {
        // Tests of 5, 3 and 5 subjects: the three-subject test adds only its own three slots.
        auto gd = MakeCareerGrade(1,
                                  {{1, 1, 1, {3, 3, 3, 3, 3, 3, 3, 3, 3}, {1, 0, 0, 0}},
                                   {1, 2, 2, {5, 5, 5, 5, 5, 5, 5, 5, 5}, {}},
                                   {1, 3, 1, {}, {}},
                                   {1, 5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {}}},
                                  threeSchools());
        SetCareerTests(*gd, {5, 3, 5});
        QCOMPARE(GuidanceTestSlots(*gd, 2), (QList<int>{6, 7, 8}));
        QCOMPARE(GuidanceTestSlots(*gd, 3), (QList<int>{9, 10, 11, 12, 13}));
        const QList<QList<int>> values{
            {80, 70, 60, 50, 40, -1, -1, -1, 90, -5, 80, -12, 70}, // absent in the whole second test
            {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},  // absent everywhere
            {100, 100, 100, 100, 95, 50, 50, 50, -5, -5, -5, -5, -5},
            {59, 59, 59, 59, 59, 100, 100, 96, -5, -5, -5, -5, -5},
        };
        GuidanceOptions options;
        options.tests = {1, 2, 3};
        const GuidanceScores g = ComputeGuidanceScores(*gd, options, SlotsOf(*gd, values));
        QCOMPARE(g.pupilCount(), 4);
        QCOMPARE(g.testTotal[1][1], 300);
        QCOMPARE(g.testTotal[1][2], -1);
        QCOMPARE(g.testTotal[1][3], 240);
        QCOMPARE(g.testScore[1], 270);
        QCOMPARE(g.naishinTotal[1], 27);
        QCOMPARE(g.combined[1], 297);
        QCOMPARE(g.naishin5[1], 15);
        QCOMPARE(g.naishin4[1], 12);
        QCOMPARE(g.testScore[2], -1);
        QCOMPARE(g.combined[2], 45); // the 内申点 total alone
        QCOMPARE(g.testTotal[3][2], 150);
        QCOMPARE(g.testScore[3], 322);
        QCOMPARE(g.combined[3], 322);
        QCOMPARE(g.testScore[4], 296);
        // 内５ = positions 1-4 and 9, 内４ = positions 5-8.
        QCOMPARE(g.naishin5[4], 1 + 2 + 3 + 4 + 9);
        QCOMPARE(g.naishin4[4], 5 + 6 + 7 + 8);

        // Without 内申点 the ranking rests on the test score alone.
        options.testsOnly = true;
        const GuidanceScores t = ComputeGuidanceScores(*gd, options, SlotsOf(*gd, values));
        QCOMPARE(t.naishinTotal[1], 0);
        QCOMPARE(t.combined[1], 270);
        QCOMPARE(t.combined[2], 0);

        // No test chosen: nothing stale is used, every pupil ranks by his 内申点 total.
        const GuidanceScores n = ComputeGuidanceScores(*gd, GuidanceOptions{}, {});
        QCOMPARE(n.testCount, 0);
        QCOMPARE(n.testScore[1], -1);
        QCOMPARE(n.combined[1], 27);
        QCOMPARE(n.combined[4], 45);
    }

    void weightedNaishinIsRoundedOnce()
    {
        auto gd = MakeCareerGrade(1,
                                  {{1, 1, 1, {3, 1}, {}},    // 4.5 + 2.5 = 7.0
                                   {1, 2, 1, {1, 0, 1}, {}}, // 1.5 + 1 = 2.5 -> 2
                                   {1, 3, 1, {1, 0, 2}, {}}, // 1.5 + 2 = 3.5 -> 4
                                   {1, 4, 1, {0, 1}, {}}},   // 2.5 -> 2
                                  threeSchools());
        gd->naishinWeight[1] = 1.5;
        gd->naishinWeight[2] = 2.5;
        const GuidanceScores g = ComputeGuidanceScores(*gd, GuidanceOptions{}, {});
        QCOMPARE(g.naishinTotal[1], 7);
        QCOMPARE(g.naishinTotal[2], 2);
        QCOMPARE(g.naishinTotal[3], 4);
        QCOMPARE(g.naishinTotal[4], 2);
        QCOMPARE(RoundHalfEvenWide(70000.5), 70000);
        QCOMPARE(RoundHalfEvenWide(-3.5), -4);
    }

    void equalScoresGetConsecutiveNumbersInTheSortsOrder()
    {
        // The exchange sort puts the third pupil first and then the tied pupils 2 and 1, in
        // that order.
        QCOMPARE(RankByExchangeSort({1, 2, 3}, {50, 50, 60}), (QList<int>{3, 2, 1}));
        QCOMPARE(RankByExchangeSort({1, 2, 3, 4, 5}, {50, 70, 50, 70, 60}), (QList<int>{2, 4, 5, 1, 3}));
        auto gd = MakeCareerGrade(1, {{1, 1, 1, {5}, {}}, {1, 2, 1, {5}, {}}, {1, 3, 1, {6}, {}}, {1, 4, 1, {}, {}}},
                                  threeSchools());
        QCOMPARE(GradeRanking(ComputeGuidanceScores(*gd, GuidanceOptions{}, {})), (QList<int>{3, 2, 1, 4}));
    }

    void schoolBlocks()
    {
        // 国語 has the multiplier 1.5: 青嵐 doubles it, 東山 and "その他" use it as a whole
        // number (2, halves to even).
        auto gd = MakeCareerGrade(1,
                                  {{1, 1, 1, {5}, {1, 2, 0, 1}},
                                   {1, 2, 2, {3}, {2, 1, 3, 0}},
                                   {1, 3, 1, {4}, {1, 1, 0, 2}},
                                   {1, 4, 2, {2}, {3, 1, 0, 0}}},
                                  threeSchools());
        gd->naishinWeight[1] = 1.5;
        SetCareerTests(*gd, {1});
        GuidanceOptions options;
        options.tests = {1};
        const GuidanceScores g = ComputeGuidanceScores(*gd, options, SlotsOf(*gd, {{100}, {100}, {90}, {80}}));
        QCOMPARE(g.combined[1], 108); // 100 + 7.5 -> 8
        QCOMPARE(g.combined[2], 104); // 100 + 4.5 -> 4
        QCOMPARE(g.combined[3], 96);
        QCOMPARE(g.combined[4], 83);

        QList<SchoolBlock> blocks = BuildSchoolBlocks(*gd, options, g);
        QCOMPARE(blocks.size(), 3);
        QCOMPARE(blocks[0].pupils, (QList<int>{1, 3}));
        QCOMPARE(blocks[0].combined, (QList<int>{110, 98}));
        QCOMPARE(blocks[1].pupils, (QList<int>{2}));
        QCOMPARE(blocks[2].school, 3);
        QCOMPARE(blocks[2].naishinTotal, (QList<int>{4})); // "その他": 2 x 2
        QCOMPARE(blocks[0].secondChoiceCount, 0);

        // With second choices: pupil 3 chose 青嵐 twice and is listed once; the added pupils
        // come after the first-choice ones before the sort.
        options.secondChoices = true;
        blocks = BuildSchoolBlocks(*gd, options, g);
        QCOMPARE(blocks[0].pupils, (QList<int>{1, 2, 3, 4}));
        QCOMPARE(blocks[0].combined, (QList<int>{110, 106, 98, 84}));
        QCOMPARE(blocks[0].bySecondChoice, (QList<bool>{false, true, false, true}));
        QCOMPARE(blocks[0].secondChoiceCount, 2);
        QCOMPARE(blocks[1].pupils, (QList<int>{1, 2}));
        QCOMPARE(blocks[1].combined, (QList<int>{110, 106}));

        // The subjects' own multipliers: the same combined scores as the grade ranking.
        options.subjectMultipliers = true;
        blocks = BuildSchoolBlocks(*gd, options, g);
        QCOMPARE(blocks[0].combined, (QList<int>{108, 104, 96, 83}));
        QCOMPARE(blocks[2].naishinTotal, (QList<int>{3}));
        QCOMPARE(SchoolPositionMultiplier(*gd, options, 1, 1), 1.5);
        options.subjectMultipliers = false;
        QCOMPARE(SchoolPositionMultiplier(*gd, options, 1, 1), 2.0);
        QCOMPARE(SchoolPositionMultiplier(*gd, options, 3, 1), 2.0);
        gd->naishinWeight[1] = 2.5;
        QCOMPARE(SchoolMultiplier(*gd, 3, 1), 2);

        // A choice outside the list (shortened later) is counted nowhere.
        gd->careerChoice(1, 2) = 9;
        blocks = BuildSchoolBlocks(*gd, GuidanceOptions{}, g);
        QCOMPARE(blocks.size(), 2);
        QCOMPARE(blocks[0].pupils, (QList<int>{1, 3}));
    }

    void optionsThatCannotBeProcessed()
    {
        auto gd = MakeCareerGrade(1, {}, threeSchools());
        SetCareerTests(*gd, QList<int>(14, 5));
        GuidanceOptions options;
        QCOMPARE(GuidanceOptionsProblem(*gd, options), QString());
        options.testsOnly = true;
        QCOMPARE(GuidanceOptionsProblem(*gd, options), QStringLiteral("処理するテストを選んでください。"));
        for (int t = 1; t <= 13; ++t)
            options.tests.append(t);
        QCOMPARE(GuidanceOptionsProblem(*gd, options), QString());
        options.tests.append(14);
        QCOMPARE(GuidanceOptionsProblem(*gd, options), QStringLiteral("処理できるテストは13までです。"));
        options.tests = {15};
        QVERIFY(!GuidanceOptionsProblem(*gd, options).isEmpty());
    }

    void scoresAreReadFromTheRosterFile()
    {
        // Tests of 5, 3 and 5 subjects in the file: the three-subject test never reaches into
        // the next test's slots, and a pupil added to the file after the load has no place.
        GradeFixture fixture(3, 2);
        fixture.writeSubjects(CareerSubjectNames());
        fixture.writeTests({{QStringLiteral("中間"), 5}, {QStringLiteral("期末"), 3}, {QStringLiteral("実力"), 5}});
        fixture.writeHomeroom();
        fixture.writeRoster({{1, 1, QStringLiteral("青木"), 1, {10, 20, 30, 40, 50}},
                             {1, 4, QStringLiteral("井上"), 2, {}},
                             {2, 2, QStringLiteral("上田"), 1, {1}}});
        StudentRecord rec = fixture.readRecord(1);
        for (int slot : {6, 7, 8})
            QVERIFY(rec.setScoreSlot(slot, 5));
        QVERIFY(rec.setScoreSlot(9, 99));
        fixture.writeRecord(1, rec);
        rec = fixture.readRecord(4);
        QVERIFY(rec.setScoreSlot(7, -1));
        fixture.writeRecord(4, rec);
        QVERIFY(fixture.loadLists());
        GradeData& gd = fixture.gd();
        QVERIFY(LoadNaishin(gd, NullProgress::instance()).ok);

        StudentRecord late = StudentRecord::blank();
        late.setFlag(StudentRecord::InUse);
        QVERIFY(late.setScoreSlot(1, 77));
        fixture.writeRecord(RosterFile::recordNumber(1, 2), late);

        GuidanceOptions options;
        options.tests = {1, 2, 3};
        GuidanceScores g;
        RecordingProgress progress;
        QVERIFY(LoadGuidanceScores(gd, options, g, progress).ok);
        QCOMPARE(progress.statusTexts.first(), QStringLiteral("データ読込中"));
        QVERIFY(!progress.visible);
        QCOMPARE(g.pupilCount(), 3);
        QCOMPARE(g.testTotal[1][1], 150);
        QCOMPARE(g.testTotal[1][2], 15);
        QCOMPARE(g.testTotal[1][3], 99);
        QCOMPARE(g.testScore[1], 88); // 264 / 3
        QCOMPARE(g.testTotal[2][2], -1);
        QCOMPARE(g.testScore[2], -1);
        QCOMPARE(g.testTotal[3][1], 1);
        QCOMPARE(g.testScore[3], 1);

        // The file is only read.
        const QByteArray before = fixture.rosterBytes();
        QVERIFY(LoadGuidanceScores(gd, options, g, NullProgress::instance()).ok);
        QCOMPARE(fixture.rosterBytes(), before);
    }
};

QTEST_MAIN(GuidanceTest)
#include "tst_guidance.moc"
