// Typing a whole test by keyboard into the score entry window: a full grade (9 classes, about 400
// pupils) and a nine-subject test, one digit and Enter per cell with "右移動", every keystroke
// followed by the repaint it causes. Reports the mean and the worst keystroke; a keystroke must
// be handled well within one frame (16 ms) so that typing never stalls. The floor is the same
// keystroke count of key events that the grid ignores and that change nothing (Shift alone: no
// cell, no undo step, no beep).
#include "BenchGrade.h"
#include "BenchKeys.h"
#include "BenchMain.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "ScoreEntryWindow.h"
#include "Session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>

using namespace seiran;

namespace {

struct FullGrade : SessionGrade
{
    FullGrade() : SessionGrade([] { return 1; })
    {
        if (!loaded) return;
        const Result loaded = LoadTestScores(*gd, progress);
        if (!loaded) std::fprintf(stderr, "load: %s\n", qPrintable(loaded.message));
    }
};

FullGrade& grade()
{
    static FullGrade g;
    return g;
}

void BM_TypeWholeTest(benchmark::State& state)
{
    FullGrade& g = grade();
    ScriptedMessages answers; // closing without saving is answered "Yes"
    KeyTimings t;
    for (auto _ : state) {
        ScoreEntryWindow w(g.session);
        w.resize(900, 700);
        w.show();
        QCoreApplication::processEvents();
        const int cells = g.gd->studentCount * g.gd->currentTestSubjectCount();
        t.ns.reserve(std::size_t(cells) * 2);
        for (int i = 0; i < cells; ++i) {
            t.add(TimedKey(w.mGrid, Qt::Key(Qt::Key_0 + i % 10), char('0' + i % 10)));
            t.add(TimedKey(w.mGrid, Qt::Key_Return, 0));
        }
        if (w.mGrid->Row() != g.gd->studentCount) std::fprintf(stderr, "ended on row %d\n", w.mGrid->Row());
        answers.queue(MsgAnswer::Yes);
        w.close();
    }
    t.report(state);
    state.counters["pupils"] = g.gd->studentCount;
}

void BM_IgnoredKeysFloor(benchmark::State& state)
{
    FullGrade& g = grade();
    ScriptedMessages answers;
    KeyTimings t;
    for (auto _ : state) {
        ScoreEntryWindow w(g.session);
        w.resize(900, 700);
        w.show();
        QCoreApplication::processEvents();
        const int keys = g.gd->studentCount * g.gd->currentTestSubjectCount() * 2;
        t.ns.reserve(std::size_t(keys));
        for (int i = 0; i < keys; ++i)
            t.add(TimedKey(w.mGrid, Qt::Key_Shift, 0));
        answers.queue(MsgAnswer::Yes);
        w.close();
    }
    t.report(state);
}

} // namespace

BENCHMARK(BM_IgnoredKeysFloor)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeWholeTest)->Iterations(1)->Unit(benchmark::kMillisecond);

const BenchSetup seiran::benchSetup{.app = BenchApp::Widgets};
