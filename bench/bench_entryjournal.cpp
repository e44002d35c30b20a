// The journal of unsaved input in the score entry by test, on a full grade (9 classes, about
// 400 pupils): 3,600 scripted keystrokes (two digits and Enter per cell, so every third key
// leaves a changed cell and appends a line) with the journal against the same keys without it.
// Mean and worst keystroke are reported; the worst must stay within one frame (16 ms) even when
// a line is followed by the sync that comes at most every two seconds.
#include "BenchGrade.h"
#include "BenchKeys.h"
#include "BenchMain.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "MessageBox.h"
#include "RosterFile.h"
#include "ScoreEntryWindow.h"
#include "WindowJournal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

using namespace seiran;

namespace {

struct TestGrade : SessionGrade
{
    TestGrade() : SessionGrade([] { return 0; })
    {
        if (!loaded) return;
        const Result r = LoadTestScores(*gd, progress);
        if (!r) std::fprintf(stderr, "load: %s\n", qPrintable(r.message));
    }
};

TestGrade& grade()
{
    static TestGrade g;
    return g;
}

constexpr int Keystrokes = 3600;

void runScoreKeys(benchmark::State& state, bool journal)
{
    TestGrade& g = grade();
    WindowJournal::enabled() = journal;
    ScriptedMessages answers;
    KeyTimings t;
    t.ns.reserve(Keystrokes);
    for (auto _ : state) {
        ScoreEntryWindow w(g.session);
        w.resize(900, 700);
        w.show();
        QCoreApplication::processEvents();
        for (int i = 0; i < Keystrokes; ++i) {
            const int step = i % 3;
            if (step == 2) {
                t.add(TimedKey(w.mGrid, Qt::Key_Return, 0));
            } else {
                const int digit = (i / 3 + step) % 10;
                t.add(TimedKey(w.mGrid, Qt::Key(Qt::Key_0 + digit), char('0' + digit)));
            }
        }
        if (journal && !w.journal()) state.SkipWithError("the window kept no journal");
        answers.queue(MsgAnswer::Yes); // 保存せずに終了: the journal goes with it
        w.close();
    }
    WindowJournal::enabled() = true;
    t.report(state);
}

void BM_ScoreKeysWithoutJournal(benchmark::State& state)
{
    runScoreKeys(state, false);
}

void BM_ScoreKeysWithJournal(benchmark::State& state)
{
    runScoreKeys(state, true);
}

} // namespace

BENCHMARK(BM_ScoreKeysWithoutJournal)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScoreKeysWithJournal)->Iterations(1)->Unit(benchmark::kMillisecond);

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Widgets,
    .ratios = {{"BM_ScoreKeysWithJournal/iterations:1", "BM_ScoreKeysWithoutJournal/iterations:1", 2,
                "score keystroke with the journal / without (mean)", "mean_us"},
               {"BM_ScoreKeysWithJournal/iterations:1", "BM_ScoreKeysWithoutJournal/iterations:1", 2,
                "score keystroke with the journal / without (worst)", "max_us"}},
};
