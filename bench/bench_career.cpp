// Costs of the guidance materials: the whole print run for a grade of about 400 pupils (class
// sheets, grade ranking and every school's block, four tests) to a PDF as a ratio to the same
// number of empty pages, and the score computation of all eight tests against the floor of
// reading and decoding the roster file.
#include "BenchGrade.h"
#include "BenchMain.h"
#include "BenchPrint.h"
#include "GradeData.h"
#include "GuidanceMaterials.h"
#include "ListFiles.h"
#include "Notice.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "ReportCommon.h"
#include "RosterFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

using namespace seiran;

namespace {
std::unique_ptr<QTemporaryDir> gFolder;
std::unique_ptr<GradeData> gGrade;
int gSheets = 0;

bool loadSampleGrade()
{
    gFolder = std::make_unique<QTemporaryDir>();
    gGrade = std::make_unique<GradeData>();
    GradeData& gd = *gGrade;
    if (!WriteAndLoadFullGrade(gFolder->path(), gd)) return false;
    SilentNotice notice;
    if (!LoadCareerChoices(gd, NullProgress::instance())) return false;
    if (!LoadHighSchoolList(gd, QCoreApplication::applicationDirPath(), notice)) return false;
    if (!LoadNaishin(gd, NullProgress::instance())) return false;
    if (gd.studentCount <= 350 || gd.testCount < 8) return false;
    std::printf("sample grade: %d pupils in %d classes, %d tests\n", gd.studentCount, gd.classCount, gd.testCount);
    return true;
}

GuidanceOptions fourTests()
{
    GuidanceOptions options;
    options.tests = {1, 2, 3, 4};
    return options;
}

GuidanceSelection everything(const GradeData& gd)
{
    GuidanceSelection selection;
    for (int c = 1; c <= gd.classCount; ++c)
        selection.classes.append(c);
    return selection;
}

void BM_GuidancePrintRunPdf(benchmark::State& state)
{
    const GradeData& gd = *gGrade;
    const QString file = gFolder->filePath(QStringLiteral("sinro.pdf"));
    for (auto _ : state) {
        GuidanceScores scores;
        LoadGuidanceScores(gd, fourTests(), scores, NullProgress::instance());
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file);
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        gSheets = PrintGuidanceMaterials(canvas, gd, fourTests(), scores, everything(gd));
    }
    state.counters["pages"] = gSheets;
    state.counters["bytes"] = double(QFileInfo(file).size());
}

// The same print run with nothing on the sheets but the point that opens the job.
void BM_EmptyPdfPages(benchmark::State& state)
{
    PrintEmptyPdfSheets(state, *gGrade, gFolder->filePath(QStringLiteral("empty.pdf")), gSheets);
}

void BM_GuidanceScoresAllTests(benchmark::State& state)
{
    const GradeData& gd = *gGrade;
    GuidanceOptions options;
    for (int t = 1; t <= gd.testCount; ++t)
        options.tests.append(t);
    for (auto _ : state) {
        GuidanceScores scores;
        LoadGuidanceScores(gd, options, scores, NullProgress::instance());
        benchmark::DoNotOptimize(scores.combined.data());
    }
}

// As bench_load: read the roster bytes and decode every in-use record's name, sex and nine slots.
void BM_ReadAndDecodeFloor(benchmark::State& state)
{
    const GradeData& gd = *gGrade;
    std::vector<int> scoreSlots;
    for (int j = 0; j < 9; ++j)
        scoreSlots.push_back(gd.testFirstSlot[2] + j);
    ReadAndDecodeRoster(state, gd, scoreSlots);
}

BENCHMARK(BM_GuidancePrintRunPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyPdfPages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GuidanceScoresAllTests)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadAndDecodeFloor)->Unit(benchmark::kMicrosecond);

} // namespace

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Gui,
    .mapReportFonts = true,
    .prepare = loadSampleGrade,
    .ratios = {{"BM_GuidancePrintRunPdf", "BM_EmptyPdfPages", 2},
               {"BM_GuidanceScoresAllTests", "BM_ReadAndDecodeFloor", 2}},
};
