#pragma once

#include "CsvImport.h"

#include <functional>

namespace seiran {

struct GradeData;

// A test's scores from a file into the score entry's cells. Columns 組 and 番 find the pupil
// (氏名, when present, must be the roster's name, blanks aside); each subject column's field is
// NFKC-folded and trimmed: empty leaves the cell, "-", "欠", "欠席" are absent, "-" and digits a
// bracketed score, digits the score; anything else (decimals, "85点", beyond 16 bits) is
// refused, stricter than paste: a file is checked in the preview, never reduced.
using ScoreCellTextFn = std::function<QString(int student, int subject)>;
CsvImportPreview PreviewScoreCsv(const GradeData& gd, int subjectCount, const ScoreCellTextFn& cellText,
                                 const QList<CsvRecord>& records, const CsvLayout& layout);

// The cell text a score field becomes; nullopt with the reason when it is refused.
std::optional<QString> ImportedScoreText(const QString& field, QString& why);

// The subject names of the current test, for the column roles.
QStringList TestSubjectNames(const GradeData& gd, int subjectCount);

} // namespace seiran
