#include "CsvImport.h"

#include <QHash>

namespace seiran {

QString CsvImportLine::outcomeText() const
{
    switch (outcome) {
    case New:
        return QStringLiteral("新規");
    case Changed:
        return QStringLiteral("変更");
    case Unchanged:
        return QStringLiteral("変更なし");
    case NoName:
        return QStringLiteral("氏名なし");
    case Refused:
        return QStringLiteral("取り込めない");
    case OtherGrade:
        return QStringLiteral("他学年");
    }
    return QString();
}

QString CsvImportLine::describe() const
{
    QString where = QStringLiteral("%1行目").arg(line);
    if (!classText.isEmpty() || !numberText.isEmpty())
        where += QStringLiteral(" %1組 %2番").arg(classText.trimmed(), numberText.trimmed());
    return detail.isEmpty() ? where : QStringLiteral("%1: %2").arg(where, detail);
}

int CsvImportPreview::count(CsvImportLine::Outcome outcome) const
{
    int n = 0;
    for (const CsvImportLine& l : lines)
        n += l.outcome == outcome ? 1 : 0;
    return n;
}

int CsvImportPreview::takenCount() const
{
    return count(CsvImportLine::New) + count(CsvImportLine::Changed) + count(CsvImportLine::Unchanged);
}

int CsvImportPreview::cutCount() const
{
    int n = 0;
    for (const CsvImportLine& l : lines)
        if (l.outcome != CsvImportLine::Refused) n += int(l.cutNotices.size());
    return n;
}

int CsvImportPreview::newWithoutSexCount() const
{
    int n = 0;
    for (const CsvImportLine& l : lines)
        n += l.outcome == CsvImportLine::New && l.sex == 0 ? 1 : 0;
    return n;
}

QString CsvImportPreview::countsText() const
{
    QStringList parts;
    const auto add = [&](CsvImportLine::Outcome o, const QString& label) {
        if (const int n = count(o); n > 0) parts << QStringLiteral("%1 %2").arg(label).arg(n);
    };
    add(CsvImportLine::New, QStringLiteral("新規"));
    add(CsvImportLine::Changed, QStringLiteral("変更"));
    add(CsvImportLine::Unchanged, QStringLiteral("変更なし"));
    add(CsvImportLine::NoName, QStringLiteral("氏名なし"));
    add(CsvImportLine::OtherGrade, QStringLiteral("他学年"));
    add(CsvImportLine::Refused, QStringLiteral("取り込めない"));
    if (const int n = cutCount(); n > 0) parts << QStringLiteral("切り詰め %1").arg(n);
    if (const int n = newWithoutSexCount(); n > 0) parts << QStringLiteral("性別なしの新規 %1").arg(n);
    return parts.isEmpty() ? QStringLiteral("取り込む行がありません") : parts.join(QStringLiteral("、"));
}

void RefuseSharedSeats(CsvImportPreview& preview)
{
    QHash<int, int> seen;
    const auto accepted = [](const CsvImportLine& l) {
        return l.outcome == CsvImportLine::New || l.outcome == CsvImportLine::Changed ||
               l.outcome == CsvImportLine::Unchanged || (l.outcome == CsvImportLine::Refused && l.classNo > 0);
    };
    for (const CsvImportLine& l : preview.lines)
        if (accepted(l) && l.classNo > 0) seen[l.classNo * 100 + l.number] += 1;
    for (CsvImportLine& l : preview.lines) {
        if (!accepted(l) || l.classNo <= 0 || seen.value(l.classNo * 100 + l.number) < 2) continue;
        if (l.outcome == CsvImportLine::Refused) continue;
        l.outcome = CsvImportLine::Refused;
        l.detail = QStringLiteral("同じ席（%1組 %2番）の行がほかにもあります").arg(l.classText.trimmed()).arg(l.number);
    }
}

} // namespace seiran
