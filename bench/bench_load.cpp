// Loading and aggregating one test of a full grade (9 classes, 400 pupils, 9 subjects), against
// the floor of reading the same roster bytes into memory and decoding its 540 records. Both decode
// names through Cp932::decode, so both use the thread's one converter, as the program does.
#include "Aggregate.h"
#include "BenchGrade.h"
#include "Cp932.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace seiran;

namespace {

struct FullGrade
{
    QTemporaryDir dir;
    std::unique_ptr<GradeData> gd = std::make_unique<GradeData>();

    FullGrade() { WriteAndLoadFullGrade(dir.path(), *gd); }
};

FullGrade& grade()
{
    static FullGrade g;
    return g;
}

double gFloorNs = 0;
double gLoadNs = 0;

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
    FullGrade& g = grade();
    for (auto _ : state) {
        LoadTestScores(*g.gd, NullProgress::instance());
        AggregateTest(*g.gd);
        benchmark::DoNotOptimize(g.gd->scores(10, 1));
    }
    state.counters["pupils"] = g.gd->studentCount;
}

// Reports the ratio of the two measurements above once both have run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With --benchmark_repetitions the median stands for the benchmark.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            const double ns = run.GetAdjustedRealTime();
            if (run.benchmark_name().find("Floor") != std::string::npos)
                gFloorNs = ns;
            else
                gLoadNs = ns;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (gFloorNs > 0 && gLoadNs > 0)
            std::printf("\nload + aggregate / read-and-decode floor = %.2f\n", gLoadNs / gFloorNs);
    }
};

} // namespace

BENCHMARK(BM_ReadAndDecodeFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadTestScoresAndAggregate)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
