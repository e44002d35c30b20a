#include "Evaluation.h"

#include "Helpers.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"

#include <QDir>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cstring>
#include <vector>

namespace seiran {

namespace {

// The status text and progress bar of the main window while the evaluation runs.
class ProgressScope
{
public:
    ProgressScope(IProgress& progress, int maximum) : mProgress(progress)
    {
        mProgress.setStatusText(QStringLiteral("データ読込中"));
        mProgress.setValue(0);
        mProgress.setVisible(true);
        mProgress.setMaximum(maximum);
    }
    ~ProgressScope()
    {
        mProgress.setVisible(false);
        mProgress.setStatusText(QString());
    }

private:
    IProgress& mProgress;
};

Result checkSettings(const GradeData& gd)
{
    if (gd.classCount < 1 || gd.classCount > Limits::Classes)
        return Result::failure(QStringLiteral("クラス数 %1 は不正です（1〜9）").arg(gd.classCount));
    if (gd.evalSubject < 1 || gd.evalSubject > gd.subjectCount || gd.evalSubject > Limits::Subjects)
        return Result::failure(QStringLiteral("評定する教科が選ばれていません。"));
    if (gd.selectedItemCount < 1 || gd.selectedItemCount > MaxEvaluationTests)
        return Result::failure(QStringLiteral("倍率が 0 より大きいテストがありません。"));
    for (int k = 1; k <= gd.selectedItemCount; ++k) {
        const int t = gd.selectedItems[k];
        if (t < 1 || t > gd.testCount || t > Limits::Tests)
            return Result::failure(QStringLiteral("テスト %1 はありません。").arg(t));
        if (gd.testSubjectCount[t] < gd.evalSubject)
            return Result::failure(QStringLiteral("テスト「%1」には教科「%2」がありません。")
                                       .arg(gd.testNames[t].trimmed(), gd.subjectNames[gd.evalSubject].trimmed()));
        const int slot = gd.testFirstSlot[t] + gd.evalSubject - 1;
        if (slot < 1 || slot > Limits::ScoreSlots)
            return Result::failure(QStringLiteral("テスト「%1」の記録位置が不正です。").arg(gd.testNames[t].trimmed()));
        if (!(gd.evalWeights[k] > 0)) return Result::failure(QStringLiteral("倍率が 0 より大きいテストがありません。"));
    }
    return Result::success();
}

qint16 int16At(const char* raw, int offset)
{
    return static_cast<qint16>(
        static_cast<quint16>(static_cast<quint8>(raw[offset]) | (static_cast<quint8>(raw[offset + 1]) << 8)));
}

} // namespace

int EvaluationRun::pupilAt(int classNo, int number) const
{
    for (int p = 1; p <= pupilCount; ++p)
        if (pupilClass[p] == classNo && pupilNumber[p] == number) return p;
    return 0;
}

std::array<int, MaxLevel + 1> AutomaticLevelCounts(int method, int n)
{
    std::array<int, MaxLevel + 1> counts{};
    auto share = [n](double fraction) { return int(RoundHalfEven(double(n) * fraction).value_or(0)); };
    if (method == EvaluationMethod::FiveLevels) {
        counts[5] = share(0.07);
        counts[4] = share(0.24);
        counts[2] = share(0.24);
        counts[1] = share(0.07);
        counts[3] = n - counts[5] - counts[4] - counts[2] - counts[1];
    } else if (method == EvaluationMethod::TenLevels) {
        counts[10] = share(0.02);
        counts[9] = share(0.05);
        counts[8] = share(0.09);
        counts[7] = share(0.15);
        counts[5] = share(0.19);
        counts[4] = share(0.15);
        counts[3] = share(0.09);
        counts[2] = share(0.05);
        counts[1] = share(0.02);
        int others = 0;
        for (int level = 1; level <= MaxLevel; ++level)
            if (level != 6) others += counts[level];
        counts[6] = n - others;
    }
    return counts;
}

void AssignLevels(EvaluationRun& run, const Table<int, 0, MaxLevel>& counts)
{
    // Strictly by position: pupils with equal totals on a boundary get different levels.
    int level = MaxLevel;
    int m = 0;
    for (int k = 1; k <= run.pupilCount; ++k) {
        ++m;
        while (level > 0 && m > counts[level]) {
            --level;
            m = 1;
        }
        const int p = run.sortIndex[k];
        run.evalLevel[p] = level;
        run.evalLevelComputed[p] = level;
        run.evalMark[p] = 0;
    }
}

EvaluationOutcome ComputeEvaluation(GradeData& gd, IProgress& progress)
{
    EvaluationOutcome outcome;
    if (Result r = checkSettings(gd); !r) {
        outcome.result = r;
        return outcome;
    }
    auto run = std::make_unique<EvaluationRun>();
    run->testCount = gd.selectedItemCount;
    {
        ProgressScope scope(progress, 60 * gd.classCount);
        RosterFile file(RosterFile::pathFor(gd));
        if (Result r = file.openReadOnly(); !r) {
            outcome.result = r;
            return outcome;
        }
        QByteArray bytes;
        if (Result r = file.readAll(bytes); !r) {
            outcome.result = r;
            return outcome;
        }
        file.close();
        const int available = int(bytes.size() / StudentRecord::Size);

        int slotOf[MaxEvaluationTests + 1] = {};
        for (int k = 1; k <= run->testCount; ++k)
            slotOf[k] = gd.testFirstSlot[gd.selectedItems[k]] + gd.evalSubject - 1;

        StudentRecord record;
        int n = 0;
        for (int c = 1; c <= gd.classCount; ++c) {
            if (gd.evalClassSelected[c] != 1) continue;
            for (int number = 1; number <= 60; ++number) {
                progress.setValue((c - 1) * 60 + number);
                const int rec = RosterFile::recordNumber(c, number);
                if (rec > available) continue; // beyond the end: a free record
                const char* raw = bytes.constData() + qsizetype(rec - 1) * StudentRecord::Size;
                if (int16At(raw, 0) != StudentRecord::InUse) continue;
                const int sex = int16At(raw, 16);
                if (gd.evalSexFilter != 0 && gd.evalSexFilter != sex) continue;
                if (n >= Limits::Students) {
                    outcome.result = Result::failure(QStringLiteral("名簿ファイル %1 の生徒数が %2 人を超えています")
                                                         .arg(QDir::toNativeSeparators(file.path()))
                                                         .arg(Limits::Students));
                    return outcome;
                }
                std::memcpy(record.bytes().data(), raw, StudentRecord::Size);
                const int p = ++n;
                run->pupilClass[p] = c;
                run->pupilNumber[p] = number;
                run->pupilName[p] = record.name().trimmed();
                run->pupilSex[p] = sex;
                // The running total is rounded after every test, as the totals always were.
                qint16 total = 0;
                for (int k = 1; k <= run->testCount; ++k) {
                    const int s = record.scoreSlot(slotOf[k]);
                    run->evalScores(p, k) = s;
                    double worth = -1;
                    if (s >= 0)
                        worth = s;
                    else if (s <= -11)
                        worth = -s - 10;
                    if (worth < 0) continue; // absent or not entered: the test does not count
                    const std::optional<qint16> next = RoundHalfEven(double(total) + gd.evalWeights[k] * worth);
                    if (!next) {
                        outcome.result = Result::failure(
                            QStringLiteral("重み付き合計が範囲（-32768～32767）を超えます（%1組%2番 %3）。"
                                           "倍率を見直してください。")
                                .arg(gd.classLabel(c))
                                .arg(number)
                                .arg(run->pupilName[p]));
                        return outcome;
                    }
                    total = *next;
                }
                run->evalScores(p, 0) = total;
            }
        }
        run->pupilCount = n;
        progress.setStatusText(QStringLiteral("順位計算中"));

        // The population replaces the roster tables, so that each class's block is where the
        // rest of the program expects it; classes left out have no pupils.
        gd.studentCount = n;
        for (int c = 0; c <= Limits::Classes; ++c) {
            gd.classSize[c] = 0;
            gd.classStart[c] = 0;
        }
        for (int p = 1; p <= n; ++p) {
            gd.studentClass[p] = run->pupilClass[p];
            gd.studentNumber[p] = run->pupilNumber[p];
            gd.studentName[p] = run->pupilName[p];
            gd.studentSex[p] = run->pupilSex[p];
            gd.classSize[run->pupilClass[p]] += 1;
        }
        gd.classStart[1] = 1;
        for (int c = 2; c <= gd.classCount; ++c)
            gd.classStart[c] = gd.classStart[c - 1] + gd.classSize[c - 1];

        if (gd.evalMethod == EvaluationMethod::TypedCounts) {
            for (int level = 1; level <= MaxLevel; ++level)
                run->levelCounts[level] = std::max(0, gd.evalLevelCounts[level]);
        } else {
            const auto counts = AutomaticLevelCounts(gd.evalMethod, n);
            for (int level = 1; level <= MaxLevel; ++level) {
                run->levelCounts[level] = counts[std::size_t(level)];
                gd.evalLevelCounts[level] = counts[std::size_t(level)];
            }
        }

        // The ranking sorts plain arrays (the shared lists check every index) and leaves its
        // result in the shared lists as well.
        std::vector<double> keys(std::size_t(n) + 1);
        std::vector<int> index(std::size_t(n) + 1);
        for (int p = 1; p <= n; ++p) {
            keys[std::size_t(p)] = run->evalScores(p, 0);
            index[std::size_t(p)] = p;
        }
        ExchangeSortDescending(keys, index, n);
        for (int k = 1; k <= n; ++k) {
            gd.sortKeys[k] = keys[std::size_t(k)];
            gd.sortIndex[k] = index[std::size_t(k)];
            run->sortIndex[k] = index[std::size_t(k)];
        }
        AssignLevels(*run, run->levelCounts);
    }
    outcome.run = std::move(run);
    return outcome;
}

QString HyoteiCaption(const GradeData& gd)
{
    const int s = gd.evalSubject;
    const QString subject = s >= 1 && s <= Limits::Subjects ? gd.subjectNames[s].trimmed() : QString();
    return QString::number(gd.currentGrade) + QStringLiteral("年　") + subject;
}

QString WeightText(double weight)
{
    return QString::number(weight, 'g', QLocale::FloatingPointShortest);
}

QString HyoteiScoreText(int code)
{
    if (code >= 0) return QString::number(code);
    if (code == ScoreCode::NotEntered) return QString();
    if (code == ScoreCode::Absent) return QStringLiteral("欠");
    return u'(' + QString::number(-code - 10) + u')';
}

QString HyoteiLevelText(const EvaluationRun& run, int pupil)
{
    const QString level = QString::number(run.evalLevel[pupil]);
    return run.levelChanged(pupil) ? u'(' + level + u')' : level;
}

QString HyoteiMarkText(int mark)
{
    static const QString marks = QStringLiteral(" ○△");
    return mark >= 0 && mark <= 2 ? marks.mid(mark, 1) : QStringLiteral(" ");
}

QString HyoteiSexText(int sex)
{
    if (sex == 1) return QStringLiteral("男");
    if (sex == 2) return QStringLiteral("女");
    return QString();
}

int HyoteiPupilOfRow(const EvaluationRun& run, HyoteiOrder order, int row)
{
    const int k = row - 1;
    if (k < 1 || k > run.pupilCount) return 0;
    return order == HyoteiOrder::Score ? run.sortIndex[k] : k;
}

QList<QStringList> HyoteiListTable(const GradeData& gd, const EvaluationRun& run, HyoteiOrder order)
{
    const int cols = run.testCount + HyoteiCol::FirstTest;
    QList<QStringList> table;
    QStringList top(cols);
    QStringList heading(cols);
    heading[HyoteiCol::Class] = QStringLiteral("組");
    heading[HyoteiCol::Number] = QStringLiteral("番");
    heading[HyoteiCol::Name] = QStringLiteral("氏　　名");
    heading[HyoteiCol::Level] = QStringLiteral("評定");
    heading[HyoteiCol::Total] = QStringLiteral("計");
    for (int k = 1; k <= run.testCount; ++k) {
        const int t = gd.selectedItems[k];
        top[HyoteiCol::Total + k] = t >= 1 && t <= Limits::Tests ? gd.testShortNames[t] : QString();
        heading[HyoteiCol::Total + k] = u'x' + WeightText(gd.evalWeights[k]);
    }
    table.append(top);
    table.append(heading);
    for (int row = 2; row <= run.pupilCount + 1; ++row) {
        const int p = HyoteiPupilOfRow(run, order, row);
        QStringList line(cols);
        line[HyoteiCol::Class] = gd.classLabel(run.pupilClass[p]);
        line[HyoteiCol::Number] = QString::number(run.pupilNumber[p]);
        line[HyoteiCol::Name] = run.pupilName[p];
        line[HyoteiCol::Sex] = HyoteiSexText(run.pupilSex[p]);
        line[HyoteiCol::Level] = HyoteiLevelText(run, p);
        line[HyoteiCol::Mark] = HyoteiMarkText(run.evalMark[p]);
        line[HyoteiCol::Total] = QString::number(run.total(p));
        for (int k = 1; k <= run.testCount; ++k)
            line[HyoteiCol::Total + k] = HyoteiScoreText(run.evalScores(p, k));
        table.append(line);
    }
    return table;
}

int LevelCount(const EvaluationRun& run, int level, int classNo)
{
    int count = 0;
    for (int p = 1; p <= run.pupilCount; ++p)
        if (run.evalLevel[p] == level && (classNo == 0 || run.pupilClass[p] == classNo)) ++count;
    return count;
}

QList<QStringList> HyoteiDistributionTable(const GradeData& gd, const EvaluationRun& run)
{
    const int classes = std::clamp(gd.classCount, 0, Limits::Classes);
    QList<QStringList> table;
    QStringList heading{QStringLiteral("評定"), QStringLiteral("合計")};
    for (int c = 1; c <= classes; ++c)
        heading.append(gd.classLabel(c) + QStringLiteral("組"));
    table.append(heading);
    for (int level = MaxLevel; level >= 1; --level) {
        QStringList line{QString::number(level), QString::number(LevelCount(run, level, 0))};
        for (int c = 1; c <= classes; ++c)
            line.append(gd.evalClassSelected[c] == 1 ? QString::number(LevelCount(run, level, c)) : QString());
        table.append(line);
    }
    return table;
}

bool ApplyLevelKey(EvaluationRun& run, int pupil, int keyAscii, QString& cellText)
{
    if (pupil < 1 || pupil > run.pupilCount) return false;
    if (keyAscii >= '1' && keyAscii <= '9') {
        run.evalLevel[pupil] = keyAscii - '0';
        cellText = u'(' + QString::number(run.evalLevel[pupil]) + u')';
        return true;
    }
    if (keyAscii == '0') {
        run.evalLevel[pupil] = 10;
        cellText = QStringLiteral("(10)");
        return true;
    }
    if (keyAscii == ' ') {
        run.evalLevel[pupil] = run.evalLevelComputed[pupil];
        cellText = QString::number(run.evalLevel[pupil]);
        return true;
    }
    return false;
}

QString CycleMark(EvaluationRun& run, int pupil)
{
    if (pupil < 1 || pupil > run.pupilCount) return QString();
    run.evalMark[pupil] = (run.evalMark[pupil] + 1) % 3;
    return HyoteiMarkText(run.evalMark[pupil]);
}

QList<int> TestsCoveringSubject(const GradeData& gd, int subjectRow)
{
    QList<int> tests;
    if (subjectRow < 0 || subjectRow >= gd.subjectCount) return tests;
    for (int t = 1; t <= std::min(gd.testCount, Limits::Tests); ++t)
        if (gd.testSubjectCount[t] > subjectRow) tests.append(t);
    return tests;
}

bool ApplyWeightKey(QString& text, bool& fresh, int keyAscii)
{
    if (keyAscii >= '0' && keyAscii <= '9') {
        if (fresh) text.clear();
        text += QChar(keyAscii);
    } else if (keyAscii == '.') {
        if (!text.endsWith(u'.')) text += u'.';
    } else if (keyAscii == ' ') {
        text = text.isEmpty() ? QStringLiteral("1") : QString();
    } else if (keyAscii == 8) {
        if (!text.isEmpty()) text.chop(1);
    } else {
        return false;
    }
    fresh = false;
    return true;
}

bool ApplyCountKey(QString& text, bool& fresh, int keyAscii, bool& refused)
{
    refused = false;
    if (keyAscii >= '0' && keyAscii <= '9') {
        const double before = fresh ? 0.0 : NumericValue(text);
        const double value = before * 10 + (keyAscii - '0');
        if (value > Limits::Students) {
            refused = true;
            return true;
        }
        text = QString::number(qint64(value));
    } else if (keyAscii == ' ') {
        text.clear();
    } else if (keyAscii == 8) {
        if (!text.isEmpty()) text.chop(1);
    } else {
        return false;
    }
    fresh = false;
    return true;
}

int CountTotal(const QStringList& counts)
{
    double sum = 0;
    for (const QString& c : counts)
        sum += NumericValue(c);
    return int(sum);
}

QString CountTotalText(const QStringList& counts)
{
    const bool anyShown =
        std::any_of(counts.begin(), counts.end(), [](const QString& c) { return !c.trimmed().isEmpty(); });
    return anyShown ? QString::number(CountTotal(counts)) : QString();
}

QList<bool> SplitTiePupils(const EvaluationRun& run)
{
    const int n = std::clamp(run.pupilCount, 0, int(Limits::Students));
    // The lowest and highest current level of each total.
    QHash<int, QPair<int, int>> levels;
    for (int p = 1; p <= n; ++p) {
        const int level = run.evalLevel[p];
        auto it = levels.find(run.total(p));
        if (it == levels.end())
            levels.insert(run.total(p), {level, level});
        else
            *it = {std::min(it->first, level), std::max(it->second, level)};
    }
    QList<bool> split(n + 1, false);
    for (int p = 1; p <= n; ++p) {
        const QPair<int, int> range = levels.value(run.total(p));
        split[p] = range.first != range.second;
    }
    return split;
}

int SplitTieCount(const QList<bool>& split)
{
    return int(std::count(split.begin(), split.end(), true));
}

QString SplitTieToolTip()
{
    return QStringLiteral("同点で評定が分かれています");
}

QString SplitTieStatusText(int count)
{
    if (count == 0) return QString();
    return QStringLiteral("同点で評定が分かれている生徒：%1人（色の付いた欄）").arg(count);
}

void StoreEvaluationSettings(GradeData& gd, const EvaluationChoice& choice)
{
    gd.evalSubject = choice.subject;
    gd.selectedItemCount = 0;
    for (const auto& [test, weightText] : choice.rows) {
        const double weight = NumericValue(weightText);
        if (!(weight > 0) || gd.selectedItemCount >= MaxEvaluationTests) continue;
        const int k = ++gd.selectedItemCount;
        gd.selectedItems[k] = test;
        gd.evalWeights[k] = weight;
    }
    for (int c = 1; c <= Limits::Classes; ++c)
        gd.evalClassSelected[c] = c <= choice.classTicks.size() ? (choice.classTicks[c - 1] == 1 ? 1 : 0) : 0;
    for (int i = 1; i <= MaxLevel; ++i)
        gd.evalLevelCounts[MaxLevel + 1 - i] = i <= choice.counts.size() ? int(NumericValue(choice.counts[i - 1])) : 0;
    gd.evalSexFilter = choice.sex;
    gd.evalMethod = choice.method;
}

} // namespace seiran
