#include "GraphCommand.h"

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
constexpr int ExitError = 2;

const QStringList& graphReports()
{
    static const QStringList names{QStringLiteral("dosu"), QStringLiteral("matome"), QStringLiteral("suii")};
    return names;
}

// Options that take a value, for finding the report's name among the arguments.
bool takesValue(const QString& option)
{
    static const QStringList options{
        QStringLiteral("--data"),       QStringLiteral("--grade"),       QStringLiteral("--test"),
        QStringLiteral("--class"),      QStringLiteral("--item"),        QStringLiteral("--pdf"),
        QStringLiteral("--tests"),      QStringLiteral("--classes"),     QStringLiteral("--pupils"),
        QStringLiteral("--title1"),     QStringLiteral("--title2"),      QStringLiteral("--total-max"),
        QStringLiteral("--total-band"), QStringLiteral("--subject-max"), QStringLiteral("--subject-band"),
        QStringLiteral("--graph-tests")};
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
    QString pdf;
    bool dump = false;
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
    return GraphReportUsage();
}
} // namespace

QString GraphReportUsage()
{
    return QStringLiteral(
        "使い方:\n"
        "  seiran-report --data DIR --grade G --test T dosu [--item I] [BANDS] (--pdf FILE | --dump)\n"
        "  seiran-report --data DIR --grade G --test T matome [--landscape] [--each [--classes LIST | --pupils "
        "LIST]]\n"
        "                [--title1 TEXT] [--title2 TEXT] [BANDS] (--pdf FILE | --dump)\n"
        "  seiran-report --data DIR --grade G suii --tests LIST [--classes LIST] [--no-table] (--pdf FILE | --dump)\n"
        "  BANDS: [--total-max M] [--total-band W] [--subject-max M] [--subject-band W]   (500, 50, 100, 10)\n"
        "  LIST は \"3,1,2\" のように書きます。生徒は 組-番 (\"2-15\")。\n");
}

namespace {

int fail(QTextStream& err, const QString& message)
{
    err << "seiran-report: " << message << '\n';
    err.flush();
    return ExitError;
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
        else if (a == QLatin1String("--pdf"))
            o.pdf = value;
        else if (a == QLatin1String("--dump"))
            o.dump = true;
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
    QStringList allowed{QStringLiteral("--data"), QStringLiteral("--grade"), QStringLiteral("--pdf"),
                        QStringLiteral("--dump")};
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
    if (o.dump) {
        RecordingCanvas canvas(paper, PrinterStartFont(gd));
        if (draw(canvas) == 0) return fail(err, QStringLiteral("描くページがありません。"));
        for (const QString& line : canvas.dump())
            out << line << '\n';
        out.flush();
        return 0;
    }
    const PdfJob job = WritePdfJob(o.pdf, [&](const QString& path, QString& failure) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(path, paper);
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        const int sheets = draw(canvas);
        if (canvas.failed()) failure = canvas.errorText();
        return sheets;
    });
    if (!job.error.isEmpty()) return fail(err, job.error);
    if (job.sheets == 0) return fail(err, QStringLiteral("描くページがありません。"));
    return 0;
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
} // namespace

QStringList GraphReportCommandNames()
{
    return {QStringLiteral("  dosu      教科別度数分布グラフ (項目ごと、--item I でその項目だけ)"),
            QStringLiteral("  matome    テストのまとめ（生徒配布用） (--each で生徒ごとに1枚)"),
            QStringLiteral("  suii      教科別得点推移グラフ (--tests LIST、--test は使いません)")};
}

std::optional<int> RunGraphReportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    // Is one of these reports asked for?
    QString report;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a.startsWith(u'-')) {
            if (takesValue(a)) ++i;
            continue;
        }
        report = a;
        break;
    }
    if (!graphReports().contains(report)) return std::nullopt;
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) return std::nullopt;

    Options o;
    if (QString problem = parse(args, o); !problem.isEmpty()) return fail(err, problem + u'\n' + usageText());
    if (QString problem = refuseOthers(o); !problem.isEmpty()) return fail(err, problem + u'\n' + usageText());
    if (o.data.isEmpty() || o.grade == 0)
        return fail(err, QStringLiteral("--data と --grade が要ります。\n") + usageText());
    if (o.dump == !o.pdf.isEmpty())
        return fail(err, QStringLiteral("--pdf FILE か --dump のどちらか一つを指定してください。"));
    if (o.grade < 1 || o.grade > 3) return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(o.grade));

    auto gd = std::make_unique<GradeData>();
    if (Result r = loadLists(*gd, o); !r) return fail(err, r.message);
    if (o.report == QLatin1String("suii")) return runTrendReport(o, *gd, out, err);
    return runTestReport(o, *gd, out, err);
}

} // namespace seiran
