#pragma once

#include "ScoreCells.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace seiran {

struct GradeData;

// The on-screen list of every pupil's choices and 内申点: the pupil number, the name, school
// and course of the first three choices, and the points of the nine naishin positions.
namespace CareerListColumn {
constexpr int Number = 0;
constexpr int Name = 1;
constexpr int FirstSchool = 2; // school, then course, for choices 1, 2 and 3
constexpr int FirstPoint = 8;  // position j in column 7 + j
constexpr int Count = 17;
} // namespace CareerListColumn

struct CareerListTable
{
    QStringList header;      // the header row, one text per column
    QList<QStringList> rows; // one row per pupil in load order
};

// The pupil number: grade x 1000 + class x 100 + attendance number ("3105").
QString PupilNumberText(const GradeData& gd, int s);
CareerListTable BuildCareerList(const GradeData& gd);

// "氏名・項目付コピー": a header line ("番号", "氏名" and the selected columns' headings, ended by
// LF alone), then each selected row led by the pupil number and name (column 0 and 1) and ended
// by CR LF. Cells are joined by Tab.
QString BuildCareerCopyWithNames(const CellTextFn& cell, const CellRange& range);

} // namespace seiran
