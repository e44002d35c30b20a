#pragma once

#include "ScoreCells.h"

#include <QString>
#include <QStringList>

namespace seiran {

struct GradeData;

// Cell rules of the career choice entry: four choices per pupil, each a number of the
// high-school list (0 = none), shown by the school's short name.

constexpr int CareerChoiceCount = 4;

// Headers of the four choice columns.
QStringList CareerHeaders();

// Text of a stored choice: the school's short name for 1..highSchoolCount, otherwise empty
// (a number beyond a shortened list stays stored but shows nothing).
QString CareerCellText(const GradeData& gd, int value);

// One typed character in a choice cell: digits as in a score cell (the first after entering
// replaces the text), Backspace removes the last character, Space leaves a single blank (which
// clears the choice on leaving); Enter and Ctrl+C are passed on; there is no paste.
CellKeyOutcome ApplyCareerKey(const QString& text, bool untouched, int keyAscii);

// What leaving a choice cell that was typed in does.
struct CareerLeave
{
    enum Action {
        Nothing, // an emptied cell: the choice stays
        Store,   // the choice becomes `value`, the cell shows `text`
        Refused, // beyond the list: beep, cell and choice stay
    };
    Action action = Nothing;
    int value = 0;
    QString text;
};
CareerLeave LeaveCareerCell(const GradeData& gd, const QString& text);

// The school list below the choices: entry k (1..highSchoolCount) runs down the first column,
// then the next, `rows` to a column; after the last school comes "  0 なし".
constexpr int SchoolListRows = 10;
constexpr int SchoolListMinColumns = 10;
// Columns the list needs (never fewer than ten, more for a list that does not fit).
int SchoolListColumns(int highSchoolCount, int rows = SchoolListRows);
// The entry number at a cell of the list: column * rows + row + 1.
int SchoolListEntry(int row, int col, int rows = SchoolListRows);
// Text of entry k: the number right-aligned in three characters, a blank and the short name;
// "  0 なし" after the last school; empty beyond.
QString SchoolListText(const GradeData& gd, int entry);

} // namespace seiran
