#include "SubjectScoreCells.h"

#include "GradeData.h"
#include "Helpers.h"
#include "RosterFile.h"
#include "ScoreCells.h"

namespace seiran {

QString SubjectScoreHeading(const GradeData& gd, int subject)
{
    const QString name = subject >= 1 && subject <= Limits::Subjects ? gd.subjectNames[subject] : QString();
    return QStringLiteral("点数の入力（教科別）　") + QString::number(gd.currentGrade) + QStringLiteral("年 ") + name;
}

QStringList SubjectScoreHeaders(const GradeData& gd, const SubjectScores& table)
{
    QStringList headers;
    for (int test : table.tests)
        headers << (test >= 1 && test <= Limits::Tests ? gd.testShortNames[test] : QString());
    return headers;
}

QString SubjectScoreCellText(int value)
{
    if (value < ScoreCode::Absent && value > ScoreCode::BracketBase) return QString();
    return ScoreToCellText(value);
}

Result ConvertCellsToSubjectScores(const GradeData& gd, SubjectScores& table, const SubjectScoreCellFn& cell)
{
    const int columns = table.columnCount();
    for (int i = 1; i <= gd.studentCount; ++i) {
        for (int t = 1; t <= columns; ++t) {
            const QString text = cell(i, t);
            if (text != SubjectScoreCellText(table.loaded(t, i)) && !ScoreCellValue(text)) {
                const int test = table.tests.at(t - 1);
                return Result::failure(
                    QStringLiteral("%1組 %2番 %3 の%4「%5」は点数として保存できる範囲を超えています。\n"
                                   "直してから入力終了してください。")
                        .arg(gd.classLabel(gd.studentClass[i]))
                        .arg(gd.studentNumber[i])
                        .arg(gd.studentName[i], gd.testShortNames[test], text.trimmed()));
            }
        }
    }
    for (int i = 1; i <= gd.studentCount; ++i) {
        for (int t = 1; t <= columns; ++t) {
            const QString text = cell(i, t);
            table.values(t, i) =
                text == SubjectScoreCellText(table.loaded(t, i)) ? table.loaded(t, i) : *ScoreCellValue(text);
        }
    }
    return Result::success();
}

} // namespace seiran
