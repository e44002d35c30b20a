#include "ImportedValues.h"

#include "CsvColumns.h"
#include "GradeData.h"
#include "NaishinCells.h"
#include "ScoreCells.h"

namespace seiran {

namespace {

// Whether the text is one or more ASCII digits, at most `maxDigits` of them.
bool isDigits(const QString& text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits) return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

} // namespace

QString NarrowImportedField(const QString& field)
{
    QString out = TrimCsvText(field);
    for (QChar& ch : out) {
        const char16_t c = ch.unicode();
        if (c >= 0xFF10 && c <= 0xFF19)
            ch = QChar(u'0' + (c - 0xFF10));
        else if (c == 0xFF0D || c == 0x2212)
            ch = QChar(u'-');
    }
    return out;
}

std::optional<QString> ImportedScoreText(const QString& field, QString& why)
{
    const QString t = NarrowImportedField(field);
    if (t.isEmpty()) return QString();
    if (t == QStringLiteral("-") || t == QStringLiteral("欠") || t == QStringLiteral("欠席"))
        return QStringLiteral("-");
    const bool bracketed = t.startsWith(u'-');
    const QString digits = bracketed ? t.mid(1) : t;
    if (!isDigits(digits, 6)) {
        why = t.contains(u'.') || t.contains(QChar(0xFF0E)) ? QStringLiteral("小数点は使えません")
                                                            : QStringLiteral("点数ではありません");
        return std::nullopt;
    }
    const QString text = (bracketed ? QStringLiteral("-") : QString()) + QString::number(digits.toInt());
    if (!ScoreCellValue(text)) {
        why = QStringLiteral("点数として記録できる範囲を超えています");
        return std::nullopt;
    }
    return text;
}

std::optional<QString> ImportedNaishinText(const QString& field, QString& why)
{
    const QString t = NarrowImportedField(field);
    if (t.isEmpty()) return QString();
    if (!isDigits(t, 3) || t.toInt() > NaishinMax) {
        why = QStringLiteral("内申点は 0〜%1 の整数です").arg(NaishinMax);
        return std::nullopt;
    }
    return QString::number(t.toInt());
}

std::optional<int> ImportedCareerChoice(const GradeData& gd, const QString& field, QString& why)
{
    const QString t = NarrowImportedField(field);
    const int schools = qBound(0, gd.highSchoolCount, Limits::HighSchools);
    // Every reading of the field: a short name, a list number, "なし"; two different schools
    // make it ambiguous.
    QList<int> meanings;
    if (t.isEmpty() || t == QStringLiteral("なし")) meanings << 0;
    if (!t.isEmpty()) {
        for (int k = 1; k <= schools; ++k) {
            const QString name = NarrowImportedField(gd.highSchoolShortNames[k]);
            if (name == t && !meanings.contains(k)) meanings << k;
        }
    }
    const bool number = isDigits(t, 9);
    if (number) {
        const int k = t.toInt();
        if (k > schools && meanings.isEmpty()) {
            why = QStringLiteral("高校の番号は 0〜%1 です").arg(schools);
            return std::nullopt;
        }
        if (k <= schools && !meanings.contains(k)) meanings << k;
    }
    if (meanings.size() > 1) {
        why = QStringLiteral("どの高校か決められません（一覧の %1 に当たります）").arg([&meanings] {
            QStringList numbers;
            for (int k : meanings)
                numbers << QString::number(k);
            return numbers.join(QStringLiteral("、"));
        }());
        return std::nullopt;
    }
    if (meanings.isEmpty()) {
        why = QStringLiteral("高校の略称でも番号でもありません");
        return std::nullopt;
    }
    return meanings.first();
}

} // namespace seiran
