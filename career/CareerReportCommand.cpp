#include "CareerReportCommand.h"

#include "GradeData.h"
#include "GuidanceMaterials.h"
#include "ListFiles.h"
#include "Notice.h"
#include "PageCanvas.h"
#include "Progress.h"
#include "ReportOutput.h"
#include "RosterFile.h"
#include "TargetSchoolLists.h"
#include "TestListOption.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <memory>

namespace seiran {

namespace {
const QString TestsOption = QStringLiteral("--tests");
const QString SecondOption = QStringLiteral("--second");
const QString NoNaishinOption = QStringLiteral("--no-naishin");
const QString NoSchoolWeightsOption = QStringLiteral("--no-school-weights");

// The fall-back notice of the high-school list goes to standard error.
class StreamNotice final : public INotice
{
public:
    explicit StreamNotice(QTextStream& err) : mErr(err) {}
    void notice(const QString& text) override
    {
        mErr << "seiran-report: " << text << '\n';
        mErr.flush();
    }

private:
    QTextStream& mErr;
};

using Draw = std::function<int(PageCanvas&)>;

// What a career report is asked for on the command line.
struct ReportRequest
{
    QString report;
    int classNo = 0; // --class, 0 when not given
    ParsedCommandLine line;
};

Draw prepare(const ReportRequest& request, GradeData& gd, QTextStream& err, QString& problem)
{
    const QString& report = request.report;
    const bool guidance = report.startsWith(QLatin1String("sinro-"));

    auto failWith = [&problem](const QString& message) {
        problem = message;
        return Draw{};
    };
    // Load as the menu does before opening the career screens.
    if (Result r = LoadTestList(gd); !r) return failWith(r.message);
    if (Result r = LoadSubjectList(gd); !r) return failWith(r.message);
    if (Result r = LoadCareerChoices(gd, NullProgress::instance()); !r) return failWith(r.message);
    StreamNotice notice(err);
    if (Result r = LoadHighSchoolList(gd, QCoreApplication::applicationDirPath(), notice); !r)
        return failWith(r.message);
    if (Result r = LoadNaishin(gd, NullProgress::instance()); !r) return failWith(r.message);

    if (request.classNo != 0 && (request.classNo < 1 || request.classNo > gd.classCount)) {
        problem = QStringLiteral("%1組はありません（%2年は %3 組まで）。")
                      .arg(request.classNo)
                      .arg(gd.currentGrade)
                      .arg(gd.classCount);
        return {};
    }
    QList<int> classes;
    for (int c = 1; c <= gd.classCount; ++c)
        if (request.classNo == 0 || request.classNo == c) classes.append(c);

    if (!guidance) {
        TargetSchoolSelection selection;
        selection.classSheets = report == QLatin1String("sibo-class");
        selection.pointTable = report == QLatin1String("sibo-points");
        selection.applicants = report == QLatin1String("sibo-schools");
        selection.classes = classes;
        return [&gd, selection](PageCanvas& canvas) { return PrintTargetSchoolLists(canvas, gd, selection); };
    }

    GuidanceOptions options;
    if (request.line.has(TestsOption)) {
        options.tests = ParseTestList(request.line.value(TestsOption), gd.testCount, problem);
        if (!problem.isEmpty()) return {};
    }
    options.secondChoices = request.line.has(SecondOption);
    options.testsOnly = request.line.has(NoNaishinOption);
    options.subjectMultipliers = request.line.has(NoSchoolWeightsOption);
    problem = GuidanceOptionsProblem(gd, options);
    if (!problem.isEmpty()) return {};

    auto scores = std::make_shared<GuidanceScores>();
    if (Result r = LoadGuidanceScores(gd, options, *scores, NullProgress::instance()); !r) return failWith(r.message);
    GuidanceSelection selection;
    selection.classSheets = report == QLatin1String("sinro-class");
    selection.gradeRanking = report == QLatin1String("sinro-grade");
    selection.schoolRankings = report == QLatin1String("sinro-school");
    selection.classes = classes;
    return [&gd, options, scores, selection](PageCanvas& canvas) {
        return PrintGuidanceMaterials(canvas, gd, options, *scores, selection);
    };
}

int fail(QTextStream& err, const QString& message)
{
    return ReportCommandFailure(err, message);
}

// The options a career report takes besides the common ones.
QList<CommandOption> careerOptions(const QString& report)
{
    QList<CommandOption> options;
    if (report.endsWith(QLatin1String("-class")))
        options.append({QStringLiteral("--class"), QStringLiteral("C"), QStringLiteral("この組だけ")});
    if (report.startsWith(QLatin1String("sinro-")))
        options += QList<CommandOption>{
            {TestsOption, QStringLiteral("LIST"),
             QStringLiteral("処理するテストの番号をコンマで区切って (例 1,3,4; 13まで)")},
            {SecondOption, QString(), QStringLiteral("志望校別順位に第２志望も含める")},
            {NoNaishinOption, QString(), QStringLiteral("テスト点のみで処理する（内申点なし）")},
            {NoSchoolWeightsOption, QString(), QStringLiteral("志望校別順位の内申点に学校別倍率を使わない")}};
    return options;
}

int runCareerReport(const QStringList& args, QTextStream& out, QTextStream& err)
{
    // Read against every career option, so that one a report does not take is named as such.
    const QList<CommandOption> common = ReportCommonOptions();
    ParsedCommandLine line;
    QString problem =
        ParseCommandLine(args, common + careerOptions(QStringLiteral("sinro-class")), QStringLiteral("帳票"), line);
    if (!problem.isEmpty()) return fail(err, problem + u'\n' + ReportUsageHint());
    const QString& report = line.entry;
    const QList<CommandOption> own = careerOptions(report);
    for (auto it = line.values.cbegin(); it != line.values.cend(); ++it) {
        const auto named = [&it](const CommandOption& o) { return o.name == it.key(); };
        if (std::none_of(common.begin(), common.end(), named) && std::none_of(own.begin(), own.end(), named))
            return fail(err, QStringLiteral("%1 は %2 では使えません。").arg(it.key(), report));
    }
    if (!line.has(QStringLiteral("--data")) || !line.has(QStringLiteral("--grade")))
        return fail(err, QStringLiteral("--data と --grade が要ります。\n") + ReportUsageHint());
    SheetOutput output;
    if (const QString options = ReadSheetOutputOptions(line, output); !options.isEmpty()) return fail(err, options);
    if (const QString choice = SheetOutputProblem(output); !choice.isEmpty()) return fail(err, choice);
    bool ok = false;
    const int grade = line.value(QStringLiteral("--grade")).toInt(&ok);
    if (!ok || grade < 1 || grade > 3)
        return fail(err, QStringLiteral("学年 %1 はありません（1～3）。").arg(line.value(QStringLiteral("--grade"))));
    ReportRequest request{report, 0, line};
    if (line.has(QStringLiteral("--class"))) {
        request.classNo = line.value(QStringLiteral("--class")).toInt(&ok);
        if (!ok || request.classNo < 1)
            return fail(err, QStringLiteral("--class の値「%1」は組の番号ではありません。")
                                 .arg(line.value(QStringLiteral("--class"))));
    }
    const QString data = line.value(QStringLiteral("--data"));
    if (!QFileInfo(data).isDir()) return fail(err, QStringLiteral("データフォルダ「%1」がありません。").arg(data));

    auto gd = std::make_unique<GradeData>();
    gd->dataFolder = ReportDataFolder(data);
    gd->currentGrade = grade;
    const Draw draw = prepare(request, *gd, err, problem);
    if (!draw) return fail(err, problem.isEmpty() ? QStringLiteral("描くページがありません。") : problem);
    output.documentName = report;
    return WriteReportSheets(output, *gd, draw, out, err);
}
} // namespace

QList<int> ParseTestList(const QString& text, int testCount, QString& problem)
{
    QList<int> tests;
    if (text.trimmed().isEmpty()) return tests;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const int t = part.trimmed().toInt(&ok);
        if (!ok || t < 1 || t > testCount) {
            problem = testCount == 0 ? QStringLiteral("テスト一覧にテストがありません。")
                                     : QStringLiteral("--tests の「%1」はテストの番号ではありません（1～%2）。")
                                           .arg(part.trimmed())
                                           .arg(testCount);
            return {};
        }
        tests.append(t);
    }
    problem = RepeatedTestProblem(tests);
    if (!problem.isEmpty()) return {};
    std::sort(tests.begin(), tests.end());
    return tests;
}

QList<CommandEntry> CareerReportCommands()
{
    const QList<QPair<QString, QString>> reports{
        {QStringLiteral("sibo-class"), QStringLiteral("クラス別　進路希望・内申点 一覧表 (組ごとに1枚)")},
        {QStringLiteral("sibo-points"), QStringLiteral("内申点別人数一覧表 (1枚)")},
        {QStringLiteral("sibo-schools"), QStringLiteral("志望校別人数一覧 (第１志望)")},
        {QStringLiteral("sinro-class"), QStringLiteral("クラス別 得点・内申点・志望校一覧 (組ごと)")},
        {QStringLiteral("sinro-grade"), QStringLiteral("学年全体順位表")},
        {QStringLiteral("sinro-school"), QStringLiteral("志望校別 順位表")}};
    QList<CommandEntry> entries;
    for (const auto& [name, description] : reports)
        entries.append({name, description, careerOptions(name), runCareerReport});
    return entries;
}

} // namespace seiran
