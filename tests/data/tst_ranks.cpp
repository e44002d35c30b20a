// The ranks of AggregateTest against the exchange sort they were first computed with, on random
// grades full of equal totals: the same rank for every pupil, to the digit.
#include "Aggregate.h"
#include "GradeData.h"
#include "Helpers.h"

#include <QRandomGenerator>
#include <QTest>
#include <memory>

using namespace seiran;

namespace {

// The ranking as it was computed before: an exchange sort of the totals, then competition ranks
// down the sorted list.
void exchangeSortRanks(GradeData& gd, int first, int m, int totalColumn, int rankColumn)
{
    if (m < 1) return;
    for (int k = 1; k <= m; ++k) {
        gd.sortKeys[k] = gd.scores(totalColumn, first + k - 1);
        gd.sortIndex[k] = k;
    }
    ExchangeSortDescending(gd.sortKeys, gd.sortIndex, m);
    int rank = 1;
    gd.scores(rankColumn, first + gd.sortIndex[1] - 1) = rank;
    for (int l = 2; l <= m; ++l) {
        if (gd.sortKeys[l] != gd.sortKeys[l - 1]) rank = l;
        gd.scores(rankColumn, first + gd.sortIndex[l] - 1) = rank;
    }
}

std::unique_ptr<GradeData> randomGrade(QRandomGenerator& rnd, int subjects, int classes, int maxPerClass, int top)
{
    auto gd = std::make_unique<GradeData>();
    gd->testCount = 1;
    gd->currentTest = 1;
    gd->testSubjectCount[1] = subjects;
    gd->testFirstSlot[1] = 1;
    gd->classCount = classes;
    for (int c = 1; c <= classes; ++c) {
        const int size = int(rnd.bounded(maxPerClass + 1));
        gd->classStart[c] = gd->studentCount + 1;
        gd->classSize[c] = size;
        for (int i = 0; i < size; ++i) {
            const int s = ++gd->studentCount;
            gd->studentClass[s] = c;
            gd->studentNumber[s] = i + 1;
            gd->studentSex[s] = int(rnd.bounded(3));
            for (int j = 1; j <= subjects; ++j) {
                const int roll = int(rnd.bounded(20));
                // Mostly small scores (many equal totals), now and then absent, not entered or bracketed.
                gd->scores(j, s) = roll == 0 ? -1 : roll == 1 ? -5 : roll == 2 ? -13 : int(rnd.bounded(top + 1));
            }
        }
    }
    return gd;
}

} // namespace

class RanksTest : public QObject
{
    Q_OBJECT
private slots:
    void ranksMatchTheExchangeSort_data();
    void ranksMatchTheExchangeSort();
};

void RanksTest::ranksMatchTheExchangeSort_data()
{
    QTest::addColumn<int>("subjects");
    QTest::addColumn<int>("classes");
    QTest::addColumn<int>("maxPerClass");
    QTest::addColumn<int>("top");
    QTest::newRow("five subjects, scores 0-3") << 5 << 9 << 44 << 3;
    QTest::newRow("nine subjects, scores 0-1") << 9 << 9 << 44 << 1;
    QTest::newRow("three subjects, tiny classes") << 3 << 9 << 2 << 2;
    QTest::newRow("one class, full range") << 5 << 1 << 60 << 100;
}

void RanksTest::ranksMatchTheExchangeSort()
{
    QFETCH(int, subjects);
    QFETCH(int, classes);
    QFETCH(int, maxPerClass);
    QFETCH(int, top);
    for (quint32 seed = 1; seed <= 25; ++seed) {
        QRandomGenerator rnd(seed);
        auto gd = randomGrade(rnd, subjects, classes, maxPerClass, top);
        AggregateTest(*gd);
        const int total = subjects + 1;
        auto expected = std::make_unique<GradeData>(*gd);
        for (int c = 1; c <= classes; ++c)
            exchangeSortRanks(*expected, gd->classStart[c], gd->classSize[c], total, subjects + 3);
        exchangeSortRanks(*expected, 1, gd->studentCount, total, subjects + 2);
        for (int s = 1; s <= gd->studentCount; ++s) {
            QCOMPARE(gd->scores(subjects + 2, s), expected->scores(subjects + 2, s));
            QCOMPARE(gd->scores(subjects + 3, s), expected->scores(subjects + 3, s));
        }
        // The scratch lists hold the grade's totals from the highest down, as before.
        for (int l = 1; l <= gd->studentCount; ++l)
            QCOMPARE(gd->sortKeys[l], expected->sortKeys[l]);
    }
}

QTEST_GUILESS_MAIN(RanksTest)
#include "tst_ranks.moc"
