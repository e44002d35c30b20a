#include "ReportCardCommand.h"

#include "ReportOutput.h"

#include "GradeData.h"
#include "ListFiles.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RecordingCanvas.h"
#include "ReportCards.h"
#include "ReportCommon.h"
#include "TestListOption.h"
#include "TestSeries.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTextStream>
#include <algorithm>
#include <memory>

namespace seiran {

namespace {
const QStringList& valueOptions()
{
    static const QStringList options{QStringLiteral("--data"),    QStringLiteral("--grade"),
                                     QStringLiteral("--test"),    QStringLiteral("--class"),
                                     QStringLiteral("--item"),    QStringLiteral("--pdf"),
                                     QStringLiteral("--tests"),   QStringLiteral("--graph-tests"),
                                     QStringLiteral("--classes"), QStringLiteral("--pupils")};
    return options;
}

struct Options
{
    QString data;
    QString report;
    SheetOutput output;
    bool graph = false;
    int grade = 0;
    QString tests;
    QString graphTests;
    QString classes;
    QString pupils;
    bool hasTest = false;
};

int fail(QTextStream& err, const QString& message)
{
    return ReportCommandFailure(err, message);
}

QString parse(const QStringList& args, Options& o)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (QString problem; ReadSheetOutputOption(args, i, o.output, problem)) {
            if (!problem.isEmpty()) return problem;
        } else if (valueOptions().contains(a)) {
            if (i + 1 >= args.size()) return QStringLiteral("%1 の後に値がありません。").arg(a);
            const QString value = args.at(++i);
            if (a == QLatin1String("--data")) {
                o.data = value;
            } else if (a == QLatin1String("--grade")) {
                bool ok = false;
                o.grade = value.toInt(&ok);
                if (!ok) return QStringLiteral("--grade の値「%1」は数ではありません。").arg(value);
            } else if (a == QLatin1String("--tests")) {
                o.tests = value;
            } else if (a == QLatin1String("--graph-tests")) {
                o.graphTests = value;
            } else if (a == QLatin1String("--classes")) {
                o.classes = value;
            } else if (a == QLatin1String("--pupils")) {
                o.pupils = value;
            } else if (a == QLatin1String("--test")) {
                o.hasTest = true;
            } else {
                return QStringLiteral("%1 は %2 では使えません。").arg(a, o.report.isEmpty() ? args.at(0) : o.report);
            }
        } else if (a == QLatin1String("--graph")) {
            o.graph = true;
        } else if (a.startsWith(u'-')) {
            return QStringLiteral("不明なオプション %1").arg(a);
        } else if (!o.report.isEmpty()) {
            return QStringLiteral("帳票は一つだけ指定してください（%1 と %2）。").arg(o.report, a);
        } else {
            o.report = a;
        }
    }
    return QString();
}

// "2,1,3" as numbers; false for anything else.
bool parseNumbers(const QString& text, QList<int>& out)
{
    const std::optional<QList<int>> numbers = ParseNumberList(text);
    out = numbers.value_or(QList<int>());
    return numbers.has_value();
}

QString classCaption(const GradeData& gd, int c)
{
    return (c >= 1 && c <= gd.classCount ? gd.classLabel(c) : QString::number(c)) + QStringLiteral("組");
}

// seiseki and tsuchi.
int runReportCards(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Options o;
    if (const QString problem = parse(args, o); !problem.isEmpty()) return fail(err, problem);
    const bool notice = o.report == QLatin1String("tsuchi");
    if (o.report != QLatin1String("seiseki") && !notice)
        return fail(err, QStringLiteral("不明な帳票「%1」です。").arg(o.report));
    if (o.hasTest)
        return fail(err, QStringLiteral("%1 は --test を使いません。--tests でテストを並べてください。").arg(o.report));
    if (o.data.isEmpty() || o.grade == 0 || o.tests.isEmpty())
        return fail(err, QStringLiteral("--data、--grade と --tests が要ります。\n") + ReportUsageHint());
    if (const QString choice = SheetOutputProblem(o.output); !choice.isEmpty()) return fail(err, choice);
    if (o.grade < 1 || o.grade > 3) return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(o.grade));
    if (notice && o.graph)
        return fail(err, QStringLiteral("--graph は seiseki だけで使えます。tsuchi は --graph-tests です。"));
    if (!notice && (!o.graphTests.isEmpty() || !o.pupils.isEmpty()))
        return fail(err, QStringLiteral("--graph-tests と --pupils は tsuchi だけで使えます。"));
    if (!o.pupils.isEmpty() && !o.classes.isEmpty())
        return fail(err, QStringLiteral("--classes と --pupils は一緒に使えません。"));
    const QFileInfo folder(o.data);
    if (!folder.isDir()) return fail(err, QStringLiteral("データフォルダ「%1」がありません。").arg(o.data));

    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!gd->dataFolder.endsWith(QDir::separator())) gd->dataFolder += QDir::separator();
    gd->currentGrade = o.grade;
    if (Result r = LoadTestList(*gd); !r) return fail(err, r.message);
    if (Result r = LoadSubjectList(*gd); !r) return fail(err, r.message);

    QList<int> tests;
    if (!parseNumbers(o.tests, tests))
        return fail(err, QStringLiteral("--tests の値「%1」はテストの番号の並びではありません。").arg(o.tests));
    for (int k = 0; k < tests.size(); ++k) {
        const int t = tests.at(k);
        if (t < 1 || t > gd->testCount)
            return fail(err, QStringLiteral("テスト %1 はありません（%2年のテストは 1～%3）。")
                                 .arg(t)
                                 .arg(o.grade)
                                 .arg(gd->testCount));
    }
    if (const QString repeated = RepeatedTestProblem(tests); !repeated.isEmpty()) return fail(err, repeated);
    QList<int> graphed;
    if (!o.graphTests.isEmpty()) {
        QList<int> graphTests;
        if (!parseNumbers(o.graphTests, graphTests))
            return fail(
                err, QStringLiteral("--graph-tests の値「%1」はテストの番号の並びではありません。").arg(o.graphTests));
        if (const QString repeated = RepeatedTestProblem(graphTests); !repeated.isEmpty()) return fail(err, repeated);
        for (int t : graphTests) {
            const int pos = int(tests.indexOf(t));
            if (pos < 0) return fail(err, QStringLiteral("グラフのテスト %1 は --tests にありません。").arg(t));
            graphed.append(pos);
        }
        // Graph numbers follow the order of the printed tests.
        std::sort(graphed.begin(), graphed.end());
    }

    CardPupils pupils;
    if (!o.classes.isEmpty()) {
        if (!parseNumbers(o.classes, pupils.classes))
            return fail(err, QStringLiteral("--classes の値「%1」は組の番号の並びではありません。").arg(o.classes));
        for (int c : pupils.classes)
            if (c < 1 || c > gd->classCount)
                return fail(err, QStringLiteral("%1はありません（%2年は %3 組まで）。")
                                     .arg(classCaption(*gd, c))
                                     .arg(o.grade)
                                     .arg(gd->classCount));
    } else {
        for (int c = 1; c <= gd->classCount; ++c)
            pupils.classes.append(c);
    }

    TestSeries series;
    if (Result r = ReadTestSeries(*gd, tests, series, NullProgress::instance()); !r) return fail(err, r.message);

    if (!o.pupils.isEmpty()) {
        pupils.chosenOnly = true;
        for (const QString& part : o.pupils.split(u',')) {
            const QStringList cn = part.trimmed().split(u'-');
            bool okClass = false;
            bool okNumber = false;
            const int c = cn.size() == 2 ? cn.at(0).toInt(&okClass) : 0;
            const int a = cn.size() == 2 ? cn.at(1).toInt(&okNumber) : 0;
            if (!okClass || !okNumber)
                return fail(err, QStringLiteral("--pupils の「%1」は 組-番 ではありません（例 1-5）。").arg(part));
            if (series.pupilAt(c, a) < 0)
                return fail(err, QStringLiteral("%1%2番の生徒は在籍していません。").arg(classCaption(*gd, c)).arg(a));
            pupils.chosen.insert(CardPupils::seat(c, a));
        }
    }

    const QPageLayout paper = notice ? NotificationCardPaperLayout() : PrintableAreaPaperLayout();
    const QSizeF sheet = SheetCells(paper);
    const QString fit = notice ? NotificationCardFitProblem(sheet, int(tests.size()), int(graphed.size()))
                               : TestCardFitProblem(sheet, int(tests.size()), o.graph);
    if (!fit.isEmpty()) return fail(err, fit);

    auto draw = [&](PageCanvas& canvas) {
        return notice ? PrintNotificationCards(canvas, *gd, series, graphed, pupils)
                      : PrintTestCards(canvas, *gd, series, pupils, o.graph);
    };
    SheetOutput output = o.output;
    output.documentName = o.report;
    output.paper = paper;
    output.nothingDrawn = QStringLiteral("印刷する生徒がいません。");
    return WriteReportSheets(output, *gd, draw, out, err);
}
} // namespace

QList<CommandEntry> ReportCardCommands()
{
    const CommandOption tests{QStringLiteral("--tests"), QStringLiteral("LIST"),
                              QStringLiteral("印刷するテストの番号を表の順に (例 2,1,3)")};
    const CommandOption classes{QStringLiteral("--classes"), QStringLiteral("LIST"),
                                QStringLiteral("印刷する組 (例 1,3、省略するとすべての組)")};
    return {{QStringLiteral("seiseki"),
             QStringLiteral("テスト成績表 (A4 縦、1枚に数人、--tests が要ります)"),
             {tests, classes, {QStringLiteral("--graph"), QString(), QStringLiteral("合計グラフを付ける")}},
             runReportCards},
            {QStringLiteral("tsuchi"),
             QStringLiteral("テスト成績表(通知票用) (JIS B5 縦、1人1枚、--tests が要ります)"),
             {tests,
              {QStringLiteral("--graph-tests"), QStringLiteral("LIST"),
               QStringLiteral("グラフにするテスト (--tests の中から)")},
              classes,
              {QStringLiteral("--pupils"), QStringLiteral("LIST"),
               QStringLiteral("印刷する生徒 (組-番 の並び、例 1-5,3-12)")}},
             runReportCards}};
}

} // namespace seiran
