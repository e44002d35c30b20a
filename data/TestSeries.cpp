#include "TestSeries.h"

#include "Cp932.h"
#include "GradeData.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

namespace seiran {

bool IsAbsentScore(int value)
{
    return value == ScoreCode::Absent || value <= ScoreCode::BracketBase;
}

MissingReason ScoreMissingReason(int value)
{
    if (value >= 0) return MissingReason::None;
    return IsAbsentScore(value) ? MissingReason::Absent : MissingReason::NotEntered;
}

std::optional<double> TestSeries::average(int k, int j) const
{
    if (k < 0 || k >= testCount() || j < 1 || j > subjectCount(k)) return std::nullopt;
    const int count = counts.at(k)[std::size_t(j - 1)];
    if (count == 0) return std::nullopt;
    return sums.at(k)[std::size_t(j - 1)] / count;
}

std::optional<double> TestSeries::totalAverage(int k) const
{
    std::optional<double> total;
    for (int j = 1; j <= MainSubjects; ++j)
        if (const auto a = average(k, j)) total = total.value_or(0.0) + *a;
    return total;
}

std::optional<int> TestSeries::highestScore(const QList<int>& positions) const
{
    std::optional<int> best;
    for (int k : positions) {
        if (k < 0 || k >= testCount()) continue;
        for (int v : highest.at(k))
            if (v >= 0 && v > best.value_or(-1)) best = v;
    }
    return best;
}

std::optional<double> TestSeries::highestTotalAverage(const QList<int>& positions) const
{
    std::optional<double> best;
    for (int k : positions)
        if (const auto a = totalAverage(k); a && (!best || *a > *best)) best = a;
    return best;
}

QList<int> TestSeries::pupilsOfClass(int classNo) const
{
    QList<int> result;
    for (int i = 0; i < pupils.size(); ++i)
        if (pupils.at(i).classNo == classNo) result.append(i);
    return result;
}

int TestSeries::pupilAt(int classNo, int number) const
{
    for (int i = 0; i < pupils.size(); ++i)
        if (pupils.at(i).classNo == classNo && pupils.at(i).number == number) return i;
    return -1;
}

namespace {

// The stored name with NUL bytes as blanks, padded to the field's 14 half-width columns.
QString paddedName(const StudentRecord& record)
{
    QString name = record.name();
    name.replace(QChar(0), QLatin1Char(' '));
    const int columns = Cp932::byteLength(name);
    if (columns < StudentRecord::NameWidth) name += QString(StudentRecord::NameWidth - columns, QLatin1Char(' '));
    return name;
}

SeriesTotal totalOf(const std::array<int, 5>& scores, int subjects)
{
    SeriesTotal total;
    if (subjects < 1) {
        total.missing = MissingReason::NotEntered;
        return total;
    }
    for (int j = 1; j <= subjects; ++j) {
        const int v = scores[std::size_t(j - 1)];
        if (v >= 0) {
            total.value += v;
        } else if (IsAbsentScore(v)) {
            total.missing = MissingReason::Absent;
        } else if (total.missing == MissingReason::None) {
            total.missing = MissingReason::NotEntered;
        }
    }
    if (!total.present()) total.value = 0;
    return total;
}

} // namespace

Result ReadTestSeries(const GradeData& gd, const QList<int>& tests, TestSeries& out, IProgress& progress)
{
    out = TestSeries();
    if (gd.classCount < 1 || gd.classCount > Limits::Classes)
        return Result::failure(QStringLiteral("クラス数 %1 は不正です（1〜9）").arg(gd.classCount));
    for (int t : tests) {
        if (t < 1 || t > gd.testCount || t > Limits::Tests)
            return Result::failure(QStringLiteral("テスト %1 はテストファイルにありません").arg(t));
        const int subjects = qMin(gd.testSubjectCount[t], TestSeries::MainSubjects);
        if (subjects > 0 && (gd.testFirstSlot[t] < 1 || gd.testFirstSlot[t] + subjects - 1 > Limits::ScoreSlots))
            return Result::failure(QStringLiteral("テスト「%1」の点数の位置 %2 は不正です")
                                       .arg(gd.testNames[t].trimmed())
                                       .arg(gd.testFirstSlot[t]));
    }

    const QString path = RosterFile::pathFor(gd);
    const QFileInfo info(path);
    if (!info.exists())
        return Result::failure(QStringLiteral("名簿ファイル %1 がありません").arg(QDir::toNativeSeparators(path)));
    if (!info.isFile())
        return Result::failure(
            QStringLiteral("名簿ファイル %1 は通常のファイルではありません").arg(QDir::toNativeSeparators(path)));

    progress.setStatusText(QStringLiteral("データ読込中"));
    progress.setValue(0);
    progress.setVisible(true);
    progress.setMaximum(60 * gd.classCount);
    struct Hide
    {
        IProgress& p;
        ~Hide()
        {
            p.setVisible(false);
            p.setStatusText(QString());
        }
    } hide{progress};

    QByteArray bytes;
    {
        RosterFile file(path);
        if (Result r = file.openReadOnly(); !r) return r;
        if (Result r = file.readAll(bytes); !r) return r;
    }
    const int available = int(bytes.size() / StudentRecord::Size);

    TestSeries series;
    series.tests = tests;
    for (int t : tests) {
        series.subjectCounts.append(qMax(0, qMin(gd.testSubjectCount[t], TestSeries::MainSubjects)));
        series.sums.append(std::array<double, 5>{});
        series.counts.append(std::array<int, 5>{});
        series.highest.append(std::array<int, 5>{-1, -1, -1, -1, -1});
    }

    StudentRecord record;
    for (int c = 1; c <= gd.classCount; ++c) {
        for (int a = 1; a <= 60; ++a) {
            progress.setValue((c - 1) * 60 + a);
            const int rec = RosterFile::recordNumber(c, a);
            if (rec > available) continue; // a whole record past the end reads as free
            std::memcpy(record.bytes().data(), bytes.constData() + qsizetype(rec - 1) * StudentRecord::Size,
                        StudentRecord::Size);
            if (record.flag() != StudentRecord::InUse) continue;
            SeriesPupil pupil;
            pupil.classNo = c;
            pupil.number = a;
            pupil.sex = record.sex();
            pupil.name = paddedName(record);
            for (int k = 0; k < tests.size(); ++k) {
                const int t = tests.at(k);
                const int subjects = series.subjectCounts.at(k);
                std::array<int, 5> scores;
                scores.fill(ScoreCode::NotEntered);
                for (int j = 1; j <= subjects; ++j) {
                    const int v = record.scoreSlot(gd.testFirstSlot[t] + j - 1);
                    scores[std::size_t(j - 1)] = v;
                    if (v < 0) continue;
                    series.sums[k][std::size_t(j - 1)] += v;
                    series.counts[k][std::size_t(j - 1)] += 1;
                    if (v > series.highest[k][std::size_t(j - 1)]) series.highest[k][std::size_t(j - 1)] = v;
                }
                pupil.scores.append(scores);
                pupil.totals.append(totalOf(scores, subjects));
            }
            series.pupils.append(pupil);
        }
    }
    out = std::move(series);
    return Result::success();
}

} // namespace seiran
