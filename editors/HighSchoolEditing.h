#pragma once

#include "Result.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace seiran {

struct GradeData;
class INotice;

// The high-school editor's grid as a table: rows 1..schoolCount are the schools, one more empty
// row at the bottom (the append row) takes a new school. Columns: 1 short name, 2 name,
// 3 course, 4..12 the school's own naishin multipliers for 国社数理英音美体技 (one digit each,
// all empty for a school without its own). Each row remembers the entry number it was loaded
// with, so that pupils' choices can follow a school that moves.
class HighSchoolEditorTable
{
public:
    static constexpr int ColShortName = 1;
    static constexpr int ColName = 2;
    static constexpr int ColCourse = 3;
    static constexpr int FirstWeightCol = 4;
    static constexpr int LastCol = 12;
    static constexpr int MaxSchools = 99; // "その他" takes the hundredth entry

    struct Row
    {
        std::array<QString, LastCol + 1> cells; // 1..12 used
        int origin = 0;                         // entry number when loaded, 0 for a new row
    };

    // The schools of the loaded list without the added "その他"; a school shows its
    // multipliers only when it has nine of its own, not one of them above 0.
    void loadFrom(const GradeData& gd);
    int loadedCount() const { return mLoadedCount; }
    int schoolCount() const { return int(mRows.size()); }
    int appendRow() const { return schoolCount() + 1; }
    bool isAppendRow(int r) const { return r == appendRow(); }
    bool full() const { return schoolCount() >= MaxSchools; }
    const Row& row(int r) const;
    QList<Row> rows() const { return mRows; }
    // Replaces every school row (an undo step giving back an earlier list).
    void setRows(const QList<Row>& rows) { mRows = rows; }
    // Column 0 is the row number of a school row and empty on the append row.
    QString cellText(int r, int col) const;
    static QString Header(int col);

    // What the edit box puts into a text cell. On the append row the row becomes a school and
    // a new append row follows; refused (false) when the list is full.
    bool setText(int r, int col, const QString& text);
    // A digit in a multiplier cell of a school row replaces the cell; other keys are ignored.
    bool typeDigit(int r, int col, QChar key);
    // Delete: empties every data cell of the rectangle.
    void clearRange(int top, int left, int bottom, int right);
    // "行挿入": an empty school row above row r (not the append row); refused when full.
    bool insertRow(int r);
    // "行削除": removes school row r (not the append row).
    bool deleteRow(int r);
    // Tab between cells, CR LF after every row.
    QString copyText(int top, int left, int bottom, int right) const;
    // Pastes from the rectangle's top-left cell, inside the rectangle or anywhere when one cell
    // is selected, never into the append row or column 0; multiplier cells take only a digit
    // 0..9. Returns the number of values refused.
    int paste(int top, int left, int bottom, int right, const QString& clip);

    // "決定": drops the school rows at the bottom whose short name is empty.
    void dropEmptyRowsAtEnd();
    // Text that the list files cannot hold, named by its row; success when every text can.
    Result checkStorable() const;
    // Puts the schools into the high-school tables (without "その他").
    void storeInto(GradeData& gd) const;

private:
    QList<Row> mRows;
    int mLoadedCount = 0;
    Row mNone;
};

// How choices stored as entry numbers follow the edited list: newNumber(old) for old entry
// numbers 1..loaded count + 1 ("その他"), 0 for a school that was deleted.
class ChoiceRemap
{
public:
    static ChoiceRemap FromTable(const HighSchoolEditorTable& table);
    int oldOther() const { return mOldCount + 1; }
    // The new number of entry `old`; values outside 1..oldOther() are left as they are.
    int map(int old) const;
    // Whether some entry gets another number.
    bool movesAny() const;

private:
    int mOldCount = 0;
    QList<int> mNewOf; // index 0..oldCount+1
};

// The rosters of grades 1..3 in the data folder that hold a choice (flag 1 or 2) pointing at an
// entry that the remap moves. A roster that cannot be read gives an error.
Result RostersWithMovedChoices(const QString& dataFolder, const ChoiceRemap& remap, QStringList& rosters);

// Rewrites those choices: each roster that changes is first kept as NAME.bak (.bak2, ...),
// then only its changed records are written. On a failure the message names the rosters
// already rewritten and their backups.
struct ChoiceRewrite
{
    Result result = Result::success();
    QStringList rewritten; // roster paths
    QStringList backups;   // their backups
    int records = 0;       // records written
};
ChoiceRewrite RewriteChoices(const QString& dataFolder, const ChoiceRemap& remap);

// The question before the list is saved with choices that point at moved entries.
QString ChoiceRemapQuestion();

// Saves the high-school list as the editor does and tells whether it reached the data folder
// (false after the fall-back to the program folder's standard list).
Result SaveSchoolList(const GradeData& gd, const QString& programFolder, INotice& notice, bool& inDataFolder);

} // namespace seiran
