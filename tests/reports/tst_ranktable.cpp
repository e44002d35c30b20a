// The rank table: the item list, who takes part, the ranking and its numbering across pages,
// the page geometry and the print run.
#include "RankReport.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ReportTestData.h"

#include <QtTest>
#include <cmath>

using namespace seiran;
using seiran::test::ReportPupil;

namespace {
const CanvasFont Preview9{QStringLiteral("ＭＳ ゴシック"), 9.0, false};

// Ranks (the Gothic texts at x0) and scores (at x0 + 19) of a page, in drawing order.
struct DrawnEntry
{
    QString rank;
    QString score;
    QString name;
    double x;
    double y;
};

QList<DrawnEntry> entries(const RecordingCanvas& c, int page = 0)
{
    QList<DrawnEntry> out;
    const QList<CanvasOp> texts = c.texts(page);
    for (qsizetype i = 0; i + 4 < texts.size(); ++i) {
        const CanvasOp& op = texts.at(i);
        if (op.y1 < 2 || op.font.name != QStringLiteral("ＭＳ ゴシック") || op.text.size() != 5) continue;
        out.append({op.text, texts.at(i + 4).text, texts.at(i + 3).text, op.x1, op.y1});
    }
    return out;
}

// Sheets of the given size in cells, so that each page of a list is recorded on its own.
QPageLayout sheetOf(double columns, double rows)
{
    return QPageLayout(QPageSize(QSizeF(columns / 12.0, rows / 6.0), QPageSize::Inch), QPageLayout::Portrait,
                       QMarginsF());
}

std::unique_ptr<GradeData> gradeWithScores(const QList<int>& subject1, int classes = 1)
{
    QList<ReportPupil> pupils;
    int k = 0;
    for (int v : subject1) {
        ++k;
        pupils.append({1 + (k - 1) * classes / int(subject1.size()), k, QStringLiteral("生徒%1").arg(k), 1, {v}});
    }
    auto gd = test::MakeReportGrade(classes, 5, pupils);
    BuildReportItemList(*gd);
    return gd;
}

void drawItem(RecordingCanvas& c, const GradeData& gd, int item, const RankGeometry& g)
{
    const RankList list = RankItem(gd, item);
    RankState state = StartRanking(list);
    for (int p = 0; p < RankPageCount(gd, g); ++p) {
        if (p > 0) c.NewPage();
        DrawRankPage(c, gd, item, list, p, g, state);
    }
}
} // namespace

class RankTableTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { mClock = std::make_unique<ScopedReportClock>(test::FixedStampTime()); }
    void cleanup() { mClock.reset(); }

    void itemListFollowsSubjectKinds()
    {
        auto gd = test::MakeReportGrade(4, 5, test::EvenPupils(4, 8, 5));
        gd->subjectKind[2] = 1;
        gd->subjectKind[4] = 2;
        gd->subjectGroup[4] = QStringLiteral("12");
        gd->subjectKind[5] = 7; // unknown kinds give no item
        QVERIFY(BuildReportItemList(*gd));
        const QStringList captions{QStringLiteral("５教科合計"),  QStringLiteral("国語"),
                                   QStringLiteral("社会(男子)"),  QStringLiteral("社会(女子)"),
                                   QStringLiteral("数学"),        QStringLiteral("理科(1組2組)"),
                                   QStringLiteral("理科(3組4組)")};
        QCOMPARE(gd->itemCount, int(captions.size()));
        for (int i = 1; i <= gd->itemCount; ++i)
            QCOMPARE(gd->itemCaption[i], captions.at(i - 1));
        QCOMPARE(gd->itemColumn[1], 6); // n + 1, the five-subject total
        QCOMPARE(gd->itemMode[1], 0);
        QCOMPARE(gd->itemColumn[3], 2);
        QCOMPARE(gd->itemMode[3], 1);
        QCOMPARE(gd->itemMode[4], 2);
        QCOMPARE(gd->itemColumn[6], 4);
        QCOMPARE(gd->itemMode[6], 3);
        QCOMPARE(gd->itemMode[7], 4);

        // Labels name the classes in captions, numbers decide the group.
        gd->classLabels = QStringLiteral("ABCDEFGHI");
        QVERIFY(BuildReportItemList(*gd));
        QCOMPARE(gd->itemCaption[6], QStringLiteral("理科(A組B組)"));
        QCOMPARE(gd->itemCaption[7], QStringLiteral("理科(C組D組)"));

        // Who takes part: pupils 1, 2 of class 1 (boy, girl), 3, 4 of class 2, ...
        QVERIFY(TakesPart(*gd, 1, 8));
        QVERIFY(TakesPart(*gd, 3, 1) && !TakesPart(*gd, 3, 2));
        QVERIFY(!TakesPart(*gd, 4, 1) && TakesPart(*gd, 4, 2));
        QVERIFY(TakesPart(*gd, 6, 3) && !TakesPart(*gd, 6, 5));
        QVERIFY(!TakesPart(*gd, 7, 4) && TakesPart(*gd, 7, 8));
        QCOMPARE(RankItem(*gd, 6).count(), 4);
        QCOMPARE(RankItem(*gd, 3).count(), 4);
    }

    void itemListNeverExceedsTwenty()
    {
        auto gd = test::MakeReportGrade(2, 10, test::EvenPupils(2, 4, 10));
        for (int i = 1; i <= 10; ++i)
            gd->subjectKind[i] = 1; // 1 + 2 * 10 = 21 items would be needed
        const Result r = BuildReportItemList(*gd);
        QVERIFY(!r);
        QVERIFY(r.message.contains(QStringLiteral("20")));
        QCOMPARE(gd->itemCount, 20);
        QCOMPARE(gd->itemCaption[20], QStringLiteral("選択(男子)")); // "選択(女子)" does not fit
    }

    void competitionRanks()
    {
        auto gd = gradeWithScores({75, 80, 70, 75});
        RecordingCanvas c(119.5, 53.75, Preview9);
        drawItem(c, *gd, 2, PreviewRankGeometry(c));
        const QList<DrawnEntry> e = entries(c);
        QCOMPARE(e.size(), 4);
        QCOMPARE(e.at(0).rank, QStringLiteral("   1 "));
        QCOMPARE(e.at(0).score, QStringLiteral("  80"));
        QCOMPARE(e.at(1).rank, QStringLiteral("   2 "));
        QCOMPARE(e.at(2).rank, QStringLiteral("   2 "));
        QCOMPARE(e.at(3).rank, QStringLiteral("   4 "));
        QCOMPARE(e.at(3).score, QStringLiteral("  70"));
        // Class, number and name continue the row in the Mincho font.
        const CanvasOp* name = c.findText(QStringLiteral("生徒2"));
        QVERIFY(name);
        QCOMPARE(name->font.name, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(name->y1, 2.0);
        QVERIFY(c.findText(QStringLiteral(" 1 ")));
        QVERIFY(c.findText(QStringLiteral(" 2 "))); // attendance number 2, "#0 "
        QCOMPARE(c.textAt(0, 0)->text, QStringLiteral("教科別順位表     中間テスト   国語"));
        QCOMPARE(c.textAt(0, 0)->font.name, QStringLiteral("ＭＳ ゴシック"));
    }

    void absentPupilsStandLastWithoutRank()
    {
        auto gd = gradeWithScores({-1, 60, -5, 90, 60});
        RecordingCanvas c(119.5, 53.75, Preview9);
        drawItem(c, *gd, 2, PreviewRankGeometry(c));
        const QList<DrawnEntry> e = entries(c);
        QCOMPARE(e.size(), 5);
        QCOMPARE(e.at(0).rank, QStringLiteral("   1 "));
        QCOMPARE(e.at(1).rank, QStringLiteral("   2 "));
        QCOMPARE(e.at(2).rank, QStringLiteral("   2 "));
        for (int i : {3, 4}) {
            QCOMPARE(e.at(i).rank, QStringLiteral("     "));
            QCOMPARE(e.at(i).score, QStringLiteral("欠席"));
        }
        QCOMPARE(e.at(3).name, QStringLiteral("生徒1")); // -1 before -5

        // An item nobody has a score in (a subject not typed in yet): nobody ranks "1".
        auto allAbsent = gradeWithScores({-1, -1, -5});
        RecordingCanvas a(119.5, 53.75, Preview9);
        drawItem(a, *allAbsent, 2, PreviewRankGeometry(a));
        QCOMPARE(entries(a).size(), 3);
        for (const DrawnEntry& entry : entries(a)) {
            QCOMPARE(entry.rank, QStringLiteral("     "));
            QCOMPARE(entry.score, QStringLiteral("欠席"));
        }
    }

    void exchangeSortOrderOfEqualScores()
    {
        // Scores 5, 5, 7 in index order end as 7, the second 5, the first 5.
        auto gd = gradeWithScores({5, 5, 7});
        const RankList list = RankItem(*gd, 2);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.pupil.at(1), 3);
        QCOMPARE(list.pupil.at(2), 2);
        QCOMPARE(list.pupil.at(3), 1);
    }

    void pagesFollowTheGradeSize()
    {
        // The preview canvas: 120 x 54 cells less its border.
        RecordingCanvas canvas(119.5, 53.75, Preview9);
        const RankGeometry g = PreviewRankGeometry(canvas);
        QCOMPARE(g.columnsPerPage, 4);
        QCOMPARE(g.rowsPerColumn, 50);
        const int P = g.perPage();
        auto exactly = test::MakeReportGrade(4, 5, test::EvenPupils(4, P, 5));
        QCOMPARE(RankPageCount(*exactly, g), 1);
        auto oneMore = test::MakeReportGrade(4, 5, test::EvenPupils(4, P + 1, 5));
        QCOMPARE(RankPageCount(*oneMore, g), 2);

        // A list of girls only still gets the grade's pages; the last holds no entry, but its
        // title, the headings of its first list column and its rules.
        BuildReportItemList(*oneMore);
        oneMore->subjectKind[1] = 1;
        BuildReportItemList(*oneMore);
        RecordingCanvas c(sheetOf(119.5, 53.75), Preview9);
        drawItem(c, *oneMore, 3, g);
        QCOMPARE(c.pageCount(), 2);
        QCOMPARE(entries(c, 2).size(), 0);
        QVERIFY(c.textAt(0, 0, 2));
        QCOMPARE(c.textAt(0, 1, 2)->text, QStringLiteral("順位 組 番 氏名"));
        QCOMPARE(c.textAt(19, 1, 2)->text, QStringLiteral("得点"));
        QVERIFY(!c.textAt(25, 1, 2));
        QCOMPARE(c.lines(2).size(), 3);

        // Printing: the sheet less the margins, in whole list columns and rows.
        auto gd = test::MakeReportGrade(1, 5, test::EvenPupils(1, 3, 5));
        RecordingCanvas paper(StandardPaperLayout(), PrinterStartFont(*gd));
        const RankGeometry printed = PrintRankGeometry(paper, *gd);
        QCOMPARE(printed.columnsPerPage, 3); // (99.2 - 5) / 25
        QCOMPARE(printed.rowsPerColumn, 64); // 70.2 - 3, less 3
    }

    void listsContinueInColumnsAndRanksAcrossPages()
    {
        auto gd = gradeWithScores({90, 80, 80, 80, 80, 70, 50});
        const RankGeometry g{2, 2}; // four entries a page
        RecordingCanvas c(sheetOf(50, 20), Preview9);
        drawItem(c, *gd, 2, g);
        QCOMPARE(c.pageCount(), 2);
        const QList<DrawnEntry> first = entries(c, 1);
        QCOMPARE(first.size(), 4);
        QCOMPARE(first.at(1).x, 0.0);
        QCOMPARE(first.at(1).y, 3.0);
        QCOMPARE(first.at(2).x, 25.0); // the next list column
        QCOMPARE(first.at(2).y, 2.0);
        QCOMPARE(first.at(3).rank, QStringLiteral("   2 "));
        const QList<DrawnEntry> second = entries(c, 2);
        QCOMPARE(second.size(), 3);
        // The tie runs on from the page before.
        QCOMPARE(second.at(0).rank, QStringLiteral("   2 "));
        QCOMPARE(second.at(1).rank, QStringLiteral("   6 "));
        QCOMPARE(second.at(2).rank, QStringLiteral("   7 "));
        // Headings over the columns that hold entries; rules and the stamp under the rows.
        QVERIFY(c.textAt(25, 1, 2));
        QCOMPARE(c.textAt(25 + 19, 1, 1)->text, QStringLiteral("得点"));
        QList<double> ys;
        for (const CanvasOp& op : c.lines(1)) {
            ys.append(op.y1);
            QCOMPARE(op.x2, 50.0);
        }
        QCOMPARE(ys, (QList<double>{0.9, 1.9, 3.9}));
        QCOMPARE(c.textAt(0, 4, 1)->text, QStringLiteral("　　（印刷日時04-01-2005 13:05:09)"));

        // Only one entry: headings over one column only.
        RecordingCanvas single(50, 20, Preview9);
        drawItem(single, *gradeWithScores({40}), 2, g);
        QVERIFY(single.textAt(0, 1));
        QVERIFY(!single.textAt(25, 1));
    }

    void longNamesStayClearOfTheScore()
    {
        // Printed in the 10-point printer font the name starts at column 9.17 of its list
        // column; a seven-character name would reach 20.8, past the score at 19, and a
        // six-character one 19.2, over "欠席". A name keeps a half-width space clear of 19.
        auto gd = gradeWithScores({80, 75, 70, 65, -1, 60});
        gd->studentName[1] = QStringLiteral("長谷川　さくら");
        gd->studentName[2] = QStringLiteral("山田花子");
        gd->studentName[3] = QStringLiteral("寿限無寿限無五劫の擦り切れ"); // too long even at 7 pt
        gd->studentName[4] = QStringLiteral("𠮷田𠮷田𠮷田𠮷田𠮷田𠮷田");   // surrogate pairs
        gd->studentName[5] = QStringLiteral("長谷川さくら");               // absent
        gd->studentName[6] = QStringLiteral("山田花子子");
        RecordingCanvas paper(StandardPaperLayout(), PrinterStartFont(*gd));
        QCOMPARE(PrintRankItems(paper, *gd, {2}), 1);

        const auto rightEdge = [](const CanvasOp& op) {
            return op.x1 + RecordingCanvas::ModelTextWidth(op.text, op.font.size);
        };
        const double clear = 19.0 - 10.0 / 12.0; // a half-width space before the score column
        const CanvasOp* longName = paper.findText(QStringLiteral("長谷川　さくら"));
        QVERIFY(longName);
        QCOMPARE(longName->font.name, QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(longName->font.size, 7.5); // the largest half point that fits
        QVERIFY(rightEdge(*longName) <= clear);
        QVERIFY(longName->y1 > 2.0 && longName->y1 < 2.3); // on the row's baseline

        // The six-character name of the absent pupil stays clear of "欠席"; five characters
        // fit as they are.
        const CanvasOp* absentName = paper.findText(QStringLiteral("長谷川さくら"));
        QVERIFY(absentName);
        QCOMPARE(absentName->font.size, 9.0);
        const CanvasOp* absent = paper.findText(QStringLiteral("欠席"));
        QVERIFY(absent);
        QCOMPARE(absent->x1, 19.0);
        QVERIFY(std::fabs(absent->y1 - std::floor(absentName->y1)) < 1e-9);
        QVERIFY(rightEdge(*absentName) <= absent->x1 - 10.0 / 12.0);
        QCOMPARE(paper.findText(QStringLiteral("山田花子子"))->font.size, 10.0);

        const CanvasOp* shortName = paper.findText(QStringLiteral("山田花子"));
        QVERIFY(shortName);
        QCOMPARE(shortName->font.size, 10.0);
        QCOMPARE(shortName->y1, 3.0);

        // Cut at 7 pt; the surrogate pairs stay whole.
        for (int row : {4, 5}) {
            std::optional<CanvasOp> cut;
            for (const CanvasOp& op : paper.texts())
                if (op.y1 > row && op.y1 < row + 1 && op.font.name == QStringLiteral("ＭＳ 明朝") && op.x1 > 9)
                    cut = op;
            QVERIFY(cut);
            QCOMPARE(cut->font.size, FittedTextMinSize);
            QVERIFY(rightEdge(*cut) <= clear);
            QVERIFY(rightEdge(*cut) > clear - 7.0 / 6.0); // no whole character more would fit
            QVERIFY(!cut->text.isEmpty() && !cut->text.back().isHighSurrogate());
        }
        QVERIFY(paper.findText(QStringLiteral("寿限無寿限無五")));

        // The fonts after a fitted name are the row's own: the score and the next rank.
        QCOMPARE(paper.textAt(19, 2)->font.size, 10.0);
        QCOMPARE(paper.textAt(0, 3)->font.size, 10.0);

        // The 9-point preview keeps six characters as they are; seven would end at 18.75 and
        // get half a point smaller.
        RecordingCanvas preview(119.5, 53.75, Preview9);
        drawItem(preview, *gd, 2, PreviewRankGeometry(preview));
        QCOMPARE(preview.findText(QStringLiteral("長谷川さくら"))->font.size, 9.0);
        QCOMPARE(preview.findText(QStringLiteral("長谷川　さくら"))->font.size, 8.5);
    }

    void printRunOfChosenItems()
    {
        auto gd = test::MakeReportGrade(4, 5, test::EvenPupils(4, 200, 5));
        BuildReportItemList(*gd);
        RecordingCanvas paper(StandardPaperLayout(), PrinterStartFont(*gd));
        // 192 entries a sheet: two sheets for each item.
        QCOMPARE(PrintRankItems(paper, *gd, {2, 4}), 4);
        QCOMPARE(paper.pageCount(), 4);
        QCOMPARE(paper.textAt(0, 0, 1)->text, QStringLiteral("教科別順位表     中間テスト   国語"));
        QCOMPARE(paper.textAt(0, 0, 3)->text, QStringLiteral("教科別順位表     中間テスト   数学"));
        QCOMPARE(paper.textAt(0, 0, 1)->font.size, 10.0); // the printer font's size
        QCOMPARE(paper.ScaleLeft(), -5.0);
        RecordingCanvas idle(StandardPaperLayout(), PrinterStartFont(*gd));
        QCOMPARE(PrintRankItems(idle, *gd, {}), 0);
        QVERIFY(idle.ops().isEmpty());
    }

private:
    std::unique_ptr<ScopedReportClock> mClock;
};

QTEST_MAIN(RankTableTest)
#include "tst_ranktable.moc"
