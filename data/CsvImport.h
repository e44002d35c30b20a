#pragma once

#include "CsvColumns.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace seiran {

// What an import would do with each line of a file, shown before anything changes.
struct CsvImportLine
{
    enum Outcome { New, Changed, Unchanged, NoName, Refused, OtherGrade };

    int line = 0; // line of the file, from 1
    QString classText;
    QString numberText;
    Outcome outcome = Refused;
    QString detail; // "old → new" for a change, the reason for a refusal
    int classNo = 0;
    int number = 0;
    // Roster lines: the seat as it will be.
    QString name;
    QString furigana;
    int sex = 0;
    // Names or readings the roster field cuts (a notice each, with the stored text).
    QStringList cutNotices;
    // Score lines: the pupil and the text of each subject's cell (empty: left as it is).
    int student = 0;
    QStringList cells;

    QString outcomeText() const; // "新規", "変更", "変更なし", "氏名なし", "取り込めない", "他学年"
    // "12行目 3組 5番: reason" for messages and standard error.
    QString describe() const;
};

struct CsvImportPreview
{
    QList<CsvImportLine> lines;

    int count(CsvImportLine::Outcome outcome) const;
    int refusedCount() const { return count(CsvImportLine::Refused); }
    // Lines whose pupil is taken (new, changed or unchanged).
    int takenCount() const;
    int cutCount() const;
    int newWithoutSexCount() const;
    // "新規 3、変更 2、変更なし 30、…" for the dialog and the command.
    QString countsText() const;
};

// Marks every accepted line that shares its seat with another accepted line as refused.
void RefuseSharedSeats(CsvImportPreview& preview);

} // namespace seiran
