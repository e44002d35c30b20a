// What sharing a grade costs the entry screens, on a full grade (9 classes, about 400 pupils, the
// nine-subject test).
// - A save that changes every pupil's nine scores: the merge save under the guard (the guard
//   file made and removed, the registry and the list hashes checked, the roster read whole and
//   every field decided) against the save as it was before the lock, re-created here: read each
//   pupil's record, set the changed slots, write the changed records, no guard, stamp or
//   registry. Both write the same records; the floor is that old save itself, not the bare
//   writes.
// - Opening an entry screen: registering in the registry (with three other holders in it), opening
//   the score entry by subject (all tests of the year: the roster read and the grid filled) and
//   taking the stamp, against opening the window alone; and the same at the data layer alone
//   (registration, load of one test's scores and stamp against the load), which shows the fixed
//   cost of the registration: the guard made and removed, the registry rewritten and synced. The
//   release when the screen closes is not timed.
#include "BenchGrade.h"
#include "BenchMain.h"
#include "GradeData.h"
#include "GradeLock.h"
#include "Progress.h"
#include "RosterFile.h"
#include "Session.h"
#include "StudentRecord.h"
#include "SubjectScoreEntryWindow.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>

using namespace seiran;

namespace {

struct FullGrade : SessionGrade
{
    bool ok = false;

    FullGrade() : SessionGrade([] { return 0; })
    {
        ok = loaded && LoadTestScores(*gd, NullProgress::instance());
        // The score entry by subject opens on subject 1 of every test of the year.
        gd->evalSubject = 1;
        gd->selectedItemCount = gd->testCount;
        for (int t = 1; t <= gd->testCount; ++t)
            gd->selectedItems[t] = t;
    }
};

FullGrade& grade()
{
    static FullGrade g;
    return g;
}

// Three others use the grade: the registry has their lines to read and write back.
std::vector<std::unique_ptr<GradeLock>> otherHolders(const GradeData& gd)
{
    std::vector<std::unique_ptr<GradeLock>> others;
    for (const char* fields : {"slots 10-18", "naishin", "choices"}) {
        others.push_back(std::make_unique<GradeLock>(gd.dataFolder, gd.currentGrade));
        others.back()->acquire(LockMode::Shared, QStringLiteral("ほかの画面"), QString::fromLatin1(fields));
    }
    return others;
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
    if (!lock.acquire(LockMode::Shared, QStringLiteral("点数の入力（テスト別）"), QStringLiteral("slots 1-9"))
             .granted) {
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
    const auto others = otherHolders(*g.gd);
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

void BM_OpenSubjectScoreEntry(benchmark::State& state)
{
    FullGrade& g = grade();
    for (auto _ : state) {
        SubjectScoreEntryWindow w(g.session);
        benchmark::DoNotOptimize(&w);
    }
}

void BM_OpenSubjectScoreEntryRegistered(benchmark::State& state)
{
    FullGrade& g = grade();
    const auto others = otherHolders(*g.gd);
    for (auto _ : state) {
        GradeLock lock(g.gd->dataFolder, g.gd->currentGrade);
        if (!lock.acquire(LockMode::Shared, QStringLiteral("点数の入力（教科別）"), QStringLiteral("slots 1,10,19"))
                 .granted)
            state.SkipWithError("registration refused");
        {
            SubjectScoreEntryWindow w(g.session);
            const GradeStamp stamp = TakeGradeStamp(*g.gd, lock.generationAtStart());
            benchmark::DoNotOptimize(stamp.listHash.data());
            benchmark::DoNotOptimize(&w);
        }
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
BENCHMARK(BM_OpenSubjectScoreEntry)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenSubjectScoreEntryRegistered)->Unit(benchmark::kMicrosecond);

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Widgets,
    .prepare = prepare,
    .ratios = {{"BM_SaveEveryRecordMerged", "BM_SaveEveryRecordBeforeTheLock", 2,
                "400-pupil save, every record changed: merged under the lock / before the lock"},
               {"BM_OpenSubjectScoreEntryRegistered", "BM_OpenSubjectScoreEntry", 2,
                "opening the score entry by subject: registered and stamped / window alone"},
               {"BM_OpenWithRegistry", "BM_OpenWithoutRegistry", 2,
                "data layer only: registration + load + stamp / load of one test"}},
};
