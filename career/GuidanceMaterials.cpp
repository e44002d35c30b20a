#include "GuidanceMaterials.h"

#include "CareerCommon.h"
#include "GradeData.h"
#include "Helpers.h"
#include "PageCanvas.h"
#include "ReportCommon.h"
#include "ScoreSlots.h"

#include <algorithm>

namespace seiran {

namespace {
constexpr double BodySize = 10.0;
constexpr double RankingTitleSize = 13.0; // 1.3 times the body size

void setMincho(PageCanvas& canvas, const GradeData& gd)
{
    canvas.SetFont(CanvasFont{gd.fontMincho, BodySize, false});
}

void setGothic(PageCanvas& canvas, const GradeData& gd, double size = BodySize)
{
    canvas.SetFont(CanvasFont{gd.fontGothic, size, false});
}

int pupilTotal(const GradeData& gd)
{
    return std::clamp(gd.studentCount, 0, Limits::Students);
}

// A value of the score columns: "欠" for a pupil without a score.
QString scoreText(int value)
{
    return value < 0 ? QStringLiteral("欠") : QString::number(value);
}

int rawNaishin(const GradeData& gd, int s, int position)
{
    return NaishinSubject(gd, position) != 0 ? gd.naishin(position, s) : 0;
}

// The score columns shared by the rankings from x0 (21 on the rankings): combined and 内申 total
// (with 内申点), the test score and the test totals, each centred in a 4-wide cell.
void printRankingScores(PageCanvas& canvas, const GuidanceOptions& options, const GuidanceScores& scores, int s,
                        int combined, int naishinTotal, double x0, double y)
{
    const GuidanceColumns cols = GuidanceColumns::of(options);
    if (cols.c == 8) {
        PrintCentred(canvas, QString::number(combined), x0, 4, y);
        PrintCentred(canvas, QString::number(naishinTotal), x0 + 4, 4, y);
    }
    if (scores.testCount > 0) {
        PrintCentred(canvas, scoreText(scores.testScore[std::size_t(s)]), x0 + cols.c, 4, y);
        for (int k = 1; k <= scores.testCount; ++k)
            PrintCentred(canvas, scoreText(scores.testTotal[std::size_t(s)][std::size_t(k)]), x0 + cols.c + 4 * k, 4,
                         y);
    }
}

// The header of the score columns from x0: "合計", "内申" (with 内申点), "平均" and the short
// names of the tests centred in their cells.
void printScoreHeader(PageCanvas& canvas, const GradeData& gd, const GuidanceOptions& options, double x0, double y)
{
    const GuidanceColumns cols = GuidanceColumns::of(options);
    if (cols.c == 8) {
        canvas.PrintAt(QStringLiteral("合計"), x0, y);
        canvas.PrintAt(QStringLiteral("内申"), x0 + 4, y);
    }
    canvas.PrintAt(QStringLiteral("平均"), x0 + cols.c, y);
    for (int k = 1; k <= options.tests.size(); ++k) {
        const int test = options.tests.at(k - 1);
        const QString name = test >= 1 && test <= Limits::Tests ? gd.testShortNames[test].trimmed() : QString();
        PrintCentred(canvas, name, x0 + cols.c + 4 * k, 4, y);
    }
}

// The ranking header as far as the name and the score columns.
void printRankingHeaderStart(PageCanvas& canvas, const GradeData& gd, const GuidanceOptions& options, double y)
{
    canvas.PrintAt(QStringLiteral("No."), 2, y);
    canvas.PrintAt(QStringLiteral("組"), 5, y);
    canvas.PrintAt(QStringLiteral("番"), 7, y);
    canvas.PrintAt(QStringLiteral("氏名"), 10, y);
    printScoreHeader(canvas, gd, options, 21, y);
}

// A ranking line up to the score columns: the position (Gothic), class, number and name.
void printRankingPupil(PageCanvas& canvas, const GradeData& gd, int position, int s, double y)
{
    setGothic(canvas, gd);
    canvas.PrintAt(FormatRightAligned(QStringLiteral("###"), position), 2, y);
    setMincho(canvas, gd);
    canvas.PrintAt(gd.classLabel(gd.studentClass[s]), 5.2, y);
    PrintCentred(canvas, QString::number(gd.studentNumber[s]), 6.8, 2, y);
    // A seven-character name would run into the combined score.
    canvas.SetCurrentX(10);
    canvas.SetCurrentY(y);
    PrintFitted(canvas, gd.studentName[s], 21, FitClearance::Space);
}

// The sum of the scores of 0 and above among n values, or -1 when there is none.
int testTotalOf(const int* values, int n)
{
    int sum = 0;
    bool any = false;
    for (int j = 0; j < n; ++j) {
        if (values[j] < 0) continue;
        sum += values[j];
        any = true;
    }
    return any ? sum : -1;
}

int meanOfTotals(long long sum, int count)
{
    return count == 0 ? -1 : RoundHalfEvenWide(double(sum) / count);
}

void printNaishinSums(PageCanvas& canvas, const GuidanceScores& scores, int s, double x0, double y)
{
    const int n5 = scores.naishin5[std::size_t(s)];
    const int n4 = scores.naishin4[std::size_t(s)];
    PrintCentred(canvas, QString::number(n5), x0, 4, y);
    PrintCentred(canvas, QString::number(n4), x0 + 4, 4, y);
    PrintCentred(canvas, QString::number(n5 + n4), x0 + 8, 4, y);
}
} // namespace

QString GuidanceOptionsProblem(const GradeData& gd, const GuidanceOptions& options)
{
    if (options.tests.size() > MaxGuidanceTests) return QStringLiteral("処理できるテストは13までです。");
    if (options.tests.isEmpty() && options.testsOnly) return QStringLiteral("処理するテストを選んでください。");
    for (int test : options.tests)
        if (test < 1 || test > std::min(gd.testCount, Limits::Tests))
            return QStringLiteral("テスト %1 はテスト一覧にありません。").arg(test);
    return QString();
}

GuidanceColumns GuidanceColumns::of(const GuidanceOptions& options)
{
    return GuidanceColumns{options.testsOnly ? 0 : 8, 4 * int(options.tests.size())};
}

QList<int> GuidanceTestSlots(const GradeData& gd, int test)
{
    QList<int> slotNumbers;
    if (test < 1 || test > std::min(gd.testCount, Limits::Tests)) return slotNumbers;
    const int n = std::clamp(gd.testSubjectCount[test], 0, 5);
    for (int j = 1; j <= n; ++j) {
        const int slot = gd.testFirstSlot[test] + j - 1;
        if (slot >= 1 && slot <= Limits::ScoreSlots) slotNumbers.append(slot);
    }
    return slotNumbers;
}

int TestTotal(const QList<int>& subjectScores)
{
    return testTotalOf(subjectScores.constData(), int(subjectScores.size()));
}

int TestScore(const QList<int>& testTotals)
{
    long long sum = 0;
    int count = 0;
    for (int v : testTotals) {
        if (v == -1) continue;
        sum += v;
        ++count;
    }
    return meanOfTotals(sum, count);
}

int NaishinTotal(const GradeData& gd, int s, const std::function<double(int subject)>& multiplier)
{
    double sum = 0.0;
    for (int j = 1; j <= NaishinPositionCount; ++j)
        if (const int subject = NaishinSubject(gd, j); subject != 0) sum += gd.naishin(j, s) * multiplier(subject);
    return RoundHalfEvenWide(sum);
}

GuidanceScores ComputeGuidanceScores(const GradeData& gd, const GuidanceOptions& options,
                                     const QList<PupilScoreSlots>& read)
{
    GuidanceScores out;
    const int n = pupilTotal(gd);
    const int tests = std::min(int(options.tests.size()), MaxGuidanceTests);
    out.testCount = tests;
    std::array<int, MaxGuidanceTests + 1> none;
    none.fill(-1);
    out.testTotal.assign(std::size_t(n + 1), none);
    out.testScore.assign(std::size_t(n + 1), -1);
    out.naishinTotal.assign(std::size_t(n + 1), 0);
    out.combined.assign(std::size_t(n + 1), 0);
    out.naishin5.assign(std::size_t(n + 1), 0);
    out.naishin4.assign(std::size_t(n + 1), 0);

    // The read follows the roster file; find each pupil of the tables by class and number.
    int pupilAt[Limits::Classes + 1][Limits::NumbersPerClass + 1] = {};
    for (int s = 1; s <= n; ++s) {
        const int c = gd.studentClass[s];
        const int num = gd.studentNumber[s];
        if (c >= 1 && c <= Limits::Classes && num >= 1 && num <= Limits::NumbersPerClass) pupilAt[c][num] = s;
    }
    // Where each test's slots start in a read pupil's values, and how many it has.
    std::array<int, MaxGuidanceTests + 1> firstValue{};
    std::array<int, MaxGuidanceTests + 1> slotCount{};
    int offset = 0;
    for (int k = 1; k <= tests; ++k) {
        firstValue[std::size_t(k)] = offset;
        slotCount[std::size_t(k)] = int(GuidanceTestSlots(gd, options.tests.at(k - 1)).size());
        offset += slotCount[std::size_t(k)];
    }
    for (const PupilScoreSlots& p : read) {
        if (p.classNo < 1 || p.classNo > Limits::Classes || p.number < 1 || p.number > Limits::NumbersPerClass)
            continue;
        const int s = pupilAt[p.classNo][p.number];
        if (s == 0 || p.values.size() < offset) continue;
        long long sum = 0;
        int counted = 0;
        for (int k = 1; k <= tests; ++k) {
            const int total = testTotalOf(p.values.constData() + firstValue[std::size_t(k)], slotCount[std::size_t(k)]);
            out.testTotal[std::size_t(s)][std::size_t(k)] = total;
            if (total != -1) {
                sum += total;
                ++counted;
            }
        }
        out.testScore[std::size_t(s)] = meanOfTotals(sum, counted);
    }

    for (int s = 1; s <= n; ++s) {
        const std::size_t i = std::size_t(s);
        out.naishinTotal[i] =
            options.testsOnly ? 0 : NaishinTotal(gd, s, [&gd](int subject) { return SubjectMultiplier(gd, subject); });
        out.combined[i] = CombinedScore(out.testScore[i], out.naishinTotal[i]);
        for (int j : {1, 2, 3, 4, 9})
            out.naishin5[i] += rawNaishin(gd, s, j);
        for (int j = 5; j <= 8; ++j)
            out.naishin4[i] += rawNaishin(gd, s, j);
    }
    return out;
}

Result LoadGuidanceScores(const GradeData& gd, const GuidanceOptions& options, GuidanceScores& scores,
                          IProgress& progress)
{
    QList<int> slotNumbers;
    const int tests = std::min(int(options.tests.size()), MaxGuidanceTests);
    for (int k = 1; k <= tests; ++k)
        slotNumbers += GuidanceTestSlots(gd, options.tests.at(k - 1));
    QList<PupilScoreSlots> read;
    if (tests > 0) {
        if (Result r = ReadScoreSlots(gd, slotNumbers, read, progress); !r) return r;
    }
    scores = ComputeGuidanceScores(gd, options, read);
    return Result::success();
}

QList<int> RankByExchangeSort(const QList<int>& pupils, const QList<int>& keys)
{
    const int m = int(std::min(pupils.size(), keys.size()));
    std::vector<int> key(std::size_t(m + 1), 0);
    std::vector<int> index(std::size_t(m + 1), 0);
    for (int i = 1; i <= m; ++i) {
        key[std::size_t(i)] = keys.at(i - 1);
        index[std::size_t(i)] = pupils.at(i - 1);
    }
    ExchangeSortDescending(key, index, m);
    return QList<int>(index.begin() + 1, index.end());
}

QList<int> GradeRanking(const GuidanceScores& scores)
{
    QList<int> pupils;
    QList<int> keys;
    for (int s = 1; s <= scores.pupilCount(); ++s) {
        pupils.append(s);
        keys.append(scores.combined[std::size_t(s)]);
    }
    return RankByExchangeSort(pupils, keys);
}

double SchoolPositionMultiplier(const GradeData& gd, const GuidanceOptions& options, int school, int subject)
{
    if (options.subjectMultipliers) return SubjectMultiplier(gd, subject);
    return SchoolMultiplier(gd, school, subject);
}

QList<SchoolBlock> BuildSchoolBlocks(const GradeData& gd, const GuidanceOptions& options, const GuidanceScores& scores)
{
    QList<SchoolBlock> blocks;
    const int n = std::min(pupilTotal(gd), scores.pupilCount());
    const int schools = std::clamp(gd.highSchoolCount, 0, Limits::HighSchools);
    for (int h = 1; h <= schools; ++h) {
        QList<int> taken;
        QList<bool> second;
        for (int s = 1; s <= n; ++s)
            if (gd.careerChoice(1, s) == h) {
                taken.append(s);
                second.append(false);
            }
        int secondCount = 0;
        if (options.secondChoices) {
            for (int s = 1; s <= n; ++s)
                if (gd.careerChoice(2, s) == h && gd.careerChoice(1, s) != h) {
                    taken.append(s);
                    second.append(true);
                    ++secondCount;
                }
        }
        if (taken.isEmpty()) continue;

        QList<int> naishin;
        QList<int> combined;
        QList<int> order; // positions into `taken`, ranked by the exchange sort
        for (int i = 0; i < taken.size(); ++i) {
            const int s = taken.at(i);
            const int total = options.testsOnly ? 0 : NaishinTotal(gd, s, [&](int subject) {
                return SchoolPositionMultiplier(gd, options, h, subject);
            });
            naishin.append(total);
            combined.append(CombinedScore(scores.testScore[std::size_t(s)], total));
            order.append(i);
        }
        order = RankByExchangeSort(order, combined);

        SchoolBlock block;
        block.school = h;
        block.secondChoiceCount = secondCount;
        for (int i : order) {
            block.pupils.append(taken.at(i));
            block.naishinTotal.append(naishin.at(i));
            block.combined.append(combined.at(i));
            block.bySecondChoice.append(second.at(i));
        }
        blocks.append(block);
    }
    return blocks;
}

int GuidanceRunWidth(const GuidanceOptions& options, const GuidanceSelection& selection)
{
    const GuidanceColumns cols = GuidanceColumns::of(options);
    int width = 0;
    if (selection.classSheets && !selection.classes.isEmpty()) width = std::max(width, cols.classSheetEnd());
    if (selection.gradeRanking) width = std::max(width, cols.gradeRankingEnd());
    if (selection.schoolRankings) width = std::max(width, cols.schoolRankingEnd());
    return width;
}

void DrawGuidanceClassSheet(PageCanvas& canvas, const GradeData& gd, const GuidanceOptions& options,
                            const GuidanceScores& scores, int classNo, int first, int last)
{
    if (classNo < 1 || classNo > std::min(gd.classCount, Limits::Classes)) return;
    const GuidanceColumns cols = GuidanceColumns::of(options);
    const int c = cols.c;
    const int t = cols.t;
    const double end = cols.classSheetEnd();

    setGothic(canvas, gd);
    canvas.PrintAt(QStringLiteral("クラス別 得点・内申点・志望校一覧　　　") + QString::number(gd.currentGrade) +
                       QStringLiteral("年") + gd.classLabel(classNo) + QStringLiteral("組"),
                   1, 1);
    setMincho(canvas, gd);
    canvas.Print(QStringLiteral("     (印刷日時 ") + StampMoment(ReportClockNow()) + u')');

    canvas.PrintAt(QStringLiteral("No. 氏　名"), 1, 2);
    printScoreHeader(canvas, gd, options, 14, 2);
    canvas.PrintAt(QStringLiteral("第１志望"), 19 + c + t, 2);
    canvas.PrintAt(QStringLiteral("第２志望"), 27 + c + t, 2);
    canvas.PrintAt(QStringLiteral("併　　願"), 35 + c + t, 2);
    for (int q = 1; q <= NaishinPositionCount; ++q)
        PrintCentred(canvas, SubjectInitial(gd, NaishinSubject(gd, q)), 40 + c + t + 2 * q, 2, 2);
    canvas.Line(1, 1.9, end, 1.9);
    canvas.Line(1, 2.9, end, 2.9);

    const int size = std::min(ClassPupilCount(gd, classNo), scores.pupilCount() - gd.classStart[classNo] + 1);
    int y = 3;
    for (int m = std::max(1, first); m <= std::min(last, size); ++m, ++y) {
        const int s = gd.classStart[classNo] + m - 1;
        const std::size_t i = std::size_t(s);
        canvas.PrintAt(FormatRightAligned(QStringLiteral("##"), gd.studentNumber[s]) + u' ' + gd.studentName[s], 1, y);
        printRankingScores(canvas, options, scores, s, scores.combined[i], scores.naishinTotal[i], 14, y);
        for (int k = 1; k <= 3; ++k)
            canvas.PrintAt(SchoolShortName(gd, gd.careerChoice(k, s)), 11 + 8 * k + c + t, y);
        for (int q = 1; q <= NaishinPositionCount; ++q) {
            const int v = rawNaishin(gd, s, q);
            if (v > 0) PrintCentred(canvas, QString::number(v), 40 + c + t + 2 * q, 2, y);
        }
        if (ClosesGroupOfFive(gd, classNo, m)) canvas.Line(1, y + 0.9, end, y + 0.9);
    }
}

void DrawGradeRankingSheet(PageCanvas& canvas, const GradeData& gd, const GuidanceOptions& options,
                           const GuidanceScores& scores, const QList<int>& ranking, int page, int perPage)
{
    const GuidanceColumns cols = GuidanceColumns::of(options);
    const int c = cols.c;
    const int t = cols.t;
    perPage = std::max(1, perPage);

    setGothic(canvas, gd, RankingTitleSize);
    canvas.PrintAt(QStringLiteral("学年全体順位表"), 1, 1 - 1.65);
    setMincho(canvas, gd);
    canvas.PrintAt(QStringLiteral(" Page ") + QString::number(page) + QStringLiteral("　生徒数") +
                       QString::number(scores.pupilCount()) + QStringLiteral("人"),
                   1, 1);
    canvas.Print(QStringLiteral("      印刷日時 ") + StampMoment(ReportClockNow()));

    printRankingHeaderStart(canvas, gd, options, 2);
    canvas.PrintAt(QStringLiteral("第１志望"), 26 + c + t, 2);
    canvas.PrintAt(QStringLiteral("第２志望"), 34 + c + t, 2);
    canvas.PrintAt(QStringLiteral("併　　願"), 42 + c + t, 2);
    if (c == 8) canvas.PrintAt(QStringLiteral("内５ 内４ 内９"), 50 + c + t, 2);
    canvas.Line(2, 1.9, cols.gradeRankingEnd(), 1.9);
    canvas.Line(2, 2.9, cols.gradeRankingEnd(), 2.9);

    const int first = (page - 1) * perPage + 1;
    const int last = std::min(int(ranking.size()), page * perPage);
    for (int position = first; position <= last; ++position) {
        const int s = ranking.at(position - 1);
        const std::size_t i = std::size_t(s);
        const double y = 3 + (position - 1) % perPage;
        printRankingPupil(canvas, gd, position, s, y);
        setGothic(canvas, gd);
        printRankingScores(canvas, options, scores, s, scores.combined[i], scores.naishinTotal[i], 21, y);
        setMincho(canvas, gd);
        for (int k = 1; k <= 3; ++k)
            canvas.PrintAt(SchoolShortName(gd, gd.careerChoice(k, s)), 18 + 8 * k + c + t, y);
        if (c == 8) {
            setGothic(canvas, gd);
            printNaishinSums(canvas, scores, s, 50 + c + t, y);
        }
    }
}

void DrawSchoolBlock(PageCanvas& canvas, const GradeData& gd, const GuidanceOptions& options,
                     const GuidanceScores& scores, const SchoolBlock& block, int s, int first, int last)
{
    const GuidanceColumns cols = GuidanceColumns::of(options);
    const int c = cols.c;
    const int t = cols.t;
    const int h = block.school;
    if (!IsSchoolEntry(gd, h)) return;

    // The count line runs on from the end of the title, on its baseline.
    setGothic(canvas, gd, RankingTitleSize);
    canvas.PrintAt(gd.highSchoolNames[h].trimmed() + u' ' + gd.highSchoolCourses[h].trimmed(), 1, s - 0.3);
    const double countX = canvas.CurrentX();
    setMincho(canvas, gd);
    QString count = QStringLiteral("　") + QString::number(block.pupils.size()) + QStringLiteral("人");
    if (block.secondChoiceCount > 0)
        count += QStringLiteral("（第２志望") + QString::number(block.secondChoiceCount) + QStringLiteral("人）");
    canvas.PrintAt(count + QStringLiteral("      印刷日時 ") + StampMoment(ReportClockNow()), countX, s);
    if (c == 8) {
        QString line = QStringLiteral("内申点倍率  ");
        for (int i = 1; i <= std::min(9, gd.subjectCount); ++i)
            line += SubjectInitial(gd, i) + u':' + PlainDecimal(SchoolPositionMultiplier(gd, options, h, i)) + u' ';
        canvas.PrintAt(line, 1, s + 1);
        s += 1;
    }

    printRankingHeaderStart(canvas, gd, options, s + 1);
    canvas.PrintAt(QStringLiteral("第２志望"), 26 + c + t, s + 1);
    canvas.PrintAt(QStringLiteral("併　　願"), 34 + c + t, s + 1);
    if (c == 8) canvas.PrintAt(QStringLiteral("内５ 内４ 内９"), 42 + c + t, s + 1);
    canvas.Line(2, s + 0.9, cols.schoolRankingEnd(), s + 0.9);
    canvas.Line(2, s + 1.9, cols.schoolRankingEnd(), s + 1.9);

    // The position's third digit takes the place of the blank that keeps "推" off a two-digit
    // number, so in a block of 100 or more "推" moves left by the width of a digit.
    setGothic(canvas, gd);
    const double recommendedX = block.pupils.size() >= 100 ? 1 - canvas.TextWidth(QStringLiteral("0")) : 1.0;
    const double choiceEnd = c == 8 ? 42 + c + t : cols.schoolRankingEnd();

    last = std::min(last, int(block.pupils.size()));
    for (int position = std::max(1, first); position <= last; ++position) {
        const int p = block.pupils.at(position - 1);
        const double y = s + 1 + (position - first + 1);
        if (gd.careerChoice(4, p) == h) {
            setMincho(canvas, gd);
            canvas.PrintAt(QStringLiteral("推"), recommendedX, y);
        }
        printRankingPupil(canvas, gd, position, p, y);
        setGothic(canvas, gd);
        printRankingScores(canvas, options, scores, p, block.combined.at(position - 1),
                           block.naishinTotal.at(position - 1), 21, y);
        setMincho(canvas, gd);
        // A long short name, or one in brackets, gets smaller rather than run into the next column.
        canvas.SetCurrentX(26 + c + t);
        canvas.SetCurrentY(y);
        if (block.bySecondChoice.at(position - 1)) {
            const int firstChoice = gd.careerChoice(1, p);
            if (IsSchoolEntry(gd, firstChoice))
                PrintFitted(canvas, u'(' + SchoolShortName(gd, firstChoice) + u')', 34 + c + t, FitClearance::Space);
        } else {
            PrintFitted(canvas, SchoolShortName(gd, gd.careerChoice(2, p)), 34 + c + t, FitClearance::Space);
        }
        canvas.SetCurrentX(34 + c + t);
        canvas.SetCurrentY(y);
        PrintFitted(canvas, SchoolShortName(gd, gd.careerChoice(3, p)), choiceEnd, FitClearance::Space);
        if (c == 8) {
            setGothic(canvas, gd);
            printNaishinSums(canvas, scores, p, 42 + c + t, y);
        }
    }
}

QList<BlockPiece> PlanSchoolBlocks(const QList<SchoolBlock>& blocks, int rows, bool multiplierLine)
{
    // The line of multipliers comes between a block's count line and its header, so the block
    // is one line deeper and the next one starts a line further down.
    const int depth = multiplierLine ? 1 : 0;
    QList<BlockPiece> pieces;
    int sheet = 0;
    int s = 1;
    for (int b = 0; b < blocks.size(); ++b) {
        const int m = int(blocks.at(b).pupils.size());
        int done = 0;
        while (done < m) {
            const int remaining = m - done;
            if (sheet == 0) {
                sheet = 1;
                s = 1;
            } else if (s != 1 && s + remaining + 4 > rows) {
                ++sheet;
                s = 1;
            }
            // A block longer than a whole sheet takes what fits and goes on on the next.
            const int take = std::min(remaining, std::max(1, rows - 4 - s));
            pieces.append(BlockPiece{b, sheet, s, done + 1, done + take});
            done += take;
            s += depth + take + 6;
            if (done < m) {
                ++sheet;
                s = 1;
            }
        }
    }
    return pieces;
}

int PrintGuidanceMaterials(PageCanvas& printer, const GradeData& gd, const GuidanceOptions& options,
                           const GuidanceScores& scores, const GuidanceSelection& selection)
{
    if (!selection.anything()) return 0;
    if (GuidanceRunWidth(options, selection) > SheetColumns(printer, gd))
        printer.SetOrientation(QPageLayout::Landscape);
    const int rows = SheetRows(printer, gd);
    PrintRun run(printer, gd);

    if (selection.classSheets) {
        const int perSheet = std::max(1, rows - 3);
        for (int c : selection.classes) {
            if (c < 1 || c > std::min(gd.classCount, Limits::Classes)) continue;
            const int size = ClassPupilCount(gd, c);
            int first = 1;
            do {
                run.startSheet();
                DrawGuidanceClassSheet(printer, gd, options, scores, c, first, std::min(size, first + perSheet - 1));
                first += perSheet;
            } while (first <= size);
        }
    }
    if (selection.gradeRanking) {
        const QList<int> ranking = GradeRanking(scores);
        const int perPage = std::max(1, rows - 8);
        const int pages = std::max(1, int((ranking.size() + perPage - 1) / perPage));
        for (int page = 1; page <= pages; ++page) {
            run.startSheet();
            DrawGradeRankingSheet(printer, gd, options, scores, ranking, page, perPage);
        }
    }
    if (selection.schoolRankings) {
        const QList<SchoolBlock> blocks = BuildSchoolBlocks(gd, options, scores);
        int sheet = 0;
        const bool multiplierLine = GuidanceColumns::of(options).c == 8;
        for (const BlockPiece& piece : PlanSchoolBlocks(blocks, rows, multiplierLine)) {
            if (piece.sheet != sheet) {
                run.startSheet();
                sheet = piece.sheet;
            }
            DrawSchoolBlock(printer, gd, options, scores, blocks.at(piece.block), piece.s, piece.first, piece.last);
        }
    }
    run.finish();
    return run.sheets();
}

} // namespace seiran
