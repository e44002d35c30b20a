#pragma once

#include "CommandTable.h"

#include <QList>

namespace seiran {

// The test reports of seiran-report, for schools that print in batches:
//   seiran-report --data DIR --grade G soten|average|jun|hensa --test T [--class C] [--item I]
//       (--pdf FILE | --dump | --csv FILE)
// and the graphs (dosu, matome, suii) and report cards (seiseki, tsuchi). Each loads the grade
// and the tests as the main window does and draws the same sheets as its window's print run.
// The runs need a QGuiApplication and MapReportFonts().
QList<CommandEntry> TestReportCommands();

} // namespace seiran
