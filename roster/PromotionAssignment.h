#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace seiran {

class PromotionTable;
struct PromotionRow;

// An assignment file puts typed cells into the promotion table from outside the window: one
// line per row, Tab-separated, the grid's columns 旧番号, 氏名, 性別, ふりがな, 新組, 新番. An
// empty field leaves its cell, "-" empties it. A numbered line names a pupil of the roster
// (its name and sex, when given, must match); the k-th "転入" line edits the k-th transfer-in
// row and further ones add rows. The file is UTF-8 (with or without a BOM), or CP932 when it
// is not valid UTF-8; blank lines and a heading line starting with "旧番号" are skipped.
struct AssignmentOutcome
{
    Result result = Result::success(); // the first error; the table is then unchanged
    QStringList warnings;              // names or readings cut to their field
};
AssignmentOutcome ApplyAssignmentFile(PromotionTable& table, const QByteArray& bytes, const QString& fileName);

// The file's text: UTF-8 without its BOM, or CP932 when the bytes are not valid UTF-8.
QString DecodeAssignmentText(const QByteArray& bytes);

// The table as an assignment file: the cells of columns 1 to 6 of every row, Tab-separated,
// LF after every row, no heading.
QString PromotionListText(const PromotionTable& table);

} // namespace seiran
