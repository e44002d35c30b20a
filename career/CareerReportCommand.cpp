#include "CareerReportCommand.h"

#include "GradeData.h"
#include "GuidanceMaterials.h"
#include "ListFiles.h"
#include "Notice.h"
#include "PageCanvas.h"
#include "Progress.h"
#include "ReportCommand.h"
#include "RosterFile.h"
#include "TargetSchoolLists.h"
#include "TestListOption.h"

#include <QCoreApplication>
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

Draw prepare(const ReportRequest& request, GradeData& gd, QTextStream& err, QString& problem)
{
    const QString& report = request.report;
    const bool guidance = report.startsWith(QLatin1String("sinro-"));
    const bool perClass = report.endsWith(QLatin1String("-class"));
    if (!guidance) {
        for (auto it = request.extras.cbegin(); it != request.extras.cend(); ++it) {
            problem = QStringLiteral("%1 は %2 では使えません（sinro-class, sinro-grade, sinro-school だけ）。")
                          .arg(it.key(), report);
            return {};
        }
    }
    if (request.classNo != 0 && !perClass) {
        problem = QStringLiteral("--class は %1 では使えません。").arg(report);
        return {};
    }

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
    if (request.extras.contains(TestsOption)) {
        options.tests = ParseTestList(request.extras.value(TestsOption), gd.testCount, problem);
        if (!problem.isEmpty()) return {};
    }
    options.secondChoices = request.extras.contains(SecondOption);
    options.testsOnly = request.extras.contains(NoNaishinOption);
    options.subjectMultipliers = request.extras.contains(NoSchoolWeightsOption);
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

void AddCareerReports()
{
    static bool added = false;
    if (added) return;
    added = true;
    ReportExtension e;
    e.reports =
        QStringList{QStringLiteral("sibo-class"),  QStringLiteral("sibo-points"), QStringLiteral("sibo-schools"),
                    QStringLiteral("sinro-class"), QStringLiteral("sinro-grade"), QStringLiteral("sinro-school")};
    e.helpLines = QStringList{
        QStringLiteral("  sibo-class    クラス別　進路希望・内申点 一覧表 (組ごとに1枚、--class C でその組だけ)"),
        QStringLiteral("  sibo-points   内申点別人数一覧表 (1枚)"),
        QStringLiteral("  sibo-schools  志望校別人数一覧 (第１志望)"),
        QStringLiteral("  sinro-class   クラス別 得点・内申点・志望校一覧 (組ごと、--class C でその組だけ)"),
        QStringLiteral("  sinro-grade   学年全体順位表"),
        QStringLiteral("  sinro-school  志望校別 順位表")};
    e.optionHelp = QStringList{
        QStringLiteral("  --tests LIST  sinro-*: 処理するテストの番号をコンマで区切って (例 1,3,4; 13まで)"),
        QStringLiteral("  --second      sinro-*: 志望校別順位に第２志望も含める"),
        QStringLiteral("  --no-naishin  sinro-*: テスト点のみで処理する（内申点なし）"),
        QStringLiteral("  --no-school-weights  sinro-*: 志望校別順位の内申点に学校別倍率を使わない"),
        QStringLiteral("  --class C     sibo-class, sinro-class でも使えます (その組だけ)")};
    e.valueOptions = QStringList{TestsOption};
    e.flagOptions = QStringList{SecondOption, NoNaishinOption, NoSchoolWeightsOption};
    e.prepare = prepare;
    AddReportExtension(e);
}

} // namespace seiran
