#include "ReportCommand.h"

#include "Aggregate.h"
#include "AverageReport.h"
#include "GradeData.h"
#include "ListFiles.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RankReport.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "RosterFile.h"
#include "SotenReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTextStream>
#include <functional>
#include <memory>

namespace seiran {

namespace {
constexpr int ExitError = 2;

struct Options
{
    QString data;
    QString report;
    QString pdf;
    bool dump = false;
    int grade = 0;
    int test = 0;
    int classNo = 0; // 0 = every class
    int item = 0;    // 0 = every item
};

QString usageText()
{
    return QStringLiteral(
               "使い方: seiran-report --data DIR --grade G --test T REPORT [--class C] [--item I] (--pdf FILE | "
               "--dump)\n"
               "  --data DIR    データフォルダ\n"
               "  --grade G     学年 (1～3)\n"
               "  --test T      テストの番号 (テスト一覧の何番目か、1から)\n"
               "  --class C     soten: この組だけ (省略するとすべての組)\n"
               "  --item I      jun: この項目だけ (省略するとすべての項目)\n"
               "  --pdf FILE    A4 縦の PDF ファイルに書く\n"
               "  --dump        描画の一つ一つをタブ区切りで標準出力に書く\n"
               "REPORT:\n") +
           ReportCommandNames().join(u'\n') + u'\n';
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
        else if (a == QLatin1String("--dump"))
            o.dump = true;
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
    return {QStringLiteral("  soten     素点一覧表 (組ごとに1枚)"),
            QStringLiteral("  average   平均点・最高点一覧表 (1枚)"),
            QStringLiteral("  jun       教科別順位表 (項目ごと)")};
}

int RunReportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Options o;
    bool help = false;
    const QString problem = parse(args, o, help);
    if (help) {
        out << usageText();
        out.flush();
        return 0;
    }
    if (!problem.isEmpty()) return fail(err, problem + u'\n' + usageText());
    if (o.data.isEmpty() || o.grade == 0 || o.test == 0 || o.report.isEmpty())
        return fail(err, QStringLiteral("--data、--grade、--test と帳票の名前が要ります。\n") + usageText());
    const QStringList known{QStringLiteral("soten"), QStringLiteral("average"), QStringLiteral("jun")};
    if (!known.contains(o.report))
        return fail(err, QStringLiteral("不明な帳票「%1」です。使えるのは soten, average, jun です。").arg(o.report));
    if (o.dump == !o.pdf.isEmpty())
        return fail(err, QStringLiteral("--pdf FILE か --dump のどちらか一つを指定してください。"));
    if (o.grade < 1 || o.grade > 3) return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(o.grade));
    if (o.classNo != 0 && o.report != QLatin1String("soten"))
        return fail(err, QStringLiteral("--class は soten だけで使えます。"));
    if (o.item != 0 && o.report != QLatin1String("jun"))
        return fail(err, QStringLiteral("--item は jun だけで使えます。"));
    const QFileInfo folder(o.data);
    if (!folder.isDir()) return fail(err, QStringLiteral("データフォルダ「%1」がありません。").arg(o.data));

    // Load as the main window does when a test is chosen.
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!gd->dataFolder.endsWith(QDir::separator())) gd->dataFolder += QDir::separator();
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
    if (o.report == QLatin1String("soten")) {
        if (o.classNo != 0 && (o.classNo < 1 || o.classNo > gd->classCount))
            return fail(err, QStringLiteral("%1組はありません（%2年は %3 組まで）。")
                                 .arg(o.classNo)
                                 .arg(o.grade)
                                 .arg(gd->classCount));
        QList<int> classes;
        for (int c = 1; c <= gd->classCount; ++c)
            if (o.classNo == 0 || o.classNo == c) classes.append(c);
        draw = [&gd, classes](PageCanvas& canvas) { return PrintSotenClasses(canvas, *gd, classes); };
    } else if (o.report == QLatin1String("average")) {
        draw = [&gd](PageCanvas& canvas) { return PrintAverage(canvas, *gd); };
    } else {
        if (Result r = BuildReportItemList(*gd); !r) err << "seiran-report: " << r.message << '\n';
        if (o.item != 0 && (o.item < 1 || o.item > gd->itemCount))
            return fail(
                err,
                QStringLiteral("項目 %1 はありません（このテストの項目は 1～%2）。").arg(o.item).arg(gd->itemCount));
        QList<int> items;
        for (int i = 1; i <= gd->itemCount; ++i)
            if (o.item == 0 || o.item == i) items.append(i);
        draw = [&gd, items](PageCanvas& canvas) { return PrintRankItems(canvas, *gd, items); };
    }

    if (o.dump) {
        RecordingCanvas canvas(StandardPaperLayout(), PrinterStartFont(*gd));
        if (draw(canvas) == 0) return fail(err, QStringLiteral("描くページがありません。"));
        for (const QString& line : canvas.dump())
            out << line << '\n';
        out.flush();
        return 0;
    }
    // The PDF is written under a temporary name and renamed into place once checked whole.
    const QString partial = PartialPdfPath(o.pdf);
    int sheets = 0;
    QString failure;
    {
        std::unique_ptr<QPrinter> printer = MakePdfPrinter(partial);
        PainterCanvas canvas(printer.get(), PrinterStartFont(*gd));
        sheets = draw(canvas);
        if (canvas.failed()) failure = canvas.errorText();
    }
    if (!failure.isEmpty()) return fail(err, FailedPdfText(failure, o.pdf));
    if (sheets == 0) {
        QFile::remove(partial);
        return fail(err, QStringLiteral("描くページがありません。"));
    }
    if (Result r = FinishPdfFile(partial, o.pdf); !r) return fail(err, r.message);
    return 0;
}

} // namespace seiran
