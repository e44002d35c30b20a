#pragma once

#include <QList>

namespace seiran {

class PageCanvas;
struct GradeData;

// The raw score table (素点一覧表) of one class for the current test: every pupil's scores,
// the five-subject total and both ranks, then the class's and the grade's averages. Drawn in
// whatever font and origin the canvas has.
void DrawSotenPage(PageCanvas& canvas, const GradeData& gd, int classNo);

// Column of subject i (1..n): subjects 1..5 before the total, 6..n after it.
int SotenSubjectX(int subject);
// Right end of the rules and the rank columns for a test of n subjects. A test of fewer than
// five subjects keeps the width of five, so the rank columns never run into the total.
int SotenRuleEnd(int subjectCount);
int SotenGradeRankX(int subjectCount);
int SotenClassRankX(int subjectCount);

// Prints the given classes, one sheet each, as a standard print run on a printer canvas, and
// ends the job when a sheet was drawn. Returns the number of sheets (0 when no valid class
// was given); the canvas reports a device failure.
int PrintSotenClasses(PageCanvas& printer, const GradeData& gd, const QList<int>& classes);

} // namespace seiran
