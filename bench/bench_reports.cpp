// Costs of the reports against the cost of the pages themselves: the preview redraw of one
// rank-table item for a grade of about 400 pupils, and the PDF of every class's raw score
// table, each as a ratio to drawing the same number of empty pages the same way.
#include "Aggregate.h"
#include "BenchGrade.h"
#include "BenchMain.h"
#include "BenchPrint.h"
#include "GradeData.h"
#include "GraphReport.h"
#include "ListFiles.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RankReport.h"
#include "RawScoreReport.h"
#include "ReportCards.h"
#include "ReportCommon.h"
#include "RosterFile.h"
#include "TestSeries.h"
#include "TrendReport.h"

#include <QImage>
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

bool loadSampleGrade()
{
    gFolder = std::make_unique<QTemporaryDir>();
    gGrade = std::make_unique<GradeData>();
    GradeData& gd = *gGrade;
    if (!WriteAndLoadFullGrade(gFolder->path(), gd)) return false;
    if (!LoadTestScores(gd, NullProgress::instance())) return false;
    AggregateTest(gd);
    BuildReportItemList(gd);
    if (gd.studentCount <= 350) return false;
    std::printf("sample grade: %d pupils in %d classes\n", gd.studentCount, gd.classCount);
    return true;
}

// The preview's canvases: 120 x 54 cells at 96 dpi less the border, as in the rank window.
struct PreviewPages
{
    QImage images[2];
    std::unique_ptr<PainterCanvas> canvases[2];
    PreviewPages()
    {
        for (int p = 0; p < 2; ++p) {
            images[p] = QImage(956, 860, QImage::Format_RGB32);
            images[p].setDotsPerMeterX(3780);
            images[p].setDotsPerMeterY(3780);
            canvases[p] = std::make_unique<PainterCanvas>(&images[p], PreviewFont(*gGrade, 9.0));
        }
    }
};

// The preview refresh of the rank window, page by page: character cells, clear, the page, and
// the painter closed so that the picture can be shown. The empty pages go through the same
// steps with nothing on them but the point that opens the painter.
template <typename DrawPage> void drawPreviewPages(PreviewPages& pages, int count, DrawPage drawPage)
{
    for (int p = 0; p < count && p < 2; ++p) {
        PainterCanvas& canvas = *pages.canvases[p];
        canvas.SetCharacterCells();
        canvas.Cls();
        drawPage(canvas, p);
        canvas.finish();
    }
}

void BM_RankItemPreview(benchmark::State& state)
{
    PreviewPages pages;
    const GradeData& gd = *gGrade;
    int drawn = 0;
    for (auto _ : state) {
        const RankGeometry g = PreviewRankGeometry(*pages.canvases[0]);
        const RankList list = RankItem(gd, 1);
        RankState rank = StartRanking(list);
        drawn = RankPageCount(gd, g);
        drawPreviewPages(pages, drawn,
                         [&](PainterCanvas& canvas, int p) { DrawRankPage(canvas, gd, 1, list, p, g, rank); });
    }
    state.counters["pages"] = drawn;
}

void BM_EmptyPreviewPages(benchmark::State& state)
{
    PreviewPages pages;
    const int count = RankPageCount(*gGrade, PreviewRankGeometry(*pages.canvases[0]));
    for (auto _ : state)
        drawPreviewPages(pages, count, [](PainterCanvas& canvas, int) { canvas.PSet(0, 0, Qt::white); });
    state.counters["pages"] = count;
}

void BM_RawScorePdf(benchmark::State& state)
{
    const GradeData& gd = *gGrade;
    QList<int> classes;
    for (int c = 1; c <= gd.classCount; ++c)
        classes.append(c);
    const QString file = gFolder->filePath(QStringLiteral("soten.pdf"));
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file);
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        PrintRawScoreClasses(canvas, gd, classes);
    }
    state.counters["pages"] = gd.classCount;
    state.counters["bytes"] = double(QFileInfo(file).size());
}

// The same print run as the raw score table (a sheet per class: NewPage between sheets, the
// paper origin, EndDoc at the end) with nothing on the sheets but the point that opens the job.
void BM_EmptyPdfPages(benchmark::State& state)
{
    PrintEmptyPdfSheets(state, *gGrade, gFolder->filePath(QStringLiteral("empty.pdf")), gGrade->classCount);
}

// The graph reports. The preview redraw of the five-subject graph against one empty page.
void BM_DistributionGraphPreview(benchmark::State& state)
{
    PreviewPages pages;
    const GradeData& gd = *gGrade;
    for (auto _ : state)
        drawPreviewPages(pages, 1,
                         [&](PainterCanvas& canvas, int) { MakeGraph(canvas, gd, GraphSettings(), 1, 1, 1); });
    state.counters["pages"] = 1;
}

void BM_EmptyPreviewPage(benchmark::State& state)
{
    PreviewPages pages;
    for (auto _ : state)
        drawPreviewPages(pages, 1, [](PainterCanvas& canvas, int) { canvas.PSet(0, 0, Qt::white); });
    state.counters["pages"] = 1;
}

// Sheets without margins, NewPage between them, EndDoc at the end, nothing but the point that
// opens the job: what the handout and the trend graph cost without their drawing.
void emptySheets(const QString& file, int sheets)
{
    std::unique_ptr<QPrinter> printer = MakePdfPrinter(file, PrintableAreaPaperLayout());
    PainterCanvas canvas(printer.get(), PrinterStartFont(*gGrade));
    for (int k = 0; k < sheets; ++k) {
        if (k > 0) canvas.NewPage();
        canvas.SetCharacterCells();
        canvas.PSet(0, 0, Qt::white);
    }
    canvas.EndDoc();
}

int gHandoutSheets = 0;
int gTrendSheets = 0;

// "個別印刷" of the handout for every pupil of the grade.
void BM_HandoutEachPdf(benchmark::State& state)
{
    const GradeData& gd = *gGrade;
    QList<int> pupils;
    for (int s = 1; s <= gd.studentCount; ++s)
        pupils.append(s);
    const HandoutTitles titles = DefaultHandoutTitles(gd, QDate(2026, 12, 7));
    const QString file = gFolder->filePath(QStringLiteral("matome.pdf"));
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file, PrintableAreaPaperLayout());
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        gHandoutSheets = PrintHandout(canvas, gd, GraphSettings(), titles, false, pupils);
    }
    state.counters["pages"] = gHandoutSheets;
    state.counters["bytes/page"] = double(QFileInfo(file).size()) / std::max(1, gHandoutSheets);
}

void BM_EmptyHandoutPdf(benchmark::State& state)
{
    const QString file = gFolder->filePath(QStringLiteral("empty-matome.pdf"));
    for (auto _ : state)
        emptySheets(file, gHandoutSheets);
    state.counters["pages"] = gHandoutSheets;
}

// The trend graph of every pupil over five tests (those with scores in the sample) with the
// raw-score table, reading the roster.
void BM_TrendPdf(benchmark::State& state)
{
    const GradeData& gd = *gGrade;
    TrendOptions options;
    for (int c = 1; c <= gd.classCount; ++c)
        options.classes.append(c);
    const QString file = gFolder->filePath(QStringLiteral("suii.pdf"));
    for (auto _ : state) {
        TestSeries series;
        if (!ReadTestSeries(gd, {1, 2, 3, 4, 6}, series, NullProgress::instance())) {
            state.SkipWithError("the roster could not be read");
            return;
        }
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file, PrintableAreaPaperLayout());
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        gTrendSheets = PrintTrendGraphs(canvas, gd, series, options, nullptr);
    }
    state.counters["pages"] = gTrendSheets;
    state.counters["bytes/page"] = double(QFileInfo(file).size()) / std::max(1, gTrendSheets);
}

void BM_EmptyTrendPdf(benchmark::State& state)
{
    const QString file = gFolder->filePath(QStringLiteral("empty-suii.pdf"));
    for (auto _ : state)
        emptySheets(file, gTrendSheets);
    state.counters["pages"] = gTrendSheets;
}

// The report cards of the whole grade: the roster read, the averages and every card, to a PDF.
const QList<int> gCardTests{1, 2, 3, 4, 5};

CardPupils everyClass()
{
    CardPupils pupils;
    for (int c = 1; c <= gGrade->classCount; ++c)
        pupils.classes.append(c);
    return pupils;
}

void BM_NotificationCardsPdf(benchmark::State& state)
{
    const GradeData& gd = *gGrade;
    const QString file = gFolder->filePath(QStringLiteral("tsuchi.pdf"));
    const QList<int> graphed{0, 1, 2, 3, 4};
    int sheets = 0;
    for (auto _ : state) {
        TestSeries series;
        if (!ReadTestSeries(gd, gCardTests, series, NullProgress::instance())) state.SkipWithError("roster");
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file);
        printer->setPageLayout(NotificationCardPaperLayout());
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        sheets = PrintNotificationCards(canvas, gd, series, graphed, everyClass());
    }
    state.counters["pages"] = sheets;
    state.counters["bytes"] = double(QFileInfo(file).size());
    state.counters["bytes_per_card"] = sheets > 0 ? double(QFileInfo(file).size()) / sheets : 0.0;
}

// As many empty sheets as cards through the same steps: NewPage, character cells, EndDoc.
void emptyCardSheets(benchmark::State& state, const QPageLayout& paper, int count, const char* name)
{
    const QString file = gFolder->filePath(QString::fromLatin1(name));
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file);
        printer->setPageLayout(paper);
        PainterCanvas canvas(printer.get(), PrinterStartFont(*gGrade));
        for (int p = 0; p < count; ++p) {
            if (p > 0) canvas.NewPage();
            canvas.SetCharacterCells();
            canvas.PSet(0, 0, Qt::white);
        }
        canvas.EndDoc();
    }
    state.counters["pages"] = count;
}

void BM_EmptyB5Pdf(benchmark::State& state)
{
    emptyCardSheets(state, NotificationCardPaperLayout(), gGrade->studentCount, "emptyb5.pdf");
}

int gTestCardSheets = 0;

void BM_TestCardsPdf(benchmark::State& state)
{
    const GradeData& gd = *gGrade;
    const QString file = gFolder->filePath(QStringLiteral("seiseki.pdf"));
    for (auto _ : state) {
        TestSeries series;
        if (!ReadTestSeries(gd, gCardTests, series, NullProgress::instance())) state.SkipWithError("roster");
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file);
        printer->setPageLayout(PrintableAreaPaperLayout());
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        gTestCardSheets = PrintTestCards(canvas, gd, series, everyClass(), true);
    }
    state.counters["pages"] = gTestCardSheets;
    state.counters["bytes"] = double(QFileInfo(file).size());
}

void BM_EmptyA4Pdf(benchmark::State& state)
{
    emptyCardSheets(state, PrintableAreaPaperLayout(), gTestCardSheets, "emptya4.pdf");
}

// The size a notification card adds to the PDF, printed after the ratios.
void printCardSize()
{
    const qint64 cardBytes = QFileInfo(gFolder->filePath(QStringLiteral("tsuchi.pdf"))).size();
    if (cardBytes > 0 && gGrade->studentCount > 0)
        std::printf("notification cards: %.1f KB per card\n", cardBytes / 1024.0 / gGrade->studentCount);
}

BENCHMARK(BM_RankItemPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyPreviewPages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawScorePdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyPdfPages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistributionGraphPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyPreviewPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandoutEachPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyHandoutPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrendPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyTrendPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NotificationCardsPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyB5Pdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TestCardsPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyA4Pdf)->Unit(benchmark::kMillisecond);

} // namespace

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Gui,
    .mapReportFonts = true,
    .prepare = loadSampleGrade,
    .ratios = {{"BM_RankItemPreview", "BM_EmptyPreviewPages"},
               {"BM_RawScorePdf", "BM_EmptyPdfPages"},
               {"BM_DistributionGraphPreview", "BM_EmptyPreviewPage"},
               {"BM_HandoutEachPdf", "BM_EmptyHandoutPdf"},
               {"BM_TrendPdf", "BM_EmptyTrendPdf"},
               {"BM_NotificationCardsPdf", "BM_EmptyB5Pdf"},
               {"BM_TestCardsPdf", "BM_EmptyA4Pdf"}},
    .finish = printCardSize,
};
