#include "CsvFile.h"

#include "Cp932.h"
#include "FileErrors.h"
#include "ListFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace seiran {

namespace {

// The line (from 1) of position `pos` of a text whose lines end in CR LF, LF or CR.
int lineAt(const QString& text, qsizetype pos)
{
    int line = 1;
    for (qsizetype i = 0; i < pos && i < text.size(); ++i) {
        if (text.at(i) == u'\n') {
            ++line;
        } else if (text.at(i) == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
            ++line;
        }
    }
    return line;
}

Result undecodable(const QString& text)
{
    const qsizetype bad = text.indexOf(QChar(QChar::ReplacementCharacter));
    return Result::failure(QStringLiteral("文字コードを判別できません（%1行目）").arg(lineAt(text, bad < 0 ? 0 : bad)));
}

bool decodeWith(QStringConverter::Encoding encoding, const QByteArray& bytes, QString& text)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    text = decoder.decode(bytes);
    return !decoder.hasError();
}

bool isFormulaStart(QChar c)
{
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == QChar(0xFF1D) || c == QChar(0xFF0B) ||
           c == QChar(0xFF0D) || c == QChar(0xFF20) || c == QChar(0x2212);
}

// Numbers and score texts are values, not formulas: they are written as they stand.
bool isPlainValue(const QString& field)
{
    static const QRegularExpression number(QStringLiteral("^[-+]?[0-9]+(\\.[0-9]+)?$"));
    return field == QStringLiteral("-") || number.match(field).hasMatch();
}

QString csvField(const QString& value)
{
    QString field = value;
    if (!field.isEmpty() && isFormulaStart(field.at(0)) && !isPlainValue(field)) field.prepend(u'\'');
    if (field.contains(u',') || field.contains(u'"') || field.contains(u'\r') || field.contains(u'\n'))
        field = u'"' + QString(field).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
    return field;
}

} // namespace

QString CsvEncodingName(CsvEncoding encoding)
{
    switch (encoding) {
    case CsvEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case CsvEncoding::Utf16:
        return QStringLiteral("UTF-16");
    case CsvEncoding::Cp932:
        return QStringLiteral("シフトJIS (CP932)");
    case CsvEncoding::Auto:
        break;
    }
    return QStringLiteral("自動");
}

bool ParseCsvEncoding(const QString& text, CsvEncoding& encoding)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("auto")) {
        encoding = CsvEncoding::Auto;
    } else if (t == QLatin1String("utf-8") || t == QLatin1String("utf8")) {
        encoding = CsvEncoding::Utf8;
    } else if (t == QLatin1String("utf-16") || t == QLatin1String("utf16")) {
        encoding = CsvEncoding::Utf16;
    } else if (t == QLatin1String("cp932") || t == QLatin1String("sjis") || t == QLatin1String("shift_jis")) {
        encoding = CsvEncoding::Cp932;
    } else {
        return false;
    }
    return true;
}

Result DecodeCsvBytes(const QByteArray& bytes, CsvEncoding wanted, QString& text, CsvEncoding& used)
{
    text.clear();
    const bool utf8Bom = bytes.startsWith("\xEF\xBB\xBF");
    const bool utf16LeBom = bytes.startsWith("\xFF\xFE");
    const bool utf16BeBom = bytes.startsWith("\xFE\xFF");
    if (wanted == CsvEncoding::Auto) {
        if (utf8Bom) wanted = CsvEncoding::Utf8;
        if (utf16LeBom || utf16BeBom) wanted = CsvEncoding::Utf16;
    }
    used = wanted;
    switch (wanted) {
    case CsvEncoding::Utf8: {
        const bool ok = decodeWith(QStringConverter::Utf8, utf8Bom ? bytes.mid(3) : bytes, text);
        return ok ? Result::success() : undecodable(text);
    }
    case CsvEncoding::Utf16: {
        // Without a mark, little-endian (what Windows writes).
        const QByteArray body = (utf16LeBom || utf16BeBom) ? bytes.mid(2) : bytes;
        const bool ok = body.size() % 2 == 0 &&
                        decodeWith(utf16BeBom ? QStringConverter::Utf16BE : QStringConverter::Utf16LE, body, text);
        return ok ? Result::success() : undecodable(text);
    }
    case CsvEncoding::Cp932: {
        bool invalid = false;
        text = Cp932::decode(bytes, &invalid);
        return invalid ? undecodable(text) : Result::success();
    }
    case CsvEncoding::Auto:
        break;
    }
    if (decodeWith(QStringConverter::Utf8, bytes, text)) {
        used = CsvEncoding::Utf8;
        return Result::success();
    }
    used = CsvEncoding::Cp932;
    bool invalid = false;
    text = Cp932::decode(bytes, &invalid);
    return invalid ? undecodable(text) : Result::success();
}

Result ParseCsvText(const QString& text, QList<CsvRecord>& records)
{
    records.clear();
    // The separator: a Tab outside quotes on the first line.
    QChar separator = u',';
    {
        bool quoted = false;
        for (const QChar c : text) {
            if (c == u'"') quoted = !quoted;
            if (!quoted && (c == u'\r' || c == u'\n')) break;
            if (!quoted && c == u'\t') {
                separator = u'\t';
                break;
            }
        }
    }

    int line = 1;
    CsvRecord record;
    record.line = 1;
    QString field;
    bool fieldQuoted = false;
    bool recordHasSeparator = false;
    const auto endField = [&] {
        if (field.size() >= 2 && field.at(0) == u'\'' && isFormulaStart(field.at(1))) field.remove(0, 1);
        record.fields << field;
        field.clear();
        fieldQuoted = false;
    };
    const auto endRecord = [&] {
        const bool empty = !recordHasSeparator && !fieldQuoted && field.isEmpty();
        endField();
        if (!empty) records << record;
        record = CsvRecord{};
        recordHasSeparator = false;
    };

    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'"' && field.isEmpty() && !fieldQuoted) {
            // A quoted field: up to the closing quote, doubled quotes standing for one.
            fieldQuoted = true;
            const int opened = line;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar q = text.at(i);
                if (q == u'"') {
                    if (i + 1 < n && text.at(i + 1) == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (q == u'\r') {
                    if (i + 1 < n && text.at(i + 1) == u'\n') ++i;
                    field += u'\n';
                    ++line;
                } else if (q == u'\n') {
                    field += u'\n';
                    ++line;
                } else {
                    field += q;
                }
                ++i;
            }
            if (!closed) return Result::failure(QStringLiteral("%1行目の引用符（\"）が閉じていません").arg(opened));
            continue;
        }
        if (c == separator) {
            endField();
            recordHasSeparator = true;
            ++i;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            endRecord();
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ++i;
            ++i;
            ++line;
            record.line = line;
            continue;
        }
        field += c;
        ++i;
    }
    if (recordHasSeparator || fieldQuoted || !field.isEmpty()) endRecord();
    return Result::success();
}

Result ReadCsvFile(const QString& path, CsvEncoding wanted, QList<CsvRecord>& records, CsvEncoding& used)
{
    records.clear();
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) return Result::failure(QStringLiteral("ファイル %1 が見つかりません").arg(shown));
    if (const QString why = NotRegularFileReason(path); !why.isEmpty())
        return Result::failure(QStringLiteral("ファイル %1 は読み込めません。%2").arg(shown, why));
    if (info.size() > CsvFileLimit)
        return Result::failure(QStringLiteral("ファイル %1 は大きすぎます（5MBまで）").arg(shown));
    QByteArray bytes;
    if (Result r = ReadWholeFile(path, bytes); !r) return r;
    if (bytes.size() > CsvFileLimit)
        return Result::failure(QStringLiteral("ファイル %1 は大きすぎます（5MBまで）").arg(shown));
    QString text;
    if (Result r = DecodeCsvBytes(bytes, wanted, text, used); !r)
        return Result::failure(QStringLiteral("ファイル %1: %2").arg(shown, r.message));
    if (Result r = ParseCsvText(text, records); !r)
        return Result::failure(QStringLiteral("ファイル %1: %2").arg(shown, r.message));
    return Result::success();
}

QByteArray CsvBytes(const QList<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows) {
        QStringList fields;
        fields.reserve(row.size());
        for (const QString& value : row)
            fields << csvField(value);
        text += fields.join(u',') + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

Result SaveCsvFile(const QString& path, const QList<QStringList>& rows)
{
    return WriteWholeFile(path, CsvBytes(rows));
}

} // namespace seiran
