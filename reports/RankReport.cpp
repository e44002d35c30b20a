#include "RankReport.h"

#include "GradeData.h"
#include "Helpers.h"
#include "PageCanvas.h"
#include "ReportCommon.h"

#include <algorithm>
#include <cmath>

namespace seiran {

namespace {
// Class c belongs to the group of a subject when the text of its number occurs anywhere in the
// subject's group text ("12" names classes 1 and 2).
bool inGroup(const GradeData& gd, int subject, int classNo)
{
    if (subject < 1 || subject > Limits::Subjects) return false;
    return gd.subjectGroup[subject].contains(QString::number(classNo));
}
} // namespace

Result BuildReportItemList(GradeData& gd)
{
    const int n = std::clamp(gd.currentTestSubjectCount(), 0, Limits::TestSubjects);
    gd.itemCount = 0;
    bool overflow = false;
    auto add = [&](int column, int mode, const QString& caption) {
        if (gd.itemCount >= Limits::ReportItems) {
            overflow = true;
            return;
        }
        ++gd.itemCount;
        gd.itemColumn[gd.itemCount] = column;
        gd.itemMode[gd.itemCount] = mode;
        gd.itemCaption[gd.itemCount] = caption;
        gd.itemSelected[gd.itemCount] = 0;
    };

    add(n + 1, 0, QStringLiteral("５教科合計"));
    const int classes = std::clamp(gd.classCount, 0, Limits::Classes);
    for (int i = 1; i <= n; ++i) {
        const QString name = gd.subjectNames[i];
        switch (gd.subjectKind[i]) {
        case 0:
            add(i, 0, name);
            break;
        case 1:
            add(i, 1, name + QStringLiteral("(男子)"));
            add(i, 2, name + QStringLiteral("(女子)"));
            break;
        case 2: {
            QString first;
            QString second;
            for (int c = 1; c <= classes; ++c) {
                QString& part = inGroup(gd, i, c) ? first : second;
                part += gd.classLabel(c) + QStringLiteral("組");
            }
            add(i, 3, name + u'(' + first + u')');
            add(i, 4, name + u'(' + second + u')');
            break;
        }
        default:
            break;
        }
    }
    if (overflow)
        return Result::failure(QStringLiteral("このテストの教科からは順位表の項目が%1を超えてしまいます。"
                                              "はじめの%1項目だけを扱います。教科の設定（男女別・グループ別）を"
                                              "確かめてください。")
                                   .arg(Limits::ReportItems));
    return Result::success();
}

bool TakesPart(const GradeData& gd, int item, int s)
{
    if (item < 1 || item > gd.itemCount || s < 1 || s > Limits::Students) return false;
    const int column = gd.itemColumn[item];
    switch (gd.itemMode[item]) {
    case 0:
        return true;
    case 1:
        return gd.studentSex[s] == 1;
    case 2:
        return gd.studentSex[s] == 2;
    case 3:
        return inGroup(gd, column, gd.studentClass[s]);
    case 4:
        return !inGroup(gd, column, gd.studentClass[s]);
    default:
        return false;
    }
}

RankList RankItem(const GradeData& gd, int item)
{
    RankList list;
    if (item < 1 || item > gd.itemCount) return list;
    const int column = gd.itemColumn[item];
    if (column < 0 || column > 13) return list;
    const int pupils = std::clamp(gd.studentCount, 0, Limits::Students);
    for (int s = 1; s <= pupils; ++s) {
        if (TakesPart(gd, item, s)) {
            list.score.push_back(gd.scores(column, s));
            list.pupil.push_back(s);
        }
    }
    ExchangeSortDescending(list.score, list.pupil, list.count());
    return list;
}

RankState StartRanking(const RankList& list)
{
    RankState state;
    state.previousScore = list.count() > 0 ? list.score[1] : 0;
    state.rankNumber = 1;
    return state;
}

RankGeometry PreviewRankGeometry(const PageCanvas& canvas)
{
    RankGeometry g;
    g.columnsPerPage = std::max(1, int(std::floor((canvas.ScaleLeft() + canvas.ScaleWidth()) / RankColumnWidth)));
    g.rowsPerColumn = std::max(1, int(std::floor(canvas.ScaleTop() + canvas.ScaleHeight())) - 3);
    return g;
}

RankGeometry PrintRankGeometry(const PageCanvas& printer, const GradeData& gd)
{
    RankGeometry g;
    g.columnsPerPage = std::max(1, int(std::floor((printer.ScaleWidth() - gd.printMarginLeft) / RankColumnWidth)));
    g.rowsPerColumn = std::max(1, int(std::floor(printer.ScaleHeight() - gd.printMarginTop)) - 3);
    return g;
}

int RankPageCount(const GradeData& gd, const RankGeometry& geometry)
{
    const int pupils = std::clamp(gd.studentCount, 0, Limits::Students);
    return (pupils - 1) / geometry.perPage() + 1;
}

void DrawRankPage(PageCanvas& canvas, const GradeData& gd, int item, const RankList& list, int page,
                  const RankGeometry& geometry, RankState& state)
{
    if (item < 1 || item > gd.itemCount) return;
    const int rows = geometry.rowsPerColumn;
    const int first = page * geometry.perPage() + 1;
    const int last = std::min(first + geometry.perPage() - 1, list.count());

    canvas.SetFontName(gd.fontGothic);
    canvas.SetCurrentX(0);
    canvas.SetCurrentY(0);
    canvas.PrintLine(QStringLiteral("教科別順位表     ") + CurrentTestName(gd) + QStringLiteral("   ") +
                     gd.itemCaption[item]);

    // Headings over the list columns that hold entries; a page past the end of a short list
    // (the grade's pages, one sex's pupils) still gets those of its first column, so that no
    // sheet is blank but for its title.
    canvas.SetFontName(gd.fontMincho);
    const int headingColumns = last >= first ? (last - first) / rows + 1 : 1;
    for (int k = 0; k < headingColumns; ++k) {
        canvas.PrintAt(QStringLiteral("順位 組 番 氏名"), RankColumnWidth * k, 1);
        canvas.PrintAt(QStringLiteral("得点"), RankColumnWidth * k + RankScoreOffset, 1);
    }

    for (int i = first; i <= last; ++i) {
        const int s = list.pupil[std::size_t(i)];
        const int v = list.score[std::size_t(i)];
        const int y = (i - first) % rows + 2;
        const int x0 = RankColumnWidth * ((i - first) / rows);

        // Competition numbering: equal scores share the rank of the first of them. An absent
        // pupil has no rank, even when nobody has a score and the list starts with him.
        canvas.SetFontName(gd.fontGothic);
        if (v < 0) {
            canvas.PrintAt(QStringLiteral("     "), x0, y);
        } else if (v == state.previousScore) {
            canvas.PrintAt(FormatRightAligned(QStringLiteral("###0 "), state.rankNumber), x0, y);
        } else {
            canvas.PrintAt(FormatRightAligned(QStringLiteral("###0 "), i), x0, y);
            state.previousScore = v;
            state.rankNumber = i;
        }
        canvas.SetFontName(gd.fontMincho);
        canvas.Print(u' ' + gd.classLabel(gd.studentClass[s]) + u' ');
        canvas.Print(FormatRightAligned(QStringLiteral("#0 "), gd.studentNumber[s]));
        // A long name gets smaller rather than run into the score or touch "欠席".
        PrintFitted(canvas, gd.studentName[s], x0 + RankScoreOffset, FitClearance::Space);
        if (v < 0)
            canvas.PrintAt(QStringLiteral("欠席"), x0 + RankScoreOffset, y);
        else
            PrintRightAligned(canvas, x0 + RankScoreOffset, y, 4, QStringLiteral("###0"), v);
    }

    const double end = RankColumnWidth * geometry.columnsPerPage;
    canvas.Line(0, 0.9, end, 0.9);
    canvas.Line(0, 1.9, end, 1.9);
    canvas.Line(0, rows + 1.9, end, rows + 1.9);

    canvas.SetCurrentX(0);
    canvas.SetCurrentY(rows + 2);
    canvas.PrintLine(PrintStampText(StampWording::Bracketed, ReportClockNow()));
}

int PrintRankItems(PageCanvas& printer, const GradeData& gd, const QList<int>& items)
{
    const RankGeometry geometry = PrintRankGeometry(printer, gd);
    const int pages = RankPageCount(gd, geometry);
    PrintRun run(printer, gd);
    for (int item = 1; item <= gd.itemCount; ++item) {
        if (!items.contains(item)) continue;
        const RankList list = RankItem(gd, item);
        RankState state = StartRanking(list);
        for (int p = 0; p < pages; ++p) {
            run.startSheet();
            DrawRankPage(printer, gd, item, list, p, geometry, state);
        }
    }
    run.finish();
    return run.sheets();
}

} // namespace seiran
