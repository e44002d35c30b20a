#pragma once

#include "Evaluation.h"

#include <QList>
#include <QString>

namespace seiran {

class IProgress;
class PageCanvas;
class PrintRun;
struct GradeData;

// The four printed documents of an evaluation, in the order they are printed.
struct HyoteiPrintSet
{
    bool scoreOrder = true;   // 点数順評定・素点表
    bool numberOrder = false; // 出席番号順評定・素点
    bool classLists = true;   // クラス別評定一覧（転記用）
    bool distribution = true; // 人数分布

    bool any() const { return scoreOrder || numberOrder || classLists || distribution; }
    // From the digits 1-4 of the ticked documents ("134"); false for any other character.
    static bool fromDigits(const QString& digits, HyoteiPrintSet& set);
};

// Pupils per sheet of the two lists: the sheet's height in lines less 10, at least 1.
int HyoteiLinesPerSheet(const PageCanvas& printer);
// Class blocks side by side on a sheet of the class lists, at least 1.
int HyoteiBlocksPerSheet(const PageCanvas& printer);

// The score cell of the printed lists at x: a number right-aligned in four columns, "  －",
// "  欠", or a bracketed worth " (50)".
void PrintHyoteiScoreCell(PageCanvas& canvas, double x, double y, int code);
// The level with its mark as both lists and the class lists print it: "  4○", or "( 4○)" when
// changed by hand.
QString HyoteiPrintedLevel(const EvaluationRun& run, int pupil);

// Each printout draws its sheets through the run (the first sheet of the run has no NewPage)
// and returns the number of sheets it drew. `progress` gets the pupil being printed.
int PrintHyoteiList(PrintRun& run, PageCanvas& printer, const GradeData& gd, const EvaluationRun& eval,
                    HyoteiOrder order, IProgress& progress);
int PrintHyoteiClassLists(PrintRun& run, PageCanvas& printer, const GradeData& gd, const EvaluationRun& eval,
                          IProgress& progress);
int PrintHyoteiDistribution(PrintRun& run, PageCanvas& printer, const GradeData& gd, const EvaluationRun& eval);

// The five-number groups (1 for 1-5 ... 12 for 56-60) in which some pupil has a number.
QList<int> HyoteiNumberGroups(const EvaluationRun& eval);

// Prints the ticked documents as one job on a printer canvas, with "点数順", "出席番号順",
// "クラス別" and "人数分布" in the status while each is drawn, and ends the job when a sheet was
// drawn. Returns the number of sheets (0: nothing to print).
int PrintHyoteiDocuments(PageCanvas& printer, const GradeData& gd, const EvaluationRun& eval, const HyoteiPrintSet& set,
                         IProgress& progress);

} // namespace seiran
