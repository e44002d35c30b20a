#pragma once

#include "Result.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace seiran {

struct GradeData;
class IProgress;

// Why a pupil has no total for a test.
enum class MissingReason {
    None,       // the total exists
    Absent,     // a subject is absent ("-" or a bracketed score): shown as "欠"
    NotEntered, // a subject was never typed in (and none is absent): shown as "－"
};

// True for the codes that mean the pupil missed the test: absent (-1) and bracketed scores.
bool IsAbsentScore(int value);
// The reason a single score is not a score (None for a score of 0 and above).
MissingReason ScoreMissingReason(int value);

// A pupil's total of one test over that test's main subjects.
struct SeriesTotal
{
    int value = 0;
    MissingReason missing = MissingReason::None;
    bool present() const { return missing == MissingReason::None; }
};

// One enrolled pupil of the grade with the scores of the chosen tests.
struct SeriesPupil
{
    int classNo = 0;
    int number = 0;
    int sex = 0;
    // The name as stored, padded with spaces to 14 half-width columns.
    QString name;
    // scores[k][j - 1]: test at position k (from 0, in the order the tests were given), main
    // subject j = 1..5. Subjects beyond the test's own subject count hold NotEntered and are
    // never shown (see TestSeries::subjectCount).
    QList<std::array<int, 5>> scores;
    QList<SeriesTotal> totals;

    int score(int k, int j) const { return scores.at(k)[std::size_t(j - 1)]; }
    const SeriesTotal& total(int k) const { return totals.at(k); }
};

// The scores of several tests for the whole grade, read straight from the roster file, with
// the grade's sums and averages per test and main subject. The report cards and the trend
// graph draw from this, never from the current test's scores.
struct TestSeries
{
    static constexpr int MainSubjects = 5;

    // The chosen tests by test number, in the order given; positions k count from 0.
    QList<int> tests;
    // Main subjects each test has: its subject count, at most five.
    QList<int> subjectCounts;
    // Every enrolled pupil of the grade, in class then attendance-number order.
    QList<SeriesPupil> pupils;
    // Per test position and main subject j (index j - 1): sum and count of the scores of 0
    // and above over every enrolled pupil, and the highest of them.
    QList<std::array<double, 5>> sums;
    QList<std::array<int, 5>> counts;
    QList<std::array<int, 5>> highest; // -1 when nobody has a score

    int testCount() const { return int(tests.size()); }
    int subjectCount(int k) const { return subjectCounts.at(k); }
    // The grade average of subject j in test k; none when nobody has a score there (or the
    // test has no such subject).
    std::optional<double> average(int k, int j) const;
    // The sum of the subject averages that exist; none when no subject has one.
    std::optional<double> totalAverage(int k) const;
    // The highest main-subject score of any pupil in the tests at these positions; none when
    // nobody has a score there.
    std::optional<int> highestScore(const QList<int>& positions) const;
    // The highest total average of the tests at these positions; none when no test has one.
    std::optional<double> highestTotalAverage(const QList<int>& positions) const;
    // Pupils of class c (indices into pupils), in attendance-number order.
    QList<int> pupilsOfClass(int classNo) const;
    // Index into pupils of (class, number); -1 when that seat holds no enrolled pupil.
    int pupilAt(int classNo, int number) const;
};

// Reads the chosen tests (test numbers 1..testCount, in the caller's order) for every enrolled
// record of the class blocks 1..classCount. The roster file is opened read-only and never
// created; a missing file, an unknown test or a bad class count is reported, with `out` empty.
Result ReadTestSeries(const GradeData& gd, const QList<int>& tests, TestSeries& out, IProgress& progress);

} // namespace seiran
