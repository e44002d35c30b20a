#include "TestEditing.h"

#include "GradeData.h"
#include "RosterEditModel.h"

namespace seiran {

void TestEditorTable::loadFrom(const GradeData& gd)
{
    mRows.clear();
    for (int t = 1; t <= qBound(0, gd.testCount, int(Limits::Tests)); ++t)
        mRows.append({gd.testNames[t], gd.testShortNames[t], gd.testSubjectCount[t]});
}

QString TestEditorTable::cellText(int i, int col) const
{
    if (i < 1 || i > rowCount()) return QString();
    const Row& r = mRows.at(i - 1);
    switch (col) {
    case ColNumber:
        return QString::number(i);
    case ColName:
        return r.name;
    case ColShortName:
        return r.shortName;
    case ColSubjects:
        return QString::number(r.subjects);
    default:
        return QString();
    }
}

void TestEditorTable::setCellText(int i, int col, const QString& text)
{
    if (i < 1 || i > rowCount()) return;
    if (col == ColName) mRows[i - 1].name = text;
    if (col == ColShortName) mRows[i - 1].shortName = text;
}

int TestEditorTable::totalSubjects() const
{
    int n = 0;
    for (const Row& r : mRows)
        n += r.subjects;
    return n;
}

Result TestEditorTable::checkStorable() const
{
    for (int i = 1; i <= rowCount(); ++i) {
        for (const QString& text : {mRows.at(i - 1).name, mRows.at(i - 1).shortName}) {
            const QString bad = UnstorableCharacters(text);
            if (!bad.isEmpty())
                return Result::failure(
                    QStringLiteral("%1 行目の「%2」にはテストファイルに保存できない文字 %3 があります。")
                        .arg(i)
                        .arg(text.trimmed(), bad));
        }
    }
    return Result::success();
}

void TestEditorTable::storeInto(GradeData& gd) const
{
    for (int i = 1; i <= rowCount(); ++i) {
        gd.testNames[i] = mRows.at(i - 1).name.trimmed();
        gd.testShortNames[i] = mRows.at(i - 1).shortName.trimmed();
    }
}

int EditBoxArrowTarget(int row, bool up, int lastRow)
{
    if (up) return row > 2 ? row - 1 : 0;
    return row < lastRow ? row + 1 : 0;
}

} // namespace seiran
