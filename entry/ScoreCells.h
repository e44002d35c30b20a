#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace seiran {

// Text rules of the entry grids, kept apart from the widgets so that they can be checked on
// their own. A cell's text is the working copy of its value until the window saves.

// First data column of every entry grid: columns 0..3 are class, number, name and sex.
constexpr int FirstDataCol = 4;

// Largest and smallest values a 16-bit score slot holds.
constexpr int SlotMax = 32767;
constexpr int SlotMin = -32768;

// The number at the start of a text the way the program has always read cell texts: leading
// blanks skipped, an optional sign, then digits up to the first other character. No digits
// gives 0. Very long digit runs saturate instead of wrapping.
qint64 LeadingNumber(const QString& text);

// Stored value of a score cell: "" -5, "-" -1, a number v >= 0 itself, "-" and digits d
// -d - 10 (a bracketed score; "-0" is -10). Surrounding blanks are ignored. nullopt when the value would
// not fit the 16-bit slot, and for a text with a decimal point (scores are whole numbers).
std::optional<int> ScoreCellValue(const QString& text);

// What a typed character does to a score cell.
enum class CellKey {
    Changed, // the cell text changed (or was re-set)
    Refused, // the key would make the value overflow; beep, the cell keeps its text
    Decimal, // "." or "．": scores are whole numbers; refused as Refused, and said in words
    Ignored, // the key has no meaning in a score cell
    Enter,   // 13: move the current cell
    Copy,    // 3: Ctrl+C
    Paste,   // 22: Ctrl+V
};

struct CellKeyOutcome
{
    CellKey action = CellKey::Ignored;
    QString text;           // the cell's text afterwards
    bool untouched = false; // cellUntouched afterwards
};

// Full-width digits, minus signs and the long-vowel mark that the input method gives for "-"
// (typed with the input method on) as their ASCII keys.
int NarrowKey(int keyAscii);

// Applies one typed character (its code: digits, '-', 8 Backspace, 32 Space, 13 Enter,
// 3 Ctrl+C, 22 Ctrl+V) to a score cell holding `text`. A decimal point is refused, never
// dropped: "45.5" typed must not become 455.
CellKeyOutcome ApplyScoreKey(const QString& text, bool untouched, int keyAscii);
// What the score windows' status line says after a decimal point was typed.
QString DecimalRefusedText();

// The grid keys every entry screen shares: Enter (13), Ctrl+C (3) and Ctrl+V (22); Ignored for any
// other key.
CellKey GridControlKey(int keyAscii);

// Whether leaving a cell that holds `text` sounds the warning beep: beep mode 1 above 50,
// 2 above 100, 0 never.
bool ExceedsWarningLimit(const QString& text, int beepMode);

// A selected rectangle with top <= bottom and left <= right.
struct CellRange
{
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;

    bool contains(int row, int col) const { return row >= top && row <= bottom && col >= left && col <= right; }
    int rowCount() const { return bottom - top + 1; }
    int colCount() const { return right - left + 1; }
};

// The rectangle between the current cell and the other corner, whichever way it was dragged.
CellRange NormalisedRange(int row, int col, int rowSel, int colSel);

using CellTextFn = std::function<QString(int row, int col)>;

// Clipboard text of a rectangle: cells joined by Tab, CR LF after every row (the last too).
QString BuildCopyText(const CellTextFn& cell, const CellRange& range);

// Four-digit pupil identifier: grade, class and two-digit number ("3105" for grade 3, class
// "1", number 5). A class label that is not a digit counts as 0.
QString StudentIdentifier(int grade, const QString& classText, const QString& numberText);

// As BuildCopyText, each row led by the identifier and the name (columns 0, 1 and 2). Rows
// before `firstPupilRow` are headings: their identifier field is empty.
QString BuildCopyTextWithNames(const CellTextFn& cell, const CellRange& range, int grade, int firstPupilRow = 0);

// One cell that a paste writes.
struct PastedCell
{
    int row = 0;
    int col = 0;
    QString text;
};

// Distributes clipboard text over the selected rectangle: a Tab moves one column right, a line
// end (CR LF, CR or LF) to the rectangle's first column on the next row; positions outside the
// rectangle are skipped and a final piece without Tab or line end is dropped. Each piece keeps
// its digits and "-" (full-width ones narrowed), every other character vanishes, except a
// decimal point ("." or "．", kept as "."), so that ScoreCellValue refuses "45.5" as a whole.
QList<PastedCell> DistributeNumericPaste(QString clip, const CellRange& range);

// Distributes clipboard text from a top-left cell with NextTextToken, each token trimmed, line
// ends as above; rows beyond lastRow are dropped. The area is not limited by the selection.
QList<PastedCell> DistributeTextPaste(QString clip, int top, int left, int lastRow);

// Where Enter moves the current cell. With moveRight the cell moves one column right, and
// from the last column or from wrapCol (an earlier wrap column, "5科折返") back to the first
// data column of the next row (the same row when it is the last); a cell beyond wrapCol moves
// right. Without moveRight it moves down one row.
struct EnterMove
{
    int row = 0;
    int col = 0;
    bool wrapped = false; // moved back to the first data column
};
EnterMove EnterTarget(int row, int col, int lastRow, int lastCol, int wrapCol, bool moveRight);

} // namespace seiran
