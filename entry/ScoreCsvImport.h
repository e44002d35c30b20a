#pragma once

#include "CsvImport.h"
#include "ImportedValues.h"

#include <functional>

namespace seiran {

struct GradeData;

// The data columns of an entry screen as a CSV file fills them: their names (the column roles
// CsvRole::SubjectBase + k, found by header), the screen's rule for a field and the value a cell
// holds now. Values are the texts the screen applies to a cell (a score as the cell shows it, a
// school's number); an empty value leaves the cell as it is.
struct CsvCellColumns
{
    QStringList names;
    // The field of column k (from 1) as a value, or nullopt with the reason.
    std::function<std::optional<QString>(int k, const QString& field, QString& why)> read;
    // The value of pupil `student`'s cell in column k now.
    std::function<QString(int student, int k)> current;
    // A value as the preview shows it; the value itself when not given.
    std::function<QString(int k, const QString& value)> shown;

    bool empty() const { return names.isEmpty(); }
};

// What a file would do to the data columns. Columns 組 and 番 find the pupil (氏名, when present,
// must be the roster's name, blanks aside); a line of another grade is set aside; each data
// column's field is read by the column's rule, an empty field leaves the cell as it is, and a line
// with any field the rule refuses is refused whole, stricter than paste: a file is checked in the
// preview, never reduced. A line's `cells` hold the values to apply, one per column.
CsvImportPreview PreviewCellCsv(const GradeData& gd, const CsvCellColumns& columns, const QList<CsvRecord>& records,
                                const CsvLayout& layout);

// The columns of each entry screen. Score columns (by test: the subjects; by subject: the tests'
// short names) read a field by ImportedScoreText; 内申点 by ImportedNaishinText, the nine
// positions named by their subjects (a position without one takes nothing); 進路希望 by
// ImportedCareerChoice (a school's short name or number, "なし" or 0 clears the choice), its
// values being school numbers.
using ScoreCellTextFn = std::function<QString(int student, int column)>;
CsvCellColumns ScoreCsvColumns(const QStringList& names, const ScoreCellTextFn& cellText);
CsvCellColumns NaishinCsvColumns(const GradeData& gd, const ScoreCellTextFn& cellText);
CsvCellColumns CareerCsvColumns(const GradeData& gd);

// A test's scores from a file into the score entry's cells (PreviewCellCsv over the test's subjects).
CsvImportPreview PreviewScoreCsv(const GradeData& gd, int subjectCount, const ScoreCellTextFn& cellText,
                                 const QList<CsvRecord>& records, const CsvLayout& layout);

// The subject names of the current test, for the column roles.
QStringList TestSubjectNames(const GradeData& gd, int subjectCount);

} // namespace seiran
