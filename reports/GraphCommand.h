#pragma once

#include <QStringList>
#include <optional>

class QTextStream;

namespace seiran {

// The graph reports of `seiran-report`:
//   dosu    the frequency graphs of the current test's items (the print run of "印刷")
//   matome  the test summary handout, for the grade or one sheet per pupil
//   suii    every pupil's score trend over chosen tests
// Returns nothing when the arguments name another report, otherwise the exit status: 0 done,
// 2 for any error (told on `err`, nothing written). `args` starts with the program name.
std::optional<int> RunGraphReportCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// The lines --help shows for these reports, each beginning with the report's name.
QStringList GraphReportCommandNames();
// Their synopsis and options, for --help.
QString GraphReportUsage();

} // namespace seiran
