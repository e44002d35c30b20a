#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace seiran {

// Finding a pupil by part of a name or reading. Both the query and the texts are folded alike:
// NFKC (full-width letters and half-width katakana to their usual forms), katakana to hiragana,
// every blank removed, lower case; so "ｻﾄｳ", "サトウ" and "さ とう" all find さとう.
QString FoldForSearch(const QString& text);

// The texts of row `row` that a query may match (a name and a reading).
using SearchTextsFn = std::function<QStringList(int row)>;

// The first row of 1..rowCount whose folded texts contain the folded query, looking from `from`
// (inclusive) in the direction of `step` (1 down, -1 up) and wrapping round; 0 when none or the
// query folds to nothing.
int FindPupilRow(int rowCount, const SearchTextsFn& texts, const QString& query, int from, int step);

} // namespace seiran
