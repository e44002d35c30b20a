#pragma once

// Small grades built in memory for the career tests: pupils with their 内申点 and choices, a
// high-school list ending in "その他", and tests of known subject counts.

#include "GradeData.h"
#include "ScoreSlots.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>

namespace seiran::test {

struct CareerPupil
{
    CareerPupil(int classNo, int number, int sex, QList<int> points, QList<int> choices, QString name = {})
        : classNo(classNo), number(number), sex(sex), points(std::move(points)), choices(std::move(choices)),
          name(std::move(name))
    {
    }
    int classNo = 1;
    int number = 1;
    int sex = 1;
    QList<int> points;  // naishin positions 1..9
    QList<int> choices; // 第１志望, 第２志望, 併願, 推薦
    QString name;
};

struct CareerSchool
{
    QString shortName;
    QString name;
    QString course;
    QList<int> weights; // the school's nine multipliers; empty = none of its own
};

inline const QStringList& CareerSubjectNames()
{
    static const QStringList names{QStringLiteral("国語"), QStringLiteral("社会"), QStringLiteral("数学"),
                                   QStringLiteral("理科"), QStringLiteral("英語"), QStringLiteral("音楽"),
                                   QStringLiteral("美術"), QStringLiteral("保体"), QStringLiteral("技家")};
    return names;
}

// Nine subjects of weight 1 in the standard naishin order (the fifth subject last); pupils in
// class order, then number order; the schools followed by "その他" as the loader appends it.
inline std::unique_ptr<GradeData> MakeCareerGrade(int classes, const QList<CareerPupil>& pupils,
                                                  const QList<CareerSchool>& schools)
{
    auto gd = std::make_unique<GradeData>();
    gd->currentGrade = 3;
    gd->classCount = classes;
    gd->subjectCount = 9;
    for (int k = 1; k <= 9; ++k) {
        gd->subjectNames[k] = CareerSubjectNames().at(k - 1);
        gd->naishinWeight[k] = 1.0;
    }
    const int order[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 5};
    for (int j = 1; j <= 9; ++j)
        gd->naishinSlot[j] = order[j];
    int h = 0;
    for (const CareerSchool& school : schools) {
        ++h;
        gd->highSchoolShortNames[h] = school.shortName;
        gd->highSchoolNames[h] = school.name;
        gd->highSchoolCourses[h] = school.course;
        gd->highSchoolWeightCount[h] = school.weights.isEmpty() ? 0 : 9;
        for (int j = 1; j <= 9; ++j)
            gd->highSchoolWeights(h, j) = school.weights.isEmpty() ? 1 : school.weights.value(j - 1);
    }
    ++h;
    gd->highSchoolShortNames[h] = QStringLiteral("その他");
    gd->highSchoolNames[h] = QStringLiteral("その他");
    gd->highSchoolWeightCount[h] = 0;
    gd->highSchoolCount = h;

    int s = 0;
    for (const CareerPupil& p : pupils) {
        ++s;
        gd->studentClass[s] = p.classNo;
        gd->studentNumber[s] = p.number;
        gd->studentName[s] = p.name.isEmpty() ? QStringLiteral("生徒%1").arg(s) : p.name;
        gd->studentSex[s] = p.sex;
        for (int j = 1; j <= 9; ++j)
            gd->naishin(j, s) = p.points.value(j - 1);
        for (int k = 1; k <= 4; ++k)
            gd->careerChoice(k, s) = p.choices.value(k - 1);
        gd->classSize[p.classNo] += 1;
    }
    gd->studentCount = s;
    int start = 1;
    for (int c = 1; c <= classes; ++c) {
        gd->classStart[c] = start;
        start += gd->classSize[c];
    }
    return gd;
}

// Tests of the given subject counts, slots assigned as the test list does; short names "T1"...
inline void SetCareerTests(GradeData& gd, const QList<int>& subjectCounts)
{
    gd.testCount = int(subjectCounts.size());
    int slot = 1;
    for (int t = 1; t <= gd.testCount; ++t) {
        gd.testNames[t] = QStringLiteral("テスト%1").arg(t);
        gd.testShortNames[t] = QStringLiteral("T%1").arg(t);
        gd.testSubjectCount[t] = subjectCounts.at(t - 1);
        gd.testFirstSlot[t] = slot;
        slot += subjectCounts.at(t - 1);
    }
}

// What the roster read would give: every pupil of the tables with these values per pupil.
inline QList<PupilScoreSlots> SlotsOf(const GradeData& gd, const QList<QList<int>>& values)
{
    QList<PupilScoreSlots> read;
    for (int s = 1; s <= gd.studentCount; ++s)
        read.append(PupilScoreSlots{gd.studentClass[s], gd.studentNumber[s], values.value(s - 1)});
    return read;
}

} // namespace seiran::test
