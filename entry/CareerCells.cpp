#include "CareerCells.h"

#include "GradeData.h"
#include "Helpers.h"

namespace seiran {

QStringList CareerHeaders()
{
    return {QStringLiteral("第１志望"), QStringLiteral("第２志望"), QStringLiteral("併　　願"),
            QStringLiteral("推　　薦")};
}

QString CareerCellText(const GradeData& gd, int value)
{
    if (value < 1 || value > gd.highSchoolCount || value > Limits::HighSchools) return QString();
    return gd.highSchoolShortNames[value];
}

CellKeyOutcome ApplyCareerKey(const QString& text, bool untouched, int keyAscii)
{
    CellKeyOutcome out{CellKey::Ignored, text, untouched};
    keyAscii = NarrowKey(keyAscii);
    if (keyAscii >= '0' && keyAscii <= '9') {
        const QString base = untouched ? QString() : text.trimmed();
        return {CellKey::Changed, base + QChar(keyAscii), false};
    }
    switch (keyAscii) {
    case 8:
        out.action = CellKey::Changed;
        out.text.chop(1);
        out.untouched = false;
        break;
    case 32:
        return {CellKey::Changed, QStringLiteral(" "), false};
    case 13:
        out.action = CellKey::Enter;
        break;
    case 3:
        out.action = CellKey::Copy;
        break;
    default:
        break;
    }
    return out;
}

CareerLeave LeaveCareerCell(const GradeData& gd, const QString& text)
{
    if (text.isEmpty()) return {};
    const qint64 v = LeadingNumber(text);
    if (v < 0 || v > gd.highSchoolCount) return {CareerLeave::Refused, 0, text};
    return {CareerLeave::Store, int(v), CareerCellText(gd, int(v))};
}

int SchoolListColumns(int highSchoolCount, int rows)
{
    const int cells = qMax(0, highSchoolCount) + 1; // the schools and "なし"
    return qMax(SchoolListMinColumns, (cells + rows - 1) / rows);
}

int SchoolListEntry(int row, int col, int rows)
{
    return col * rows + row + 1;
}

QString SchoolListText(const GradeData& gd, int entry)
{
    if (entry >= 1 && entry <= gd.highSchoolCount && entry <= Limits::HighSchools)
        return FormatRightAligned(QStringLiteral("###"), entry) + u' ' + gd.highSchoolShortNames[entry];
    if (entry == gd.highSchoolCount + 1) return QStringLiteral("  0 なし");
    return QString();
}

} // namespace seiran
