#pragma once

namespace seiran {

class PageCanvas;
struct GradeData;

// The averages and maxima table (平均点・最高点一覧表) of the current test on one page: the
// averages of every subject and of the five-subject total by class and for the grade (all,
// boys, girls), and the grade's highest score of each. Drawn in whatever font and origin the
// canvas has. With `withDeviation`, a row "標準偏差" under the maxima holds the grade's
// standard deviation of each column, placed as its averages; without it the page is as it
// always was.
void DrawAveragePage(PageCanvas& canvas, const GradeData& gd, bool withDeviation = false);

// Prints the page as a one-sheet print run and ends the job. Returns the number of sheets.
int PrintAverage(PageCanvas& printer, const GradeData& gd, bool withDeviation = false);

} // namespace seiran
