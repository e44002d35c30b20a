#pragma once

#include "Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace seiran {

class IProgress;

// One line of the promotion grid: a pupil of the grade (old class and number) or a pupil who
// transfers in ("転入"), with the class and number given for next year. Every field is the text
// of its grid cell.
struct PromotionRow
{
    QString oldNumber; // old class x 100 + old number ("207"), or "転入"
    QString name;
    QString sex; // "男", "女" or empty
    QString furigana;
    QString newClass;  // "1".."9" or empty
    QString newNumber; // "0".."60" or empty

    bool isTransferIn() const;
    int oldClass() const;       // 2 for "207"; 0 for a transfer-in
    int oldSeat() const;        // 7 for "207"; 0 for a transfer-in
    int newClassValue() const;  // the number the cell holds, 0 when empty
    int newNumberValue() const; // likewise
    int sexValue() const;       // 1 "男", 2 "女", 0 empty
    QString cell(int col) const;
    void setCell(int col, const QString& text);
    bool operator==(const PromotionRow& other) const = default;
};

enum class PromotionSort {
    OldNumber, // 旧クラス順
    NewNumber, // 新クラス・番号順
    Syllabary, // 新クラス・五十音順, with the numbering
};

// The promotion screen's table: every pupil of the grade with the assignment for next year,
// the edit rules of its cells, the three sorts and the syllabary numbering, the save of the
// assignment into the grade's roster and the composition of next year's files. The window and
// the command-line tool share it.
class PromotionTable
{
public:
    enum Column {
        ColRow = 0,
        ColOldNumber = 1,
        ColName = 2,
        ColSex = 3,
        ColFurigana = 4,
        ColNewClass = 5,
        ColNewNumber = 6,
        ColumnCount = 7
    };
    static constexpr int NameWidth = 14;     // bytes of CP932 in the record
    static constexpr int FuriganaWidth = 20; // likewise
    static constexpr int MaxNewNumber = 60;

    // Reads the pupils in use in the class blocks (old class, then number), then the transfer-in
    // records after them up to the first record that is not one. A missing roster reads as a
    // grade without pupils.
    Result load(const QString& rosterPath, int classCount, IProgress& progress);
    int classCount() const { return mClassCount; }

    int rowCount() const { return int(mRows.size()); }
    // Rows count from 1 as in the grid.
    const PromotionRow& row(int r) const;
    QList<PromotionRow> rows() const { return mRows; }
    // The text of grid cell (r, col); column 0 is the row number.
    QString cellText(int r, int col) const;
    int transferInCount() const;
    // Whether the roster holds a transferred-out pupil at old class x 100 + number.
    bool transferredOut(int oldNumber) const { return mTransferredOut.contains(oldNumber); }

    // Whether anything was edited or sorted since the load or the last save.
    bool changed() const { return mChanged; }
    void setChanged(bool changed) { mChanged = changed; }

    // ---- editing

    enum class KeyEffect {
        None,            // nothing happened
        Edited,          // the cell changed (or the key counts as an edit)
        Refused,         // the key is refused: beep
        OpenEditor,      // Enter on a name or reading: the edit box opens
        NameNotEditable, // "転入生以外の氏名は編集できません"
        SexNotEditable,  // "転入生以外の性別は変更できません"
    };
    // A typed character in cell (r, col): 13 Enter, 32 blank, otherwise the character.
    // `numberStarted` is the screen's state of the new-number cell: false when the cell was just
    // entered (the first digit replaces the number), true once a digit was typed there.
    KeyEffect typeKey(int r, int col, QChar key, bool& numberStarted);
    // Blank-key behaviour of a double-click in the sex column, Enter behaviour in the name and
    // reading columns.
    KeyEffect doubleClick(int r, int col);

    // What the edit box, a paste or a file puts into a name or reading cell.
    struct TextEntry
    {
        QString text;       // what the cell takes
        bool cut = false;   // the text was longer than its field and was cut
        QString unstorable; // characters the roster file cannot hold (then nothing is written)
    };
    static TextEntry FitText(const QString& text, int col);
    // Puts the edit box's text into a name (transfer-in rows only) or reading cell.
    TextEntry enterText(int r, int col, const QString& text);

    // Replaces a row's cells, or adds a row at the end (an assignment read from a file).
    void setRow(int r, const PromotionRow& row);
    int appendRow(const PromotionRow& row);
    // Replaces every row (an undo step giving back an earlier table).
    void setRows(const QList<PromotionRow>& rows);

    // "転入": adds a transfer-in row when the last row has a name (or there is no row); returns
    // the new row, or 0 when nothing was added.
    int addTransferIn();

    struct Range
    {
        int top = 1, left = 1, bottom = 1, right = 1;
        bool single() const { return top == bottom && left == right; }
        bool contains(int r, int c) const { return r >= top && r <= bottom && c >= left && c <= right; }
    };
    // Tab between cells, CR LF after every row.
    QString copyText(const Range& range) const;
    struct PasteOutcome
    {
        int written = 0;
        int refused = 0; // values a cell cannot take (one beep)
        int cut = 0;     // names or readings cut to their field
    };
    // Pastes tab/CR separated values from the range's top-left cell: inside the range, or
    // anywhere below and right of it when one cell is selected. Readings, classes and numbers go
    // into any row, names and sexes only into transfer-in rows.
    PasteOutcome paste(const Range& range, const QString& clip);
    // "消去": empties the reading, class and number cells of the range.
    void clear(const Range& range);

    // ---- sorting

    struct SortOutcome
    {
        Result result = Result::success(); // a refused numbering: the table is unchanged
        int duplicateRow = 0;              // 新クラス・番号順: the first row sharing class and number
        QString duplicateMessage;
    };
    // Exchange sort of the rows (ascending), then for the syllabary order the numbering: from 1
    // in each class, or with `bySex` the boys from 1 and the girls from `girlsFirst`.
    SortOutcome sort(PromotionSort order, bool bySex = false, const QString& girlsFirst = QString());
    // The sort key of a reading: trimmed, NFKC, katakana as hiragana.
    static QString ReadingKey(const QString& furigana);

    // ---- saving the assignment

    // Checks that every record the save would write may be written: the pupils' records are
    // still in use and the transfer-in records are free or transfer-in records.
    Result checkSave(const QString& rosterPath) const;
    // Writes the readings, classes and numbers of the pupils into their records and the
    // transfer-in rows into records 60 x classCount + 1, + 2, ...; only records that change are
    // written. Runs checkSave first and writes nothing when it fails.
    Result save(const QString& rosterPath, IProgress& progress);

private:
    PromotionRow& at(int r);
    bool validRow(int r) const { return r >= 1 && r <= rowCount(); }
    bool putPastedValue(int r, int col, const QString& value, PasteOutcome& outcome);
    SortOutcome numberSyllabary(QList<PromotionRow>& rows, bool bySex, const QString& girlsFirst) const;

    int mClassCount = 0;
    QList<PromotionRow> mRows;
    QList<int> mTransferredOut;
    bool mChanged = false;
    PromotionRow mNone;
};

// ---- next year's file set

// What "新学年作成" found in the table before anything is written.
struct NextYearCheck
{
    Result result = Result::success(); // a refusal
    int classCount = 0;                // the largest new class
    int pupilCount = 0;                // rows written into next year's roster
    int incompleteCount = 0;           // named pupils without a class 1..9 and number 1..60
    QString firstIncompleteName;
    int currentRow = 0; // the row to make current with a refusal (a duplicate)
};
NextYearCheck CheckNextYear(const PromotionTable& table, int grade);
// The question when some pupils lack an assignment.
QString IncompleteQuestion(const NextYearCheck& check);
// What "新学年作成" says when the files are made: where, for which grade, how many classes and
// pupils, and which copies of the files it replaced were kept (the backups' names, in the folder).
QString NextYearCreatedText(const QString& folder, int newGrade, int classCount, int pupilCount,
                            const QStringList& backups);

// Next year's roster: 60 x classCount blank records and one record per assigned row with a name.
QByteArray NextYearRosterBytes(const PromotionTable& table, int classCount);

struct NextYearFile
{
    QString path;
    QByteArray bytes;
};
// The four files of grade + 1 in `folder`: roster, homeroom file, and copies of the standard
// test and subject lists of the program folder. Fails when a standard list cannot be read.
Result ComposeNextYearFiles(const PromotionTable& table, int grade, int classCount, const QString& folder,
                            const QString& programFolder, QList<NextYearFile>& files);
// The roster of grade + 1 in `folder` exists and holds at least one byte.
bool NextYearRosterExists(const QString& folder, int grade);
// Refuses a set whose files cannot be kept or replaced: a folder or another special file standing
// where a file goes, or a folder that is a file.
Result CheckNextYearFiles(const QList<NextYearFile>& files);
// Writes the set: every file that exists is first copied to the first free of NAME.bak,
// NAME.bak2, ...; the new contents are written to temporary files beside them and renamed into
// place together once every backup is complete. When a step fails the folder is put back as it
// was (replaced files restored, new files, backups of this run and temporaries removed).
// `beforeReplace` runs between the temporaries and the renames (a seam for tests). After success
// `keptBackups` (when given) holds the backups made, for telling the user where the old files are.
Result WriteNextYearFiles(const QList<NextYearFile>& files, const std::function<void()>& beforeReplace = {},
                          QStringList* keptBackups = nullptr);

} // namespace seiran
