#include "Helpers.h"

#include "GradeData.h"

#include <QtGlobal>
#include <cfenv>
#include <cmath>

namespace seiran {

namespace {

// Characters that start a piece of their own under NFKC: starters that are never the second
// part of a composition.
bool startsOwnPiece(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x80 || (u >= 0x3041 && u <= 0x3096) || (u >= 0x30A1 && u <= 0x30FA) || (u >= 0x4E00 && u <= 0x9FFF) ||
           (u >= 0xAC00 && u <= 0xD7A3);
}

} // namespace

QString NormalizedKC(const QString& text)
{
    // Pieces of 32 to 64 characters: short enough for the toolkit, long enough to be few.
    constexpr qsizetype kShortest = 32;
    constexpr qsizetype kLongest = 64;
    if (text.size() <= kLongest) return text.normalized(QString::NormalizationForm_KC);
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    const QChar* chars = text.constData();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start + 1;
        qsizetype lastStarter = -1;
        while (end < n && end - start < kLongest && (end - start < kShortest || !startsOwnPiece(chars[end]))) {
            if (!chars[end].isLowSurrogate() && chars[end].combiningClass() == 0) lastStarter = end;
            ++end;
        }
        if (end < n && !startsOwnPiece(chars[end])) {
            // A long run without a natural cut: before its last starter, never inside a pair.
            if (lastStarter > start) end = lastStarter;
            if (chars[end].isLowSurrogate() && end - 1 > start) --end;
        }
        out += QStringView(chars + start, end - start).toString().normalized(QString::NormalizationForm_KC);
        start = end;
    }
    return out;
}

namespace {

// Rounds half away from zero at `decimals` places, tolerating the tiny error of binary
// fractions so that 72.25 gives 72.3 as a teacher expects.
QString fixedDigits(double magnitude, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double scaled = magnitude * scale;
    const double rounded = std::floor(scaled + 0.5 + 1e-9 * std::max(1.0, scaled));
    QString digits = QString::number(rounded, 'f', 0);
    while (digits.size() <= decimals)
        digits.prepend(QLatin1Char('0'));
    return digits;
}

} // namespace

QString FormatRightAligned(const QString& pattern, double value)
{
    // Split the pattern: literals before the first placeholder, integer placeholders, the
    // decimal placeholders, literals after.
    qsizetype firstPh = -1;
    qsizetype lastPh = -1;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('#') || c == QLatin1Char('0') || c == QLatin1Char('.')) {
            if (firstPh < 0) firstPh = i;
            lastPh = i;
        }
    }
    QString formatted;
    if (firstPh < 0) {
        formatted = pattern;
    } else {
        const QString prefix = pattern.left(firstPh);
        const QString core = pattern.mid(firstPh, lastPh - firstPh + 1);
        const QString suffix = pattern.mid(lastPh + 1);
        const qsizetype dot = core.indexOf(QLatin1Char('.'));
        const QString intPart = dot < 0 ? core : core.left(dot);
        const QString decPart = dot < 0 ? QString() : core.mid(dot + 1);
        const int decimals = int(decPart.count(QLatin1Char('#')) + decPart.count(QLatin1Char('0')));
        const int forcedDecimals = int(decPart.count(QLatin1Char('0')));
        const int forcedInt = int(intPart.count(QLatin1Char('0')));

        const bool negative = value < 0;
        QString digits = fixedDigits(std::fabs(value), decimals);
        QString intDigits = digits.left(digits.size() - decimals);
        QString decDigits = digits.right(decimals);
        while (decDigits.size() > forcedDecimals && decDigits.endsWith(QLatin1Char('0')))
            decDigits.chop(1);
        // Leading zeros are only kept where the pattern forces a digit.
        while (intDigits.size() > 0 && intDigits.at(0) == QLatin1Char('0'))
            intDigits.remove(0, 1);
        while (intDigits.size() < forcedInt)
            intDigits.prepend(QLatin1Char('0'));
        const bool isZero = intDigits.isEmpty() && decDigits.count(QLatin1Char('0')) == decDigits.size();
        QString number = intDigits;
        if (dot >= 0) number += QLatin1Char('.') + decDigits;
        formatted = prefix + ((negative && !isZero) ? QStringLiteral("-") : QString()) + number + suffix;
    }
    const QString padded = QString(13, QLatin1Char(' ')) + formatted;
    return padded.right(pattern.size());
}

std::optional<qint16> RoundHalfEven(double value)
{
    if (!std::isfinite(value)) return std::nullopt;
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(oldMode);
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return qint16(r);
}

static int nextToken(QString& text, QString& token, bool numeric)
{
    token.clear();
    qsizetype i = 0;
    int separator = SepEnd;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A row ends at CR (CR LF: the LF goes with it) and at an LF of its own, which is how
        // many programs end their lines on the clipboard.
        if (c == QLatin1Char('\r')) {
            separator = SepCr;
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) ++i;
            break;
        }
        if (c == QLatin1Char('\n')) {
            separator = SepCr;
            break;
        }
        if (c == QLatin1Char('\t')) {
            separator = SepTab;
            break;
        }
        if (numeric) {
            if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-')) token += c;
        } else if (c.unicode() >= 32) {
            token += c;
        }
    }
    text.remove(0, separator == SepEnd ? text.size() : i + 1);
    return separator;
}

int NextNumericToken(QString& text, QString& token)
{
    return nextToken(text, token, true);
}

int NextTextToken(QString& text, QString& token)
{
    return nextToken(text, token, false);
}

double NumericValue(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) ++i;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128)
        ++i;
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128)
            ++i;
    }
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    return ok ? v : 0.0;
}

QString ScoreToCellText(int value)
{
    if (value == -1) return QStringLiteral("-");
    if (value == -5) return QString();
    // A bracketed score d is stored as -d - 10, so -10 is a bracketed zero and shows "-0".
    if (value <= ScoreCode::BracketBase) return QLatin1Char('-') + QString::number(ScoreCode::BracketBase - value);
    return QString::number(value);
}

std::optional<int> CellTextToScore(const QString& cellText)
{
    const QString text = cellText.trimmed();
    if (text.isEmpty()) return -5;
    if (text == QLatin1String("-")) return -1;
    const std::optional<qint16> whole = RoundHalfEven(NumericValue(text));
    if (!whole) return std::nullopt;
    const int v = *whole;
    // "-" and digits is a bracketed score, "-0" included: the sign decides, not the value.
    const bool bracketed = v < 0 || (text.size() > 1 && text.at(0) == QLatin1Char('-') && text.at(1).isDigit());
    if (!bracketed) return v;
    const int stored = -std::abs(v) + ScoreCode::BracketBase;
    if (stored < -32768) return std::nullopt;
    return stored;
}

} // namespace seiran
