#include "HyoteiCommand.h"

#include "Evaluation.h"
#include "GradeData.h"
#include "Helpers.h"
#include "HyoteiPrint.h"
#include "ListFiles.h"
#include "PainterCanvas.h"
#include "PrintTarget.h"
#include "Progress.h"
#include "RecordingCanvas.h"
#include "ReportCommon.h"
#include "ReportOutput.h"
#include "ScoreCells.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <memory>

namespace seiran {

namespace {

const QStringList& valueOptions()
{
    static const QStringList options{
        QStringLiteral("--data"),    QStringLiteral("--grade"),   QStringLiteral("--test"),
        QStringLiteral("--class"),   QStringLiteral("--item"),    QStringLiteral("--subject"),
        QStringLiteral("--weights"), QStringLiteral("--classes"), QStringLiteral("--sex"),
        QStringLiteral("--method"),  QStringLiteral("--counts"),  QStringLiteral("--levels"),
        QStringLiteral("--marks"),   QStringLiteral("--view"),    QStringLiteral("--print")};
    return options;
}

struct Options
{
    QString data;
    QString grade;
    QString subject;
    QString weights;
    QString classes;
    QString sex;
    QString method;
    QString counts;
    QString levels;
    QString marks;
    QString view;
    QString print;
    SheetOutput output;
    bool tsv = false;
    bool names = false;
    QSet<QString> given;
};

int fail(QTextStream& err, const QString& message)
{
    return ReportCommandFailure(err, message);
}

QString parse(const QStringList& args, Options& o)
{
    bool command = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--test") || a == QLatin1String("--class") || a == QLatin1String("--item"))
            return QStringLiteral("%1 は hyotei では使えません。").arg(a);
        if (QString problem; ReadSheetOutputOption(args, i, o.output, problem)) {
            if (!problem.isEmpty()) return problem;
        } else if (valueOptions().contains(a)) {
            if (i + 1 >= args.size()) return QStringLiteral("%1 の後に値がありません。").arg(a);
            if (o.given.contains(a)) return QStringLiteral("%1 が二度指定されています。").arg(a);
            o.given.insert(a);
            const QString v = args.at(++i);
            QString* target = a == QLatin1String("--data")      ? &o.data
                              : a == QLatin1String("--grade")   ? &o.grade
                              : a == QLatin1String("--subject") ? &o.subject
                              : a == QLatin1String("--weights") ? &o.weights
                              : a == QLatin1String("--classes") ? &o.classes
                              : a == QLatin1String("--sex")     ? &o.sex
                              : a == QLatin1String("--method")  ? &o.method
                              : a == QLatin1String("--counts")  ? &o.counts
                              : a == QLatin1String("--levels")  ? &o.levels
                              : a == QLatin1String("--marks")   ? &o.marks
                              : a == QLatin1String("--view")    ? &o.view
                                                                : &o.print;
            *target = v;
        } else if (a == QLatin1String("--tsv")) {
            o.tsv = true;
        } else if (a == QLatin1String("--names")) {
            o.names = true;
        } else if (a.startsWith(u'-')) {
            return QStringLiteral("不明なオプション %1").arg(a);
        } else if (a == QLatin1String("hyotei") && !command) {
            command = true;
        } else {
            return QStringLiteral("hyotei の後に帳票の名前「%1」は指定できません。").arg(a);
        }
    }
    return QString();
}

// A whole number in lo..hi; nullopt for any other text.
std::optional<int> wholeNumber(const QString& text, int lo, int hi)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (!digits.match(text).hasMatch()) return std::nullopt;
    const int v = text.toInt();
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

struct PupilEdit
{
    int classNo = 0;
    int number = 0;
    int value = 0;
};

// "C-N=V" items of --levels and --marks.
QString parsePupilEdits(const QString& option, const QString& text, const GradeData& gd, int lo, int hi,
                        const QString& what, QList<PupilEdit>& edits)
{
    static const QRegularExpression item(QStringLiteral("^([0-9]+)-([0-9]+)=(.*)$"));
    QSet<QPair<int, int>> seen;
    for (const QString& part : text.split(u',')) {
        const QRegularExpressionMatch m = item.match(part.trimmed());
        if (!m.hasMatch()) return QStringLiteral("%1 の「%2」は 組-番=値 の形ではありません。").arg(option, part);
        const auto c = wholeNumber(m.captured(1), 1, gd.classCount);
        if (!c) return QStringLiteral("%1組はありません（1～%2）。").arg(m.captured(1)).arg(gd.classCount);
        const auto n = wholeNumber(m.captured(2), 1, 60);
        if (!n) return QStringLiteral("%1組%2番の生徒はいません。").arg(gd.classLabel(*c), m.captured(2));
        const auto v = wholeNumber(m.captured(3), lo, hi);
        if (!v)
            return QStringLiteral("%1 の%2「%3」は不正です（%4～%5）。")
                .arg(option, what, m.captured(3))
                .arg(lo)
                .arg(hi);
        if (seen.contains({*c, *n}))
            return QStringLiteral("%1 に %2組%3番が二度あります。").arg(option, gd.classLabel(*c)).arg(*n);
        seen.insert({*c, *n});
        edits.append(PupilEdit{*c, *n, *v});
    }
    return QString();
}

} // namespace

int RunHyoteiCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Options o;
    if (const QString problem = parse(args, o); !problem.isEmpty())
        return fail(err, problem + u'\n' + ReportUsageHint());
    if (o.data.isEmpty() || o.grade.isEmpty() || o.subject.isEmpty() || !o.given.contains(QStringLiteral("--weights")))
        return fail(err, QStringLiteral("--data、--grade、--subject と --weights が要ります。\n") + ReportUsageHint());
    if (const QString choice = SheetOutputProblem(o.output, int(o.tsv), QStringLiteral("--tsv")); !choice.isEmpty())
        return fail(err, choice);
    if (!o.view.isEmpty() && !o.tsv) return fail(err, QStringLiteral("--view は --tsv と使います。"));
    if (o.names && !o.tsv) return fail(err, QStringLiteral("--names は --tsv と使います。"));
    if (!o.print.isEmpty() && o.tsv)
        return fail(err, QStringLiteral("--print は --dump、--pdf か --printer と使います。"));
    const QString view = o.view.isEmpty() ? QStringLiteral("score") : o.view;
    if (view != QLatin1String("score") && view != QLatin1String("number") && view != QLatin1String("distribution"))
        return fail(err, QStringLiteral("--view は score, number, distribution のどれかです。"));
    if (o.names && view == QLatin1String("distribution"))
        return fail(err, QStringLiteral("--names は score か number の表と使います。"));
    HyoteiPrintSet printSet;
    if (!o.print.isEmpty() && !HyoteiPrintSet::fromDigits(o.print, printSet))
        return fail(err, QStringLiteral("--print は 1～4 の数字で指定してください（%1）。").arg(o.print));
    const auto grade = wholeNumber(o.grade, 1, 3);
    if (!grade) return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(o.grade));
    const auto sex = o.sex.isEmpty() ? std::optional<int>(0) : wholeNumber(o.sex, 0, 2);
    if (!sex) return fail(err, QStringLiteral("--sex は 0, 1, 2 のどれかです（%1）。").arg(o.sex));
    const auto method = o.method.isEmpty() ? std::optional<int>(0) : wholeNumber(o.method, 0, 2);
    if (!method) return fail(err, QStringLiteral("--method は 0, 1, 2 のどれかです（%1）。").arg(o.method));
    if (!o.counts.isEmpty() && *method != EvaluationMethod::TypedCounts)
        return fail(err, QStringLiteral("--counts は --method 2 のときだけ使えます。"));
    const QFileInfo folder(o.data);
    if (!folder.isDir()) return fail(err, QStringLiteral("データフォルダ「%1」がありません。").arg(o.data));

    // Load as the main window does before the evaluation setup opens.
    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!gd->dataFolder.endsWith(QDir::separator())) gd->dataFolder += QDir::separator();
    gd->currentGrade = *grade;
    if (Result r = LoadTestList(*gd); !r) return fail(err, r.message);
    if (Result r = LoadSubjectList(*gd); !r) return fail(err, r.message);

    EvaluationChoice choice;
    const auto subject = wholeNumber(o.subject, 1, gd->subjectCount);
    if (!subject)
        return fail(err, QStringLiteral("教科 %1 はありません（%2年の教科は 1～%3）。")
                             .arg(o.subject)
                             .arg(*grade)
                             .arg(gd->subjectCount));
    choice.subject = *subject;
    const QString subjectName = gd->subjectNames[*subject].trimmed();

    // Weights, by test number; the grid lists the covering tests in test-list order.
    const QList<int> covering = TestsCoveringSubject(*gd, *subject - 1);
    QMap<int, QString> weightOf;
    static const QRegularExpression weightItem(QStringLiteral("^([0-9]+)=([0-9.]*)$"));
    if (!o.weights.trimmed().isEmpty()) {
        for (const QString& part : o.weights.split(u',')) {
            const QRegularExpressionMatch m = weightItem.match(part.trimmed());
            if (!m.hasMatch())
                return fail(err, QStringLiteral("--weights の「%1」は テスト番号=倍率 の形ではありません"
                                                "（倍率は数字と「.」だけ）。")
                                     .arg(part));
            const auto t = wholeNumber(m.captured(1), 1, gd->testCount);
            if (!t)
                return fail(err, QStringLiteral("テスト %1 はありません（%2年のテストは 1～%3）。")
                                     .arg(m.captured(1))
                                     .arg(*grade)
                                     .arg(gd->testCount));
            if (!covering.contains(*t))
                return fail(err, QStringLiteral("テスト %1「%2」には教科「%3」がありません。")
                                     .arg(*t)
                                     .arg(gd->testNames[*t].trimmed(), subjectName));
            if (weightOf.contains(*t)) return fail(err, QStringLiteral("テスト %1 が二度指定されています。").arg(*t));
            weightOf.insert(*t, m.captured(2));
        }
    }
    for (int t : covering)
        choice.rows.append({t, weightOf.value(t)});

    // Classes: all unless named.
    for (int c = 1; c <= gd->classCount; ++c)
        choice.classTicks.append(o.classes.isEmpty() ? 1 : 0);
    if (!o.classes.isEmpty() && o.classes != QLatin1String("none")) {
        for (const QString& part : o.classes.split(u',')) {
            const auto c = wholeNumber(part.trimmed(), 1, gd->classCount);
            if (!c) return fail(err, QStringLiteral("%1組はありません（1～%2）。").arg(part).arg(gd->classCount));
            if (choice.classTicks[*c - 1] == 1)
                return fail(err, QStringLiteral("%1組が二度指定されています。").arg(gd->classLabel(*c)));
            choice.classTicks[*c - 1] = 1;
        }
    }

    // Typed counts of levels 10 down to 1.
    choice.counts = QStringList(MaxLevel);
    if (!o.counts.isEmpty()) {
        static const QRegularExpression countItem(QStringLiteral("^([0-9]+)=([0-9]+)$"));
        QSet<int> seen;
        for (const QString& part : o.counts.split(u',')) {
            const QRegularExpressionMatch m = countItem.match(part.trimmed());
            const auto level = m.hasMatch() ? wholeNumber(m.captured(1), 1, MaxLevel) : std::nullopt;
            const auto count = m.hasMatch() ? wholeNumber(m.captured(2), 0, Limits::Students) : std::nullopt;
            if (!level || !count)
                return fail(err, QStringLiteral("--counts の「%1」は不正です（評定 1～10 = 人数 0～400）。").arg(part));
            if (seen.contains(*level))
                return fail(err, QStringLiteral("--counts に評定 %1 が二度あります。").arg(*level));
            seen.insert(*level);
            choice.counts[MaxLevel - *level] = QString::number(*count);
        }
    }
    choice.sex = *sex;
    choice.method = *method;

    QList<PupilEdit> levelEdits;
    QList<PupilEdit> markEdits;
    if (!o.levels.isEmpty()) {
        if (QString p =
                parsePupilEdits(QStringLiteral("--levels"), o.levels, *gd, 1, 10, QStringLiteral("評定"), levelEdits);
            !p.isEmpty())
            return fail(err, p);
    }
    if (!o.marks.isEmpty()) {
        if (QString p = parsePupilEdits(QStringLiteral("--marks"), o.marks, *gd, 0, 2, QStringLiteral("印"), markEdits);
            !p.isEmpty())
            return fail(err, p);
    }

    StoreEvaluationSettings(*gd, choice);
    if (gd->selectedItemCount == 0) return fail(err, QStringLiteral("倍率が 0 より大きいテストがありません。"));
    EvaluationOutcome outcome = ComputeEvaluation(*gd, NullProgress::instance());
    if (!outcome.result) return fail(err, outcome.result.message);
    EvaluationRun& run = *outcome.run;

    for (const PupilEdit& e : levelEdits) {
        const int p = run.pupilAt(e.classNo, e.number);
        if (p == 0)
            return fail(
                err,
                QStringLiteral("%1組%2番はこの評定の対象にいません。").arg(gd->classLabel(e.classNo)).arg(e.number));
        QString text;
        ApplyLevelKey(run, p, e.value == 10 ? '0' : '0' + e.value, text);
    }
    for (const PupilEdit& e : markEdits) {
        const int p = run.pupilAt(e.classNo, e.number);
        if (p == 0)
            return fail(
                err,
                QStringLiteral("%1組%2番はこの評定の対象にいません。").arg(gd->classLabel(e.classNo)).arg(e.number));
        run.evalMark[p] = e.value;
    }

    if (o.tsv) {
        QList<QStringList> table;
        if (view == QLatin1String("distribution"))
            table = HyoteiDistributionTable(*gd, run);
        else
            table =
                HyoteiListTable(*gd, run, view == QLatin1String("number") ? HyoteiOrder::Number : HyoteiOrder::Score);
        const CellTextFn cell = [&table](int r, int c) { return table.at(r).value(c); };
        const CellRange all{0, 0, int(table.size()) - 1, int(table.first().size()) - 1};
        // The two heading rows name no pupil: their identifier field stays empty.
        constexpr int firstPupilRow = 2;
        out << (o.names ? BuildCopyTextWithNames(cell, all, gd->currentGrade, firstPupilRow)
                        : BuildCopyText(cell, all));
        out.flush();
        return 0;
    }

    SheetOutput output = o.output;
    output.documentName = QStringLiteral("hyotei");
    return WriteReportSheets(
        output, *gd,
        [&](PageCanvas& canvas) { return PrintHyoteiDocuments(canvas, *gd, run, printSet, NullProgress::instance()); },
        out, err);
}

QList<CommandEntry> EvaluationReportCommands()
{
    const QList<CommandOption> options{
        {QStringLiteral("--subject"), QStringLiteral("S"), QStringLiteral("評定する教科 (教科一覧の何番目か、1から)")},
        {QStringLiteral("--weights"), QStringLiteral("T=W,…"),
         QStringLiteral("テスト番号=倍率 (倍率 0 または空のテストは使わない)")},
        {QStringLiteral("--classes"), QStringLiteral("LIST"),
         QStringLiteral("対象クラス (省略するとすべて、none で対象なし)")},
        {QStringLiteral("--sex"), QStringLiteral("0|1|2"), QStringLiteral("0 男・女両方, 1 男子のみ, 2 女子のみ")},
        {QStringLiteral("--method"), QStringLiteral("0|1|2"),
         QStringLiteral("0 自動５段階, 1 自動１０段階, 2 人数指定")},
        {QStringLiteral("--counts"), QStringLiteral("L=N,…"), QStringLiteral("評定=人数 (--method 2 のとき)")},
        {QStringLiteral("--levels"), QStringLiteral("C-N=L,…"), QStringLiteral("組-番=評定 (1～10) の手直し")},
        {QStringLiteral("--marks"), QStringLiteral("C-N=M,…"), QStringLiteral("組-番=印 (0 なし, 1 ○, 2 △)")},
        {QStringLiteral("--tsv"), QString(), QStringLiteral("「Copy」と同じタブ区切りの表を標準出力に書く")},
        {QStringLiteral("--view"), QStringLiteral("VIEW"),
         QStringLiteral("--tsv の表: score 点数順 (既定), number 出席番号順, distribution 人数分布")},
        {QStringLiteral("--names"), QString(), QStringLiteral("--tsv で「名Copy」(名前付き) の表")},
        {QStringLiteral("--print"), QStringLiteral("DIGITS"),
         QStringLiteral("印刷する文書: 1 点数順, 2 出席番号順, 3 クラス別, 4 人数分布 (既定 134)")}};
    return {{QStringLiteral("hyotei"), QStringLiteral("評定の算出と印刷 (--subject と --weights が要ります)"), options,
             RunHyoteiCommand}};
}

} // namespace seiran
