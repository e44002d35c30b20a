#pragma once

#include <QString>
#include <QStringList>

namespace seiran {

struct GradeData;

// Texts of the four columns every entry grid starts with, shared by the windows and the entry
// command so that both show the same grid.

// Header texts of columns 0..3: "組", "番", "氏   名" and an empty one.
QStringList FixedColumnHeaders();

// How the number column shows the attendance number.
enum class NumberStyle {
    AsRead,  // "5"
    TwoWide, // " 5" (right-aligned in two characters)
};

// Columns 0..3 of pupil `student`: class label, number, name, sex ("男", "女", nothing when the
// sex was never entered).
QStringList FixedColumnTexts(const GradeData& gd, int student, NumberStyle style);

// The text of the number column.
QString NumberColumnText(int number, NumberStyle style);

} // namespace seiran
