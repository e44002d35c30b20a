// The promotion on a grade of about 400 pupils with 10 transfers-in. Two ratios, each against the
// least the step has to do:
//  - "並替" by 新クラス・五十音順 with "男女別" through the window (exchange sort, numbering, the grid
//    filled once) against one fill of the grid with the same rows;
//  - "新学年作成" (four files composed, backups of the files already there, temporaries, renames)
//    against reading the roster and writing the same number of bytes through one temporary file
//    and a rename.
#include "BenchMain.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "MessageBox.h"
#include "Notice.h"
#include "Progress.h"
#include "PromotionTable.h"
#include "PromotionWindow.h"
#include "RosterFile.h"
#include "SampleGrade.h"
#include "Session.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

using namespace seiran;

namespace {

struct Promotion
{
    QTemporaryDir dir;
    std::unique_ptr<GradeData> gd = std::make_unique<GradeData>();
    RecordingProgress progress;
    SilentNotice notice;
    Session session{*gd, progress, notice, QString()};
    ScriptedMessages messages; // no message box stops a run
    std::unique_ptr<PromotionWindow> window;
    QList<PromotionRow> rows; // the assignment before sorting

    Promotion()
    {
        SampleOptions options;
        options.grade = 2;
        options.classes = 9;
        options.pupils = 45;
        options.seed = 7;
        Result r = WriteSampleGrade(dir.path(), options);
        gd->dataFolder = dir.path() + QLatin1Char('/');
        gd->currentGrade = 2;
        if (r) r = LoadTestList(*gd);
        if (!r) std::fprintf(stderr, "sample grade: %s\n", qPrintable(r.message));
        session.programFolder = QCoreApplication::applicationDirPath();
        window = std::make_unique<PromotionWindow>(session);
        PromotionTable table = window->table();
        for (int k = 1; k <= 10; ++k)
            table.appendRow(PromotionRow{QStringLiteral("転入"), QStringLiteral("転入%1").arg(k),
                                         k % 2 ? QStringLiteral("男") : QStringLiteral("女"),
                                         QStringLiteral("てんにゅう%1").arg(k), QString(), QString()});
        // Eight classes next year, the pupils dealt out in turn.
        for (int i = 1; i <= table.rowCount(); ++i) {
            PromotionRow row = table.row(i);
            row.newClass = QString::number(1 + i % 8);
            table.setRow(i, row);
        }
        rows = table.rows();
        window->mSyllabaryOption->setChecked(true);
        window->mBySexCheck->setChecked(true);
        window->mGirlsFirstEdit->setText(QStringLiteral("31"));
        window->show();
    }

    // The window's table with the rows as they were before any sort.
    void reset()
    {
        PromotionTable& table = const_cast<PromotionTable&>(window->table());
        for (int i = 1; i <= table.rowCount(); ++i)
            table.setRow(i, rows.at(i - 1));
        while (table.rowCount() < rows.size())
            table.appendRow(rows.at(table.rowCount()));
    }
};

std::unique_ptr<Promotion> gPromotion;

Promotion& promotion()
{
    if (!gPromotion) gPromotion = std::make_unique<Promotion>();
    return *gPromotion;
}

void BM_FillGrid(benchmark::State& state)
{
    Promotion& p = promotion();
    p.reset();
    for (auto _ : state) {
        p.window->showTable();
        QApplication::processEvents();
    }
    state.counters["rows"] = p.window->table().rowCount();
}

void BM_SortSyllabaryBySex(benchmark::State& state)
{
    Promotion& p = promotion();
    for (auto _ : state) {
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
        p.window->mSortButton->click();
        QApplication::processEvents();
    }
    state.counters["rows"] = p.window->table().rowCount();
}

void BM_WriteFloor(benchmark::State& state)
{
    Promotion& p = promotion();
    const QString roster = RosterFile::pathFor(*p.gd);
    QList<NextYearFile> files;
    ComposeNextYearFiles(p.window->table(), 2, 8, p.dir.path(), p.session.programFolder, files);
    qsizetype total = 0;
    for (const NextYearFile& f : files)
        total += f.bytes.size();
    const QByteArray bytes(total, 'x');
    QTemporaryDir out;
    for (auto _ : state) {
        QByteArray read;
        ReadWholeFile(roster, read);
        WriteWholeFile(out.filePath(QStringLiteral("floor.rnd")), bytes);
        benchmark::DoNotOptimize(read.size());
    }
}

void BM_CreateNextYear(benchmark::State& state)
{
    Promotion& p = promotion();
    p.reset();
    p.window->mSortButton->click();
    QTemporaryDir out;
    const QString folder = out.path() + QLatin1Char('/');
    // A year already made there: every run keeps backups of the files it replaces.
    QList<NextYearFile> first;
    ComposeNextYearFiles(p.window->table(), 2, 8, folder, p.session.programFolder, first);
    WriteNextYearFiles(first);
    for (auto _ : state) {
        state.PauseTiming();
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*.bak*")}, QDir::Files))
            QFile::remove(folder + name);
        state.ResumeTiming();
        const NextYearCheck check = CheckNextYear(p.window->table(), 2);
        QList<NextYearFile> files;
        Result r = ComposeNextYearFiles(p.window->table(), 2, check.classCount, folder, p.session.programFolder, files);
        if (r) r = WriteNextYearFiles(files);
        if (!r) state.SkipWithError(qPrintable(r.message));
    }
}

} // namespace

BENCHMARK(BM_FillGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortSyllabaryBySex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateNextYear)->Unit(benchmark::kMillisecond);

const BenchSetup seiran::benchSetup{
    .app = BenchApp::Widgets,
    .ratios = {{"BM_SortSyllabaryBySex", "BM_FillGrid", 2, "並替 (五十音順・男女別) / grid fill"},
               {"BM_CreateNextYear", "BM_WriteFloor", 2, "新学年作成 / read + write through one temporary"}},
    .finish = [] { gPromotion.reset(); }, // the window goes before the application
};
