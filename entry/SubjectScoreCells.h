#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace seiran {

struct GradeData;
struct SubjectScores;

// Cell rules of the score entry by subject: one subject over several tests, read from and
// written to the roster file by the window itself.

// Heading of the window: "点数の入力（教科別）　" + grade + "年 " + the subject's name.
QString SubjectScoreHeading(const GradeData& gd, int subject);

// Headers of the test columns: the tests' short names.
QStringList SubjectScoreHeaders(const GradeData& gd, const SubjectScores& table);

// Text of a stored score: as every score cell shows it, except that a code no key gives
// (-2..-9 other than -5) shows an empty cell.
QString SubjectScoreCellText(int value);

// Converts the cells back into the table's values. A cell that still shows what its loaded
// score showed keeps the score (an untouched -3 stays -3); other cells follow the score cell
// vocabulary. Fails, changing nothing, naming the pupil and the test, when a value does not
// fit its slot.
using SubjectScoreCellFn = std::function<QString(int student, int column)>;
Result ConvertCellsToSubjectScores(const GradeData& gd, SubjectScores& table, const SubjectScoreCellFn& cell);

} // namespace seiran
