#pragma once

#include "Result.h"
#include "ScoreCells.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace seiran {

struct GradeData;

// Cell rules of the naishin entry: nine columns, one per naishin position, each holding a
// point of the ten-level scale (empty = not entered).

// Highest point of the scale.
constexpr int NaishinMax = 10;

// Whether naishin position j (1..9) names a subject of the subject list. A naishin order of
// fewer than nine subjects leaves the last positions without one, and so does the default
// order over a list of fewer than nine subjects (five subjects: positions 5..8 would be
// subjects 6..9). Such a position is locked: no key, no paste, no import, never saved.
bool NaishinPositionUsed(const GradeData& gd, int position);

// Headers of the nine columns: the subject at each position, empty for a position without one.
QStringList NaishinHeaders(const GradeData& gd);

// Text of a stored point: empty for 0 or less, otherwise the number (values above the scale
// are shown as they are).
QString NaishinCellText(int value);
// Text of pupil i's cell at position j: the point, empty at a position without a subject
// (whatever its record slot holds, it is not this screen's).
QString NaishinPositionText(const GradeData& gd, int position, int student);

// One typed character: "1".."9" make the cell that digit, "0" makes it "10", Space empties
// it; Enter, Ctrl+C and Ctrl+V are passed on; everything else is ignored.
CellKeyOutcome ApplyNaishinKey(const QString& text, bool untouched, int keyAscii);

// Whether a pasted token may go into a naishin cell: empty, or digits worth 0..10.
bool AcceptsNaishinToken(const QString& token);

// Converts the cells of the nine positions back into `naishin`. A cell that still shows what
// its stored point showed keeps the point (a stored -2 or 25 stays); other cells store their
// number, an empty cell 0. Positions without a subject are left alone. Fails, changing nothing,
// when a cell holds something no key or paste gives.
using NaishinCellFn = std::function<QString(int student, int position)>;
Result ConvertCellsToNaishin(GradeData& gd, const NaishinCellFn& cell);

} // namespace seiran
