#include "HyoteiPrint.h"

#include "GradeData.h"
#include "Helpers.h"
#include "PageCanvas.h"
#include "Progress.h"
#include "ReportCommon.h"

#include <algorithm>
#include <cmath>

namespace seiran {

namespace {

constexpr double FontSize = 10.0;

QString fullWidthGrade(const GradeData& gd)
{
    static const QString digits = QStringLiteral("１２３");
    return gd.currentGrade >= 1 && gd.currentGrade <= 3 ? digits.mid(gd.currentGrade - 1, 1) : QString();
}

QString subjectName(const GradeData& gd)
{
    const int s = gd.evalSubject;
    return s >= 1 && s <= Limits::Subjects ? gd.subjectNames[s].trimmed() : QString();
}

QString stamp()
{
    const QDateTime when = ReportClockNow();
    return when.date().toString(QStringLiteral("MM-dd-yyyy")) + u' ' + when.time().toString(QStringLiteral("HH:mm:ss"));
}

void useMincho(PageCanvas& canvas, const GradeData& gd)
{
    canvas.SetFont(CanvasFont{gd.fontMincho, FontSize, false});
}

// The Gothic title at (x, 3), the print date in Mincho right after it.
void printTitle(PageCanvas& canvas, const GradeData& gd, double x, const QString& title, const QString& datePrefix)
{
    canvas.SetFont(CanvasFont{gd.fontGothic, FontSize, false});
    canvas.PrintAt(title, x, 3);
    useMincho(canvas, gd);
    canvas.Print(datePrefix + stamp());
}

QString numberedPrefix(const GradeData& gd)
{
    return QStringLiteral("評定の算出　") + fullWidthGrade(gd);
}

void printListHeader(PageCanvas& canvas, const GradeData& gd, const EvaluationRun& eval, HyoteiOrder order)
{
    const QString title = numberedPrefix(gd) + QStringLiteral("年 ") + subjectName(gd) +
                          (order == HyoteiOrder::Score ? QStringLiteral("(点数順)") : QStringLiteral("(出席番号順)"));
    printTitle(canvas, gd, 3, title, QStringLiteral("    印刷日時　"));
    for (int k = 1; k <= eval.testCount; ++k) {
        const double w = gd.evalWeights[k];
        if (w != 1.0) canvas.PrintAt(u'x' + WeightText(w), 29 + 5 * k, 4);
    }
    canvas.PrintAt(QStringLiteral("組"), 3, 5);
    canvas.PrintAt(QStringLiteral("番"), 6, 5);
    canvas.PrintAt(QStringLiteral("氏名"), 9, 5);
    canvas.PrintAt(QStringLiteral("評定"), 24, 5);
    canvas.PrintAt(QStringLiteral("合計"), 29, 5);
    for (int k = 1; k <= eval.testCount; ++k) {
        const int t = gd.selectedItems[k];
        canvas.PrintAt(t >= 1 && t <= Limits::Tests ? gd.testShortNames[t] : QString(), 29 + 5 * k, 5);
    }
    canvas.Line(3, 6, 5 * eval.testCount + 34, 6);
}

void printPupilLine(PageCanvas& canvas, const GradeData& gd, const EvaluationRun& eval, HyoteiOrder order, int p,
                    double y)
{
    canvas.PrintAt(u' ' + gd.classLabel(eval.pupilClass[p]), 3, y);
    PrintRightAligned(canvas, 6, y, 2, QStringLiteral("##"), eval.pupilNumber[p]);
    canvas.PrintAt(eval.pupilName[p], 9, y);
    canvas.PrintAt(HyoteiPrintedLevel(eval, p), order == HyoteiOrder::Score ? 23 : 24, y);
    bool flagged = false;
    for (int k = 0; k <= eval.testCount; ++k) {
        const int code = eval.evalScores(p, k);
        if (k > 0 && code < 0) flagged = true;
        PrintHyoteiScoreCell(canvas, 29 + 5 * k, y, code);
    }
    if (flagged) canvas.PrintAt(QStringLiteral("*"), 2, y);
}

} // namespace

bool HyoteiPrintSet::fromDigits(const QString& digits, HyoteiPrintSet& set)
{
    set = HyoteiPrintSet{false, false, false, false};
    for (QChar c : digits) {
        if (c == u'1')
            set.scoreOrder = true;
        else if (c == u'2')
            set.numberOrder = true;
        else if (c == u'3')
            set.classLists = true;
        else if (c == u'4')
            set.distribution = true;
        else
            return false;
    }
    return true;
}

int HyoteiLinesPerSheet(const PageCanvas& printer)
{
    const double lines = printer.ScaleHeight() - 10;
    return std::max(1, int(RoundHalfEven(std::clamp(lines, 1.0, 30000.0)).value_or(1)));
}

int HyoteiBlocksPerSheet(const PageCanvas& printer)
{
    const double blocks = (printer.ScaleWidth() - 3) / 22;
    return blocks >= 1 ? int(std::min(blocks, double(Limits::Classes))) : 1;
}

void PrintHyoteiScoreCell(PageCanvas& canvas, double x, double y, int code)
{
    if (code >= 0) {
        PrintRightAligned(canvas, x, y, 4, QStringLiteral("###0"), code);
    } else if (code == ScoreCode::NotEntered) {
        canvas.PrintAt(QStringLiteral("  －"), x, y);
    } else if (code == ScoreCode::Absent) {
        canvas.PrintAt(QStringLiteral("  欠"), x, y);
    } else {
        const QString worth = QString::number(-qint64(code) - 10);
        // Bracketed worths end where "(999)" ends; a wider one starts further left.
        const QString text = worth.size() <= 3 ? (QStringLiteral("   (") + worth).right(4) + u')' : u'(' + worth + u')';
        canvas.PrintAt(text, x + 5 - text.size(), y);
    }
}

QString HyoteiPrintedLevel(const EvaluationRun& run, int pupil)
{
    const QString mark = HyoteiMarkText(run.evalMark[pupil]);
    const int level = run.evalLevel[pupil];
    if (run.levelChanged(pupil)) return u'(' + FormatRightAligned(QStringLiteral("#0"), level) + mark + u')';
    return FormatRightAligned(QStringLiteral("##0"), level) + mark;
}

int PrintHyoteiList(PrintRun& run, PageCanvas& printer, const GradeData& gd, const EvaluationRun& eval,
                    HyoteiOrder order, IProgress& progress)
{
    const int perSheet = HyoteiLinesPerSheet(printer);
    int sheets = 0;
    int onSheet = 0;
    int previousClass = 0;
    for (int k = 1; k <= eval.pupilCount; ++k) {
        const int p = order == HyoteiOrder::Score ? eval.sortIndex[k] : k;
        bool newSheet = false;
        if (order == HyoteiOrder::Score)
            newSheet = (k - 1) % perSheet == 0;
        else
            newSheet = k == 1 || eval.pupilClass[p] != previousClass || onSheet >= perSheet;
        if (newSheet) {
            run.startSheet();
            ++sheets;
            onSheet = 0;
            printListHeader(printer, gd, eval, order);
        }
        progress.setValue(k);
        useMincho(printer, gd);
        printPupilLine(printer, gd, eval, order, p, 6 + onSheet);
        ++onSheet;
        previousClass = eval.pupilClass[p];
    }
    return sheets;
}

QList<int> HyoteiNumberGroups(const EvaluationRun& eval)
{
    QList<int> groups;
    for (int g = 1; g <= 12; ++g) {
        for (int p = 1; p <= eval.pupilCount; ++p) {
            if ((eval.pupilNumber[p] - 1) / 5 + 1 == g) {
                groups.append(g);
                break;
            }
        }
    }
    return groups;
}

int PrintHyoteiClassLists(PrintRun& run, PageCanvas& printer, const GradeData& gd, const EvaluationRun& eval,
                          IProgress& progress)
{
    QList<int> classes;
    for (int c = 1; c <= std::min(gd.classCount, Limits::Classes); ++c)
        if (gd.evalClassSelected[c] == 1) classes.append(c);
    const QList<int> groups = HyoteiNumberGroups(eval);
    if (classes.isEmpty() || groups.isEmpty()) return 0;

    // Where each pupil stands: by class and attendance number.
    int pupilOf[Limits::Classes + 1][61] = {};
    for (int p = 1; p <= eval.pupilCount; ++p) {
        const int c = eval.pupilClass[p];
        const int n = eval.pupilNumber[p];
        if (c >= 1 && c <= Limits::Classes && n >= 1 && n <= 60) pupilOf[c][n] = p;
    }

    const int blocks = HyoteiBlocksPerSheet(printer);
    const double depth = printer.ScaleHeight() - gd.printMarginTop;
    const int groupsPerSheet = std::max(1, int(std::floor((depth - 6) / 5)));
    const QString title =
        numberedPrefix(gd) + QStringLiteral("年　") + subjectName(gd) + QStringLiteral("（クラス別）");
    int sheets = 0;
    int printed = 0;
    for (qsizetype first = 0; first < classes.size(); first += blocks) {
        const QList<int> onSheet = classes.mid(first, blocks);
        const int width = int(onSheet.size());
        for (qsizetype g0 = 0; g0 < groups.size(); g0 += groupsPerSheet) {
            const QList<int> sheetGroups = groups.mid(g0, groupsPerSheet);
            run.startSheet();
            ++sheets;
            printTitle(printer, gd, 3, title, QStringLiteral("　印刷日時"));
            for (int j = 0; j < width; ++j)
                printer.PrintAt(gd.classLabel(onSheet[j]) + QStringLiteral("   組"), 10 + 22 * j, 5);
            int line = 0;
            for (int g : sheetGroups) {
                for (int n = 5 * g - 4; n <= 5 * g; ++n) {
                    const double y = 6 + line;
                    for (int j = 0; j < width; ++j) {
                        printer.PrintAt(FormatRightAligned(QStringLiteral("##"), n), 3 + 22 * j, y);
                        const int p = pupilOf[onSheet[j]][n];
                        if (p == 0) continue;
                        printer.PrintAt(eval.pupilName[p], 6 + 22 * j, y);
                        // A changed level in brackets is wider: smaller rather than over the rule.
                        printer.SetCurrentX(19 + 22 * j);
                        printer.SetCurrentY(y);
                        PrintFitted(printer, HyoteiPrintedLevel(eval, p), 24.5 + 22 * j, FitClearance::Space);
                        progress.setValue(++printed);
                    }
                    ++line;
                }
            }
            for (int j = 0; j <= width; ++j)
                printer.Line(2.5 + 22 * j, 4.9, 2.5 + 22 * j, 5.9 + line);
            for (int m = -1; m < int(sheetGroups.size()); ++m) {
                const double y = m < 0 ? 4.9 : 5.9 + 5 * m;
                printer.Line(2.5, y, 2.5 + 22 * width, y);
            }
            printer.Line(2.5, 5.9 + line, 2.5 + 22 * width, 5.9 + line);
        }
    }
    return sheets;
}

int PrintHyoteiDistribution(PrintRun& run, PageCanvas& printer, const GradeData& gd, const EvaluationRun& eval)
{
    if (eval.pupilCount == 0) return 0;
    const int classes = std::clamp(gd.classCount, 0, Limits::Classes);
    run.startSheet();
    const QString title = numberedPrefix(gd) + QStringLiteral("年 ") + subjectName(gd) + QStringLiteral("(人数分布)");
    printTitle(printer, gd, 5, title, QStringLiteral("    印刷日時　"));
    printer.PrintAt(QStringLiteral("評定"), 5, 5);
    printer.PrintAt(QStringLiteral("合計"), 10, 5);
    for (int c = 1; c <= classes; ++c)
        printer.PrintAt(gd.classLabel(c) + QStringLiteral("組"), 10 + 5 * c, 5);
    for (int level = MaxLevel; level >= 0; --level) {
        const double y = 16 - level;
        printer.PrintAt(FormatRightAligned(QStringLiteral("###0"), level), 5, y);
        printer.PrintAt(FormatRightAligned(QStringLiteral("####"), LevelCount(eval, level, 0)), 10, y);
        for (int c = 1; c <= classes; ++c)
            if (gd.evalClassSelected[c] == 1)
                printer.PrintAt(FormatRightAligned(QStringLiteral("####"), LevelCount(eval, level, c)), 10 + 5 * c, y);
    }
    for (int i = 0; i <= 12; ++i)
        printer.Line(4.5, 4.9 + i, 5 * classes + 14.5, 4.9 + i);
    for (int c = 1; c <= classes + 3; ++c)
        printer.Line(5 * c - 0.5, 4.9, 5 * c - 0.5, 16.9);
    return 1;
}

int PrintHyoteiDocuments(PageCanvas& printer, const GradeData& gd, const EvaluationRun& eval, const HyoteiPrintSet& set,
                         IProgress& progress)
{
    PrintRun run(printer, gd);
    progress.setValue(0);
    progress.setMaximum(eval.pupilCount);
    progress.setVisible(true);
    if (set.scoreOrder) {
        progress.setStatusText(QStringLiteral("点数順"));
        PrintHyoteiList(run, printer, gd, eval, HyoteiOrder::Score, progress);
    }
    if (set.numberOrder) {
        progress.setStatusText(QStringLiteral("出席番号順"));
        PrintHyoteiList(run, printer, gd, eval, HyoteiOrder::Number, progress);
    }
    if (set.classLists) {
        progress.setStatusText(QStringLiteral("クラス別"));
        PrintHyoteiClassLists(run, printer, gd, eval, progress);
    }
    if (set.distribution) {
        progress.setStatusText(QStringLiteral("人数分布"));
        PrintHyoteiDistribution(run, printer, gd, eval);
    }
    progress.setVisible(false);
    progress.setStatusText(QString());
    run.finish();
    return run.sheets();
}

} // namespace seiran
