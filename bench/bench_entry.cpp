// Typing a whole test by keyboard into the score entry window: a full grade (9 classes, about 400
// pupils) and a nine-subject test, one digit and Enter per cell with "右移動", every keystroke
// followed by the repaint it causes. Reports the mean and the worst keystroke; a keystroke must
// be handled well within one frame (16 ms) so that typing never stalls. The floor is the same
// keystroke count of key events that the grid ignores and that change nothing (Shift alone: no
// cell, no undo step, no beep).
#include "BenchGrade.h"
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

struct Timings
{
    std::vector<double> ns;
    void add(double v) { ns.push_back(v); }
    double mean() const
    {
        double sum = 0;
        for (double v : ns)
            sum += v;
        return ns.empty() ? 0 : sum / double(ns.size());
    }
    double max() const { return ns.empty() ? 0 : *std::max_element(ns.begin(), ns.end()); }
    double percentile(double p) const
    {
        if (ns.empty()) return 0;
        std::vector<double> sorted = ns;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::size_t(p * double(sorted.size() - 1))];
    }
};

// One keystroke as the user makes it: the key event, then whatever it made the window repaint.
double timedKey(QWidget* target, Qt::Key key, char text)
{
    QElapsedTimer timer;
    timer.start();
    const QString str = text ? QString(QChar::fromLatin1(text)) : QString();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Return ? QStringLiteral("\r") : str);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, str);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed());
}

void report(benchmark::State& state, const Timings& t)
{
    state.counters["keystrokes"] = double(t.ns.size());
    state.counters["mean_us"] = t.mean() / 1000.0;
    state.counters["p99_us"] = t.percentile(0.99) / 1000.0;
    state.counters["max_us"] = t.max() / 1000.0;
}

void BM_TypeWholeTest(benchmark::State& state)
{
    FullGrade& g = grade();
    ScriptedMessages answers; // closing without saving is answered "Yes"
    Timings t;
    for (auto _ : state) {
        ScoreEntryWindow w(g.session);
        w.resize(900, 700);
        w.show();
        QCoreApplication::processEvents();
        const int cells = g.gd->studentCount * g.gd->currentTestSubjectCount();
        t.ns.reserve(std::size_t(cells) * 2);
        for (int i = 0; i < cells; ++i) {
            t.add(timedKey(w.mGrid, Qt::Key(Qt::Key_0 + i % 10), char('0' + i % 10)));
            t.add(timedKey(w.mGrid, Qt::Key_Return, 0));
        }
        if (w.mGrid->Row() != g.gd->studentCount) std::fprintf(stderr, "ended on row %d\n", w.mGrid->Row());
        answers.queue(MsgAnswer::Yes);
        w.close();
    }
    report(state, t);
    state.counters["pupils"] = g.gd->studentCount;
}

void BM_IgnoredKeysFloor(benchmark::State& state)
{
    FullGrade& g = grade();
    ScriptedMessages answers;
    Timings t;
    for (auto _ : state) {
        ScoreEntryWindow w(g.session);
        w.resize(900, 700);
        w.show();
        QCoreApplication::processEvents();
        const int keys = g.gd->studentCount * g.gd->currentTestSubjectCount() * 2;
        t.ns.reserve(std::size_t(keys));
        for (int i = 0; i < keys; ++i)
            t.add(timedKey(w.mGrid, Qt::Key_Shift, 0));
        answers.queue(MsgAnswer::Yes);
        w.close();
    }
    report(state, t);
}

} // namespace

BENCHMARK(BM_IgnoredKeysFloor)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeWholeTest)->Iterations(1)->Unit(benchmark::kMillisecond);

const BenchSetup seiran::benchSetup{.app = BenchApp::Widgets};
