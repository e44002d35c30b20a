// What sharing a grade costs the entry screens, on a full grade (9 classes, about 400 pupils, the
// nine-subject test).
// - A save that changes every pupil's nine scores: the merge save under the guard (the guard
//   file made and removed, the registry and the list hashes checked, the roster read whole and
//   every field decided) against the save as it was before the lock, re-created here: read each
//   pupil's record, set the changed slots, write the changed records, no guard, stamp or
//   registry. Both write the same records; the floor is that old save itself, not the bare
//   writes.
// - Opening an entry screen: registering in the registry (with three other holders in it), loading
//   the test's scores and taking the stamp, against loading alone. The release when the screen
//   closes is not timed.
#include "BenchGrade.h"
#include "BenchMain.h"
#include "GradeData.h"
#include "GradeLock.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>

using namespace seiran;

namespace {

struct FullGrade
{
    QTemporaryDir dir;
    std::unique_ptr<GradeData> gd = std::make_unique<GradeData>();
    bool ok = false;

    FullGrade() { ok = WriteAndLoadFullGrade(dir.path(), *gd) && LoadTestScores(*gd, NullProgress::instance()); }
};

FullGrade& grade()
{
    static FullGrade g;
    return g;
}

// Every pupil's nine scores become `value` (alternated per iteration, so that every record changes).
void changeEveryScore(GradeData& gd, int value)
{
    const int n = gd.testSubjectCount[gd.currentTest];
    for (int s = 1; s <= gd.studentCount; ++s)
        for (int j = 1; j <= n; ++j)
            gd.scores(j, s) = value;
}

// The save as it was before the lock: per pupil, read the record, set the changed slots, and
// write the changed records once all are composed.
Result saveWithoutLock(GradeData& gd)
{
    const int n = gd.testSubjectCount[gd.currentTest];
    const int first = gd.testFirstSlot[gd.currentTest];
    RosterFile file(RosterFile::pathFor(gd));
    if (Result r = file.open(); !r) return r;
    struct Pending
    {
        int record;
        StudentRecord bytes;
    };
    std::vector<Pending> pending;
    StudentRecord record;
    for (int k = 1; k <= gd.classCount; ++k) {
        for (int m = 1; m <= gd.classSize[k]; ++m) {
            const int s = gd.classStart[k] + m - 1;
            const int rec = RosterFile::recordNumber(k, gd.studentNumber[s]);
            if (Result r = file.read(rec, record); !r) return r;
            bool changed = false;
            for (int j = 1; j <= n; ++j) {
                if (gd.scores(j, s) == gd.scoresAsLoaded(j, s)) continue;
                record.setScoreSlot(first + j - 1, gd.scores(j, s));
                changed = true;
            }
            if (changed) pending.push_back({rec, record});
        }
    }
    for (const Pending& p : pending)
        if (Result r = file.write(p.record, p.bytes); !r) return r;
    for (int s = 1; s <= gd.studentCount; ++s)
        for (int j = 1; j <= n; ++j)
            gd.scoresAsLoaded(j, s) = gd.scores(j, s);
    return Result::success();
}

void BM_SaveEveryRecordBeforeTheLock(benchmark::State& state)
{
    FullGrade& g = grade();
    int value = 40;
    for (auto _ : state) {
        changeEveryScore(*g.gd, value);
        value = value == 40 ? 41 : 40;
        if (Result r = saveWithoutLock(*g.gd); !r) state.SkipWithError(qPrintable(r.message));
    }
    state.counters["pupils"] = g.gd->studentCount;
}

void BM_SaveEveryRecordMerged(benchmark::State& state)
{
    FullGrade& g = grade();
    GradeLock lock(g.gd->dataFolder, g.gd->currentGrade);
    if (!lock.acquire(LockMode::Shared, QStringLiteral("点数の入力（テスト別）"), QStringLiteral("slots 1-9")).granted) {
        state.SkipWithError("registration refused");
        return;
    }
    SaveControl control;
    control.stamp = TakeGradeStamp(*g.gd, lock.generationAtStart());
    int value = 40;
    for (auto _ : state) {
        changeEveryScore(*g.gd, value);
        value = value == 40 ? 41 : 40;
        if (Result r = SaveTestScores(*g.gd, NullProgress::instance(), control); !r)
            state.SkipWithError(qPrintable(r.message));
    }
    state.counters["pupils"] = g.gd->studentCount;
}

void BM_OpenWithoutRegistry(benchmark::State& state)
{
    FullGrade& g = grade();
    for (auto _ : state) {
        if (Result r = LoadTestScores(*g.gd, NullProgress::instance()); !r) state.SkipWithError(qPrintable(r.message));
        benchmark::DoNotOptimize(g.gd->scores(1, 1));
    }
}

void BM_OpenWithRegistry(benchmark::State& state)
{
    FullGrade& g = grade();
    // Three others use the grade: the registry has their lines to read and write back.
    std::vector<std::unique_ptr<GradeLock>> others;
    for (const char* fields : {"slots 10-18", "naishin", "choices"}) {
        others.push_back(std::make_unique<GradeLock>(g.gd->dataFolder, g.gd->currentGrade));
        others.back()->acquire(LockMode::Shared, QStringLiteral("ほかの画面"), QString::fromLatin1(fields));
    }
    for (auto _ : state) {
        GradeLock lock(g.gd->dataFolder, g.gd->currentGrade);
        if (!lock.acquire(LockMode::Shared, QStringLiteral("点数の入力（テスト別）"), QStringLiteral("slots 1-9"))
                 .granted)
            state.SkipWithError("registration refused");
        if (Result r = LoadTestScores(*g.gd, NullProgress::instance()); !r) state.SkipWithError(qPrintable(r.message));
        const GradeStamp stamp = TakeGradeStamp(*g.gd, lock.generationAtStart());
        benchmark::DoNotOptimize(stamp.listHash.data());
        state.PauseTiming();
        lock.release();
        state.ResumeTiming();
    }
}

bool prepare()
{
    if (!grade().ok) return false;
    std::printf("grade: %d pupils, %d subjects in the test\n", grade().gd->studentCount,
                grade().gd->testSubjectCount[grade().gd->currentTest]);
    return true;
}

} // namespace

BENCHMARK(BM_SaveEveryRecordBeforeTheLock)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveEveryRecordMerged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenWithoutRegistry)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenWithRegistry)->Unit(benchmark::kMicrosecond);

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Core,
    .prepare = prepare,
    .ratios = {{"BM_SaveEveryRecordMerged", "BM_SaveEveryRecordBeforeTheLock", 2,
                "400-pupil save, every record changed: merged under the lock / before the lock"},
               {"BM_OpenWithRegistry", "BM_OpenWithoutRegistry", 2,
                "opening the score entry: registered and stamped / load alone"}},
};
