#pragma once

#include "GradeData.h"
#include "ListFiles.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "StudentRecord.h"

#include <QFile>
#include <QString>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace seiran {

// The grade every benchmark works on: 9 classes of about 45 pupils (about 395 in use after
// gaps and transfers), its lists loaded and the nine-subject test chosen.
inline bool WriteAndLoadFullGrade(const QString& folder, GradeData& gd)
{
    SampleOptions options;
    options.grade = 3;
    options.classes = 9;
    options.pupils = 45;
    options.seed = 7;
    Result r = WriteSampleGrade(folder, options);
    if (r) {
        gd.dataFolder = folder + QLatin1Char('/');
        gd.currentGrade = options.grade;
        r = LoadTestList(gd);
    }
    if (r) r = LoadSubjectList(gd);
    if (!r) {
        std::fprintf(stderr, "sample grade: %s\n", qPrintable(r.message));
        return false;
    }
    gd.currentTest = 2;
    return true;
}

// The floor the loading benchmarks are measured against: read the roster file into memory and
// decode every in-use record's name, sex and the given score slots.
inline void ReadAndDecodeRoster(benchmark::State& state, const GradeData& gd, const std::vector<int>& scoreSlots)
{
    const QString path = RosterFile::pathFor(gd);
    long checksum = 0;
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        const int records = int(bytes.size() / StudentRecord::Size);
        StudentRecord rec;
        for (int r = 0; r < records; ++r) {
            std::memcpy(rec.bytes().data(), bytes.constData() + qsizetype(r) * StudentRecord::Size,
                        StudentRecord::Size);
            if (rec.flag() != 1) continue;
            checksum += rec.name().trimmed().size() + rec.sex();
            for (int slot : scoreSlots)
                checksum += rec.scoreSlot(slot);
        }
        benchmark::DoNotOptimize(checksum);
    }
}

// Remembers the time per iteration of every benchmark, for the ratios printed after the run.
class TimingReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // Prints "work / base = ratio" when both have run.
    void printRatio(const char* work, const char* base, int decimals = 1) const
    {
        const auto w = times.find(work);
        const auto b = times.find(base);
        if (w == times.end() || b == times.end() || b->second <= 0) return;
        std::printf("%s / %s = %.*f\n", work, base, decimals, w->second / b->second);
    }
    std::map<std::string, double> times;
};

} // namespace seiran
