#pragma once

#include "CsvFile.h"
#include "Result.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace seiran {

// What a column of an imported file holds. Subject k of a test is SubjectBase + k.
namespace CsvRole {
constexpr int None = 0;
constexpr int Class = 1;
constexpr int Number = 2;
constexpr int Name = 3;
constexpr int Surname = 4;
constexpr int GivenName = 5;
constexpr int Furigana = 6;
constexpr int Sex = 7;
constexpr int Grade = 8;
constexpr int SubjectBase = 100;
} // namespace CsvRole

// The name of a role as the preview shows it ("組", "氏名", a subject's name; "（使わない）").
QString CsvRoleName(int role, const QStringList& subjectNames);
// The roles a preview offers for a roster or for a test's scores, in menu order.
QList<int> CsvRolesOffered(const QStringList& subjectNames);

// A header or a typed value as the import compares it: NFKC-folded with every blank removed
// (「氏　　名」 is 氏名, 「ク ラ ス」 is クラス).
QString FoldCsvHeader(const QString& text);
// The role a header names (CsvRole::None for a column the import does not use). Subjects are
// matched by their folded names.
int CsvHeaderRole(const QString& header, const QStringList& subjectNames);
// The role a --columns name gives: the Japanese header words, "class", "number", "name",
// "surname", "given", "reading", "sex", "grade", or a subject's name; -1 when none.
int CsvRoleFromName(const QString& name, const QStringList& subjectNames);

// Where the data is: the header record (an index into the records, -1 without one) and the
// role of each column.
struct CsvLayout
{
    int headerRecord = -1;
    QList<int> roles;

    int columnOf(int role) const { return int(roles.indexOf(role)); }
    bool has(int role) const { return roles.contains(role); }
};

// Finds the header: the first of the first ten records that names 組, 番 and (when
// `needName`) 氏名 or both 姓 and 名; the records above it (a title) are skipped. Refuses a
// file without one, naming what is missing, and a role named twice.
Result DetectCsvLayout(const QList<CsvRecord>& records, const QStringList& subjectNames, bool needName,
                       CsvLayout& layout);
// Checks a layout given or changed by hand: 組 and 番 (and 氏名 when `needName`), no role twice.
Result CheckCsvLayout(const CsvLayout& layout, const QStringList& subjectNames, bool needName);
// Applies "ROLE=N,…" (N from 1) over a layout: each named role moves to its column.
Result ApplyCsvColumnOption(const QString& option, const QStringList& subjectNames, CsvLayout& layout);

// The field of a record in a role's column (empty when the column is missing or not mapped).
QString CsvField(const CsvRecord& record, const CsvLayout& layout, int role);

// Values of the roster columns. Each returns nullopt with the reason in `why` when the field
// does not parse.
// 組: NFKC, a trailing "組" dropped, a digit 1-9 or a letter A-I of either case (the grade's
// labels first), at most classCount.
std::optional<int> ParseCsvClass(const QString& field, const QString& classLabels, int classCount, QString& why);
// 番: NFKC, a trailing "番" dropped, 1-60.
std::optional<int> ParseCsvNumber(const QString& field, QString& why);
// 学年: NFKC, a trailing "年" dropped; 0 for an empty field (not given).
std::optional<int> ParseCsvGrade(const QString& field, QString& why);
// 性別: 男, 男子, M, m, 1 -> 1; 女, 女子, F, f, 2 -> 2; empty -> 0 (not given).
std::optional<int> ParseCsvSex(const QString& field, QString& why);
// A name or reading: blanks (half- and full-width) trimmed at both ends, otherwise as given.
QString TrimCsvText(const QString& field);

} // namespace seiran
