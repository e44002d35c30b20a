#pragma once

// Grades on disk for the evaluation tests: pupils with scores of the first subject (国語) in
// each of the three standard tests, and settings that weight them.

#include "Evaluation.h"
#include "Progress.h"
#include "RosterFile.h"
#include "StudentRecord.h"
#include "TestSupport.h"

#include <QList>
#include <QString>
#include <QtTest>

namespace seiran::test {

struct EvalPupil
{
    int classNo = 1;
    int number = 1;
    QString name;
    int sex = 1;
    QList<int> scores; // subject 1 in tests 1, 2, 3; missing ones stay -5
    int flag = StudentRecord::InUse;
};

// Writes the standard lists for `classes` classes and the pupils' records, loads the lists and
// weights tests 1..weights.size() of subject 1 with all classes, both sexes, five levels.
inline void WriteEvalGrade(GradeFixture& f, const QList<EvalPupil>& pupils, const QList<double>& weights = {1.0})
{
    f.writeStandard({});
    for (const EvalPupil& p : pupils) {
        StudentRecord rec = StudentRecord::blank();
        rec.setFlag(p.flag);
        rec.setName(p.name);
        rec.setSex(p.sex);
        for (int k = 1; k <= p.scores.size(); ++k)
            rec.setScoreSlot(f.gd().testFirstSlot[k], p.scores[k - 1]);
        f.writeRecord(RosterFile::recordNumber(p.classNo, p.number), rec);
    }
    QVERIFY(f.loadLists());
    GradeData& gd = f.gd();
    gd.evalSubject = 1;
    gd.selectedItemCount = int(weights.size());
    for (int k = 1; k <= weights.size(); ++k) {
        gd.selectedItems[k] = k;
        gd.evalWeights[k] = weights[k - 1];
    }
    for (int c = 1; c <= Limits::Classes; ++c)
        gd.evalClassSelected[c] = c <= gd.classCount ? 1 : 0;
    gd.evalSexFilter = 0;
    gd.evalMethod = EvaluationMethod::FiveLevels;
}

// Pupils 1..count of one class with the given total in test 1.
inline QList<EvalPupil> PupilsWithScores(int classNo, const QList<int>& scores, int sex = 1)
{
    QList<EvalPupil> pupils;
    for (int i = 0; i < scores.size(); ++i)
        pupils.append(EvalPupil{classNo, i + 1, QStringLiteral("生徒%1").arg(i + 1), sex, {scores[i]}});
    return pupils;
}

inline std::unique_ptr<EvaluationRun> Evaluate(GradeData& gd)
{
    EvaluationOutcome outcome = ComputeEvaluation(gd, NullProgress::instance());
    if (!outcome.result) qWarning() << outcome.result.message;
    return std::move(outcome.run);
}

} // namespace seiran::test
