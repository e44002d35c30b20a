// Costs of the teacher conveniences against a floor each: the 偏差値 sheets of the full grade
// against as many empty sheets, a 400-line CP932 class list imported and saved against loading
// the roster, undoing a 3,600-cell paste against the paste, and the slowest find keystroke over
// 400 rows against a key the grid ignores.
#include "Aggregate.h"
#include "BenchGrade.h"
#include "BenchMain.h"
#include "BenchPrint.h"
#include "Cp932.h"
#include "CsvColumns.h"
#include "CsvFile.h"
#include "DeviationReport.h"
#include "FlexGrid.h"
#include "GradeData.h"
#include "Notice.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "ReportCommon.h"
#include "RosterCsvImport.h"
#include "RosterEditModel.h"
#include "RosterFile.h"
#include "ScoreEntryWindow.h"
#include "Session.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <QUndoStack>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>

using namespace seiran;

namespace {
std::unique_ptr<QTemporaryDir> gFolder;
std::unique_ptr<GradeData> gGrade;
int gHensaSheets = 0;

bool loadSampleGrade()
{
    gFolder = std::make_unique<QTemporaryDir>();
    gGrade = std::make_unique<GradeData>();
    GradeData& gd = *gGrade;
    if (!WriteAndLoadFullGrade(gFolder->path(), gd)) return false;
    if (!LoadTestScores(gd, NullProgress::instance())) return false;
    AggregateTest(gd);
    if (gd.studentCount <= 350) return false;
    std::printf("sample grade: %d pupils in %d classes\n", gd.studentCount, gd.classCount);
    return true;
}

QList<int> everyClass()
{
    QList<int> classes;
    for (int c = 1; c <= gGrade->classCount; ++c)
        classes << c;
    return classes;
}

void BM_HensaPdf(benchmark::State& state)
{
    const QString file = gFolder->filePath(QStringLiteral("hensa.pdf"));
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file);
        PainterCanvas canvas(printer.get(), PrinterStartFont(*gGrade));
        gHensaSheets = PrintDeviationReport(canvas, *gGrade, everyClass(), true);
    }
    state.counters["pages"] = gHensaSheets;
}

void BM_EmptyA4Sheets(benchmark::State& state)
{
    PrintEmptyPdfSheets(state, *gGrade, gFolder->filePath(QStringLiteral("empty.pdf")), gHensaSheets);
}

// Every pupil of the grade with a changed name and reading, in CP932.
QString writeClassList()
{
    QString text = QStringLiteral("組,番,氏名,ふりがな,性別\r\n");
    for (int s = 1; s <= gGrade->studentCount; ++s)
        text += QStringLiteral("%1,%2,%3,よみ%4,%5\r\n")
                    .arg(gGrade->studentClass[s])
                    .arg(gGrade->studentNumber[s])
                    .arg(gGrade->studentName[s].left(5) + QStringLiteral("子"))
                    .arg(s)
                    .arg(gGrade->studentSex[s] == 2 ? QStringLiteral("女") : QStringLiteral("男"));
    const QString path = gFolder->filePath(QStringLiteral("list.csv"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(Cp932::encode(text));
    return path;
}

void BM_ImportClassListAndSave(benchmark::State& state)
{
    const QString csv = writeClassList();
    const QString roster = RosterFile::pathFor(*gGrade);
    QFile original(roster);
    original.open(QIODevice::ReadOnly);
    const QByteArray bytes = original.readAll();
    original.close();
    for (auto _ : state) {
        state.PauseTiming();
        QFile restore(roster);
        restore.open(QIODevice::WriteOnly);
        restore.write(bytes);
        restore.close();
        state.ResumeTiming();
        RosterEditModel model;
        model.load(roster, gGrade->classCount, NullProgress::instance());
        QList<CsvRecord> records;
        CsvEncoding used = CsvEncoding::Auto;
        ReadCsvFile(csv, CsvEncoding::Auto, records, used);
        CsvLayout layout;
        DetectCsvLayout(records, {}, true, layout);
        const CsvImportPreview preview =
            PreviewRosterCsv(model, records, layout, gGrade->classLabels, gGrade->currentGrade);
        ApplyRosterCsv(model, preview);
        model.save(roster, NullProgress::instance());
    }
}

void BM_LoadRoster(benchmark::State& state)
{
    GradeData gd = *gGrade;
    for (auto _ : state)
        LoadRoster(gd, NullProgress::instance());
}

struct EntryWindow
{
    SilentNotice notice;
    Session session{*gGrade, NullProgress::instance(), notice, QString()};
    ScoreEntryWindow window{session};
};

QString pasteText()
{
    QString text;
    for (int r = 0; r < 400; ++r) {
        QStringList row;
        for (int c = 0; c < 9; ++c)
            row << QString::number((r + c) % 100);
        text += row.join(u'\t') + QStringLiteral("\r\n");
    }
    return text;
}

void selectAll(FlexGrid* grid)
{
    grid->setRow(1);
    grid->setCol(FirstDataCol);
    grid->setRowSel(grid->Rows() - 1);
    grid->setColSel(grid->Cols() - 1);
}

void BM_Paste3600(benchmark::State& state)
{
    EntryWindow w;
    QApplication::clipboard()->setText(pasteText());
    for (auto _ : state) {
        selectAll(w.window.mGrid);
        w.window.onPasteClicked();
        state.PauseTiming();
        w.window.onUndo();
        state.ResumeTiming();
    }
}

void BM_UndoPaste3600(benchmark::State& state)
{
    EntryWindow w;
    QApplication::clipboard()->setText(pasteText());
    for (auto _ : state) {
        state.PauseTiming();
        selectAll(w.window.mGrid);
        w.window.onPasteClicked();
        state.ResumeTiming();
        w.window.onUndo();
    }
}

void BM_FindKeystrokeNoMatch(benchmark::State& state)
{
    EntryWindow w;
    for (auto _ : state)
        w.window.findPupil(QStringLiteral("該当なし"), 0);
}

// The least a keystroke costs: a key the grid receives and ignores (Shift alone), which touches
// no cell, takes no undo step and does not beep.
void BM_IgnoredKey(benchmark::State& state)
{
    EntryWindow w;
    w.window.mGrid->setRow(1);
    w.window.mGrid->setCol(FirstDataCol);
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
        QApplication::sendEvent(w.window.mGrid, &press);
        QApplication::sendEvent(w.window.mGrid, &release);
    }
}

BENCHMARK(BM_HensaPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyA4Sheets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportClassListAndSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRoster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paste3600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoPaste3600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindKeystrokeNoMatch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IgnoredKey)->Unit(benchmark::kMicrosecond);

} // namespace

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Widgets,
    .mapReportFonts = true,
    .prepare = loadSampleGrade,
    .ratios = {{"BM_HensaPdf", "BM_EmptyA4Sheets"},
               {"BM_ImportClassListAndSave", "BM_LoadRoster"},
               {"BM_UndoPaste3600", "BM_Paste3600"},
               {"BM_FindKeystrokeNoMatch", "BM_IgnoredKey"}},
};
