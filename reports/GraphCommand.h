#pragma once

#include "CommandTable.h"

#include <QList>

namespace seiran {

// The graph reports of seiran-report:
//   dosu    the frequency graphs of the current test's items (the print run of "印刷")
//   matome  the test summary handout, for the grade or one sheet per pupil
//   suii    every pupil's score trend over chosen tests
// Each run returns the exit status: 0 done, 2 for any error (told on `err`, nothing written).
QList<CommandEntry> GraphReportCommands();

} // namespace seiran
