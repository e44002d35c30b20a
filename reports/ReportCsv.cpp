#include "ReportCsv.h"

#include "DeviationReport.h"
#include "GradeData.h"
#include "Helpers.h"
#include "RankReport.h"
#include "RawScoreReport.h"

#include <algorithm>
#include <optional>

namespace seiran {

namespace {
int subjectCountOf(const GradeData& gd)
{
    return std::clamp(gd.currentTestSubjectCount(), 0, Limits::TestSubjects);
}

int classCountOf(const GradeData& gd)
{
    return std::clamp(gd.classCount, 0, Limits::Classes);
}

QString scoreText(int value)
{
    if (value >= 0) return QString::number(value);
    return value == ScoreCode::NotEntered ? QString() : QStringLiteral("欠");
}

QString averageText(const std::optional<double>& value)
{
    return value ? DeviationText(*value) : QString();
}

QStringList subjectHeaders(const GradeData& gd)
{
    QStringList names;
    for (int j = 1; j <= subjectCountOf(gd); ++j)
        names << gd.subjectNames[j].trimmed();
    return names << QStringLiteral("5教科");
}
} // namespace

QList<QStringList> RawScoreCsvRows(const GradeData& gd)
{
    const int n = subjectCountOf(gd);
    QList<QStringList> rows{QStringList{QStringLiteral("組"), QStringLiteral("番"), QStringLiteral("氏名")} +
                            subjectHeaders(gd) + QStringList{QStringLiteral("学年順位"), QStringLiteral("組順位")}};
    for (int c = 1; c <= classCountOf(gd); ++c) {
        for (int k = 0; k < RawScoreClassSize(gd, c); ++k) {
            const int s = gd.classStart[c] + k;
            QStringList row{gd.classLabel(c), QString::number(gd.studentNumber[s]), gd.studentName[s].trimmed()};
            for (int j = 1; j <= n; ++j)
                row << scoreText(gd.scores(j, s));
            const int total = gd.scores(n + 1, s);
            if (total < 0)
                row << QString() << QString() << QString();
            else
                row << QString::number(total) << QString::number(gd.scores(n + 2, s))
                    << QString::number(gd.scores(n + 3, s));
            rows << row;
        }
    }
    return rows;
}

QList<QStringList> AverageCsvRows(const GradeData& gd, bool withDeviation)
{
    const int n = subjectCountOf(gd);
    QList<QStringList> rows{QStringList{QStringLiteral("組"), QStringLiteral("区分")} + subjectHeaders(gd)};
    static const QString sexes[3] = {QStringLiteral("全体"), QStringLiteral("男子"), QStringLiteral("女子")};
    const auto group = [&](int g, const QString& label) {
        for (int x = 0; x <= 2; ++x) {
            QStringList row{label, sexes[x]};
            for (int j = 1; j <= n + 1; ++j)
                row << averageText(gd.average(g, j, x));
            rows << row;
        }
    };
    for (int c = 1; c <= classCountOf(gd); ++c)
        group(c, gd.classLabel(c) + QStringLiteral("組"));
    group(0, QStringLiteral("学年"));
    QStringList maxima{QStringLiteral("学年"), QStringLiteral("最高点")};
    for (int j = 1; j <= n + 1; ++j) {
        // As printed: a column whose scores are all 0 has the maximum 0.
        maxima << (gd.gradeMax[j]        ? QString::number(*gd.gradeMax[j])
                   : gd.average(0, j, 0) ? QStringLiteral("0")
                                         : QString());
    }
    rows << maxima;
    if (withDeviation) {
        const DeviationTable table = ComputeDeviationTable(gd);
        QStringList row{QStringLiteral("学年"), QStringLiteral("標準偏差")};
        for (int j = 1; j <= n + 1; ++j)
            row << averageText(table.grade.at(j).standardDeviation());
        rows << row;
    }
    return rows;
}

QList<QStringList> RankCsvRows(const GradeData& gd, const QList<int>& items)
{
    QList<QStringList> rows{{QStringLiteral("項目"), QStringLiteral("順位"), QStringLiteral("組"), QStringLiteral("番"),
                             QStringLiteral("氏名"), QStringLiteral("点数")}};
    for (int item : items) {
        if (item < 1 || item > gd.itemCount) continue;
        const RankList list = RankItem(gd, item);
        RankState state = StartRanking(list);
        for (int i = 1; i <= list.count(); ++i) {
            const int s = list.pupil[std::size_t(i)];
            const int v = list.score[std::size_t(i)];
            // Competition numbering as printed: equal scores share the first one's rank.
            QString rank;
            if (v >= 0) {
                if (v != state.previousScore) {
                    state.previousScore = v;
                    state.rankNumber = i;
                }
                rank = QString::number(state.rankNumber);
            }
            rows << QStringList{gd.itemCaption[item].trimmed(),    rank,
                                gd.classLabel(gd.studentClass[s]), QString::number(gd.studentNumber[s]),
                                gd.studentName[s].trimmed(),       v < 0 ? QStringLiteral("欠席") : QString::number(v)};
        }
    }
    return rows;
}

} // namespace seiran
