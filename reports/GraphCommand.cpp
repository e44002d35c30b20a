#include "GraphCommand.h"

#include "ReportOutput.h"

#include "Aggregate.h"
#include "GradeData.h"
#include "GraphReport.h"
#include "ListFiles.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RankReport.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "RosterFile.h"
#include "TestListOption.h"
#include "TestSeries.h"
#include "TrendReport.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QSet>
#include <QTextStream>
#include <functional>
#include <memory>

namespace seiran {

namespace {
// Options that take a value, for finding the report's name among the arguments.
bool takesValue(const QString& option)
{
    static const QStringList options{
        QStringLiteral("--data"),        QStringLiteral("--grade"),        QStringLiteral("--test"),
        QStringLiteral("--class"),       QStringLiteral("--item"),         QStringLiteral("--tests"),
        QStringLiteral("--classes"),     QStringLiteral("--pupils"),       QStringLiteral("--title1"),
        QStringLiteral("--title2"),      QStringLiteral("--total-max"),    QStringLiteral("--total-band"),
        QStringLiteral("--subject-max"), QStringLiteral("--subject-band"), QStringLiteral("--graph-tests")};
    return options.contains(option);
}

struct PupilRef
{
    int classNo = 0;
    int number = 0;
};

struct Options
{
    QString data;
    QString report;
    SheetOutput output;
    int grade = 0;
    int test = 0;
    int item = 0;
    bool landscape = false;
    bool each = false;
    bool noTable = false;
    std::optional<QString> title1;
    std::optional<QString> title2;
    std::optional<QList<int>> tests;
    std::optional<QList<int>> classes;
    std::optional<QList<PupilRef>> pupils;
    GraphSettings settings;
    QStringList given; // options given, for refusing those the report does not take
};

QString usageText()
{
    return ReportUsageHint();
}

int fail(QTextStream& err, const QString& message)
{
    return ReportCommandFailure(err, message);
}

std::optional<QList<PupilRef>> parsePupils(const QString& text)
{
    QList<PupilRef> out;
    for (const QString& part : text.split(u',')) {
        const QStringList pair = part.trimmed().split(u'-');
        if (pair.size() != 2) return std::nullopt;
        bool okClass = false;
        bool okNumber = false;
        const PupilRef p{pair.at(0).toInt(&okClass), pair.at(1).toInt(&okNumber)};
        if (!okClass || !okNumber) return std::nullopt;
        out.append(p);
    }
    return out;
}

QString parse(const QStringList& args, Options& o)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (!a.startsWith(u'-')) {
            if (!o.report.isEmpty())
                return QStringLiteral("帳票は一つだけ指定してください（%1 と %2）。").arg(o.report, a);
            o.report = a;
            continue;
        }
        o.given.append(a);
        if (QString problem; ReadSheetOutputOption(args, i, o.output, problem)) {
            if (!problem.isEmpty()) return problem;
            continue;
        }
        QString value;
        if (takesValue(a)) {
            if (i + 1 >= args.size()) return QStringLiteral("%1 の後に値がありません。").arg(a);
            value = args.at(++i);
        }
        auto number = [&](int& out) -> QString {
            bool ok = false;
            out = value.toInt(&ok);
            return ok ? QString() : QStringLiteral("%1 の値「%2」は数ではありません。").arg(a, value);
        };
        auto list = [&](std::optional<QList<int>>& out) -> QString {
            out = ParseNumberList(value);
            return out ? QString()
                       : QStringLiteral("%1 の値「%2」は「3,1,2」のような数の並びではありません。").arg(a, value);
        };
        QString problem;
        if (a == QLatin1String("--data"))
            o.data = value;
        else if (a == QLatin1String("--grade"))
            problem = number(o.grade);
        else if (a == QLatin1String("--test"))
            problem = number(o.test);
        else if (a == QLatin1String("--item"))
            problem = number(o.item);
        else if (a == QLatin1String("--landscape"))
            o.landscape = true;
        else if (a == QLatin1String("--each"))
            o.each = true;
        else if (a == QLatin1String("--no-table"))
            o.noTable = true;
        else if (a == QLatin1String("--title1"))
            o.title1 = value;
        else if (a == QLatin1String("--title2"))
            o.title2 = value;
        else if (a == QLatin1String("--tests"))
            problem = list(o.tests);
        else if (a == QLatin1String("--classes"))
            problem = list(o.classes);
        else if (a == QLatin1String("--pupils")) {
            o.pupils = parsePupils(value);
            if (!o.pupils)
                problem =
                    QStringLiteral("--pupils の値「%1」は「2-15,3-1」のような 組-番 の並びではありません。").arg(value);
        } else if (a == QLatin1String("--total-max"))
            problem = number(o.settings.totalMaximum);
        else if (a == QLatin1String("--total-band"))
            problem = number(o.settings.totalBand);
        else if (a == QLatin1String("--subject-max"))
            problem = number(o.settings.subjectMaximum);
        else if (a == QLatin1String("--subject-band"))
            problem = number(o.settings.subjectBand);
        else
            problem = QStringLiteral("不明なオプション %1").arg(a);
        if (!problem.isEmpty()) return problem;
    }
    return QString();
}

// The options each report accepts besides --data, --grade, --pdf and --dump.
QString refuseOthers(const Options& o)
{
    QStringList allowed{QStringLiteral("--data"), QStringLiteral("--grade"),   QStringLiteral("--pdf"),
                        QStringLiteral("--dump"), QStringLiteral("--printer"), QStringLiteral("--copies")};
    const QStringList bands{QStringLiteral("--total-max"), QStringLiteral("--total-band"),
                            QStringLiteral("--subject-max"), QStringLiteral("--subject-band")};
    if (o.report == QLatin1String("dosu"))
        allowed << QStringLiteral("--test") << QStringLiteral("--item") << bands;
    else if (o.report == QLatin1String("matome"))
        allowed << QStringLiteral("--test") << QStringLiteral("--landscape") << QStringLiteral("--each")
                << QStringLiteral("--classes") << QStringLiteral("--pupils") << QStringLiteral("--title1")
                << QStringLiteral("--title2") << bands;
    else
        allowed << QStringLiteral("--tests") << QStringLiteral("--classes") << QStringLiteral("--no-table");
    for (const QString& a : o.given)
        if (!allowed.contains(a)) return QStringLiteral("%1 は %2 では使えません。").arg(a, o.report);
    return QString();
}

// Loads the lists of the grade (and the class count) as the main window does.
Result loadLists(GradeData& gd, const Options& o)
{
    const QFileInfo folder(o.data);
    if (!folder.isDir()) return Result::failure(QStringLiteral("データフォルダ「%1」がありません。").arg(o.data));
    gd.dataFolder = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!gd.dataFolder.endsWith(QDir::separator())) gd.dataFolder += QDir::separator();
    gd.currentGrade = o.grade;
    if (Result r = LoadTestList(gd); !r) return r;
    if (Result r = LoadSubjectList(gd); !r) return r;
    // A report reads the roster; it never creates one.
    const QString roster = RosterFile::pathFor(gd);
    if (!QFileInfo(roster).isFile())
        return Result::failure(
            QStringLiteral("名簿ファイル「%1」がありません。").arg(QDir::toNativeSeparators(roster)));
    return Result::success();
}

QString testProblem(const GradeData& gd, int test)
{
    if (test >= 1 && test <= gd.testCount) return QString();
    if (gd.testCount == 0) return QStringLiteral("%1年のテスト一覧にテストがありません。").arg(gd.currentGrade);
    return QStringLiteral("テスト %1 はありません（%2年のテストは 1～%3）。")
        .arg(test)
        .arg(gd.currentGrade)
        .arg(gd.testCount);
}

QString classProblem(const GradeData& gd, const QList<int>& classes)
{
    for (int c : classes)
        if (c < 1 || c > gd.classCount)
            return QStringLiteral("%1組はありません（%2年は %3 組まで）。")
                .arg(c)
                .arg(gd.currentGrade)
                .arg(gd.classCount);
    return QString();
}

// Runs `draw` on a recorder (--dump) or a PDF printer of `paper`.
int output(const Options& o, const GradeData& gd, const QPageLayout& paper, QTextStream& out, QTextStream& err,
           const std::function<int(PageCanvas&)>& draw)
{
    SheetOutput sheets = o.output;
    sheets.documentName = o.report;
    sheets.paper = paper;
    return WriteReportSheets(sheets, gd, draw, out, err);
}

int runTestReport(Options& o, GradeData& gd, QTextStream& out, QTextStream& err)
{
    if (o.test == 0) return fail(err, QStringLiteral("%1 には --test が要ります。").arg(o.report));
    if (QString p = testProblem(gd, o.test); !p.isEmpty()) return fail(err, p);
    if (Result r = CheckGraphSettings(o.settings); !r) return fail(err, r.message);
    gd.currentTest = o.test;
    if (Result r = LoadTestScores(gd, NullProgress::instance()); !r) return fail(err, r.message);
    AggregateTest(gd);
    if (Result r = BuildReportItemList(gd); !r) err << "seiran-report: " << r.message << '\n';

    if (o.report == QLatin1String("dosu")) {
        if (o.item != 0 && (o.item < 1 || o.item > gd.itemCount))
            return fail(
                err,
                QStringLiteral("項目 %1 はありません（このテストの項目は 1～%2）。").arg(o.item).arg(gd.itemCount));
        QList<int> items;
        for (int i = 1; i <= gd.itemCount; ++i)
            if (o.item == 0 || o.item == i) items.append(i);
        QStringList skipped;
        const int status = output(o, gd, StandardPaperLayout(), out, err, [&](PageCanvas& canvas) {
            GraphPrintResult result = PrintDistributionGraphs(canvas, gd, o.settings, items);
            skipped = result.skipped;
            return result.sheets;
        });
        if (!skipped.isEmpty()) {
            err << "seiran-report: " << SkippedGraphsText(skipped) << '\n';
            err.flush();
        }
        return status;
    }

    // matome
    if ((o.classes || o.pupils) && !o.each)
        return fail(err, QStringLiteral("--classes と --pupils は --each といっしょに使います。"));
    if (o.classes && o.pupils) return fail(err, QStringLiteral("--classes と --pupils はどちらか一つにしてください。"));
    QList<int> pupils;
    if (o.each) {
        if (o.pupils) {
            for (const PupilRef& p : *o.pupils) {
                if (QString problem = classProblem(gd, {p.classNo}); !problem.isEmpty()) return fail(err, problem);
                int found = 0;
                for (int s = gd.classStart[p.classNo]; s < gd.classEnd(p.classNo); ++s)
                    if (gd.studentNumber[s] == p.number) found = s;
                if (found == 0)
                    return fail(err, QStringLiteral("%1組%2番の生徒はいません。").arg(p.classNo).arg(p.number));
                if (!pupils.contains(found)) pupils.append(found);
            }
        } else {
            QList<int> classes;
            if (o.classes) {
                classes = *o.classes;
                if (QString problem = classProblem(gd, classes); !problem.isEmpty()) return fail(err, problem);
            } else {
                for (int c = 1; c <= gd.classCount; ++c)
                    classes.append(c);
            }
            // Pupils in class order, whatever order the classes were given in.
            for (int s = 1; s <= gd.studentCount; ++s)
                if (classes.contains(gd.studentClass[s])) pupils.append(s);
        }
        if (pupils.isEmpty()) return fail(err, QStringLiteral("印刷する生徒がいません。"));
    }
    HandoutTitles titles = DefaultHandoutTitles(gd, ReportClockNow().date());
    if (o.title1) titles.first = *o.title1;
    if (o.title2) titles.second = *o.title2;
    const QPageLayout paper = PrintableAreaPaperLayout(o.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (Result r = CheckHandoutFits(gd, o.settings, SheetCells(paper).height(), o.landscape); !r)
        return fail(err, r.message);
    return output(o, gd, paper, out, err, [&](PageCanvas& canvas) {
        return PrintHandout(canvas, gd, o.settings, titles, o.landscape, pupils);
    });
}

int runTrendReport(Options& o, GradeData& gd, QTextStream& out, QTextStream& err)
{
    if (!o.tests) return fail(err, QStringLiteral("suii には --tests が要ります。"));
    for (int t : *o.tests)
        if (QString p = testProblem(gd, t); !p.isEmpty()) return fail(err, p);
    if (const QString repeated = RepeatedTestProblem(*o.tests); !repeated.isEmpty()) return fail(err, repeated);
    QList<int> classes;
    if (o.classes) {
        classes = *o.classes;
        if (QString problem = classProblem(gd, classes); !problem.isEmpty()) return fail(err, problem);
    } else {
        for (int c = 1; c <= gd.classCount; ++c)
            classes.append(c);
    }
    TestSeries series;
    if (Result r = ReadTestSeries(gd, *o.tests, series, NullProgress::instance()); !r) return fail(err, r.message);
    const QPageLayout paper = PrintableAreaPaperLayout();
    TrendOptions options;
    options.classes = classes;
    options.rawScoreTable = !o.noTable;
    if (Result r = CheckTrendFits(series.testCount(), options.rawScoreTable, SheetCells(paper)); !r)
        return fail(err, r.message);
    return output(o, gd, paper, out, err,
                  [&](PageCanvas& canvas) { return PrintTrendGraphs(canvas, gd, series, options, nullptr); });
}

// dosu, matome and suii.
int runGraphReport(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Options o;
    if (QString problem = parse(args, o); !problem.isEmpty()) return fail(err, problem + u'\n' + usageText());
    if (QString problem = refuseOthers(o); !problem.isEmpty()) return fail(err, problem + u'\n' + usageText());
    if (o.data.isEmpty() || o.grade == 0)
        return fail(err, QStringLiteral("--data と --grade が要ります。\n") + usageText());
    if (const QString choice = SheetOutputProblem(o.output); !choice.isEmpty()) return fail(err, choice);
    if (o.grade < 1 || o.grade > 3) return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(o.grade));

    auto gd = std::make_unique<GradeData>();
    if (Result r = loadLists(*gd, o); !r) return fail(err, r.message);
    if (o.report == QLatin1String("suii")) return runTrendReport(o, *gd, out, err);
    return runTestReport(o, *gd, out, err);
}
} // namespace

QList<CommandEntry> GraphReportCommands()
{
    const CommandOption test{QStringLiteral("--test"), QStringLiteral("T"),
                             QStringLiteral("テストの番号 (テスト一覧の何番目か、1から)")};
    const QList<CommandOption> bands{
        {QStringLiteral("--total-max"), QStringLiteral("M"), QStringLiteral("合計のグラフの最大値 (既定 500)")},
        {QStringLiteral("--total-band"), QStringLiteral("W"), QStringLiteral("合計のグラフの階級の幅 (既定 50)")},
        {QStringLiteral("--subject-max"), QStringLiteral("M"), QStringLiteral("教科のグラフの最大値 (既定 100)")},
        {QStringLiteral("--subject-band"), QStringLiteral("W"), QStringLiteral("教科のグラフの階級の幅 (既定 10)")}};
    const CommandOption classes{QStringLiteral("--classes"), QStringLiteral("LIST"),
                                QStringLiteral("印刷する組 (例 1,3、省略するとすべての組)")};
    QList<CommandOption> dosu{
        test, {QStringLiteral("--item"), QStringLiteral("I"), QStringLiteral("この項目だけ (省略するとすべての項目)")}};
    dosu += bands;
    QList<CommandOption> matome{test,
                                {QStringLiteral("--landscape"), QString(), QStringLiteral("横向きの用紙に印刷する")},
                                {QStringLiteral("--each"), QString(), QStringLiteral("生徒ごとに1枚 (個人の点数入り)")},
                                classes,
                                {QStringLiteral("--pupils"), QStringLiteral("LIST"),
                                 QStringLiteral("--each で印刷する生徒 (組-番 の並び、例 1-5,3-12)")},
                                {QStringLiteral("--title1"), QStringLiteral("TEXT"), QStringLiteral("表題の1行目")},
                                {QStringLiteral("--title2"), QStringLiteral("TEXT"), QStringLiteral("表題の2行目")}};
    matome += bands;
    const QList<CommandOption> suii{
        {QStringLiteral("--tests"), QStringLiteral("LIST"), QStringLiteral("テストの番号をグラフの順に (例 1,2,3)")},
        classes,
        {QStringLiteral("--no-table"), QString(), QStringLiteral("得点表を付けない")}};
    return {{QStringLiteral("dosu"), QStringLiteral("教科別度数分布グラフ (項目ごと)"), dosu, runGraphReport},
            {QStringLiteral("matome"), QStringLiteral("テストのまとめ（生徒配布用） (--each で生徒ごとに1枚)"), matome,
             runGraphReport},
            {QStringLiteral("suii"), QStringLiteral("教科別得点推移グラフ (--tests LIST、--test は使いません)"), suii,
             runGraphReport}};
}

} // namespace seiran
