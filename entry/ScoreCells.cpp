#include "ScoreCells.h"

#include "GradeData.h"
#include "Helpers.h"

namespace seiran {

qint64 LeadingNumber(const QString& text)
{
    // Beyond this the value is far outside any slot; stop growing so nothing can wrap.
    constexpr qint64 Saturation = 1'000'000'000'000LL;
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == u' ' || text.at(i) == u'\t' || text.at(i) == QChar(0x3000)))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch < u'0' || ch > u'9') break;
        if (value < Saturation) value = value * 10 + (ch.unicode() - u'0');
    }
    return negative ? -value : value;
}

std::optional<int> ScoreCellValue(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return ScoreCode::NotEntered;
    // Scores are whole numbers: "45.5" must not become 45 (nor, without its point, 455).
    if (t.contains(u'.')) return std::nullopt;
    if (t == QStringLiteral("-")) return ScoreCode::Absent;
    const qint64 v = LeadingNumber(t);
    // A "-" before the digits makes a bracketed score, "-0" (stored -10) included.
    const bool bracketed = v < 0 || (t.size() > 1 && t.at(0) == u'-' && t.at(1).isDigit());
    const qint64 stored = bracketed ? -qAbs(v) + ScoreCode::BracketBase : v;
    if (stored > SlotMax || stored < SlotMin) return std::nullopt;
    return int(stored);
}

int NarrowKey(int keyAscii)
{
    if (keyAscii >= 0xFF10 && keyAscii <= 0xFF19) return '0' + (keyAscii - 0xFF10);
    if (keyAscii == 0xFF0D || keyAscii == 0x2212 || keyAscii == 0x30FC) return '-';
    return keyAscii;
}

QString DecimalRefusedText()
{
    return QStringLiteral("小数は入力できません");
}

CellKey GridControlKey(int keyAscii)
{
    switch (keyAscii) {
    case 13:
        return CellKey::Enter;
    case 3:
        return CellKey::Copy;
    case 22:
        return CellKey::Paste;
    default:
        return CellKey::Ignored;
    }
}

CellKeyOutcome ApplyScoreKey(const QString& text, bool untouched, int keyAscii)
{
    CellKeyOutcome out{CellKey::Ignored, text, untouched};
    keyAscii = NarrowKey(keyAscii);
    if (keyAscii >= '0' && keyAscii <= '9') {
        const QString base = untouched ? QString() : text.trimmed();
        const QString candidate = base + QChar(keyAscii);
        if (!ScoreCellValue(candidate)) {
            out.action = CellKey::Refused;
            return out;
        }
        out = {CellKey::Changed, candidate, false};
        return out;
    }
    switch (keyAscii) {
    case '-':
        out = {CellKey::Changed, QStringLiteral("-"), false};
        break;
    case '.':
    case 0xFF0E:
        out.action = CellKey::Decimal;
        break;
    case 8:
        out.action = CellKey::Changed;
        if (!text.isEmpty()) out.text.chop(1);
        out.untouched = false;
        break;
    case 32:
        out.action = CellKey::Changed;
        out.text.clear();
        break;
    default:
        out.action = GridControlKey(keyAscii);
        break;
    }
    return out;
}

bool ExceedsWarningLimit(const QString& text, int beepMode)
{
    const qint64 v = LeadingNumber(text.trimmed());
    switch (beepMode) {
    case 1:
        return v > 50;
    case 2:
        return v > 100;
    default:
        return false;
    }
}

CellRange NormalisedRange(int row, int col, int rowSel, int colSel)
{
    return {qMin(row, rowSel), qMin(col, colSel), qMax(row, rowSel), qMax(col, colSel)};
}

QString BuildCopyText(const CellTextFn& cell, const CellRange& range)
{
    QString out;
    for (int r = range.top; r <= range.bottom; ++r) {
        for (int c = range.left; c <= range.right; ++c) {
            if (c > range.left) out += u'\t';
            out += cell(r, c);
        }
        out += QStringLiteral("\r\n");
    }
    return out;
}

QString StudentIdentifier(int grade, const QString& classText, const QString& numberText)
{
    const double classPart = double(grade) * 10 + double(LeadingNumber(classText));
    const double numberPart = double(LeadingNumber(numberText)) + 100;
    return FormatRightAligned(QStringLiteral("##"), classPart) + FormatRightAligned(QStringLiteral("##"), numberPart);
}

QString BuildCopyTextWithNames(const CellTextFn& cell, const CellRange& range, int grade, int firstPupilRow)
{
    QString out;
    for (int r = range.top; r <= range.bottom; ++r) {
        if (r >= firstPupilRow) out += StudentIdentifier(grade, cell(r, 0), cell(r, 1));
        out += u'\t';
        out += cell(r, 2);
        for (int c = range.left; c <= range.right; ++c) {
            out += u'\t';
            out += cell(r, c);
        }
        out += QStringLiteral("\r\n");
    }
    return out;
}

namespace {
// Cuts the text after its n-th line end (CR LF, CR or LF): nothing beyond it can land
// anywhere, and a huge clipboard would otherwise be consumed token by token.
void keepLines(QString& text, int lines)
{
    qsizetype pos = -1;
    for (int n = 0; n < lines; ++n) {
        const qsizetype cr = text.indexOf(u'\r', pos + 1);
        const qsizetype lf = text.indexOf(u'\n', pos + 1);
        if (cr < 0 && lf < 0) return;
        pos = cr < 0 ? lf : lf < 0 ? cr : qMin(cr, lf);
        if (text.at(pos) == u'\r' && pos + 1 < text.size() && text.at(pos + 1) == u'\n') ++pos;
    }
    text.truncate(pos + 1);
}

// The value part of a pasted piece: digits and "-" (full-width ones as their ASCII forms),
// every other character dropped ("85点" is 85). A decimal point is kept, "．" as ".", so that
// the cell refuses the piece instead of taking "45.5" as 455.
QString numericPiece(const QString& raw)
{
    QString out;
    for (const QChar ch : raw) {
        char16_t c = ch.unicode();
        if (c >= 0xFF10 && c <= 0xFF19) c = u'0' + (c - 0xFF10);
        if (c == 0xFF0D || c == 0x2212) c = u'-';
        if (c == 0xFF0E) c = u'.';
        if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'.') out += QChar(c);
    }
    return out;
}
} // namespace

QList<PastedCell> DistributeNumericPaste(QString clip, const CellRange& range)
{
    keepLines(clip, range.rowCount());
    QList<PastedCell> cells;
    int r = range.top;
    int c = range.left;
    QString token;
    while (r <= range.bottom) {
        const int sep = NextTextToken(clip, token);
        if (sep == SepEnd) break;
        if (range.contains(r, c)) cells.append({r, c, numericPiece(token)});
        if (sep == SepTab) {
            ++c;
        } else {
            ++r;
            c = range.left;
        }
    }
    return cells;
}

QList<PastedCell> DistributeTextPaste(QString clip, int top, int left, int lastRow)
{
    keepLines(clip, qMax(0, lastRow - top + 1));
    QList<PastedCell> cells;
    int r = top;
    int c = left;
    QString token;
    while (r <= lastRow) {
        const int sep = NextTextToken(clip, token);
        if (sep == SepEnd) break;
        cells.append({r, c, token.trimmed()});
        if (sep == SepTab) {
            ++c;
        } else {
            ++r;
            c = left;
        }
    }
    return cells;
}

EnterMove EnterTarget(int row, int col, int lastRow, int lastCol, int wrapCol, bool moveRight)
{
    if (!moveRight) return {row < lastRow ? row + 1 : row, col, false};
    if (col == wrapCol || col >= lastCol) return {row < lastRow ? row + 1 : row, FirstDataCol, true};
    return {row, col + 1, false};
}

} // namespace seiran
