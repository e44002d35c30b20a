#pragma once

#include "CommandTable.h"

#include <QList>
#include <QString>

namespace seiran {

// The career lists of seiran-report:
//   sibo-class [--class C], sibo-points, sibo-schools: the target-school and 内申点 lists;
//   sinro-class [--class C], sinro-grade, sinro-school [--tests LIST] [--second] [--no-naishin]
//   [--no-school-weights]: the guidance materials.
// They load the grade as the career screens do (the high-school list falls back on the program
// folder's standard list, with the notice on standard error) and draw the same sheets.
QList<CommandEntry> CareerReportCommands();

// The test numbers of "--tests 1,3,4", in the order of the test list; an empty list for an empty
// text. A number outside 1..testCount or a test named twice gives an error message in `problem`.
QList<int> ParseTestList(const QString& text, int testCount, QString& problem);

} // namespace seiran
