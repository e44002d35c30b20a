#pragma once

#include "CommandTable.h"

#include <QList>
#include <QStringList>

class QTextStream;

namespace seiran {

// seiran-report: every report of the program, drawn without a window. Each library registers
// its reports once in a table (the test reports, the evaluation, the career lists); this
// command collects the tables, dispatches on the report's name and makes its help from them.
QList<CommandEntry> SeiranReportEntries();
CommandDescription SeiranReportDescription();

// Runs the command line (the program's name first). Returns 0, or 2 after telling the problem
// on `err`. Needs a QGuiApplication and MapReportFonts().
int RunSeiranReport(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace seiran
