#include "NaishinCells.h"

#include "GradeData.h"

namespace seiran {

bool NaishinPositionUsed(const GradeData& gd, int position)
{
    if (position < 1 || position > Limits::NaishinPositions) return false;
    const int slot = gd.naishinSlot[position];
    return slot >= 1 && slot <= Limits::NaishinSlots && slot <= gd.subjectCount;
}

QStringList NaishinHeaders(const GradeData& gd)
{
    QStringList headers;
    for (int j = 1; j <= Limits::NaishinPositions; ++j)
        headers << (NaishinPositionUsed(gd, j) ? gd.subjectNames[gd.naishinSlot[j]] : QString());
    return headers;
}

QString NaishinCellText(int value)
{
    return value <= 0 ? QString() : QString::number(value);
}

QString NaishinPositionText(const GradeData& gd, int position, int student)
{
    return NaishinPositionUsed(gd, position) ? NaishinCellText(gd.naishin(position, student)) : QString();
}

CellKeyOutcome ApplyNaishinKey(const QString& text, bool untouched, int keyAscii)
{
    CellKeyOutcome out{CellKey::Ignored, text, untouched};
    keyAscii = NarrowKey(keyAscii);
    if (keyAscii >= '1' && keyAscii <= '9') return {CellKey::Changed, QString(QChar(keyAscii)), false};
    switch (keyAscii) {
    case '0':
        return {CellKey::Changed, QStringLiteral("10"), false};
    case 32:
        return {CellKey::Changed, QString(), false};
    default:
        out.action = GridControlKey(keyAscii);
        break;
    }
    return out;
}

bool AcceptsNaishinToken(const QString& token)
{
    if (token.isEmpty()) return true;
    if (token.size() > 2) return false;
    for (QChar ch : token)
        if (ch < u'0' || ch > u'9') return false;
    return token.toInt() <= NaishinMax;
}

Result ConvertCellsToNaishin(GradeData& gd, const NaishinCellFn& cell)
{
    // Check every cell first so that a refused value leaves the points as they were.
    for (int i = 1; i <= gd.studentCount; ++i) {
        for (int j = 1; j <= Limits::NaishinPositions; ++j) {
            if (!NaishinPositionUsed(gd, j)) continue;
            const QString text = cell(i, j);
            if (text != NaishinCellText(gd.naishin(j, i)) && !AcceptsNaishinToken(text.trimmed()))
                return Result::failure(QStringLiteral("%1組 %2番 %3 の%4「%5」は内申点（0〜10）として保存できません。\n"
                                                      "直してから入力終了してください。")
                                           .arg(gd.classLabel(gd.studentClass[i]))
                                           .arg(gd.studentNumber[i])
                                           .arg(gd.studentName[i], gd.subjectNames[gd.naishinSlot[j]], text));
        }
    }
    for (int i = 1; i <= gd.studentCount; ++i) {
        for (int j = 1; j <= Limits::NaishinPositions; ++j) {
            if (!NaishinPositionUsed(gd, j)) continue;
            const QString text = cell(i, j);
            if (text != NaishinCellText(gd.naishin(j, i))) gd.naishin(j, i) = text.trimmed().toInt();
        }
    }
    return Result::success();
}

} // namespace seiran
