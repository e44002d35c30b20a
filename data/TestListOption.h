#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace seiran {

// Lists of test numbers on the command lines ("--tests 2,1,3"), read and checked alike by every
// command that takes one.

// The numbers of a comma-separated list, in the order given, blanks around each ignored;
// nullopt when a piece is not a whole number.
std::optional<QList<int>> ParseNumberList(const QString& text);

// 「テスト N が二度指定されています。」 for the first test the list names a second time; empty
// when every test is named once. A repeated test is refused, never merged: the teacher meant
// something else.
QString RepeatedTestProblem(const QList<int>& tests);

} // namespace seiran
