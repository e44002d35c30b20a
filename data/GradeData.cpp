#include "GradeData.h"

#include <QtGlobal>

namespace seiran {

void ReportTableIndexError(const char* table, int index)
{
    qWarning("table index out of range: %s[%d]", table, index);
    Q_ASSERT_X(false, table, "table index out of range");
}

QString GradeData::gradeCode() const
{
    return QString::number(currentGrade + 1000).right(2);
}

QString GradeData::classLabel(int classNo) const
{
    if (classNo < 1 || classNo > classLabels.size()) return QString();
    return classLabels.mid(classNo - 1, 1);
}

int GradeData::currentTestSubjectCount() const
{
    if (currentTest < 1 || currentTest > testCount) return 0;
    return testSubjectCount[currentTest];
}

} // namespace seiran
