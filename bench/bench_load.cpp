// Loading and aggregating one test of a full grade (9 classes, 400 pupils, 9 subjects), against
// the floor of reading the same roster bytes into memory and decoding its 540 records. Both decode
// names through Cp932::decode, so both use the thread's one converter, as the program does.
#include "Aggregate.h"
#include "BenchGrade.h"
#include "BenchMain.h"
#include "Cp932.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace seiran;

namespace {

LoadedGrade& grade()
{
    return SharedLoadedGrade();
}

// The nine slots of the test the grade has chosen.
void BM_ReadAndDecodeFloor(benchmark::State& state)
{
    const GradeData& gd = *grade().gd;
    std::vector<int> scoreSlots;
    for (int j = 0; j < 9; ++j)
        scoreSlots.push_back(gd.testFirstSlot[2] + j);
    ReadAndDecodeRoster(state, gd, scoreSlots);
}

void BM_LoadTestScoresAndAggregate(benchmark::State& state)
{
    LoadedGrade& g = grade();
    for (auto _ : state) {
        LoadTestScores(*g.gd, NullProgress::instance());
        AggregateTest(*g.gd);
        benchmark::DoNotOptimize(g.gd->scores(10, 1));
    }
    state.counters["pupils"] = g.gd->studentCount;
}

} // namespace

BENCHMARK(BM_ReadAndDecodeFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadTestScoresAndAggregate)->Unit(benchmark::kMicrosecond);

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Core,
    .ratios = {{"BM_LoadTestScoresAndAggregate", "BM_ReadAndDecodeFloor", 2,
                "load + aggregate / read-and-decode floor"}},
};
