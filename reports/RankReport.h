#pragma once

#include "Result.h"

#include <QList>
#include <vector>

namespace seiran {

class PageCanvas;
struct GradeData;

// Builds the ReportItemList of the current test: item 1 the five-subject total, then per
// subject one item (kind 0), boys and girls (kind 1), or the classes named in the subject's
// group text and the other classes (kind 2). Never more than Limits::ReportItems items: a
// subject list that would need more is refused with a message, keeping the items that fit.
Result BuildReportItemList(GradeData& gd);

// Whether pupil s takes part in item `item` (its mode: all, boys, girls, the group's classes,
// the other classes).
bool TakesPart(const GradeData& gd, int item, int s);

// The pupils of one item sorted by score, highest first, by the exchange sort (equal scores
// keep no particular order). Entries 1..count; entry 0 is unused.
struct RankList
{
    std::vector<int> score{0};
    std::vector<int> pupil{0};
    int count() const { return int(score.size()) - 1; }
};
RankList RankItem(const GradeData& gd, int item);

// Running state of the rank numbers, carried from one page of an item to the next.
struct RankState
{
    int previousScore = 0;
    int rankNumber = 1;
};
RankState StartRanking(const RankList& list);

// List columns across a page and entries per column.
struct RankGeometry
{
    int columnsPerPage = 1;
    int rowsPerColumn = 1;
    int perPage() const { return columnsPerPage * rowsPerColumn; }
};
constexpr int RankColumnWidth = 25;
// Where the score stands within a list column; names end before it.
constexpr int RankScoreOffset = 19;
// From a preview canvas in character cells (origin at its corner).
RankGeometry PreviewRankGeometry(const PageCanvas& canvas);
// From a printer in character cells, inside the paper margins.
RankGeometry PrintRankGeometry(const PageCanvas& printer, const GradeData& gd);
// Pages of every item: they follow the grade's pupil count, not the count taking part.
int RankPageCount(const GradeData& gd, const RankGeometry& geometry);

// Draws page `page` (from 0) of the item's list. Fonts: the Gothic font for the title and the
// ranks, the Mincho font for the rest, each in the canvas's current size.
void DrawRankPage(PageCanvas& canvas, const GradeData& gd, int item, const RankList& list, int page,
                  const RankGeometry& geometry, RankState& state);

// Prints every item in `items` (ascending item numbers) page by page as a standard print run
// and ends the job when a sheet was drawn. Returns the number of sheets.
int PrintRankItems(PageCanvas& printer, const GradeData& gd, const QList<int>& items);

} // namespace seiran
