#include "Aggregate.h"
#include "GradeData.h"
#include "Helpers.h"

#include <QTest>
#include <memory>

using namespace seiran;

namespace {

// A grade in memory: classes of pupils with sexes and the scores of one test.
struct Pupil
{
    int classNo;
    int sex;
    QList<int> scores;
};

std::unique_ptr<GradeData> makeGrade(int subjects, const QList<Pupil>& pupils, int classes)
{
    auto gd = std::make_unique<GradeData>();
    gd->testCount = 1;
    gd->currentTest = 1;
    gd->testSubjectCount[1] = subjects;
    gd->testFirstSlot[1] = 1;
    gd->classCount = classes;
    for (const Pupil& p : pupils) {
        const int s = ++gd->studentCount;
        gd->studentClass[s] = p.classNo;
        gd->studentSex[s] = p.sex;
        gd->classSize[p.classNo] += 1;
        for (int j = 1; j <= subjects; ++j)
            gd->scores(j, s) = p.scores.value(j - 1, -5);
    }
    gd->classStart[1] = 1;
    for (int c = 2; c <= classes; ++c)
        gd->classStart[c] = gd->classStart[c - 1] + gd->classSize[c - 1];
    return gd;
}

} // namespace

class AggregateTest_ : public QObject
{
    Q_OBJECT
private slots:
    void totalsAndCompetitionRanks();
    void missingMainSubjectRanksLast();
    void nineSubjectsAndSexAverages();
    void allAbsentClassAndEmptyMaxima();
    void pupilWithoutSexCountsOnce();
    void fewerThanFiveSubjects();
    void exchangeSortOrderOfEqualKeys();
};

void AggregateTest_::totalsAndCompetitionRanks()
{
    // Totals 480, 470, 470, 455 over two classes.
    auto gd = makeGrade(5,
                        {{1, 1, {96, 96, 96, 96, 96}},
                         {1, 2, {94, 94, 94, 94, 94}},
                         {2, 1, {94, 94, 94, 94, 94}},
                         {2, 2, {91, 91, 91, 91, 91}}},
                        2);
    AggregateTest(*gd);
    const int T = 6;
    QCOMPARE(gd->scores(T, 1), 480);
    QCOMPARE(gd->scores(T, 4), 455);
    QCOMPARE(gd->scores(7, 1), 1);
    QCOMPARE(gd->scores(7, 2), 2);
    QCOMPARE(gd->scores(7, 3), 2); // same total in another class shares the grade rank
    QCOMPARE(gd->scores(7, 4), 4);
    QCOMPARE(gd->scores(8, 1), 1);
    QCOMPARE(gd->scores(8, 2), 2);
    QCOMPARE(gd->scores(8, 3), 1);
    QCOMPARE(gd->scores(8, 4), 2);
    QCOMPARE(gd->average(0, T, 0).value(), (480 + 470 + 470 + 455) / 4.0);
    QCOMPARE(gd->gradeMax[T].value(), 480);
    // The scratch lists are left holding the grade ranking.
    QCOMPARE(gd->sortIndex[1], 1);
    QCOMPARE(gd->sortKeys[4], 455.0);
}

void AggregateTest_::missingMainSubjectRanksLast()
{
    auto gd = makeGrade(5,
                        {{1, 1, {50, 50, -1, 50, 50}},
                         {1, 1, {10, 10, 10, 10, 10}},
                         {1, 2, {10, 10, -5, 10, 10}},
                         {1, 2, {20, 20, -12, 20, 20}}},
                        1);
    AggregateTest(*gd);
    QCOMPARE(gd->scores(6, 1), -5);
    QCOMPARE(gd->scores(7, 2), 1);
    QCOMPARE(gd->scores(7, 1), 2);
    QCOMPARE(gd->scores(7, 3), 2);
    QCOMPARE(gd->scores(7, 4), 2);
    // Only the complete pupil counts in the total's average and maximum.
    QCOMPARE(gd->average(0, 6, 0).value(), 50.0);
    QCOMPARE(gd->gradeMax[6].value(), 50);
    // Codes (-1, -5, bracketed) are left out of the third subject's average.
    QCOMPARE(gd->average(1, 3, 0).value(), 10.0);
    QVERIFY(!gd->average(0, 3, 2).has_value());
    QCOMPARE(gd->average(0, 1, 0).value(), 22.5);
}

void AggregateTest_::nineSubjectsAndSexAverages()
{
    auto gd = makeGrade(9,
                        {{1, 1, {80, 80, 80, 80, 80, 10, 20, 30, 40}},
                         {1, 2, {60, 60, 60, 60, 60, 50, 60, 70, 81}},
                         {2, 1, {70, 70, 70, 70, 70, -1, 0, 0, 0}}},
                        2);
    AggregateTest(*gd);
    QCOMPARE(gd->scores(10, 1), 400); // total covers subjects 1..5 only
    QCOMPARE(gd->scores(11, 1), 1);   // grade rank
    QCOMPARE(gd->scores(12, 3), 1);   // class rank
    QCOMPARE(gd->scores(11, 2), 3);
    QCOMPARE(gd->gradeMax[9].value(), 81);
    QCOMPARE(gd->average(0, 6, 0).value(), 30.0);
    QCOMPARE(gd->average(0, 1, 1).value(), 75.0);
    QCOMPARE(gd->average(0, 1, 2).value(), 60.0);
    QCOMPARE(gd->average(1, 9, 2).value(), 81.0);
    QVERIFY(!gd->average(2, 1, 2).has_value());
    QCOMPARE(gd->average(2, 7, 0).value(), 0.0);
}

void AggregateTest_::allAbsentClassAndEmptyMaxima()
{
    auto gd = makeGrade(5, {{1, 1, {-1, 10, 10, 10, 10}}, {1, 2, {-1, 0, 0, 0, 0}}, {2, 1, {30, 0, 0, 0, 0}}}, 2);
    AggregateTest(*gd);
    QVERIFY(!gd->average(1, 1, 0).has_value());
    QCOMPARE(gd->average(0, 1, 0).value(), 30.0);
    QCOMPARE(gd->average(2, 1, 0).value(), 30.0);
    // A column whose highest value is 0 has no maximum.
    auto zeros = makeGrade(5, {{1, 1, {0, 0, 0, 0, 0}}}, 1);
    AggregateTest(*zeros);
    QVERIFY(!zeros->gradeMax[1].has_value());
    QCOMPARE(zeros->average(0, 1, 0).value(), 0.0);
}

void AggregateTest_::pupilWithoutSexCountsOnce()
{
    auto gd = makeGrade(5, {{1, 0, {90, 90, 90, 90, 90}}, {1, 1, {30, 30, 30, 30, 30}}}, 1);
    AggregateTest(*gd);
    QCOMPARE(gd->average(0, 1, 0).value(), 60.0);
    QCOMPARE(gd->average(1, 1, 0).value(), 60.0);
    QCOMPARE(gd->average(0, 1, 1).value(), 30.0);
    QVERIFY(!gd->average(0, 1, 2).has_value());
}

void AggregateTest_::fewerThanFiveSubjects()
{
    auto gd = makeGrade(3, {{1, 1, {50, 40, 30}}, {1, 2, {50, 50, 50}}}, 1);
    gd->scores(4, 1) = 999; // left over from an earlier test; never read as a score
    gd->scores(5, 1) = 999;
    AggregateTest(*gd);
    QCOMPARE(gd->scores(4, 1), 120);
    QCOMPARE(gd->scores(4, 2), 150);
    QCOMPARE(gd->scores(5, 2), 1);
    QCOMPARE(gd->scores(5, 1), 2);
    QCOMPARE(gd->gradeMax[4].value(), 150);
}

void AggregateTest_::exchangeSortOrderOfEqualKeys()
{
    // Keys 5, 5, 7: the exchange procedure leaves 7, the second 5, then the first 5.
    double keys[4] = {0, 5, 5, 7};
    int index[4] = {0, 1, 2, 3};
    ExchangeSortDescending(keys, index, 3);
    QCOMPARE(keys[1], 7.0);
    QCOMPARE(index[1], 3);
    QCOMPARE(index[2], 2);
    QCOMPARE(index[3], 1);
}

QTEST_GUILESS_MAIN(AggregateTest_)
#include "tst_aggregate.moc"
