#include "Aggregate.h"

#include "GradeData.h"
#include "Helpers.h"

namespace seiran {

namespace {

// Competition ranks (480, 470, 470, 455 -> 1, 2, 2, 4) of the totals of `m` pupils starting
// at pupil `first`, written into score column `rankColumn`.
void rankTotals(GradeData& gd, int first, int m, int totalColumn, int rankColumn)
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

} // namespace

void AggregateTest(GradeData& gd)
{
    const int n = qBound(0, gd.currentTestSubjectCount(), Limits::TestSubjects);
    const int T = n + 1;
    // A test with fewer than five subjects totals its own subjects only.
    const int totalOf = qMin(n, 5);

    gd.average.fill(std::nullopt);
    gd.gradeMax.fill(std::nullopt);
    double sum[Limits::Classes + 1][12][3] = {};
    int count[Limits::Classes + 1][12][3] = {};

    for (int s = 1; s <= gd.studentCount; ++s) {
        int total = 0;
        bool complete = true;
        for (int j = 1; j <= totalOf; ++j) {
            const int v = gd.scores(j, s);
            if (v >= 0)
                total += v;
            else
                complete = false;
        }
        gd.scores(T, s) = complete ? total : -5;
    }

    for (int c = 1; c <= gd.classCount; ++c) {
        for (int s = gd.classStart[c]; s < gd.classEnd(c); ++s) {
            const int sex = gd.studentSex[s];
            // A pupil without a sex counts once, in the whole group only.
            const bool bySex = sex == 1 || sex == 2;
            for (int j = 1; j <= T; ++j) {
                const int v = gd.scores(j, s);
                if (v < 0) continue;
                sum[0][j][0] += v;
                count[0][j][0] += 1;
                sum[c][j][0] += v;
                count[c][j][0] += 1;
                if (bySex) {
                    sum[0][j][sex] += v;
                    count[0][j][sex] += 1;
                    sum[c][j][sex] += v;
                    count[c][j][sex] += 1;
                }
                if (v > gd.gradeMax[j].value_or(0)) gd.gradeMax[j] = v;
            }
        }
    }

    for (int c = 0; c <= gd.classCount; ++c)
        for (int j = 1; j <= T; ++j)
            for (int x = 0; x <= 2; ++x)
                if (count[c][j][x] > 0) gd.average(c, j, x) = sum[c][j][x] / count[c][j][x];

    for (int c = 1; c <= gd.classCount; ++c)
        rankTotals(gd, gd.classStart[c], gd.classSize[c], T, n + 3);
    rankTotals(gd, 1, gd.studentCount, T, n + 2);
}

} // namespace seiran
