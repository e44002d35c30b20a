#pragma once

#include <QList>

namespace seiran {

class PageCanvas;
struct GradeData;

// The part of a class's raw score table that one sheet holds: the pupils at positions
// first..last of the class (none when last < first) and, when `summary` is set, the class's and
// the grade's averages and the print stamp after them.
struct RawScoreSheet
{
    int first = 1;
    int last = 0;
    bool summary = true;

    bool operator==(const RawScoreSheet&) const = default;
};

// The raw score table (素点一覧表) of one class for the current test: every pupil's scores,
// the five-subject total and both ranks, then the class's and the grade's averages. Drawn in
// whatever font and origin the canvas has, the whole class on one page.
void DrawRawScorePage(PageCanvas& canvas, const GradeData& gd, int classNo);
// One sheet of the class: title and headings, then the sheet's pupils and its summary.
void DrawRawScoreSheet(PageCanvas& canvas, const GradeData& gd, int classNo, const RawScoreSheet& sheet);

// How far down from the origin a page with `pupils` pupil rows reaches, in rows: title, header,
// the pupils, three rows of class averages and three of grade averages, and the print stamp one
// line under the last rule.
double RawScorePageDepth(int pupils);
// The sheets of a class of `classSize` pupils when `depth` rows fit below the origin of a
// sheet. A class that fits gets one sheet. A larger one (a class of 60 on A4) continues on the
// next sheet under the same title and headings, the averages and the stamp staying together; a
// sheet too small even for that keeps the class on one sheet.
QList<RawScoreSheet> PlanRawScoreSheets(int classSize, double depth);
// Pupils of class c as the table counts them (never past the pupil table).
int RawScoreClassSize(const GradeData& gd, int classNo);

// Column of subject i (1..n): subjects 1..5 before the total, 6..n after it.
int RawScoreSubjectX(int subject);
// Right end of the rules and the rank columns for a test of n subjects. A test of fewer than
// five subjects keeps the width of five, so the rank columns never run into the total.
int RawScoreRuleEnd(int subjectCount);
int RawScoreGradeRankX(int subjectCount);
int RawScoreClassRankX(int subjectCount);

// Prints the given classes, one sheet each (more for a class that does not fit the sheet), as
// a standard print run on a printer canvas, and ends the job when a sheet was drawn. Returns the
// number of sheets (0 when no valid class was given); the canvas reports a device failure.
int PrintRawScoreClasses(PageCanvas& printer, const GradeData& gd, const QList<int>& classes);

} // namespace seiran
