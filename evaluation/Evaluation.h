#pragma once

#include "GradeData.h"
#include "Result.h"
#include "Tables.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

namespace seiran {

class IProgress;

// Largest number of chosen tests and of levels of an evaluation.
constexpr int MaxEvaluationTests = Limits::Tests;
constexpr int MaxLevel = 10;

// How the level counts are found.
namespace EvaluationMethod {
constexpr int FiveLevels = 0;  // 自動５段階
constexpr int TenLevels = 1;   // 自動１０段階
constexpr int TypedCounts = 2; // 人数指定（下の表）
} // namespace EvaluationMethod

// The result of one evaluation: the population (pupils 1..pupilCount in class order, then
// attendance order), each pupil's raw score codes in the chosen tests and weighted total, the
// ranking and the levels. It lives while the evaluation screen is open and is never saved.
struct EvaluationRun
{
    int pupilCount = 0;
    int testCount = 0; // the chosen tests 1..testCount (selectedItems of the settings)

    Table<int, 0, Limits::Students> pupilClass;
    Table<int, 0, Limits::Students> pupilNumber;
    Table<QString, 0, Limits::Students> pupilName;
    Table<int, 0, Limits::Students> pupilSex;

    // (pupil, 0) the weighted total; (pupil, k) the stored code of chosen test k
    Table2<int, 0, Limits::Students, 0, MaxEvaluationTests> evalScores;
    Table<int, 0, Limits::Students> sortIndex; // pupil at rank position 1..pupilCount

    Table<int, 0, Limits::Students> evalLevel;         // current level 0..10 (hand edits)
    Table<int, 0, Limits::Students> evalLevelComputed; // as computed
    Table<int, 0, Limits::Students> evalMark;          // 0 none, 1 ○, 2 △
    Table<int, 0, MaxLevel> levelCounts;               // pupils each level received

    int total(int pupil) const { return evalScores(pupil, 0); }
    bool levelChanged(int pupil) const { return evalLevel[pupil] != evalLevelComputed[pupil]; }
    // The pupil of class c with attendance number n; 0 when none.
    int pupilAt(int classNo, int number) const;
};

struct EvaluationOutcome
{
    Result result;
    std::unique_ptr<EvaluationRun> run; // set when result is ok
};

// Counts per level (index = level 1..10) of a population of n pupils for the automatic
// methods: fixed shares rounded half to even, the middle level taking the remainder.
std::array<int, MaxLevel + 1> AutomaticLevelCounts(int method, int n);

// Hands out levels by rank position: the first counts[10] pupils get 10, the next counts[9]
// get 9, and so on; pupils after the last count get 0.
void AssignLevels(EvaluationRun& run, const Table<int, 0, MaxLevel>& counts);

// Runs the evaluation of the settings in `gd` over the roster file: reads the chosen classes'
// in-use records, weights the chosen tests, ranks, counts and hands out the levels. The roster
// tables of `gd` (studentCount, studentClass ... classStart, classSize) and the sort lists are
// replaced by the evaluated population. Writes no file.
EvaluationOutcome ComputeEvaluation(GradeData& gd, IProgress& progress);

// The caption over the lists: the grade, "年　" and the subject name.
QString HyoteiCaption(const GradeData& gd);
// The weight as the lists head it: its shortest decimal text ("1", "0.5", "1.5").
QString WeightText(double weight);
// A stored score code as the evaluation grid shows it: "75", "" (not entered), "欠", "(50)".
QString HyoteiScoreText(int code);
// The level cell: "4", or "(4)" when the level was changed by hand.
QString HyoteiLevelText(const EvaluationRun& run, int pupil);
// The mark cell: " ", "○" or "△".
QString HyoteiMarkText(int mark);
// The sex cell: "男", "女", or blank when not entered.
QString HyoteiSexText(int sex);

// The two list views: row 0 the test short names, row 1 the headings, then one row per pupil
// in rank order or in load order.
enum class HyoteiOrder { Score, Number };
// Which pupil a pupil row (from 2) of the view shows; 0 outside.
int HyoteiPupilOfRow(const EvaluationRun& run, HyoteiOrder order, int row);
// Every cell text of the list grid: pupilCount + 2 rows of testCount + 7 cells.
QList<QStringList> HyoteiListTable(const GradeData& gd, const EvaluationRun& run, HyoteiOrder order);
// Every cell of the distribution grid: the heading row and levels 10..1, with the count per
// chosen class ("0" included) and blank columns for classes outside the evaluation.
QList<QStringList> HyoteiDistributionTable(const GradeData& gd, const EvaluationRun& run);
// Pupils at each level (0..10) of class c, or of every class when c is 0.
int LevelCount(const EvaluationRun& run, int level, int classNo);

// Levels are handed out by rank position, so pupils with the same weighted total can stand on
// both sides of a level boundary. Which pupils (1..pupilCount, index = pupil) have the weighted
// total of a pupil with another current level (hand edits count): the teacher decides those.
QList<bool> SplitTiePupils(const EvaluationRun& run);
// How many pupils SplitTiePupils marks.
int SplitTieCount(const QList<bool>& split);
// The tooltip of a marked pupil's cells, and the status line's count ("" when none).
QString SplitTieToolTip();
QString SplitTieStatusText(int count);

// Columns of the list grid.
namespace HyoteiCol {
constexpr int Class = 0;
constexpr int Number = 1;
constexpr int Name = 2;
constexpr int Sex = 3;
constexpr int Level = 4;
constexpr int Mark = 5;
constexpr int Total = 6;
constexpr int FirstTest = 7;
} // namespace HyoteiCol

// Hand edits of a level cell. Keys "1"-"9" set that level and "0" sets 10, shown in brackets;
// Space gives back the computed level, shown plain. False (nothing changed) for other keys.
bool ApplyLevelKey(EvaluationRun& run, int pupil, int keyAscii, QString& cellText);
// The mark goes none -> ○ -> △ -> none; returns the new cell text.
QString CycleMark(EvaluationRun& run, int pupil);

// The evaluation setup's rules, apart from its widgets.

// The tests listed for subject row `subjectRow` (0-based): those covering more subjects than
// the row, in test-list order.
QList<int> TestsCoveringSubject(const GradeData& gd, int subjectRow);

// What a typed key does to a weight cell. `fresh` is set when the cell was just entered: the
// first digit replaces the text. Returns false for keys without meaning.
bool ApplyWeightKey(QString& text, bool& fresh, int keyAscii);
// What a typed key does to a level-count cell: digits build a whole number (leading zeros
// vanish, a count above 400 is refused: `refused` set, text unchanged), Space clears and
// Backspace removes the last character. Returns false for keys without meaning.
bool ApplyCountKey(QString& text, bool& fresh, int keyAscii, bool& refused);
// The sum of the typed counts, blank cells counting 0.
int CountTotal(const QStringList& counts);
// The "合計" cell: the sum of the counts shown, or nothing while every count cell is blank.
QString CountTotalText(const QStringList& counts);

// Everything the setup screen collects.
struct EvaluationChoice
{
    int subject = 0;                 // 1..subjectCount
    QList<QPair<int, QString>> rows; // test index and weight text, in grid order
    QList<int> classTicks;           // 1 or 0 for classes 1..classCount
    QStringList counts;              // typed counts of levels 10 down to 1
    int sex = 0;
    int method = 0;
};
// Stores the choice into the settings of `gd`; tests of weight 0 or blank are left out.
void StoreEvaluationSettings(GradeData& gd, const EvaluationChoice& choice);

} // namespace seiran
