#include "EntryColumns.h"

#include "GradeData.h"
#include "Helpers.h"

namespace seiran {

QStringList FixedColumnHeaders()
{
    return {QStringLiteral("組"), QStringLiteral("番"), QStringLiteral("氏   名"), QString()};
}

QString NumberColumnText(int number, NumberStyle style)
{
    return style == NumberStyle::TwoWide ? FormatRightAligned(QStringLiteral("##"), number) : QString::number(number);
}

QStringList FixedColumnTexts(const GradeData& gd, int student, NumberStyle style)
{
    const int sex = gd.studentSex[student];
    return {gd.classLabel(gd.studentClass[student]), NumberColumnText(gd.studentNumber[student], style),
            gd.studentName[student],
            sex == 1   ? QStringLiteral("男")
            : sex == 2 ? QStringLiteral("女")
                       : QString()};
}

} // namespace seiran
