// The evaluation of a full grade (about 395 pupils, three weighted tests) against loading the
// same roster, and its four printed documents as a PDF against as many empty sheets.
#include "BenchGrade.h"
#include "BenchMain.h"
#include "BenchPrint.h"
#include "Evaluation.h"
#include "GradeData.h"
#include "HyoteiPrint.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "RosterFile.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>

using namespace seiran;

namespace {
std::unique_ptr<QTemporaryDir> gFolder;
std::unique_ptr<GradeData> gGrade;
std::unique_ptr<EvaluationRun> gRun;
int gSheets = 0;

void chooseEvaluation(GradeData& gd)
{
    gd.evalSubject = 1;
    gd.selectedItemCount = 3;
    const double weights[] = {1.0, 0.5, 1.5};
    for (int k = 1; k <= 3; ++k) {
        gd.selectedItems[k] = k;
        gd.evalWeights[k] = weights[k - 1];
    }
    for (int c = 1; c <= Limits::Classes; ++c)
        gd.evalClassSelected[c] = 1;
    gd.evalSexFilter = 0;
    gd.evalMethod = EvaluationMethod::FiveLevels;
}

bool prepare()
{
    gFolder = std::make_unique<QTemporaryDir>();
    gGrade = std::make_unique<GradeData>();
    if (!WriteAndLoadFullGrade(gFolder->path(), *gGrade)) return false;
    chooseEvaluation(*gGrade);
    EvaluationOutcome outcome = ComputeEvaluation(*gGrade, NullProgress::instance());
    if (!outcome.result) {
        std::fprintf(stderr, "evaluation: %s\n", qPrintable(outcome.result.message));
        return false;
    }
    gRun = std::move(outcome.run);
    RecordingCanvas sheets(StandardPaperLayout(), PrinterStartFont(*gGrade));
    gSheets =
        PrintHyoteiDocuments(sheets, *gGrade, *gRun, HyoteiPrintSet{true, true, true, true}, NullProgress::instance());
    if (gRun->pupilCount <= 350) return false;
    std::printf("sample grade: %d pupils evaluated\n", gRun->pupilCount);
    return true;
}

void BM_LoadRoster(benchmark::State& state)
{
    GradeData& gd = *gGrade;
    for (auto _ : state)
        LoadRoster(gd, NullProgress::instance());
    state.counters["pupils"] = gd.studentCount;
}

void BM_ComputeEvaluation(benchmark::State& state)
{
    GradeData& gd = *gGrade;
    int pupils = 0;
    for (auto _ : state) {
        EvaluationOutcome outcome = ComputeEvaluation(gd, NullProgress::instance());
        pupils = outcome.run ? outcome.run->pupilCount : 0;
        benchmark::DoNotOptimize(outcome.run.get());
    }
    state.counters["pupils"] = pupils;
}

void BM_HyoteiPdf(benchmark::State& state)
{
    const QString file = gFolder->filePath(QStringLiteral("hyotei.pdf"));
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file);
        PainterCanvas canvas(printer.get(), PrinterStartFont(*gGrade));
        gSheets = PrintHyoteiDocuments(canvas, *gGrade, *gRun, HyoteiPrintSet{true, true, true, true},
                                       NullProgress::instance());
    }
    state.counters["pages"] = gSheets;
    state.counters["bytes"] = double(QFileInfo(file).size());
}

// The same print run with nothing on the sheets but the point that opens the job.
void BM_EmptyPdfPages(benchmark::State& state)
{
    PrintEmptyPdfSheets(state, *gGrade, gFolder->filePath(QStringLiteral("empty.pdf")), gSheets);
}

BENCHMARK(BM_LoadRoster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeEvaluation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HyoteiPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyPdfPages)->Unit(benchmark::kMillisecond);

} // namespace

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Gui,
    .mapReportFonts = true,
    .prepare = prepare,
    .ratios = {{"BM_ComputeEvaluation", "BM_LoadRoster", 2}, {"BM_HyoteiPdf", "BM_EmptyPdfPages", 2}},
};
