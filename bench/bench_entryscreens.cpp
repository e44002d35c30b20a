// Two measurements of the entry screens on a full grade (9 classes, about 400 pupils):
// - opening the score entry by subject with all eight tests chosen (reading the roster file and
//   filling the grid), against the floor of reading the same roster bytes and decoding its
//   records;
// - typing 3,600 naishin points with "自動移動" (one digit per cell, each followed by the move it
//   causes and the repaint), against the same count of keys the grid ignores;
// - typing 3,600 keys into the score entry by subject and the career choice entry (a digit, then
//   Return, cell after cell: scores there, high-school numbers here), against the same count of
//   ignored keys in the same window.
// Mean and worst keystroke are reported; each must stay well within one frame (16 ms).
#include "BenchGrade.h"
#include "BenchKeys.h"
#include "BenchMain.h"
#include "CareerChoiceEntryWindow.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "NaishinEntryWindow.h"
#include "Notice.h"
#include "Progress.h"
#include "RosterFile.h"
#include "Session.h"
#include "StudentRecord.h"
#include "SubjectScoreEntryWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace seiran;

namespace {

struct FullGrade : SessionGrade
{
    FullGrade() : SessionGrade([] { return 0; })
    {
        if (!loaded) return;
        // Subject 1 of every test of the year.
        gd->evalSubject = 1;
        gd->selectedItemCount = gd->testCount;
        for (int t = 1; t <= gd->testCount; ++t)
            gd->selectedItems[t] = t;
        for (const Result& r : {LoadNaishin(*gd, progress), LoadCareerChoices(*gd, progress),
                                LoadHighSchoolList(*gd, QCoreApplication::applicationDirPath(), notice)})
            if (!r) std::fprintf(stderr, "load: %s\n", qPrintable(r.message));
    }
};

FullGrade& grade()
{
    static FullGrade g;
    return g;
}

void BM_ReadAndDecodeFloor(benchmark::State& state)
{
    const GradeData& gd = *grade().gd;
    std::vector<int> scoreSlots;
    for (int t = 1; t <= gd.testCount; ++t)
        scoreSlots.push_back(gd.testFirstSlot[t]);
    ReadAndDecodeRoster(state, gd, scoreSlots);
}

void BM_OpenSubjectScoreEntry(benchmark::State& state)
{
    FullGrade& g = grade();
    for (auto _ : state) {
        SubjectScoreEntryWindow w(g.session);
        benchmark::DoNotOptimize(w.mGrid->Rows());
    }
    state.counters["pupils"] = g.gd->studentCount;
    state.counters["tests"] = g.gd->selectedItemCount;
}

constexpr int Keystrokes = 3600;

void runNaishinKeys(benchmark::State& state, bool typed)
{
    FullGrade& g = grade();
    ScriptedMessages answers;
    KeyTimings t;
    for (auto _ : state) {
        NaishinEntryWindow w(g.session);
        w.resize(900, 700);
        w.show();
        w.mAutoMoveCheck->setChecked(true);
        QCoreApplication::processEvents();
        t.ns.reserve(Keystrokes);
        for (int i = 0; i < Keystrokes; ++i) {
            const char digit = char('0' + i % 10);
            // The floor's key is one the grid lets pass untouched (Shift alone: no text, no
            // beep, no undo step), so that it measures only the delivery of a key.
            t.add(typed ? TimedKey(w.mGrid, Qt::Key(Qt::Key_0 + i % 10), digit)
                                 : TimedKey(w.mGrid, Qt::Key_Shift, 0));
        }
        answers.queue(MsgAnswer::Yes);
        w.close();
    }
    t.report(state);
}

void BM_NaishinIgnoredKeysFloor(benchmark::State& state)
{
    runNaishinKeys(state, false);
}

void BM_NaishinAutoMoveKeys(benchmark::State& state)
{
    runNaishinKeys(state, true);
}

// A digit and Return in cell after cell of a grid window, or as many keys the grid lets pass.
template <class Window>
void runCellKeys(benchmark::State& state, bool typed)
{
    FullGrade& g = grade();
    ScriptedMessages answers; // closing without saving is answered "Yes"
    KeyTimings t;
    for (auto _ : state) {
        Window w(g.session);
        w.resize(900, 700);
        w.show();
        QCoreApplication::processEvents();
        t.ns.reserve(Keystrokes);
        for (int i = 0; i < Keystrokes / 2; ++i) {
            const char digit = char('1' + i % 9);
            t.add(typed ? TimedKey(w.mGrid, Qt::Key(Qt::Key_1 + i % 9), digit)
                                 : TimedKey(w.mGrid, Qt::Key_Shift, 0));
            t.add(typed ? TimedKey(w.mGrid, Qt::Key_Return, 0) : TimedKey(w.mGrid, Qt::Key_Shift, 0));
        }
        if (!answers.asked().isEmpty())
            std::fprintf(stderr, "%lld messages while typing\n", static_cast<long long>(answers.asked().size()));
        answers.queue(MsgAnswer::Yes);
        w.close();
    }
    t.report(state);
}

void BM_SubjectScoreIgnoredKeysFloor(benchmark::State& state)
{
    runCellKeys<SubjectScoreEntryWindow>(state, false);
}

void BM_SubjectScoreKeys(benchmark::State& state)
{
    runCellKeys<SubjectScoreEntryWindow>(state, true);
}

void BM_CareerChoiceIgnoredKeysFloor(benchmark::State& state)
{
    runCellKeys<CareerChoiceEntryWindow>(state, false);
}

void BM_CareerChoiceKeys(benchmark::State& state)
{
    runCellKeys<CareerChoiceEntryWindow>(state, true);
}

} // namespace

BENCHMARK(BM_ReadAndDecodeFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenSubjectScoreEntry)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NaishinIgnoredKeysFloor)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaishinAutoMoveKeys)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubjectScoreIgnoredKeysFloor)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubjectScoreKeys)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CareerChoiceIgnoredKeysFloor)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CareerChoiceKeys)->Iterations(1)->Unit(benchmark::kMillisecond);

// The keystrokes are compared by their mean, without the window's opening and closing.
const BenchSetup seiran::benchSetup{
    .app = BenchApp::Widgets,
    .ratios = {{"BM_OpenSubjectScoreEntry", "BM_ReadAndDecodeFloor", 2,
                "open score entry by subject (8 tests) / read-and-decode floor"},
               {"BM_NaishinAutoMoveKeys/iterations:1", "BM_NaishinIgnoredKeysFloor/iterations:1", 2,
                "naishin keystroke with auto move / ignored key", "mean_us"},
               {"BM_SubjectScoreKeys/iterations:1", "BM_SubjectScoreIgnoredKeysFloor/iterations:1", 2,
                "score entry by subject keystroke / ignored key", "mean_us"},
               {"BM_CareerChoiceKeys/iterations:1", "BM_CareerChoiceIgnoredKeysFloor/iterations:1", 2,
                "career choice keystroke / ignored key", "mean_us"}},
};
