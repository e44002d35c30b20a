#include "ReportCommand.h"

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
#include "RecordingCanvas.h"
#include "ReportCardCommand.h"
#include "ReportCommon.h"
#include "ReportCsv.h"
#include "RosterFile.h"
#include "SotenReport.h"

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
constexpr int ExitError = 2;

QList<ReportExtension>& extensions()
{
    static QList<ReportExtension> list;
    return list;
}

const ReportExtension* extensionFor(const QString& report)
{
    for (const ReportExtension& e : extensions())
        if (e.reports.contains(report)) return &e;
    return nullptr;
}

struct Options
{
    QString data;
    QString report;
    QString pdf;
    QString csv; // hensa: the CSV file ("-" standard output)
    bool dump = false;
    bool sd = false; // average: the grade's standard deviations under the maxima
    int grade = 0;
    int test = 0;
    int classNo = 0; // 0 = every class
    int item = 0;    // 0 = every item
    QHash<QString, QString> extras;
};

QString usageText()
{
    return QStringLiteral(
               "使い方: seiran-report --data DIR --grade G --test T REPORT [--class C] [--item I] (--pdf FILE | "
               "--dump | --csv FILE)\n"
               "  --data DIR    データフォルダ\n"
               "  --grade G     学年 (1～3)\n"
               "  --test T      テストの番号 (テスト一覧の何番目か、1から)\n"
               "  --class C     soten, hensa: この組だけ (省略するとすべての組、hensa は学年集計も)\n"
               "  --item I      jun: この項目だけ (省略するとすべての項目)\n"
               "  --pdf FILE    A4 縦の PDF ファイルに書く\n"
               "  --dump        描画の一つ一つをタブ区切りで標準出力に書く\n"
               "  --sd          average: 学年の標準偏差の行を加える\n"
               "  --csv FILE    soten, average, jun, hensa: 表を CSV ファイルに書く (UTF-8、BOM付き; - は標準出力)\n") +
           [] {
               QStringList lines;
               for (const ReportExtension& e : extensions())
                   lines += e.optionHelp;
               return lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n';
           }() +
           QStringLiteral("REPORT:\n") + ReportCommandNames().join(u'\n') + u'\n' + ReportCardUsage();
}

int fail(QTextStream& err, const QString& message)
{
    err << "seiran-report: " << message << '\n';
    err.flush();
    return ExitError;
}

// Parses the arguments; an empty result means success, otherwise the message to print.
QString parse(const QStringList& args, Options& o, bool& help)
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
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            help = true;
        else if (a == QLatin1String("--data"))
            problem = textValue(i, a, o.data);
        else if (a == QLatin1String("--grade"))
            problem = intValue(i, a, o.grade);
        else if (a == QLatin1String("--test"))
            problem = intValue(i, a, o.test);
        else if (a == QLatin1String("--class"))
            problem = intValue(i, a, o.classNo);
        else if (a == QLatin1String("--item"))
            problem = intValue(i, a, o.item);
        else if (a == QLatin1String("--pdf"))
            problem = textValue(i, a, o.pdf);
        else if (a == QLatin1String("--csv"))
            problem = textValue(i, a, o.csv);
        else if (a == QLatin1String("--dump"))
            o.dump = true;
        else if (a == QLatin1String("--sd"))
            o.sd = true;
        else if (std::any_of(extensions().cbegin(), extensions().cend(),
                             [&a](const ReportExtension& e) { return e.valueOptions.contains(a); }))
            problem = textValue(i, a, o.extras[a]);
        else if (std::any_of(extensions().cbegin(), extensions().cend(),
                             [&a](const ReportExtension& e) { return e.flagOptions.contains(a); }))
            o.extras.insert(a, QString());
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

QStringList ReportCommandNames()
{
    QStringList names{QStringLiteral("  soten     素点一覧表 (組ごとに1枚)"),
                      QStringLiteral("  average   平均点・最高点一覧表 (1枚)"),
                      QStringLiteral("  jun       教科別順位表 (項目ごと)"),
                      QStringLiteral("  hensa     偏差値一覧表 (組ごと、最後に学年集計)")};
    names += GraphReportCommandNames();
    names += ReportCardCommandNames();
    for (const ReportExtension& e : extensions())
        names += e.helpLines;
    return names;
}

void AddReportExtension(const ReportExtension& extension)
{
    extensions().append(extension);
}

namespace {
// Draws the sheets on the dump or the PDF file.
int writeSheets(const Options& o, const GradeData& gd, const std::function<int(PageCanvas&)>& draw, QTextStream& out,
                QTextStream& err)
{
    if (o.dump) {
        RecordingCanvas canvas(StandardPaperLayout(), PrinterStartFont(gd));
        if (draw(canvas) == 0) return fail(err, QStringLiteral("描くページがありません。"));
        for (const QString& line : canvas.dump())
            out << line << '\n';
        out.flush();
        return 0;
    }
    const PdfJob job = WritePdfJob(o.pdf, [&](const QString& path, QString& failure) {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(path);
        PainterCanvas canvas(printer.get(), PrinterStartFont(gd));
        const int sheets = draw(canvas);
        if (canvas.failed()) failure = canvas.errorText();
        return sheets;
    });
    if (!job.error.isEmpty()) return fail(err, job.error);
    if (job.sheets == 0) return fail(err, QStringLiteral("描くページがありません。"));
    return 0;
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

// A report of an extension: no --test, --item only for the built-in reports.
int runExtension(const Options& o, const ReportExtension& e, QTextStream& out, QTextStream& err)
{
    if (o.data.isEmpty() || o.grade == 0)
        return fail(err, QStringLiteral("--data、--grade と帳票の名前が要ります。\n") + usageText());
    if (o.test != 0) return fail(err, QStringLiteral("--test は %1 では使えません。").arg(o.report));
    if (o.item != 0) return fail(err, QStringLiteral("--item は jun だけで使えます。"));
    if (!o.csv.isEmpty()) return fail(err, QStringLiteral("--csv は hensa だけで使えます。"));
    if (o.sd) return fail(err, QStringLiteral("--sd は average だけで使えます。"));
    if (o.dump == !o.pdf.isEmpty())
        return fail(err, QStringLiteral("--pdf FILE か --dump のどちらか一つを指定してください。"));
    if (o.grade < 1 || o.grade > 3) return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(o.grade));
    const QFileInfo folder(o.data);
    if (!folder.isDir()) return fail(err, QStringLiteral("データフォルダ「%1」がありません。").arg(o.data));
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = absoluteFolder(folder);
    gd->currentGrade = o.grade;
    ReportRequest request{o.report, o.classNo, o.extras};
    QString problem;
    const std::function<int(PageCanvas&)> draw = e.prepare(request, *gd, err, problem);
    if (!draw) return fail(err, problem.isEmpty() ? QStringLiteral("描くページがありません。") : problem);
    return writeSheets(o, *gd, draw, out, err);
}
} // namespace

int RunReportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    // The graph reports and the report cards take options of their own.
    if (const std::optional<int> status = RunGraphReportCommand(args, out, err)) return *status;
    if (!ReportCardName(args).isEmpty()) return RunReportCardCommand(args, out, err);
    Options o;
    bool help = false;
    const QString problem = parse(args, o, help);
    if (help) {
        out << usageText() << GraphReportUsage();
        out.flush();
        return 0;
    }
    if (!problem.isEmpty()) return fail(err, problem + u'\n' + usageText());
    if (const ReportExtension* e = extensionFor(o.report)) return runExtension(o, *e, out, err);
    if (o.data.isEmpty() || o.grade == 0 || o.test == 0 || o.report.isEmpty())
        return fail(err, QStringLiteral("--data、--grade、--test と帳票の名前が要ります。\n") + usageText());
    QStringList known{QStringLiteral("soten"), QStringLiteral("average"), QStringLiteral("jun"),
                      QStringLiteral("hensa")};
    if (!known.contains(o.report)) {
        known += {QStringLiteral("dosu"), QStringLiteral("matome"), QStringLiteral("suii"), QStringLiteral("seiseki"),
                  QStringLiteral("tsuchi")};
        for (const ReportExtension& e : extensions())
            known += e.reports;
        return fail(err, QStringLiteral("不明な帳票「%1」です。使えるのは %2 です。").arg(o.report, known.join(u", ")));
    }
    if (!o.extras.isEmpty())
        return fail(err, QStringLiteral("%1 は %2 では使えません。").arg(o.extras.keys().join(u' '), o.report));
    const bool hensa = o.report == QLatin1String("hensa");
    if (int(o.dump) + int(!o.pdf.isEmpty()) + int(!o.csv.isEmpty()) != 1)
        return fail(err, QStringLiteral("--pdf FILE、--dump、--csv FILE のどれか一つを指定してください。"));
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
            return writeCsv(o, hensa ? DeviationCsvRows(*gd, ComputeDeviationTable(*gd)) : SotenCsvRows(*gd), out, err);
        // The grade sheet follows when every class is printed.
        const bool withGrade = o.classNo == 0;
        if (hensa)
            draw = [&gd, classes, withGrade](PageCanvas& canvas) {
                return PrintDeviationReport(canvas, *gd, classes, withGrade);
            };
        else
            draw = [&gd, classes](PageCanvas& canvas) { return PrintSotenClasses(canvas, *gd, classes); };
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

} // namespace seiran
