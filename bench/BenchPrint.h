#pragma once

// For the benchmarks that link the reports library.
#include "GradeData.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "ReportCommon.h"

#include <QPrinter>
#include <QString>
#include <benchmark/benchmark.h>
#include <memory>

namespace seiran {

// The floor of a printout: the same print run (NewPage between sheets, the paper origin, EndDoc
// at the end) to a PDF file, with nothing on its `sheets` sheets but the point that opens the job.
inline void PrintEmptyPdfSheets(benchmark::State& state, const GradeData& gd, const QString& file, int sheets)
{
    for (auto _ : state) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(file);
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        PrintRun run(canvas, gd);
        for (int s = 0; s < sheets; ++s) {
            run.startSheet();
            canvas.PSet(0, 0, Qt::white);
        }
        run.finish();
    }
    state.counters["pages"] = sheets;
}

} // namespace seiran
