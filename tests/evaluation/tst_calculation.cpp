// The evaluation: weighted totals, level counts, the ranking, levels by position, the population
// and the roster tables it leaves, hand edits and the grid texts.
#include "EvaluationTestData.h"
#include "Helpers.h"
#include "ScoreCells.h"

using namespace seiran;
using namespace seiran::test;

namespace {
QList<int> levelsInRankOrder(const EvaluationRun& run)
{
    QList<int> levels;
    for (int k = 1; k <= run.pupilCount; ++k)
        levels.append(run.evalLevel[run.sortIndex[k]]);
    return levels;
}

QList<int> countsHighToLow(const std::array<int, MaxLevel + 1>& counts, int top)
{
    QList<int> out;
    for (int level = top; level >= 1; --level)
        out.append(counts[std::size_t(level)]);
    return out;
}
} // namespace

class CalculationTest : public QObject
{
    Q_OBJECT
private slots:
    void totalsRoundAfterEveryTest()
    {
        GradeFixture f(1, 1);
        WriteEvalGrade(f,
                       {
                           {1, 1, "半分ずつ", 1, {75, 80}},
                           {1, 2, "切り上げ", 1, {71, 71}},
                           {1, 3, "括弧付き", 1, {-60, -5}},
                           {1, 4, "欠席", 1, {-1, 40}},
                           {1, 5, "未入力", 1, {-5, -10}},
                           {1, 6, "零点", 2, {0, 1}},
                       },
                       {0.5, 0.5});
        auto run = Evaluate(f.gd());
        QVERIFY(run);
        QCOMPARE(run->pupilCount, 6);
        QCOMPARE(run->total(1), 78); // R(37.5) = 38, R(38 + 40) = 78
        QCOMPARE(run->total(2), 72); // R(35.5) = 36, R(36 + 35.5) = 72, not R(71) = 71
        QCOMPARE(run->total(3), 25); // -60 is a bracketed 50
        QCOMPARE(run->total(4), 20); // absent: the other test alone, not rescaled
        QCOMPARE(run->total(5), 0);  // -5 and -10 do not count
        QCOMPARE(run->total(6), 0);  // R(0.5) = 0
        QCOMPARE(run->evalScores(3, 1), -60);
        QCOMPARE(run->evalScores(5, 2), -10);
    }

    void levelCountsFollowTheShares_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("five");
        QTest::addColumn<QList<int>>("ten");
        QTest::newRow("30") << 30 << QList<int>{2, 7, 12, 7, 2} << QList<int>{1, 2, 3, 4, 4, 6, 4, 3, 2, 1};
        QTest::newRow("38") << 38 << QList<int>{3, 9, 14, 9, 3} << QList<int>{1, 2, 3, 6, 7, 7, 6, 3, 2, 1};
        QTest::newRow("40") << 40 << QList<int>{3, 10, 14, 10, 3} << QList<int>{1, 2, 4, 6, 6, 8, 6, 4, 2, 1};
        QTest::newRow("50") << 50 << QList<int>{4, 12, 18, 12, 4} << QList<int>{1, 2, 4, 8, 10, 10, 8, 4, 2, 1};
        QTest::newRow("100") << 100 << QList<int>{7, 24, 38, 24, 7} << QList<int>{2, 5, 9, 15, 19, 19, 15, 9, 5, 2};
        QTest::newRow("150") << 150 << QList<int>{11, 36, 56, 36, 11} << QList<int>{3, 8, 14, 22, 28, 28, 22, 14, 8, 3};
        QTest::newRow("0") << 0 << QList<int>{0, 0, 0, 0, 0} << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    }
    void levelCountsFollowTheShares()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, five);
        QFETCH(QList<int>, ten);
        const auto fiveCounts = AutomaticLevelCounts(EvaluationMethod::FiveLevels, n);
        QCOMPARE(countsHighToLow(fiveCounts, 5), five);
        for (int level = 6; level <= 10; ++level)
            QCOMPARE(fiveCounts[std::size_t(level)], 0);
        QCOMPARE(countsHighToLow(AutomaticLevelCounts(EvaluationMethod::TenLevels, n), 10), ten);
    }

    void equalTotalsFollowTheExchangeSort()
    {
        GradeFixture f(1, 1);
        WriteEvalGrade(f, PupilsWithScores(1, {60, 60, 70}));
        auto run = Evaluate(f.gd());
        QVERIFY(run);
        QCOMPARE(QList<int>({run->sortIndex[1], run->sortIndex[2], run->sortIndex[3]}), QList<int>({3, 2, 1}));
        QCOMPARE(f.gd().sortIndex[1], 3);
        QCOMPARE(f.gd().sortKeys[1], 70.0);
    }

    void aTieOnTheBoundaryIsSplitByPosition()
    {
        // N = 30 gives two 5s: the pupil ranked first gets 5, the two tied pupils 5 and 4.
        QList<int> scores{95, 90, 90};
        for (int i = 4; i <= 30; ++i)
            scores.append(80 - i);
        GradeFixture f(1, 1);
        WriteEvalGrade(f, PupilsWithScores(1, scores));
        auto run = Evaluate(f.gd());
        QVERIFY(run);
        QCOMPARE(run->evalLevel[1], 5);
        QCOMPARE(run->sortIndex[1], 1);
        const int second = run->sortIndex[2];
        const int third = run->sortIndex[3];
        QCOMPARE(QSet<int>({second, third}), QSet<int>({2, 3}));
        QCOMPARE(run->evalLevel[second], 5);
        QCOMPARE(run->evalLevel[third], 4);
        QCOMPARE(levelsInRankOrder(*run).count(5), 2);
        QCOMPARE(levelsInRankOrder(*run).count(1), 2);
        QCOMPARE(run->evalLevelComputed[third], 4);
        QCOMPARE(run->evalMark[third], 0);

        // Both tied pupils are pointed out, and no one else: the other ties (none here) and the
        // pupils beside the boundary are not.
        QList<bool> split = SplitTiePupils(*run);
        QCOMPARE(split.size(), 31);
        QCOMPARE(SplitTieCount(split), 2);
        QVERIFY(split[2] && split[3]);
        // A hand edit that gives both the same level settles the tie; one that splits a tie
        // lower down makes a new one.
        run->evalLevel[third] = 5;
        QCOMPARE(SplitTieCount(SplitTiePupils(*run)), 0);
        QCOMPARE(SplitTieStatusText(0), QString());
        QVERIFY(SplitTieStatusText(2).contains(QStringLiteral("2人")));
    }

    void splitTiesAcrossEveryLevelAndLevelZero()
    {
        // Totals 90, 80, 80, 80, 70, 70, 60, 60 with levels 5, 4, 3, 3, 3, 3, 2, 0 (the last one
        // past the typed counts): the 80s are split (4 and 3), the 70s are not, the 60s are (2
        // and 0).
        EvaluationRun run;
        run.pupilCount = 8;
        const QList<int> totals{90, 80, 80, 80, 70, 70, 60, 60};
        const QList<int> levels{5, 4, 3, 3, 3, 3, 2, 0};
        for (int p = 1; p <= 8; ++p) {
            run.evalScores(p, 0) = totals[p - 1];
            run.evalLevel[p] = run.evalLevelComputed[p] = levels[p - 1];
        }
        const QList<bool> split = SplitTiePupils(run);
        QCOMPARE(split, (QList<bool>{false, false, true, true, true, false, false, true, true}));
        QCOMPARE(SplitTieCount(split), 5);
        // A hand edit of one of the 70s splits them too.
        run.evalLevel[6] = 2;
        QCOMPARE(SplitTieCount(SplitTiePupils(run)), 7);
        EvaluationRun empty;
        QCOMPARE(SplitTiePupils(empty), QList<bool>{false});
    }

    void tenLevelsOfThirtyGiveSixMoreThanFive()
    {
        QList<int> scores;
        for (int i = 1; i <= 30; ++i)
            scores.append(100 - i);
        GradeFixture f(1, 1);
        WriteEvalGrade(f, PupilsWithScores(1, scores));
        f.gd().evalMethod = EvaluationMethod::TenLevels;
        auto run = Evaluate(f.gd());
        QVERIFY(run);
        QCOMPARE(levelsInRankOrder(*run), QList<int>({10, 9, 9, 8, 8, 8, 7, 7, 7, 7, 6, 6, 6, 6, 5,
                                                      5,  5, 5, 5, 5, 4, 4, 4, 4, 3, 3, 3, 2, 2, 1}));
        QCOMPARE(f.gd().evalLevelCounts[6], 4);
        QCOMPARE(f.gd().evalLevelCounts[5], 6);
    }

    void typedCountsAreTakenAsTheyAre()
    {
        QList<int> scores;
        for (int i = 1; i <= 10; ++i)
            scores.append(100 - i);
        GradeFixture f(1, 1);
        WriteEvalGrade(f, PupilsWithScores(1, scores));
        GradeData& gd = f.gd();
        gd.evalMethod = EvaluationMethod::TypedCounts;
        gd.evalLevelCounts.fill(0);
        // Seven of ten: the last three get level 0; level 4 has none and is skipped.
        gd.evalLevelCounts[5] = 2;
        gd.evalLevelCounts[3] = 4;
        gd.evalLevelCounts[1] = 1;
        auto run = Evaluate(gd);
        QVERIFY(run);
        QCOMPARE(levelsInRankOrder(*run), QList<int>({5, 5, 3, 3, 3, 3, 1, 0, 0, 0}));
        QCOMPARE(gd.evalLevelCounts[5], 2); // typed counts stay

        // More than N: the lowest levels get fewer or none.
        gd.evalLevelCounts.fill(0);
        gd.evalLevelCounts[7] = 4;
        gd.evalLevelCounts[6] = 5;
        gd.evalLevelCounts[2] = 3;
        gd.evalLevelCounts[1] = 3;
        run = Evaluate(gd);
        QVERIFY(run);
        QCOMPARE(levelsInRankOrder(*run), QList<int>({7, 7, 7, 7, 6, 6, 6, 6, 6, 2}));
    }

    void sexFilterRanksOneSexOnly()
    {
        GradeFixture f(1, 1);
        WriteEvalGrade(f, {
                              {1, 1, "男一", 1, {50}},
                              {1, 2, "女一", 2, {90}},
                              {1, 3, "未入力", 0, {99}},
                              {1, 4, "男二", 1, {70}},
                          });
        GradeData& gd = f.gd();
        gd.evalSexFilter = 1;
        auto run = Evaluate(gd);
        QVERIFY(run);
        QCOMPARE(run->pupilCount, 2);
        QCOMPARE(run->pupilName[1], QStringLiteral("男一"));
        QCOMPARE(run->pupilNumber[2], 4);
        QCOMPARE(run->sortIndex[1], 2);
        QCOMPARE(gd.studentCount, 2);
        QCOMPARE(gd.studentName[2], QStringLiteral("男二"));

        gd.evalSexFilter = 2;
        run = Evaluate(gd);
        QCOMPARE(run->pupilCount, 1);
        QCOMPARE(run->pupilSex[1], 2);

        // Pupils without a sex take part only when both sexes are evaluated, shown blank.
        gd.evalSexFilter = 0;
        run = Evaluate(gd);
        QCOMPARE(run->pupilCount, 4);
        QCOMPARE(HyoteiSexText(run->pupilSex[3]), QString());
        QCOMPARE(HyoteiSexText(run->pupilSex[2]), QStringLiteral("女"));
        QCOMPARE(HyoteiSexText(run->pupilSex[1]), QStringLiteral("男"));
    }

    void populationIsTheChosenClassesInUse()
    {
        GradeFixture f(2, 3);
        WriteEvalGrade(f, {
                              {1, 2, "一組二番", 1, {40}},
                              {1, 3, "転出", 1, {99}, StudentRecord::TransferredOut},
                              {1, 4, "転入予定", 1, {99}, StudentRecord::TransferIn},
                              {1, 5, "空き", 1, {99}, StudentRecord::Free},
                              {1, 60, "一組六十番", 2, {30}},
                              {3, 1, "三組一番", 1, {80}},
                              {3, 7, "三組七番", 2, {20}},
                              {4, 1, "組の外", 1, {99}}, // beyond the three class blocks
                          });
        GradeData& gd = f.gd();
        gd.evalClassSelected[2] = 1; // an empty class
        gd.evalClassSelected[3] = 1;
        auto run = Evaluate(gd);
        QVERIFY(run);
        QCOMPARE(run->pupilCount, 4);
        QCOMPARE(gd.classSize[1], 2);
        QCOMPARE(gd.classSize[2], 0);
        QCOMPARE(gd.classSize[3], 2);
        QCOMPARE(gd.classStart[1], 1);
        QCOMPARE(gd.classStart[3], 3);
        QCOMPARE(gd.studentNumber[2], 60);
        QCOMPARE(gd.studentClass[3], 3);
        QCOMPARE(run->pupilAt(3, 7), 4);
        QCOMPARE(run->pupilAt(1, 3), 0);

        // Class 1 left out: its block counts nothing and has no pupils in the tables.
        gd.evalClassSelected[1] = 0;
        run = Evaluate(gd);
        QCOMPARE(run->pupilCount, 2);
        QCOMPARE(gd.classSize[1], 0);
        QCOMPARE(gd.classStart[3], 1);
        QCOMPARE(gd.studentCount, 2);
        for (int s = 1; s <= gd.studentCount; ++s) {
            const int c = gd.studentClass[s];
            QVERIFY(s >= gd.classStart[c] && s < gd.classEnd(c));
        }
    }

    void emptyPopulationGivesEmptyTables()
    {
        GradeFixture f(1, 2);
        WriteEvalGrade(f, PupilsWithScores(1, {50, 60}));
        GradeData& gd = f.gd();
        gd.evalClassSelected.fill(0);
        auto run = Evaluate(gd);
        QVERIFY(run);
        QCOMPARE(run->pupilCount, 0);
        QCOMPARE(gd.studentCount, 0);
        QCOMPARE(HyoteiListTable(gd, *run, HyoteiOrder::Score).size(), 2);
        const auto dist = HyoteiDistributionTable(gd, *run);
        QCOMPARE(dist.at(1), QStringList({"10", "0", "", ""}));
    }

    void refusesTotalsBeyondSixteenBitsAndSettingsThatDoNotFit()
    {
        GradeFixture f(3, 1);
        WriteEvalGrade(f, {{1, 4, "小林", 1, {10}}, {1, 5, "山田太郎", 1, {100}}}, {330});
        EvaluationOutcome outcome = ComputeEvaluation(f.gd(), NullProgress::instance());
        QVERIFY(!outcome.result);
        QVERIFY(!outcome.run);
        QCOMPARE(outcome.result.message,
                 QStringLiteral(
                     "重み付き合計が範囲（-32768～32767）を超えます（1組5番 山田太郎）。倍率を見直してください。"));

        f.gd().evalWeights[1] = 327.67; // 32767 exactly still fits
        QVERIFY(Evaluate(f.gd()));
        QCOMPARE(Evaluate(f.gd())->total(2), 32767);

        f.gd().evalSubject = 6; // tests 1 and 3 cover subjects 1..5 only
        f.gd().selectedItems[1] = 1;
        QVERIFY(!ComputeEvaluation(f.gd(), NullProgress::instance()).result);
        f.gd().evalSubject = 1;
        f.gd().selectedItemCount = 0;
        QVERIFY(!ComputeEvaluation(f.gd(), NullProgress::instance()).result);
    }

    void refusesMoreThanFourHundredPupils()
    {
        GradeFixture f(1, 9);
        QList<EvalPupil> pupils;
        for (int c = 1; c <= 9; ++c)
            for (int n = 1; n <= (c <= 4 ? 45 : 44); ++n)
                pupils.append(EvalPupil{c, n, QStringLiteral("生徒"), 1, {50}});
        QCOMPARE(pupils.size(), 400);
        WriteEvalGrade(f, pupils);
        auto run = Evaluate(f.gd());
        QVERIFY(run);
        QCOMPARE(run->pupilCount, 400);
        StudentRecord extra = StudentRecord::blank();
        extra.setFlag(StudentRecord::InUse);
        f.writeRecord(RosterFile::recordNumber(9, 60), extra);
        const EvaluationOutcome outcome = ComputeEvaluation(f.gd(), NullProgress::instance());
        QVERIFY(!outcome.result);
        QVERIFY(outcome.result.message.contains(QStringLiteral("400 人を超えています")));
    }

    void progressGoesThroughTheMainWindow()
    {
        GradeFixture f(1, 2);
        WriteEvalGrade(f, PupilsWithScores(2, {50}));
        RecordingProgress progress;
        EvaluationOutcome outcome = ComputeEvaluation(f.gd(), progress);
        QVERIFY(outcome.result.ok);
        QCOMPARE(progress.statusTexts, QStringList({"データ読込中", "順位計算中", ""}));
        QCOMPARE(progress.lastMaximum, 120);
        QCOMPARE(progress.lastValue, 120);
        QVERIFY(!progress.visible);
    }

    void gridTextsAndHandEdits()
    {
        GradeFixture f(3, 2);
        WriteEvalGrade(f,
                       {
                           {1, 5, "山田太郎", 1, {80, -1, 70}},
                           {1, 6, "鈴木花子", 2, {90, -60, -5}},
                           {2, 1, "佐藤", 0, {40, 30, -10}},
                       },
                       {1.0, 0.5, 1.5});
        GradeData& gd = f.gd();
        gd.evalClassSelected[2] = 0;
        gd.testShortNames[2] = QStringLiteral("期末");
        auto run = Evaluate(gd);
        QVERIFY(run);
        QCOMPARE(run->pupilCount, 2);
        QCOMPARE(HyoteiCaption(gd), QStringLiteral("3年　国語"));
        const auto table = HyoteiListTable(gd, *run, HyoteiOrder::Score);
        QCOMPARE(table.size(), 4);
        QCOMPARE(table.at(0), QStringList({"", "", "", "", "", "", "", "1", "期末", "2"}));
        QCOMPARE(table.at(1), QStringList({"組", "番", "氏　　名", "", "評定", "", "計", "x1", "x0.5", "x1.5"}));
        QCOMPARE(table.at(2), QStringList({"1", "5", "山田太郎", "男", "3", " ", "185", "80", "欠", "70"}));
        QCOMPARE(table.at(3), QStringList({"1", "6", "鈴木花子", "女", "3", " ", "115", "90", "(50)", ""}));
        QCOMPARE(HyoteiScoreText(-10), QStringLiteral("(0)"));
        QCOMPARE(HyoteiScoreText(-3), QStringLiteral("(-7)"));
        QCOMPARE(WeightText(NumericValue(QStringLiteral("1.50"))), QStringLiteral("1.5"));

        // A level typed equal to the computed one shows brackets until the view is drawn again.
        const int p = HyoteiPupilOfRow(*run, HyoteiOrder::Score, 2);
        QCOMPARE(p, 1);
        QCOMPARE(HyoteiPupilOfRow(*run, HyoteiOrder::Number, 3), 2);
        QCOMPARE(HyoteiPupilOfRow(*run, HyoteiOrder::Number, 4), 0);
        QString cell;
        QVERIFY(ApplyLevelKey(*run, p, '3', cell));
        QCOMPARE(cell, QStringLiteral("(3)"));
        QCOMPARE(HyoteiListTable(gd, *run, HyoteiOrder::Number).at(2).at(HyoteiCol::Level), QStringLiteral("3"));
        QVERIFY(ApplyLevelKey(*run, p, '0', cell));
        QCOMPARE(cell, QStringLiteral("(10)"));
        QCOMPARE(run->evalLevel[p], 10);
        QCOMPARE(HyoteiLevelText(*run, p), QStringLiteral("(10)"));
        QVERIFY(!ApplyLevelKey(*run, p, 'a', cell));
        QVERIFY(ApplyLevelKey(*run, p, ' ', cell));
        QCOMPARE(cell, QStringLiteral("3"));
        QCOMPARE(run->evalLevel[p], 3);

        QCOMPARE(CycleMark(*run, p), QStringLiteral("○"));
        QCOMPARE(CycleMark(*run, p), QStringLiteral("△"));
        QCOMPARE(CycleMark(*run, p), QStringLiteral(" "));
        CycleMark(*run, p);

        // The distribution counts by level and class, blank for classes outside.
        const auto dist = HyoteiDistributionTable(gd, *run);
        QCOMPARE(dist.size(), 11);
        QCOMPARE(dist.at(0), QStringList({"評定", "合計", "1組", "2組"}));
        QCOMPARE(dist.at(6), QStringList({"5", "0", "0", ""}));
        QCOMPARE(dist.at(8), QStringList({"3", "2", "2", ""}));

        // Copy with names: the pupil key of grade 3, class 1, number 5.
        const auto rows = HyoteiListTable(gd, *run, HyoteiOrder::Number);
        const CellTextFn text = [&rows](int r, int c) { return rows.at(r).at(c); };
        QCOMPARE(BuildCopyTextWithNames(text, CellRange{2, 4, 2, 6}, gd.currentGrade),
                 QStringLiteral("3105\t山田太郎\t3\t○\t185\r\n"));
        QCOMPARE(BuildCopyText(text, CellRange{3, 6, 3, 6}), QStringLiteral("115\r\n"));
    }

    void setupRules()
    {
        GradeFixture f(1, 1);
        WriteEvalGrade(f, {});
        GradeData& gd = f.gd();
        QCOMPARE(TestsCoveringSubject(gd, 0), QList<int>({1, 2, 3}));
        QCOMPARE(TestsCoveringSubject(gd, 5), QList<int>({2}));
        QCOMPARE(TestsCoveringSubject(gd, 9), QList<int>());
        QCOMPARE(TestsCoveringSubject(gd, -1), QList<int>());

        QString w;
        bool fresh = true;
        for (int key : {'0', '.', '5'})
            QVERIFY(ApplyWeightKey(w, fresh, key));
        QCOMPARE(w, QStringLiteral("0.5"));
        QVERIFY(ApplyWeightKey(w, fresh, '.'));
        QVERIFY(ApplyWeightKey(w, fresh, '.'));
        QCOMPARE(w, QStringLiteral("0.5."));
        QVERIFY(ApplyWeightKey(w, fresh, 8));
        QCOMPARE(w, QStringLiteral("0.5"));
        fresh = true;
        QVERIFY(ApplyWeightKey(w, fresh, '2'));
        QCOMPARE(w, QStringLiteral("2"));
        QVERIFY(ApplyWeightKey(w, fresh, ' '));
        QCOMPARE(w, QString());
        QVERIFY(ApplyWeightKey(w, fresh, ' '));
        QCOMPARE(w, QStringLiteral("1"));
        QVERIFY(!ApplyWeightKey(w, fresh, 'x'));

        QString c;
        bool refused = false;
        fresh = true;
        QVERIFY(ApplyCountKey(c, fresh, '0', refused));
        QVERIFY(ApplyCountKey(c, fresh, '7', refused));
        QCOMPARE(c, QStringLiteral("7"));
        c.clear();
        for (int key : {'1', '2'})
            ApplyCountKey(c, fresh, key, refused);
        QCOMPARE(c, QStringLiteral("12"));
        c = QStringLiteral("40");
        QVERIFY(ApplyCountKey(c, fresh, '1', refused));
        QVERIFY(refused);
        QCOMPARE(c, QStringLiteral("40"));
        ApplyCountKey(c, fresh, '0', refused);
        QCOMPARE(c, QStringLiteral("400"));
        QCOMPARE(CountTotal({"3", "", "12", "x"}), 15);
        // 合計 is blank until a count is shown, then the sum of the counts shown.
        QCOMPARE(CountTotalText(QStringList(10, QString())), QString());
        QCOMPARE(CountTotalText({"", "", "0"}), QStringLiteral("0"));
        QCOMPARE(CountTotalText({"3", "", "12"}), QStringLiteral("15"));

        EvaluationChoice choice;
        choice.subject = 2;
        choice.rows = {{1, "0"}, {2, ""}, {3, "1.5"}, {5, "0.5"}};
        choice.classTicks = {0};
        choice.counts = {"1", "", "", "", "", "", "", "", "", "4"};
        choice.sex = 2;
        choice.method = 1;
        StoreEvaluationSettings(gd, choice);
        QCOMPARE(gd.evalSubject, 2);
        QCOMPARE(gd.selectedItemCount, 2);
        QCOMPARE(gd.selectedItems[1], 3);
        QCOMPARE(gd.evalWeights[1], 1.5);
        QCOMPARE(gd.selectedItems[2], 5);
        QCOMPARE(gd.evalClassSelected[1], 0);
        QCOMPARE(gd.evalLevelCounts[10], 1);
        QCOMPARE(gd.evalLevelCounts[1], 4);
        QCOMPARE(gd.evalSexFilter, 2);
        QCOMPARE(gd.evalMethod, 1);
    }
};

QTEST_GUILESS_MAIN(CalculationTest)
#include "tst_calculation.moc"
