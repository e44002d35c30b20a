#include "SubjectEditing.h"

#include "GradeData.h"
#include "ListFiles.h"
#include "RosterEditModel.h"

namespace seiran {

int StandardNaishinSlot(int position)
{
    static const int standardOrder[] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 5};
    return position >= 1 && position <= 9 ? standardOrder[position] : 0;
}

QString NaishinOrderQuestion()
{
    return QStringLiteral("内申点の教科の並び順が標準に戻ります。保存してよいですか");
}

void SubjectEditorTable::loadFrom(const GradeData& gd)
{
    mRows.clear();
    for (int i = 1; i <= qBound(0, gd.subjectCount, int(Limits::Subjects)); ++i)
        mRows.append({gd.subjectNames[i], gd.subjectKind[i], gd.naishinWeight[i], gd.subjectGroup[i]});
    mOwnNaishinOrder = false;
    for (int j = 1; j <= 9; ++j) {
        if (gd.naishinSlot[j] != StandardNaishinSlot(j)) mOwnNaishinOrder = true;
    }
}

const SubjectEditorTable::Row& SubjectEditorTable::row(int i) const
{
    return i >= 1 && i <= rowCount() ? mRows.at(i - 1) : mNone;
}

void SubjectEditorTable::setRow(int i, const Row& row)
{
    if (i >= 1 && i <= rowCount()) mRows[i - 1] = row;
}

QString SubjectEditorTable::KindText(int kind)
{
    switch (kind) {
    case 1:
        return QStringLiteral("男女別");
    case 2:
        return QStringLiteral("グループ別");
    default:
        return QString();
    }
}

QString SubjectEditorTable::cellText(int i, int col) const
{
    if (i < 1 || i > rowCount()) return QString();
    const Row& r = row(i);
    switch (col) {
    case ColNumber:
        return QString::number(i);
    case ColName:
        return r.name;
    case ColKind:
        return KindText(r.kind);
    case ColWeight:
        return FormatListNumber(r.weight);
    case ColGroup:
        return r.group;
    default:
        return QString();
    }
}

bool SubjectEditorTable::typeKey(int i, int col, QChar key)
{
    if (i < 1 || i > rowCount()) return false;
    Row& r = mRows[i - 1];
    const Row before = r;
    switch (col) {
    case ColKind:
        if (key == QLatin1Char(' '))
            r.kind = (r.kind + 1) % 3;
        else if (key >= QLatin1Char('0') && key <= QLatin1Char('2'))
            r.kind = key.unicode() - '0';
        break;
    case ColWeight:
        if (key >= QLatin1Char('1') && key <= QLatin1Char('9')) r.weight = key.unicode() - '0';
        break;
    case ColGroup:
        if (key >= QLatin1Char('1') && key <= QLatin1Char('9'))
            r.group += key;
        else if (key == QChar(8))
            r.group.chop(1);
        else if (key == QLatin1Char(' '))
            r.group.clear();
        break;
    default:
        break;
    }
    return !(r == before);
}

Result SubjectEditorTable::checkStorable() const
{
    for (int i = 1; i <= rowCount(); ++i) {
        for (const QString& text : {row(i).name, row(i).group}) {
            const QString bad = UnstorableCharacters(text);
            if (!bad.isEmpty())
                return Result::failure(
                    QStringLiteral("%1 行目の「%2」には教科ファイルに保存できない文字 %3 があります。")
                        .arg(i)
                        .arg(text, bad));
        }
    }
    return Result::success();
}

void SubjectEditorTable::storeInto(GradeData& gd) const
{
    gd.subjectCount = rowCount();
    for (int i = 1; i <= rowCount(); ++i) {
        gd.subjectNames[i] = row(i).name;
        gd.subjectKind[i] = row(i).kind;
        gd.naishinWeight[i] = row(i).weight;
        gd.subjectGroup[i] = row(i).group;
    }
    for (int j = 1; j <= Limits::NaishinSlots; ++j)
        gd.naishinSlot[j] = StandardNaishinSlot(j);
}

} // namespace seiran
