#include "BenchMain.h"

#include "ReportFonts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

using namespace seiran;

namespace {

// The console table, remembering each benchmark's run for the ratios: its single run, or with
// --benchmark_repetitions the median, which a slow outlier does not move.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")) continue;
            mRuns[run.run_name.str()] = run;
        }
    }

    void printRatios(const std::vector<BenchRatio>& ratios) const
    {
        bool first = true;
        for (const BenchRatio& ratio : ratios) {
            const auto work = mRuns.find(ratio.work);
            const auto base = mRuns.find(ratio.base);
            if (work == mRuns.end() || base == mRuns.end()) continue;
            const double w = value(work->second, ratio.counter);
            const double b = value(base->second, ratio.counter);
            if (b <= 0) continue;
            if (first) std::printf("\n");
            first = false;
            if (ratio.caption)
                std::printf("%s = %.*f", ratio.caption, ratio.decimals, w / b);
            else
                std::printf("%s / %s = %.*f", ratio.work, ratio.base, ratio.decimals, w / b);
            if (ratio.counter) std::printf(" (%s %.1f)", ratio.counter, w);
            std::printf("\n");
        }
    }

private:
    // Seconds, so that benchmarks shown in different units compare right.
    static double value(const Run& run, const char* counter)
    {
        if (!counter) return run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        const auto c = run.counters.find(counter);
        return c == run.counters.end() ? 0.0 : c->second.value;
    }

    std::map<std::string, Run> mRuns;
};

std::unique_ptr<QCoreApplication> makeApplication(const BenchSetup& setup, int& argc, char** argv)
{
    if (setup.app == BenchApp::Core) return std::make_unique<QCoreApplication>(argc, argv);
    if (setup.mapReportFonts || qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (setup.app == BenchApp::Gui) return std::make_unique<QGuiApplication>(argc, argv);
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    const BenchSetup& setup = benchSetup;
    const std::unique_ptr<QCoreApplication> app = makeApplication(setup, argc, argv);
    if (setup.mapReportFonts) MapReportFonts();
    benchmark::Initialize(&argc, argv);
    if (setup.prepare && !setup.prepare()) return 1;
    RatioReporter reporter;
    // Without ratios the table is the library's own, so --benchmark_format keeps working.
    benchmark::RunSpecifiedBenchmarks(setup.ratios.empty() ? nullptr : &reporter);
    reporter.printRatios(setup.ratios);
    if (setup.finish) setup.finish();
    benchmark::Shutdown();
    return 0;
}
