#pragma once

#include <QList>
#include <QStringList>

namespace seiran {

struct GradeData;

// The tables of the test reports as CSV rows for spreadsheets, beside each printout and from the
// same loaded and aggregated test.

// 素点一覧表: 組, 番, 氏名, the subjects, 5教科, 学年順位, 組順位; absent and bracketed scores
// "欠", scores not entered, missing totals and their ranks empty.
QList<QStringList> RawScoreCsvRows(const GradeData& gd);
// 平均点・最高点一覧表: 組, 区分, the subjects, 5教科; the rows as printed (each class and the
// grade, 全体/男子/女子), then 最高点 and, with `withDeviation`, 標準偏差.
QList<QStringList> AverageCsvRows(const GradeData& gd, bool withDeviation);
// 教科別順位表: 項目, 順位, 組, 番, 氏名, 点数 of the items in printed order (the item list
// must be built).
QList<QStringList> RankCsvRows(const GradeData& gd, const QList<int>& items);

} // namespace seiran
