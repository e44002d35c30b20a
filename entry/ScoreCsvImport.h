#pragma once

#include "CsvImport.h"
#include "ImportedValues.h"

#include <functional>

namespace seiran {

struct GradeData;

// A test's scores from a file into the score entry's cells. Columns 組 and 番 find the pupil
// (氏名, when present, must be the roster's name, blanks aside); each subject column's field is
// read by ImportedScoreText, except that an empty field leaves the cell as it is; anything that
// is not a score is refused, stricter than paste: a file is checked in the preview, never reduced.
using ScoreCellTextFn = std::function<QString(int student, int subject)>;
CsvImportPreview PreviewScoreCsv(const GradeData& gd, int subjectCount, const ScoreCellTextFn& cellText,
                                 const QList<CsvRecord>& records, const CsvLayout& layout);

// The subject names of the current test, for the column roles.
QStringList TestSubjectNames(const GradeData& gd, int subjectCount);

} // namespace seiran
