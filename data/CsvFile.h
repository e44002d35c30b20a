#pragma once

#include "Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace seiran {

// Comma-separated files that teachers exchange with spreadsheets and the school office.

enum class CsvEncoding { Auto, Utf8, Utf16, Cp932 };

// Name of an encoding for the preview and the command ("UTF-8", "UTF-16", "シフトJIS (CP932)").
QString CsvEncodingName(CsvEncoding encoding);
// Parses "auto", "utf-8", "utf-16", "cp932"; false for anything else.
bool ParseCsvEncoding(const QString& text, CsvEncoding& encoding);

// Decodes a file's bytes. A byte order mark decides (UTF-8, UTF-16 LE or BE); otherwise Auto
// takes valid UTF-8, else strict CP932. A text that does not decode is refused with the line of
// the first bad byte: 「文字コードを判別できません（N行目）」. `used` is the encoding taken.
Result DecodeCsvBytes(const QByteArray& bytes, CsvEncoding wanted, QString& text, CsvEncoding& used);

// One record of a file and the line it starts on (from 1).
struct CsvRecord
{
    int line = 0;
    QStringList fields;
};

// Splits decoded text into records: Tab-separated when the first line holds a Tab outside
// quotes, else comma-separated; RFC 4180 quoting (a quoted field may hold separators, line
// ends and doubled quotes); records end at CR LF, LF or CR; empty lines are skipped; the
// apostrophe a spreadsheet guard puts before "=", "+", "-" or "@" is dropped. A quote left open
// at the end of the text is refused.
Result ParseCsvText(const QString& text, QList<CsvRecord>& records);

// Reads a CSV file: a regular file of at most 5 MB, decoded and split as above.
constexpr qint64 CsvFileLimit = 5 * 1024 * 1024;
Result ReadCsvFile(const QString& path, CsvEncoding wanted, QList<CsvRecord>& records, CsvEncoding& used);

// The bytes of a CSV file for spreadsheets: UTF-8 with a byte order mark, commas, CR LF after
// every row, fields quoted when they hold a comma, a quote or a line end. A text field that a
// spreadsheet would take for a formula (starting with "=", "+", "-", "@" or their full-width
// forms) gets a leading apostrophe; numbers and score texts ("-45", "-", "12.5") stay as they
// are.
QByteArray CsvBytes(const QList<QStringList>& rows);
// Writes the rows through a temporary file that replaces `path` only when every byte was
// written.
Result SaveCsvFile(const QString& path, const QList<QStringList>& rows);

} // namespace seiran
