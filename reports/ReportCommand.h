#pragma once

#include <QStringList>

class QTextStream;

namespace seiran {

// The report command for schools that print in batches:
//   seiran-report --data DIR --grade G --test T REPORT [--class C] [--item I] (--pdf FILE | --dump)
// It loads the grade and the test as the main window does, draws the same sheets as the
// report window's print run on an A4 portrait sheet, and writes a PDF file or, with --dump, one
// line per drawing operation. Returns the exit status: 0 done, 2 for any error (told on `err`).
// `args` starts with the program name. Needs a QGuiApplication and MapReportFonts().
int RunReportCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// The reports the command knows, with a caption each (for --help).
QStringList ReportCommandNames();

} // namespace seiran
