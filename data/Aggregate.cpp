#include "Aggregate.h"

#include "GradeData.h"
#include "Helpers.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace seiran {

namespace {

// Competition ranks (480, 470, 470, 455 -> 1, 2, 2, 4) of the totals of `m` pupils starting
// at pupil `first`, written into score column `rankColumn`. A rank depends only on the totals
// (one more than the number of greater totals), so one O(n log n) sort serves; the scratch lists
// are left holding the ranking, highest first.
void rankTotals(GradeData& gd, int first, int m, int totalColumn, int rankColumn)
{
    if (m < 1) return;
    std::vector<std::pair<int, int>> order; // (total, k)
    order.reserve(std::size_t(m));
    for (int k = 1; k <= m; ++k)
        order.emplace_back(gd.scores(totalColumn, first + k - 1), k);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    int rank = 1;
    for (int l = 1; l <= m; ++l) {
        const auto& [total, k] = order[std::size_t(l - 1)];
        if (l > 1 && total != order[std::size_t(l - 2)].first) rank = l;
        gd.scores(rankColumn, first + k - 1) = rank;
        gd.sortKeys[l] = total;
        gd.sortIndex[l] = k;
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
