#pragma once

#include <QString>
#include <optional>

namespace seiran {

struct GradeData;

// The one rule for a value read from a file into an entry screen (CSV import of a test's scores,
// seiran-entry --import of every screen). A field is read as the cell would hold it, or refused
// with the reason; it is never reduced to its digits, so "7/10" or "1e2" is no value at all.

// The field with blanks around it trimmed (ideographic space too) and full-width digits and
// minus signs read as their ASCII forms. Nothing else is changed.
QString NarrowImportedField(const QString& field);

// A score: empty stays empty (no score), "-", "欠" or "欠席" is absent ("-"), digits the score,
// "-" and digits a bracketed score, each as the cell shows it ("007" is "7"). Anything else
// (a decimal, "85点", "A+", a value beyond the 16-bit slot) gives nullopt and the reason.
std::optional<QString> ImportedScoreText(const QString& field, QString& why);

// A 内申点: empty, or a whole number 0..10. Anything else gives nullopt and the reason.
std::optional<QString> ImportedNaishinText(const QString& field, QString& why);

// A 進路希望: a school's short name as the list shows it → that school's number; a list number
// (0 = none); empty or "なし" → 0. A name two schools share, a number beyond the list and any
// other text give nullopt and the reason.
std::optional<int> ImportedCareerChoice(const GradeData& gd, const QString& field, QString& why);

} // namespace seiran
