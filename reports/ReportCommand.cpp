#include "ReportCommand.h"

#include "ReportOutput.h"

#include "Aggregate.h"
#include "AverageReport.h"
#include "CsvFile.h"
#include "DeviationReport.h"
#include "GradeData.h"
#include "GraphCommand.h"
#include "ListFiles.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RankReport.h"
#include "RawScoreReport.h"
#include "RecordingCanvas.h"
#include "ReportCardCommand.h"
#include "ReportCommon.h"
#include "ReportCsv.h"
#include "RosterFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <memory>

namespace seiran {

namespace {
struct Options
{
    QString data;
    QString report;
    SheetOutput output;
    QString csv;     // hensa: the CSV file ("-" standard output)
    bool sd = false; // average: the grade's standard deviations under the maxima
    int grade = 0;
    int test = 0;
    int classNo = 0; // 0 = every class
    int item = 0;    // 0 = every item
};

QString usageText()
{
    return ReportUsageHint();
}

int fail(QTextStream& err, const QString& message)
{
    return ReportCommandFailure(err, message);
}

// Parses the arguments; an empty result means success, otherwise the message to print.
QString parse(const QStringList& args, Options& o)
{
    auto intValue = [&](qsizetype& i, const QString& name, int& out) -> QString {
        if (i + 1 >= args.size()) return QStringLiteral("%1 の後に数がありません。").arg(name);
        bool ok = false;
        out = args.at(++i).toInt(&ok);
        if (!ok) return QStringLiteral("%1 の値「%2」は数ではありません。").arg(name, args.at(i));
        return QString();
    };
    auto textValue = [&](qsizetype& i, const QString& name, QString& out) -> QString {
        if (i + 1 >= args.size()) return QStringLiteral("%1 の後に値がありません。").arg(name);
        out = args.at(++i);
        return QString();
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        QString problem;
        if (a == QLatin1String("--data"))
            problem = textValue(i, a, o.data);
        else if (a == QLatin1String("--grade"))
            problem = intValue(i, a, o.grade);
        else if (a == QLatin1String("--test"))
            problem = intValue(i, a, o.test);
        else if (a == QLatin1String("--class"))
            problem = intValue(i, a, o.classNo);
        else if (a == QLatin1String("--item"))
            problem = intValue(i, a, o.item);
        else if (ReadSheetOutputOption(args, i, o.output, problem))
            ;
        else if (a == QLatin1String("--csv"))
            problem = textValue(i, a, o.csv);
        else if (a == QLatin1String("--sd"))
            o.sd = true;
        else if (a.startsWith(u'-'))
            problem = QStringLiteral("不明なオプション %1").arg(a);
        else if (!o.report.isEmpty())
            problem = QStringLiteral("帳票は一つだけ指定してください（%1 と %2）。").arg(o.report, a);
        else
            o.report = a;
        if (!problem.isEmpty()) return problem;
    }
    return QString();
}
} // namespace

namespace {
int writeSheets(const Options& o, const GradeData& gd, const std::function<int(PageCanvas&)>& draw, QTextStream& out,
                QTextStream& err)
{
    SheetOutput output = o.output;
    output.documentName = o.report;
    return WriteReportSheets(output, gd, draw, out, err);
}

// A report's table as a CSV file, or on standard output for "-".
int writeCsv(const Options& o, const QList<QStringList>& rows, QTextStream& out, QTextStream& err)
{
    if (o.csv == QLatin1String("-")) {
        out << QChar(QChar::ByteOrderMark) << QString::fromUtf8(CsvBytes(rows).mid(3));
        out.flush();
        return 0;
    }
    if (Result r = SaveCsvFile(o.csv, rows); !r) return fail(err, r.message);
    return 0;
}

QString absoluteFolder(const QFileInfo& folder)
{
    QString path = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!path.endsWith(QDir::separator())) path += QDir::separator();
    return path;
}

} // namespace

namespace {
// soten, average, jun and hensa: the tables of one test.
int runTableReport(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Options o;
    const QString problem = parse(args, o);
    if (!problem.isEmpty()) return fail(err, problem + u'\n' + usageText());
    if (o.data.isEmpty() || o.grade == 0 || o.test == 0 || o.report.isEmpty())
        return fail(err, QStringLiteral("--data、--grade、--test と帳票の名前が要ります。\n") + usageText());
    const bool hensa = o.report == QLatin1String("hensa");
    if (const QString choice = SheetOutputProblem(o.output, int(!o.csv.isEmpty()), QStringLiteral("--csv FILE"));
        !choice.isEmpty())
        return fail(err, choice);
    if (o.grade < 1 || o.grade > 3) return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(o.grade));
    if (o.sd && o.report != QLatin1String("average"))
        return fail(err, QStringLiteral("--sd は average だけで使えます。"));
    if (o.classNo != 0 && o.report != QLatin1String("soten") && !hensa)
        return fail(err, QStringLiteral("--class は %1 では使えません。").arg(o.report));
    if (o.item != 0 && o.report != QLatin1String("jun"))
        return fail(err, QStringLiteral("--item は jun だけで使えます。"));
    const QFileInfo folder(o.data);
    if (!folder.isDir()) return fail(err, QStringLiteral("データフォルダ「%1」がありません。").arg(o.data));

    // Load as the main window does when a test is chosen.
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = absoluteFolder(folder);
    gd->currentGrade = o.grade;
    if (Result r = LoadTestList(*gd); !r) return fail(err, r.message);
    if (Result r = LoadSubjectList(*gd); !r) return fail(err, r.message);
    if (o.test < 1 || o.test > gd->testCount)
        return fail(err, gd->testCount == 0 ? QStringLiteral("%1年のテスト一覧にテストがありません。").arg(o.grade)
                                            : QStringLiteral("テスト %1 はありません（%2年のテストは 1～%3）。")
                                                  .arg(o.test)
                                                  .arg(o.grade)
                                                  .arg(gd->testCount));
    gd->currentTest = o.test;
    if (Result r = LoadTestScores(*gd, NullProgress::instance()); !r) return fail(err, r.message);
    AggregateTest(*gd);

    std::function<int(PageCanvas&)> draw;
    if (o.report == QLatin1String("soten") || hensa) {
        if (o.classNo != 0 && (o.classNo < 1 || o.classNo > gd->classCount))
            return fail(err, QStringLiteral("%1組はありません（%2年は %3 組まで）。")
                                 .arg(o.classNo)
                                 .arg(o.grade)
                                 .arg(gd->classCount));
        QList<int> classes;
        for (int c = 1; c <= gd->classCount; ++c)
            if (o.classNo == 0 || o.classNo == c) classes.append(c);
        if (!o.csv.isEmpty())
            return writeCsv(o, hensa ? DeviationCsvRows(*gd, ComputeDeviationTable(*gd)) : RawScoreCsvRows(*gd), out,
                            err);
        // The grade sheet follows when every class is printed.
        const bool withGrade = o.classNo == 0;
        if (hensa)
            draw = [&gd, classes, withGrade](PageCanvas& canvas) {
                return PrintDeviationReport(canvas, *gd, classes, withGrade);
            };
        else
            draw = [&gd, classes](PageCanvas& canvas) { return PrintRawScoreClasses(canvas, *gd, classes); };
    } else if (o.report == QLatin1String("average")) {
        const bool sd = o.sd;
        if (!o.csv.isEmpty()) return writeCsv(o, AverageCsvRows(*gd, sd), out, err);
        draw = [&gd, sd](PageCanvas& canvas) { return PrintAverage(canvas, *gd, sd); };
    } else {
        if (Result r = BuildReportItemList(*gd); !r) err << "seiran-report: " << r.message << '\n';
        if (o.item != 0 && (o.item < 1 || o.item > gd->itemCount))
            return fail(
                err,
                QStringLiteral("項目 %1 はありません（このテストの項目は 1～%2）。").arg(o.item).arg(gd->itemCount));
        QList<int> items;
        for (int i = 1; i <= gd->itemCount; ++i)
            if (o.item == 0 || o.item == i) items.append(i);
        if (!o.csv.isEmpty()) return writeCsv(o, RankCsvRows(*gd, items), out, err);
        draw = [&gd, items](PageCanvas& canvas) { return PrintRankItems(canvas, *gd, items); };
    }

    return writeSheets(o, *gd, draw, out, err);
}
} // namespace

QList<CommandEntry> TestReportCommands()
{
    const CommandOption test{QStringLiteral("--test"), QStringLiteral("T"),
                             QStringLiteral("テストの番号 (テスト一覧の何番目か、1から)")};
    const CommandOption csv{QStringLiteral("--csv"), QStringLiteral("FILE"),
                            QStringLiteral("表を CSV ファイルに書く (UTF-8、BOM付き; - は標準出力)")};
    const CommandOption oneClass{QStringLiteral("--class"), QStringLiteral("C"),
                                 QStringLiteral("この組だけ (省略するとすべての組)")};
    const CommandOption item{QStringLiteral("--item"), QStringLiteral("I"),
                             QStringLiteral("この項目だけ (省略するとすべての項目)")};
    const CommandOption sd{QStringLiteral("--sd"), QString(), QStringLiteral("学年の標準偏差の行を加える")};
    QList<CommandEntry> entries{
        {QStringLiteral("soten"), QStringLiteral("素点一覧表 (組ごとに1枚)"), {test, oneClass, csv}, runTableReport},
        {QStringLiteral("average"), QStringLiteral("平均点・最高点一覧表 (1枚)"), {test, sd, csv}, runTableReport},
        {QStringLiteral("jun"), QStringLiteral("教科別順位表 (項目ごと)"), {test, item, csv}, runTableReport},
        {QStringLiteral("hensa"),
         QStringLiteral("偏差値一覧表 (組ごと、最後に学年集計; --class C でその組だけ)"),
         {test, oneClass, csv},
         runTableReport}};
    entries += GraphReportCommands();
    entries += ReportCardCommands();
    return entries;
}

} // namespace seiran
