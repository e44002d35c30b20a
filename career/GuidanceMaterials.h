#pragma once

#include "Result.h"

#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace seiran {

class IProgress;
class PageCanvas;
struct GradeData;
struct PupilScoreSlots;

// The career guidance materials: per-class sheets of test results, 内申点 and choices, the
// grade's ranking and a ranking of the applicants of every high school, all by one combined
// score of the chosen tests and the 内申点.

constexpr int MaxGuidanceTests = 13;

// The teacher's choices on the guidance screen.
struct GuidanceOptions
{
    QList<int> tests;                // numbers of the test list, in list order
    bool secondChoices = false;      // 志望校別順位に第２志望も含める
    bool testsOnly = false;          // テスト点のみで処理する（内申点なし）
    bool subjectMultipliers = false; // 志望校別順位の内申点に学校別倍率を使わない
};

// Why the options cannot be processed (a message for the user), or an empty text.
QString GuidanceOptionsProblem(const GradeData& gd, const GuidanceOptions& options);

// The scores of every pupil of the roster tables (index 1..studentCount; index 0 unused).
struct GuidanceScores
{
    int testCount = 0;
    std::vector<std::array<int, MaxGuidanceTests + 1>> testTotal; // [s][k], -1 when no score
    std::vector<int> testScore;                                   // -1 when no test total
    std::vector<int> naishinTotal;                                // with the subjects' multipliers
    std::vector<int> combined;
    std::vector<int> naishin5; // 内５: positions 1-4 and 9
    std::vector<int> naishin4; // 内４: positions 5-8
    int pupilCount() const { return int(testScore.size()) - 1; }
};

// The score slots a chosen test adds up: its first five subjects (fewer when it has fewer).
QList<int> GuidanceTestSlots(const GradeData& gd, int test);

// Every term of the materials from the score slots read from the roster file (ReadScoreSlots
// over the slots of GuidanceTestSlots for each chosen test, in order). A pupil of the tables that
// the read did not find has no test total.
GuidanceScores ComputeGuidanceScores(const GradeData& gd, const GuidanceOptions& options,
                                     const QList<PupilScoreSlots>& read);
// Reads the chosen tests' scores from the roster file and computes every term.
Result LoadGuidanceScores(const GradeData& gd, const GuidanceOptions& options, GuidanceScores& scores,
                          IProgress& progress);

// The sum of a test's subject scores that are scores (0 and above); -1 when none is.
int TestTotal(const QList<int>& subjectScores);
// The mean of the test totals that are not -1, halves to even; -1 when there is none.
int TestScore(const QList<int>& testTotals);
// The pupil's 内申点 weighted by `multiplier(subject)` of each position's subject, added in
// double precision and rounded once, halves to even.
int NaishinTotal(const GradeData& gd, int s, const std::function<double(int subject)>& multiplier);
// The combined score: the test score plus the 内申点 total, or the total alone without a test
// score.
inline int CombinedScore(int testScore, int naishinTotal)
{
    return testScore < 0 ? naishinTotal : testScore + naishinTotal;
}

// Pupils ordered by the exchange sort on their keys, highest first; equal keys keep the order
// that procedure gives.
QList<int> RankByExchangeSort(const QList<int>& pupils, const QList<int>& keys);

// The whole grade, ranked by the combined score.
QList<int> GradeRanking(const GuidanceScores& scores);

// The applicants of one high school, ranked.
struct SchoolBlock
{
    int school = 0;
    int secondChoiceCount = 0; // pupils taken by their 第２志望
    QList<int> pupils;         // in rank order
    QList<int> naishinTotal;   // per rank, with the school's multipliers
    QList<int> combined;       // per rank
    QList<bool> bySecondChoice;
};
// Multiplier of naishin position j in the school's ranking (the school's own, or the subject's
// with `subjectMultipliers`), as the multipliers line prints it.
double SchoolPositionMultiplier(const GradeData& gd, const GuidanceOptions& options, int school, int subject);
// Every school with applicants, in list order.
QList<SchoolBlock> BuildSchoolBlocks(const GradeData& gd, const GuidanceOptions& options, const GuidanceScores& scores);

// What a print run of the materials holds.
struct GuidanceSelection
{
    bool classSheets = true;
    bool gradeRanking = true;
    bool schoolRankings = true;
    QList<int> classes; // ascending
    bool anything() const { return (classSheets && !classes.isEmpty()) || gradeRanking || schoolRankings; }
};

// Column layout of the materials: c = 8 with 内申点, 0 without; T = 4 per chosen test.
struct GuidanceColumns
{
    int c = 8;
    int t = 0;
    static GuidanceColumns of(const GuidanceOptions& options);
    int classSheetEnd() const { return 59 + c + t; }
    int gradeRankingEnd() const { return 62 + c + t; }
    int schoolRankingEnd() const { return 54 + c + t; }
};

// The widest line of the run, in columns.
int GuidanceRunWidth(const GuidanceOptions& options, const GuidanceSelection& selection);

// One class sheet holding pupils first..last of the class.
void DrawGuidanceClassSheet(PageCanvas& canvas, const GradeData& gd, const GuidanceOptions& options,
                            const GuidanceScores& scores, int classNo, int first, int last);
// One sheet of the grade ranking: positions (page - 1) * perPage + 1 .. of `ranking`.
void DrawGradeRankingSheet(PageCanvas& canvas, const GradeData& gd, const GuidanceOptions& options,
                           const GuidanceScores& scores, const QList<int>& ranking, int page, int perPage);
// Part of a school's block from line s: ranks first..last (from 1) under the block's title,
// count line, multipliers and header.
void DrawSchoolBlock(PageCanvas& canvas, const GradeData& gd, const GuidanceOptions& options,
                     const GuidanceScores& scores, const SchoolBlock& block, int s, int first, int last);

// Where the school blocks go: sheet (from 1 within the school rankings), first line s and the
// ranks of each piece. A block that does not fit under the previous one starts a new sheet; a
// block longer than a sheet continues on the next. With `multiplierLine` (内申点 used) every
// block is one line deeper.
struct BlockPiece
{
    int block = 0; // index into the block list
    int sheet = 1;
    int s = 1;
    int first = 1;
    int last = 0;
    bool operator==(const BlockPiece&) const = default;
};
QList<BlockPiece> PlanSchoolBlocks(const QList<SchoolBlock>& blocks, int rows, bool multiplierLine);

// Prints the chosen materials as one print run (class sheets, grade ranking, school rankings),
// landscape when the widest line does not fit a portrait sheet, and ends the job when a sheet
// was drawn. Returns the number of sheets.
int PrintGuidanceMaterials(PageCanvas& printer, const GradeData& gd, const GuidanceOptions& options,
                           const GuidanceScores& scores, const GuidanceSelection& selection);

} // namespace seiran
