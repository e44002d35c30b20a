#pragma once

#include <QDateTime>
#include <QString>

namespace seiran {

class PageCanvas;
struct GradeData;

// What the career lists share: naishin positions and their subjects, the high-school choices,
// and the small drawing helpers of their sheets.

constexpr int NaishinPositionCount = 9;

// The subject shown at naishin position j (1..9), or 0 when the position has no subject of the
// list (a naishin order shorter than nine, or a short subject list).
int NaishinSubject(const GradeData& gd, int position);
// The first character of the subject's name (the column headings of the sheets); empty for 0.
QString SubjectInitial(const GradeData& gd, int subject);

// Whether `choice` is an entry of the high-school list (1..highSchoolCount).
bool IsSchoolEntry(const GradeData& gd, int choice);
// The short name of a list entry; empty for a choice that is no entry of the list.
QString SchoolShortName(const GradeData& gd, int choice);

// The multiplier of subject `subject` for entry `school` of the high-school list. A school
// listed without multipliers of its own (and the added "その他") uses the subject's multiplier
// as a whole number, halves to the even neighbour.
int SchoolMultiplier(const GradeData& gd, int school, int subject);
// The subject's own multiplier (内申倍率); 0 for a subject that is not in the list.
double SubjectMultiplier(const GradeData& gd, int subject);

// A decimal rounded to the nearest whole number, halves to the even neighbour. Never wraps: a
// value beyond the 16-bit range keeps its full size.
int RoundHalfEvenWide(double value);

// The shortest decimal text of a number (15 significant digits): "37.5", "36".
QString PlainDecimal(double value);

// The whole rows below the origin of a printed sheet (67 on A4 portrait).
int SheetRows(const PageCanvas& printer, const GradeData& gd);
// The whole columns right of the origin of a printed sheet.
double SheetColumns(const PageCanvas& printer, const GradeData& gd);

// Prints `text` centred in the cell [left, left + width) on row y, by the text's printed width.
void PrintCentred(PageCanvas& canvas, const QString& text, double left, double width, double y);

// "mm-dd-yyyy hh:mm:ss" of the moment of printing.
QString StampMoment(const QDateTime& when);

// Whether the pupil at position m of the class (1..size) is the last one of his group of five
// attendance numbers (1-5, 6-10, ...): a rule goes under his row.
bool ClosesGroupOfFive(const GradeData& gd, int classNo, int m);

// The pupils of a class as the tables hold them (never past the pupil table).
int ClassPupilCount(const GradeData& gd, int classNo);

} // namespace seiran
