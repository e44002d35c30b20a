#include "CareerCommon.h"

#include "GradeData.h"
#include "Helpers.h"
#include "PageCanvas.h"

#include <algorithm>
#include <cmath>

namespace seiran {

int NaishinSubject(const GradeData& gd, int position)
{
    if (position < 1 || position > NaishinPositionCount) return 0;
    const int subject = gd.naishinSlot[position];
    return subject >= 1 && subject <= std::min(gd.subjectCount, Limits::Subjects) ? subject : 0;
}

QString SubjectInitial(const GradeData& gd, int subject)
{
    if (subject < 1 || subject > Limits::Subjects) return QString();
    return gd.subjectNames[subject].trimmed().left(1);
}

bool IsSchoolEntry(const GradeData& gd, int choice)
{
    return choice >= 1 && choice <= std::min(gd.highSchoolCount, Limits::HighSchools);
}

QString SchoolShortName(const GradeData& gd, int choice)
{
    return IsSchoolEntry(gd, choice) ? gd.highSchoolShortNames[choice].trimmed() : QString();
}

double SubjectMultiplier(const GradeData& gd, int subject)
{
    if (subject < 1 || subject > std::min(gd.subjectCount, Limits::Subjects)) return 0.0;
    return gd.naishinWeight[subject];
}

int SchoolMultiplier(const GradeData& gd, int school, int subject)
{
    // A school's own multipliers cover subjects 1..9; those it does not list are 0.
    if (IsSchoolEntry(gd, school) && gd.highSchoolWeightCount[school] > 0 && subject >= 1 && subject <= 9)
        return gd.highSchoolWeights(school, subject);
    return RoundHalfEvenWide(SubjectMultiplier(gd, subject));
}

int RoundHalfEvenWide(double value)
{
    if (std::optional<qint16> v = RoundHalfEven(value)) return *v;
    if (!std::isfinite(value)) return 0;
    const double clamped = std::clamp(value, -2.0e9, 2.0e9);
    const double lower = std::floor(clamped);
    const double diff = clamped - lower;
    if (diff > 0.5) return int(lower) + 1;
    if (diff < 0.5) return int(lower);
    return std::fmod(lower, 2.0) == 0.0 ? int(lower) : int(lower) + 1;
}

QString PlainDecimal(double value)
{
    return QString::number(value, 'g', 15);
}

int SheetRows(const PageCanvas& printer, const GradeData& gd)
{
    return std::max(1, int(std::floor(printer.ScaleHeight() - gd.printMarginTop)));
}

double SheetColumns(const PageCanvas& printer, const GradeData& gd)
{
    return printer.ScaleWidth() - gd.printMarginLeft;
}

void PrintCentred(PageCanvas& canvas, const QString& text, double left, double width, double y)
{
    if (text.isEmpty()) return;
    canvas.PrintAt(text, left + (width - canvas.TextWidth(text)) / 2.0, y);
}

QString StampMoment(const QDateTime& when)
{
    return when.date().toString(QStringLiteral("MM-dd-yyyy")) + u' ' + when.time().toString(QStringLiteral("HH:mm:ss"));
}

int ClassPupilCount(const GradeData& gd, int classNo)
{
    if (classNo < 1 || classNo > std::min(gd.classCount, Limits::Classes)) return 0;
    const int first = gd.classStart[classNo];
    if (first < 1) return 0;
    return std::clamp(gd.classSize[classNo], 0, std::max(0, Limits::Students - first + 1));
}

bool ClosesGroupOfFive(const GradeData& gd, int classNo, int m)
{
    const int size = ClassPupilCount(gd, classNo);
    if (m < 1 || m > size) return false;
    if (m == size) return true;
    const int s = gd.classStart[classNo] + m - 1;
    return (gd.studentNumber[s] - 1) / 5 != (gd.studentNumber[s + 1] - 1) / 5;
}

} // namespace seiran
