#pragma once

#include "Result.h"

#include <QList>
#include <QSizeF>
#include <QString>
#include <functional>

namespace seiran {

class PageCanvas;
struct GradeData;
struct TestSeries;

// The score trend graph (教科別得点推移グラフ): for every pupil of the chosen classes one block
// of six small line graphs (the five-subject total and the five main subjects) over the chosen
// tests, with the grade averages, optionally under a table of the raw scores.
struct TrendOptions
{
    QList<int> classes;        // printed in class order
    bool rawScoreTable = true; // "素点表あり"
};

// 50 when no score of the chosen tests is above 50, otherwise 100 (the total's scale is five
// times it).
int TrendScaleMaximum(const TestSeries& series);
// Rows of the table above the graphs (one heading row without the table) and of a block.
int TrendTableRows(int tests, bool rawScoreTable);
int TrendBlockHeight(int tests, bool rawScoreTable);
// Right edge of the panel around the six graphs.
double TrendPanelRight(int tests);

// Refuses a choice of tests whose blocks would not fit the sheet, naming how many would.
Result CheckTrendFits(int tests, bool rawScoreTable, const QSizeF& sheetCells);

// One pupil's block with its top at row y.
void DrawTrendBlock(PageCanvas& canvas, const GradeData& gd, const TestSeries& series, int pupil, double y,
                    bool rawScoreTable, int scaleMaximum);

// The print run of "印刷開始": the pupils of the chosen classes, blocks down the sheets, each
// class from a new sheet (and never a sheet without a block). `progress` gets the percentage
// as the run moves through the seats. Ends the job when a sheet was drawn; returns the number
// of sheets.
int PrintTrendGraphs(PageCanvas& printer, const GradeData& gd, const TestSeries& series, const TrendOptions& options,
                     const std::function<void(int)>& progress);

} // namespace seiran
