#pragma once

#include "CsvImport.h"
#include "Result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace seiran {

struct GradeData;
struct SaveControl;
struct SubjectScores;
class IProgress;

// The grid of an entry screen as texts, without a window: the header row and one row per pupil
// with every column, filled by the same functions as the screen's grid. The entry command
// exports it, gives imported fields to its cells by the import rule of their values, and saves
// it as the screen's finish button does.
class EntrySheet
{
public:
    virtual ~EntrySheet() = default;

    const QStringList& headers() const { return mHeaders; }
    int rowCount() const { return int(mRows.size()); }
    int columnCount() const { return int(mHeaders.size()); }
    // Cell of pupil row `row` (1..rowCount) and column `col` (0..columnCount - 1).
    QString cell(int row, int col) const;

    // Gives an imported field to a data cell, read by the screen's rule of ImportedValues.h (never
    // reduced to its digits). Returns an empty text when the cell took it, otherwise why it is
    // refused; a refused field leaves the cell as it was.
    virtual QString takeField(int row, int col, const QString& field) = 0;
    // Converts the cells back and writes them, as the finish button does, merged field by field
    // with what others saved since the load (see SaveControl; a screen that owns the grade alone
    // ignores it).
    virtual Result save(IProgress& progress, SaveControl& control) = 0;

    // The value the screen stores for a text given to data column `col`, or nullopt and why.
    virtual std::optional<int> storedValue(int col, const QString& text, QString& why) const;
    // A value of data column `col` as the grid shows it.
    virtual QString valueText(int col, int value) const;

    // The value a data cell had when an earlier export was written, where it differs from what
    // the grid showed at load: the save merges from it instead of from the loaded value, so that
    // a change saved by someone else since that export is met as a clash, not put back.
    void setBaseValue(int row, int col, int value);

    // Tab-separated text of the whole grid, header row first, CR LF after every row.
    QString exportText() const;
    // The grid for a CSV file: the header (column 3 named "性別") and every row as shown.
    virtual QList<QStringList> csvRows() const;

    // CSV import of the screen. A screen that takes no CSV file keeps these defaults.
    virtual bool takesCsv() const { return false; }
    // Whether the file must name the pupils (a roster) or only their seats (scores).
    virtual bool csvNeedsName() const { return false; }
    // Subject names a column may carry.
    virtual QStringList csvSubjectNames() const { return {}; }
    // What each line of the file would do, before anything changes.
    virtual CsvImportPreview previewCsv(const QList<CsvRecord>& records, const CsvLayout& layout) const;
    // Takes every new or changed line of the preview.
    virtual void applyCsv(const CsvImportPreview& preview);

protected:
    void setCell(int row, int col, const QString& text);
    // After the cells were converted: gives each base value to `setLoaded` (pupil row, data
    // column from 1, value) as the value the save merges from.
    void applyBaseValues(const std::function<void(int row, int column, int value)>& setLoaded) const;
    // A score field into a score cell, by the rule every score import shares.
    QString takeScoreField(int row, int col, const QString& field);
    QStringList mHeaders;
    QList<QStringList> mRows;
    QHash<qint64, int> mBaseValues; // row * 1000 + col
};

// The sheets of the three screens over a prepared GradeData (points, choices and the school
// list, or nothing more for the scores by subject, which are read here).
std::unique_ptr<EntrySheet> MakeNaishinSheet(GradeData& gd);
std::unique_ptr<EntrySheet> MakeCareerSheet(GradeData& gd);
// The score entry by test of test `test`: reads the roster and the test's scores first.
Result MakeTestScoreSheet(GradeData& gd, int test, IProgress& progress, std::unique_ptr<EntrySheet>& sheet);
// Reads the subject's scores of the chosen tests from the roster file first.
Result MakeSubjectScoreSheet(GradeData& gd, int subject, const QList<int>& tests, IProgress& progress,
                             std::unique_ptr<EntrySheet>& sheet);

// One field an import could not take, or a line it could not place.
struct ImportProblem
{
    int line = 0;      // line of the file, from 1
    QString classText; // the 組 and 番 of the row, when there is one
    QString numberText;
    int columnNo = 0; // column of the file, from 1, for a refused field
    QString column;   // header of the column
    QString text;     // the field as it stands in the file
    QString reason;

    QString describe() const;
};

struct ImportOutcome
{
    // A fault of the file as a whole (encoding, header, a line that is not the grid's row);
    // nothing is taken then.
    QString fault;
    QList<ImportProblem> refused; // fields the screen would not take
    int changedCells = 0;
    bool ok() const { return fault.isEmpty() && refused.isEmpty(); }
};

// Checks a Tab-separated grid in the export's layout (UTF-8, an optional BOM, lines ending in
// CR LF or LF) against the sheet: the header must be the grid's, line i's first two fields the
// 組 and 番 of row i (blanks trimmed). `rows` gets the fields of each line after the header.
// Only ImportOutcome::fault is set.
ImportOutcome ReadSheetText(const EntrySheet& sheet, const QByteArray& bytes, QList<QStringList>& rows);

// Reads a grid checked as above into the sheet's cells: fields from the fifth on go to the data
// columns, a missing field leaves its cell and an extra one is ignored. A field that equals the
// cell changes nothing, so every text the export writes reads back as it was.
// With `base` (the rows of the earlier export the file was edited from) a field equal to its
// base field is untouched, whatever the grid shows now; a changed field whose base differs from
// the grid gets the base's value as the value the save merges from (setBaseValue).
ImportOutcome ImportSheetText(EntrySheet& sheet, const QByteArray& bytes, const QList<QStringList>* base = nullptr);

} // namespace seiran
