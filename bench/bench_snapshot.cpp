// A full-grade snapshot (the grade's files and the high-school lists copied into a folder of their
// own, each hashed into the manifest, under the grade's guard) against the floor of copying the
// same files with QFile::copy into a fresh folder.
#include "BenchGrade.h"
#include "BenchMain.h"
#include "GradeData.h"
#include "Snapshots.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace seiran;

namespace {

LoadedGrade& grade()
{
    return SharedLoadedGrade();
}

const QStringList& gradeFiles()
{
    static const QStringList files{QStringLiteral("dtfile03.rnd"), QStringLiteral("kyoka03.seq"),
                                   QStringLiteral("test03.seq"),   QStringLiteral("tannin03.seq"),
                                   QStringLiteral("Hischool.txt"), QStringLiteral("hischool.seq")};
    return files;
}

void BM_CopyFilesFloor(benchmark::State& state)
{
    const QString folder = grade().dir.path() + u'/';
    int n = 0;
    for (auto _ : state) {
        const QString target = folder + QStringLiteral("copy-%1/").arg(n++);
        QDir().mkpath(target);
        for (const QString& f : gradeFiles())
            if (QFile::exists(folder + f)) QFile::copy(folder + f, target + f);
        state.PauseTiming();
        QDir(target).removeRecursively();
        state.ResumeTiming();
    }
}

void BM_Snapshot(benchmark::State& state)
{
    const QString folder = grade().dir.path() + u'/';
    for (auto _ : state) {
        QString name;
        TakeSnapshot(folder, 3, QStringLiteral("manual"), &name);
        state.PauseTiming();
        QDir(SnapshotFolder(folder, 3) + name).removeRecursively();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_CopyFilesFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Snapshot)->Unit(benchmark::kMicrosecond);

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Core,
    .ratios = {{"BM_Snapshot", "BM_CopyFilesFloor", 2, "snapshot / QFile::copy of the same files"}},
};
