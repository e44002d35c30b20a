#include "CareerList.h"

#include "CareerCommon.h"
#include "GradeData.h"

#include <algorithm>

namespace seiran {

QString PupilNumberText(const GradeData& gd, int s)
{
    return QString::number(gd.currentGrade * 1000 + gd.studentClass[s] * 100 + gd.studentNumber[s]);
}

CareerListTable BuildCareerList(const GradeData& gd)
{
    CareerListTable table;
    table.header = QStringList(CareerListColumn::Count);
    table.header[CareerListColumn::FirstSchool] = QStringLiteral("第１志望");
    table.header[CareerListColumn::FirstSchool + 2] = QStringLiteral("第２志望");
    table.header[CareerListColumn::FirstSchool + 4] = QStringLiteral("併　　願");
    for (int j = 1; j <= NaishinPositionCount; ++j) {
        const int subject = NaishinSubject(gd, j);
        if (subject != 0) table.header[CareerListColumn::FirstPoint + j - 1] = gd.subjectNames[subject].trimmed();
    }

    const int pupils = std::clamp(gd.studentCount, 0, Limits::Students);
    const int shown = std::min(gd.subjectCount, NaishinPositionCount);
    for (int s = 1; s <= pupils; ++s) {
        QStringList row(CareerListColumn::Count);
        row[CareerListColumn::Number] = PupilNumberText(gd, s);
        row[CareerListColumn::Name] = gd.studentName[s];
        for (int k = 1; k <= 3; ++k) {
            const int h = gd.careerChoice(k, s);
            if (!IsSchoolEntry(gd, h)) continue;
            row[CareerListColumn::FirstSchool + 2 * (k - 1)] = gd.highSchoolNames[h].trimmed();
            row[CareerListColumn::FirstSchool + 2 * (k - 1) + 1] = gd.highSchoolCourses[h].trimmed();
        }
        for (int j = 1; j <= shown; ++j) {
            const int v = gd.naishin(j, s);
            if (v > 0) row[CareerListColumn::FirstPoint + j - 1] = QString::number(v);
        }
        table.rows.append(row);
    }
    return table;
}

QString BuildCareerCopyWithNames(const CellTextFn& cell, const CellRange& range)
{
    QString text = QStringLiteral("番号\t氏名");
    for (int c = range.left; c <= range.right; ++c)
        text += u'\t' + cell(0, c);
    text += u'\n';
    for (int r = range.top; r <= range.bottom; ++r) {
        text += cell(r, CareerListColumn::Number) + u'\t' + cell(r, CareerListColumn::Name);
        for (int c = range.left; c <= range.right; ++c)
            text += u'\t' + cell(r, c);
        text += QStringLiteral("\r\n");
    }
    return text;
}

} // namespace seiran
